#include "platform/windows/test_driver.h"

#include <algorithm>

#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/font_panel.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx::test {

using namespace windows_detail;

namespace {

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Root:
        return "root";
    case ControlKind::PushButton:
        return "push";
    case ControlKind::BevelButton:
        return "bevel";
    case ControlKind::CheckBox:
        return "check";
    case ControlKind::RadioButton:
        return "radio";
    case ControlKind::StaticText:
        return "text";
    case ControlKind::EditText:
        return "edit";
    case ControlKind::ScrollBar:
        return "scrollbar";
    case ControlKind::Slider:
        return "slider";
    case ControlKind::ProgressBar:
        return "progress";
    case ControlKind::UserPane:
        return "pane";
    case ControlKind::Tabs:
        return "tabs";
    case ControlKind::PopupButton:
        return "popup";
    case ControlKind::GroupBox:
        return "group";
    case ControlKind::DataBrowser:
        return "browser";
    case ControlKind::Separator:
        return "separator";
    case ControlKind::ImageWell:
        return "imagewell";
    }
    return "?";
}

bool PostMouse(WindowRef window, const std::vector<Point>& local, UInt32 modifiers,
               EventMouseButton button) {
    World& world = TheWorld();
    Window* w = LiveWindow(window);
    if (!w || !w->visible || local.empty())
        return false;
    windows_detail::Gesture gesture;
    for (Point p : local)
        gesture.points.push_back(LocalToGlobal(*w, p));
    gesture.modifiers = modifiers;
    gesture.window = window;
    const uint32_t id = world.nextGesture++;
    EventRef down = MakeEvent(kEventClassMouse, kEventMouseDown);
    world.events.Get(down)->gesture = id;
    world.gestures[id] = std::move(gesture);
    PutParam(down, kEventParamMouseLocation, typeQDPoint, world.gestures[id].points.front());
    PutParam(down, kEventParamKeyModifiers, typeUInt32, modifiers);
    PutParam(down, kEventParamMouseButton, typeMouseButton, button);
    const UInt32 clicks = 1;
    PutParam(down, kEventParamClickCount, typeUInt32, clicks);
    Inject(down);
    return true;
}

WindowRef OrFocused(WindowRef window) {
    return window ? window : FocusWindow();
}

Point Middle(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2),
                 static_cast<int16_t>((r.left + r.right) / 2)};
}

void PostKey(UInt32 kind, UInt16 keyCode, char16_t character, UInt32 modifiers) {
    EventRef event = MakeEvent(kEventClassKeyboard, kind);
    const UInt32 code = keyCode;
    PutParam(event, kEventParamKeyCode, typeUInt32, code);
    PutParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    const char mac = character < 0x80 ? static_cast<char>(character) : '?';
    PutParam(event, kEventParamKeyMacCharCodes, typeChar, mac);
    PutParam(event, kEventParamKeyUnicodes, typeUnicodeText, character);
    Inject(event);
}

} // namespace

void ResetWindowing() {
    ResetWorld();
    ResetFontPanel();
    ResetColorPicker();
}

void SetFailureHandler(std::function<void(const std::string&)> handler) {
    TheWorld().onFailure = std::move(handler);
}

void Script(std::function<void()> step) {
    World& world = TheWorld();
    world.script.push_back(std::move(step));
    world.stuck = false;
}

std::size_t PendingSteps() {
    return TheWorld().script.size();
}

QueueOnly::QueueOnly() : _saved(TheWorld().autoFlush) {
    TheWorld().autoFlush = false;
}

QueueOnly::~QueueOnly() {
    TheWorld().autoFlush = _saved;
}

void Flush() {
    DispatchQueue();
}

std::size_t QueuedEvents() {
    return TheWorld().queue.size();
}

std::vector<WindowRef> VisibleWindows() {
    std::vector<WindowRef> out;
    for (WindowRef ref : TheWorld().order)
        if (IsWindowVisible(ref))
            out.push_back(ref);
    return out;
}

WindowRef FocusedWindow() {
    return FocusWindow();
}

WindowRef FindWindow(const std::string& name) {
    for (WindowRef ref : TheWorld().windows.Handles())
        if (LiveWindow(ref)->name == name)
            return ref;
    return nullptr;
}

std::string NameOf(WindowRef window) {
    return WindowName(window);
}

bool Click(WindowRef window, Point local, UInt32 modifiers, EventMouseButton button) {
    return PostMouse(window, {local}, modifiers, button);
}

bool Gesture(WindowRef window, const std::vector<Point>& local, UInt32 modifiers) {
    return PostMouse(window, local, modifiers, kEventMouseButtonPrimary);
}

bool ClickControl(WindowRef window, OSType signature, SInt32 id, UInt32 modifiers) {
    window = OrFocused(window);
    ControlRef control = FindControl(window, signature, id);
    if (!control)
        return false;
    return Click(window, Middle(LiveControl(control)->bounds), modifiers);
}

bool ClickControl(OSType signature, SInt32 id, UInt32 modifiers) {
    return ClickControl(nullptr, signature, id, modifiers);
}

bool Wheel(WindowRef window, Point local, EventMouseWheelAxis axis, SInt32 delta,
           UInt32 modifiers) {
    Window* w = LiveWindow(window);
    if (!w || !w->visible)
        return false;
    World& world = TheWorld();
    world.mouse = LocalToGlobal(*w, local);
    EventRef event = MakeEvent(kEventClassMouse, kEventMouseWheelMoved);
    PutParam(event, kEventParamMouseLocation, typeQDPoint, world.mouse);
    PutParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    PutParam(event, kEventParamMouseWheelAxis, typeMouseWheelAxis, axis);
    PutParam(event, kEventParamMouseWheelDelta, typeSInt32, delta);
    Inject(event);
    return true;
}

bool ClickCommandButton(WindowRef window, UInt32 command) {
    window = OrFocused(window);
    for (ControlRef ref : WindowControls(window)) {
        Control* c = LiveControl(ref);
        if (c->command == command && !c->disposePending)
            return Click(window, Middle(c->bounds));
    }
    return false;
}

bool AnswerAlert(DialogItemIndex item) {
    static constexpr UInt32 kCommands[] = {0, kHICommandOK, kHICommandCancel, kHICommandOther};
    if (item < 1 || item > 3)
        return false;
    WindowRef window = FocusWindow();
    Window* w = LiveWindow(window);
    if (!w || !w->isAlert)
        return false;
    return ClickCommandButton(window, kCommands[item]);
}

bool ChangeValue(WindowRef window, OSType signature, SInt32 id, SInt32 value) {
    window = OrFocused(window);
    ControlRef control = FindControl(window, signature, id);
    Control* c = LiveControl(control);
    if (!c || !c->active || !c->enabled || !ControlEffectivelyVisible(*c))
        return false;
    SetControl32BitValue(control, value);
    EventRef hit = MakeEvent(kEventClassControl, kEventControlHit);
    PutParam(hit, kEventParamDirectObject, typeControlRef, control);
    const ControlPartCode part = kControlIndicatorPart;
    PutParam(hit, kEventParamControlPart, typeControlPartCode, part);
    EventTargetRef target = c->target;
    PutParam(hit, kEventParamPostTarget, typeEventTargetRef, target);
    Inject(hit);
    return true;
}

void PressKey(UInt16 keyCode, UInt32 modifiers) {
    char16_t character = KeyCharacter(keyCode);
    if ((modifiers & shiftKey) && character >= u'a' && character <= u'z')
        character = static_cast<char16_t>(character - u'a' + u'A');
    PostKey(kEventRawKeyDown, keyCode, character, modifiers);
    PostKey(kEventRawKeyUp, keyCode, character, modifiers);
}

void TypeText(const std::u16string& text) {
    for (char16_t character : text) {
        const int code = KeyCodeOf(character);
        const bool upper = (character >= u'A' && character <= u'Z') ||
                           (code >= 0 && KeyCharacter(static_cast<UInt16>(code)) != character &&
                            character != u'\n');
        const UInt32 modifiers = upper ? shiftKey : 0;
        const UInt16 keyCode = static_cast<UInt16>(code < 0 ? 0xFF : code);
        PostKey(kEventRawKeyDown, keyCode, character == u'\n' ? u'\r' : character, modifiers);
        PostKey(kEventRawKeyUp, keyCode, character == u'\n' ? u'\r' : character, modifiers);
    }
}

void ChooseMenuCommand(UInt32 command, UInt32 modifiers) {
    EventRef event = MakeEvent(kEventClassCommand, kEventCommandProcess);
    HICommandExtended record;
    record.attributes = kHICommandFromMenu;
    record.commandID = command;
    PutParam(event, kEventParamDirectObject, typeHICommand, record);
    PutParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
    Inject(event);
}

bool CloseWindow(WindowRef window) {
    Window* w = LiveWindow(window);
    if (!w || !w->visible || !(w->attributes & kWindowCloseBoxAttribute))
        return false;
    World& world = TheWorld();
    bool blocked = w->sheet && IsWindowVisible(w->sheet);
    for (auto it = world.modal.rbegin(); it != world.modal.rend() && !blocked; ++it) {
        if ((*it)->quit || !LiveWindow((*it)->window))
            continue;
        blocked = (*it)->window != window;
        break;
    }
    if (blocked) {
        ++world.blockedClicks;
        return false;
    }
    EventRef event = MakeEvent(kEventClassWindow, kEventWindowClose);
    PutParam(event, kEventParamDirectObject, typeWindowRef, window);
    Inject(event);
    return true;
}

bool DragWindowTo(WindowRef window, SInt16 left, SInt16 top) {
    if (!LiveWindow(window))
        return false;
    MoveWindow(window, left, top, false);
    return true;
}

bool ResizeWindow(WindowRef window, SInt16 width, SInt16 height) {
    Window* w = LiveWindow(window);
    if (!w || !(w->attributes & kWindowResizableAttribute))
        return false;
    SizeWindow(window, width, height, true);
    return true;
}

bool DropFiles(WindowRef window, Point local, const std::vector<std::string>& paths) {
    Window* w = LiveWindow(window);
    if (!w)
        return false;
    return DropOnWindow(window, LocalToGlobal(*w, local), paths);
}

void AdvanceTime(EventTime seconds) {
    World& world = TheWorld();
    const EventTime end = world.now + std::max(0.0, seconds);
    for (;;) {
        EventTime next = end;
        for (EventLoopTimerRef ref : world.timers.Handles())
            next = std::min(next, world.timers.Get(ref)->fireTime);
        world.now = std::max(world.now, next);
        FireDueTimers();
        if (next >= end)
            break;
    }
    world.now = end;
}

EventTime Now() {
    return TheWorld().now;
}

bool ReadControl(ControlRef control, ControlState& out) {
    Control* c = LiveControl(control);
    if (!c)
        return false;
    out.kind = KindName(c->kind);
    out.id = c->id;
    out.command = c->command;
    out.bounds = c->bounds;
    out.visible = c->visible;
    out.shown = ControlEffectivelyVisible(*c);
    out.active = c->active;
    out.enabled = c->enabled;
    out.value = c->value;
    out.minimum = c->minimum;
    out.maximum = c->maximum;
    out.viewSize = c->viewSize;
    out.title = c->title;
    out.text = c->text;
    out.fontStyle = c->fontStyle;
    out.content = c->content;
    Window* w = LiveWindow(c->window);
    out.focused = w && w->focus == control;
    out.drawCount = c->drawCount;
    out.parent = c->parent;
    return true;
}

ControlRef FindControl(WindowRef window, OSType signature, SInt32 id) {
    const ControlID wanted{signature, id};
    ControlRef control = nullptr;
    return GetControlByID(window, &wanted, &control) == noErr ? control : nullptr;
}

uint32_t ReadPixel(WindowRef window, int x, int y) {
    Window* w = LiveWindow(window);
    return w ? WindowPixel(*w, x, y) : 0;
}

uint32_t UpdateCount(WindowRef window) {
    Window* w = LiveWindow(window);
    return w ? w->updateCount : 0;
}

float WindowAlpha(WindowRef window) {
    Window* w = LiveWindow(window);
    return w ? w->alpha : -1.0f;
}

ThemeCursor CurrentThemeCursor() {
    return TheWorld().themeCursor;
}

int CurrentCursorResource() {
    return TheWorld().cursorId;
}

const std::vector<AlertRecord>& Alerts() {
    return TheWorld().alerts;
}

void ScriptPopUpChoice(MenuItemIndex item, MenuID menu) {
    TheWorld().popUpChoices.push_back({item, menu});
}

const std::vector<PopUpRecord>& PopUps() {
    return TheWorld().popUps;
}

void LimitMenus(std::size_t live) {
    TheWorld().menuLimit = live;
}

std::size_t LiveMenus() {
    return TheWorld().menus.Count();
}

std::vector<UInt32> BrowserItems(ControlRef browser) {
    return BrowserOrder(browser);
}

std::u16string BrowserCellText(ControlRef browser, UInt32 item, UInt32 property) {
    return windows_detail::BrowserCellText(browser, item, property);
}

bool ClickBrowserItem(ControlRef browser, UInt32 item) {
    Control* c = LiveControl(browser);
    if (!c)
        return false;
    const std::vector<UInt32> order = BrowserOrder(browser);
    const auto at = std::find(order.begin(), order.end(), item);
    if (at == order.end())
        return false;
    const int row = static_cast<int>(at - order.begin());
    const Point point{static_cast<int16_t>(c->bounds.top + kDataBrowserHeaderHeight +
                                           row * kDataBrowserRowHeight + kDataBrowserRowHeight / 2),
                      static_cast<int16_t>(c->bounds.left + 4)};
    return Click(c->window, point);
}

void ScriptNavAnswer(NavAnswer answer) {
    TheWorld().navAnswers.push_back(std::move(answer));
}

const std::vector<NavRecord>& NavDialogs() {
    return TheWorld().navRecords;
}

int BlockedClicks() {
    return TheWorld().blockedClicks;
}

} // namespace tbx::test
