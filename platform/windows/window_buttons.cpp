// The default and cancel buttons of a window, which the standard key behaviour presses.
#include "platform/windows/controls.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

OSStatus SetButton(WindowRef window, ControlRef control, ControlRef Window::*slot) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (control) {
        const Control* c = LiveControl(control);
        if (!c || c->window != window)
            return errUnknownControl;
    }
    w->*slot = control;
    return noErr;
}

OSStatus GetButton(WindowRef window, ControlRef* outControl, ControlRef Window::*slot) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (!outControl)
        return paramErr;
    // A button disposed of since is no longer the window's.
    *outControl = LiveControl(w->*slot) ? w->*slot : nullptr;
    return noErr;
}

} // namespace

OSStatus SetWindowDefaultButton(WindowRef window, ControlRef control) {
    return SetButton(window, control, &Window::defaultButton);
}

OSStatus SetWindowCancelButton(WindowRef window, ControlRef control) {
    return SetButton(window, control, &Window::cancelButton);
}

OSStatus GetWindowDefaultButton(WindowRef window, ControlRef* outControl) {
    return GetButton(window, outControl, &Window::defaultButton);
}

OSStatus GetWindowCancelButton(WindowRef window, ControlRef* outControl) {
    return GetButton(window, outControl, &Window::cancelButton);
}

} // namespace tbx
