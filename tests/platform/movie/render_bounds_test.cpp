// The movie stand-in writes a frame only inside the rows it was given, however the scaler's
// vector code writes whole groups of pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/support/tools.h"

using stravel::testing::RunTool;
using stravel::testing::TempDir;

TEST(MovieRender, WritesNothingPastTheRowsOfAnExactTarget) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    const auto file = dir / "small.mov";
    ASSERT_EQ(RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=16x12:r=5:d=0.4",
                       "-c:v", "png", file.string()})
                  .exitCode,
              0);
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(file.string());
    ASSERT_TRUE(movie);
    constexpr std::size_t kGuard = 256;
    for (const tbx::FramePixels pixels : {tbx::FramePixels::Rgb24, tbx::FramePixels::Argb32}) {
        const int32_t bytes = pixels == tbx::FramePixels::Argb32 ? 4 : 3;
        for (const auto& [width, height] : {std::pair{16, 16}, {32, 8}, {16, 12}, {48, 3}}) {
            const std::size_t size = std::size_t(width) * height * bytes;
            std::vector<uint8_t> buffer(size + kGuard, 0xA5);
            ASSERT_TRUE(
                movie->RenderFrame(0, pixels, buffer.data(), size, width * bytes, width, height));
            EXPECT_TRUE(std::all_of(buffer.begin() + std::ptrdiff_t(size), buffer.end(),
                                    [](uint8_t b) { return b == 0xA5; }))
                << width << " x " << height << " at " << bytes << " bytes a pixel";
        }
    }
}
