// The test driver of the windowing stand-in: injects user actions, scripts the answers of
// modal loops, alerts and sheets, moves the virtual clock and reads the model's state.
//
// Injected actions are posted to the event queue. Outside of a wait (a modal loop, a
// ReceiveNextEvent with a time-out, a running alert) and outside of a handler they are
// dispatched at once; inside a scripted step the wait that ran the step dispatches them. A
// QueueOnly scope keeps them queued, for code that pumps the queue itself.
//
// Scripted steps run, one at a time and in order, whenever a wait finds nothing to do. A wait
// that finds no step fails the test through the failure handler, naming the window it waits
// for, and gives up.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/windows/carbon_types.h"
#include "platform/windows/menus.h"

namespace tbx::test {

// Everything back to a fresh start: no windows, handlers, timers, queued events or steps; the
// clock at 0; the arrow cursor. The failure handler is kept.
void ResetWindowing();
void SetFailureHandler(std::function<void(const std::string&)> handler);

// Scripted steps.
void Script(std::function<void()> step);
std::size_t PendingSteps();

class QueueOnly {
public:
    QueueOnly();
    ~QueueOnly();
    QueueOnly(const QueueOnly&) = delete;
    QueueOnly& operator=(const QueueOnly&) = delete;

private:
    bool _saved;
};

// Dispatches every queued event now.
void Flush();
std::size_t QueuedEvents();

// Windows.
std::vector<WindowRef> VisibleWindows();
// The top modal window, else the front window, else null; a sheet shown on it comes first.
WindowRef FocusedWindow();
// The first window of that nib name, null when none.
WindowRef FindWindow(const std::string& name);
std::string NameOf(WindowRef window);

// Clicks. Points are local to the window. A click is a press and release at one point; a
// gesture presses at the first point, drags through the others and releases at the last.
// False when there is no such window or control, or the window is hidden (nothing is posted).
bool Click(WindowRef window, Point local, UInt32 modifiers = 0,
           EventMouseButton button = kEventMouseButtonPrimary);
bool Gesture(WindowRef window, const std::vector<Point>& local, UInt32 modifiers = 0);
// A click in the middle of the control with that id in the window (the focused window when
// null).
bool ClickControl(WindowRef window, OSType signature, SInt32 id, UInt32 modifiers = 0);
bool ClickControl(OSType signature, SInt32 id, UInt32 modifiers = 0);
// A turn of the scroll wheel with the pointer at a local point of the window: the pointer
// moves there and {'mous',10} with the axis and delta goes to the window under it (which may
// be another window in front). False when the window is missing or hidden.
bool Wheel(WindowRef window, Point local, EventMouseWheelAxis axis, SInt32 delta,
           UInt32 modifiers = 0);
// A click on the first control with that command id.
bool ClickCommandButton(WindowRef window, UInt32 command);
// Answers the focused alert or sheet with the button of that item (1 to 3).
bool AnswerAlert(DialogItemIndex item);
// Sets a control's value as a user drag would, then sends its control hit.
bool ChangeValue(WindowRef window, OSType signature, SInt32 id, SInt32 value);

// Keys, typed text and menu commands go to the focused window.
void PressKey(UInt16 keyCode, UInt32 modifiers = 0);
void TypeText(const std::u16string& text);
void ChooseMenuCommand(UInt32 command, UInt32 modifiers = 0);

// Window frame actions. CloseWindow clicks the close box: false when the window has none or
// a modal window or sheet blocks it.
bool CloseWindow(WindowRef window);
bool DragWindowTo(WindowRef window, SInt16 left, SInt16 top);
bool ResizeWindow(WindowRef window, SInt16 width, SInt16 height);
// Drops files (full POSIX paths) at a local point, through the window's drag handlers.
bool DropFiles(WindowRef window, Point local, const std::vector<std::string>& paths);

// The virtual clock: fires the timers that fall due, in order.
void AdvanceTime(EventTime seconds);
EventTime Now();

// State of a control, with the visibility of the control itself and as shown.
struct ControlState {
    std::string kind;
    ControlID id;
    UInt32 command = 0;
    Rect bounds;
    bool visible = false;
    bool shown = false;
    bool active = false;
    bool enabled = false;
    SInt32 value = 0, minimum = 0, maximum = 0, viewSize = 0;
    std::u16string title;
    std::u16string text;
    ControlFontStyleRec fontStyle;
    ControlButtonContentInfo content;
    bool focused = false;
    uint32_t drawCount = 0;
    ControlRef parent = nullptr;
};
bool ReadControl(ControlRef control, ControlState& out);
ControlRef FindControl(WindowRef window, OSType signature, SInt32 id);
// A pixel of the window's backing store as ARGB; 0 outside it.
uint32_t ReadPixel(WindowRef window, int x, int y);
uint32_t UpdateCount(WindowRef window);
// The alpha set with SetWindowAlpha (1 opaque); -1 for a stale window.
float WindowAlpha(WindowRef window);

// Cursors: the theme cursor in force, or the resource id of a cursor set from a resource (0
// for a theme cursor).
ThemeCursor CurrentThemeCursor();
int CurrentCursorResource();

// Alerts and sheets shown so far, oldest first.
struct AlertRecord {
    bool sheet = false;
    bool preTen = false;
    AlertType type = kAlertPlainAlert;
    std::u16string error;
    std::u16string explanation;
    std::u16string buttons[3]; // items 1 to 3; empty when absent
    SInt16 defaultItem = 0;
    SInt16 cancelItem = 0;
    WindowRef window = nullptr;
};
const std::vector<AlertRecord>& Alerts();

// Pop-up menus: the answer of the next menu shown (PopUpMenuSelect, a pop-up button, a
// bevel button's menu): `item` of the menu with id `menu` (0: the menu shown; another id
// picks from one of its submenus); item 0 dismisses the menu. Menus shown so far, oldest
// first.
void ScriptPopUpChoice(MenuItemIndex item, MenuID menu = 0);
struct PopUpRecord {
    MenuRef menu = nullptr;
    Point where;
};
const std::vector<PopUpRecord>& PopUps();

// Menus: NewMenu fails while `live` menus are live, as it does when the handle table is full
// (ResetWindowing lifts the limit); and how many menus are live.
void LimitMenus(std::size_t live);
std::size_t LiveMenus();

// Data browsers: the items in the order shown, the text a cell shows (asked from the cell
// data callback), and a click on an item's row.
std::vector<UInt32> BrowserItems(ControlRef browser);
std::u16string BrowserCellText(ControlRef browser, UInt32 item, UInt32 property);
bool ClickBrowserItem(ControlRef browser, UInt32 item);

// File dialogs (Navigation Services). Each dialog run takes the next answer: a cancel, or
// the chosen paths (open and choose dialogs; a folder for choose-folder), or for a save
// dialog the folder and, when `hasName`, the typed name. Before that, a pop-up choice (the
// position of a filter entry) is reported to the dialog, and `listFolder` is listed through
// the dialog's object filter. A run with no answer fails the test script and cancels.
struct NavAnswer {
    bool cancel = false;
    std::vector<std::string> paths;
    std::string folder;
    std::u16string name;
    bool hasName = false;
    int popupItem = -1;
    std::string listFolder;
};
void ScriptNavAnswer(NavAnswer answer);
// What each dialog run showed: kind (0 save, 1 open, 2 choose file, 3 choose folder), texts,
// the filter pop-up, the names that the object filter let through, and the name in the save
// dialog's name field when it closed.
struct NavRecord {
    int kind = 0;
    std::u16string title, action, cancel, message, name;
    bool multiple = false;
    WindowRef parent = nullptr;
    std::vector<std::u16string> popup;
    std::vector<std::string> listed;
};
const std::vector<NavRecord>& NavDialogs();

// Clicks dropped because a modal window or a sheet blocked them.
int BlockedClicks();

// Why the last nib was refused.
std::string LastNibError();

} // namespace tbx::test
