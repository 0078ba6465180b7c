#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

// Records which handler saw which event and answers as told.
struct Probe {
    std::vector<std::string>* log;
    std::string name;
    OSStatus answer = eventNotHandledErr;
    bool callNext = false;
};

OSStatus ProbeHandler(EventHandlerCallRef call, EventRef event, void* data) {
    auto* probe = static_cast<Probe*>(data);
    std::string entry = probe->name + ":" + std::to_string(GetEventKind(event));
    if (GetEventClass(event) == kEventClassCommand) {
        HICommandExtended command;
        GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command);
        entry += ":cmd" + std::to_string(command.commandID);
    }
    probe->log->push_back(entry);
    if (probe->callNext) {
        OSStatus next = CallNextEventHandler(call, event);
        probe->log->push_back(probe->name + ":after:" + std::to_string(next));
    }
    return probe->answer;
}

class EventDispatchTest : public WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        Rect bounds{100, 100, 400, 500};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass,
                                  kWindowStandardHandlerAttribute | kWindowCloseBoxAttribute |
                                      kWindowResizableAttribute,
                                  &bounds, &window),
                  noErr);
        Rect paneBounds{10, 10, 200, 300};
        ASSERT_EQ(CreateUserPaneControl(window, &paneBounds, kControlSupportsEmbedding, &pane),
                  noErr);
        Rect buttonBounds{20, 20, 40, 100};
        ASSERT_EQ(CreatePushButtonControl(window, &buttonBounds, CFSTR("OK"), &button), noErr);
        ASSERT_EQ(EmbedControl(button, pane), noErr);
        SetControlCommandID(button, FourCC("bOK "));
        ShowWindow(window);
        test::Flush();
    }

    void Install(EventTargetRef target, Probe& probe, std::vector<EventTypeSpec> types) {
        ASSERT_EQ(InstallEventHandler(target, ProbeHandler, static_cast<UInt32>(types.size()),
                                      types.data(), &probe, nullptr),
                  noErr);
    }

    WindowRef window = nullptr;
    ControlRef pane = nullptr;
    ControlRef button = nullptr;
    std::vector<std::string> log;
};

const EventTypeSpec kHit{kEventClassControl, kEventControlHit};
const EventTypeSpec kCommand{kEventClassCommand, kEventCommandProcess};

TEST_F(EventDispatchTest, ControlHitWalksControlEmbedderWindowApplicationThenFollowsUpAsCommand) {
    Probe onButton{&log, "button"}, onPane{&log, "pane"}, onWindow{&log, "window"},
        onApp{&log, "app"};
    Install(GetControlEventTarget(button), onButton, {kHit, kCommand});
    Install(GetControlEventTarget(pane), onPane, {kHit, kCommand});
    Install(GetWindowEventTarget(window), onWindow, {kHit, kCommand});
    Install(GetApplicationEventTarget(), onApp, {kHit, kCommand});

    ASSERT_TRUE(test::Click(window, Point{30, 50}));

    const std::string cmd = ":cmd" + std::to_string(FourCC("bOK "));
    EXPECT_EQ(log,
              (std::vector<std::string>{"button:1", "pane:1", "window:1", "app:1", "button:1" + cmd,
                                        "pane:1" + cmd, "window:1" + cmd, "app:1" + cmd}));
}

TEST_F(EventDispatchTest, AHandledHitEndsTheWalkAndSendsNoCommand) {
    Probe onPane{&log, "pane", noErr}, onWindow{&log, "window"};
    Install(GetControlEventTarget(pane), onPane, {kHit, kCommand});
    Install(GetWindowEventTarget(window), onWindow, {kHit, kCommand});
    test::Click(window, Point{30, 50});
    EXPECT_EQ(log, (std::vector<std::string>{"pane:1"}));
}

TEST_F(EventDispatchTest, NewestHandlerRunsFirstAndCallNextRunsTheRestOfTheChain) {
    Probe older{&log, "older"}, newer{&log, "newer", noErr, true}, app{&log, "app", 7};
    Install(GetWindowEventTarget(window), older, {kCommand});
    Install(GetWindowEventTarget(window), newer, {kCommand});
    Install(GetApplicationEventTarget(), app, {kCommand});
    test::ChooseMenuCommand(FourCC("abcd"));
    const std::string cmd = ":cmd" + std::to_string(FourCC("abcd"));
    EXPECT_EQ(log, (std::vector<std::string>{"newer:1" + cmd, "older:1" + cmd, "app:1" + cmd,
                                             "newer:after:7"}));
}

TEST_F(EventDispatchTest, RemovedHandlerIsNotCalledEvenInTheWalkThatRemovedIt) {
    struct Remover {
        EventHandlerRef victim = nullptr;
        int calls = 0;
    } remover;
    Probe victim{&log, "victim"};
    EventHandlerRef victimRef = nullptr;
    ASSERT_EQ(InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &kCommand, &victim,
                                  &victimRef),
              noErr);
    remover.victim = victimRef;
    auto removeProc = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
        auto* r = static_cast<Remover*>(data);
        ++r->calls;
        RemoveEventHandler(r->victim);
        return eventNotHandledErr;
    };
    InstallEventHandler(GetControlEventTarget(button), removeProc, 1, &kCommand, &remover, nullptr);
    test::Click(window, Point{30, 50});
    EXPECT_EQ(remover.calls, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(RemoveEventHandler(victimRef), paramErr);
}

TEST_F(EventDispatchTest, KeysGoToTheFocusedControlAndTabMovesTheFocus) {
    Rect r1{50, 20, 70, 200}, r2{80, 20, 100, 200};
    ControlRef edit1 = nullptr, edit2 = nullptr;
    CreateEditUnicodeTextControl(window, &r1, CFSTR(""), false, nullptr, &edit1);
    CreateEditUnicodeTextControl(window, &r2, CFSTR(""), false, nullptr, &edit2);
    const EventTypeSpec key{kEventClassKeyboard, kEventRawKeyDown};
    Probe onEdit2{&log, "edit2"}, onWindow{&log, "window"};
    Install(GetControlEventTarget(edit2), onEdit2, {key});
    Install(GetWindowEventTarget(window), onWindow, {key});

    ASSERT_EQ(SetKeyboardFocus(window, edit1, kControlFocusNextPart), noErr);
    test::TypeText(u"ab");
    test::PressKey(48); // Tab
    test::TypeText(u"Z!");
    test::PressKey(48, shiftKey);
    test::PressKey(51); // backspace

    test::ControlState one, two;
    test::ReadControl(edit1, one);
    test::ReadControl(edit2, two);
    EXPECT_EQ(one.text, u"a");
    EXPECT_EQ(two.text, u"Z!");
    EXPECT_TRUE(one.focused);
    // Every key went on from the focused field to the window.
    EXPECT_EQ(std::count(log.begin(), log.end(), "edit2:1"), 3);
    EXPECT_EQ(std::count(log.begin(), log.end(), "window:1"), 7);
}

// A field that keeps Return for itself.
ControlKeyFilterResult KeepsReturn(ControlRef, SInt16*, SInt16* charCode, UInt16*) {
    return *charCode == 13 ? kControlKeyFilterBlockKey : kControlKeyFilterPassKey;
}

TEST_F(EventDispatchTest, KeysPressTheDefaultAndCancelButtonsOfAnyWindow) {
    Rect r{60, 20, 80, 100};
    ControlRef cancel = nullptr, elsewhere = nullptr, edit = nullptr;
    CreatePushButtonControl(window, &r, CFSTR("Cancel"), &cancel);
    SetControlCommandID(cancel, FourCC("bCan"));
    WindowRef other = nullptr;
    CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &r, &other);
    CreatePushButtonControl(other, &r, CFSTR("Other"), &elsewhere);
    EXPECT_EQ(SetWindowDefaultButton(window, elsewhere), errUnknownControl);
    EXPECT_EQ(SetWindowCancelButton(nullptr, cancel), errInvalidWindowRef);
    ASSERT_EQ(SetWindowDefaultButton(window, button), noErr);
    ASSERT_EQ(SetWindowCancelButton(window, cancel), noErr);
    ControlRef found = nullptr;
    ASSERT_EQ(GetWindowDefaultButton(window, &found), noErr);
    EXPECT_EQ(found, button);
    Probe onWindow{&log, "window"};
    Install(GetWindowEventTarget(window), onWindow, {kCommand});
    const std::string ok = "window:1:cmd" + std::to_string(FourCC("bOK ")),
                      no = "window:1:cmd" + std::to_string(FourCC("bCan"));

    struct Case {
        UInt16 key;
        UInt32 modifiers;
        std::string pressed; // empty: none
    };
    const Case keys[] = {{36, 0, ok},      {76, 0, ok}, {53, 0, no},
                         {47, cmdKey, no}, {47, 0, ""}, {48, 0, ""}};
    for (const Case& c : keys) {
        log.clear();
        test::PressKey(c.key, c.modifiers);
        EXPECT_EQ(log, c.pressed.empty() ? std::vector<std::string>{}
                                         : std::vector<std::string>{c.pressed})
            << c.key;
    }
    // A focused field whose filter keeps Return keeps it; Escape still cancels.
    Rect fieldBounds{90, 20, 110, 200};
    CreateEditUnicodeTextControl(window, &fieldBounds, CFSTR(""), false, nullptr, &edit);
    ControlKeyFilterUPP filter = KeepsReturn;
    SetControlData(edit, 0, kControlEditTextKeyFilterTag, sizeof filter, &filter);
    ASSERT_EQ(SetKeyboardFocus(window, edit, kControlFocusNextPart), noErr);
    log.clear();
    test::PressKey(36);
    test::PressKey(53);
    EXPECT_EQ(log, std::vector<std::string>{no});
    // A disabled button is not pressed; a disposed one is no longer the window's.
    ClearKeyboardFocus(window);
    DisableControl(button);
    DisposeControl(cancel);
    log.clear();
    test::PressKey(36);
    test::PressKey(53);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(GetWindowCancelButton(window, &found), noErr);
    EXPECT_EQ(found, nullptr);
}

TEST_F(EventDispatchTest, FocusGoesOnlyToVisibleActiveControlsThatTakeIt) {
    Rect r{50, 20, 70, 200};
    ControlRef edit = nullptr;
    CreateEditUnicodeTextControl(window, &r, CFSTR(""), false, nullptr, &edit);
    EXPECT_EQ(SetKeyboardFocus(window, button, kControlFocusNextPart), errCouldntSetFocus);
    DeactivateControl(edit);
    EXPECT_EQ(SetKeyboardFocus(window, edit, kControlFocusNextPart), errCouldntSetFocus);
    ActivateControl(edit);
    ASSERT_EQ(SetKeyboardFocus(window, edit, kControlFocusNextPart), noErr);
    HideControl(edit);
    ControlRef focus = button;
    GetKeyboardFocus(window, &focus);
    EXPECT_EQ(focus, nullptr);
}

TEST_F(EventDispatchTest, CloseBoxSendsCloseAndDisposesOnlyWhenUnhandled) {
    const EventTypeSpec close{kEventClassWindow, kEventWindowClose};
    Probe keep{&log, "keep", noErr};
    EventHandlerRef keepRef = nullptr;
    InstallEventHandler(GetWindowEventTarget(window), ProbeHandler, 1, &close, &keep, &keepRef);
    ASSERT_TRUE(test::CloseWindow(window));
    EXPECT_EQ(log, (std::vector<std::string>{"keep:72"}));
    EXPECT_TRUE(IsValidWindowPtr(window));

    RemoveEventHandler(keepRef);
    ASSERT_TRUE(test::CloseWindow(window));
    EXPECT_FALSE(IsValidWindowPtr(window));
    EXPECT_EQ(GetControlEventTarget(button), nullptr);
}

TEST_F(EventDispatchTest, BoundsChangesAreSentAtOnceWithOldAndNewBounds) {
    struct Seen {
        std::vector<std::pair<UInt32, Rect>> events;
        Rect previous;
    } seen;
    auto proc = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        auto* s = static_cast<Seen*>(data);
        Rect current;
        GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof current,
                          nullptr, &current);
        GetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, nullptr,
                          sizeof s->previous, nullptr, &s->previous);
        s->events.emplace_back(GetEventKind(event), current);
        if (GetEventKind(event) == kEventWindowBoundsChanging) {
            current.right = static_cast<SInt16>(current.left + 333); // width limited
            SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof current,
                              &current);
        }
        return noErr;
    };
    const EventTypeSpec types[] = {{kEventClassWindow, kEventWindowBoundsChanging},
                                   {kEventClassWindow, kEventWindowBoundsChanged}};
    InstallEventHandler(GetWindowEventTarget(window), proc, 2, types, &seen, nullptr);
    ASSERT_TRUE(test::ResizeWindow(window, 600, 250));
    ASSERT_EQ(seen.events.size(), 2u);
    EXPECT_EQ(seen.events[0].first, kEventWindowBoundsChanging);
    EXPECT_EQ(seen.events[1].first, kEventWindowBoundsChanged);
    EXPECT_EQ(seen.events[1].second, (Rect{100, 100, 350, 433}));
    EXPECT_EQ(seen.previous, (Rect{100, 100, 400, 500}));
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    EXPECT_EQ(content, (Rect{100, 100, 350, 433}));
}

TEST_F(EventDispatchTest, WindowDisposedInsideItsHandlerLivesUntilTheDispatchUnwinds) {
    struct State {
        WindowRef window;
        ControlRef button;
        bool validAfterDispose = false;
        bool buttonValidAfterDispose = false;
    } state{window, button};
    auto proc = [](EventHandlerCallRef, EventRef, void* data) -> OSStatus {
        auto* s = static_cast<State*>(data);
        DisposeWindow(s->window);
        s->validAfterDispose = IsValidWindowPtr(s->window);
        s->buttonValidAfterDispose = GetControlOwner(s->button) == s->window;
        DisposeWindow(s->window); // a second dispose is harmless
        return noErr;
    };
    InstallEventHandler(GetControlEventTarget(button), proc, 1, &kHit, &state, nullptr);
    test::Click(window, Point{30, 50});
    EXPECT_TRUE(state.validAfterDispose);
    EXPECT_TRUE(state.buttonValidAfterDispose);
    EXPECT_FALSE(IsValidWindowPtr(window));
    // A stale handle answers errors.
    Rect r;
    EXPECT_EQ(GetWindowBounds(window, kWindowContentRgn, &r), errInvalidWindowRef);
    EXPECT_EQ(SetWindowProperty(window, 1, 2, 0, nullptr), errInvalidWindowRef);
    EXPECT_EQ(GetControl32BitValue(button), 0);
    EXPECT_EQ(ActivateControl(button), errUnknownControl);
    DisposeWindow(window);
    DisposeControl(button);
}

TEST_F(EventDispatchTest, AppModalWindowAndSheetsBlockClicksElsewhere) {
    Rect bounds{200, 200, 300, 400};
    WindowRef modal = nullptr;
    CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &bounds, &modal);
    ShowWindow(modal);
    Probe onButton{&log, "button"}, onWheel{&log, "wheel"};
    Install(GetControlEventTarget(button), onButton, {kHit});
    Install(GetWindowEventTarget(window), onWheel, {{kEventClassMouse, kEventMouseWheelMoved}});
    test::Script([&] {
        test::Click(window, Point{30, 50}); // blocked
        test::Wheel(window, Point{30, 50}, kEventMouseWheelAxisY, 1);
    });
    test::Script([&] { QuitAppModalLoopForWindow(modal); });
    EXPECT_EQ(RunAppModalLoopForWindow(modal), noErr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(test::BlockedClicks(), 1);
    HideWindow(modal);

    // A sheet blocks its parent only.
    Rect sheetBounds{0, 0, 100, 200};
    WindowRef sheet = nullptr;
    CreateNewWindow(kSheetWindowClass, kWindowStandardHandlerAttribute, &sheetBounds, &sheet);
    ASSERT_EQ(ShowSheetWindow(sheet, window), noErr);
    EXPECT_EQ(ShowSheetWindow(sheet, modal), paramErr);
    test::Click(window, Point{30, 50});
    EXPECT_EQ(test::BlockedClicks(), 2);
    EXPECT_EQ(test::FocusedWindow(), sheet);
    HideSheetWindow(sheet);
    test::Click(window, Point{30, 50});
    EXPECT_EQ(log, (std::vector<std::string>{"button:1"}));
}

TEST_F(EventDispatchTest, ControlClickCarriesModifiersAndButton) {
    struct Seen {
        UInt32 modifiers = 0;
        EventMouseButton button = 0;
        Point where;
    } seen;
    auto proc = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        auto* s = static_cast<Seen*>(data);
        GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof s->modifiers,
                          nullptr, &s->modifiers);
        GetEventParameter(event, kEventParamMouseButton, typeMouseButton, nullptr, sizeof s->button,
                          nullptr, &s->button);
        GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof s->where,
                          nullptr, &s->where);
        return noErr;
    };
    const EventTypeSpec down{kEventClassMouse, kEventMouseDown};
    InstallEventHandler(GetWindowEventTarget(window), proc, 1, &down, &seen, nullptr);
    test::Click(window, Point{250, 350}, controlKey, kEventMouseButtonSecondary);
    EXPECT_EQ(seen.modifiers, controlKey);
    EXPECT_EQ(seen.button, kEventMouseButtonSecondary);
    EXPECT_EQ(seen.where, (Point{350, 450})); // global
}

TEST_F(EventDispatchTest, EventParametersAreTypedAndBounded) {
    EventRef event = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event), noErr);
    const UInt32 value = 42;
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof value, &value);
    UInt32 out = 0;
    UInt16 small = 0;
    EXPECT_EQ(GetEventParameter(event, kEventParamKeyModifiers, typeQDPoint, nullptr, sizeof out,
                                nullptr, &out),
              errAECoercionFail);
    EXPECT_EQ(GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof small,
                                nullptr, &small),
              paramErr);
    EXPECT_EQ(GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof out, nullptr,
                                &out),
              eventParameterNotFoundErr);
    EventParamType type = 0;
    EXPECT_EQ(GetEventParameter(event, kEventParamKeyModifiers, typeWildCard, &type, sizeof out,
                                nullptr, &out),
              noErr);
    EXPECT_EQ(out, 42u);
    EXPECT_EQ(type, typeUInt32);
    ReleaseEvent(event);
    EXPECT_EQ(GetEventClass(event), 0u);
    EXPECT_EQ(SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof value, &value),
              paramErr);
}

} // namespace
