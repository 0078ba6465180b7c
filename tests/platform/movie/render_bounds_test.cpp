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
// apart is measured first where rows end on whole groups. Pictures in every form that decoders
// give (packed RGB of 15 to 48 bits, palettes, greys, YUV of every subsampling, 10 bits) are
// drawn at their own size and resized: a ramp as ffmpeg resizes it as decoded with the same
// flags, and a flat grey and colour as the one colour that ffmpeg decodes, at every size,
// which ffmpeg's resizing with its default flags does not keep.
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
    // A file drawn at width × height, and ffmpeg's decoding of it; for a flat picture, of its
    // corner, whose one colour every pixel is.
    struct Drawing {
        std::string file, expected;
        int width, height;
        bool flat = false;
    };
    struct Case {
        // cjpeg's sampling factors, or the encoder of a movie (raw pictures' rows end where
        // their pixels do, with nothing to read past them).
        std::string sampling;
        int width, height;
        bool measures;
        std::vector<Drawing> drawings;
        // Pictures made of an input with the output options, in a container.
        std::vector<std::string> input = {}, making = {};
        std::string container = {};
        bool flat = false;
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
    // Forms that decoders give, each made by a lossless encoder (or JPEG's, flat where the
    // picture is) and a container that keeps it; a palette of the picture's own colours. Flat
    // pictures of 15 and 16 bits, which ffmpeg's conversions dither, are written as they are.
    const struct {
        const char *form, *encoder, *container;
        int red = 0, green = 0; // bits of packed 16-bit pixels
    } forms[] = {{"pal8", "png", "mov"},
                 {"rgb24", "png", "mov"},
                 {"bgr24", "rawvideo", "avi"},
                 {"argb", "qtrle", "mov"},
                 {"rgba", "png", "mov"},
                 {"bgr0", "ffv1", "mkv"},
                 {"rgb555le", "rawvideo", "avi", 5, 5},
                 {"rgb565le", "rawvideo", "mov", 5, 6},
                 {"rgb48be", "png", "mov"},
                 {"gray", "png", "mov"},
                 {"gray16be", "png", "mov"},
                 {"ya8", "png", "mov"},
                 {"yuvj444p", "mjpeg", "mov"},
                 {"yuv420p", "ffv1", "mkv"},
                 {"yuv422p", "ffv1", "mkv"},
                 {"yuv444p", "ffv1", "mkv"},
                 {"yuv410p", "ffv1", "mkv"},
                 {"yuv411p", "ffv1", "mkv"},
                 {"yuv440p", "ffv1", "mkv"},
                 {"yuva420p", "ffv1", "mkv"},
                 {"yuv420p10le", "ffv1", "mkv"},
                 {"yuv422p10le", "ffv1", "mkv"},
                 {"nv12", "rawvideo", "avi"},
                 {"yuyv422", "rawvideo", "avi"}};
    const uint32_t greys[] = {0x000000, 0x808080, 0xFFFFFF, 0x4D4D4D, 0xB2B2B2};
    const uint32_t colours[] = {0x2F9A61, 0xC81E3C, 0x1E50C8, 0xFFD700};
    for (std::size_t f = 0; f < std::size(forms); ++f) {
        const auto& form = forms[f];
        auto lavfi = [](const std::string& graph) {
            return std::vector<std::string>{"-f", "lavfi", "-i", graph};
        };
        // A ramp; flat pictures large enough that a reduction to 8 × 8 takes filters of
        // hundreds of taps.
        std::vector<std::string> inputs[] = {
            lavfi("nullsrc=s=75x41:d=0.04,format=gbrp,"
                  "geq=r='255*X/W':g='255*Y/H':b='128+100*sin(X/4+Y/3)'"),
            {},
            {}};
        const uint32_t flats[] = {greys[f % std::size(greys)], colours[f % std::size(colours)]};
        for (int k = 0; k < 2; ++k) {
            char colour[16];
            std::snprintf(colour, sizeof colour, "0x%06X", unsigned(flats[k]));
            inputs[k + 1] = lavfi(std::string("color=s=640x480:d=0.04:c=") + colour);
            if (!form.red)
                continue;
            const int blue = form.red, green = form.green;
            const uint32_t word = (flats[k] >> (24 - form.red)) << (green + blue) |
                                  (flats[k] >> (16 - green) & ((1u << green) - 1)) << blue |
                                  (flats[k] >> (8 - blue) & ((1u << blue) - 1));
            std::string pixels;
            for (int i = 0; i < 640 * 480; ++i)
                pixels += {char(word & 0xFF), char(word >> 8)};
            const std::string raw = (dir / (std::to_string(f) + "_" + colour + ".raw")).string();
            WriteFileBytes(raw, pixels);
            inputs[k + 1] = {"-f", "rawvideo", "-pixel_format", form.form, "-video_size", "640x480",
                             "-i", raw};
        }
        for (int k = 0; k < 3; ++k) {
            const bool flat = k > 0;
            Case c{form.encoder, flat ? 640 : 75, flat ? 480 : 41, false, {}};
            c.input = inputs[k];
            if (std::string(form.form) == "pal8")
                c.making = {"-vf", "split[a][b];[a]palettegen[p];[b][p]paletteuse"};
            c.making.insert(c.making.end(),
                            {std::string("-pix_fmt"), form.form, "-c:v", form.encoder});
            c.container = form.container;
            c.flat = flat;
            cases.push_back(std::move(c));
        }
    }
    constexpr char kResize[] = ":flags=bicubic+accurate_rnd+full_chroma_int+full_chroma_inp";
    // The pictures; the movies made of them, in one run; ffmpeg's decoding of each, in another.
    // A JPEG's movie is also turned a quarter by its display matrix, which ffmpeg's decoding
    // follows after its conversion to RGB, as ours does.
    std::vector<std::string> make, decode{"ffmpeg", "-v", "error", "-y"}, outputs;
    int decoded = 0; // inputs of the decoding
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Case& c = cases[i];
        const std::string name = c.sampling + "_" + std::to_string(c.width) + "x" +
                                 std::to_string(c.height) + "_" + std::to_string(i);
        // ffmpeg's decoding of a file, in RGB after the filters.
        auto decoding = [&](const std::string& file, bool turned, const std::string& filters) {
            const std::string expected = (dir / (std::to_string(decoded) + ".rgb")).string();
            if (turned)
                decode.push_back("-noautorotate");
            decode.insert(decode.end(), {"-threads", "1", "-i", file});
            outputs.insert(outputs.end(), {"-map", std::to_string(decoded++) + ":v", "-frames:v",
                                           "1", "-vf", "format=rgb24" + filters, "-f", "rawvideo",
                                           "-pix_fmt", "rgb24", expected});
            return expected;
        };
        // Drawn at width × height before it is turned, or at its own size.
        auto drawn = [&](const std::string& file, bool turned, int width = 0, int height = 0) {
            std::string filters;
            if (width)
                filters =
                    ",scale=" + std::to_string(width) + ":" + std::to_string(height) + kResize;
            else
                width = c.width, height = c.height;
            if (turned)
                filters += ",transpose=cclock";
            c.drawings.push_back({file, decoding(file, turned, filters), turned ? height : width,
                                  turned ? width : height});
        };
        if (!c.input.empty()) {
            const std::string file = (dir / (name + "." + c.container)).string();
            make.insert(make.end(), c.input.begin(), c.input.end());
            make.insert(make.end(), {"-map", std::to_string(i) + ":v", "-frames:v", "1"});
            make.insert(make.end(), c.making.begin(), c.making.end());
            make.push_back(file);
            // A flat picture's colour is its corner's as ffmpeg decodes it.
            const std::string corner = c.flat ? decoding(file, false, ",crop=16:16:0:0") : "";
            if (!c.flat)
                drawn(file, false);
            for (const auto& [w, h] :
                 {std::pair{8, 8}, {37, 21}, {c.flat ? 700 : 160, c.flat ? 2 : 120}})
                if (c.flat)
                    c.drawings.push_back({file, corner, w, h, true});
                else
                    drawn(file, false, w, h);
            continue;
        }
        std::string ppm =
            "P6\n" + std::to_string(c.width) + " " + std::to_string(c.height) + "\n255\n";
        for (int y = 0; y < c.height; ++y)
            ppm += source.substr(std::size_t(y) * kSourceWidth * 3, std::size_t(c.width) * 3);
        const std::string picture = (dir / (name + ".ppm")).string();
        WriteFileBytes(picture, ppm);
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
            if (c.width == kSourceWidth && c.height == kSourceHeight)
                drawn(input, false, 150, 64);
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
        if (!movieOnly && c.width == kSourceWidth && c.height == kSourceHeight)
            drawn((dir / (name + "_turned.mov")).string(), true, 40, 30);
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
            if (d.flat) {
                ASSERT_EQ(expected.size(), std::size_t(16 * 16 * 3)) << d.file;
                for (std::size_t i = 3; i < expected.size(); ++i)
                    ASSERT_EQ(expected[i], expected[i % 3]) << d.file << " is not flat";
            } else {
                ASSERT_EQ(expected.size(), pixels * 3) << d.file;
            }
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
                const std::string what = d.file + " at " + std::to_string(d.width) + " x " +
                                         std::to_string(d.height) + ", " +
                                         std::to_string(bytes * 8) + " bits";
                EXPECT_TRUE(drawn[0] == drawn[1]) << what << ": pixels left unwritten";
                int worst = 0;
                std::size_t seeThrough = 0;
                for (std::size_t i = 0; i < pixels; ++i) {
                    const uint8_t* ours = drawn[0].data() + i * std::size_t(bytes) + (bytes - 3);
                    const std::size_t at = d.flat ? 0 : i * 3;
                    for (std::size_t k = 0; k < 3; ++k)
                        worst = std::max(worst,
                                         std::abs(int(ours[k]) - int(uint8_t(expected[at + k]))));
                    seeThrough += bytes == 4 && drawn[0][i * 4] != 0xFF;
                }
                EXPECT_EQ(seeThrough, 0u) << what;
                if (d.flat)
                    EXPECT_EQ(worst, 0) << what;
                else if (c.measures)
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
