// Routing of user events and the standard behaviours that run when no handler takes an event.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx::windows_detail {

namespace {

bool Blocked(WindowRef ref) {
    World& world = TheWorld();
    Window* window = LiveWindow(ref);
    if (!window)
        return true;
    if (window->sheet && IsWindowVisible(window->sheet))
        return true;
    for (auto it = world.modal.rbegin(); it != world.modal.rend(); ++it) {
        Window* top = LiveWindow((*it)->window);
        if (!top || (*it)->quit)
            continue;
        return ref != (*it)->window && window->sheetParent != (*it)->window;
    }
    return false;
}

WindowRef WindowUnder(Point global) {
    for (WindowRef ref : TheWorld().order) {
        Window* window = LiveWindow(ref);
        if (!window || !window->visible)
            continue;
        Rect structure;
        GetWindowBounds(ref, kWindowStructureRgn, &structure);
        if (PointInRect(global, structure))
            return ref;
    }
    return nullptr;
}

void SendHit(ControlRef control, ControlPartCode part, UInt32 modifiers) {
    Control* c = LiveControl(control);
    if (!c)
        return;
    EventRef hit = MakeEvent(kEventClassControl, kEventControlHit);
    PutParam(hit, kEventParamDirectObject, typeControlRef, control);
    PutParam(hit, kEventParamControlPart, typeControlPartCode, part);
    PutParam(hit, kEventParamKeyModifiers, typeUInt32, modifiers);
    SendEventToEventTarget(hit, c->target);
    ReleaseEvent(hit);
}

// A command event (to be released) that the control sends with its command id.
EventRef CommandFrom(ControlRef control, UInt32 commandID) {
    EventRef command = MakeEvent(kEventClassCommand, kEventCommandProcess);
    HICommandExtended record;
    record.attributes = kHICommandFromControl;
    record.commandID = commandID;
    record.source.control = control;
    PutParam(command, kEventParamDirectObject, typeHICommand, record);
    return command;
}

// The button of an alert window with the given item number.
ControlRef AlertButton(WindowRef window, SInt16 item) {
    static constexpr UInt32 kCommands[] = {0, kHICommandOK, kHICommandCancel, kHICommandOther};
    if (item < 1 || item > 3)
        return nullptr;
    for (ControlRef ref : WindowControls(window)) {
        Control* c = LiveControl(ref);
        if (c->kind == ControlKind::PushButton && c->command == kCommands[item])
            return ref;
    }
    return nullptr;
}

// The button when a key may press it: shown, active and enabled.
ControlRef Pressable(ControlRef button) {
    const Control* c = LiveControl(button);
    return c && c->active && c->enabled && ControlEffectivelyVisible(*c) ? button : nullptr;
}

OSStatus StandardControlHit(EventRef event) {
    ControlRef control = nullptr;
    ReadParam(event, kEventParamDirectObject, typeControlRef, control);
    Control* c = LiveControl(control);
    if (!c)
        return eventNotHandledErr;
    Window* window = LiveWindow(c->window);
    if (window && window->isAlert && c->kind == ControlKind::PushButton) {
        for (SInt16 item = 1; item <= 3; ++item) {
            if (AlertButton(c->window, item) == control) {
                window->itemHit = item;
                QuitAppModalLoopForWindow(c->window);
                if (EventTargetRef notify = window->notifyTarget) {
                    EventRef command = CommandFrom(control, c->command);
                    SendEventToEventTarget(command, notify);
                    ReleaseEvent(command);
                }
                return noErr;
            }
        }
    }
    if (c->command == 0)
        return eventNotHandledErr;
    EventRef command = CommandFrom(control, c->command);
    UInt32 modifiers = 0;
    ReadParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    PutParam(command, kEventParamKeyModifiers, typeUInt32, modifiers);
    OSStatus result = SendEventToEventTarget(command, c->target);
    ReleaseEvent(command);
    return result;
}

// Runs the edit control's key filter; true when it blocked the key or the control went.
bool FilterBlocks(ControlRef ref, SInt16& keyCode, SInt16& charCode, UInt16& modifiers) {
    Control* c = LiveControl(ref);
    if (!c || !c->keyFilter)
        return false;
    auto filter = reinterpret_cast<ControlKeyFilterUPP>(c->keyFilter);
    return filter(ref, &keyCode, &charCode, &modifiers) == kControlKeyFilterBlockKey ||
           !LiveControl(ref);
}

OSStatus EditKey(ControlRef ref, SInt16 keyCode, SInt16 charCode, UInt16 modifiers) {
    if (!LiveControl(ref))
        return eventNotHandledErr;
    if (FilterBlocks(ref, keyCode, charCode, modifiers))
        return noErr;
    Control* c = LiveControl(ref);
    std::u16string& text = c->text;
    std::size_t start = std::min<std::size_t>(c->selectionStart, text.size());
    std::size_t end = std::clamp<std::size_t>(c->selectionEnd, start, text.size());
    switch (charCode) {
    case 8: // backspace
        if (start == end && start > 0)
            --start;
        text.erase(start, end - start);
        end = start;
        break;
    case 127: // forward delete
        if (start == end && end < text.size())
            ++end;
        text.erase(start, end - start);
        end = start;
        break;
    case 28: // left
        start = end = start == end && start > 0 ? start - 1 : start;
        break;
    case 29: // right
        start = end = start == end && end < text.size() ? end + 1 : end;
        break;
    case 30:
    case 31:
    case 9:
    case 27:
        return eventNotHandledErr;
    default:
        if (charCode < 32 && charCode != 13)
            return eventNotHandledErr;
        text.replace(start, end - start, 1,
                     static_cast<char16_t>(charCode == 13 ? u'\r' : charCode));
        start = end = start + 1;
        break;
    }
    c->selectionStart = static_cast<SInt16>(start);
    c->selectionEnd = static_cast<SInt16>(end);
    return noErr;
}

OSStatus StandardKey(EventRef event, EventTargetRef targetRef) {
    Target* target = TheWorld().targets.Get(targetRef);
    if (!target)
        return eventNotHandledErr;
    UInt32 keyCode = 0, modifiers = 0;
    char macChar = 0;
    ReadParam(event, kEventParamKeyCode, typeUInt32, keyCode);
    ReadParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    ReadParam(event, kEventParamKeyMacCharCodes, typeChar, macChar);
    char16_t unicode = static_cast<unsigned char>(macChar);
    ReadParam(event, kEventParamKeyUnicodes, typeUnicodeText, unicode);
    const WindowRef window = target->window;
    Window* w = LiveWindow(window);
    if (!w)
        return eventNotHandledErr;
    Control* focus = LiveControl(w->focus);
    const bool editing = focus && focus->kind == ControlKind::EditText;
    SInt16 code = static_cast<SInt16>(keyCode), character = static_cast<SInt16>(unicode);
    UInt16 keys = static_cast<UInt16>(modifiers);
    const bool returnKey = keyCode == 36 || keyCode == 76;
    const bool cancelKey = keyCode == 53 || ((modifiers & cmdKey) && unicode == u'.');
    if (ControlRef button = returnKey   ? Pressable(w->defaultButton)
                            : cancelKey ? Pressable(w->cancelButton)
                                        : nullptr) {
        // A focused field's filter sees Return first, so that a field that ends its entry
        // on Return keeps the key for itself.
        if (returnKey && editing && FilterBlocks(w->focus, code, character, keys))
            return noErr;
        SendHit(button, kControlButtonPart, modifiers);
        return noErr;
    }
    if (keyCode == 48) {
        MoveFocus(window, (modifiers & shiftKey) != 0);
        return noErr;
    }
    if (editing)
        return EditKey(w->focus, code, character, keys);
    return eventNotHandledErr;
}

} // namespace

WindowRef FocusWindow() {
    World& world = TheWorld();
    WindowRef focus = nullptr;
    for (auto it = world.modal.rbegin(); it != world.modal.rend() && !focus; ++it)
        if (!(*it)->quit && LiveWindow((*it)->window))
            focus = (*it)->window;
    if (!focus)
        focus = FrontWindow();
    if (!focus) {
        for (WindowRef ref : world.order)
            if (IsWindowVisible(ref)) {
                focus = ref;
                break;
            }
    }
    if (Window* w = LiveWindow(focus); w && w->sheet && IsWindowVisible(w->sheet))
        focus = w->sheet;
    return focus;
}

OSStatus ClickInWindow(WindowRef window, EventRef event) {
    Window* w = LiveWindow(window);
    if (!w)
        return eventNotHandledErr;
    Point global;
    if (!ReadParam(event, kEventParamMouseLocation, typeQDPoint, global))
        return eventNotHandledErr;
    UInt32 modifiers = 0;
    ReadParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    const Point local = GlobalToLocal(*w, global);
    ControlPartCode part = kControlNoPart;
    ControlRef control = HitControl(window, local, &part);
    if (!control || part == kControlNoPart)
        return eventNotHandledErr;
    Control* c = LiveControl(control);
    if (FamilyOf(*c).TakesFocus(*c))
        SetKeyboardFocus(window, control, kControlFocusNextPart);
    // A user pane that tracks by itself gets its hit at the press and follows the rest of
    // the gesture.
    if (c->kind == ControlKind::UserPane && (c->features & kControlHandlesTracking)) {
        SendHit(control, part, modifiers);
        return noErr;
    }
    part = TrackControl(control, local, c->action);
    c = LiveControl(control);
    if (!c || part == kControlNoPart)
        return noErr;
    part = FamilyOf(*c).Clicked(control, part);
    if (part == kControlNoPart)
        return noErr;
    SendHit(control, part, modifiers);
    return noErr;
}

OSStatus StandardBehaviour(EventRef event, EventTargetRef targetRef) {
    World& world = TheWorld();
    Target* target = world.targets.Get(targetRef);
    if (!target)
        return eventNotHandledErr;
    if (target->kind == Target::Kind::Dispatcher)
        return RouteUserEvent(event);
    const UInt32 eventClass = GetEventClass(event);
    const UInt32 eventKind = GetEventKind(event);
    if (eventClass == kEventClassControl && eventKind == kEventControlHit &&
        target->kind == Target::Kind::Control)
        return StandardControlHit(event);
    if (eventClass == kEventClassWindow && target->kind == Target::Kind::Window) {
        if (eventKind == kEventWindowClose) {
            DisposeWindow(target->window);
            return noErr;
        }
        if (eventKind == kEventWindowUpdate) {
            if (Window* w = LiveWindow(target->window))
                ++w->updateCount;
            DrawControls(target->window);
            return noErr;
        }
    }
    if (eventClass == kEventClassMouse && eventKind == kEventMouseDown &&
        target->kind == Target::Kind::Window)
        return ClickInWindow(target->window, event);
    if (eventClass == kEventClassKeyboard &&
        (eventKind == kEventRawKeyDown || eventKind == kEventRawKeyRepeat) &&
        (target->kind == Target::Kind::Window || target->kind == Target::Kind::Control))
        return StandardKey(event, targetRef);
    return eventNotHandledErr;
}

OSStatus RouteUserEvent(EventRef event) {
    World& world = TheWorld();
    Event* e = world.events.Get(event);
    if (!e)
        return paramErr;
    EventTargetRef postTarget = nullptr;
    if (ReadParam(event, kEventParamPostTarget, typeEventTargetRef, postTarget))
        return SendEventToEventTarget(event, postTarget);

    switch (e->eventClass) {
    case kEventClassMouse: {
        Point global;
        ReadParam(event, kEventParamMouseLocation, typeQDPoint, global);
        WindowRef window = nullptr;
        if (!ReadParam(event, kEventParamWindowRef, typeWindowRef, window) || !LiveWindow(window))
            window = WindowUnder(global);
        if (!window)
            return eventNotHandledErr;
        if (e->eventKind == kEventMouseDown && Blocked(window)) {
            ++world.blockedClicks;
            world.gestures.erase(e->gesture);
            return noErr;
        }
        if (e->eventKind == kEventMouseWheelMoved && Blocked(window))
            return noErr;
        PutParam(event, kEventParamWindowRef, typeWindowRef, window);
        const uint32_t gestureId = e->eventKind == kEventMouseDown ? e->gesture : 0;
        if (gestureId) {
            world.activeGesture = gestureId;
            Gesture& gesture = world.gestures[gestureId];
            world.mouse = gesture.points.front();
            world.button = true;
        }
        OSStatus result = SendEventToEventTarget(event, GetWindowEventTarget(window));
        if (gestureId) {
            auto found = world.gestures.find(gestureId);
            if (found != world.gestures.end() && !found->second.released) {
                // Nobody tracked the mouse: it goes up where the gesture ends.
                found->second.released = true;
                world.mouse = found->second.points.back();
                world.button = false;
                if (LiveWindow(window) && !LiveWindow(window)->disposePending) {
                    EventRef up = MakeEvent(kEventClassMouse, kEventMouseUp);
                    PutParam(up, kEventParamMouseLocation, typeQDPoint, world.mouse);
                    PutParam(up, kEventParamWindowRef, typeWindowRef, window);
                    PutParam(up, kEventParamKeyModifiers, typeUInt32, found->second.modifiers);
                    EventMouseButton button = kEventMouseButtonPrimary;
                    ReadParam(event, kEventParamMouseButton, typeMouseButton, button);
                    PutParam(up, kEventParamMouseButton, typeMouseButton, button);
                    SendEventToEventTarget(up, GetWindowEventTarget(window));
                    ReleaseEvent(up);
                }
            }
            world.button = false;
            world.activeGesture = 0;
        }
        return result;
    }
    case kEventClassKeyboard:
    case kEventClassTextInput: {
        WindowRef window = FocusWindow();
        Window* w = LiveWindow(window);
        if (!w)
            return SendEventToEventTarget(event, world.application);
        EventTargetRef target = LiveControl(w->focus) ? GetControlEventTarget(w->focus) : w->target;
        return SendEventToEventTarget(event, target);
    }
    case kEventClassCommand: {
        WindowRef window = FocusWindow();
        EventTargetRef target = window ? GetWindowEventTarget(window) : world.application;
        return SendEventToEventTarget(event, target);
    }
    case kEventClassWindow: {
        WindowRef window = nullptr;
        ReadParam(event, kEventParamDirectObject, typeWindowRef, window);
        Window* w = LiveWindow(window);
        if (!w)
            return eventNotHandledErr;
        if (e->eventKind == kEventWindowUpdate)
            w->updatePending = false;
        return SendEventToEventTarget(event, w->target);
    }
    default:
        return SendEventToEventTarget(event, world.application);
    }
}

} // namespace tbx::windows_detail
