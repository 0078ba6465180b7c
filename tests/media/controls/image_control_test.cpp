#include <gtest/gtest.h>

#include "media/controls/image_control.h"
#include "platform/windows/test_driver.h"
#include "tests/support/windowing_fixture.h"
#include "ui/base/dialog.h"

namespace {

class Host : public CBK_Dialog {};

class ImageControlTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 400, CBK_Dialog::kShow, nullptr));
        tbx::test::Flush();
    }
    CBK_Image Picture(int w, int h, uint32_t color) {
        CBK_Image image;
        EXPECT_TRUE(image.Create(uint32_t(w), uint32_t(h), 24, nullptr, false));
        image.Fill(color);
        return image;
    }
    Host host;
};

TEST_F(ImageControlTest, FitsCentresAndDrawsOnBlack) {
    CBK_ControlImage control;
    tbx::Rect bounds{10, 20, 330, 340}; // 320 × 320
    ASSERT_TRUE(control.Create(host, tbx::FourCC("uPrv"), bounds, L""));
    EXPECT_EQ(control.GetTargetRect(), (tbx::Rect{0, 0, 320, 320}));

    CBK_Image wide = Picture(640, 480, 0x0000FF); // red
    ASSERT_TRUE(control.SetImage(wide));
    EXPECT_EQ(control.GetSourceRect(), (tbx::Rect{0, 0, 480, 640}));
    EXPECT_EQ(control.GetTargetRect(), (tbx::Rect{40, 0, 280, 320}));
    tbx::WindowRef window = host.GetWindowHandle();
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 5, 10 + 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 319, 10 + 279) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 5, 10 + 39) & 0xFFFFFF, 0u) << "black band";
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 5, 10 + 280) & 0xFFFFFF, 0u);

    CBK_Image tall = Picture(100, 400, 0xFF0000);
    control.SetImage(tall);
    EXPECT_EQ(control.GetTargetRect(), (tbx::Rect{0, 120, 320, 200}))
        << "reduced to the height, 80 wide, centred";
    CBK_Image small = Picture(50, 30, 0x00FF00);
    control.SetImage(small);
    EXPECT_EQ(control.GetTargetRect(), (tbx::Rect{145, 135, 175, 185}));
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 160, 10 + 160) & 0xFFFFFF, 0x00FF00u);

    control.Fill(0xFF0000); // blue over the whole picture port
    EXPECT_EQ(tbx::test::ReadPixel(window, 20 + 160, 10 + 160) & 0xFFFFFF, 0x0000FFu);
    EXPECT_TRUE(control.Destroy());
    EXPECT_FALSE(control.OnDraw());
}

TEST_F(ImageControlTest, ProportionsOfASquareControl) {
    CBK_ControlImage control;
    tbx::Rect bounds{0, 0, 200, 200};
    ASSERT_TRUE(control.Create(host, tbx::FourCC("uPrv"), bounds, L""));
    CBK_Image tall = Picture(100, 400, 0);
    control.SetImage(tall);
    EXPECT_EQ(control.GetTargetRect(), (tbx::Rect{0, 75, 200, 125}));
    CBK_Image empty;
    control.SetImage(empty);
    EXPECT_EQ(control.GetTargetRect(), tbx::Rect{}) << "nothing to draw, nothing drawn";
}

} // namespace
