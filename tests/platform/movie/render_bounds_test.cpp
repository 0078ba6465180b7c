// The movie stand-in writes a frame only inside the rows it was given, however the scaler's
// vector code writes whole groups of pixels, and writes every pixel of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/support/tools.h"

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

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

// Rows that end inside a group of the converter's pixels (odd widths, widths off a multiple of
// 16), in every chroma subsampling, are drawn whole, each pixel as ffmpeg decodes it: pictures
// (a JPEG opened as a still), the same JPEG as the frame of a movie, upright and turned, and
// MPEG-4, H.264 and raw movies. Each frame is rendered twice, into targets filled with 0x00 and
// then 0xFF, so that a pixel left unwritten shows; how far our conversion and ffmpeg's may round
// apart is measured first where rows end on whole groups.
TEST(MovieRender, DrawsEveryPixelAsFfmpegDecodesIt) {
    for (const char* tool : {"ffmpeg", "cjpeg"})
        STRAVEL_REQUIRE_TOOL(tool);
    TempDir dir;
    constexpr int kSourceWidth = 75, kSourceHeight = 100;
    const std::string source =
        RunTool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc2=s=75x100,format=rgb24",
                 "-frames:v", "1", "-f", "rawvideo", "-"})
            .out;
    ASSERT_EQ(source.size(), std::size_t(kSourceWidth) * kSourceHeight * 3);
    // A file drawn at width × height, and ffmpeg's decoding of it.
    struct Drawing {
        std::string file, expected;
        int width, height;
    };
    struct Case {
        // cjpeg's sampling factors, or the encoder of a movie (raw pictures' rows end where
        // their pixels do, with nothing to read past them).
        std::string sampling;
        int width, height;
        bool measures;
        std::vector<Drawing> drawings;
    };
    const std::pair<int, int> wholeGroups[] = {{64, 40}, {58, 40}};
    const std::pair<int, int> partGroups[] = {{59, 40}, {59, 100}, {75, 100}, {61, 41},
                                              {18, 10}, {3, 2},    {1, 1}};
    std::vector<Case> cases;
    for (const char* sampling : {"2x2", "2x1", "1x2", "4x1", "mpeg4", "libx264", "rawvideo"}) {
        for (const auto& [w, h] : wholeGroups)
            cases.push_back({sampling, w, h, true, {}});
        for (const auto& [w, h] : partGroups)
            // H.264 crops 4:2:0 pictures by two pixels.
            if (std::string(sampling) != "libx264" || (w % 2 == 0 && h % 2 == 0))
                cases.push_back({sampling, w, h, false, {}});
    }
    // The pictures; the movies made of them, in one run; ffmpeg's decoding of each, in another.
    // A JPEG's movie is also turned a quarter by its display matrix, which ffmpeg's decoding
    // follows after its conversion to RGB, as ours does.
    std::vector<std::string> make, decode{"ffmpeg", "-v", "error", "-y"}, outputs;
    int decoded = 0; // inputs of the decoding
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Case& c = cases[i];
        const std::string name =
            c.sampling + "_" + std::to_string(c.width) + "x" + std::to_string(c.height);
        std::string ppm =
            "P6\n" + std::to_string(c.width) + " " + std::to_string(c.height) + "\n255\n";
        for (int y = 0; y < c.height; ++y)
            ppm += source.substr(std::size_t(y) * kSourceWidth * 3, std::size_t(c.width) * 3);
        const std::string picture = (dir / (name + ".ppm")).string();
        WriteFileBytes(picture, ppm);
        auto drawn = [&](const std::string& file, bool turned) {
            const std::string expected = (dir / (std::to_string(decoded) + ".rgb")).string();
            if (turned)
                decode.push_back("-noautorotate");
            decode.insert(decode.end(), {"-i", file});
            outputs.insert(outputs.end(),
                           {"-map", std::to_string(decoded++) + ":v", "-frames:v", "1", "-vf",
                            turned ? "format=rgb24,transpose=cclock" : "null", "-f", "rawvideo",
                            "-pix_fmt", "rgb24", expected});
            c.drawings.push_back(
                {file, expected, turned ? c.height : c.width, turned ? c.width : c.height});
        };
        const bool movieOnly = !std::isdigit(uint8_t(c.sampling[0]));
        const std::string movie = (dir / (name + (c.sampling == "libx264" ? ".mp4"
                                                  : movieOnly             ? ".avi"
                                                                          : ".mov")))
                                      .string();
        const std::string input = movieOnly ? picture : (dir / (name + ".jpg")).string();
        if (!movieOnly) {
            ASSERT_EQ(RunTool({"cjpeg", "-sample", c.sampling, "-quality", "90", "-outfile", input,
                               picture})
                          .exitCode,
                      0);
            drawn(input, false);
        }
        make.insert(make.end(), {"-i", input, "-map", std::to_string(i) + ":v"});
        if (movieOnly)
            make.insert(make.end(), {"-pix_fmt", "yuv420p", "-c:v", c.sampling, movie});
        else
            make.insert(make.end(),
                        {"-c:v", "copy", movie, "-map", std::to_string(i) + ":v", "-c:v", "copy",
                         "-metadata:s:v:0", "rotate=90", (dir / (name + "_turned.mov")).string()});
        drawn(movie, false);
        if (!movieOnly)
            drawn((dir / (name + "_turned.mov")).string(), true);
    }
    ASSERT_TRUE(stravel::testing::Make(std::vector<std::string>(make.begin(), make.end() - 1),
                                       make.back()));
    decode.insert(decode.end(), outputs.begin(), outputs.end());
    const auto decoding = RunTool(decode);
    ASSERT_EQ(decoding.exitCode, 0) << decoding.err;

    int tolerance = 0;
    auto check = [&](const Case& c) {
        for (const Drawing& d : c.drawings) {
            const std::string expected = ReadFileBytes(d.expected);
            const std::size_t pixels = std::size_t(d.width) * std::size_t(d.height);
            ASSERT_EQ(expected.size(), pixels * 3) << d.file;
            std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(d.file);
            ASSERT_TRUE(movie) << d.file;
            for (const tbx::FramePixels form :
                 {tbx::FramePixels::Rgb24, tbx::FramePixels::Argb32}) {
                const int32_t bytes = form == tbx::FramePixels::Argb32 ? 4 : 3;
                const std::size_t size = pixels * std::size_t(bytes);
                std::vector<uint8_t> drawn[2];
                for (int fill = 0; fill < 2; ++fill) {
                    drawn[fill].assign(size + tbx::kFrameRenderRoom, uint8_t(fill ? 0xFF : 0));
                    ASSERT_TRUE(movie->RenderFrame(0, form, drawn[fill].data(), drawn[fill].size(),
                                                   d.width * bytes, d.width, d.height));
                    drawn[fill].resize(size);
                }
                const std::string what = d.file + " at " + std::to_string(bytes * 8) + " bits";
                EXPECT_TRUE(drawn[0] == drawn[1]) << what << ": pixels left unwritten";
                int worst = 0;
                std::size_t seeThrough = 0;
                for (std::size_t i = 0; i < pixels; ++i) {
                    const uint8_t* ours = drawn[0].data() + i * std::size_t(bytes) + (bytes - 3);
                    for (std::size_t k = 0; k < 3; ++k)
                        worst = std::max(
                            worst, std::abs(int(ours[k]) - int(uint8_t(expected[i * 3 + k]))));
                    seeThrough += bytes == 4 && drawn[0][i * 4] != 0xFF;
                }
                EXPECT_EQ(seeThrough, 0u) << what;
                if (c.measures)
                    tolerance = std::max(tolerance, worst);
                else
                    EXPECT_LE(worst, tolerance) << what;
            }
        }
    };
    for (const Case& c : cases)
        if (c.measures)
            check(c);
    // Rounding, no more: a pixel left as it was lies 128 levels or more from one of the fills.
    EXPECT_LE(tolerance, 8);
    for (const Case& c : cases)
        if (!c.measures)
            check(c);
}
