// The in-memory model behind the windowing stand-in. Only the stand-in's own sources include
// this header; callers use the toolbox calls and the test driver.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/files/fs_types.h"
#include "platform/handle_table.h"
#include "platform/windows/carbon_types.h"
#include "platform/windows/data_browser.h"
#include "platform/windows/menus.h"
#include "platform/windows/navigation.h"
#include "platform/windows/test_driver.h"

namespace tbx::windows_detail {

using Bytes = std::vector<uint8_t>;
using PropertyMap = std::map<std::pair<OSType, OSType>, Bytes>;

// Window and control properties: bytes kept under a creator and a tag.
OSStatus SetProperty(PropertyMap& map, OSType creator, OSType tag, UInt32 size, const void* buffer);
OSStatus GetProperty(const PropertyMap& map, OSType creator, OSType tag, UInt32 bufferSize,
                     UInt32* actualSize, void* buffer, OSStatus notFound);

struct Handler {
    EventHandlerUPP proc = nullptr;
    std::vector<EventTypeSpec> types;
    void* userData = nullptr;
    EventTargetRef target = nullptr;
    bool removed = false;

    bool Wants(UInt32 eventClass, UInt32 eventKind) const {
        for (const auto& t : types)
            if (t.eventClass == eventClass && t.eventKind == eventKind)
                return true;
        return false;
    }
};

struct Target {
    enum class Kind { Application, Dispatcher, Window, Control } kind = Kind::Application;
    WindowRef window = nullptr;
    ControlRef control = nullptr;
    // Newest first: the handler installed last runs first.
    std::vector<std::shared_ptr<Handler>> handlers;
};

struct Param {
    EventParamType type = 0;
    Bytes bytes;
};

struct Event {
    UInt32 eventClass = 0;
    UInt32 eventKind = 0;
    EventTime time = 0;
    std::map<EventParamName, Param> params;
    int refs = 1;
    uint32_t gesture = 0; // the mouse path of an injected click, 0 for none
    bool queued = false;
};

enum class ControlKind {
    Root,
    PushButton,
    BevelButton,
    CheckBox,
    RadioButton,
    StaticText,
    EditText,
    ScrollBar,
    Slider,
    ProgressBar,
    UserPane,
    Tabs,
    PopupButton,
    GroupBox,
    DataBrowser,
    Separator,
    ImageWell,
};

// The list of a data browser.
struct BrowserColumn {
    DataBrowserPropertyDesc property;
    std::u16string title;
    SInt16 justification = 0;
};

struct BrowserData {
    DataBrowserViewStyle style = 0;
    std::vector<BrowserColumn> columns;
    std::vector<DataBrowserItemID> items;                     // in the order added
    std::unordered_map<DataBrowserItemID, std::size_t> where; // position in `items`
    std::unordered_set<DataBrowserItemID> selected;
    DataBrowserCallbacks callbacks;
    DataBrowserSelectionFlags selectionFlags = 0;
    DataBrowserPropertyID sortProperty = 0;
    DataBrowserTableViewHiliteStyle hilite = 0;
    uint64_t updates = 0; // redraw requests, each for some or all items
    // Container mode: the container of each item that has one, the open containers and the
    // column that shows the disclosure triangles.
    std::unordered_map<DataBrowserItemID, DataBrowserItemID> parent;
    std::unordered_set<DataBrowserItemID> open;
    DataBrowserPropertyID disclosureColumn = 0;
};

struct Control {
    ControlKind kind = ControlKind::UserPane;
    WindowRef window = nullptr;
    ControlRef parent = nullptr;
    std::vector<ControlRef> children;
    EventTargetRef target = nullptr;

    ControlID id;
    UInt32 command = 0;
    SRefCon reference = 0;
    Rect bounds;
    bool visible = true;
    bool active = true;
    bool enabled = true;
    SInt32 value = 0;
    SInt32 minimum = 0;
    SInt32 maximum = 0;
    SInt32 viewSize = 0;
    std::u16string title;
    ControlFontStyleRec fontStyle;
    UInt32 features = 0;
    bool autoToggle = false;
    ControlActionUPP action = nullptr;

    // Text of static and edit text, with the edit selection and key filter.
    std::u16string text;
    SInt16 selectionStart = 0;
    SInt16 selectionEnd = 0;
    void* keyFilter = nullptr;
    bool password = false;

    ControlButtonContentInfo content;
    UInt16 bevelBehavior = 0;
    SInt16 menuValue = 0;
    bool indeterminate = false;
    UInt16 sliderOrientation = 0;
    UInt16 tickMarks = 0;
    bool liveTracking = false;
    std::vector<std::u16string> tabLabels;
    // The menu of a pop-up or bevel button, the menu the last choice came from and whether
    // the control disposes of the menu with itself.
    MenuRef menu = nullptr;
    MenuID lastMenu = 0;
    bool ownsMenu = false;
    bool checkCurrent = true; // a pop-up marks its current item

    std::map<std::pair<ControlPartCode, OSType>, Bytes> data;
    PropertyMap properties;
    std::shared_ptr<BrowserData> browser;
    // The help tag: minimum and maximum content (none when empty), side and hot rectangle.
    std::vector<std::u16string> helpTag;
    SInt16 helpSide = 0;
    Rect helpRect;

    int busy = 0;
    bool disposePending = false;
    uint32_t drawCount = 0;
};

struct MenuItem {
    std::u16string text;
    MenuCommand command = 0;
    UInt8 modifiers = 0;
    UInt16 key = 0;
    bool virtualKey = false;
    CharParameter mark = 0;
    bool enabled = true;
    bool separator = false;
    MenuRef submenu = nullptr;
};

struct Menu {
    MenuID id = 0;
    std::u16string title;
    bool enabled = true; // item 0
    std::vector<MenuItem> items;
};

struct PopUpChoice {
    UInt16 item = 0;
    MenuID menu = 0; // 0: the menu shown
};

struct AEData {
    std::vector<FSRef> items;
};

struct NavDialog {
    int kind = 0; // 0 save, 1 open, 2 choose file, 3 choose folder
    NavEventUPP eventProc = nullptr;
    NavObjectFilterUPP filter = nullptr;
    void* userData = nullptr;
    OSType fileType = 0, fileCreator = 0;
    std::u16string editName;
    std::size_t record = 0; // index in the records of the test driver
    bool valid = false;
    std::vector<FSRef> chosen;
};

struct Window {
    WindowClass windowClass = kDocumentWindowClass;
    WindowAttributes attributes = 0;
    Rect content; // global coordinates
    bool visible = false;
    bool collapsed = false;
    bool active = false;
    bool zoomedOut = false;
    Rect userState;
    std::u16string title;
    std::string name; // the nib name, or a name the creator gives for messages
    PropertyMap properties;
    ControlRef root = nullptr;
    ControlRef focus = nullptr;
    EventTargetRef target = nullptr;
    WindowRef sheetParent = nullptr; // for a sheet shown on a window
    WindowRef sheet = nullptr;       // the sheet shown on this window
    bool autoDragTracking = false;

    // The buttons that Return and Enter, and Escape and Command-period, press.
    ControlRef defaultButton = nullptr;
    ControlRef cancelButton = nullptr;
    float alpha = 1.0f;

    // Alerts built by the alert calls: the item of the button hit, 0 until then.
    bool isAlert = false;
    DialogItemIndex itemHit = 0;
    int alertRecord = -1;
    EventTargetRef notifyTarget = nullptr;

    uint32_t background = 0xFFFFFFFF; // ARGB
    GWorldPtr port = nullptr;         // 32-bit backing store of the content; null when empty
    uint32_t updateCount = 0;
    bool updatePending = false;

    int busy = 0;
    bool disposePending = false;
};

struct Timer {
    EventLoopTimerUPP proc = nullptr;
    void* userData = nullptr;
    EventTime fireTime = 0;
    EventTime interval = 0;
};

struct Gesture {
    std::vector<Point> points; // global; the button is held from the first to the last
    std::size_t next = 0;      // the point the mouse is at
    bool released = false;
    UInt32 modifiers = 0;
    WindowRef window = nullptr;
};

struct ModalFrame {
    WindowRef window = nullptr;
    bool quit = false;
};

struct DispatchFrame;

// Drag and drop handlers of a window.
struct DragHandlers {
    void* tracking = nullptr; // DragTrackingHandlerUPP
    void* trackingRef = nullptr;
    void* receive = nullptr; // DragReceiveHandlerUPP
    void* receiveRef = nullptr;
};

struct World {
    TypedHandleTable<WindowRef, Window> windows;
    TypedHandleTable<ControlRef, Control> controls;
    TypedHandleTable<EventRef, Event> events;
    TypedHandleTable<EventTargetRef, Target> targets;
    TypedHandleTable<EventHandlerRef, std::shared_ptr<Handler>> handlers;
    TypedHandleTable<EventLoopTimerRef, Timer> timers;

    std::vector<WindowRef> order; // front to back
    EventTargetRef application = nullptr;
    EventTargetRef dispatcher = nullptr;
    std::deque<EventRef> queue;
    EventTime now = 0;
    std::vector<ModalFrame*> modal;
    std::vector<DispatchFrame*> dispatchFrames;

    std::deque<std::function<void()>> script;
    int stepDepth = 0;
    bool autoFlush = true;
    bool flushing = false;
    bool stuck = false; // a wait found nothing to do; cleared by the next injection
    std::function<void(const std::string&)> onFailure;

    std::map<uint32_t, Gesture> gestures;
    uint32_t nextGesture = 1;
    uint32_t activeGesture = 0;
    Point mouse;
    bool button = false;

    ThemeCursor themeCursor = kThemeArrowCursor;
    int cursorId = 0;        // a resource cursor set with SetCursor, 0 for a theme cursor
    int cursorHideLevel = 0; // hidden while above 0
    std::map<const void*, int> cursorResources;
    int blockedClicks = 0;

    TypedHandleTable<MenuRef, Menu> menus;
    std::size_t menuLimit = SIZE_MAX; // live menus beyond which NewMenu fails, for tests
    std::vector<MenuRef> menuBar;
    bool menuBarVisible = true;
    std::deque<PopUpChoice> popUpChoices;
    std::vector<test::PopUpRecord> popUps;

    TypedHandleTable<AEDataStorage, AEData> aeData;
    TypedHandleTable<NavDialogRef, NavDialog> navDialogs;
    std::deque<test::NavAnswer> navAnswers;
    // The cell that a running data callback is asked for.
    DataBrowserItemDataRef cellRef = nullptr;
    std::u16string cellText;
    void* cellIcon = nullptr;
    bool cellBoolean = false;
    uintptr_t nextCellRef = 1;
    std::vector<test::NavRecord> navRecords;

    std::map<WindowRef, DragHandlers> drag;
    std::vector<test::AlertRecord> alerts;
};

World& TheWorld();

// Resets the whole model to a fresh start.
void ResetWorld();

// Reports a failure of the test script (nothing scripted while something waits).
void ReportFailure(const std::string& message);

// The name by which messages name a window.
std::string WindowName(WindowRef window);

// Frees the objects whose disposal waited for a dispatch to unwind.
void FlushPendingDisposals();

// Internal parts of the Window and Control Managers that other parts of the model use.
Window* LiveWindow(WindowRef window);
Control* LiveControl(ControlRef control);
void DisposeWindowNow(WindowRef window);
void DisposeControlNow(ControlRef control);
EventTargetRef NewTarget(Target::Kind kind, WindowRef window, ControlRef control);
void RemoveTarget(EventTargetRef target);
// The window's controls, depth first in creation order, the root excluded.
std::vector<ControlRef> WindowControls(WindowRef window);
bool ControlEffectivelyVisible(const Control& control);
// The deepest visible control under a window-local point, and its part.
ControlRef HitControl(WindowRef window, Point local, ControlPartCode* part);
ControlPartCode PartAt(ControlRef control, Point local);
void FillWindow(Window& window, uint32_t argb);
// A pixel of the window's backing store as ARGB; 0 outside it.
uint32_t WindowPixel(const Window& window, int x, int y);
uint32_t BrushColor(ThemeBrush brush);

// Dispatch of user events taken from the queue, and the standard behaviours that run when no
// handler takes an event.
OSStatus RouteUserEvent(EventRef event);
OSStatus StandardBehaviour(EventRef event, EventTargetRef target);
OSStatus ClickInWindow(WindowRef window, EventRef event);
void MoveFocus(WindowRef window, bool backwards);
// The window that keys and menu commands go to: the top modal window, else the front
// window (or the sheet shown on it).
WindowRef FocusWindow();

// One step of a wait: a due timer, a scripted step, or the next timer within the time-out.
// False when nothing can happen; with `reportIdle` that is reported as a failure of the test
// script, and the wait must give up.
bool WaitStep(EventTime deadline, const char* what, bool reportIdle = true);
bool FireDueTimers();
// Posts an injected event and, outside of a wait, dispatches the queue.
void Inject(EventRef event);
void DispatchQueue();

// Event construction helpers.
EventRef MakeEvent(UInt32 eventClass, UInt32 eventKind);
void PutParam(EventRef event, EventParamName name, EventParamType type, const void* data,
              std::size_t size);
template <typename V>
void PutParam(EventRef event, EventParamName name, EventParamType type, const V& value) {
    PutParam(event, name, type, &value, sizeof value);
}
bool ReadParam(EventRef event, EventParamName name, EventParamType type, void* data,
               std::size_t size);
template <typename V>
bool ReadParam(EventRef event, EventParamName name, EventParamType type, V& value) {
    return ReadParam(event, name, type, &value, sizeof value);
}

Point LocalToGlobal(const Window& window, Point local);
Point GlobalToLocal(const Window& window, Point global);
bool PointInRect(Point p, const Rect& r);

// Moves the mouse one step along the current gesture. False when there is no gesture or it
// was already released; `released` tells whether this step let the button go.
bool StepMouse(bool& released);
// The mouse in the window's local coordinates (global when there is no such window).
Point LocalMouse(WindowRef window);

// The items of a data browser in the order shown.
// The browser data of a live data browser, null otherwise; and a notification to its
// callback.
BrowserData* BrowserOf(ControlRef browser);
void Notify(ControlRef browser, DataBrowserItemID item, DataBrowserItemNotification message);
std::vector<DataBrowserItemID> BrowserOrder(ControlRef browser);
// Container mode (data_browser_tree.cpp): the shown order of a tree, containers before what
// hangs below them; the items with everything below them; whether an item hangs below a
// container (directly, or at any depth with `recurse`; everything hangs below item 0).
std::vector<DataBrowserItemID> TreeOrder(const BrowserData& b,
                                         const std::vector<DataBrowserItemID>& order);
std::vector<DataBrowserItemID> WithDescendants(const BrowserData& b,
                                               const std::vector<DataBrowserItemID>& items);
bool Below(const BrowserData& b, DataBrowserItemID item, DataBrowserItemID container, bool recurse);
// The text that the cell data callback gives for a cell; empty when it gives none.
std::u16string BrowserCellText(ControlRef browser, DataBrowserItemID item,
                               DataBrowserPropertyID property);

Menu* LiveMenu(MenuRef menu);
// The live menus of the trees below `roots` (the roots included), depth first in item order,
// each once however often it hangs below others.
std::vector<MenuRef> MenuTree(const std::vector<MenuRef>& roots);
// The item (from 1) of a live menu; null for item 0 or one past the end.
MenuItem* MenuItemAt(MenuRef menu, MenuItemIndex item);
// Shows a menu as a pop-up and takes the scripted choice: the menu chosen from and the item,
// or false when nothing was chosen.
bool ChooseFromMenu(MenuRef menu, Point global, SInt16 popUpItem, MenuRef& outMenu,
                    MenuItemIndex& outItem);

// Runs a file drop through the window's drag handlers; false when it has none.
bool DropOnWindow(WindowRef window, Point global, const std::vector<std::string>& paths);

// The US keyboard: the character of a virtual key code without modifiers (0 when none), and
// the key code of a character (-1 when no key types it).
char16_t KeyCharacter(UInt16 keyCode);
int KeyCodeOf(char16_t character);

} // namespace tbx::windows_detail
