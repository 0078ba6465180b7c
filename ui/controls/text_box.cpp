#include "ui/controls/text_box.h"

#include <string>

#include "core/strings/string.h"
#include "core/strings/wide_text.h"
#include "platform/memory.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"

namespace {

constexpr tbx::UInt32 kTextBoxFeatures = 1438;
constexpr tbx::TXNFrameOptions kFrameOptions = 0x1808;

bool SetPrivileges(tbx::TXNObject object, bool readOnly) {
    const tbx::TXNControlTag tag = tbx::kTXNIOPrivilegesTag;
    tbx::TXNControlData data;
    data.uValue = readOnly ? tbx::kTXNReadOnly : tbx::kTXNReadWrite;
    return tbx::TXNSetTXNObjectControls(object, false, 1, &tag, &data) == tbx::noErr;
}

} // namespace

CBK_ControlTextBox::~CBK_ControlTextBox() {
    _DetachTXN();
}

bool CBK_ControlTextBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                const wchar_t* text, int32_t) {
    if (!CBK_Control::Create(dialog, id, bounds, text))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateUserPaneControl(dialog.GetWindowHandle(), &bounds, kTextBoxFeatures, &control);
    if (!_AdoptControl(status, control))
        return false;
    m_hWnd = dialog.GetWindowHandle();
    if (!_AttachTXN()) {
        tbx::DisposeControl(m_hControl);
        m_hControl = nullptr;
        return false;
    }
    SetText(text, true);
    m_bReadOnly = true;
    SetPrivileges(m_hTextObject, true);
    return _OnCreate(dialog, id);
}

bool CBK_ControlTextBox::OnInit() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    _AttachTXN();
    return true;
}

bool CBK_ControlTextBox::_AttachTXN() {
    _DetachTXN();
    tbx::GetControlBounds(m_hControl, &m_FrameRect);
    if (tbx::TXNNewObject(nullptr, tbx::GetControlOwner(m_hControl), &m_FrameRect, kFrameOptions,
                          tbx::kTXNTextEditStyleFrameType, tbx::kTXNTextensionFile,
                          tbx::kTXNSystemDefaultEncoding, &m_hTextObject, &m_nFrameId,
                          this) != tbx::noErr) {
        m_hTextObject = nullptr;
        return false;
    }
    tbx::TXNBackground background;
    background.bgType = tbx::kTXNBackgroundTypeRGB;
    background.color = tbx::RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    tbx::TXNSetBackground(m_hTextObject, &background);
    tbx::TXNMargins margins{2, 3, 2, 1};
    const tbx::TXNControlTag tag = tbx::kTXNMarginsTag;
    tbx::TXNControlData data;
    data.marginsPtr = &margins;
    tbx::TXNSetTXNObjectControls(m_hTextObject, false, 1, &tag, &data);
    m_hHandlerUPP = tbx::NewEventHandlerUPP(EventHandler);
    const tbx::EventTypeSpec events[] = {{tbx::kEventClassControl, tbx::kEventControlDraw},
                                         {tbx::kEventClassControl, tbx::kEventControlSetCursor}};
    tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), m_hHandlerUPP, 2, events, this,
                             &m_hHandler);
    tbx::TXNActivate(m_hTextObject, m_nFrameId, tbx::kScrollBarsAlwaysActive);
    tbx::TXNFocus(m_hTextObject, true);
    return true;
}

void CBK_ControlTextBox::_DetachTXN() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
    if (m_hTextObject)
        tbx::TXNDeleteObject(m_hTextObject);
    m_hTextObject = nullptr;
}

tbx::OSStatus CBK_ControlTextBox::EventHandler(tbx::EventHandlerCallRef, tbx::EventRef event,
                                               void* data) {
    auto* box = static_cast<CBK_ControlTextBox*>(data);
    if (!box || tbx::GetEventClass(event) != tbx::kEventClassControl)
        return tbx::eventNotHandledErr;
    if (tbx::GetEventKind(event) == tbx::kEventControlDraw)
        tbx::TXNDraw(box->m_hTextObject, nullptr);
    return tbx::noErr;
}

bool CBK_ControlTextBox::SetText(const wchar_t* text, bool redraw) {
    const std::wstring wide = text ? text : L"";
    const std::u16string units = BK_NarrowToUnits(wide.c_str(), wide.size());
    if (m_bReadOnly)
        SetPrivileges(m_hTextObject, false);
    tbx::TXNSetData(m_hTextObject, tbx::kTXNUnicodeTextData, units.data(), units.size() * 2,
                    tbx::kTXNStartOffset, tbx::kTXNEndOffset);
    if (m_bReadOnly)
        SetPrivileges(m_hTextObject, true);
    tbx::TXNSetSelection(m_hTextObject, 0, 0);
    if (redraw)
        tbx::TXNDraw(m_hTextObject, nullptr);
    return true;
}

bool CBK_ControlTextBox::SetText(int32_t stringId, bool redraw) {
    CBK_String text(stringId);
    return SetText(text.GetConstString(), redraw);
}

bool CBK_ControlTextBox::AddText(const wchar_t* text, bool redraw) {
    tbx::Handle data = nullptr;
    std::wstring whole;
    if (tbx::TXNGetDataEncoded(m_hTextObject, tbx::kTXNStartOffset, tbx::kTXNEndOffset, &data,
                               tbx::kTXNUnicodeTextData) == tbx::noErr) {
        whole =
            BK_WidenUnits(reinterpret_cast<const char16_t*>(*data), tbx::GetHandleSize(data) / 2);
        tbx::DisposeHandle(data);
    }
    whole += text ? text : L"";
    return SetText(whole.c_str(), redraw);
}

bool CBK_ControlTextBox::SetReadOnly(bool readOnly) {
    return SetPrivileges(m_hTextObject, readOnly);
}

bool CBK_ControlTextBox::Show(bool show) {
    if (show)
        tbx::TXNSetFrameBounds(m_hTextObject, m_FrameRect.top, m_FrameRect.left, m_FrameRect.bottom,
                               m_FrameRect.right, m_nFrameId);
    else
        tbx::TXNSetFrameBounds(m_hTextObject, -1000, -1000, 0, 0, m_nFrameId);
    return CBK_Control::Show(show);
}

bool CBK_ControlTextBox::Hide() {
    tbx::TXNSetFrameBounds(m_hTextObject, -1000, -1000, 0, 0, m_nFrameId);
    return CBK_Control::Hide();
}
