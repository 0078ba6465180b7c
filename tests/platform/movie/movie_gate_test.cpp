// Movies and still pictures whose pictures carry what FFmpeg's decoders read beyond the pixels
// (EXIF directories, compressed text, JPEG strips and tiles), or whose decoders would do far
// more than their bytes suggest (samples that all name one refused picture, packets that do not
// decode, FLIC and Go2Meeting chunks that each repaint the frame), open and draw their first
// frame within bounds, drawing what the same picture draws without it; the plain
// pictures draw what ffmpeg decodes (DNG-style TIFF files, whose colours a scaler makes up,
// draw).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/movie/movie.h"
#include "tests/platform/pict/exif_segment.h"
#include "tests/platform/pict/metadata_bombs.h"
#include "tests/platform/pict/repaint_bombs.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

// The first frame as 24-bit pixels; empty when the movie does not open or draw.
std::string FirstFrame(const std::string& path, int width, int height) {
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(path);
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 3;
    std::vector<uint8_t> rgb(bytes + tbx::kFrameRenderRoom);
    if (!movie || !movie->RenderFrame(0, tbx::FramePixels::Rgb24, rgb.data(), rgb.size(), width * 3,
                                      width, height))
        return {};
    return std::string(rgb.begin(), rgb.begin() + std::ptrdiff_t(bytes));
}

TEST(MovieGate, PicturesThatFfmpegReadsBeyondTheirPixelsOpenWithinBounds) {
    for (const char* tool : {"ffmpeg", "cjpeg"})
        STRAVEL_REQUIRE_TOOL(tool);
    TempDir dir;
    auto put = [&](const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        return (dir / name).string();
    };
    auto frame = [&](const std::string& name, const std::vector<std::string>& codec) {
        std::vector<std::string> argv{"-f", "lavfi", "-i", "testsrc=s=8x8", "-frames:v", "1"};
        argv.insert(argv.end(), codec.begin(), codec.end());
        EXPECT_TRUE(stravel::testing::Make(argv, dir / name));
        return ReadFileBytes(dir / name);
    };
    const std::string jpeg = frame("plain.jpg", {"-c:v", "mjpeg", "-pix_fmt", "yuvj444p"});
    const std::string png = frame("plain.png", {"-c:v", "png", "-pix_fmt", "rgb24"});
    const std::string exif = jpeg.substr(0, 2) + picturetest::ExifSegment(400, 3) + jpeg.substr(2);
    const std::string text = picturetest::CompressedTextChunk(std::size_t(64) << 20);
    const std::string grey = picturetest::GreyJpeg(8);
    // Each picture, then its twin without what FFmpeg reads beyond its pixels.
    const std::string stills[][3] = {
        {"plain.jpg", jpeg, ""},
        {"exif.jpg", exif, "plain.jpg"},
        {"plain.png", png, ""},
        {"text.png", picturetest::WithChunks(png, text + text + text + text), "plain.png"},
        {"plain.tif", picturetest::DngWithStrip(grey), ""},
        {"exif.tif",
         picturetest::DngWithStrip(grey.substr(0, 2) + picturetest::ExifSegment(400, 3) +
                                   grey.substr(2)),
         "plain.tif"},
        {"tiles.tif",
         picturetest::DngWithSharedTiles(
             picturetest::WithHuffmanTables(picturetest::GreyJpeg(16), 60000), 512, 16),
         "refused"},
    };
    // Each still alone, and as the one frame of a QuickTime and an AVI movie, put there as it
    // is: ffmpeg is told its size so that it decodes none of them.
    struct Case {
        std::string path, twin; // twin: the plain picture it draws as, none, or "refused"
        int size;
    };
    std::vector<Case> cases;
    for (const auto& [name, bytes, twin] : stills) {
        const bool tiff = name.find(".tif") != std::string::npos;
        const int size = name == "tiles.tif" ? 512 : 8;
        const std::string path = put(name, bytes);
        cases.push_back(
            {path, twin.empty() || twin == "refused" ? twin : (dir / twin).string(), size});
        for (const char* container : {".mov", ".avi"}) {
            if (tiff && std::string(container) == ".avi")
                continue; // no AVI tag for TIFF
            const std::string movie = path + container;
            ASSERT_TRUE(stravel::testing::Make(
                {"-nofind_stream_info", "-f", "image2", "-video_size",
                 std::to_string(size) + "x" + std::to_string(size), "-i", path, "-c", "copy"},
                movie));
            cases.push_back(
                {movie,
                 twin.empty() || twin == "refused" ? twin : (dir / twin).string() + container,
                 size});
        }
    }
    // Movies made here, the first of each pair plain: samples that all name one PNG whose image
    // stream inflates far past its rows, TDSC packets of a large picture that do not decode,
    // FLIC frames cleared 10,000 times, Go2Meeting frames whose tile is painted 1,000 times or
    // that set aside room for huge tiles 200 times (also in AVI and Matroska), screen captures
    // cleared 10,000 times or by 100,000 moves or given a cursor of 512 x 512, and animations
    // whose 4,000 segments each fill the frame.
    using picturetest::QuickTimeMovie;
    const std::string crafted[][3] = {
        {"one.png.mov", QuickTimeMovie("png ", 8, 8, {picturetest::BlackPng(72)}, 1000), ""},
        {"inflating.png.mov",
         QuickTimeMovie("png ", 8, 8, {picturetest::BlackPng((std::size_t(2) << 20) + 72)}, 1000),
         "refused"},
        {"tdsc.mov", QuickTimeMovie("TDSC", 2048, 2048, {std::string(16, '\xFF')}, 1000),
         "refused"},
        {"flic.mov", QuickTimeMovie("flic", 1024, 1024, {picturetest::FlicClears(1)}), ""},
        {"clears.flic.mov", QuickTimeMovie("flic", 1024, 1024, {picturetest::FlicClears(10000)}),
         "refused"},
        {"g2m.mov",
         QuickTimeMovie("G2M4", 1024, 1024, {picturetest::G2mFrame(1024, 1024, 1024, 1, 1)}), ""},
        {"paints.g2m.mov",
         QuickTimeMovie("G2M4", 1024, 1024, {picturetest::G2mFrame(1024, 1024, 1024, 1, 1000)}),
         "refused"},
        {"tiles.g2m.mov",
         QuickTimeMovie("G2M4", 1024, 1024, {picturetest::G2mFrame(1024, 1024, 4096, 200, 1)}),
         "refused"},
        {"rasc.mov", QuickTimeMovie("RASC", 1024, 1024, {picturetest::RascFrame(1024, 1024, 0, 0)}),
         ""},
        {"clears.rasc.mov",
         QuickTimeMovie("RASC", 1024, 1024, {picturetest::RascFrame(1024, 1024, 10000, 0)}),
         "refused"},
        {"arbc.mov", QuickTimeMovie("ARBC", 1024, 1024, {picturetest::ArbcFrame(1)}), ""},
        {"segments.arbc.mov", QuickTimeMovie("ARBC", 1024, 1024, {picturetest::ArbcFrame(4000)}),
         "refused"},
        {"moves.rasc.mov",
         QuickTimeMovie("RASC", 1024, 1024, {picturetest::RascFrame(1024, 1024, 0, 100000)}),
         "refused"},
        {"cursor.rasc.mov",
         QuickTimeMovie("RASC", 1024, 1024, {picturetest::RascFrame(1024, 1024, 0, 0, 16)}), ""},
        {"large cursor.rasc.mov",
         QuickTimeMovie("RASC", 1024, 1024, {picturetest::RascFrame(1024, 1024, 0, 0, 512)}),
         "refused"},
    };
    for (const auto& [name, bytes, twin] : crafted) {
        const std::string path = put(name, bytes);
        const int size = twin.empty() && name.find("png") == std::string::npos ? 1024 : 8;
        cases.push_back({path, twin, size});
        if (name.find("g2m") == std::string::npos)
            continue;
        for (const char* container : {".avi", ".mkv"}) {
            ASSERT_TRUE(stravel::testing::Make({"-i", path, "-c", "copy"}, path + container));
            cases.push_back({path + container, twin, size});
        }
    }
    // Plain pictures draw what ffmpeg decodes; the others what their twins draw, or nothing.
    std::map<std::string, std::string> drawn;
    for (const Case& c : cases) {
        std::string want;
        if (c.twin.empty()) {
            // A bayer picture's colours are made up by a scaler, whose flags are not ffmpeg's.
            want = c.path.find(".tif") != std::string::npos
                       ? FirstFrame(c.path, 8, 8)
                       : RunTool({"ffmpeg", "-v", "error", "-i", c.path, "-frames:v", "1", "-f",
                                  "rawvideo", "-pix_fmt", "rgb24", "-"})
                             .out;
            ASSERT_EQ(want.size(), std::size_t(c.size) * std::size_t(c.size) * 3) << c.path;
            drawn[c.path] = want;
        } else if (c.twin != "refused") {
            want = drawn.at(c.twin);
        }
        EXPECT_TRUE(stravel::testing::FinishesWithin(1, 40u << 20, [&] {
            return FirstFrame(c.path, c.size, c.size) == want;
        })) << c.path;
    }
}

} // namespace
