// Carbon events: event objects with typed parameters, handler chains on event targets, the
// event queue, modal loops and event-loop timers on a virtual clock.
//
// Rules of the model (each has a test in tests/platform/windows/):
// - SendEventToEventTarget runs the handlers that asked for the event's class and kind,
//   newest first, along the target's chain: a control, its embedding controls, its window,
//   then the application. A sheet's or any window's chain ends at the application. A handler
//   that returns anything but eventNotHandledErr (-9874) ends the walk with that result;
//   CallNextEventHandler runs the rest of the chain from inside a handler.
// - When every handler passes, the standard behaviour runs for windows with the standard
//   handler (and always for the application and the event dispatcher):
//   * a control hit {'cntl',1} of a control with a command id follows up as a command event
//     {'cmds',1} (kHICommandFromControl) sent to the same control; in an alert, a button
//     hit answers the alert with that button;
//   * a close {'wind',72} disposes of the window;
//   * an update {'wind',1} draws the window's controls;
//   * a mouse-down {'mous',1} on a window tracks the control under the mouse and sends its
//     control hit;
//   * a key {'keyb',1} not taken presses the window's default button on Return and Enter
//     (unless a focused edit-text control's key filter blocks the key) and its cancel button
//     on Escape and Command-period, moves the focus on Tab (backwards with Shift), and types
//     into a focused edit-text control through its key filter.
// - Events taken from the queue go to GetEventDispatcherTarget(), which routes them: mouse
//   events to the window under the mouse (a click or wheel outside the top modal window, or
//   on a window that shows a sheet, is dropped; clicks are counted); keys to the focused control of
//   the focus window (the top modal window, else the front window or its sheet), else to that
//   window; commands to the focus window; events with kEventParamPostTarget to that target;
//   anything else to the application.
// - Size and move events ({'wind',26} then {'wind',27}) are sent synchronously by every
//   change of a window's bounds.
// - A window or control disposed while one of its handlers runs stays alive (its handle still
//   valid) until the dispatch that runs the handler unwinds; then it goes.
// - Waits (RunAppModalLoopForWindow, ReceiveNextEvent with a time-out) take, in order: a
//   queued event, a timer that is due, the next scripted test step, the next timer within the
//   time-out. When none exists the wait reports a failure naming the window it waits for and
//   gives up (eventLoopQuitErr) instead of hanging.
#pragma once

#include "platform/windows/carbon_types.h"

namespace tbx {

// Event objects. CreateEvent hands the caller one reference.
OSStatus CreateEvent(CFAllocatorRef, UInt32 eventClass, UInt32 eventKind, EventTime when,
                     UInt32 attributes, EventRef* outEvent);
EventRef RetainEvent(EventRef event);
void ReleaseEvent(EventRef event);
UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
EventTime GetEventTime(EventRef event);
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size,
                           const void* data);
// eventParameterNotFoundErr when the event lacks the parameter, errAECoercionFail when it has
// another type (typeWildCard takes any), paramErr for a stale event or too small a buffer.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* actualType, UInt32 bufferSize, UInt32* actualSize,
                           void* data);

// Handlers and targets.
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) {
    return proc;
}
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}
EventTargetRef GetApplicationEventTarget();
EventTargetRef GetEventDispatcherTarget();
// Null for a stale window or control.
EventTargetRef GetWindowEventTarget(WindowRef window);
EventTargetRef GetControlEventTarget(ControlRef control);
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);
OSStatus AddEventTypesToHandler(EventHandlerRef handler, UInt32 numTypes,
                                const EventTypeSpec* list);
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);

// The queue. PostEventToQueue takes its own reference.
EventLoopRef GetMainEventLoop();
OSStatus PostEventToQueue(void* queue, EventRef event, SInt16 priority);
void* GetMainEventQueue();
// Takes the first queued event of one of the listed types (any with numTypes 0). With a zero
// time-out it never waits; it then answers eventLoopTimedOutErr when nothing is queued.
OSStatus ReceiveNextEvent(UInt32 numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent);

// Modal loops. The loop also ends when its window is disposed of.
OSStatus RunAppModalLoopForWindow(WindowRef window);
// errWindowNotModal when no modal loop runs for the window.
OSStatus QuitAppModalLoopForWindow(WindowRef window);

// The virtual clock and timers.
EventTime GetCurrentEventTime();
UInt32 TickCount(); // sixtieths of a second of the virtual clock
inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc) {
    return proc;
}
inline void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}
// An interval of 0 fires once.
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval delay,
                               EventTimerInterval interval, EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire);

// Cooperative threads: there is only the main thread, so yielding returns at once.
inline OSErr YieldToAnyThread() {
    return noErr;
}

} // namespace tbx
