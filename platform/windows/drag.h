// Drag Manager: file drops on windows. A drag carries one item per file; each item has the
// flavour kDragFlavorTypeFileURL ('furl'), the file's URL as UTF-8 text ("file://" and the
// percent-encoded POSIX path). Tests can make drags of other flavours (test::WithDrag).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/windows/carbon_types.h"

namespace tbx {

using DragTrackingMessage = SInt16;
inline constexpr DragTrackingMessage kDragTrackingEnterHandler = 1;
inline constexpr DragTrackingMessage kDragTrackingEnterWindow = 2;
inline constexpr DragTrackingMessage kDragTrackingInWindow = 3;
inline constexpr DragTrackingMessage kDragTrackingLeaveWindow = 4;
inline constexpr DragTrackingMessage kDragTrackingLeaveHandler = 5;

inline constexpr FlavorType kDragFlavorTypeFileURL = FourCC("furl");

inline constexpr OSStatus badDragRefErr = -1850;
inline constexpr OSStatus badDragItemErr = -1851;
inline constexpr OSStatus badDragFlavorErr = -1852;
inline constexpr OSStatus cantGetFlavorErr = -1854;

using DragTrackingHandlerProcPtr = OSErr (*)(DragTrackingMessage, WindowRef, void* refCon, DragRef);
using DragTrackingHandlerUPP = DragTrackingHandlerProcPtr;
using DragReceiveHandlerProcPtr = OSErr (*)(WindowRef, void* refCon, DragRef);
using DragReceiveHandlerUPP = DragReceiveHandlerProcPtr;

inline DragTrackingHandlerUPP NewDragTrackingHandlerUPP(DragTrackingHandlerProcPtr proc) {
    return proc;
}
inline DragReceiveHandlerUPP NewDragReceiveHandlerUPP(DragReceiveHandlerProcPtr proc) {
    return proc;
}
inline void DisposeDragTrackingHandlerUPP(DragTrackingHandlerUPP) {}
inline void DisposeDragReceiveHandlerUPP(DragReceiveHandlerUPP) {}

// One tracking and one receive handler per window; installing a second one is refused.
OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon);
OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon);
OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window);
OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window);
OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean enabled);
OSStatus IsAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean* enabled);

// Global coordinates.
OSErr GetDragMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse);
// The keyboard modifiers held during the drag (the same three times).
OSErr GetDragModifiers(DragRef drag, SInt16* modifiers, SInt16* mouseDownModifiers,
                       SInt16* mouseUpModifiers);
OSErr CountDragItems(DragRef drag, UInt16* numItems);
// Index from 1.
OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* outItem);
OSErr GetFlavorDataSize(DragRef drag, DragItemRef item, FlavorType type, SInt32* outSize);
// `size` holds the buffer's room on entry and the bytes copied on return.
OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* data, SInt32* size,
                    UInt32 offset);

namespace test {
// A drag whose items carry these flavours, handed to `use` and gone afterwards.
void WithDrag(const std::vector<std::map<FlavorType, std::string>>& items, SInt16 modifiers,
              const std::function<void(DragRef)>& use);
} // namespace test

} // namespace tbx
