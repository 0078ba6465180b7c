#include "platform/windows/events.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

// One walk of a handler chain; an EventHandlerCallRef points at it while a handler runs.
struct DispatchFrame {
    std::vector<std::shared_ptr<Handler>> chain;
    std::size_t position = 0;
    EventTargetRef target = nullptr;
    bool standard = false;
};

EventTargetRef NewTarget(Target::Kind kind, WindowRef window, ControlRef control) {
    auto target = std::make_unique<Target>();
    target->kind = kind;
    target->window = window;
    target->control = control;
    return TheWorld().targets.Add(std::move(target));
}

void RemoveTarget(EventTargetRef ref) {
    World& world = TheWorld();
    if (Target* target = world.targets.Get(ref)) {
        for (auto& handler : target->handlers)
            handler->removed = true;
        world.targets.Remove(ref);
    }
}

} // namespace windows_detail

namespace {

// The targets an event sent to `ref` visits, in order, with whether the standard behaviour
// applies at the end of the walk.
std::vector<EventTargetRef> Chain(EventTargetRef ref, bool& standard) {
    World& world = TheWorld();
    std::vector<EventTargetRef> chain;
    standard = false;
    Target* target = world.targets.Get(ref);
    if (!target)
        return chain;
    chain.push_back(ref);
    switch (target->kind) {
    case Target::Kind::Dispatcher:
        standard = true;
        return chain;
    case Target::Kind::Application:
        standard = true;
        return chain;
    case Target::Kind::Control: {
        Control* control = LiveControl(target->control);
        for (ControlRef parent = control ? control->parent : nullptr; parent;) {
            Control* c = LiveControl(parent);
            if (!c)
                break;
            chain.push_back(c->target);
            parent = c->parent;
        }
        Window* window = control ? LiveWindow(control->window) : nullptr;
        if (window) {
            chain.push_back(window->target);
            standard = (window->attributes & kWindowStandardHandlerAttribute) != 0;
        }
        break;
    }
    case Target::Kind::Window: {
        Window* window = LiveWindow(target->window);
        standard = window && (window->attributes & kWindowStandardHandlerAttribute) != 0;
        break;
    }
    }
    chain.push_back(world.application);
    return chain;
}

OSStatus RunChain(DispatchFrame& frame, EventRef event, std::size_t from) {
    World& world = TheWorld();
    Event* e = world.events.Get(event);
    if (!e)
        return paramErr;
    const UInt32 eventClass = e->eventClass;
    const UInt32 eventKind = e->eventKind;
    for (std::size_t i = from; i < frame.chain.size(); ++i) {
        Handler& handler = *frame.chain[i];
        if (handler.removed || !handler.Wants(eventClass, eventKind))
            continue;
        frame.position = i;
        OSStatus result =
            handler.proc(reinterpret_cast<EventHandlerCallRef>(&frame), event, handler.userData);
        if (result != eventNotHandledErr)
            return result;
    }
    frame.position = frame.chain.size();
    if (frame.standard)
        return StandardBehaviour(event, frame.target);
    return eventNotHandledErr;
}

// Keeps the windows and controls of a chain alive while their handlers run.
class BusyMark {
public:
    explicit BusyMark(const std::vector<EventTargetRef>& chain) {
        World& world = TheWorld();
        for (EventTargetRef ref : chain) {
            Target* target = world.targets.Get(ref);
            if (!target)
                continue;
            if (target->kind == Target::Kind::Window) {
                if (Window* w = world.windows.Get(target->window)) {
                    ++w->busy;
                    _windows.push_back(target->window);
                }
            } else if (target->kind == Target::Kind::Control) {
                if (Control* c = world.controls.Get(target->control)) {
                    ++c->busy;
                    _controls.push_back(target->control);
                }
            }
        }
    }
    ~BusyMark() {
        World& world = TheWorld();
        for (ControlRef ref : _controls)
            if (Control* c = world.controls.Get(ref); c && --c->busy == 0 && c->disposePending)
                DisposeControlNow(ref);
        for (WindowRef ref : _windows)
            if (Window* w = world.windows.Get(ref); w && --w->busy == 0 && w->disposePending)
                DisposeWindowNow(ref);
    }

private:
    std::vector<WindowRef> _windows;
    std::vector<ControlRef> _controls;
};

DispatchFrame* FindFrame(EventHandlerCallRef ref) {
    for (DispatchFrame* frame : TheWorld().dispatchFrames)
        if (reinterpret_cast<EventHandlerCallRef>(frame) == ref)
            return frame;
    return nullptr;
}

} // namespace

OSStatus CreateEvent(CFAllocatorRef, UInt32 eventClass, UInt32 eventKind, EventTime when, UInt32,
                     EventRef* outEvent) {
    if (!outEvent)
        return paramErr;
    *outEvent = MakeEvent(eventClass, eventKind);
    if (when > 0)
        TheWorld().events.Get(*outEvent)->time = when;
    return noErr;
}

EventRef RetainEvent(EventRef event) {
    if (Event* e = TheWorld().events.Get(event))
        ++e->refs;
    return event;
}

void ReleaseEvent(EventRef event) {
    World& world = TheWorld();
    if (Event* e = world.events.Get(event)) {
        if (--e->refs <= 0) {
            world.gestures.erase(e->gesture);
            world.events.Remove(event);
        }
    }
}

UInt32 GetEventClass(EventRef event) {
    Event* e = TheWorld().events.Get(event);
    return e ? e->eventClass : 0;
}

UInt32 GetEventKind(EventRef event) {
    Event* e = TheWorld().events.Get(event);
    return e ? e->eventKind : 0;
}

EventTime GetEventTime(EventRef event) {
    Event* e = TheWorld().events.Get(event);
    return e ? e->time : 0;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size,
                           const void* data) {
    Event* e = TheWorld().events.Get(event);
    if (!e || (size && !data))
        return paramErr;
    Param& param = e->params[name];
    param.type = type;
    param.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* actualType, UInt32 bufferSize, UInt32* actualSize,
                           void* data) {
    Event* e = TheWorld().events.Get(event);
    if (!e)
        return paramErr;
    auto found = e->params.find(name);
    if (found == e->params.end())
        return eventParameterNotFoundErr;
    const Param& param = found->second;
    if (desiredType != typeWildCard && desiredType != param.type)
        return errAECoercionFail;
    if (actualType)
        *actualType = param.type;
    if (actualSize)
        *actualSize = static_cast<UInt32>(param.bytes.size());
    if (data) {
        if (bufferSize < param.bytes.size())
            return paramErr;
        std::memcpy(data, param.bytes.data(), param.bytes.size());
    }
    return noErr;
}

EventTargetRef GetApplicationEventTarget() {
    return TheWorld().application;
}

EventTargetRef GetEventDispatcherTarget() {
    return TheWorld().dispatcher;
}

EventTargetRef GetWindowEventTarget(WindowRef window) {
    Window* w = TheWorld().windows.Get(window);
    return w ? w->target : nullptr;
}

EventTargetRef GetControlEventTarget(ControlRef control) {
    Control* c = TheWorld().controls.Get(control);
    return c ? c->target : nullptr;
}

OSStatus InstallEventHandler(EventTargetRef targetRef, EventHandlerUPP proc, UInt32 numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
    World& world = TheWorld();
    Target* target = world.targets.Get(targetRef);
    if (!target || !proc || (numTypes && !list))
        return paramErr;
    auto handler = std::make_shared<Handler>();
    handler->proc = proc;
    handler->types.assign(list, list + numTypes);
    handler->userData = userData;
    handler->target = targetRef;
    target->handlers.insert(target->handlers.begin(), handler);
    EventHandlerRef ref = world.handlers.Add(std::make_unique<std::shared_ptr<Handler>>(handler));
    if (outRef)
        *outRef = ref;
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef ref) {
    World& world = TheWorld();
    auto* slot = world.handlers.Get(ref);
    if (!slot)
        return paramErr;
    std::shared_ptr<Handler> handler = *slot;
    handler->removed = true;
    if (Target* target = world.targets.Get(handler->target)) {
        auto& list = target->handlers;
        list.erase(std::remove(list.begin(), list.end(), handler), list.end());
    }
    world.handlers.Remove(ref);
    return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef ref, UInt32 numTypes, const EventTypeSpec* list) {
    auto* slot = TheWorld().handlers.Get(ref);
    if (!slot || (numTypes && !list))
        return paramErr;
    (*slot)->types.insert((*slot)->types.end(), list, list + numTypes);
    return noErr;
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef targetRef) {
    World& world = TheWorld();
    if (!world.events.Get(event))
        return paramErr;
    bool standard = false;
    std::vector<EventTargetRef> targets = Chain(targetRef, standard);
    if (targets.empty())
        return paramErr;
    DispatchFrame frame;
    frame.target = targetRef;
    frame.standard = standard;
    for (EventTargetRef ref : targets)
        if (Target* target = world.targets.Get(ref))
            frame.chain.insert(frame.chain.end(), target->handlers.begin(), target->handlers.end());
    RetainEvent(event);
    BusyMark busy(targets);
    world.dispatchFrames.push_back(&frame);
    OSStatus result = RunChain(frame, event, 0);
    world.dispatchFrames.erase(
        std::find(world.dispatchFrames.begin(), world.dispatchFrames.end(), &frame));
    ReleaseEvent(event);
    return result;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
    DispatchFrame* frame = FindFrame(callRef);
    if (!frame)
        return paramErr;
    const std::size_t saved = frame->position;
    OSStatus result = RunChain(*frame, event, saved + 1);
    frame->position = saved;
    return result;
}

EventLoopRef GetMainEventLoop() {
    return reinterpret_cast<EventLoopRef>(&TheWorld());
}

void* GetMainEventQueue() {
    return &TheWorld().queue;
}

OSStatus PostEventToQueue(void* queue, EventRef event, SInt16) {
    World& world = TheWorld();
    Event* e = world.events.Get(event);
    if (!e || queue != &world.queue)
        return paramErr;
    if (e->queued)
        return eventAlreadyPostedErr;
    e->queued = true;
    RetainEvent(event);
    world.queue.push_back(event);
    return noErr;
}

OSStatus ReceiveNextEvent(UInt32 numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent) {
    World& world = TheWorld();
    const EventTime deadline = timeout < 0 ? -1.0 : world.now + timeout;
    bool progressed = false;
    for (;;) {
        for (auto it = world.queue.begin(); it != world.queue.end(); ++it) {
            Event* e = world.events.Get(*it);
            bool wanted = numTypes == 0;
            for (UInt32 i = 0; i < numTypes && !wanted; ++i)
                wanted = list[i].eventClass == e->eventClass && list[i].eventKind == e->eventKind;
            if (!wanted)
                continue;
            EventRef event = *it;
            if (pullEvent) {
                world.queue.erase(it);
                e->queued = false;
            }
            if (outEvent)
                *outEvent = event;
            return noErr;
        }
        if (timeout == 0) {
            if (FireDueTimers())
                continue;
            return eventLoopTimedOutErr;
        }
        // Something that happened during this wait may be all there was: then the wait
        // simply runs out. A wait during which nothing at all could happen is a hang.
        if (!WaitStep(deadline, "ReceiveNextEvent", !(progressed && deadline >= 0))) {
            if (progressed && deadline >= 0 && !world.stuck) {
                world.now = std::max(world.now, deadline);
                return eventLoopTimedOutErr;
            }
            return eventLoopQuitErr;
        }
        progressed = true;
        if (deadline >= 0 && world.now >= deadline && world.queue.empty())
            return eventLoopTimedOutErr;
    }
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
    World& world = TheWorld();
    if (!LiveWindow(window))
        return errInvalidWindowRef;
    ModalFrame frame;
    frame.window = window;
    world.modal.push_back(&frame);
    OSStatus result = noErr;
    for (;;) {
        Window* w = world.windows.Get(window);
        if (frame.quit || !w || w->disposePending)
            break;
        if (!world.queue.empty()) {
            EventRef event = world.queue.front();
            world.queue.pop_front();
            world.events.Get(event)->queued = false;
            SendEventToEventTarget(event, world.dispatcher);
            ReleaseEvent(event);
            continue;
        }
        if (!WaitStep(-1, "a modal loop")) {
            result = eventLoopQuitErr;
            break;
        }
    }
    world.modal.erase(std::find(world.modal.begin(), world.modal.end(), &frame));
    return result;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
    World& world = TheWorld();
    if (!world.windows.Get(window))
        return errInvalidWindowRef;
    for (auto it = world.modal.rbegin(); it != world.modal.rend(); ++it) {
        if ((*it)->window == window && !(*it)->quit) {
            (*it)->quit = true;
            return noErr;
        }
    }
    return errWindowNotModal;
}

EventTime GetCurrentEventTime() {
    return TheWorld().now;
}

UInt32 TickCount() {
    return static_cast<UInt32>(std::floor(TheWorld().now * 60.0));
}

OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval delay,
                               EventTimerInterval interval, EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer) {
    World& world = TheWorld();
    if (loop != GetMainEventLoop() || !proc || !outTimer || delay < 0)
        return paramErr;
    auto timer = std::make_unique<Timer>();
    timer->proc = proc;
    timer->userData = userData;
    timer->fireTime = world.now + delay;
    timer->interval = interval > 0 ? interval : 0;
    *outTimer = world.timers.Add(std::move(timer));
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer) {
    return TheWorld().timers.Remove(timer) ? noErr : paramErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef ref, EventTimerInterval nextFire) {
    World& world = TheWorld();
    Timer* timer = world.timers.Get(ref);
    if (!timer)
        return paramErr;
    timer->fireTime =
        nextFire < 0 ? std::numeric_limits<EventTime>::infinity() : world.now + nextFire;
    return noErr;
}

} // namespace tbx
