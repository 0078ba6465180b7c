#include "ui/controls/bevel_button.h"

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"
#include "ui/base/dialog.h"
#include "ui/controls/control_title.h"

bool CBK_ControlBevelButton::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                    const wchar_t* title) {
    if (!CBK_Control::Create(dialog, id, bounds, title))
        return false;
    CBK_CFString text(title ? title : L"");
    const tbx::ControlButtonContentInfo content{tbx::kControlContentTextOnly, nullptr};
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateBevelButtonControl(
        dialog.GetWindowHandle(), &bounds, text, tbx::kControlBevelButtonNormalBevel,
        tbx::kControlBehaviorPushbutton, &content, 0, 0, 0, &control);
    return _AdoptControl(status, control) && _OnCreate(dialog, id);
}

bool CBK_ControlBevelButton::SetText(const wchar_t* text, bool redraw) {
    return BK_SetControlTitle(m_hControl, text, redraw);
}

bool CBK_ControlBevelButton::GetText(wchar_t* buffer, int32_t& length) {
    return BK_GetControlTitle(m_hControl, buffer, length);
}

bool CBK_ControlBevelButton::SetIcon(int32_t iconId, uint32_t kind) {
    if (!m_Icon.Load(iconId, kind))
        return false;
    const tbx::ControlButtonContentInfo content{tbx::kControlContentIconRef, m_Icon.GetIconRef()};
    return tbx::SetBevelButtonContentInfo(m_hControl, &content) == tbx::noErr;
}
