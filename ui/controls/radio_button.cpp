#include "ui/controls/radio_button.h"

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_title.h"
#include "ui/graphics/icons.h"

CBK_ControlRadioButton::~CBK_ControlRadioButton() {
    if (m_hIcon)
        BK_ReleaseIcon(m_nIconKind, m_hIcon);
}

bool CBK_ControlRadioButton::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                    const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateRadioButtonControl(dialog.GetWindowHandle(), &bounds, text, 0, false, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlRadioButton::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlTitle(m_hControl, text, redraw);
}

bool CBK_ControlRadioButton::Set(bool on, bool redraw) {
    return BK_SetControlOn(m_hControl, on, redraw);
}

bool CBK_ControlRadioButton::IsSet() const {
    return tbx::GetControl32BitValue(m_hControl) != 0;
}

bool CBK_ControlRadioButton::SetIcon(int32_t iconId, uint32_t kind) {
    return BK_SetButtonIcon(m_hControl, iconId, kind, m_hIcon, m_nIconKind);
}

bool BK_CreateControlRadioButton(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                                 int32_t height, const wchar_t* title, tbx::WindowRef& window) {
    const tbx::Rect bounds = BK_FrameAt(x, y, width, height);
    CBK_CFString text(title ? title : L"");
    return tbx::CreateRadioButtonControl(window, &bounds, text, 0, false, &out) == tbx::noErr;
}
