#include "ui/dialogs/progress_dialog.h"

#include <algorithm>

#include "core/strings/string.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "ui/base/control_bounds.h"

namespace {

constexpr uint32_t kMessage = tbx::FourCC("sMsg");
constexpr uint32_t kMessage2 = tbx::FourCC("sMs2");
constexpr uint32_t kProgressBar = tbx::FourCC("pbPg");
constexpr uint32_t kCancel = tbx::FourCC("not!");

void DispatchOnePendingEvent() {
    tbx::EventRef event = nullptr;
    if (tbx::ReceiveNextEvent(0, nullptr, tbx::kEventDurationNoWait, true, &event) == tbx::noErr) {
        tbx::SendEventToEventTarget(event, tbx::GetEventDispatcherTarget());
        tbx::ReleaseEvent(event);
    }
}

} // namespace

template <typename Change>
void CBK_ProgressDialog::_Pump(Change change) {
    tbx::YieldToAnyThread();
    change();
    DispatchOnePendingEvent();
}

CBK_ProgressDialog::~CBK_ProgressDialog() {
    Destroy();
}

bool CBK_ProgressDialog::Destroy() {
    m_ProgressBar.Destroy();
    m_Message.Destroy();
    m_Message2.Destroy();
    m_CancelButton.Destroy();
    return true;
}

bool CBK_ProgressDialog::OnInit() {
    if (m_pSettings && m_pSettings->m_pTitle)
        SetTitle(m_pSettings->m_pTitle);
    _InitControls();
    return true;
}

bool CBK_ProgressDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command != kCancel)
        return false;
    Cancel();
    return true;
}

void CBK_ProgressDialog::_GetWindowCreationBounds(tbx::Rect& bounds) {
    bounds = BK_Bounds(0, 0, 289, 149);
}

void CBK_ProgressDialog::_InitControls() {
    tbx::Rect message = BK_Bounds(20, 20, 269, 36);
    m_Message.Create(*this, kMessage, message, L"");
    tbx::Rect bar = BK_Bounds(19, 43, 270, 62);
    m_ProgressBar.Create(*this, kProgressBar, bar, L"");
    if (m_pSettings)
        m_ProgressBar.SetRange(m_pSettings->m_nMinimum, m_pSettings->m_nMaximum, true);
    tbx::Rect message2 = BK_Bounds(20, 70, 269, 86);
    m_Message2.Create(*this, kMessage2, message2, L"");
    tbx::Rect cancel = BK_Bounds(108, 109, 178, 129);
    m_CancelButton.Create(*this, kCancel, cancel, L"Cancel");
}

void CBK_ProgressDialog::_Reset() {
    m_Message.SetText(L"Initializing...", true);
    m_Message2.SetText(L"", true);
}

int32_t CBK_ProgressDialog::DoModal(tbx::WindowRef, PROGRESS_SETTINGS& settings,
                                    CBK_ProgressData* data) {
    if (data) {
        data->m_bCancelled = false;
        data->m_bCompleted = false;
    }
    m_pSettings = &settings;
    m_pData = data;
    m_nModalResult = static_cast<int32_t>(tbx::FourCC("ok  "));
    if (!m_hWnd) {
        tbx::Rect bounds;
        _GetWindowCreationBounds(bounds);
        const tbx::WindowClass windowClass =
            settings.m_bUtilityWindow ? tbx::kUtilityWindowClass : tbx::kDocumentWindowClass;
        tbx::WindowRef window = nullptr;
        if (tbx::CreateNewWindow(windowClass,
                                 tbx::kWindowStandardHandlerAttribute |
                                     tbx::kWindowCollapseBoxAttribute,
                                 &bounds, &window) != tbx::noErr ||
            !_AdoptWindow(window))
            return -1;
        OnInit();
    } else {
        // Each run shows its own range and title.
        SetProgressRange(settings.m_nMinimum, settings.m_nMaximum);
        if (settings.m_pTitle)
            SetTitle(settings.m_pTitle);
    }
    Reset();
    if (!tbx::IsValidWindowPtr(m_hWnd))
        return 0;
    CenterWindow(nullptr);
    tbx::ShowWindow(m_hWnd);
    return 0;
}

void CBK_ProgressDialog::SetMessage(const wchar_t* text) {
    _Pump([&] { m_Message.SetText(text, true); });
}

void CBK_ProgressDialog::SetMessage(int32_t stringId) {
    CBK_String text(stringId);
    SetMessage(text.GetConstString());
}

void CBK_ProgressDialog::SetMessage2(const wchar_t* text) {
    _Pump([&] { m_Message2.SetText(text, true); });
}

void CBK_ProgressDialog::SetMessage2(int32_t stringId) {
    CBK_String text(stringId);
    SetMessage2(text.GetConstString());
}

void CBK_ProgressDialog::SetProgress(int32_t value) {
    _Pump([&] { m_ProgressBar.SetProgress(value, true); });
}

void CBK_ProgressDialog::IncrementProgress(int32_t delta) {
    const int64_t value = int64_t(m_ProgressBar.GetProgress()) + delta;
    SetProgress(static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
}

void CBK_ProgressDialog::SetProgressMin() {
    SetProgress(m_ProgressBar.GetProgressMin());
}

void CBK_ProgressDialog::SetProgressMax() {
    SetProgress(m_ProgressBar.GetProgressMax());
}

void CBK_ProgressDialog::SetProgressRange(int32_t minimum, int32_t maximum) {
    m_ProgressBar.SetRange(minimum, maximum, true);
}

int32_t CBK_ProgressDialog::GetProgress() {
    return m_ProgressBar.GetProgress();
}

void CBK_ProgressDialog::Reset() {
    m_ProgressBar.SetProgress(0, true);
    _Reset();
    tbx::YieldToAnyThread();
}

void CBK_ProgressDialog::SetProgressCompleted() {
    m_nModalResult = static_cast<int32_t>(tbx::FourCC("ok  "));
    if (m_pData)
        m_pData->m_bCompleted = true;
}

void CBK_ProgressDialog::Cancel() {
    if (m_pData)
        m_pData->m_bCancelled = true;
    m_nModalResult = static_cast<int32_t>(tbx::FourCC("not!"));
}
