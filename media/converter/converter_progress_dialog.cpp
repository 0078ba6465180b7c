#include "media/converter/converter_progress_dialog.h"

#include <cwchar>

#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"

namespace {

constexpr uint32_t kBar = tbx::FourCC("pPbr");
constexpr uint32_t kMessage = tbx::FourCC("tMsg");
constexpr uint32_t kTime = tbx::FourCC("tTim");
constexpr uint32_t kCancel = tbx::FourCC("not!");

} // namespace

CBK_QuicktimeConverterProgressDialog::~CBK_QuicktimeConverterProgressDialog() {
    m_ProgressBar.Destroy();
    m_Time.Destroy();
    m_Message.Destroy();
    m_Cancel.Destroy();
}

int32_t CBK_QuicktimeConverterProgressDialog::DoModal(tbx::WindowRef parent, bool& cancelled) {
    m_pCancelled = &cancelled;
    // Shown, or its Cancel could never be reached while the work goes on.
    return Create(100, 100, 320, 155, kShow, parent) ? 0 : -1;
}

bool CBK_QuicktimeConverterProgressDialog::OnInit() {
    tbx::Rect bar = BK_Bounds(19, 43, 300, 59), message = BK_Bounds(20, 20, 300, 36),
              time = BK_Bounds(20, 68, 300, 84), cancel = BK_Bounds(123, 115, 193, 135);
    if (!m_ProgressBar.Create(*this, kBar, bar, L"") ||
        !m_Message.Create(*this, kMessage, message, L"") ||
        !m_Time.Create(*this, kTime, time, L"") ||
        !m_Cancel.Create(*this, kCancel, cancel, L"Cancel"))
        return false;
    tbx::ControlFontStyleRec system;
    system.flags = tbx::kControlUseFontMask;
    system.font = -1;
    tbx::SetControlFontStyle(m_Cancel.GetControlHandle(), &system);
    tbx::SetWindowDefaultButton(m_hWnd, m_Cancel.GetControlHandle());
    tbx::SetWindowCancelButton(m_hWnd, m_Cancel.GetControlHandle());
    m_ProgressBar.SetRange(0, 100, true);
    m_ProgressBar.SetProgress(0, true);
    return true;
}

bool CBK_QuicktimeConverterProgressDialog::OnCommand(uint32_t command, tbx::EventRef&) {
    if (command != kCancel)
        return false;
    if (m_pCancelled)
        *m_pCancelled = true;
    return true;
}

void CBK_QuicktimeConverterProgressDialog::SetProgress(int32_t percent) {
    m_ProgressBar.SetProgress(percent, true);
}

void CBK_QuicktimeConverterProgressDialog::SetMessage(const wchar_t* text) {
    m_Message.SetText(text, true);
}

void CBK_QuicktimeConverterProgressDialog::SetTimeRemaining(int32_t seconds) {
    wchar_t text[64];
    const uint32_t value = seconds > 0 ? uint32_t(seconds) : 0;
    if (value <= 1)
        std::swprintf(text, 64, L"less than %u second", value < 1 ? 1u : value);
    else if (value <= 60)
        std::swprintf(text, 64, L"%u seconds", value);
    else
        std::swprintf(text, 64, L"%u minutes", (value + 59) / 60);
    m_Time.SetText(text, true);
}
