// Picture files open as one-frame movies, with the 512-byte preamble that Mac programs write
// before the picture or without it, showing what ImageMagick reads in them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/support/tools.h"

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

TEST(PictureFile, OpensWithOrWithoutItsPreamble) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const std::string full = (dir / "full.pict").string(), bare = (dir / "bare.pict").string();
    ASSERT_EQ(
        RunTool({"convert", "-size", "37x23", "gradient:red-blue", "-depth", "8", full}).exitCode,
        0);
    const std::string expected = RunTool({"convert", full, "-depth", "8", "rgb:-"}).out;
    ASSERT_EQ(expected.size(), 37u * 23 * 3);
    WriteFileBytes(bare, ReadFileBytes(full).substr(512));
    for (const std::string& path : {full, bare}) {
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(path);
        ASSERT_TRUE(movie) << path;
        std::vector<uint8_t> rgb(expected.size() + tbx::kFrameRenderRoom);
        ASSERT_TRUE(
            movie->RenderFrame(0, tbx::FramePixels::Rgb24, rgb.data(), rgb.size(), 37 * 3, 37, 23));
        EXPECT_TRUE(std::string(rgb.begin(), rgb.begin() + std::ptrdiff_t(expected.size())) ==
                    expected)
            << path;
    }
}

// Picture streams whose container states no end: one picture is a still; many last to their
// last picture, as ffprobe counts them; many without times to tell an end show the first.
TEST(PictureFile, StreamsWithoutAStatedEndAreStillsOnlyWhenTheyMustBe) {
    STRAVEL_REQUIRE_TOOL("ffprobe");
    TempDir dir;
    const struct {
        const char* name;
        const char* codec;
        int frames;
        bool still;
    } cases[] = {{"one.m2v", "mpeg2video", 1, true},
                 {"many.m2v", "mpeg2video", 100, false},
                 {"untimed.h264", "libx264", 100, true}};
    for (const auto& c : cases) {
        const auto file = dir / c.name;
        ASSERT_TRUE(stravel::testing::Make({"-f", "lavfi", "-i", "testsrc=s=64x48:r=25",
                                            "-frames:v", std::to_string(c.frames), "-c:v", c.codec},
                                           file))
            << c.name;
        const std::string counted =
            RunTool({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                     "stream=nb_read_frames", "-of", "csv=p=0", file.string()})
                .out;
        ASSERT_EQ(std::stoi(counted), c.frames) << c.name;
        std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
        ASSERT_TRUE(movie) << c.name;
        movie->SetTimeScale(25);
        EXPECT_EQ(movie->IsStill(), c.still) << c.name;
        // A still lasts a second; other movies their pictures, to within the last one's length.
        EXPECT_NEAR(movie->GetDuration(), c.still ? 25 : c.frames, 1) << c.name;
    }
}
