#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "core/events/delegate.h"
#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/distort_filters.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"
#include "platform/windows/test_driver.h"
#include "tests/support/windowing_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/edit_box.h"

namespace {

using namespace tbx;
using tbx::test::ControlState;

// Stands for the filter dialog: a window of its size that hands its commands to the filter.
class Host : public CBK_Dialog {
public:
    CBK_ImageFilter* filter = nullptr;
    int fired = 0;
    bool OnCommand(uint32_t code, EventRef& event) override {
        return filter->OnCommand(code, event);
    }
    void OnChanged(CBK_ImageFilter*) { ++fired; }
};

class FilterControlsTest : public stravel::testing::WindowingTest {
protected:
    void Open(CBK_ImageFilter& filter) {
        host.filter = &filter;
        ASSERT_TRUE(host.Create(0, 0, 339, 248, CBK_Dialog::kShow, nullptr));
        Rect area{255, 20, 400, 228};
        ASSERT_TRUE(filter.InitControls(host, area));
        filter.m_evSettingsChanged.AddHandler(BK_MakeDelegate(host, &Host::OnChanged));
        test::Flush();
    }
    ControlState Read(uint32_t code) {
        ControlState state;
        EXPECT_TRUE(test::ReadControl(test::FindControl(host.GetWindowHandle(), code, 0), state))
            << code;
        return state;
    }
    // Clears the box, types `text` and ends the entry with Return.
    void Type(uint32_t code, const std::u16string& text) {
        ControlRef box = test::FindControl(host.GetWindowHandle(), code, 0);
        ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), code, 0));
        BK_SetEditTextControlText(L"", box);
        test::TypeText(text + u"\n");
    }
    Host host;
};

std::u16string Text(int32_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

struct Group {
    const char* name;
    std::function<CBK_ImageFilter*()> make;
    std::function<double(CBK_ImageFilter&)> get;
    int32_t minimum, maximum;
    int32_t typedAbove; // what the maximum + 5 typed in the box becomes
};

template <typename F, typename V>
Group Make(const char* name, V (F::*get)() const, int32_t minimum, int32_t maximum,
           int32_t typedAbove) {
    return {name,
            [] { return new F; },
            [get](CBK_ImageFilter& f) { return static_cast<double>((static_cast<F&>(f).*get)()); },
            minimum,
            maximum,
            typedAbove};
}

TEST_F(FilterControlsTest, EachGroupMovesItsSettingAndHoldsTypedValuesToTheRange) {
    const Group groups[] = {
        Make("black & white", &CBK_ImageFilterBlackWhite::GetThreshold, 0, 255, 255),
        Make("gaussian blur", &CBK_ImageFilterGaussianBlur::GetRadius, 0, 10, 10),
        Make("motion blur", &CBK_ImageFilterMotionBlur::GetThreshold, 0, 255, 255),
        Make("edge", &CBK_ImageFilterEdge::GetRadius, 0, 10, 10),
        Make("median", &CBK_ImageFilterMedian::GetThreshold, 0, 100, 100),
        Make("implode", &CBK_ImageFilterImplode::GetAmount, 0, 100, 100),
        Make("oil paint", &CBK_ImageFilterOilPaint::GetThreshold, 0, 100, 100),
        Make("raise borders", &CBK_ImageFilterRaiseBorders::GetWidth, 1, 10, 10),
        Make("swirl", &CBK_ImageFilterSwirl::GetAngle, 0, 359, 4),
    };
    for (const Group& group : groups) {
        SCOPED_TRACE(group.name);
        std::unique_ptr<CBK_ImageFilter> filter(group.make());
        const auto setting = [&] { return group.get(*filter); };
        const int32_t initial = static_cast<int32_t>(setting());
        Open(*filter);
        EXPECT_EQ(host.GetHeight(), 348);
        ControlState slider = Read(1001);
        EXPECT_EQ(slider.minimum, group.minimum);
        EXPECT_EQ(slider.maximum, group.maximum);
        EXPECT_EQ(slider.value, initial);
        EXPECT_EQ(Read(1002).text, Text(initial));
        EXPECT_EQ(Read(1002).bounds.left, 153);
        EXPECT_EQ(Read(1000).bounds.top, 255);

        // A slider move stores and fires once; a move to the stored value fires nothing but
        // still rewrites the box.
        const int32_t moved = group.maximum - 1;
        ASSERT_TRUE(test::ChangeValue(host.GetWindowHandle(), 1001, 0, moved));
        EXPECT_EQ(setting(), moved);
        EXPECT_EQ(host.fired, 1);
        EXPECT_EQ(Read(1002).text, Text(moved));
        ControlRef box = test::FindControl(host.GetWindowHandle(), 1002, 0);
        BK_SetEditTextControlText(L"7x", box);
        ASSERT_TRUE(test::ChangeValue(host.GetWindowHandle(), 1001, 0, moved));
        EXPECT_EQ(host.fired, 1);
        EXPECT_EQ(Read(1002).text, Text(moved));

        // Typed past the top: the box, the setting and the slider all show the held value
        // (the swirl's angle turns round the circle instead).
        Type(1002, Text(group.maximum + 5));
        EXPECT_EQ(setting(), group.typedAbove);
        EXPECT_EQ(host.fired, 2);
        EXPECT_EQ(Read(1002).text, Text(group.typedAbove));
        EXPECT_EQ(Read(1001).value, group.typedAbove);

        EXPECT_TRUE(filter->KillControls());
        EXPECT_EQ(test::FindControl(host.GetWindowHandle(), 1001, 0), nullptr);
        EXPECT_EQ(test::FindControl(host.GetWindowHandle(), 1002, 0), nullptr);
        EXPECT_TRUE(filter->KillControls());
        host.Destroy();
        host.fired = 0;
    }
}

TEST_F(FilterControlsTest, ValuesTypedBelowTheRangeAreHeldToItsFloor) {
    CBK_ImageFilterRaiseBorders borders;
    Open(borders);
    Type(1002, u"0");
    EXPECT_EQ(borders.GetWidth(), 1);
    EXPECT_EQ(Read(1002).text, u"1");
    EXPECT_EQ(Read(1001).value, 1);
    EXPECT_EQ(host.fired, 1);
}

TEST_F(FilterControlsTest, BrightnessAndContrastEachDriveTheirOwnSetting) {
    CBK_ImageFilterBrightness filter;
    Open(filter);
    EXPECT_EQ(host.GetHeight(), 368);
    EXPECT_EQ(Read(1003).bounds.top, 311);
    EXPECT_EQ(Read(1004).minimum, -100);
    Type(1005, u"-150");
    EXPECT_EQ(filter.GetContrastThreshold(), -100);
    EXPECT_EQ(filter.GetBrightnessThreshold(), 0);
    EXPECT_EQ(Read(1005).text, u"-100");
    EXPECT_EQ(Read(1004).value, -100);
    ASSERT_TRUE(test::ChangeValue(host.GetWindowHandle(), 1001, 0, 30));
    EXPECT_EQ(filter.GetBrightnessThreshold(), 30);
    EXPECT_EQ(filter.GetContrastThreshold(), -100);
    EXPECT_EQ(Read(1002).text, u"30");
    EXPECT_EQ(host.fired, 2);
}

TEST_F(FilterControlsTest, NoiseTypeFollowsTheDropList) {
    CBK_ImageFilterAddNoise filter;
    filter.SetNoiseType(imagemagick::LaplacianNoise);
    Open(filter);
    EXPECT_EQ(host.GetHeight(), 348);
    ControlState list = Read(1001);
    EXPECT_EQ(list.maximum, 6);
    EXPECT_EQ(list.value, 5); // item 4, Laplacian, counted from 1
    ASSERT_TRUE(test::ChangeValue(host.GetWindowHandle(), 1001, 0, 1));
    EXPECT_EQ(filter.GetNoiseType(), imagemagick::UniformNoise);
    ASSERT_TRUE(test::ChangeValue(host.GetWindowHandle(), 1001, 0, 1));
    EXPECT_EQ(host.fired, 1);
    EXPECT_TRUE(filter.KillControls());
    EXPECT_EQ(test::FindControl(host.GetWindowHandle(), 1001, 0), nullptr);
}

} // namespace
