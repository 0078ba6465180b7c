// Movies played through the standard controller, driven as a user would through the test
// driver, and their sound as an ALSA device of the test's own receives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "media/preview/quicktime_player.h"
#include "media/preview/quicktime_player_control.h"
#include "platform/movie/components.h"
#include "platform/movie/controller_bar.h"
#include "platform/movie/movie_controller.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/media/media_test_support.h"
#include "tests/media/movie/movie_media.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/private_alsa.h"
#include "tests/support/windowing_fixture.h"
#include "ui/base/dialog.h"

using namespace movietest;
using mediatest::PathOf;
using stravel::testing::PrivateAlsa;
using stravel::testing::TempDir;
namespace test = tbx::test;

namespace {

constexpr tbx::UInt16 kSpaceKey = 49, kLeftKey = 123, kRightKey = 124;
// A 160 × 120 movie of 2 s at 10 frames a second: time 600 is one second.
constexpr int kWidth = 160, kHeight = 120;
constexpr int32_t kDuration = 1200, kFrameTime = 60;

const char* kPlayerNib = R"(<nib>
  <window name="PLAYER" class="document" left="40" top="60" width="300" height="200"
          closeBox="true" resizable="true" title="Player"/>
</nib>)";

class Host : public CBK_Dialog {};

class PlaybackTest : public stravel::testing::WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        bundle.AddResource("nibs/main.xml", kPlayerNib);
    }
    // The movie clip, with a 440 Hz tone of 22050 Hz mono 16-bit PCM when asked.
    bool MakeClip(const std::filesystem::path& file, bool tone) {
        std::vector<std::string> args = {"-f", "lavfi", "-i", IndexedColours(10, 2, "160x120")};
        if (tone)
            args.insert(args.end(),
                        {"-f", "lavfi", "-i", "sine=f=440:r=22050:d=2", "-c:a", "pcm_s16le"});
        args.insert(args.end(), {"-c:v", "mjpeg", "-q:v", "2"});
        return Make(args, file);
    }
    // Opens the movie in the player and plays it at `rate` by the controller's play action.
    static void PlayAt(CBK_QuicktimePlayer& player, CBK_Path& path, double rate) {
        ASSERT_TRUE(player.Create(L"PLAYER", nullptr));
        ASSERT_TRUE(player.Open(path));
        const auto fixed = intptr_t(rate * tbx::fixed1);
        ASSERT_EQ(tbx::MCDoAction(player.GetController(), tbx::mcActionPlay,
                                  reinterpret_cast<void*>(fixed)),
                  tbx::noErr);
    }
    // The index of the frame that the window shows at a point.
    static int FrameAt(tbx::WindowRef window, int x, int y) {
        const uint32_t argb = test::ReadPixel(window, x, y);
        const uint8_t rgb[3] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)};
        return IndexOfColour(rgb);
    }
    stravel::testing::ScratchBundle bundle{""};
    TempDir dir;
};

// The 16-bit little-endian sample at byte `at`.
int Sample16(const std::string& pcm, std::size_t at) {
    return int(int16_t(uint16_t(uint8_t(pcm[at])) | uint16_t(uint8_t(pcm[at + 1])) << 8));
}

// The bar below a movie box, in window coordinates.
tbx::ControllerBarLayout BarBelow(const tbx::Rect& box) {
    return tbx::LayOutControllerBar(tbx::Rect{
        box.bottom, box.left, int16_t(box.bottom + tbx::kControllerBarHeight), box.right});
}

// Drags the play head from the start of the scrubber to its middle.
bool ScrubToMiddle(tbx::WindowRef window, const tbx::ControllerBarLayout& bar) {
    const int16_t v = int16_t(bar.track.top + 2);
    return test::Gesture(window, {{v, bar.track.left},
                                  {v, int16_t((bar.track.left + bar.track.right) / 4)},
                                  {v, tbx::PlayHeadColumn(bar, 0.5)}});
}

// The window alive when the controller was told to stop for good.
tbx::WindowRef gClosingWindow = nullptr;
bool gWindowAliveAtSuspend = false;
tbx::Boolean NoteSuspend(tbx::MovieController, tbx::MCAction action, void*, tbx::SInt32) {
    if (action == tbx::mcActionSuspend)
        gWindowAliveAtSuspend = tbx::IsValidWindowPtr(gClosingWindow);
    return false;
}

} // namespace

TEST_F(PlaybackTest, PlayerWindowPlaysPausesScrubsStepsAndCloses) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto clip = dir / "clip.mov";
    ASSERT_TRUE(MakeClip(clip, false));
    CBK_QuicktimePlayer player;
    ASSERT_TRUE(player.Create(L"PLAYER", nullptr));
    CBK_Path path = PathOf(clip);
    ASSERT_TRUE(player.Open(path));
    tbx::WindowRef window = player.GetWindow();
    tbx::Rect content{};
    ASSERT_EQ(tbx::GetWindowBounds(window, tbx::kWindowContentRgn, &content), tbx::noErr);
    EXPECT_EQ(content.right - content.left, kWidth);
    EXPECT_EQ(content.bottom - content.top, kHeight + tbx::kControllerBarHeight);
    EXPECT_EQ(FrameAt(window, 80, 60), 0);

    // Space plays by the clock and pauses; the button shows which.
    const tbx::ControllerBarLayout bar = BarBelow(tbx::Rect{0, 0, kHeight, kWidth});
    const int glyphX = bar.button.left + 8, glyphY = (bar.button.top + bar.button.bottom) / 2;
    const uint32_t playGlyph = test::ReadPixel(window, glyphX, glyphY);
    test::PressKey(kSpaceKey);
    test::AdvanceTime(0.5);
    EXPECT_EQ(player.GetMovie().GetTimeValue(), 300);
    EXPECT_EQ(FrameAt(window, 80, 60), 5);
    EXPECT_NE(test::ReadPixel(window, glyphX, glyphY), playGlyph) << "pause shows while playing";
    test::PressKey(kSpaceKey);
    test::AdvanceTime(0.5);
    EXPECT_EQ(player.GetMovie().GetTimeValue(), 300) << "paused";
    EXPECT_EQ(test::ReadPixel(window, glyphX, glyphY), playGlyph);

    // The scrubber to its middle shows the frame at half the duration, the play head there.
    ASSERT_TRUE(ScrubToMiddle(window, bar));
    const int32_t half = player.GetMovie().GetTimeValue();
    EXPECT_LE(std::abs(half - kDuration / 2), kDuration / (bar.track.right - bar.track.left));
    EXPECT_EQ(FrameAt(window, 80, 60), half / kFrameTime);
    EXPECT_NE(test::ReadPixel(window, tbx::PlayHeadColumn(bar, 0.5), bar.track.top - 1),
              test::ReadPixel(window, bar.track.left + 2, bar.track.top - 1));

    // The arrows step one frame each way.
    test::PressKey(kRightKey);
    EXPECT_EQ(player.GetMovie().GetTimeValue(), (half / kFrameTime + 1) * kFrameTime);
    EXPECT_EQ(FrameAt(window, 80, 60), half / kFrameTime + 1);
    test::PressKey(kLeftKey);
    EXPECT_EQ(FrameAt(window, 80, 60), half / kFrameTime);

    // A larger window takes the movie with it, the bar along its foot.
    ASSERT_TRUE(test::ResizeWindow(window, 2 * kWidth, 2 * kHeight + tbx::kControllerBarHeight));
    tbx::Rect bounds{};
    ASSERT_EQ(tbx::MCGetControllerBoundsRect(player.GetController(), &bounds), tbx::noErr);
    EXPECT_EQ(bounds, (tbx::Rect{0, 0, 2 * kHeight + tbx::kControllerBarHeight, 2 * kWidth}));
    EXPECT_EQ(FrameAt(window, 2 * kWidth - 4, 2 * kHeight - 4), half / kFrameTime);

    // The close box stops and disposes of the controller and closes the movie, window still
    // there, and then the window goes.
    tbx::MovieController controller = player.GetController();
    test::PressKey(kSpaceKey);
    gClosingWindow = window;
    ASSERT_EQ(tbx::MCSetActionFilterWithRefCon(controller, NoteSuspend, 0), tbx::noErr);
    ASSERT_TRUE(test::CloseWindow(window));
    EXPECT_TRUE(gWindowAliveAtSuspend);
    EXPECT_EQ(tbx::MCGetVisible(controller), tbx::badComponentInstance);
    EXPECT_FALSE(player.GetMovie().IsOpen());
    EXPECT_FALSE(tbx::IsValidWindowPtr(window));
    test::AdvanceTime(0.5); // no timer is left to fire
}

TEST_F(PlaybackTest, PlayerControlDoesTheSameInsideItsPane) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto clip = dir / "clip.mov";
    ASSERT_TRUE(MakeClip(clip, false));
    Host host;
    ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    tbx::WindowRef window = host.GetWindowHandle();
    CBK_ControlQuicktimePlayer control;
    tbx::Rect pane{10, 10, 210, 330};
    ASSERT_TRUE(control.Create(host, tbx::FourCC("qPly"), pane, L""));
    CBK_Path path = PathOf(clip);
    ASSERT_TRUE(control.SetMovie(path, false));
    // Centred in the pane, the bar below the movie.
    const tbx::Rect box{50, 90, 170, 250};
    EXPECT_EQ(control.GetMovieBox(), box);
    const tbx::ControllerBarLayout bar = BarBelow(box);
    EXPECT_EQ(FrameAt(window, 170, 110), 0);

    const tbx::Point button{int16_t(bar.button.top + 8), int16_t(bar.button.left + 8)};
    ASSERT_TRUE(test::Click(window, button));
    test::AdvanceTime(0.31);
    EXPECT_EQ(control.GetMovie().GetTimeValue(), 186);
    EXPECT_EQ(FrameAt(window, 170, 110), 3);
    ASSERT_TRUE(test::Click(window, button));
    test::AdvanceTime(0.3);
    EXPECT_EQ(control.GetMovie().GetTimeValue(), 186) << "paused";

    ASSERT_TRUE(ScrubToMiddle(window, bar));
    const int32_t half = control.GetMovie().GetTimeValue();
    EXPECT_LE(std::abs(half - kDuration / 2), kDuration / (bar.track.right - bar.track.left));
    EXPECT_EQ(FrameAt(window, 170, 110), half / kFrameTime);
    test::PressKey(kRightKey);
    EXPECT_EQ(FrameAt(window, 170, 110), half / kFrameTime + 1);
    // A click beside the bar is not the controller's.
    ASSERT_TRUE(test::Click(window, tbx::Point{200, 20}));
    EXPECT_EQ(FrameAt(window, 170, 110), half / kFrameTime + 1);

    tbx::MovieController controller = control.GetController();
    ASSERT_TRUE(control.Destroy());
    EXPECT_EQ(tbx::MCGetVisible(controller), tbx::badComponentInstance);
    EXPECT_FALSE(control.GetMovie().IsOpen());
    // Clicks and keys after it went reach nothing.
    EXPECT_TRUE(test::Click(window, button));
    test::PressKey(kSpaceKey);
    test::AdvanceTime(0.1);
}

TEST_F(PlaybackTest, SoundPlaysThroughTheDeviceAsTheTrackHoldsIt) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto toned = dir / "tone.mov", silent = dir / "silent.mov", sound = dir / "tone.wav";
    ASSERT_TRUE(MakeClip(toned, true));
    ASSERT_TRUE(MakeClip(silent, false));
    ASSERT_TRUE(Make({"-i", toned.string(), "-map", "0:a"}, sound));
    // What the track holds, as FFmpeg decodes it.
    const auto decoded =
        RunTool({"ffmpeg", "-v", "error", "-i", toned.string(), "-map", "0:a", "-f", "s16le", "-"});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    constexpr std::size_t kSecond = 22050 * 2;
    ASSERT_GE(decoded.out.size(), kSecond);

    {
        PrivateAlsa alsa(PrivateAlsa::Device::Capture);
        CBK_QuicktimePlayer player;
        ASSERT_TRUE(player.Create(L"PLAYER", nullptr));
        CBK_Path path = PathOf(toned);
        ASSERT_TRUE(player.Open(path));
        test::PressKey(kSpaceKey);
        tbx::SInt32 info = 0;
        ASSERT_EQ(tbx::MCGetControllerInfo(player.GetController(), &info), tbx::noErr);
        EXPECT_EQ(info & (tbx::mcInfoHasSound | tbx::mcInfoIsPlaying),
                  tbx::mcInfoHasSound | tbx::mcInfoIsPlaying);
        test::AdvanceTime(1.0);
        test::PressKey(kSpaceKey); // the device is let go, and the capture closed
        const std::string played = stravel::testing::ReadFileBytes(alsa.CaptureFile());
        ASSERT_GE(played.size(), kSecond);
        int worst = 0;
        for (std::size_t i = 0; i + 1 < kSecond; i += 2)
            worst = std::max(worst, std::abs(Sample16(played, i) - Sample16(decoded.out, i)));
        EXPECT_LE(worst, 1) << "the first second as played";

        // A movie without sound plays silently: the device is never opened.
        std::filesystem::remove(alsa.CaptureFile());
        CBK_Path quiet = PathOf(silent);
        ASSERT_TRUE(player.Open(quiet));
        test::PressKey(kSpaceKey);
        test::AdvanceTime(0.5);
        EXPECT_EQ(player.GetMovie().GetTimeValue(), 300);
        EXPECT_FALSE(std::filesystem::exists(alsa.CaptureFile()));
    }

    // Without a device the sound plays by the clock, and a sound without a picture shows the
    // controller alone, with no width.
    PrivateAlsa none(PrivateAlsa::Device::None);
    CBK_QuicktimePlayer player;
    ASSERT_TRUE(player.Create(L"PLAYER", nullptr));
    CBK_Path path = PathOf(sound);
    ASSERT_TRUE(player.Open(path));
    tbx::Rect content{};
    ASSERT_EQ(tbx::GetWindowBounds(player.GetWindow(), tbx::kWindowContentRgn, &content),
              tbx::noErr);
    EXPECT_EQ(content.right - content.left, 0);
    EXPECT_EQ(content.bottom - content.top, tbx::kControllerBarHeight);
    ASSERT_TRUE(player.Play());
    test::AdvanceTime(0.5);
    EXPECT_EQ(player.GetMovie().GetTimeValue(), 300);
    EXPECT_TRUE(player.GetMovie().IsPlaying());
    // The window without area grows again for a movie with a picture, and shows it.
    CBK_Path picture = PathOf(silent);
    ASSERT_TRUE(player.Open(picture));
    EXPECT_EQ(FrameAt(player.GetWindow(), 80, 60), 0);

    // The sound control plays a file through a player of its own.
    Host host;
    ASSERT_TRUE(host.Create(100, 100, 300, 100, CBK_Dialog::kShow, nullptr));
    CBK_ControlQuicktimeSound control;
    tbx::Rect pane{10, 10, 40, 200};
    ASSERT_TRUE(control.Create(host, tbx::FourCC("qSnd"), pane, L""));
    CBK_Path missing = PathOf(dir / "none.wav");
    EXPECT_FALSE(control.SetSound(missing));
    ASSERT_TRUE(control.SetSound(path));
    test::AdvanceTime(0.25);
    EXPECT_EQ(control.GetPlayer().GetMovie().GetTimeValue(), 150);
}

TEST_F(PlaybackTest, WhileSoundPlaysTheClockFollowsTheDevice) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto toned = dir / "tone.mov";
    ASSERT_TRUE(MakeClip(toned, true));
    CBK_Path path = PathOf(toned);
    PrivateAlsa alsa(PrivateAlsa::Device::Steered, STRAVEL_TEST_ALSA_PCM);
    // 22050 frames to the device's second, each second of it `rate` seconds of the movie: the
    // picture goes where the sound is.
    for (const double rate : {1.0, 2.0, 0.5}) {
        alsa.SetHeard(0);
        CBK_QuicktimePlayer player;
        PlayAt(player, path, rate);
        test::AdvanceTime(0.5);
        EXPECT_EQ(player.GetMovie().GetTimeValue(), 0) << "nothing heard yet at " << rate;
        for (const long heard : {4410, 8820}) {
            alsa.SetHeard(heard);
            test::AdvanceTime(0.1);
            const auto time = int32_t(heard * rate * 600 / 22050);
            EXPECT_EQ(player.GetMovie().GetTimeValue(), time) << heard << " at " << rate;
            EXPECT_EQ(FrameAt(player.GetWindow(), 80, 60), time / kFrameTime) << heard;
        }
    }
}

TEST_F(PlaybackTest, AtOtherRatesTheDeviceGetsTheSoundResampled) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto toned = dir / "tone.mov";
    ASSERT_TRUE(MakeClip(toned, true));
    CBK_Path path = PathOf(toned);
    for (const double rate : {2.0, 0.5}) {
        // FFmpeg's own change of speed: the samples taken as `rate` times their rate, then
        // resampled back to it.
        const auto resampled =
            RunTool({"ffmpeg", "-v", "error", "-i", toned.string(), "-map", "0:a", "-af",
                     "asetrate=" + std::to_string(int(22050 * rate)) + ",aresample=22050", "-f",
                     "s16le", "-"});
        ASSERT_EQ(resampled.exitCode, 0) << resampled.err;
        PrivateAlsa alsa(PrivateAlsa::Device::Capture);
        {
            CBK_QuicktimePlayer player;
            PlayAt(player, path, rate);
            test::AdvanceTime(0.5);
        } // the device is let go, and the capture closed
        const std::string played = stravel::testing::ReadFileBytes(alsa.CaptureFile());
        constexpr std::size_t kHalfSecond = 22050;
        ASSERT_GE(played.size(), kHalfSecond) << rate;
        ASSERT_GE(resampled.out.size(), kHalfSecond);
        // Good resamplers agree on a tone far below their cut-off to a fraction of a per cent;
        // 64 is 1.6% of the tone's swing (an eighth of full scale), while sound started one
        // sample early or late misses by more than 250 even at the slower rate's 220 Hz.
        int worst = 0;
        for (std::size_t i = 0; i + 1 < kHalfSecond; i += 2)
            worst = std::max(worst, std::abs(Sample16(played, i) - Sample16(resampled.out, i)));
        EXPECT_LE(worst, 64) << rate;
    }
}

TEST_F(PlaybackTest, NullAndStaleHandlesAnswerWithAnError) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    const auto clip = dir / "clip.mov";
    ASSERT_TRUE(MakeClip(clip, false));
    tbx::Rect rect{0, 0, 10, 10};
    tbx::EventRecord idle;
    tbx::SInt32 flags = 0;
    EXPECT_EQ(tbx::NewMovieController(nullptr, &rect, 0), nullptr);
    CBK_QuicktimeMovie movie;
    CBK_Path path = PathOf(clip);
    ASSERT_TRUE(movie.Open(path));
    tbx::FSSpec file;
    EXPECT_TRUE(movie.MakeFSSpecFromPath(path, file));
    EXPECT_EQ(file.path, clip.string());
    EXPECT_EQ(tbx::NewMovieController(movie.GetMovie(), nullptr, 0), nullptr);
    tbx::MovieController live = tbx::NewMovieController(movie.GetMovie(), &rect, 0);
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(tbx::MCIsPlayerEvent(live, nullptr), tbx::paramErr);
    EXPECT_EQ(tbx::MCGetControllerBoundsRect(live, nullptr), tbx::paramErr);
    EXPECT_EQ(tbx::MCDoAction(live, tbx::mcActionPlay, reinterpret_cast<void*>(-1)), tbx::paramErr);
    // The movie goes first: the controller stays answerable and plays nothing.
    movie.Close();
    EXPECT_EQ(tbx::MCDoAction(live, tbx::mcActionPlay, reinterpret_cast<void*>(tbx::fixed1)),
              tbx::invalidMovie);
    EXPECT_EQ(tbx::MCIsPlayerEvent(live, &idle), 0);
    EXPECT_EQ(tbx::MCDraw(live, nullptr), tbx::noErr);
    EXPECT_EQ(tbx::DisposeMovieController(live), tbx::noErr);

    for (tbx::MovieController controller : {tbx::MovieController(nullptr), live}) {
        EXPECT_EQ(tbx::DisposeMovieController(controller), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCDoAction(controller, tbx::mcActionIdle, nullptr),
                  tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCIsPlayerEvent(controller, &idle), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCSetControllerBoundsRect(controller, &rect), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCGetControllerBoundsRect(controller, &rect), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCSetVisible(controller, true), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCGetControllerInfo(controller, &flags), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCEnableEditing(controller, true), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCSetControllerPort(controller, nullptr), tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCSetActionFilterWithRefCon(controller, nullptr, 0),
                  tbx::badComponentInstance);
        EXPECT_EQ(tbx::MCGetControllerPort(controller), nullptr);
    }
    EXPECT_FALSE(tbx::ConvertEventRefToEventRecord(nullptr, &idle));
    EXPECT_EQ(idle.what, tbx::nullEvent);

    // A player with nothing open refuses rather than acts.
    CBK_QuicktimePlayer player;
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.OnPaint());
    EXPECT_FALSE(player.ProcessQuicktimeEvent(idle));
    EXPECT_TRUE(player.Close());
}
