#include "ui/controls/button.h"

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_title.h"
#include "ui/graphics/icons.h"

CBK_ControlButton::~CBK_ControlButton() {
    _ReleaseIcon();
}

bool CBK_ControlButton::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                               const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreatePushButtonControl(dialog.GetWindowHandle(), &bounds, text, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlButton::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                               int32_t stringId) {
    CBK_String title(stringId);
    return Create(dialog, id, bounds, title.GetConstString());
}

bool CBK_ControlButton::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlTitle(m_hControl, text, redraw);
}

bool CBK_ControlButton::SetText(int32_t stringId, bool redraw) {
    CBK_String text(stringId);
    return SetText(text.GetConstString(), redraw);
}

bool CBK_ControlButton::GetText(wchar_t* buffer, int32_t& length) {
    return BK_GetControlTitle(m_hControl, buffer, length);
}

bool CBK_ControlButton::Check(bool on, bool redraw) {
    return BK_SetControlOn(m_hControl, on, redraw);
}

bool CBK_ControlButton::Toggle(bool redraw) {
    return Check(tbx::GetControl32BitValue(m_hControl) == 0, redraw);
}

bool CBK_ControlButton::IsChecked() {
    return tbx::GetControl32BitValue(m_hControl) != 0;
}

bool CBK_ControlButton::SetIcon(int32_t iconId, uint32_t kind) {
    return BK_SetButtonIcon(m_hControl, iconId, kind, m_hIcon, m_nIconKind);
}

void CBK_ControlButton::_ReleaseIcon() {
    if (m_hIcon)
        BK_ReleaseIcon(m_nIconKind, m_hIcon);
    m_hIcon = nullptr;
}

bool BK_CreateControlButton(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                            int32_t height, const wchar_t* title, tbx::WindowRef& window) {
    const tbx::Rect bounds = BK_FrameAt(x, y, width, height);
    CBK_CFString text(title ? title : L"");
    return tbx::CreatePushButtonControl(window, &bounds, text, &out) == tbx::noErr;
}
