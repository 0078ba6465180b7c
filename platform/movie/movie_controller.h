// The standard movie controller: a movie shown in a port with the controller's bar below it,
// played, scrubbed and stepped by actions, clicks and keys.
//
// A controller draws into a window's port (whichever port the window has at the time) or an
// offscreen port. Its bounds hold the movie's rectangle and, while the bar is visible, the bar
// below it. While it lives the movie plays by the windowing model's clock, led by the sound
// device while sound plays (see MoviePlayback). Idle events (null events, mouse moves, the
// idle action) keep the sound fed, stop the movie at its end and redraw what changed.
//
// Action parameters follow the toolbox: numbers (rates as 16.16 fixed values, step counts,
// flags, Booleans) travel cast to the pointer; results come back through pointers.
//
// A controller handle is checked: a null or disposed one gives badComponentInstance. A
// controller whose movie has gone answers its movie actions with invalidMovie.
#pragma once

#include <cstdint>

#include "platform/movie/components.h"
#include "platform/movie/movie.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"
#include "platform/windows/event_record.h"

namespace tbx {

struct OpaqueMovieController;
using MovieController = OpaqueMovieController*;
using Fixed = SInt32;
using MCAction = SInt16;
using MCActionFilterWithRefConUPP = Boolean (*)(MovieController controller, MCAction action,
                                                void* params, SInt32 refCon);

inline constexpr Fixed fixed1 = 0x10000;
inline constexpr ComponentResult invalidMovie = -2010;

// Creation flags.
inline constexpr SInt32 mcTopLeftMovie = 1 << 0;
inline constexpr SInt32 mcNotVisible = 1 << 3;

// Controller flags (actions 38 and 39).
inline constexpr SInt32 mcFlagsUseWindowPalette = 1 << 3;

// What MCGetControllerInfo reports.
inline constexpr SInt32 mcInfoHasSound = 1 << 5;
inline constexpr SInt32 mcInfoIsPlaying = 1 << 6;
inline constexpr SInt32 mcInfoEditingEnabled = 1 << 9;

inline constexpr MCAction mcActionIdle = 1;
inline constexpr MCAction mcActionDraw = 2; // params: the window
inline constexpr MCAction mcActionActivate = 3;
inline constexpr MCAction mcActionDeactivate = 4;
inline constexpr MCAction mcActionPlay = 8;                   // params: the rate (Fixed); 0 stops
inline constexpr MCAction mcActionGoToTime = 12;              // params: TimeRecord*
inline constexpr MCAction mcActionStep = 18;                  // params: frames, back when negative
inline constexpr MCAction mcActionControllerSizeChanged = 26; // sent to the filter
inline constexpr MCAction mcActionSetKeysEnabled = 32;        // params: Boolean
inline constexpr MCAction mcActionGetKeysEnabled = 33;        // params: Boolean*
inline constexpr MCAction mcActionSetFlags = 38;              // params: the flags
inline constexpr MCAction mcActionGetFlags = 39;              // params: SInt32*
inline constexpr MCAction mcActionGetPlayRate = 42;           // params: Fixed*
inline constexpr MCAction mcActionSuspend = 46;
inline constexpr MCAction mcActionResume = 47;

// A time in units of a scale (0: the movie's).
struct TimeRecord {
    int64_t value = 0;
    TimeScale scale = 0;
    void* base = nullptr;
};

// Movies here always prefer the normal rate.
inline Fixed GetMoviePreferredRate(Movie*) {
    return fixed1;
}

// The movie takes `movieRect` and the bar goes below it. Null for a null movie or rectangle.
// Only mcNotVisible of the flags changes anything.
MovieController NewMovieController(Movie* movie, const Rect* movieRect, SInt32 someFlags);
ComponentResult DisposeMovieController(MovieController controller);

// The port drawn into: a window's port stands for the window, which also gets the controller's
// keys while they are enabled and nothing else in it has the keyboard focus.
ComponentResult MCSetControllerPort(MovieController controller, CGrafPtr port);
// The same for a window given as such: a window without area has no port to give, and gets
// one when it grows.
ComponentResult MCSetControllerWindow(MovieController controller, WindowRef window);
// The port drawn into now.
CGrafPtr MCGetControllerPort(MovieController controller);

// Every action passes the filter first; a filter that answers true has handled it.
ComponentResult MCDoAction(MovieController controller, MCAction action, void* params);
ComponentResult MCSetActionFilterWithRefCon(MovieController controller,
                                            MCActionFilterWithRefConUPP filter, SInt32 refCon);

// 1 when the event was the controller's: a click on its bar, or a key it acts on while its
// keys are enabled. Idle events, updates and activations are acted on and answer 0. A
// press on the scrubber tracks the mouse until it is released.
ComponentResult MCIsPlayerEvent(MovieController controller, const EventRecord* event);

// Bounds: the movie's rectangle, less the bar's height while the bar is visible, and the bar.
ComponentResult MCSetControllerBoundsRect(MovieController controller, const Rect* bounds);
ComponentResult MCGetControllerBoundsRect(MovieController controller, Rect* bounds);
// Showing or hiding the bar keeps the movie's rectangle and grows or shrinks the bounds.
ComponentResult MCSetVisible(MovieController controller, Boolean visible);
ComponentResult MCGetVisible(MovieController controller);
ComponentResult MCGetControllerInfo(MovieController controller, SInt32* someFlags);
ComponentResult MCEnableEditing(MovieController controller, Boolean enabled);
// Draws the movie and the bar now.
ComponentResult MCDraw(MovieController controller, WindowRef window);

} // namespace tbx
