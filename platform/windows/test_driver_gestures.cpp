// The mouse as the test driver's injected gestures move it: each step of a tracking loop
// moves it to the gesture's next point, and the last step lets the button go.
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

bool StepMouse(bool& released) {
    World& world = TheWorld();
    released = true;
    auto found = world.gestures.find(world.activeGesture);
    if (found == world.gestures.end() || found->second.released) {
        world.button = false;
        return false;
    }
    Gesture& gesture = found->second;
    if (gesture.next + 1 < gesture.points.size()) {
        ++gesture.next;
        world.mouse = gesture.points[gesture.next];
        released = false;
        return true;
    }
    gesture.released = true;
    world.button = false;
    return true;
}

Point LocalMouse(WindowRef window) {
    World& world = TheWorld();
    Window* w = LiveWindow(window);
    return w ? GlobalToLocal(*w, world.mouse) : world.mouse;
}

} // namespace windows_detail

void GetGlobalMouse(Point* outGlobal) {
    if (outGlobal)
        *outGlobal = TheWorld().mouse;
}

namespace {

Window* WindowOfPort(CGrafPtr port) {
    return LiveWindow(GetWindowFromPort(port));
}

} // namespace

Point* QDGlobalToLocalPoint(CGrafPtr port, Point* point) {
    if (Window* w = WindowOfPort(port); w && point)
        *point = GlobalToLocal(*w, *point);
    return point;
}

Point* QDLocalToGlobalPoint(CGrafPtr port, Point* point) {
    if (Window* w = WindowOfPort(port); w && point)
        *point = LocalToGlobal(*w, *point);
    return point;
}

Boolean StillDown() {
    return TheWorld().button;
}

Boolean Button() {
    return TheWorld().button;
}

OSStatus TrackMouseLocation(GrafPtr port, Point* outPoint, MouseTrackingResult* outResult) {
    WindowRef window = GetWindowFromPort(port);
    if (port && !window)
        return paramErr;
    bool released = false;
    if (!StepMouse(released))
        released = true;
    if (outPoint)
        *outPoint = window ? LocalMouse(window) : TheWorld().mouse;
    if (outResult)
        *outResult = released ? kMouseTrackingMouseUp : kMouseTrackingMouseDragged;
    return noErr;
}

} // namespace tbx
