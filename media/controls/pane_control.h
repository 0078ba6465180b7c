// CBK_ControlPane: the base of the self-drawing picture controls: a user pane, built in code or
// bound from a nib, that redraws itself when its window updates.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"
#include "ui/base/control.h"

class CBK_ControlPane : public CBK_Control {
public:
    using CBK_Control::Create;
    // A shown user pane in the dialog's window; OnInit runs before the control is registered.
    bool Create(CBK_Dialog& dialog, uint32_t code, tbx::Rect& bounds, const wchar_t*) override;
    // Removes the update handler, then the control; false when either fails.
    bool Destroy() override;
    virtual bool OnDraw() = 0;

protected:
    // Keeps the object as the control's reference and redraws on the window's update event,
    // leaving the event to others as well.
    bool _InstallUpdateHandler();

private:
    static tbx::OSStatus _OnEvent(tbx::EventHandlerCallRef, tbx::EventRef, void* data);

    tbx::EventHandlerRef m_hHandler = nullptr;
};
