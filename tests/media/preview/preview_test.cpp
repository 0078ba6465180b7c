#include <gtest/gtest.h>

#include "media/preview/preview_box.h"
#include "media/preview/quicktime_image_control.h"
#include "media/preview/quicktime_player.h"
#include "media/preview/quicktime_player_control.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"
#include "tests/support/private_alsa.h"
#include "tests/support/windowing_fixture.h"
#include "ui/base/dialog.h"

using namespace movietest;
using mediatest::PathOf;
using stravel::testing::TempDir;

namespace {

class Host : public CBK_Dialog {};

class PreviewTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        tbx::test::Flush();
    }
    uint32_t CanvasPixel(tbx::GWorldPtr canvas, int x, int y) {
        tbx::PixMapHandle map = tbx::GetGWorldPixMap(canvas);
        const uint8_t* p = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(map)) +
                           y * tbx::GetPixRowBytes(map) + x * 4;
        return uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    stravel::testing::PrivateAlsa alsa{stravel::testing::PrivateAlsa::Device::None};
    Host host;
    TempDir dir;
};

bool Reddish(uint32_t rgb) {
    return (rgb >> 16) > 200 && ((rgb >> 8) & 0xFF) < 60 && (rgb & 0xFF) < 60;
}

} // namespace

TEST(PreviewBox, FitsAndCentres) {
    const tbx::Rect large = BK_FitPictureBox(640, 480, 320, 200, true);
    EXPECT_EQ(large, (tbx::Rect{0, 27, 200, 293}));
    const tbx::Rect small = BK_FitPictureBox(100, 50, 320, 200, true);
    EXPECT_EQ(small, (tbx::Rect{75, 110, 125, 210}));
    EXPECT_EQ(BK_FitPictureBox(100, 50, 320, 200, false), (tbx::Rect{0, 0, 200, 320}));
    EXPECT_EQ(BK_FitPictureBox(0, 0, 320, 200, true), tbx::Rect{});
}

TEST_F(PreviewTest, ImageControlDrawsTheFittedPicture) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto red = dir / "red.png", tone = dir / "tone.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "color=c=red:s=640x480", "-frames:v", "1"}, red));
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=r=8000:d=1"}, tone));
    CBK_ControlQuicktimeImage control;
    tbx::Rect bounds{10, 10, 210, 330};
    ASSERT_TRUE(control.Create(host, tbx::FourCC("qImg"), bounds, L""));
    ASSERT_NE(control.GetCanvas(), nullptr);
    CBK_Path picture = PathOf(red), sound = PathOf(tone), missing = PathOf(dir / "none.png");
    ASSERT_TRUE(control.SetImage(picture, true));
    EXPECT_TRUE(Reddish(CanvasPixel(control.GetCanvas(), 27, 100)));
    EXPECT_TRUE(Reddish(CanvasPixel(control.GetCanvas(), 292, 199)));
    EXPECT_EQ(CanvasPixel(control.GetCanvas(), 26, 100), 0xFFFFFFu);
    EXPECT_EQ(CanvasPixel(control.GetCanvas(), 293, 0), 0xFFFFFFu);
    // The canvas reaches the window at the control's place.
    EXPECT_TRUE(
        Reddish(tbx::test::ReadPixel(host.GetWindowHandle(), 10 + 100, 10 + 100) & 0xFFFFFF));
    EXPECT_FALSE(control.SetImage(sound, true)) << "a sound has no picture";
    EXPECT_FALSE(control.SetImage(missing, true));
}

TEST_F(PreviewTest, PlayerControlAndPlayerWindow) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto clip = dir / "c.mov", tone = dir / "tone.wav";
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "color=c=red:s=64x48:r=10:d=2", "-c:v", "mjpeg"}, clip));
    ASSERT_TRUE(Make({"-f", "lavfi", "-i", "sine=r=8000:d=1"}, tone));
    CBK_ControlQuicktimePlayer player;
    tbx::Rect bounds{10, 10, 210, 330};
    ASSERT_TRUE(player.Create(host, tbx::FourCC("qPly"), bounds, L""));
    CBK_Path movie = PathOf(clip), sound = PathOf(tone), missing = PathOf(dir / "x.mov");
    EXPECT_FALSE(player.SetMovie(missing, false));
    ASSERT_TRUE(player.SetMovie(movie, true));
    EXPECT_EQ(player.GetMovieBox(), (tbx::Rect{86, 138, 134, 202}));
    tbx::test::AdvanceTime(0.1);
    EXPECT_TRUE(Reddish(tbx::test::ReadPixel(host.GetWindowHandle(), 170, 110) & 0xFFFFFF));
    EXPECT_TRUE(player.GetMovie().IsPlaying());

    // A sound-only movie sizes the player's window to no width.
    tbx::WindowRef window = nullptr;
    tbx::Rect frame{100, 100, 300, 400};
    ASSERT_EQ(tbx::CreateNewWindow(tbx::kDocumentWindowClass, 0, &frame, &window), tbx::noErr);
    {
        CBK_QuicktimePlayer windowPlayer;
        ASSERT_TRUE(windowPlayer.Create(window));
        ASSERT_TRUE(windowPlayer.Open(sound));
        tbx::Rect content{};
        ASSERT_EQ(tbx::GetWindowBounds(window, tbx::kWindowContentRgn, &content), tbx::noErr);
        EXPECT_EQ(content.right - content.left, 0);
        EXPECT_TRUE(windowPlayer.Play());
        EXPECT_TRUE(windowPlayer.Close());
        EXPECT_FALSE(windowPlayer.OnPaint()) << "closed";
    }
    tbx::DisposeWindow(window);
}
