#include "media/controls/pane_control.h"

#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/base/dialog.h"

bool CBK_ControlPane::Create(CBK_Dialog& dialog, uint32_t code, tbx::Rect& bounds,
                             const wchar_t* text) {
    if (!CBK_Control::Create(dialog, code, bounds, text))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status =
        tbx::CreateUserPaneControl(dialog.GetWindowHandle(), &bounds, 0, &control);
    if (!_AdoptControl(status, control))
        return false;
    tbx::ShowControl(control);
    return OnInit() && _OnCreate(dialog, code);
}

bool CBK_ControlPane::Destroy() {
    bool ok = true;
    if (m_hHandler)
        ok = tbx::RemoveEventHandler(m_hHandler) == tbx::noErr;
    m_hHandler = nullptr;
    return CBK_Control::Destroy() && ok;
}

bool CBK_ControlPane::_InstallUpdateHandler() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    static const tbx::EventTypeSpec update{tbx::FourCC("wind"), 1};
    return m_hHandler || tbx::InstallEventHandler(tbx::GetControlEventTarget(m_hControl), _OnEvent,
                                                  1, &update, this, &m_hHandler) == tbx::noErr;
}

tbx::OSStatus CBK_ControlPane::_OnEvent(tbx::EventHandlerCallRef, tbx::EventRef, void* data) {
    static_cast<CBK_ControlPane*>(data)->OnDraw();
    return tbx::eventNotHandledErr;
}
