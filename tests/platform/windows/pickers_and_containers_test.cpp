#include <gtest/gtest.h>

#include <vector>

#include "platform/pict/pictures.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/data_browser.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/windowing_fixture.h"

namespace {

using namespace tbx;
using stravel::testing::WindowingTest;

class StandInTest : public WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        Rect bounds{50, 60, 350, 560};
        ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds,
                                  &window),
                  noErr);
        ShowWindow(window);
    }
    WindowRef window = nullptr;
};

TEST_F(StandInTest, AnUnscriptedColorPickerFailsTheScriptAndCancels) {
    ExpectScriptFailures();
    const RGBColor in{1, 2, 3};
    RGBColor out{9, 9, 9};
    EXPECT_FALSE(GetColor(Point{}, reinterpret_cast<const unsigned char*>("\x02Hi"), &in, &out));
    EXPECT_EQ(out, in);
    ASSERT_EQ(ScriptFailures().size(), 1u);
    EXPECT_NE(ScriptFailures()[0].find("Hi"), std::string::npos);
}

TEST_F(StandInTest, APictureKeepsWhatWasDrawnInItsFrame) {
    GWorldPtr world = nullptr;
    const Rect bounds{0, 0, 10, 10};
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    CGrafPtr saved = nullptr;
    GetGWorld(&saved, nullptr);
    SetGWorld(world, nullptr);
    OpenCPicParams params;
    params.srcRect = Rect{2, 2, 6, 8};
    PicHandle picture = OpenCPicture(&params);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(OpenCPicture(&params), nullptr); // one at a time
    const RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    const Rect dot{3, 3, 4, 4};
    PaintRect(&dot);
    ClosePicture();
    SetGWorld(saved, nullptr);
    DisposeGWorld(world);
    EXPECT_EQ(test::PicturePixel(picture, 1, 1), 0xFFFF0000u);
    EXPECT_NE(test::PicturePixel(picture, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(test::PicturePixel(picture, 6, 0), 0u); // outside the 6 x 4 frame
    KillPicture(picture);
    EXPECT_FALSE(IsValidPicture(picture));
    KillPicture(picture); // a dead handle is ignored
    EXPECT_EQ(test::PicturePixel(picture, 1, 1), 0u);
}

TEST_F(StandInTest, ATrackingPaneGetsItsHitWhileTheButtonIsDown) {
    Rect r{10, 10, 60, 110};
    ControlRef pane = nullptr;
    ASSERT_EQ(CreateUserPaneControl(window, &r, kControlHandlesTracking, &pane), noErr);
    static std::vector<Point> seen;
    seen.clear();
    EventHandlerRef handler = nullptr;
    const EventTypeSpec hit{kEventClassControl, kEventControlHit};
    InstallEventHandler(
        GetControlEventTarget(pane),
        [](EventHandlerCallRef, EventRef, void*) -> OSStatus {
            while (StillDown()) {
                Point p;
                MouseTrackingResult result = 0;
                TrackMouseLocation(nullptr, &p, &result);
                seen.push_back(p);
            }
            return noErr;
        },
        1, &hit, nullptr, &handler);
    ASSERT_TRUE(test::Gesture(window, {Point{20, 20}, Point{25, 30}, Point{30, 40}}));
    ASSERT_EQ(seen.size(), 3u); // two drags, then the release where the last one ended
    EXPECT_EQ(seen[2].h, seen[1].h);
    Point local = seen[1];
    QDGlobalToLocalPoint(GetWindowPort(window), &local);
    EXPECT_EQ(local.h, 40);
    EXPECT_EQ(local.v, 30);
    QDLocalToGlobalPoint(GetWindowPort(window), &local);
    EXPECT_EQ(local.h, seen[1].h);
}

TEST_F(StandInTest, ContainersAddTheirItemsOnlyWhileOpenAndTakeThemAlong) {
    Rect r{10, 10, 200, 300};
    ControlRef browser = nullptr;
    ASSERT_EQ(CreateDataBrowserControl(window, &r, kDataBrowserListView, &browser), noErr);
    static std::vector<std::pair<UInt32, UInt32>> notes;
    notes.clear();
    DataBrowserCallbacks callbacks;
    InitDataBrowserCallbacks(&callbacks);
    callbacks.v1.itemNotificationCallback = [](ControlRef, DataBrowserItemID item,
                                               DataBrowserItemNotification message) {
        if (message >= kDataBrowserContainerOpened && message <= kDataBrowserContainerClosed)
            notes.push_back({item, message});
    };
    SetDataBrowserCallbacks(browser, &callbacks);
    const DataBrowserItemID top[] = {1, 2}, below[] = {3, 4}, deeper[] = {5};
    ASSERT_EQ(AddDataBrowserItems(browser, 0, 2, top, 0), noErr);
    EXPECT_EQ(AddDataBrowserItems(browser, 1, 2, below, 0), errDataBrowserItemNotAdded);
    ASSERT_EQ(OpenDataBrowserContainer(browser, 1), noErr);
    ASSERT_EQ(AddDataBrowserItems(browser, 1, 2, below, 0), noErr);
    OpenDataBrowserContainer(browser, 3);
    AddDataBrowserItems(browser, 3, 1, deeper, 0);
    EXPECT_EQ(test::BrowserItems(browser), (std::vector<UInt32>{1, 3, 5, 4, 2}));
    UInt32 count = 0;
    GetDataBrowserItemCount(browser, 1, false, kDataBrowserItemAnyState, &count);
    EXPECT_EQ(count, 2u);
    GetDataBrowserItemCount(browser, 1, true, kDataBrowserItemAnyState, &count);
    EXPECT_EQ(count, 3u);
    GetDataBrowserItemCount(browser, 0, true, kDataBrowserContainerIsOpen, &count);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(CloseDataBrowserContainer(browser, 1), noErr);
    EXPECT_EQ(test::BrowserItems(browser), (std::vector<UInt32>{1, 2}));
    EXPECT_EQ(notes, (std::vector<std::pair<UInt32, UInt32>>{{1, kDataBrowserContainerOpened},
                                                             {3, kDataBrowserContainerOpened},
                                                             {1, kDataBrowserContainerClosing},
                                                             {1, kDataBrowserContainerClosed}}));
    DataBrowserItemState state = 0;
    GetDataBrowserItemState(browser, 1, &state);
    EXPECT_EQ(state & kDataBrowserContainerIsOpen, 0u);
    EXPECT_EQ(GetDataBrowserItemState(browser, 3, &state), errDataBrowserItemNotFound);
}

} // namespace
