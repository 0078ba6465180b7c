// Classic event records, for callers that hand Carbon events to code written for them (the
// movie controller).
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

namespace tbx {

using EventKind = UInt16;
using EventModifiers = UInt16;

inline constexpr EventKind nullEvent = 0;
inline constexpr EventKind mouseDown = 1;
inline constexpr EventKind mouseUp = 2;
inline constexpr EventKind keyDown = 3;
inline constexpr EventKind keyUp = 4;
inline constexpr EventKind autoKey = 5;
inline constexpr EventKind updateEvt = 6;
inline constexpr EventKind activateEvt = 8;
inline constexpr EventKind osEvt = 15;

// A key event's message holds the character in its low byte and the key code above it; an
// update or activate event's message is the window; a mouse move is an operating-system event
// whose message has kMouseMovedMessage in its high byte.
inline constexpr std::uintptr_t charCodeMask = 0xFF;
inline constexpr std::uintptr_t keyCodeMask = 0xFF00;
inline constexpr std::uintptr_t kMouseMovedMessage = 0xFA;
inline constexpr EventModifiers activeFlag = 1;

// The message is pointer-sized, since it may hold a window.
struct EventRecord {
    EventKind what = nullEvent;
    std::uintptr_t message = 0;
    UInt32 when = 0; // ticks
    Point where;     // global
    EventModifiers modifiers = 0;
};

// Mouse downs, ups and moves, raw keys, window updates and (de)activations convert; any other
// event gives a null event and false, as does a stale event.
Boolean ConvertEventRefToEventRecord(EventRef event, EventRecord* outRecord);

} // namespace tbx
