#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/bmp/bmp_io.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::AllocationMeter;
using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

struct Picture {
    int result = -1;
    uint32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> r, g, b;
    std::string printed;
};

Picture Read(const std::string& path) {
    Picture p;
    uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    testing::internal::CaptureStdout();
    p.result = bmp_read(path.c_str(), &p.width, &p.height, &r, &g, &b);
    p.printed = testing::internal::GetCapturedStdout();
    if (p.result == 0) {
        const std::size_t n = p.width * static_cast<std::size_t>(std::abs(p.height));
        p.r.assign(r, r + n);
        p.g.assign(g, g + n);
        p.b.assign(b, b + n);
        EXPECT_NE(r, g);
        EXPECT_NE(g, b);
        delete[] r;
        delete[] g;
        delete[] b;
    }
    return p;
}

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A BMP built by hand: information header of `headerSize` bytes, `palette` entries
// (blue, green, red, 0), `colorsUsed` as stated, then the rows as given.
std::string MakeBmp(uint32_t width, int32_t height, uint16_t bits, uint32_t headerSize,
                    const std::vector<uint32_t>& palette, uint32_t colorsUsed,
                    const std::string& rows, uint32_t compression = 0) {
    const uint32_t offset = 14 + headerSize + 4 * static_cast<uint32_t>(palette.size());
    std::string s = "BM";
    Put32(s, offset + static_cast<uint32_t>(rows.size()));
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, headerSize);
    Put32(s, width);
    Put32(s, static_cast<uint32_t>(height));
    Put16(s, 1);
    Put16(s, bits);
    Put32(s, compression);
    Put32(s, static_cast<uint32_t>(rows.size()));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, colorsUsed);
    Put32(s, 0);
    s.append(headerSize - 40, '\0');
    for (uint32_t rgb : palette) {
        s += static_cast<char>(rgb & 0xFF);
        s += static_cast<char>(rgb >> 8 & 0xFF);
        s += static_cast<char>(rgb >> 16 & 0xFF);
        s += '\0';
    }
    return s + rows;
}

TEST(BmpWriteTest, ThreeByTwoPictureIsSeventyEightBytes) {
    TempDir dir;
    const std::string path = dir / "small.bmp";
    const uint8_t r[6] = {1, 2, 3, 4, 5, 6}, g[6] = {10, 20, 30, 40, 50, 60},
                  b[6] = {100, 110, 120, 130, 140, 150};
    ASSERT_EQ(bmp_24_write(path.c_str(), 3, 2, r, g, b), 0);
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 78);
    EXPECT_EQ(static_cast<uint8_t>(bytes[10]), 54);
    EXPECT_EQ(static_cast<uint8_t>(bytes[14]), 40);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 24);
    // First row: blue, green, red per pixel, then three zero bytes of padding.
    const std::string row0("\x64\x0a\x01\x6e\x14\x02\x78\x1e\x03\0\0\0", 12);
    EXPECT_EQ(bytes.substr(54, 12), row0);
    EXPECT_EQ(bytes.substr(75, 3), std::string(3, '\0'));

    Picture p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_EQ(p.width, 3u);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.r, std::vector<uint8_t>(r, r + 6));
    EXPECT_EQ(p.g, std::vector<uint8_t>(g, g + 6));
    EXPECT_EQ(p.b, std::vector<uint8_t>(b, b + 6));
}

TEST(BmpWriteTest, EightBitFilesCarryAGreyPaletteAndReadBackAsGrey) {
    TempDir dir;
    const std::string path = dir / "grey.bmp";
    const uint8_t data[10] = {0, 1, 2, 3, 4, 250, 251, 252, 253, 255};
    ASSERT_EQ(bmp_08_write(path.c_str(), 5, -2, data), 0);
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.size(), 54u + 1024u + 2 * 8u);
    Picture p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_EQ(p.height, -2);
    EXPECT_EQ(p.r, std::vector<uint8_t>(data, data + 10));
    EXPECT_EQ(p.g, p.r);
    EXPECT_EQ(p.b, p.r);
}

TEST(BmpWriteTest, WriteFailuresAreReported) {
    TempDir dir;
    const uint8_t px[3] = {1, 2, 3};
    testing::internal::CaptureStdout();
    EXPECT_EQ(bmp_24_write((dir / "missing/x.bmp").c_str(), 1, 1, px, px, px), 1);
    EXPECT_EQ(bmp_24_write("/dev/full", 1, 1, px, px, px), 1);
    EXPECT_EQ(bmp_08_write("/dev/full", 3, 1, px), 1);
    EXPECT_EQ(bmp_24_write((dir / "empty.bmp").c_str(), 0, 1, px, px, px), 1);
    // Rows that cannot be stored in the 32-bit size fields are refused before any work.
    EXPECT_EQ(bmp_24_write((dir / "huge.bmp").c_str(), UINT32_MAX, INT32_MIN, px, px, px), 1);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("BMP_24_WRITE - Fatal error!"), std::string::npos);
    EXPECT_NE(printed.find("BMP_08_WRITE - Fatal error!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "huge.bmp"));
}

TEST(BmpWriteTest, ReplacingAFileLeavesNoTemporaryBehind) {
    TempDir dir;
    const std::string path = dir / "again.bmp";
    const uint8_t px[3] = {9, 8, 7};
    WriteFileBytes(path, "old contents");
    ASSERT_EQ(bmp_08_write(path.c_str(), 3, 1, px), 0);
    EXPECT_EQ(ReadFileBytes(path).substr(0, 2), "BM");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(BmpReadTest, RejectsBadFilesWithTheirMessages) {
    TempDir dir;
    const std::string path = dir / "bad.bmp";
    WriteFileBytes(path, "PK" + std::string(60, '\0'));
    Picture p = Read(path);
    EXPECT_EQ(p.result, 1);
    EXPECT_NE(p.printed.find("The file's internal magic number is not \"BM\"."), std::string::npos);

    WriteFileBytes(path, MakeBmp(2, 2, 16, 40, {}, 0, std::string(8, '\0')));
    p = Read(path);
    EXPECT_EQ(p.result, 1);
    EXPECT_NE(p.printed.find("Unrecognized value of BITSPERPIXEL = 16"), std::string::npos);

    WriteFileBytes(path, MakeBmp(2, 2, 8, 40, {0xFF0000}, 1, std::string(8, '\0'), 1));
    p = Read(path);
    EXPECT_EQ(p.result, 1);
    EXPECT_NE(p.printed.find("COMPRESSION = 1"), std::string::npos);

    p = Read((dir / "absent.bmp").string());
    EXPECT_EQ(p.result, 1);
    EXPECT_NE(p.printed.find("Could not open the input file."), std::string::npos);

    WriteFileBytes(path, "BM" + std::string(20, '\0'));
    EXPECT_EQ(Read(path).result, 1);
}

TEST(BmpReadTest, SizesThatTheFileCannotHoldFailWithoutAllocating) {
    TempDir dir;
    const std::string path = dir / "huge.bmp";
    for (int32_t height : {INT32_MIN, INT32_MAX, -1}) {
        WriteFileBytes(path, MakeBmp(UINT32_MAX, height, 24, 40, {}, 0, std::string(64, '\1')));
        Picture p = Read(path);
        EXPECT_EQ(p.result, 1) << height;
        EXPECT_NE(p.printed.find("too short"), std::string::npos);
    }
    // Data offset beyond the end of the file.
    std::string bytes = MakeBmp(1, 1, 24, 40, {}, 0, std::string(4, '\0'));
    bytes[10] = '\x7f';
    WriteFileBytes(path, bytes);
    EXPECT_EQ(Read(path).result, 1);
    WriteFileBytes(path, MakeBmp(0, 1, 24, 40, {}, 0, std::string(4, '\0')));
    EXPECT_EQ(Read(path).result, 1);
}

TEST(BmpReadTest, OneBitPicturesPastTheCapFailBeforeTheirPlanesExist) {
    STRAVEL_REQUIRE(AllocationMeter::Available(),
                    "allocations are counted only under AddressSanitizer");
    // 16384 × 12000 pixels in 24 MB of rows: 590 MB of planes, past the cap.
    TempDir dir;
    const std::string path = dir / "wide.bmp";
    const uint32_t width = 16384, rows = 12000;
    const uint64_t rowBytes = width / 8;
    WriteFileBytes(path, MakeBmp(width, int32_t(rows), 1, 40, {0, 0xFFFFFF}, 2, ""));
    std::filesystem::resize_file(path, std::filesystem::file_size(path) + rowBytes * rows);
    AllocationMeter meter;
    Picture p = Read(path);
    EXPECT_EQ(p.result, 1);
    EXPECT_NE(p.printed.find("larger than the reader accepts"), std::string::npos) << p.printed;
    EXPECT_LT(meter.Peak(), size_t(1) << 20);
}

TEST(BmpReadTest, NegativeHeightReadsThatManyRowsInFileOrder) {
    TempDir dir;
    const std::string path = dir / "topdown.bmp";
    // 1 × 3, 24 bits: each row is 3 bytes and one byte of padding.
    const std::string rows("\x01\x02\x03\0\x04\x05\x06\0\x07\x08\x09\0", 12);
    WriteFileBytes(path, MakeBmp(1, -3, 24, 40, {}, 0, rows));
    Picture p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_EQ(p.height, -3);
    EXPECT_EQ(p.r, (std::vector<uint8_t>{3, 6, 9}));
    EXPECT_EQ(p.b, (std::vector<uint8_t>{1, 4, 7}));
}

TEST(BmpReadTest, PaletteFilesAreLookedUpThroughTheirPalette) {
    TempDir dir;
    const std::string path = dir / "palette.bmp";
    const std::vector<uint32_t> palette = {0x102030, 0xA0B0C0, 0xFF0080};
    // "Colours used" 0 and the data right after three entries: the palette size comes from
    // the data offset. Index 7 lies outside the palette and reads as black.
    const std::string rows("\x00\x01\x02\x07\x02\x02\x01\x00", 8);
    for (uint32_t header : {40u, 108u, 124u}) {
        WriteFileBytes(path, MakeBmp(4, 2, 8, header, palette, 0, rows));
        Picture p = Read(path);
        ASSERT_EQ(p.result, 0) << p.printed;
        EXPECT_EQ(p.r, (std::vector<uint8_t>{0x10, 0xA0, 0xFF, 0, 0xFF, 0xFF, 0xA0, 0x10}));
        EXPECT_EQ(p.g, (std::vector<uint8_t>{0x20, 0xB0, 0x00, 0, 0x00, 0x00, 0xB0, 0x20}));
        EXPECT_EQ(p.b, (std::vector<uint8_t>{0x30, 0xC0, 0x80, 0, 0x80, 0x80, 0xC0, 0x30}));
    }
    // Four and one bits per pixel, packed from the high bits; rows padded to 4 bytes.
    WriteFileBytes(path, MakeBmp(3, 1, 4, 40, palette, 3, std::string("\x21\x00\0\0", 4)));
    Picture p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_EQ(p.r, (std::vector<uint8_t>{0xFF, 0xA0, 0x10}));
    WriteFileBytes(path,
                   MakeBmp(10, 1, 1, 40, {0x000000, 0xFFFFFF}, 2, std::string("\xA0\x40\0\0", 4)));
    p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_EQ(p.g, (std::vector<uint8_t>{255, 0, 255, 0, 0, 0, 0, 0, 0, 255}));
}

TEST(BmpReadTest, EndOfFileInsideTheLastPaddingIsOnlyAWarning) {
    TempDir dir;
    const std::string path = dir / "short.bmp";
    const std::string rows("\x01\x02\x03\0\x04\x05\x06", 7);
    WriteFileBytes(path, MakeBmp(1, 2, 24, 40, {}, 0, rows));
    Picture p = Read(path);
    ASSERT_EQ(p.result, 0) << p.printed;
    EXPECT_NE(p.printed.find("BMP_24_DATA_READ - Warning!"), std::string::npos);
    EXPECT_EQ(p.r, (std::vector<uint8_t>{3, 6}));
}

TEST(BmpFieldTest, ByteSwapSwitchChoosesTheOrder) {
    ASSERT_TRUE(bmp_byte_swap_get());
    std::ostringstream out;
    ASSERT_EQ(u_long_int_write(0x11223344, out), 0);
    bmp_byte_swap_set(false);
    ASSERT_EQ(u_long_int_write(0x11223344, out), 0);
    ASSERT_EQ(long_int_write(-2, out), 0);
    ASSERT_EQ(u_short_int_write(0xABCD, out), 0);
    bmp_byte_swap_set(true);
    EXPECT_EQ(out.str(), std::string("\x44\x33\x22\x11\x11\x22\x33\x44\xff\xff\xff\xfe"
                                     "\xab\xcd",
                                     14));
    std::istringstream in(out.str());
    uint32_t value = 0;
    int32_t negative = 0;
    uint16_t half = 0;
    EXPECT_EQ(u_long_int_read(&value, in), 0);
    EXPECT_EQ(value, 0x11223344u);
    EXPECT_EQ(u_long_int_read(&value, in), 0);
    EXPECT_EQ(value, 0x44332211u);
    bmp_byte_swap_set(false);
    EXPECT_EQ(long_int_read(&negative, in), 0);
    EXPECT_EQ(u_short_int_read(&half, in), 0);
    EXPECT_EQ(u_short_int_read(&half, in), 1); // end of file
    bmp_byte_swap_set(true);
    EXPECT_EQ(negative, -2);
    EXPECT_EQ(half, 0xABCD);
}

// Reads a binary PPM (P6, maxval 255) into interleaved RGB.
bool ReadPpm(const std::string& bytes, int& w, int& h, std::string& pixels) {
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> w >> h >> maxval;
    if (magic != "P6" || maxval != 255)
        return false;
    in.get();
    pixels.assign(std::istreambuf_iterator<char>(in), {});
    return pixels.size() == static_cast<std::size_t>(w) * h * 3;
}

// The pixels as top-down interleaved RGB, whatever the row order.
std::string TopDownRgb(const Picture& p) {
    const int h = std::abs(p.height);
    std::string s;
    for (int y = 0; y < h; ++y) {
        const int row = p.height > 0 ? h - 1 - y : y;
        for (uint32_t x = 0; x < p.width; ++x) {
            const std::size_t k = static_cast<std::size_t>(row) * p.width + x;
            s += static_cast<char>(p.r[k]);
            s += static_cast<char>(p.g[k]);
            s += static_cast<char>(p.b[k]);
        }
    }
    return s;
}

std::string ToPpm(const Picture& p) {
    return "P6\n" + std::to_string(p.width) + " " + std::to_string(std::abs(p.height)) + "\n255\n" +
           TopDownRgb(p);
}

TEST(BmpImageMagickTest, FilesWrittenByImageMagickReadPixelExact) {
    STRAVEL_REQUIRE_TOOL("convert");
    TempDir dir;
    const std::string source = dir / "source.png";
    ASSERT_EQ(
        RunTool({"convert", "-size", "37x23", "-seed", "7", "plasma:fractal", source}).exitCode, 0);
    struct Case {
        const char* name;
        std::vector<std::string> options;
        uint16_t expectedBits;
        uint32_t expectedHeader;
    };
    const Case cases[] = {
        {"BMP3:", {}, 24, 40},
        {"", {}, 24, 124},
        {"", {"-colors", "16", "-type", "Palette"}, 4, 124},
        {"BMP3:", {"-colors", "200", "-type", "Palette", "-compress", "None"}, 8, 40},
        {"", {"-flip", "-define", "bmp:format=bmp3"}, 24, 40},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string bmp = dir / ("case" + std::to_string(index++) + ".bmp");
        std::vector<std::string> args = {"convert", source};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(c.name + bmp);
        ASSERT_EQ(RunTool(args).exitCode, 0);
        const std::string bytes = ReadFileBytes(bmp);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(static_cast<uint8_t>(bytes[14]), c.expectedHeader) << bmp;
        EXPECT_EQ(static_cast<uint8_t>(bytes[28]), c.expectedBits) << bmp;

        const std::string ppm = bmp + ".ppm";
        ASSERT_EQ(RunTool({"convert", bmp, "-depth", "8", ppm}).exitCode, 0);
        int w = 0, h = 0;
        std::string expected;
        ASSERT_TRUE(ReadPpm(ReadFileBytes(ppm), w, h, expected));
        Picture p = Read(bmp);
        ASSERT_EQ(p.result, 0) << p.printed;
        EXPECT_EQ(p.width, 37u);
        EXPECT_EQ(std::abs(p.height), 23);
        EXPECT_TRUE(TopDownRgb(p) == expected) << bmp;
    }
}

TEST(BmpImageMagickTest, WrittenFilesCompareEqualInImageMagick) {
    STRAVEL_REQUIRE_TOOL("compare");
    TempDir dir;
    Picture p;
    p.width = 13;
    p.height = 7;
    for (int i = 0; i < 13 * 7; ++i) {
        p.r.push_back(static_cast<uint8_t>(i * 37));
        p.g.push_back(static_cast<uint8_t>(255 - i * 11));
        p.b.push_back(static_cast<uint8_t>(i * i));
    }
    const std::string bmp = dir / "ours.bmp", ppm = dir / "ours.ppm";
    ASSERT_EQ(bmp_24_write(bmp.c_str(), p.width, p.height, p.r.data(), p.g.data(), p.b.data()), 0);
    WriteFileBytes(ppm, ToPpm(p));
    auto result = RunTool({"compare", "-metric", "AE", bmp, ppm, "null:"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "0");

    const std::string grey = dir / "grey.bmp", greyPpm = dir / "grey.ppm";
    ASSERT_EQ(bmp_08_write(grey.c_str(), p.width, p.height, p.r.data()), 0);
    Picture g = p;
    g.g = g.b = g.r;
    WriteFileBytes(greyPpm, ToPpm(g));
    result = RunTool({"compare", "-metric", "AE", grey, greyPpm, "null:"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "0");
}

} // namespace
