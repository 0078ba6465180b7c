#include "platform/windows/event_record.h"

#include <cmath>

#include "platform/windows/events.h"

namespace tbx {

namespace {

EventKind KindOf(UInt32 eventClass, UInt32 eventKind) {
    switch (eventClass) {
    case kEventClassMouse:
        if (eventKind == kEventMouseDown)
            return mouseDown;
        if (eventKind == kEventMouseUp)
            return mouseUp;
        return eventKind == kEventMouseMoved || eventKind == kEventMouseDragged ? osEvt : nullEvent;
    case kEventClassKeyboard:
        if (eventKind == kEventRawKeyDown)
            return keyDown;
        if (eventKind == kEventRawKeyRepeat)
            return autoKey;
        return eventKind == kEventRawKeyUp ? keyUp : nullEvent;
    case kEventClassWindow:
        if (eventKind == kEventWindowUpdate)
            return updateEvt;
        return eventKind == kEventWindowActivated || eventKind == kEventWindowDeactivated
                   ? activateEvt
                   : nullEvent;
    default:
        return nullEvent;
    }
}

} // namespace

Boolean ConvertEventRefToEventRecord(EventRef event, EventRecord* outRecord) {
    if (!outRecord)
        return false;
    *outRecord = EventRecord{};
    const EventKind what = KindOf(GetEventClass(event), GetEventKind(event));
    if (what == nullEvent)
        return false;
    EventRecord& record = *outRecord;
    record.what = what;
    record.when = UInt32(std::floor(GetEventTime(event) * 60.0));
    UInt32 modifiers = 0;
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                      nullptr, &modifiers);
    record.modifiers = EventModifiers(modifiers);
    GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof record.where,
                      nullptr, &record.where);
    if (what == keyDown || what == autoKey || what == keyUp) {
        UInt32 code = 0;
        char character = 0;
        GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr,
                          &code);
        GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof character,
                          nullptr, &character);
        record.message = (std::uintptr_t(code & 0xFF) << 8) | static_cast<unsigned char>(character);
    } else if (what == updateEvt || what == activateEvt) {
        WindowRef window = nullptr;
        GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                          nullptr, &window);
        record.message = reinterpret_cast<std::uintptr_t>(window);
        if (GetEventKind(event) == kEventWindowActivated)
            record.modifiers |= activeFlag;
    } else if (what == osEvt) {
        record.message = kMouseMovedMessage << 24;
    }
    return true;
}

} // namespace tbx
