#include <gtest/gtest.h>

#include <vector>

#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/dialogs/progress_dialog.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class ProgressDialogTest : public UiTest {
protected:
    test::ControlState Control(OSType code) {
        test::ControlState state;
        test::ReadControl(test::FindControl(dialog.GetWindowHandle(), code, 0), state);
        return state;
    }
    CBK_ProgressDialog dialog;
    CBK_ProgressDialog::PROGRESS_SETTINGS settings;
    CBK_ProgressData data;
};

TEST_F(ProgressDialogTest, DoModalShowsTheWindowAndReturnsAtOnce) {
    settings.m_pTitle = L"Exporting";
    data.m_bCancelled = data.m_bCompleted = true;
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    EXPECT_FALSE(data.m_bCancelled);
    EXPECT_FALSE(data.m_bCompleted);
    WindowRef window = dialog.GetWindowHandle();
    EXPECT_TRUE(IsWindowVisible(window));
    WindowClass windowClass = 0;
    GetWindowClass(window, &windowClass);
    EXPECT_EQ(windowClass, kDocumentWindowClass);
    WindowAttributes attributes = 0;
    GetWindowAttributes(window, &attributes);
    EXPECT_FALSE(attributes & kWindowCloseBoxAttribute);
    EXPECT_TRUE(attributes & kWindowCollapseBoxAttribute);
    EXPECT_EQ(dialog.GetWidth(), 289);
    EXPECT_EQ(dialog.GetHeight(), 149);
    CFStringRef title = nullptr;
    CopyWindowTitleAsCFString(window, &title);
    EXPECT_EQ(title->Text(), u"Exporting");
    CFRelease(title);

    EXPECT_EQ(Control(FourCC("sMsg")).text, u"Initializing...");
    EXPECT_EQ(Control(FourCC("sMs2")).text, u"");
    EXPECT_EQ(Control(FourCC("not!")).title, u"Cancel");
    EXPECT_EQ(Control(FourCC("not!")).bounds, (Rect{109, 108, 129, 178}));
    EXPECT_EQ(Control(FourCC("pbPg")).bounds, (Rect{43, 19, 62, 270}));
    EXPECT_EQ(Control(FourCC("pbPg")).maximum, 100);
    EXPECT_EQ(dialog.GetModalResult(), int32_t(FourCC("ok  ")));
}

TEST_F(ProgressDialogTest, ACancelClickDuringTheWorkSetsTheFlagWhileTheWorkGoesOn) {
    settings.m_bUtilityWindow = true;
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    test::Flush(); // the window's first update
    int steps = 0;
    for (int i = 0; i <= 100 && !data.m_bCancelled; ++i, ++steps) {
        if (i == 50) {
            test::QueueOnly queued;
            ASSERT_TRUE(test::ClickControl(dialog.GetWindowHandle(), FourCC("not!"), 0));
        }
        dialog.SetProgress(i);
        dialog.SetMessage2(L"working");
    }
    EXPECT_TRUE(data.m_bCancelled);
    EXPECT_EQ(steps, 51);
    EXPECT_EQ(dialog.GetModalResult(), int32_t(FourCC("not!")));
    EXPECT_EQ(dialog.GetProgress(), 50);
    EXPECT_EQ(Control(FourCC("sMs2")).text, u"working");
    WindowClass windowClass = 0;
    GetWindowClass(dialog.GetWindowHandle(), &windowClass);
    EXPECT_EQ(windowClass, kUtilityWindowClass);
}

TEST_F(ProgressDialogTest, EachUpdateHandlesAtMostOneEventAndTheRangeAlonehandlesNone) {
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    test::Flush();
    {
        test::QueueOnly queued;
        test::ChooseMenuCommand(FourCC("aaaa"));
        test::ChooseMenuCommand(FourCC("bbbb"));
    }
    dialog.SetProgressRange(0, 10);
    EXPECT_EQ(test::QueuedEvents(), 2u);
    dialog.SetProgress(3);
    EXPECT_EQ(test::QueuedEvents(), 1u);
    dialog.IncrementProgress(2);
    EXPECT_EQ(dialog.GetProgress(), 5);
    EXPECT_EQ(test::QueuedEvents(), 0u);
    dialog.SetProgressMax();
    EXPECT_EQ(dialog.GetProgress(), 10);
    dialog.SetProgressMin();
    EXPECT_EQ(dialog.GetProgress(), 0);
    dialog.SetMessage(20001);
    EXPECT_EQ(Control(FourCC("sMsg")).text, u"Title from id");
}

TEST_F(ProgressDialogTest, ARangeOfAHundredThousandStepsShowsTheRightPositions) {
    settings.m_nMaximum = 100000;
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    for (int32_t value : {1, 32767, 32768, 65536, 99999, 100000}) {
        dialog.SetProgress(value);
        EXPECT_EQ(dialog.GetProgress(), value);
        EXPECT_EQ(Control(FourCC("pbPg")).value, value);
    }
    EXPECT_EQ(Control(FourCC("pbPg")).maximum, 100000);
}

TEST_F(ProgressDialogTest, ASecondRunReusesTheWindowWithTheNewRangeAndTitle) {
    settings.m_nMaximum = 10;
    settings.m_pTitle = L"First";
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    const WindowRef first = dialog.GetWindowHandle();
    dialog.SetProgress(7);
    dialog.SetMessage(L"halfway");
    dialog.Hide();

    CBK_ProgressDialog::PROGRESS_SETTINGS again;
    again.m_nMaximum = 500;
    again.m_pTitle = L"Second";
    data.m_bCancelled = true;
    ASSERT_EQ(dialog.DoModal(nullptr, again, &data), 0);
    EXPECT_EQ(dialog.GetWindowHandle(), first);
    EXPECT_FALSE(data.m_bCancelled);
    EXPECT_EQ(dialog.GetProgress(), 0);
    EXPECT_EQ(Control(FourCC("sMsg")).text, u"Initializing...");
    EXPECT_EQ(Control(FourCC("pbPg")).maximum, 500);
    CFStringRef title = nullptr;
    CopyWindowTitleAsCFString(first, &title);
    EXPECT_EQ(title->Text(), u"Second");
    CFRelease(title);
    EXPECT_TRUE(dialog.IsVisible());
}

TEST_F(ProgressDialogTest, CancelAndCompletionWithoutDataAreSafe) {
    ASSERT_EQ(dialog.DoModal(nullptr, settings, nullptr), 0);
    dialog.Cancel();
    EXPECT_EQ(dialog.GetModalResult(), int32_t(FourCC("not!")));
    ASSERT_TRUE(test::ClickControl(dialog.GetWindowHandle(), FourCC("not!"), 0));
    dialog.SetProgressCompleted();
    EXPECT_EQ(dialog.GetModalResult(), int32_t(FourCC("ok  ")));

    CBK_ProgressData done;
    dialog.DoModal(nullptr, settings, &done);
    dialog.SetProgressCompleted();
    EXPECT_TRUE(done.m_bCompleted);
    done.m_nUserValue = 9;
    done.SetDefaults();
    EXPECT_EQ(done.m_nUserValue, 0);
    EXPECT_FALSE(done.m_bCompleted);
    EXPECT_EQ(done.m_nMaximum, 100);
}

TEST_F(ProgressDialogTest, TheWindowIgnoresItsCloseEventAndOtherCommands) {
    ASSERT_EQ(dialog.DoModal(nullptr, settings, &data), 0);
    EventRef close = nullptr;
    CreateEvent(nullptr, kEventClassWindow, kEventWindowClose, 0, 0, &close);
    WindowRef window = dialog.GetWindowHandle();
    SetEventParameter(close, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
    SendEventToEventTarget(close, GetWindowEventTarget(window));
    ReleaseEvent(close);
    // Not taken by the dialog, so the standard handler closes the window.
    EXPECT_FALSE(IsValidWindowPtr(window));
    EXPECT_FALSE(test::CloseWindow(window));
    test::ChooseMenuCommand(FourCC("zzzz"));
    EXPECT_FALSE(data.m_bCancelled);
}

} // namespace
