#include "core/system/window.h"

#include <algorithm>
#include <iterator>

#include "core/system/window_ops.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"

namespace {

template <typename T>
bool Param(tbx::EventRef event, tbx::OSType name, tbx::OSType type, T& value) {
    return tbx::GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value) ==
           tbx::noErr;
}

} // namespace

CBK_Window::~CBK_Window() {
    if (_handler)
        tbx::RemoveEventHandler(_handler);
    BK_DestroyWindow(_window);
}

bool CBK_Window::Live() const {
    return _window && tbx::IsValidWindowPtr(_window);
}

bool CBK_Window::Create(int32_t x, int32_t y, uint32_t width, uint32_t height, const wchar_t* title,
                        uint32_t flags) {
    if (Live())
        return false;
    // Shown only once the handler is in place, so that nothing is missed.
    if (!BK_CreateWindow(_window, x, y, width, height, title, flags & ~BK_WINDOW_VISIBLE))
        return false;
    tbx::EventTypeSpec types[kMaxEventTypes];
    const int count = _GetSupportedEvents(types);
    if (tbx::InstallEventHandler(tbx::GetWindowEventTarget(_window), &CBK_Window::Handler,
                                 tbx::UInt32(count), types, this, &_handler) != tbx::noErr) {
        BK_DestroyWindow(_window);
        return false;
    }
    OnInit();
    if (flags & BK_WINDOW_VISIBLE)
        Show(true);
    return true;
}

int CBK_Window::_GetSupportedEvents(tbx::EventTypeSpec* types) {
    using namespace tbx;
    static constexpr EventTypeSpec kTypes[] = {
        {kEventClassWindow, kEventWindowUpdate},
        {kEventClassWindow, kEventWindowDrawContent},
        {kEventClassWindow, kEventWindowActivated},
        {kEventClassWindow, kEventWindowDeactivated},
        {kEventClassWindow, kEventWindowFocusContent},
        {kEventClassWindow, kEventWindowBoundsChanged},
        {kEventClassWindow, kEventWindowClose},
        {kEventClassCommand, kEventCommandProcess},
        {kEventClassMouse, kEventMouseDown},
        {kEventClassMouse, kEventMouseUp},
        {kEventClassMouse, kEventMouseMoved},
        {kEventClassMouse, kEventMouseDragged},
        {kEventClassMouse, kEventMouseWheelMoved},
    };
    static_assert(std::size(kTypes) <= kMaxEventTypes);
    std::copy(std::begin(kTypes), std::end(kTypes), types);
    return int(std::size(kTypes));
}

tbx::OSStatus CBK_Window::Handler(tbx::EventHandlerCallRef, tbx::EventRef event, void* self) {
    return static_cast<CBK_Window*>(self)->Handle(event);
}

tbx::OSStatus CBK_Window::Handle(tbx::EventRef event) {
    using namespace tbx;
    const UInt32 kind = GetEventKind(event);
    switch (GetEventClass(event)) {
    case kEventClassWindow:
        switch (kind) {
        case kEventWindowUpdate:
        case kEventWindowDrawContent:
            OnPaint();
            break;
        case kEventWindowActivated:
        case kEventWindowDeactivated:
            OnActivate(kind == kEventWindowActivated);
            break;
        case kEventWindowFocusContent:
            OnFocus(true);
            break;
        case kEventWindowBoundsChanged: {
            Rect previous, current;
            if (!Param(event, kEventParamPreviousBounds, typeQDRectangle, previous) ||
                !Param(event, kEventParamCurrentBounds, typeQDRectangle, current))
                break;
            if (previous.left != current.left || previous.top != current.top)
                OnMove(current.left, current.top);
            if (previous.right - previous.left != current.right - current.left ||
                previous.bottom - previous.top != current.bottom - current.top)
                OnSize(current.right - current.left, current.bottom - current.top);
            break;
        }
        case kEventWindowClose:
            // What the standard handler would do, done here so that this object lets go of
            // the window (and its handlers, which go with it) at once.
            OnClose();
            BK_DestroyWindow(_window);
            _handler = nullptr;
            OnDestroy();
            return noErr;
        }
        break;
    case kEventClassCommand: {
        HICommand command;
        if (kind == kEventCommandProcess &&
            Param(event, kEventParamDirectObject, typeHICommand, command))
            OnCommand(command.commandID, event);
        break;
    }
    case kEventClassMouse: {
        if (kind == kEventMouseWheelMoved) {
            EventMouseWheelAxis axis = kEventMouseWheelAxisY;
            SInt32 delta = 0;
            if (Param(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, axis) &&
                Param(event, kEventParamMouseWheelDelta, typeSInt32, delta))
                OnScroll(axis, delta);
            break;
        }
        Point global;
        Rect content;
        if (!Param(event, kEventParamMouseLocation, typeQDPoint, global) ||
            GetWindowBounds(_window, kWindowContentRgn, &content) != noErr)
            break;
        UInt32 modifiers = 0;
        Param(event, kEventParamKeyModifiers, typeUInt32, modifiers);
        EventMouseButton button = kEventMouseButtonPrimary;
        Param(event, kEventParamMouseButton, typeMouseButton, button);
        const long x = global.h - content.left, y = global.v - content.top;
        const bool right = button == kEventMouseButtonSecondary;
        if (kind == kEventMouseDown)
            right ? OnRButtonDown(x, y, modifiers) : OnLButtonDown(x, y, modifiers);
        else if (kind == kEventMouseUp)
            right ? OnRButtonUp(x, y, modifiers) : OnLButtonUp(x, y, modifiers);
        else
            OnMouseMove(x, y, modifiers);
        break;
    }
    }
    // The standard behaviour (drawing controls, tracking clicks) still follows.
    return eventNotHandledErr;
}

bool CBK_Window::Maximize() {
    if (!Live())
        return false;
    tbx::ZoomWindow(_window, tbx::inZoomOut, true);
    OnMaximize();
    return true;
}

bool CBK_Window::Minimize() {
    if (!Live() || tbx::CollapseWindow(_window, true) != tbx::noErr)
        return false;
    OnMinimize();
    return true;
}

bool CBK_Window::Restore() {
    if (!Live())
        return false;
    if (tbx::IsWindowCollapsed(_window))
        tbx::CollapseWindow(_window, false);
    else
        tbx::ZoomWindow(_window, tbx::inZoomIn, true);
    OnRestore();
    return true;
}

bool CBK_Window::IsMaximized() {
    return Live() && tbx::IsWindowInStandardState(_window, nullptr, nullptr);
}

bool CBK_Window::IsMinimized() {
    return Live() && tbx::IsWindowCollapsed(_window);
}

bool CBK_Window::Show(bool show) {
    if (!BK_ShowWindow(_window, show))
        return false;
    OnShow(show);
    return true;
}

bool CBK_Window::SetPosition(int32_t x, int32_t y) {
    return BK_SetWindowPos(_window, x, y);
}

bool CBK_Window::GetPosition(int32_t& x, int32_t& y) const {
    return BK_GetWindowPos(_window, x, y);
}

bool CBK_Window::SetSize(int32_t width, int32_t height) {
    return BK_SetWindowDimensions(_window, width, height, true);
}

bool CBK_Window::GetSize(int32_t& width, int32_t& height) const {
    return BK_GetWindowDimensions(_window, width, height);
}

bool CBK_Window::SetTitle(const wchar_t* title) {
    return BK_SetWindowTitle(_window, title);
}

bool CBK_Window::GetTitle(wchar_t* buffer, int32_t size) const {
    return BK_GetWindowTitle(_window, buffer, size);
}

bool CBK_Window::SetAlpha(double alpha) {
    return Live() && tbx::SetWindowAlpha(_window, float(alpha)) == tbx::noErr;
}

bool CBK_Window::SetFocus() {
    if (!Live())
        return false;
    tbx::SelectWindow(_window);
    return true;
}

bool CBK_Window::BringToFront() {
    if (!Live())
        return false;
    tbx::BringToFront(_window);
    return true;
}

bool CBK_Window::SendToBack() {
    if (!Live())
        return false;
    tbx::SendBehind(_window, nullptr);
    return true;
}
