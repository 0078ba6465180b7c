#include "platform/windows/windows.h"

#include <algorithm>

#include "platform/quickdraw/port.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

Window* LiveWindow(WindowRef window) {
    return TheWorld().windows.Get(window);
}

void FillWindow(Window& window, uint32_t argb) {
    qd::Port* port = qd::FindPort(window.port, qd::kPortKinds);
    if (!port)
        return;
    const UInt8 bytes[4] = {UInt8(argb >> 24), UInt8(argb >> 16), UInt8(argb >> 8), UInt8(argb)};
    for (int v = port->bounds.top; v < port->bounds.bottom; ++v)
        for (int h = port->bounds.left; h < port->bounds.right; ++h)
            qd::WritePixel(*port, h, v, bytes);
}

uint32_t WindowPixel(const Window& window, int x, int y) {
    qd::Port* port = qd::FindPort(window.port, qd::kPortKinds);
    if (!port || x < 0 || y < 0 || x >= port->Width() || y >= port->Height())
        return 0;
    UInt8 argb[4];
    qd::ReadPixel(*port, port->bounds.left + x, port->bounds.top + y, argb);
    return (uint32_t(argb[0]) << 24) | (uint32_t(argb[1]) << 16) | (uint32_t(argb[2]) << 8) |
           argb[3];
}

uint32_t BrushColor(ThemeBrush brush) {
    switch (brush) {
    case kThemeBrushSheetBackgroundTransparent:
        return 0xFFE8E8E8;
    case kThemeBrushDocumentWindowBackground:
        return 0xFFFFFFFF;
    default:
        return 0xFFECECEC;
    }
}

void DisposeWindowNow(WindowRef ref) {
    World& world = TheWorld();
    Window* window = world.windows.Get(ref);
    if (!window)
        return;
    if (WindowRef sheet = window->sheet) {
        window->sheet = nullptr;
        if (Window* s = world.windows.Get(sheet))
            s->sheetParent = nullptr;
        DisposeWindowNow(sheet);
    }
    if (Window* parent = world.windows.Get(window->sheetParent))
        if (parent->sheet == ref)
            parent->sheet = nullptr;
    if (window->root)
        DisposeControlNow(window->root);
    RemoveTarget(window->target);
    world.order.erase(std::remove(world.order.begin(), world.order.end(), ref), world.order.end());
    world.drag.erase(ref);
    if (window->port)
        DisposeGWorld(window->port);
    for (ModalFrame* frame : world.modal)
        if (frame->window == ref)
            frame->quit = true;
    world.windows.Remove(ref);
}

} // namespace windows_detail

namespace {

SInt16 TitleBarHeight(WindowClass windowClass) {
    switch (windowClass) {
    case kUtilityWindowClass:
    case kFloatingWindowClass:
        return 16;
    case kSheetWindowClass:
    case kPlainWindowClass:
        return 0;
    default:
        return 22;
    }
}

bool KnownClass(WindowClass windowClass) {
    switch (windowClass) {
    case kAlertWindowClass:
    case kMovableAlertWindowClass:
    case kModalWindowClass:
    case kMovableModalWindowClass:
    case kFloatingWindowClass:
    case kDocumentWindowClass:
    case kUtilityWindowClass:
    case kSheetWindowClass:
    case kPlainWindowClass:
        return true;
    default:
        return false;
    }
}

Rect Structure(const Window& window) {
    Rect r = window.content;
    r.top = static_cast<SInt16>(r.top - TitleBarHeight(window.windowClass));
    return r;
}

// The backing store follows the content's size, keeping what overlaps.
void ResizeStore(Window& window) {
    const int width = std::max(0, window.content.right - window.content.left);
    const int height = std::max(0, window.content.bottom - window.content.top);
    Rect old{};
    const bool had = window.port && GetPortBounds(window.port, &old);
    if (had && old.right == width && old.bottom == height)
        return;
    GWorldPtr port = nullptr;
    const Rect bounds{0, 0, static_cast<SInt16>(height), static_cast<SInt16>(width)};
    if (width > 0 && height > 0 && NewGWorld(&port, 32, &bounds, nullptr, nullptr, 0) != noErr)
        port = nullptr;
    GWorldPtr previous = window.port;
    window.port = port;
    FillWindow(window, window.background);
    if (had && port) {
        const Rect overlap{0, 0, std::min<SInt16>(old.bottom, bounds.bottom),
                           std::min<SInt16>(old.right, bounds.right)};
        CopyBits(GetPortBitMapForCopyBits(previous), GetPortBitMapForCopyBits(port), &overlap,
                 &overlap, srcCopy, nullptr);
    }
    if (previous)
        DisposeGWorld(previous);
}

// Every change of bounds goes through here so that handlers see it: 'changing' may adjust the
// new bounds, 'changed' reports them.
OSStatus ChangeContentBounds(WindowRef ref, Rect bounds) {
    World& world = TheWorld();
    Window* window = world.windows.Get(ref);
    if (!window)
        return errInvalidWindowRef;
    const Rect previous = window->content;
    EventRef changing = MakeEvent(kEventClassWindow, kEventWindowBoundsChanging);
    PutParam(changing, kEventParamDirectObject, typeWindowRef, ref);
    PutParam(changing, kEventParamOriginalBounds, typeQDRectangle, previous);
    PutParam(changing, kEventParamPreviousBounds, typeQDRectangle, previous);
    PutParam(changing, kEventParamCurrentBounds, typeQDRectangle, bounds);
    SendEventToEventTarget(changing, window->target);
    ReadParam(changing, kEventParamCurrentBounds, typeQDRectangle, bounds);
    ReleaseEvent(changing);

    window = world.windows.Get(ref);
    if (!window)
        return errInvalidWindowRef;
    if (bounds.right < bounds.left)
        bounds.right = bounds.left;
    if (bounds.bottom < bounds.top)
        bounds.bottom = bounds.top;
    window->content = bounds;
    ResizeStore(*window);
    if (window->root)
        SizeControl(window->root, static_cast<SInt16>(bounds.right - bounds.left),
                    static_cast<SInt16>(bounds.bottom - bounds.top));

    EventRef changed = MakeEvent(kEventClassWindow, kEventWindowBoundsChanged);
    PutParam(changed, kEventParamDirectObject, typeWindowRef, ref);
    PutParam(changed, kEventParamOriginalBounds, typeQDRectangle, previous);
    PutParam(changed, kEventParamPreviousBounds, typeQDRectangle, previous);
    PutParam(changed, kEventParamCurrentBounds, typeQDRectangle, bounds);
    SendEventToEventTarget(changed, window->target);
    ReleaseEvent(changed);
    return noErr;
}

Rect Available() {
    return Rect{kMenuBarHeight, 0, kMainScreenHeight, kMainScreenWidth};
}

} // namespace

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow) {
    if (!contentBounds || !outWindow)
        return paramErr;
    if (!KnownClass(windowClass))
        return errUnrecognizedWindowClass;
    World& world = TheWorld();
    auto window = std::make_unique<Window>();
    window->windowClass = windowClass;
    window->attributes = attributes;
    window->content = *contentBounds;
    window->userState = *contentBounds;
    if (window->content.right < window->content.left)
        window->content.right = window->content.left;
    if (window->content.bottom < window->content.top)
        window->content.bottom = window->content.top;
    window->background = windowClass == kDocumentWindowClass ? 0xFFFFFFFF : 0xFFECECEC;
    ResizeStore(*window);
    WindowRef ref = world.windows.Add(std::move(window));
    Window* w = world.windows.Get(ref);
    w->target = NewTarget(Target::Kind::Window, ref, nullptr);
    ControlRef root = nullptr;
    CreateRootControl(ref, &root);
    world.order.insert(world.order.begin(), ref);
    *outWindow = ref;
    return noErr;
}

void DisposeWindow(WindowRef ref) {
    World& world = TheWorld();
    Window* window = world.windows.Get(ref);
    if (!window || window->disposePending)
        return;
    if (window->busy > 0) {
        // Its handlers are running: it goes when they return.
        window->disposePending = true;
        window->visible = false;
        world.order.erase(std::remove(world.order.begin(), world.order.end(), ref),
                          world.order.end());
        return;
    }
    DisposeWindowNow(ref);
}

Boolean IsValidWindowPtr(WindowRef window) {
    return LiveWindow(window) != nullptr;
}

OSStatus GetWindowClass(WindowRef ref, WindowClass* outClass) {
    Window* window = LiveWindow(ref);
    if (!window || !outClass)
        return window ? paramErr : errInvalidWindowRef;
    *outClass = window->windowClass;
    return noErr;
}

OSStatus GetWindowAttributes(WindowRef ref, WindowAttributes* outAttributes) {
    Window* window = LiveWindow(ref);
    if (!window || !outAttributes)
        return window ? paramErr : errInvalidWindowRef;
    *outAttributes = window->attributes;
    return noErr;
}

OSStatus ChangeWindowAttributes(WindowRef ref, WindowAttributes set, WindowAttributes clear) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    window->attributes = (window->attributes | set) & ~clear;
    return noErr;
}

void ShowWindow(WindowRef ref) {
    Window* window = LiveWindow(ref);
    if (!window || window->disposePending || window->visible)
        return;
    window->visible = true;
    InvalWindowRect(ref, nullptr);
}

void HideWindow(WindowRef ref) {
    if (Window* window = LiveWindow(ref))
        window->visible = false;
}

Boolean IsWindowVisible(WindowRef ref) {
    Window* window = LiveWindow(ref);
    return window && window->visible;
}

OSStatus ActivateWindow(WindowRef ref, Boolean activate) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (window->active == bool(activate))
        return noErr;
    window->active = activate;
    EventRef event =
        MakeEvent(kEventClassWindow, activate ? kEventWindowActivated : kEventWindowDeactivated);
    PutParam(event, kEventParamDirectObject, typeWindowRef, ref);
    SendEventToEventTarget(event, window->target);
    ReleaseEvent(event);
    return noErr;
}

Boolean IsWindowActive(WindowRef ref) {
    Window* window = LiveWindow(ref);
    return window && window->active;
}

void BringToFront(WindowRef ref) {
    World& world = TheWorld();
    if (!LiveWindow(ref))
        return;
    auto& order = world.order;
    auto found = std::find(order.begin(), order.end(), ref);
    if (found == order.end())
        return;
    order.erase(found);
    order.insert(order.begin(), ref);
}

void SelectWindow(WindowRef ref) {
    BringToFront(ref);
    for (WindowRef other : TheWorld().order)
        if (other != ref && IsWindowActive(other))
            ActivateWindow(other, false);
    ActivateWindow(ref, true);
}

void SendBehind(WindowRef ref, WindowRef behind) {
    World& world = TheWorld();
    if (!LiveWindow(ref))
        return;
    auto& order = world.order;
    order.erase(std::remove(order.begin(), order.end(), ref), order.end());
    auto at = std::find(order.begin(), order.end(), behind);
    order.insert(at == order.end() ? order.end() : at + 1, ref);
}

WindowRef FrontWindow() {
    for (WindowRef ref : TheWorld().order) {
        Window* window = LiveWindow(ref);
        if (window && window->visible && window->windowClass != kFloatingWindowClass &&
            window->windowClass != kUtilityWindowClass)
            return ref;
    }
    return nullptr;
}

WindowRef FrontNonFloatingWindow() {
    return FrontWindow();
}

OSStatus GetWindowBounds(WindowRef ref, WindowRegionCode region, Rect* outBounds) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!outBounds)
        return paramErr;
    if (region == kWindowContentRgn)
        *outBounds = window->content;
    else if (region == kWindowStructureRgn)
        *outBounds = Structure(*window);
    else
        return paramErr;
    return noErr;
}

OSStatus SetWindowBounds(WindowRef ref, WindowRegionCode region, const Rect* bounds) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!bounds || (region != kWindowContentRgn && region != kWindowStructureRgn))
        return paramErr;
    Rect content = *bounds;
    if (region == kWindowStructureRgn)
        content.top = static_cast<SInt16>(content.top + TitleBarHeight(window->windowClass));
    return ChangeContentBounds(ref, content);
}

void MoveWindow(WindowRef ref, SInt16 h, SInt16 v, Boolean front) {
    Window* window = LiveWindow(ref);
    if (!window)
        return;
    Rect r = window->content;
    const SInt16 width = static_cast<SInt16>(r.right - r.left);
    const SInt16 height = static_cast<SInt16>(r.bottom - r.top);
    r = Rect{v, h, static_cast<SInt16>(v + height), static_cast<SInt16>(h + width)};
    ChangeContentBounds(ref, r);
    if (front)
        SelectWindow(ref);
}

void SizeWindow(WindowRef ref, SInt16 width, SInt16 height, Boolean update) {
    Window* window = LiveWindow(ref);
    if (!window)
        return;
    Rect r = window->content;
    r.right = static_cast<SInt16>(r.left + std::max<SInt16>(0, width));
    r.bottom = static_cast<SInt16>(r.top + std::max<SInt16>(0, height));
    ChangeContentBounds(ref, r);
    if (update)
        InvalWindowRect(ref, nullptr);
}

void ZoomWindow(WindowRef ref, WindowPartCode part, Boolean) {
    Window* window = LiveWindow(ref);
    if (!window)
        return;
    if (part == inZoomOut && !window->zoomedOut) {
        window->userState = window->content;
        Rect r = Available();
        r.top = static_cast<SInt16>(r.top + TitleBarHeight(window->windowClass));
        window->zoomedOut = true;
        ChangeContentBounds(ref, r);
    } else if (part == inZoomIn && window->zoomedOut) {
        window->zoomedOut = false;
        ChangeContentBounds(ref, window->userState);
    }
}

OSStatus ZoomWindowIdeal(WindowRef ref, WindowPartCode part, Point*) {
    if (!LiveWindow(ref))
        return errInvalidWindowRef;
    ZoomWindow(ref, part, false);
    return noErr;
}

Boolean IsWindowInStandardState(WindowRef ref, Point*, Rect* idealStandardState) {
    Window* window = LiveWindow(ref);
    if (!window)
        return false;
    if (idealStandardState) {
        *idealStandardState = Available();
        idealStandardState->top =
            static_cast<SInt16>(idealStandardState->top + TitleBarHeight(window->windowClass));
    }
    return window->zoomedOut;
}

OSStatus CollapseWindow(WindowRef ref, Boolean collapse) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    window->collapsed = collapse;
    return noErr;
}

Boolean IsWindowCollapsed(WindowRef ref) {
    Window* window = LiveWindow(ref);
    return window && window->collapsed;
}

OSStatus GetAvailableWindowPositioningBounds(void*, Rect* outBounds) {
    if (!outBounds)
        return paramErr;
    *outBounds = Available();
    return noErr;
}

OSStatus RepositionWindow(WindowRef ref, WindowRef parentRef, UInt32 method) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    Rect area = Available();
    if (method == kWindowCenterOnParentWindow) {
        Window* parent = LiveWindow(parentRef);
        if (!parent)
            return errInvalidWindowRef;
        area = Structure(*parent);
    } else if (method != kWindowCenterOnMainScreen && method != kWindowAlertPositionOnMainScreen) {
        return paramErr;
    }
    const Rect structure = Structure(*window);
    const int width = structure.right - structure.left;
    const int height = structure.bottom - structure.top;
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = method == kWindowAlertPositionOnMainScreen
                        ? area.top + (area.bottom - area.top - height) / 3
                        : area.top + (area.bottom - area.top - height) / 2;
    Rect moved{static_cast<SInt16>(top), static_cast<SInt16>(left),
               static_cast<SInt16>(top + height), static_cast<SInt16>(left + width)};
    return SetWindowBounds(ref, kWindowStructureRgn, &moved);
}

OSStatus ConstrainWindowToScreen(WindowRef ref, WindowRegionCode, UInt32, const Rect* screenRect,
                                 Rect* outStructure) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    const Rect area = screenRect ? *screenRect : Available();
    Rect s = Structure(*window);
    int dx = 0, dy = 0;
    if (s.right > area.right)
        dx = area.right - s.right;
    if (s.left + dx < area.left)
        dx = area.left - s.left;
    if (s.bottom > area.bottom)
        dy = area.bottom - s.bottom;
    if (s.top + dy < area.top)
        dy = area.top - s.top;
    if (dx || dy) {
        Rect moved{static_cast<SInt16>(s.top + dy), static_cast<SInt16>(s.left + dx),
                   static_cast<SInt16>(s.bottom + dy), static_cast<SInt16>(s.right + dx)};
        OSStatus status = SetWindowBounds(ref, kWindowStructureRgn, &moved);
        if (status != noErr)
            return status;
    }
    if (outStructure)
        GetWindowBounds(ref, kWindowStructureRgn, outStructure);
    return noErr;
}

OSStatus SetWindowTitleWithCFString(WindowRef ref, CFStringRef title) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    window->title = title ? title->Text() : std::u16string();
    return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef ref, CFStringRef* outTitle) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!outTitle)
        return paramErr;
    *outTitle = new CFString(window->title);
    return noErr;
}

OSStatus SetThemeWindowBackground(WindowRef ref, ThemeBrush brush, Boolean) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    window->background = BrushColor(brush);
    FillWindow(*window, window->background);
    return noErr;
}

OSStatus SetWindowAlpha(WindowRef ref, float alpha) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!(alpha >= 0.0f && alpha <= 1.0f))
        return paramErr;
    window->alpha = alpha;
    return noErr;
}

OSStatus SetWindowContentColor(WindowRef ref, const RGBColor* color) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!color)
        return paramErr;
    window->background = 0xFF000000u | (uint32_t(color->red >> 8) << 16) |
                         (uint32_t(color->green >> 8) << 8) | uint32_t(color->blue >> 8);
    FillWindow(*window, window->background);
    return noErr;
}

OSStatus GetWindowContentColor(WindowRef ref, RGBColor* color) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (!color)
        return paramErr;
    color->red = static_cast<UInt16>(((window->background >> 16) & 0xFF) * 257);
    color->green = static_cast<UInt16>(((window->background >> 8) & 0xFF) * 257);
    color->blue = static_cast<UInt16>((window->background & 0xFF) * 257);
    return noErr;
}

OSStatus SetWindowProperty(WindowRef ref, OSType creator, OSType tag, UInt32 size,
                           const void* buffer) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    return SetProperty(window->properties, creator, tag, size, buffer);
}

OSStatus GetWindowProperty(WindowRef ref, OSType creator, OSType tag, UInt32 bufferSize,
                           UInt32* actualSize, void* buffer) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    return GetProperty(window->properties, creator, tag, bufferSize, actualSize, buffer,
                       errWindowPropertyNotFound);
}

OSStatus RemoveWindowProperty(WindowRef ref, OSType creator, OSType tag) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    return window->properties.erase({creator, tag}) ? noErr : errWindowPropertyNotFound;
}

void BeginUpdate(WindowRef) {}
void EndUpdate(WindowRef) {}

OSStatus InvalWindowRect(WindowRef ref, const Rect*) {
    Window* window = LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    if (window->updatePending || !window->visible)
        return noErr;
    window->updatePending = true;
    EventRef event = MakeEvent(kEventClassWindow, kEventWindowUpdate);
    PutParam(event, kEventParamDirectObject, typeWindowRef, ref);
    PostEventToQueue(GetMainEventQueue(), event, 0);
    ReleaseEvent(event);
    return noErr;
}

OSStatus ShowSheetWindow(WindowRef sheetRef, WindowRef parentRef) {
    World& world = TheWorld();
    Window* sheet = LiveWindow(sheetRef);
    Window* parent = LiveWindow(parentRef);
    if (!sheet || !parent || sheetRef == parentRef)
        return errInvalidWindowRef;
    if (sheet->windowClass != kSheetWindowClass || (parent->sheet && parent->sheet != sheetRef) ||
        (sheet->sheetParent && sheet->sheetParent != parentRef) || parent->disposePending)
        return paramErr;
    sheet->sheetParent = parentRef;
    parent->sheet = sheetRef;
    const int width = sheet->content.right - sheet->content.left;
    const int height = sheet->content.bottom - sheet->content.top;
    const int left =
        parent->content.left + (parent->content.right - parent->content.left - width) / 2;
    sheet->content =
        Rect{parent->content.top, static_cast<SInt16>(left),
             static_cast<SInt16>(parent->content.top + height), static_cast<SInt16>(left + width)};
    auto& order = world.order;
    order.erase(std::remove(order.begin(), order.end(), sheetRef), order.end());
    order.insert(std::find(order.begin(), order.end(), parentRef), sheetRef);
    sheet->visible = true;
    InvalWindowRect(sheetRef, nullptr);
    return noErr;
}

OSStatus HideSheetWindow(WindowRef sheetRef) {
    Window* sheet = LiveWindow(sheetRef);
    if (!sheet)
        return errInvalidWindowRef;
    if (!sheet->sheetParent)
        return paramErr;
    if (Window* parent = LiveWindow(sheet->sheetParent))
        if (parent->sheet == sheetRef)
            parent->sheet = nullptr;
    sheet->sheetParent = nullptr;
    sheet->visible = false;
    return noErr;
}

OSStatus GetSheetWindowParent(WindowRef sheetRef, WindowRef* outParent) {
    Window* sheet = LiveWindow(sheetRef);
    if (!sheet)
        return errInvalidWindowRef;
    if (!outParent)
        return paramErr;
    *outParent = sheet->sheetParent;
    return noErr;
}

} // namespace tbx

namespace tbx {

CGrafPtr GetWindowPort(WindowRef ref) {
    Window* window = windows_detail::LiveWindow(ref);
    return window ? window->port : nullptr;
}

WindowRef GetWindowFromPort(CGrafPtr port) {
    if (!port)
        return nullptr;
    for (WindowRef ref : windows_detail::TheWorld().windows.Handles())
        if (windows_detail::LiveWindow(ref)->port == port)
            return ref;
    return nullptr;
}

OSStatus SetPortWindowPort(WindowRef ref) {
    Window* window = windows_detail::LiveWindow(ref);
    if (!window)
        return errInvalidWindowRef;
    return SetGWorld(window->port, nullptr);
}

Boolean QDSwapPort(CGrafPtr newPort, CGrafPtr* oldPort) {
    CGrafPtr current = nullptr;
    GetGWorld(&current, nullptr);
    if (oldPort)
        *oldPort = current;
    if (current == newPort)
        return false;
    SetGWorld(newPort, nullptr);
    return true;
}

} // namespace tbx
