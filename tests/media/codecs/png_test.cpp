#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <zlib.h>

#include "core/system/pixmap.h"
#include "media/codecs/png_image.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using namespace stravel::testing;
using namespace mediatest;

// PNG files built byte by byte, so that every chunk is the test's choice.
std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string body = type + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return Be32(uint32_t(data.size())) + body + Be32(uint32_t(crc));
}

// rows: the raw scanlines, each starting with its filter byte.
std::string BuildPng(uint32_t w, uint32_t h, int depth, int colorType, const std::string& rows,
                     const std::string& extra = {}) {
    std::string ihdr = Be32(w) + Be32(h) + char(depth) + char(colorType) + '\0' + '\0' + '\0';
    uLongf size = compressBound(uLong(rows.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size,
              reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()), 9);
    z.resize(size);
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + extra + Chunk("IDAT", z) + Chunk("IEND", "");
}

bool ReadPng(CBK_ImagePng& image, const std::string& bytes) {
    return image.Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A 3 × 2 palette picture: entry 0 red, 1 green, 2 blue (transparent), 3 white.
std::string PalettePng(const std::string& extra) {
    std::string plte = std::string("\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF", 12);
    std::string rows = std::string("\0\0\1\2", 4) + std::string("\0\3\2\1", 4);
    return BuildPng(3, 2, 8, 3, rows, Chunk("PLTE", plte) + extra);
}

TEST(PngCodecTest, RgbBufferRoundTripsAndPassesTheTools) {
    TempDir dir;
    const int w = 37, h = 11;
    auto rgb = Smooth(w, h, 3, 2);
    CBK_Path path = PathOf(dir / "rgb.png");
    ASSERT_TRUE(CBK_ImagePng::WriteFromBuffer(w, h, 24, rgb.data(), path, nullptr, 0));
    CBK_ImagePng back;
    ASSERT_TRUE(back.Read(path));
    EXPECT_EQ(back.GetWidth(), w);
    EXPECT_EQ(back.GetHeight(), h);
    EXPECT_EQ(back.GetBitsPerPixel(), 24);
    EXPECT_EQ(back.GetChannels(), 3);
    EXPECT_EQ(back.GetColorType(), 2);
    EXPECT_EQ(back.GetAlpha(), nullptr);
    EXPECT_EQ(back.GetBackground(), nullptr);
    ASSERT_EQ(back.GetSize(), rgb.size());
    EXPECT_EQ(std::memcmp(back.GetData(), rgb.data(), rgb.size()), 0);

    if (HaveTool("pngcheck")) {
        auto check = RunTool({"pngcheck", "-q", (dir / "rgb.png").string()});
        EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    }
    if (HaveTool("convert")) {
        auto im = RunTool({"convert", (dir / "rgb.png").string(), "-depth", "8", "rgb:-"});
        ASSERT_EQ(im.exitCode, 0);
        EXPECT_EQ(ToBytes(im.out), rgb);
    }
}

TEST(PngCodecTest, PaletteBufferWritesRedGreenBlueEntries) {
    TempDir dir;
    BK_RGBQUAD palette[4];
    const uint8_t colours[4][3] = {{10, 20, 30}, {200, 100, 0}, {0, 0, 255}, {1, 2, 3}};
    for (int i = 0; i < 4; ++i) {
        palette[i].rgbRed = colours[i][0];
        palette[i].rgbGreen = colours[i][1];
        palette[i].rgbBlue = colours[i][2];
    }
    const uint8_t indices[4] = {0, 1, 2, 3};
    CBK_Path path = PathOf(dir / "pal.png");
    ASSERT_TRUE(CBK_ImagePng::WriteFromBuffer(2, 2, 8, indices, path, palette, 4));
    std::string file = ReadFileBytes(dir / "pal.png");
    size_t at = file.find("PLTE");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(file.substr(at - 4, 4), Be32(12));
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(uint8_t(file[at + 4 + i * 3 + c]), colours[i][c]);
    CBK_ImagePng back;
    ASSERT_TRUE(back.Read(path));
    EXPECT_EQ(back.GetColorType(), 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(back.GetData() + i * 3, colours[i], 3), 0);
    if (HaveTool("pngcheck")) {
        EXPECT_EQ(RunTool({"pngcheck", "-q", (dir / "pal.png").string()}).exitCode, 0);
    }

    const uint8_t outside[4] = {0, 1, 2, 4};
    EXPECT_FALSE(CBK_ImagePng::WriteFromBuffer(2, 2, 8, outside, path, palette, 4));
    EXPECT_FALSE(CBK_ImagePng::WriteFromBuffer(2, 2, 8, indices, path, palette, 0));
    BK_RGBQUAD big[257];
    EXPECT_FALSE(CBK_ImagePng::WriteFromBuffer(2, 2, 8, indices, path, big, 257));
    EXPECT_FALSE(CBK_ImagePng::WriteFromBuffer(0, 2, 8, indices, path, palette, 4));
    EXPECT_FALSE(CBK_ImagePng::WriteFromBuffer(2, 2, 8, nullptr, path, palette, 4));
    // The failed writes left the good file.
    ASSERT_TRUE(back.Read(path));
}

TEST(PngCodecTest, PortAndImageWriters) {
    TempDir dir;
    tbx::GWorldPtr port = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(port, 5, 3, 32));
    tbx::PixMapHandle pm = tbx::GetGWorldPixMap(port);
    uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(pm));
    const int rowBytes = tbx::GetPixRowBytes(pm);
    std::vector<uint8_t> expected;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            uint8_t* p = base + y * rowBytes + x * 4;
            p[0] = 7;
            p[1] = uint8_t(x * 50);
            p[2] = uint8_t(y * 80);
            p[3] = uint8_t(x + y);
            expected.insert(expected.end(), p + 1, p + 4);
        }
    CBK_Path path = PathOf(dir / "port.png");
    ASSERT_TRUE(CBK_ImagePng::WriteFromPixmap(port, path));
    CBK_ImagePng back;
    ASSERT_TRUE(back.Read(path));
    EXPECT_EQ(back.GetWidth(), 5);
    EXPECT_EQ(std::vector<uint8_t>(back.GetData(), back.GetData() + back.GetSize()), expected);
    if (HaveTool("pngcheck")) {
        EXPECT_EQ(RunTool({"pngcheck", "-q", (dir / "port.png").string()}).exitCode, 0);
    }
    tbx::GWorldPtr dead = port;
    BK_DestroyPixmap(port);
    EXPECT_FALSE(CBK_ImagePng::WriteFromPixmap(dead, path));

    CBK_Image image;
    image.Create(2, 2, 24, expected.data(), true);
    CBK_Path imagePath = PathOf(dir / "image.png");
    ASSERT_TRUE(CBK_ImagePng::WriteFromImage(image, imagePath));
    ASSERT_TRUE(back.Read(imagePath));
    EXPECT_EQ(std::memcmp(back.GetData(), expected.data(), 12), 0);
    CBK_Image rgba;
    rgba.Create(2, 2, 32, nullptr, false);
    EXPECT_FALSE(CBK_ImagePng::WriteFromImage(rgba, imagePath));
    CBK_Image empty;
    EXPECT_FALSE(CBK_ImagePng::WriteFromImage(empty, imagePath));
}

TEST(PngCodecTest, GreySixteenBitReadsAsGreyRgb) {
    std::string rows;
    std::vector<uint16_t> values = {0x0000, 0x12FF, 0x8000, 0xFFFF, 0x7F01, 0x0100};
    for (int y = 0; y < 2; ++y) {
        rows.push_back('\0');
        for (int x = 0; x < 3; ++x) {
            uint16_t v = values[size_t(y * 3 + x)];
            rows.push_back(char(v >> 8));
            rows.push_back(char(v));
        }
    }
    CBK_ImagePng image;
    ASSERT_TRUE(ReadPng(image, BuildPng(3, 2, 16, 0, rows)));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(image.GetColorType(), 0);
    for (size_t i = 0; i < values.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(image.GetData()[i * 3 + size_t(c)], values[i] >> 8) << i;
}

TEST(PngCodecTest, TransparentPaletteReadsWithAnAlphaPlane) {
    // Entry 2 (blue) fully transparent, entry 1 half.
    std::string trns = Chunk("tRNS", std::string("\xFF\x80\x00", 3));
    CBK_ImagePng image;
    ASSERT_TRUE(ReadPng(image, PalettePng(trns)));
    EXPECT_EQ(image.GetBitsPerPixel(), 32);
    EXPECT_EQ(image.GetChannels(), 4);
    EXPECT_EQ(image.GetBackground(), nullptr);
    ASSERT_NE(image.GetAlpha(), nullptr);
    const uint8_t alpha[6] = {255, 128, 0, 255, 0, 128};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(image.GetAlpha()[i], alpha[i]);
        EXPECT_EQ(image.GetData()[i * 4 + 3], alpha[i]);
    }
    const uint8_t green[4] = {0, 255, 0, 128};
    EXPECT_EQ(std::memcmp(image.GetData() + 4, green, 4), 0);
}

TEST(PngCodecTest, BackgroundChunkCompositesTransparency) {
    std::string trns = Chunk("tRNS", std::string("\xFF\x80\x00", 3));
    std::string bkgd = Chunk("bKGD", std::string("\x03", 1)); // entry 3: white
    CBK_ImagePng image;
    ASSERT_TRUE(ReadPng(image, PalettePng(trns + bkgd)));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(image.GetAlpha(), nullptr);
    ASSERT_NE(image.GetBackground(), nullptr);
    EXPECT_EQ(image.GetBackground()[0], 255);
    EXPECT_EQ(image.GetBackground()[2], 255);
    // Pixel 2 (blue, transparent) becomes white; pixel 1 (green, half) is between.
    const uint8_t white[3] = {255, 255, 255};
    EXPECT_EQ(std::memcmp(image.GetData() + 6, white, 3), 0);
    EXPECT_EQ(image.GetData()[3 + 1], 255);
    EXPECT_GT(image.GetData()[3 + 0], 100);
    EXPECT_LT(image.GetData()[3 + 0], 155);

    // A 16-bit RGB background keeps the high byte of each value.
    std::string rows = std::string(1, '\0') + std::string(6, '\x40');
    CBK_ImagePng deep;
    ASSERT_TRUE(ReadPng(deep, BuildPng(1, 1, 16, 2, rows,
                                       Chunk("bKGD", std::string("\x80\x00\x12\x34\xFF\xFF", 6)))));
    ASSERT_NE(deep.GetBackground(), nullptr);
    EXPECT_EQ(deep.GetBackground()[0], 0x80);
    EXPECT_EQ(deep.GetBackground()[1], 0x12);
    EXPECT_EQ(deep.GetBackground()[2], 0xFF);
}

TEST(PngCodecTest, InterlacedFilesReadLikePlainOnes) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    auto rgb = Smooth(19, 13, 3, 8);
    WriteFileBytes(dir / "in.ppm", "P6\n19 13\n255\n" + std::string(rgb.begin(), rgb.end()));
    auto made = RunTool({"convert", (dir / "in.ppm").string(), "-interlace", "PNG",
                         "PNG24:" + (dir / "i.png").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    CBK_ImagePng image;
    CBK_Path path = PathOf(dir / "i.png");
    ASSERT_TRUE(image.Read(path));
    EXPECT_EQ(image.GetInterlaceType(), 1);
    EXPECT_EQ(std::vector<uint8_t>(image.GetData(), image.GetData() + image.GetSize()), rgb);
}

TEST(PngCodecTest, EveryTruncationFailsAndLeavesNoPixels) {
    TempDir dir;
    auto rgb = Smooth(9, 7, 3);
    CBK_Path path = PathOf(dir / "t.png");
    ASSERT_TRUE(CBK_ImagePng::WriteFromBuffer(9, 7, 24, rgb.data(), path, nullptr, 0));
    auto bytes = ToBytes(ReadFileBytes(dir / "t.png"));
    for (size_t n = 0; n < bytes.size(); ++n) {
        CBK_ImagePng image;
        image.Create(1, 1, 24, nullptr, false);
        ASSERT_FALSE(image.Read(bytes.data(), n)) << n;
        EXPECT_EQ(image.GetData(), nullptr);
    }
    CBK_ImagePng whole;
    EXPECT_TRUE(whole.Read(bytes.data(), bytes.size()));
    CBK_Path missing(L"/nonexistent/t.png");
    EXPECT_FALSE(whole.Read(missing));
    EXPECT_EQ(whole.GetData(), nullptr);
}

TEST(PngCodecTest, MutatedFilesAreRefusedOrReadWhole) {
    std::vector<std::string> samples = {
        PalettePng(Chunk("tRNS", std::string("\xFF\x80\x00", 3))),
        BuildPng(4, 3, 8, 2,
                 std::string(1, '\0') + std::string(12, 'a') + std::string(1, '\1') +
                     std::string(12, 'b') + std::string(1, '\4') + std::string(12, 'c')),
        BuildPng(5, 2, 4, 0, std::string("\0\x12\x34\x50\0\xAB\xCD\xE0", 8))};
    std::mt19937 rng(777);
    int refused = 0;
    for (int round = 0; round < 1000; ++round) {
        std::string bytes = samples[size_t(round) % samples.size()];
        const int changes = 1 + int(rng() % 3);
        for (int k = 0; k < changes; ++k)
            bytes[rng() % bytes.size()] = char(rng());
        CBK_ImagePng image;
        if (!ReadPng(image, bytes)) {
            ++refused;
            EXPECT_EQ(image.GetData(), nullptr);
            continue;
        }
        ASSERT_EQ(image.GetSize(), size_t(image.GetWidth()) * size_t(image.GetHeight()) *
                                       size_t(image.GetChannels()));
    }
    EXPECT_GT(refused, 700);
}

TEST(PngCodecTest, TextAndProfileChunksArePassedOver) {
    std::string rows = std::string(1, '\0') + "abcdef";
    std::string text = Chunk("tEXt", std::string("Comment\0hello", 13)) +
                       Chunk("zTXt", std::string("Title\0\0", 7) + "x") +
                       Chunk("tIME", std::string("\x07\xEA\x01\x02\x03\x04\x05", 7));
    CBK_ImagePng image;
    ASSERT_TRUE(ReadPng(image, BuildPng(2, 1, 8, 2, rows, text)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.GetData()), 6), "abcdef");
    // A text chunk that claims 300 MB over a few bytes: refused, never allocated.
    std::string png = BuildPng(2, 1, 8, 2, rows);
    const std::string claim = Be32(300u << 20) + "tEXt" + "Comment";
    png.insert(33, claim);
    EXPECT_FALSE(ReadPng(image, png));
}

TEST(PngCodecTest, HugeClaimedSizesAreRefusedBeforeAllocating) {
    // 30000 × 30000 RGBA would be 3.6 GB; 10000 × 10000 grey fits the cap but not in 100 bytes.
    CBK_ImagePng image;
    EXPECT_FALSE(ReadPng(image, BuildPng(30000, 30000, 8, 6, std::string(10, '\0'))));
    EXPECT_FALSE(ReadPng(image, BuildPng(10000, 10000, 8, 0, std::string(10, '\0'))));
    EXPECT_FALSE(image.Read(nullptr, 100));
    const uint8_t notPng[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(image.Read(notPng, 8));
}

} // namespace
