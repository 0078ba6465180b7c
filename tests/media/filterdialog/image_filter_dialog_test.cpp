#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

#include "media/filterdialog/image_filter_dialog.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/distort_filters.h"
#include "media/filters/tone_filters.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/media/media_test_support.h"
#include "tests/support/windowing_fixture.h"
#include "ui/controls/edit_box.h"

namespace {

namespace test = tbx::test;
constexpr int32_t kOk = int32_t(tbx::FourCC("ok  ")), kCancel = int32_t(tbx::FourCC("not!"));

class Host : public CBK_Dialog {};

class FilterDialogTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        ASSERT_TRUE(host.Create(50, 60, 500, 400, CBK_Dialog::kShow, nullptr));
        auto bytes = mediatest::Smooth(96, 64, 3);
        ASSERT_TRUE(source.Create(96, 64, 24, bytes.data(), true));
        test::Flush();
    }
    // The source filtered by a fresh copy of `filter` with `configure` applied.
    template <typename F>
    CBK_Image Expected(F& filter, void (*configure)(F&)) {
        std::unique_ptr<F> copy(static_cast<F*>(filter.MakeCopy()));
        configure(*copy);
        CBK_Image image;
        image.Copy(source);
        copy->Filter(image);
        return image;
    }
    static bool Same(const CBK_Image& a, const CBK_Image& b) {
        return a.GetSize() == b.GetSize() &&
               std::memcmp(a.GetData(), b.GetData(), a.GetSize()) == 0;
    }
    static std::u16string Text(tbx::WindowRef window, tbx::OSType code) {
        test::ControlState state;
        test::ReadControl(test::FindControl(window, code, 8000), state);
        return state.text;
    }
    Host host;
    CBK_Image source;
    CBK_ImageFilterDialog dialog;
};

TEST_F(FilterDialogTest, SliderAndEditBoxRefilterFromTheSource) {
    CBK_ImageFilterBlackWhite filter;
    tbx::WindowRef window = nullptr;
    // Actions of a step are dispatched when it returns; the next step sees their effect.
    test::Script([&] {
        window = test::FocusedWindow();
        EXPECT_EQ(dialog.GetHeight(), 348) << "grown by one group";
        // Placed at the host's outer corner, its title bar included.
        tbx::Rect bounds{}, outer{};
        tbx::GetWindowBounds(window, tbx::kWindowContentRgn, &bounds);
        tbx::GetWindowBounds(host.GetWindowHandle(), tbx::kWindowStructureRgn, &outer);
        EXPECT_LT(outer.top, 60);
        EXPECT_EQ(bounds.left, outer.left);
        EXPECT_EQ(bounds.top, outer.top);
        EXPECT_TRUE(
            Same(dialog.GetPreview(), Expected<CBK_ImageFilterBlackWhite>(filter, [](auto&) {})))
            << "filtered at once";
        ASSERT_TRUE(test::ChangeValue(window, 1001, 8000, 180));
    });
    test::Script([&] {
        EXPECT_EQ(filter.GetThreshold(), 180);
        EXPECT_EQ(Text(window, 1002), u"180");
        ASSERT_TRUE(test::ChangeValue(window, 1001, 8000, 40));
    });
    test::Script([&] {
        EXPECT_TRUE(Same(dialog.GetPreview(), Expected<CBK_ImageFilterBlackWhite>(
                                                  filter, [](auto& f) { f.SetThreshold(40); })))
            << "the second setting alone, from the source";
        // Typed beyond the range: the box and the setting take the maximum.
        tbx::ControlRef edit = test::FindControl(window, 1002, 8000);
        tbx::SetKeyboardFocus(window, edit, 1);
        BK_SetEditTextControlText(L"", edit);
        test::TypeText(u"300\n");
    });
    test::Script([&] {
        EXPECT_EQ(filter.GetThreshold(), 255);
        EXPECT_EQ(Text(window, 1002), u"255");
        test::ControlState slider;
        test::ReadControl(test::FindControl(window, 1001, 8000), slider);
        EXPECT_EQ(slider.value, 255);
        EXPECT_TRUE(Same(dialog.GetPreview(), Expected<CBK_ImageFilterBlackWhite>(
                                                  filter, [](auto& f) { f.SetThreshold(255); })));
        test::ClickCommandButton(window, tbx::FourCC("not!"));
    });
    EXPECT_EQ(dialog.DoModal(host.GetWindowHandle(), source, filter), kCancel);
    EXPECT_EQ(filter.GetThreshold(), 255) << "the last settings stay after Cancel";
    EXPECT_FALSE(filter.m_evSettingsChanged.Fire(&filter)) << "no handler left";
    tbx::EventRef event = nullptr;
    EXPECT_FALSE(filter.OnCommand(1001, event)) << "the filter keeps no control of the window";
}

TEST_F(FilterDialogTest, AWindowClosedAnotherWayLeavesTheFilterNoControl) {
    CBK_ImageFilterImplode filter;
    test::Script([&] { tbx::DisposeWindow(test::FocusedWindow()); });
    EXPECT_EQ(dialog.DoModal(host.GetWindowHandle(), source, filter), -1);
    tbx::EventRef event = nullptr;
    EXPECT_FALSE(filter.OnCommand(1001, event));
    EXPECT_FALSE(filter.m_evSettingsChanged.Fire(&filter));
}

TEST_F(FilterDialogTest, ReturnAnswersOkAndCommandPeriodCancels) {
    CBK_ImageFilterEmboss emboss;
    const std::tuple<tbx::UInt16, tbx::UInt32, int32_t> keys[] = {{36, 0, kOk},
                                                                  {47, tbx::cmdKey, kCancel}};
    for (auto [key, modifiers, result] : keys) {
        CBK_ImageFilterDialog keyed;
        test::Script([key = key, modifiers = modifiers] { test::PressKey(key, modifiers); });
        EXPECT_EQ(keyed.DoModal(host.GetWindowHandle(), source, emboss), result) << key;
    }
}

TEST_F(FilterDialogTest, TwoGroupsSwirlWrapsAndNoControls) {
    CBK_ImageFilterBrightness tone;
    tbx::WindowRef window = nullptr;
    test::Script([&] {
        window = test::FocusedWindow();
        EXPECT_EQ(dialog.GetHeight(), 368);
        test::ControlState contrast;
        ASSERT_TRUE(test::ReadControl(test::FindControl(window, 1004, 8000), contrast));
        EXPECT_EQ(contrast.bounds.top, 255 + 56 + 24);
        EXPECT_EQ(contrast.minimum, -100);
        ASSERT_TRUE(test::ChangeValue(window, 1004, 8000, -30));
    });
    test::Script([&] {
        EXPECT_EQ(tone.GetContrastThreshold(), -30);
        EXPECT_EQ(tone.GetBrightnessThreshold(), 0);
        EXPECT_EQ(Text(window, 1005), u"-30");
        test::ClickCommandButton(window, tbx::FourCC("ok  "));
    });
    EXPECT_EQ(dialog.DoModal(host.GetWindowHandle(), source, tone), kOk);

    CBK_ImageFilterSwirl swirl;
    CBK_ImageFilterDialog swirlDialog;
    test::Script([&] {
        window = test::FocusedWindow();
        tbx::ControlRef edit = test::FindControl(window, 1002, 8000);
        tbx::SetKeyboardFocus(window, edit, 1);
        BK_SetEditTextControlText(L"", edit);
        test::TypeText(u"400\n");
    });
    test::Script([&] {
        EXPECT_EQ(swirl.GetAngle(), 40);
        EXPECT_EQ(Text(window, 1002), u"40");
        test::ClickCommandButton(window, tbx::FourCC("ok  "));
    });
    EXPECT_EQ(swirlDialog.DoModal(host.GetWindowHandle(), source, swirl), kOk);

    CBK_ImageFilterEmboss emboss;
    CBK_ImageFilterDialog plain;
    test::Script([&] {
        EXPECT_EQ(plain.GetHeight(), 248);
        EXPECT_EQ(test::FindControl(test::FocusedWindow(), 1001, 8000), nullptr);
        CBK_Image expected;
        expected.Copy(source);
        emboss.Filter(expected);
        EXPECT_TRUE(Same(plain.GetPreview(), expected));
        test::ClickCommandButton(test::FocusedWindow(), tbx::FourCC("ok  "));
    });
    EXPECT_EQ(plain.DoModal(host.GetWindowHandle(), source, emboss), kOk);
}

} // namespace
