// Tracking and hit testing of controls along the mouse gesture that the test driver injects.
#include "platform/windows/controls.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

void SetControlAction(ControlRef control, ControlActionUPP action) {
    if (Control* c = LiveControl(control))
        c->action = action;
}

ControlPartCode TrackControl(ControlRef control, Point start, ControlActionUPP action) {
    Control* c = LiveControl(control);
    if (!c)
        return kControlNoPart;
    const WindowRef window = c->window;
    const ControlPartCode pressed = PartAt(control, start);
    if (pressed == kControlNoPart)
        return kControlNoPart;
    const bool indicator = pressed == kControlIndicatorPart;
    if (action && !indicator)
        action(control, pressed);
    for (;;) {
        bool released = false;
        if (!StepMouse(released))
            released = true;
        if (!LiveControl(control))
            return kControlNoPart;
        const Point at = LocalMouse(window);
        const ControlPartCode now = PartAt(control, at);
        if (released)
            return indicator || now == pressed ? pressed : kControlNoPart;
        if (action)
            action(control, indicator ? pressed : (now == pressed ? pressed : kControlNoPart));
    }
}

ControlPartCode TrackControl(ControlRef control, Point start, ThumbActionUPP thumbAction) {
    Control* c = LiveControl(control);
    if (!c)
        return kControlNoPart;
    const ControlPartCode pressed = PartAt(control, start);
    if (pressed == kControlNoPart)
        return kControlNoPart;
    for (;;) {
        bool released = false;
        if (!StepMouse(released) || released)
            return pressed;
        if (thumbAction)
            thumbAction();
        if (!LiveControl(control))
            return kControlNoPart;
    }
}

ControlRef FindControlUnderMouse(Point local, WindowRef window, ControlPartCode* outPart) {
    return HitControl(window, local, outPart);
}

ControlPartCode TestControl(ControlRef control, Point local) {
    Control* c = LiveControl(control);
    if (!c || !ControlEffectivelyVisible(*c))
        return kControlNoPart;
    return PartAt(control, local);
}

} // namespace tbx
