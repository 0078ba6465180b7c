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
