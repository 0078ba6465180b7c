#include "ui/controls/check_box.h"

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "platform/windows/controls.h"
#include "ui/base/control_bounds.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_title.h"

bool CBK_ControlCheckBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateCheckBoxControl(dialog.GetWindowHandle(), &bounds, text, 0, true, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlCheckBox::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                 int32_t stringId) {
    CBK_String title(stringId);
    return Create(dialog, id, bounds, title.GetConstString());
}

bool CBK_ControlCheckBox::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlTitle(m_hControl, text, redraw);
}

bool CBK_ControlCheckBox::Check(bool on, bool redraw) {
    return BK_SetControlOn(m_hControl, on, redraw);
}

bool CBK_ControlCheckBox::Toggle(bool redraw) {
    return Check(tbx::GetControl32BitValue(m_hControl) == 0, redraw);
}

bool CBK_ControlCheckBox::IsChecked() {
    return tbx::GetControl32BitValue(m_hControl) != 0;
}

bool BK_CreateControlCheckBox(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                              int32_t height, const wchar_t* title, tbx::WindowRef& window) {
    const tbx::Rect bounds = BK_FrameAt(x, y, width, height);
    CBK_CFString text(title ? title : L"");
    return tbx::CreateCheckBoxControl(window, &bounds, text, 0, true, &out) == tbx::noErr;
}
