#include "platform/windows/world.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/text_encoding.h"
#include "platform/windows/events.h"

namespace tbx::windows_detail {
namespace {

std::unique_ptr<World> gWorld;

void InitWorld(World& world) {
    world.application = NewTarget(Target::Kind::Application, nullptr, nullptr);
    world.dispatcher = NewTarget(Target::Kind::Dispatcher, nullptr, nullptr);
    world.onFailure = [](const std::string& message) {
        std::fprintf(stderr, "windowing stand-in: %s\n", message.c_str());
    };
}

// A long run of timer firings with nothing else happening means a wait that only a missing
// scripted step could end.
constexpr int kMaxTimerOnlySteps = 100000;
int gTimerOnlySteps = 0;

} // namespace

World& TheWorld() {
    if (!gWorld) {
        gWorld = std::make_unique<World>();
        InitWorld(*gWorld);
    }
    return *gWorld;
}

void ResetWorld() {
    auto failure = gWorld ? gWorld->onFailure : nullptr;
    if (gWorld) {
        for (EventRef event : gWorld->queue)
            gWorld->events.Remove(event);
        gWorld->queue.clear();
    }
    gWorld.reset();
    gTimerOnlySteps = 0;
    World& world = TheWorld();
    if (failure)
        world.onFailure = failure;
}

void ReportFailure(const std::string& message) {
    World& world = TheWorld();
    if (world.onFailure)
        world.onFailure(message);
}

std::string WindowName(WindowRef window) {
    Window* w = TheWorld().windows.Get(window);
    if (!w)
        return "(no window)";
    if (!w->name.empty())
        return w->name;
    if (!w->title.empty())
        return text::Utf16ToUtf8(w->title);
    return "(untitled window)";
}

bool PointInRect(Point p, const Rect& r) {
    return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom;
}

Point LocalToGlobal(const Window& window, Point local) {
    return Point{static_cast<int16_t>(local.v + window.content.top),
                 static_cast<int16_t>(local.h + window.content.left)};
}

Point GlobalToLocal(const Window& window, Point global) {
    return Point{static_cast<int16_t>(global.v - window.content.top),
                 static_cast<int16_t>(global.h - window.content.left)};
}

EventRef MakeEvent(UInt32 eventClass, UInt32 eventKind) {
    auto event = std::make_unique<Event>();
    event->eventClass = eventClass;
    event->eventKind = eventKind;
    event->time = TheWorld().now;
    return TheWorld().events.Add(std::move(event));
}

void PutParam(EventRef event, EventParamName name, EventParamType type, const void* data,
              std::size_t size) {
    SetEventParameter(event, name, type, static_cast<UInt32>(size), data);
}

bool ReadParam(EventRef event, EventParamName name, EventParamType type, void* data,
               std::size_t size) {
    return GetEventParameter(event, name, type, nullptr, static_cast<UInt32>(size), nullptr,
                             data) == noErr;
}

bool FireDueTimers() {
    World& world = TheWorld();
    bool fired = false;
    if (world.timers.Count() == 0)
        return false;
    // One timer at a time, earliest first, since a timer may install or remove others.
    for (int guard = 0; guard < 10000; ++guard) {
        EventLoopTimerRef due = nullptr;
        EventTime best = std::numeric_limits<EventTime>::infinity();
        for (EventLoopTimerRef ref : world.timers.Handles()) {
            Timer* timer = world.timers.Get(ref);
            if (timer->fireTime <= world.now && timer->fireTime < best) {
                best = timer->fireTime;
                due = ref;
            }
        }
        if (!due)
            break;
        Timer* timer = world.timers.Get(due);
        timer->fireTime = timer->interval > 0 ? timer->fireTime + timer->interval
                                              : std::numeric_limits<EventTime>::infinity();
        timer->proc(due, timer->userData);
        fired = true;
    }
    return fired;
}

bool WaitStep(EventTime deadline, const char* what, bool reportIdle) {
    World& world = TheWorld();
    if (world.stuck)
        return false;
    if (FireDueTimers())
        return true;
    if (!world.script.empty()) {
        gTimerOnlySteps = 0;
        auto step = std::move(world.script.front());
        world.script.pop_front();
        ++world.stepDepth;
        step();
        --world.stepDepth;
        return true;
    }
    EventTime next = std::numeric_limits<EventTime>::infinity();
    for (EventLoopTimerRef ref : world.timers.Handles())
        next = std::min(next, world.timers.Get(ref)->fireTime);
    if (next != std::numeric_limits<EventTime>::infinity() && (deadline < 0 || next <= deadline) &&
        ++gTimerOnlySteps < kMaxTimerOnlySteps) {
        world.now = std::max(world.now, next);
        FireDueTimers();
        return true;
    }
    gTimerOnlySteps = 0;
    if (!reportIdle)
        return false;
    world.stuck = true;
    WindowRef focus = FocusWindow();
    ReportFailure(std::string("nothing is scripted while ") + what + " waits for window '" +
                  WindowName(focus) + "'");
    return false;
}

void Inject(EventRef event) {
    World& world = TheWorld();
    world.stuck = false;
    PostEventToQueue(GetMainEventQueue(), event, 0);
    ReleaseEvent(event);
    if (world.autoFlush && world.stepDepth == 0 && world.modal.empty() &&
        world.dispatchFrames.empty())
        DispatchQueue();
}

void DispatchQueue() {
    World& world = TheWorld();
    if (world.flushing)
        return;
    world.flushing = true;
    while (!world.queue.empty()) {
        EventRef event = world.queue.front();
        world.queue.pop_front();
        if (Event* e = world.events.Get(event))
            e->queued = false;
        SendEventToEventTarget(event, GetEventDispatcherTarget());
        ReleaseEvent(event);
    }
    world.flushing = false;
}

// The US keyboard layout: the unshifted character of each virtual key code.
namespace {
struct KeyEntry {
    UInt16 code;
    char16_t character;
};
constexpr KeyEntry kUSKeys[] = {
    {0, u'a'},   {1, u's'},  {2, u'd'},  {3, u'f'},   {4, u'h'},  {5, u'g'},   {6, u'z'},
    {7, u'x'},   {8, u'c'},  {9, u'v'},  {11, u'b'},  {12, u'q'}, {13, u'w'},  {14, u'e'},
    {15, u'r'},  {16, u'y'}, {17, u't'}, {18, u'1'},  {19, u'2'}, {20, u'3'},  {21, u'4'},
    {22, u'6'},  {23, u'5'}, {24, u'='}, {25, u'9'},  {26, u'7'}, {27, u'-'},  {28, u'8'},
    {29, u'0'},  {30, u']'}, {31, u'o'}, {32, u'u'},  {33, u'['}, {34, u'i'},  {35, u'p'},
    {36, u'\r'}, {37, u'l'}, {38, u'j'}, {39, u'\''}, {40, u'k'}, {41, u';'},  {42, u'\\'},
    {43, u','},  {44, u'/'}, {45, u'n'}, {46, u'm'},  {47, u'.'}, {48, u'\t'}, {49, u' '},
    {50, u'`'},  {51, 8},    {53, 27},   {65, u'.'},  {67, u'*'}, {69, u'+'},  {71, 27},
    {75, u'/'},  {76, 3},    {78, u'-'}, {81, u'='},  {82, u'0'}, {83, u'1'},  {84, u'2'},
    {85, u'3'},  {86, u'4'}, {87, u'5'}, {88, u'6'},  {89, u'7'}, {91, u'8'},  {92, u'9'},
    {117, 127},  {123, 28},  {124, 29},  {125, 31},   {126, 30},
};
constexpr char16_t kShifted[][2] = {
    {u'!', u'1'}, {u'@', u'2'}, {u'#', u'3'},  {u'$', u'4'}, {u'%', u'5'},  {u'^', u'6'},
    {u'&', u'7'}, {u'*', u'8'}, {u'(', u'9'},  {u')', u'0'}, {u'_', u'-'},  {u'+', u'='},
    {u'{', u'['}, {u'}', u']'}, {u'|', u'\\'}, {u':', u';'}, {u'"', u'\''}, {u'<', u','},
    {u'>', u'.'}, {u'?', u'/'}, {u'~', u'`'},
};
} // namespace

char16_t KeyCharacter(UInt16 keyCode) {
    for (const auto& key : kUSKeys)
        if (key.code == keyCode)
            return key.character;
    return 0;
}

int KeyCodeOf(char16_t character) {
    if (character >= u'A' && character <= u'Z')
        character = static_cast<char16_t>(character - u'A' + u'a');
    for (const auto& pair : kShifted)
        if (pair[0] == character)
            character = pair[1];
    if (character == u'\n')
        character = u'\r';
    for (const auto& key : kUSKeys)
        if (key.character == character)
            return key.code;
    return -1;
}

OSStatus SetProperty(PropertyMap& map, OSType creator, OSType tag, UInt32 size,
                     const void* buffer) {
    if (size && !buffer)
        return paramErr;
    auto bytes = static_cast<const uint8_t*>(buffer);
    map[{creator, tag}] = Bytes(bytes, bytes + size);
    return noErr;
}

OSStatus GetProperty(const PropertyMap& map, OSType creator, OSType tag, UInt32 bufferSize,
                     UInt32* actualSize, void* buffer, OSStatus notFound) {
    auto found = map.find({creator, tag});
    if (found == map.end())
        return notFound;
    if (actualSize)
        *actualSize = static_cast<UInt32>(found->second.size());
    if (buffer) {
        if (bufferSize < found->second.size())
            return paramErr;
        std::copy(found->second.begin(), found->second.end(), static_cast<uint8_t*>(buffer));
    }
    return noErr;
}

} // namespace tbx::windows_detail
