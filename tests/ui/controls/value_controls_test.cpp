#include <gtest/gtest.h>

#include <vector>

#include "core/events/delegate.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

// The owner of a scroll bar hands it the mouse-downs, as the media timeline does.
class Timeline : public CBK_Dialog {
public:
    CBK_ControlScrollBar bar;
    std::vector<int32_t> fired;
    bool OnLButtonDown(int32_t, int32_t, uint32_t) override { return bar._OnControlHit(); }
    void OnScroll(int32_t position) { fired.push_back(position); }
};

class ValueControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(timeline.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        test::Flush();
        // Horizontal, 200 pixels: the mouse maps onto 200 - 48 = 152 pixels of track.
        Rect r{100, 50, 116, 250};
        ASSERT_TRUE(timeline.bar.Create(timeline, FourCC("sbTm"), r, 0));
        timeline.bar.SetHorizontal(true);
        timeline.bar.SetScrollRange(0, 100, true);
        timeline.bar.m_OnScroll.AddHandler(BK_MakeDelegate(timeline, &Timeline::OnScroll));
    }
    Timeline timeline;
};

TEST_F(ValueControlsTest, ScrollPositionSettersStayInRange) {
    CBK_ControlScrollBar& bar = timeline.bar;
    EXPECT_EQ(bar.GetScrollBarWidth(), 16);
    int32_t minimum = -1, maximum = -1;
    bar.GetScrollRange(minimum, maximum);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 100);
    EXPECT_TRUE(bar.SetScrollPos(40, true));
    EXPECT_FALSE(bar.SetScrollPos(101, true));
    EXPECT_FALSE(bar.SetScrollPos(-1, true));
    EXPECT_EQ(bar.GetScrollPos(), 40);
    EXPECT_TRUE(bar.IncrementScrollPos(1000, true));
    EXPECT_EQ(bar.GetScrollPos(), 100);
    EXPECT_TRUE(bar.IncrementScrollPos(-1000, true));
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollRange(-500000, 500000, false);
    EXPECT_TRUE(bar.SetScrollPos(-400000, false));
    EXPECT_EQ(bar.GetScrollPos(), -400000);
    EXPECT_TRUE(timeline.fired.empty()); // only the user's changes fire
}

TEST_F(ValueControlsTest, ArrowsStepAndStopAtTheEnds) {
    CBK_ControlScrollBar& bar = timeline.bar;
    bar.SetNormalScrollDelta(7);
    bar.SetScrollPos(90, false);
    // Hold the right arrow for the press and two more points.
    test::Gesture(timeline.GetWindowHandle(), {{108, 245}, {108, 245}, {108, 246}});
    EXPECT_EQ(timeline.fired, (std::vector<int32_t>{97, 100}));
    timeline.fired.clear();
    test::Gesture(timeline.GetWindowHandle(), {{108, 245}, {108, 245}});
    EXPECT_TRUE(timeline.fired.empty()); // at the maximum nothing moves, nothing fires
    test::Click(timeline.GetWindowHandle(), Point{108, 52});
    EXPECT_EQ(timeline.fired, (std::vector<int32_t>{93}));
}

TEST_F(ValueControlsTest, PagingUsesTheHeightOverTheUnitScaleAndAZeroScaleDoesNothing) {
    CBK_ControlScrollBar& bar = timeline.bar;
    bar.SetScrollPos(0, false);
    test::Click(timeline.GetWindowHandle(), Point{108, 200}); // page right: 16 / 1
    EXPECT_EQ(bar.GetScrollPos(), 16);
    bar.SetUnitScale(4);
    test::Click(timeline.GetWindowHandle(), Point{108, 240 - 20});
    EXPECT_EQ(bar.GetScrollPos(), 20);
    bar.SetUnitScale(0);
    test::Click(timeline.GetWindowHandle(), Point{108, 220});
    EXPECT_EQ(bar.GetScrollPos(), 20);
    EXPECT_EQ(timeline.fired, (std::vector<int32_t>{16, 20}));
}

TEST_F(ValueControlsTest, DraggingTheThumbFollowsTheMouseAndSnapsBackFarAway) {
    CBK_ControlScrollBar& bar = timeline.bar;
    bar.SetScrollPos(0, false);
    // The thumb sits at the left end of the track; grab it and drag right by 38 pixels
    // (a quarter of the 152-pixel track), away beyond 100 pixels, and back.
    const Point grab{108, 70};
    ASSERT_EQ(TestControl(bar.GetControlHandle(), grab), kControlIndicatorPart);
    test::Gesture(timeline.GetWindowHandle(),
                  {grab, {108, 70 + 38}, {108 + 150, 70 + 38}, {108, 70 + 76}});
    EXPECT_EQ(timeline.fired, (std::vector<int32_t>{25, 0, 50}));
    EXPECT_EQ(bar.GetScrollPos(), 50);
    // A click on the thumb that does not move keeps the position.
    timeline.fired.clear();
    const Point thumb{108, 70 + 76};
    ASSERT_EQ(TestControl(bar.GetControlHandle(), thumb), kControlIndicatorPart);
    test::Click(timeline.GetWindowHandle(), thumb);
    EXPECT_EQ(bar.GetScrollPos(), 50);
    EXPECT_TRUE(timeline.fired.empty());
}

TEST_F(ValueControlsTest, AShortBarDoesNotMoveItsThumbByMouse) {
    Timeline small;
    ASSERT_TRUE(small.Create(600, 100, 200, 100, CBK_Dialog::kShow, nullptr));
    Rect r{10, 10, 26, 50}; // 40 pixels: shorter than the track extra
    ASSERT_TRUE(small.bar.Create(small, FourCC("sbSm"), r, 0));
    small.bar.SetHorizontal(true);
    small.bar.SetScrollRange(0, 10, false);
    small.bar.SetScrollPos(3, false);
    small.bar.m_OnScroll.AddHandler(BK_MakeDelegate(small, &Timeline::OnScroll));
    Point thumb{18, 0};
    for (int16_t h = 10; h < 50; ++h)
        if (TestControl(small.bar.GetControlHandle(), Point{18, h}) == kControlIndicatorPart) {
            thumb.h = h;
            break;
        }
    ASSERT_NE(thumb.h, 0);
    test::Gesture(small.GetWindowHandle(), {thumb, {18, 45}, {18, 12}});
    EXPECT_EQ(small.bar.GetScrollPos(), 3);
    EXPECT_TRUE(small.fired.empty());
}

TEST_F(ValueControlsTest, ClicksElsewhereAreNotTheBars) {
    test::Click(timeline.GetWindowHandle(), Point{250, 300});
    EXPECT_TRUE(timeline.fired.empty());
    EXPECT_FALSE(timeline.bar._OnControlHit()); // the mouse is not over it
}

TEST_F(ValueControlsTest, SliderAndProgressBarKeep32BitValues) {
    CBK_ControlSlider slider;
    Rect r{150, 10, 170, 200};
    ASSERT_TRUE(slider.Create(timeline, FourCC("slQ "), r, L""));
    test::ControlState state;
    test::ReadControl(slider.GetControlHandle(), state);
    EXPECT_EQ(state.kind, "slider");
    EXPECT_EQ(state.maximum, 100);
    slider.SetRange(-100000, 100000, true);
    slider.SetPosition(99999, true);
    EXPECT_EQ(slider.GetPosition(), 99999);
    test::ChangeValue(timeline.GetWindowHandle(), FourCC("slQ "), 0, -5);
    EXPECT_EQ(slider.GetPosition(), -5);

    CBK_ControlProgressBar bar;
    Rect b{180, 10, 200, 200};
    ASSERT_TRUE(bar.Create(timeline, FourCC("pbPg"), b, L""));
    bar.SetRange(0, 1000, true);
    EXPECT_EQ(bar.GetProgressMax(), 1000);
    bar.SetRange(0, 100000, true);
    EXPECT_EQ(bar.GetProgressMax(), 100000);
    bar.SetRange(-70000, 70000, true);
    int32_t minimum = 0, maximum = 0;
    bar.GetRange(minimum, maximum);
    EXPECT_EQ(minimum, -70000);
    EXPECT_EQ(maximum, 70000);
    bar.SetProgress(40000, true);
    EXPECT_EQ(bar.GetProgress(), 40000);
    bar.IncrementProgress();
    EXPECT_EQ(bar.GetProgress(), 40001);
    bar.DecrementProgress();
    bar.DecrementProgress();
    EXPECT_EQ(bar.GetProgress(), 39999);
    bar.SetProgressComplete();
    EXPECT_EQ(bar.GetProgress(), 70000);
    bar.IncrementProgress();
    EXPECT_EQ(bar.GetProgress(), 70000);
}

} // namespace
