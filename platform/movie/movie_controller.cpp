#include "platform/movie/movie_controller.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/handle_table.h"
#include "platform/movie/controller_bar.h"
#include "platform/movie/movie_drawing.h"
#include "platform/movie/movie_playback.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"

namespace tbx {

namespace {

constexpr char kSpace = ' ';
constexpr char kLeftArrow = 0x1C;
constexpr char kRightArrow = 0x1D;
constexpr UInt16 kLeftArrowKey = 123;
constexpr UInt16 kRightArrowKey = 124;

SInt16 ClampCoordinate(int value) {
    return SInt16(std::clamp(value, -32768, 32767));
}

struct Controller {
    std::unique_ptr<MoviePlayback> playback;
    WindowRef window = nullptr; // when drawing into a window's port
    CGrafPtr port = nullptr;    // when drawing into any other port
    Rect movieRect;
    bool visible = true;
    bool keysEnabled = false;
    bool editing = false;
    double suspendedRate = 0; // the rate that resuming plays at
    SInt32 flags = 0;
    MCActionFilterWithRefConUPP filter = nullptr;
    SInt32 refCon = 0;
    EventHandlerRef keyHandler = nullptr;
    // What was drawn last, so that idling redraws only what changed.
    TimeValue drawnTime = -1;
    bool drawnPlaying = false;

    Movie* GetMovie() const { return playback->GetMovie(); }
    Rect Bar() const {
        return Rect{movieRect.bottom, movieRect.left,
                    ClampCoordinate(movieRect.bottom + kControllerBarHeight), movieRect.right};
    }
    Rect Bounds() const {
        Rect bounds = movieRect;
        if (visible)
            bounds.bottom = Bar().bottom;
        return bounds;
    }
    CGrafPtr Port() const { return window ? GetWindowPort(window) : port; }
};

TypedHandleTable<MovieController, Controller>& Controllers() {
    static TypedHandleTable<MovieController, Controller> table;
    return table;
}

Controller* Find(MovieController controller) {
    return Controllers().Get(controller);
}

// The movie's time as the controller shows it: never past the end.
TimeValue ShownTime(Movie& movie) {
    return std::min(movie.GetTime(), movie.GetDuration());
}

void Draw(Controller& c) {
    CGrafPtr port = c.Port();
    Movie* movie = c.GetMovie();
    CGrafPtr saved = nullptr;
    GDHandle device = nullptr;
    GetGWorld(&saved, &device);
    if (!port || SetGWorld(port, nullptr) != noErr)
        return;
    const TimeValue time = movie ? ShownTime(*movie) : 0;
    const bool playing = movie && movie->IsPlaying();
    if (movie && c.movieRect.right > c.movieRect.left && c.movieRect.bottom > c.movieRect.top)
        DrawMovieFrame(*movie, time, port, c.movieRect);
    if (c.visible) {
        const TimeValue duration = movie ? movie->GetDuration() : 0;
        DrawControllerBar(LayOutControllerBar(c.Bar()), playing,
                          duration > 0 ? double(time) / duration : 0.0, time,
                          movie ? movie->GetTimeScale() : 0);
    }
    SetGWorld(saved, device);
    c.drawnTime = time;
    c.drawnPlaying = playing;
}

void Idle(Controller& c) {
    Movie* movie = c.GetMovie();
    if (!movie)
        return;
    c.playback->Task();
    if (movie->IsDone()) {
        // Played to the end: it stops there.
        c.playback->Play(0);
        if (movie->GetTime() > movie->GetDuration())
            movie->SetTime(movie->GetDuration());
    }
    if (ShownTime(*movie) != c.drawnTime || movie->IsPlaying() != c.drawnPlaying)
        Draw(c);
}

// The frame `steps` frames from the one shown; nothing for a movie without a frame rate.
void Step(Controller& c, Movie& movie, intptr_t steps) {
    c.playback->Play(0);
    const double fps = movie.AverageFrameRate();
    if (!(fps > 0))
        return;
    const double scale = movie.GetTimeScale();
    const double frame = std::floor(movie.GetTime() * fps / scale + 1e-9);
    const double target = std::ceil((frame + double(steps)) * scale / fps - 1e-9);
    movie.SetTime(TimeValue(std::clamp(target, 0.0, double(movie.GetDuration()))));
}

void GoToTime(Controller& c, Movie& movie, const TimeRecord& record) {
    const int64_t scale = record.scale > 0 ? record.scale : movie.GetTimeScale();
    const __int128 value = __int128(record.value) * movie.GetTimeScale() / scale;
    movie.SetTime(TimeValue(std::clamp<__int128>(value, 0, movie.GetDuration())));
    c.playback->Task();
}

OSStatus KeyHandler(EventHandlerCallRef, EventRef event, void* data);

// The window gets the controller's keys while they are enabled.
void UpdateKeyHandler(MovieController controller, Controller& c) {
    const bool wanted = c.keysEnabled && c.window;
    if (c.keyHandler && (!wanted || !IsValidWindowPtr(c.window))) {
        RemoveEventHandler(c.keyHandler);
        c.keyHandler = nullptr;
    }
    if (wanted && !c.keyHandler) {
        static const EventTypeSpec kinds[] = {{kEventClassKeyboard, kEventRawKeyDown},
                                              {kEventClassKeyboard, kEventRawKeyRepeat}};
        if (InstallEventHandler(GetWindowEventTarget(c.window), KeyHandler, 2, kinds, controller,
                                &c.keyHandler) != noErr)
            c.keyHandler = nullptr;
    }
}

ComponentResult Toggle(MovieController controller, Controller& c) {
    const Fixed rate = c.playback->GetRate() > 0 ? 0 : GetMoviePreferredRate(c.GetMovie());
    return MCDoAction(controller, mcActionPlay, reinterpret_cast<void*>(intptr_t(rate)));
}

ComponentResult Key(MovieController controller, Controller& c, std::uintptr_t message) {
    if (!c.keysEnabled)
        return 0;
    const char character = char(message & charCodeMask);
    const UInt16 code = UInt16((message & keyCodeMask) >> 8);
    void* steps = nullptr;
    if (character == kSpace)
        return Toggle(controller, c) == noErr;
    if (character == kLeftArrow || code == kLeftArrowKey)
        steps = reinterpret_cast<void*>(intptr_t(-1));
    else if (character == kRightArrow || code == kRightArrowKey)
        steps = reinterpret_cast<void*>(intptr_t(1));
    else
        return 0;
    return MCDoAction(controller, mcActionStep, steps) == noErr;
}

void Scrub(MovieController controller, const ControllerBarLayout& layout, Point local) {
    Controller* c = Find(controller);
    Movie* movie = c ? c->GetMovie() : nullptr;
    if (!movie)
        return;
    TimeRecord record;
    record.value = std::llround(ScrubberFraction(layout, local) * movie->GetDuration());
    record.scale = movie->GetTimeScale();
    MCDoAction(controller, mcActionGoToTime, &record);
}

ComponentResult Click(MovieController controller, Controller& c, Point where) {
    CGrafPtr port = c.window ? GetWindowPort(c.window) : nullptr;
    if (!c.visible || !port)
        return 0;
    Point local = where;
    QDGlobalToLocalPoint(port, &local);
    const ControllerBarLayout layout = LayOutControllerBar(c.Bar());
    switch (ControllerBarPartAt(layout, local)) {
    case ControllerBarPart::Button:
        Toggle(controller, c);
        return 1;
    case ControllerBarPart::Scrubber:
        // The play head follows the mouse until it is released.
        Scrub(controller, layout, local);
        for (;;) {
            MouseTrackingResult result = kMouseTrackingMouseUp;
            if (!Find(controller) || !(port = MCGetControllerPort(controller)) ||
                TrackMouseLocation(port, &local, &result) != noErr)
                break;
            Scrub(controller, layout, local);
            if (result == kMouseTrackingMouseUp)
                break;
        }
        return 1;
    case ControllerBarPart::None:
        return 0;
    }
    return 0;
}

OSStatus KeyHandler(EventHandlerCallRef, EventRef event, void* data) {
    const auto controller = static_cast<MovieController>(data);
    Controller* c = Find(controller);
    ControlRef focus = nullptr;
    // A control that has the keyboard focus takes its keys first.
    if (!c || GetKeyboardFocus(c->window, &focus) != noErr || focus)
        return eventNotHandledErr;
    EventRecord record;
    if (!ConvertEventRefToEventRecord(event, &record))
        return eventNotHandledErr;
    return MCIsPlayerEvent(controller, &record) > 0 ? noErr : eventNotHandledErr;
}

} // namespace

MovieController NewMovieController(Movie* movie, const Rect* movieRect, SInt32 someFlags) {
    if (!movie || !movieRect)
        return nullptr;
    auto c = std::make_unique<Controller>();
    c->playback = std::make_unique<MoviePlayback>(*movie, [] { return GetCurrentEventTime(); });
    c->movieRect = *movieRect;
    c->visible = !(someFlags & mcNotVisible);
    return Controllers().Add(std::move(c));
}

ComponentResult DisposeMovieController(MovieController controller) {
    std::unique_ptr<Controller> c = Controllers().Remove(controller);
    if (!c)
        return badComponentInstance;
    if (c->keyHandler)
        RemoveEventHandler(c->keyHandler);
    return noErr;
}

ComponentResult MCSetControllerPort(MovieController controller, CGrafPtr port) {
    WindowRef window = GetWindowFromPort(port);
    const ComponentResult result = MCSetControllerWindow(controller, window);
    if (Controller* c = Find(controller); c && !window)
        c->port = port;
    return result;
}

ComponentResult MCSetControllerWindow(MovieController controller, WindowRef window) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (c->keyHandler && c->window != window) {
        RemoveEventHandler(c->keyHandler);
        c->keyHandler = nullptr;
    }
    c->window = window;
    c->port = nullptr;
    UpdateKeyHandler(controller, *c);
    return noErr;
}

CGrafPtr MCGetControllerPort(MovieController controller) {
    Controller* c = Find(controller);
    return c ? c->Port() : nullptr;
}

ComponentResult MCSetActionFilterWithRefCon(MovieController controller,
                                            MCActionFilterWithRefConUPP filter, SInt32 refCon) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    c->filter = filter;
    c->refCon = refCon;
    return noErr;
}

ComponentResult MCDoAction(MovieController controller, MCAction action, void* params) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (c->filter && c->filter(controller, action, params, c->refCon))
        return noErr;
    // The filter may have disposed of the controller.
    if (!(c = Find(controller)))
        return badComponentInstance;
    const auto number = reinterpret_cast<intptr_t>(params);
    switch (action) {
    case mcActionIdle:
        Idle(*c);
        return noErr;
    case mcActionDraw:
        Draw(*c);
        return noErr;
    case mcActionActivate:
    case mcActionDeactivate:
        Draw(*c);
        return noErr;
    case mcActionControllerSizeChanged:
        return noErr;
    case mcActionSetKeysEnabled:
        c->keysEnabled = number != 0;
        UpdateKeyHandler(controller, *c);
        return noErr;
    case mcActionGetKeysEnabled:
        if (!params)
            return paramErr;
        *static_cast<Boolean*>(params) = c->keysEnabled;
        return noErr;
    case mcActionSetFlags:
        c->flags = SInt32(number);
        return noErr;
    case mcActionGetFlags:
        if (!params)
            return paramErr;
        *static_cast<SInt32*>(params) = c->flags;
        return noErr;
    case mcActionGetPlayRate:
        if (!params)
            return paramErr;
        *static_cast<Fixed*>(params) = Fixed(std::lround(c->playback->GetRate() * fixed1));
        return noErr;
    default:
        break;
    }
    Movie* movie = c->GetMovie();
    if (!movie)
        return invalidMovie;
    switch (action) {
    case mcActionPlay: {
        const double rate = double(Fixed(number)) / fixed1;
        if (rate < 0)
            return paramErr;
        // Playing from the end starts over.
        if (rate > 0 && movie->IsDone())
            movie->SetTime(0);
        c->playback->Play(rate);
        c->suspendedRate = 0;
        break;
    }
    case mcActionGoToTime:
        if (!params)
            return paramErr;
        GoToTime(*c, *movie, *static_cast<const TimeRecord*>(params));
        break;
    case mcActionStep:
        Step(*c, *movie, number);
        break;
    case mcActionSuspend:
        c->suspendedRate = c->playback->GetRate();
        c->playback->Play(0);
        break;
    case mcActionResume:
        if (c->suspendedRate > 0)
            c->playback->Play(c->suspendedRate);
        c->suspendedRate = 0;
        break;
    default:
        return badComponentSelector;
    }
    Draw(*c);
    return noErr;
}

ComponentResult MCIsPlayerEvent(MovieController controller, const EventRecord* event) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (!event)
        return paramErr;
    const auto window = reinterpret_cast<WindowRef>(event->message);
    switch (event->what) {
    case nullEvent:
    case osEvt:
        MCDoAction(controller, mcActionIdle, nullptr);
        return 0;
    case updateEvt:
        if (c->window && window == c->window)
            Draw(*c);
        return 0;
    case activateEvt:
        if (c->window && window == c->window)
            MCDoAction(controller,
                       (event->modifiers & activeFlag) ? mcActionActivate : mcActionDeactivate,
                       nullptr);
        return 0;
    case mouseDown:
        return Click(controller, *c, event->where);
    case keyDown:
    case autoKey:
        return Key(controller, *c, event->message);
    default:
        return 0;
    }
}

ComponentResult MCSetControllerBoundsRect(MovieController controller, const Rect* bounds) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (!bounds)
        return paramErr;
    c->movieRect = *bounds;
    if (c->visible)
        c->movieRect.bottom =
            std::max(bounds->top, ClampCoordinate(bounds->bottom - kControllerBarHeight));
    Draw(*c);
    return MCDoAction(controller, mcActionControllerSizeChanged, nullptr);
}

ComponentResult MCGetControllerBoundsRect(MovieController controller, Rect* bounds) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (!bounds)
        return paramErr;
    *bounds = c->Bounds();
    return noErr;
}

ComponentResult MCSetVisible(MovieController controller, Boolean visible) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    c->visible = visible;
    Draw(*c);
    return noErr;
}

ComponentResult MCGetVisible(MovieController controller) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    return c->visible ? 1 : 0;
}

ComponentResult MCGetControllerInfo(MovieController controller, SInt32* someFlags) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    if (!someFlags)
        return paramErr;
    const Movie* movie = c->GetMovie();
    *someFlags = (movie && movie->HasSound() ? mcInfoHasSound : 0) |
                 (c->playback->GetRate() > 0 ? mcInfoIsPlaying : 0) |
                 (c->editing ? mcInfoEditingEnabled : 0);
    return noErr;
}

ComponentResult MCEnableEditing(MovieController controller, Boolean enabled) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    c->editing = enabled;
    return noErr;
}

ComponentResult MCDraw(MovieController controller, WindowRef) {
    Controller* c = Find(controller);
    if (!c)
        return badComponentInstance;
    Draw(*c);
    return noErr;
}

} // namespace tbx
