#include <gtest/gtest.h>

#include <vector>

#include "platform/windows/alerts.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

class LoopsTest : public WindowingTest {
protected:
    WindowRef NewWindow(const char* name) {
        Rect bounds{100, 100, 300, 400};
        WindowRef window = nullptr;
        CreateNewWindow(kMovableModalWindowClass, kWindowStandardHandlerAttribute, &bounds,
                        &window);
        SetWindowTitleWithCFString(window, CFStringMakeConstantString(name));
        ShowWindow(window);
        return window;
    }
};

void CountTick(EventLoopTimerRef, void* data) {
    static_cast<std::vector<EventTime>*>(data)->push_back(GetCurrentEventTime());
}

TEST_F(LoopsTest, TimersFireInOrderOnTheVirtualClock) {
    std::vector<EventTime> ticks, once;
    EventLoopTimerRef repeating = nullptr, single = nullptr;
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.5, 0.25, CountTick, &ticks, &repeating),
              noErr);
    ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.6, 0, CountTick, &once, &single), noErr);
    test::AdvanceTime(1.0);
    EXPECT_EQ(ticks, (std::vector<EventTime>{0.5, 0.75, 1.0}));
    EXPECT_EQ(once, (std::vector<EventTime>{0.6}));
    EXPECT_EQ(TickCount(), 60u);
    SetEventLoopTimerNextFireTime(single, 0.1);
    RemoveEventLoopTimer(repeating);
    test::AdvanceTime(1.0);
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_EQ(once.size(), 2u);
    EXPECT_EQ(RemoveEventLoopTimer(repeating), paramErr);
}

TEST_F(LoopsTest, ReceiveNextEventWithoutWaitingPopsTheQueueOrTimesOut) {
    EventRef taken = nullptr;
    EXPECT_EQ(ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &taken),
              eventLoopTimedOutErr);
    {
        test::QueueOnly queued;
        test::ChooseMenuCommand(FourCC("aaaa"));
        test::PressKey(0);
    }
    EXPECT_EQ(test::QueuedEvents(), 3u); // command, key down, key up
    const EventTypeSpec keys{kEventClassKeyboard, kEventRawKeyDown};
    ASSERT_EQ(ReceiveNextEvent(1, &keys, kEventDurationNoWait, true, &taken), noErr);
    EXPECT_EQ(GetEventClass(taken), kEventClassKeyboard);
    ReleaseEvent(taken);
    ASSERT_EQ(ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &taken), noErr);
    EXPECT_EQ(GetEventClass(taken), kEventClassCommand);
    ReleaseEvent(taken);
    EXPECT_EQ(test::QueuedEvents(), 1u);
    test::Flush();
    EXPECT_EQ(test::QueuedEvents(), 0u);
}

TEST_F(LoopsTest, AWaitRunsScriptedStepsAndTimersAndAdvancesTheClock) {
    std::vector<EventTime> ticks;
    EventLoopTimerRef timer = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 2.0, 0, CountTick, &ticks, &timer);
    EventRef taken = nullptr;
    // The timer falls due within the wait; then the wait times out at its end.
    EXPECT_EQ(ReceiveNextEvent(0, nullptr, 3.0, true, &taken), eventLoopTimedOutErr);
    EXPECT_EQ(ticks, (std::vector<EventTime>{2.0}));
    EXPECT_DOUBLE_EQ(test::Now(), 3.0);

    test::Script([] { test::ChooseMenuCommand(FourCC("bbbb")); });
    ASSERT_EQ(ReceiveNextEvent(0, nullptr, kEventDurationForever, true, &taken), noErr);
    EXPECT_EQ(GetEventClass(taken), kEventClassCommand);
    ReleaseEvent(taken);
}

TEST_F(LoopsTest, AWaitWithNothingScriptedFailsNamingTheWindowInsteadOfHanging) {
    ExpectScriptFailures();
    WindowRef window = NewWindow("Lonely");
    EXPECT_EQ(RunAppModalLoopForWindow(window), eventLoopQuitErr);
    ASSERT_EQ(ScriptFailures().size(), 1u);
    EXPECT_NE(ScriptFailures()[0].find("Lonely"), std::string::npos);
    // Later waits give up at once without piling up reports.
    EventRef taken = nullptr;
    EXPECT_EQ(ReceiveNextEvent(0, nullptr, 1.0, true, &taken), eventLoopQuitErr);
    EXPECT_EQ(ScriptFailures().size(), 1u);
}

TEST_F(LoopsTest, ModalLoopEndsOnQuitOrWhenItsWindowGoes) {
    WindowRef window = NewWindow("Modal");
    EXPECT_EQ(QuitAppModalLoopForWindow(window), errWindowNotModal);
    int steps = 0;
    test::Script([&] { ++steps; });
    test::Script([&] {
        ++steps;
        EXPECT_EQ(QuitAppModalLoopForWindow(window), noErr);
    });
    EXPECT_EQ(RunAppModalLoopForWindow(window), noErr);
    EXPECT_EQ(steps, 2);

    test::Script([&] { DisposeWindow(window); });
    EXPECT_EQ(RunAppModalLoopForWindow(window), noErr);
    EXPECT_FALSE(IsValidWindowPtr(window));
    EXPECT_EQ(RunAppModalLoopForWindow(window), errInvalidWindowRef);
}

TEST_F(LoopsTest, NestedModalLoopsEachEndTheirOwn) {
    WindowRef outer = NewWindow("Outer");
    WindowRef inner = NewWindow("Inner");
    std::vector<int> order;
    test::Script([&] {
        test::Script([&] {
            order.push_back(2);
            QuitAppModalLoopForWindow(inner);
        });
        EXPECT_EQ(RunAppModalLoopForWindow(inner), noErr);
        order.push_back(3);
        QuitAppModalLoopForWindow(outer);
    });
    order.push_back(1);
    EXPECT_EQ(RunAppModalLoopForWindow(outer), noErr);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(LoopsTest, StandardAlertIsAnsweredByButtonsReturnAndEscape) {
    AlertStdCFStringAlertParamRec param;
    ASSERT_EQ(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne), noErr);
    param.defaultText = CFSTR("Yes");
    param.cancelText = CFSTR("Cancel");
    param.otherText = CFSTR("No");
    param.cancelButton = kAlertStdAlertCancelButton;

    for (auto [answer, expected] :
         std::vector<std::pair<int, DialogItemIndex>>{{1, 1}, {2, 2}, {3, 3}, {36, 1}, {53, 2}}) {
        DialogRef alert = nullptr;
        ASSERT_EQ(
            CreateStandardAlert(kAlertCautionAlert, CFSTR("Title"), CFSTR("Text"), &param, &alert),
            noErr);
        test::Script([answer = answer] {
            if (answer <= 3)
                EXPECT_TRUE(test::AnswerAlert(static_cast<DialogItemIndex>(answer)));
            else
                test::PressKey(static_cast<UInt16>(answer));
        });
        DialogItemIndex item = 0;
        EXPECT_EQ(RunStandardAlert(alert, nullptr, &item), noErr);
        EXPECT_EQ(item, expected) << "answer " << answer;
        EXPECT_FALSE(IsValidWindowPtr(GetDialogWindow(alert)));
    }
    const test::AlertRecord& last = test::Alerts().back();
    EXPECT_EQ(last.type, kAlertCautionAlert);
    EXPECT_EQ(last.error, u"Title");
    EXPECT_EQ(last.explanation, u"Text");
    EXPECT_EQ(last.buttons[0], u"Yes");
    EXPECT_EQ(last.buttons[1], u"Cancel");
    EXPECT_EQ(last.buttons[2], u"No");
}

TEST_F(LoopsTest, AlertWithoutCancelButtonIgnoresEscapeAndAbsentButtons) {
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kAlertNoteAlert, CFSTR("Note"), nullptr, nullptr, &alert), noErr);
    test::Script([] {
        test::PressKey(53);
        EXPECT_FALSE(test::AnswerAlert(2));
    });
    test::Script([] { test::PressKey(76); });
    DialogItemIndex item = 0;
    EXPECT_EQ(RunStandardAlert(alert, nullptr, &item), noErr);
    EXPECT_EQ(item, 1);
    EXPECT_EQ(test::Alerts().back().buttons[0], u"OK");
    EXPECT_TRUE(test::Alerts().back().buttons[1].empty());
}

TEST_F(LoopsTest, StandardSheetRecordsTheHitAndNotifiesItsTarget) {
    WindowRef parent = NewWindow("Parent");
    struct Seen {
        UInt32 command = 0;
    } seen;
    auto proc = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
        HICommandExtended command;
        GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command);
        static_cast<Seen*>(data)->command = command.commandID;
        return noErr;
    };
    const EventTypeSpec commandSpec{kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetWindowEventTarget(parent), proc, 1, &commandSpec, &seen, nullptr);
    AlertStdCFStringAlertParamRec param;
    GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
    param.cancelText = CFSTR("Cancel");
    DialogRef sheet = nullptr;
    ASSERT_EQ(CreateStandardSheet(kAlertStopAlert, CFSTR("Stop"), CFSTR("Why"), &param,
                                  GetWindowEventTarget(parent), &sheet),
              noErr);
    ASSERT_EQ(ShowSheetWindow(GetDialogWindow(sheet), parent), noErr);
    EXPECT_TRUE(test::Alerts().back().sheet);
    EXPECT_TRUE(test::AnswerAlert(2));
    EXPECT_EQ(seen.command, kHICommandCancel);
    HideSheetWindow(GetDialogWindow(sheet));
    DisposeWindow(GetDialogWindow(sheet));
}

TEST_F(LoopsTest, PreTenAlertTakesLengthPrefixedTextsAndDefaultWording) {
    const unsigned char title[] = "\x05Hello";
    AlertStdAlertParamRec param;
    param.defaultText = kAlertDefaultOKText;
    param.cancelText = kAlertDefaultOKText;
    param.defaultButton = 1;
    param.cancelButton = 2;
    test::Script([] { test::AnswerAlert(2); });
    SInt16 item = 0;
    EXPECT_EQ(StandardAlert(kAlertStopAlert, title, nullptr, &param, &item), noErr);
    EXPECT_EQ(item, 2);
    EXPECT_TRUE(test::Alerts().back().preTen);
    EXPECT_EQ(test::Alerts().back().error, u"Hello");
    EXPECT_EQ(test::Alerts().back().buttons[1], u"Cancel");
}

} // namespace
