#include "platform/windows/drag.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/files/file_url.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

struct Drag {
    Point mouse;
    SInt16 modifiers = 0;
    std::vector<std::map<FlavorType, std::string>> items; // the flavours of each item
};

TypedHandleTable<DragRef, Drag>& Drags() {
    static TypedHandleTable<DragRef, Drag> table;
    return table;
}

} // namespace

namespace windows_detail {

bool DropOnWindow(WindowRef window, Point global, const std::vector<std::string>& paths) {
    World& world = TheWorld();
    auto found = world.drag.find(window);
    if (found == world.drag.end() || !LiveWindow(window))
        return false;
    const DragHandlers handlers = found->second;
    auto drag = std::make_unique<Drag>();
    drag->mouse = global;
    for (const std::string& path : paths)
        drag->items.push_back({{kDragFlavorTypeFileURL, FileUrl(path)}});
    DragRef ref = Drags().Add(std::move(drag));
    if (handlers.tracking) {
        auto tracking = reinterpret_cast<DragTrackingHandlerUPP>(handlers.tracking);
        for (DragTrackingMessage message :
             {kDragTrackingEnterHandler, kDragTrackingEnterWindow, kDragTrackingInWindow,
              kDragTrackingLeaveWindow, kDragTrackingLeaveHandler})
            if (LiveWindow(window))
                tracking(message, window, handlers.trackingRef, ref);
    }
    if (handlers.receive && LiveWindow(window))
        reinterpret_cast<DragReceiveHandlerUPP>(handlers.receive)(window, handlers.receiveRef, ref);
    Drags().Remove(ref);
    return true;
}

} // namespace windows_detail

OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon) {
    if (!LiveWindow(window) || !handler)
        return paramErr;
    DragHandlers& handlers = TheWorld().drag[window];
    if (handlers.tracking)
        return paramErr;
    handlers.tracking = reinterpret_cast<void*>(handler);
    handlers.trackingRef = refCon;
    return noErr;
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon) {
    if (!LiveWindow(window) || !handler)
        return paramErr;
    DragHandlers& handlers = TheWorld().drag[window];
    if (handlers.receive)
        return paramErr;
    handlers.receive = reinterpret_cast<void*>(handler);
    handlers.receiveRef = refCon;
    return noErr;
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window) {
    auto& drag = TheWorld().drag;
    auto found = drag.find(window);
    if (found == drag.end() || found->second.tracking != reinterpret_cast<void*>(handler))
        return paramErr;
    found->second.tracking = nullptr;
    found->second.trackingRef = nullptr;
    return noErr;
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window) {
    auto& drag = TheWorld().drag;
    auto found = drag.find(window);
    if (found == drag.end() || found->second.receive != reinterpret_cast<void*>(handler))
        return paramErr;
    found->second.receive = nullptr;
    found->second.receiveRef = nullptr;
    return noErr;
}

OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean enabled) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    w->autoDragTracking = enabled;
    return noErr;
}

OSStatus IsAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean* enabled) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (!enabled)
        return paramErr;
    *enabled = w->autoDragTracking;
    return noErr;
}

OSErr GetDragMouse(DragRef ref, Point* mouse, Point* pinned) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    if (mouse)
        *mouse = drag->mouse;
    if (pinned)
        *pinned = drag->mouse;
    return noErr;
}

OSErr GetDragModifiers(DragRef ref, SInt16* modifiers, SInt16* mouseDownModifiers,
                       SInt16* mouseUpModifiers) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    for (SInt16* out : {modifiers, mouseDownModifiers, mouseUpModifiers})
        if (out)
            *out = drag->modifiers;
    return noErr;
}

OSErr CountDragItems(DragRef ref, UInt16* numItems) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    if (!numItems)
        return paramErr;
    *numItems = static_cast<UInt16>(drag->items.size());
    return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef ref, UInt16 index, DragItemRef* outItem) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    if (!outItem || index < 1 || index > drag->items.size())
        return badDragItemErr;
    *outItem = index;
    return noErr;
}

OSErr GetFlavorDataSize(DragRef ref, DragItemRef item, FlavorType type, SInt32* outSize) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    if (item < 1 || item > drag->items.size())
        return badDragItemErr;
    auto flavor = drag->items[item - 1].find(type);
    if (flavor == drag->items[item - 1].end())
        return badDragFlavorErr;
    if (!outSize)
        return paramErr;
    *outSize = static_cast<SInt32>(flavor->second.size());
    return noErr;
}

OSErr GetFlavorData(DragRef ref, DragItemRef item, FlavorType type, void* data, SInt32* size,
                    UInt32 offset) {
    Drag* drag = Drags().Get(ref);
    if (!drag)
        return badDragRefErr;
    if (item < 1 || item > drag->items.size())
        return badDragItemErr;
    auto flavor = drag->items[item - 1].find(type);
    if (flavor == drag->items[item - 1].end())
        return badDragFlavorErr;
    if (!size || *size < 0 || (*size && !data))
        return paramErr;
    const std::string& url = flavor->second;
    if (offset > url.size())
        return cantGetFlavorErr;
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(*size), url.size() - offset);
    std::memcpy(data, url.data() + offset, n);
    *size = static_cast<SInt32>(n);
    return noErr;
}

namespace test {

void WithDrag(const std::vector<std::map<FlavorType, std::string>>& items, SInt16 modifiers,
              const std::function<void(DragRef)>& use) {
    auto drag = std::make_unique<Drag>();
    drag->items = items;
    drag->modifiers = modifiers;
    DragRef ref = Drags().Add(std::move(drag));
    use(ref);
    Drags().Remove(ref);
}

} // namespace test

} // namespace tbx
