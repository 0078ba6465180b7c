#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/system/pixmap.h"
#include "media/codecs/bmp_image.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using namespace stravel::testing;
using namespace mediatest;

uint32_t Le32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
           uint32_t(uint8_t(s[at + 2])) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

std::vector<uint8_t> ImageBytes(const CBK_Image& image) {
    return std::vector<uint8_t>(image.GetData(), image.GetData() + image.GetSize());
}

// ImageMagick's reading of a file as red-green-blue bytes; empty without the tool.
std::vector<uint8_t> MagickRgb(const std::filesystem::path& file) {
    if (!HaveTool("convert"))
        return {};
    auto result = RunTool({"convert", file.string(), "-depth", "8", "rgb:-"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return ToBytes(result.out);
}

TEST(BmpCodecTest, ThreeByTwoBufferHasPaddedRowsBottomFirst) {
    TempDir dir;
    const uint8_t rgb[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    CBK_Path path = PathOf(dir / "a.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(3, 2, 24, rgb, path, nullptr, 0));
    std::string file = ReadFileBytes(dir / "a.bmp");
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(Le32(file, 2), 78u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), 3u);
    EXPECT_EQ(Le32(file, 22), 2u);
    EXPECT_EQ(uint8_t(file[28]), 24);
    // The bottom row (pixels 4 to 6) first, blue, green, red, then three padding bytes.
    const uint8_t bottom[9] = {12, 11, 10, 15, 14, 13, 18, 17, 16};
    EXPECT_EQ(std::memcmp(file.data() + 54, bottom, 9), 0);
    const uint8_t top[9] = {3, 2, 1, 6, 5, 4, 9, 8, 7};
    EXPECT_EQ(std::memcmp(file.data() + 54 + 12, top, 9), 0);
}

TEST(BmpCodecTest, ReadGivesTheRightWayUpPictureAsTheToolsSeeIt) {
    TempDir dir;
    const int w = 13, h = 7;
    auto rgb = Smooth(w, h, 3, 4);
    CBK_Path path = PathOf(dir / "r.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(w, h, 24, rgb.data(), path, nullptr, 0));
    CBK_ImageBmp image;
    ASSERT_TRUE(image.Read(path));
    EXPECT_EQ(image.GetWidth(), w);
    EXPECT_EQ(image.GetHeight(), h);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(ImageBytes(image), rgb);
    auto magick = MagickRgb(dir / "r.bmp");
    if (!magick.empty()) {
        EXPECT_EQ(magick, rgb);
    }
}

TEST(BmpCodecTest, TopDownFilesUseTheMagnitudeOfTheirHeight) {
    TempDir dir;
    auto rgb = Smooth(5, 4, 3, 5);
    CBK_Path path = PathOf(dir / "up.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(5, 4, 24, rgb.data(), path, nullptr, 0));
    // The same picture stored top row first, as a negative height says.
    std::string file = ReadFileBytes(dir / "up.bmp");
    const size_t row = 16;
    std::string flipped = file.substr(0, 54);
    for (int y = 3; y >= 0; --y)
        flipped += file.substr(54 + size_t(y) * row, row);
    const int32_t negative = -4;
    std::memcpy(&flipped[22], &negative, 4);
    WriteFileBytes(dir / "down.bmp", flipped);
    CBK_ImageBmp image;
    CBK_Path down = PathOf(dir / "down.bmp");
    ASSERT_TRUE(image.Read(down));
    EXPECT_EQ(image.GetHeight(), 4);
    EXPECT_EQ(ImageBytes(image), rgb);
}

TEST(BmpCodecTest, PaletteBufferReadsBackThroughItsPalette) {
    TempDir dir;
    BK_RGBQUAD palette[3];
    palette[0] = {10, 20, 30, 0};
    palette[1] = {200, 0, 100, 0};
    palette[2] = {0, 255, 7, 0};
    const uint8_t indices[6] = {0, 1, 2, 2, 1, 0};
    CBK_Path path = PathOf(dir / "p.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(3, 2, 8, indices, path, palette, 3));
    std::string file = ReadFileBytes(dir / "p.bmp");
    EXPECT_EQ(Le32(file, 10), 54u + 12);
    EXPECT_EQ(Le32(file, 46), 3u);
    EXPECT_EQ(file.size(), 54u + 12 + 2 * 4);
    std::vector<uint8_t> expected;
    for (uint8_t i : indices)
        expected.insert(expected.end(),
                        {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue});
    CBK_ImageBmp image;
    ASSERT_TRUE(image.Read(path));
    EXPECT_EQ(ImageBytes(image), expected);
    auto magick = MagickRgb(dir / "p.bmp");
    if (!magick.empty()) {
        EXPECT_EQ(magick, expected);
    }
    BK_RGBQUAD big[257];
    EXPECT_FALSE(CBK_ImageBmp::WriteFromBuffer(3, 2, 8, indices, path, big, 257));
}

TEST(BmpCodecTest, PortAndThirtyTwoBitWriters) {
    TempDir dir;
    tbx::GWorldPtr port = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(port, 4, 3, 32));
    tbx::PixMapHandle pm = tbx::GetGWorldPixMap(port);
    uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(pm));
    std::vector<uint8_t> expected;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = base + y * tbx::GetPixRowBytes(pm) + x * 4;
            p[0] = 0xFF;
            p[1] = uint8_t(x * 60);
            p[2] = uint8_t(y * 100);
            p[3] = uint8_t(7 + x + y);
            expected.insert(expected.end(), p + 1, p + 4);
        }
    CBK_Path path = PathOf(dir / "port.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromPixmap(port, path));
    CBK_ImageBmp image;
    ASSERT_TRUE(image.Read(path));
    EXPECT_EQ(ImageBytes(image), expected);
    auto magick = MagickRgb(dir / "port.bmp");
    if (!magick.empty()) {
        EXPECT_EQ(magick, expected);
    }
    tbx::GWorldPtr dead = port;
    BK_DestroyPixmap(port);
    EXPECT_FALSE(CBK_ImageBmp::WriteFromPixmap(dead, path));

    // 32 bits: blue, green, red, alpha in the file.
    const uint8_t rgba[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CBK_Path deep = PathOf(dir / "deep.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(2, 1, 32, rgba, deep, nullptr, 0));
    std::string file = ReadFileBytes(dir / "deep.bmp");
    const uint8_t row[8] = {3, 2, 1, 4, 7, 6, 5, 8};
    ASSERT_EQ(file.size(), 62u);
    EXPECT_EQ(std::memcmp(file.data() + 54, row, 8), 0);
    EXPECT_FALSE(CBK_ImageBmp::WriteFromBuffer(2, 1, 16, rgba, deep, nullptr, 0));
    EXPECT_FALSE(CBK_ImageBmp::WriteFromBuffer(0, 1, 24, rgba, deep, nullptr, 0));
}

TEST(BmpCodecTest, ImageMagickFilesReadAsImageMagickDecodesThem) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const std::vector<std::vector<std::string>> makes = {
        {"-size", "11x6", "gradient:red-blue", "BMP3:"},
        {"-size", "11x6", "gradient:red-blue", "-colors", "200", "-type", "palette", "BMP3:"},
        {"-size", "11x6", "gradient:yellow-navy", "-colors", "9", "-type", "palette", "BMP3:"},
        {"-size", "11x6", "pattern:checkerboard", "-monochrome", "BMP3:"}};
    int n = 0;
    for (const auto& make : makes) {
        const auto file = dir / ("m" + std::to_string(n++) + ".bmp");
        std::vector<std::string> argv = {"convert"};
        argv.insert(argv.end(), make.begin(), make.end() - 1);
        argv.push_back(make.back() + file.string());
        ASSERT_EQ(RunTool(argv).exitCode, 0);
        CBK_ImageBmp image;
        CBK_Path path = PathOf(file);
        ASSERT_TRUE(image.Read(path)) << file;
        EXPECT_EQ(ImageBytes(image), MagickRgb(file)) << file;
    }
}

TEST(BmpCodecTest, RefusedFilesLeaveTheImage) {
    TempDir dir;
    CBK_ImageBmp image;
    auto rgb = Smooth(2, 2, 3);
    ASSERT_TRUE(image.Create(2, 2, 24, rgb.data(), true));
    WriteFileBytes(dir / "bad.bmp", "XX not a bitmap at all, but long enough for a header....");
    CBK_Path bad = PathOf(dir / "bad.bmp");
    EXPECT_FALSE(image.Read(bad));
    CBK_Path missing = PathOf(dir / "missing.bmp");
    EXPECT_FALSE(image.Read(missing));
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(ImageBytes(image), rgb);
    EXPECT_TRUE(image.Load(12));
    image.Destroy();
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetBitsPerPixel(), 0);
    EXPECT_EQ(image.GetData(), nullptr);
}

TEST(BmpCodecTest, TruncatedAndMutatedFilesNeverBreakTheReader) {
    TempDir dir;
    auto rgb = Smooth(5, 3, 3, 6);
    CBK_Path source = PathOf(dir / "s.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(5, 3, 24, rgb.data(), source, nullptr, 0));
    BK_RGBQUAD palette[4] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 0}};
    const uint8_t indices[6] = {0, 1, 2, 3, 2, 1};
    CBK_Path indexed = PathOf(dir / "i.bmp");
    ASSERT_TRUE(CBK_ImageBmp::WriteFromBuffer(3, 2, 8, indices, indexed, palette, 4));
    const std::string samples[2] = {ReadFileBytes(dir / "s.bmp"), ReadFileBytes(dir / "i.bmp")};
    CBK_Path scratch = PathOf(dir / "x.bmp");
    for (const std::string& sample : samples)
        for (size_t n = 0; n < sample.size(); ++n) {
            WriteFileBytes(dir / "x.bmp", sample.substr(0, n));
            CBK_ImageBmp image;
            ASSERT_FALSE(image.Read(scratch)) << n;
        }
    std::mt19937 rng(5);
    for (int round = 0; round < 1000; ++round) {
        std::string bytes = samples[size_t(round) % 2];
        for (int k = 0, changes = 1 + int(rng() % 3); k < changes; ++k)
            bytes[rng() % bytes.size()] = char(rng());
        WriteFileBytes(dir / "x.bmp", bytes);
        CBK_ImageBmp image;
        if (image.Read(scratch)) {
            ASSERT_EQ(image.GetSize(), size_t(image.GetWidth()) * size_t(image.GetHeight()) * 3);
        }
    }
}

} // namespace
