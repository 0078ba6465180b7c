#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/codecs/jpeg_image.h"
#include "media/codecs/jpeg_sections.h"
#include "tests/media/media_test_support.h"
#include "tests/support/tools.h"

namespace {

using namespace stravel::testing;
using namespace mediatest;

std::vector<uint8_t> SmallJpeg(int w = 16, int h = 8) {
    CBK_ImageJpg jpg;
    auto rgb = Smooth(w, h, 3);
    EXPECT_TRUE(jpg.CreateFromBuffer(w, h, 24, rgb.data()));
    return std::vector<uint8_t>(jpg.GetData(), jpg.GetData() + jpg.GetCompressedSize());
}

std::vector<uint8_t> Segment(uint8_t marker, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> s = {0xFF, marker, uint8_t((payload.size() + 2) >> 8),
                              uint8_t(payload.size() + 2)};
    s.insert(s.end(), payload.begin(), payload.end());
    return s;
}

// The JPEG with extra segments right after its start marker.
std::vector<uint8_t> WithSegments(const std::vector<uint8_t>& jpeg,
                                  const std::vector<std::vector<uint8_t>>& segments) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    for (const auto& s : segments)
        out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// The marker bytes of the header, up to and including the first scan.
std::vector<uint8_t> HeaderMarkers(const uint8_t* p, size_t size) {
    std::vector<uint8_t> markers;
    size_t pos = 2;
    while (pos + 4 <= size && p[pos] == 0xFF) {
        markers.push_back(p[pos + 1]);
        if (p[pos + 1] == 0xDA)
            break;
        pos += 2 + ((size_t(p[pos + 2]) << 8) | p[pos + 3]);
    }
    return markers;
}

std::vector<uint8_t> Decode(const uint8_t* p, size_t n) {
    CBK_ImageJpg image;
    EXPECT_TRUE(image.Read(p, n));
    return std::vector<uint8_t>(image.GetData(), image.GetData() + image.GetSize());
}

TEST(JpegSectionsTest, CommentTextDropsCarriageReturnsBeforeLineFeeds) {
    auto jpeg = WithSegments(SmallJpeg(), {Segment(0xFE, {'a', 'b', '\r', '\n', 'c', 'd', 1, '\t'}),
                                           Segment(0xFE, {'x'})});
    CBK_JpegHelper helper;
    ASSERT_TRUE(helper.ReadJpegSections(jpeg.data(), jpeg.size(), CBK_JpegHelper::READ_METADATA));
    EXPECT_EQ(helper.GetComment(), "ab\ncd?\t");
    EXPECT_FALSE(helper.IsComplete());
    EXPECT_EQ(helper.GetWidth(), 16);
    EXPECT_EQ(helper.GetHeight(), 8);
    EXPECT_TRUE(helper.IsColor());
    EXPECT_EQ(helper.GetProcess(), 0xC0u);
    // One comment kept; the JFIF header dropped; the last section read is the scan header.
    size_t comments = 0;
    for (const auto& s : helper.GetSections()) {
        comments += s.Type == 0xFE;
        EXPECT_NE(s.Type, 0xE0u);
        EXPECT_EQ(s.Size, s.Data.size());
    }
    EXPECT_EQ(comments, 1u);
    EXPECT_EQ(helper.GetSections().back().Type, 0xDAu);

    CBK_JpegHelper plain;
    ASSERT_TRUE(plain.ReadJpegSections(jpeg.data(), jpeg.size(), CBK_JpegHelper::READ_IMAGE));
    EXPECT_TRUE(plain.GetComment().empty());
    EXPECT_TRUE(plain.IsComplete());
    EXPECT_EQ(plain.GetSections().back().Type, 0x123u);
}

TEST(JpegSectionsTest, StripKeepsOnlyWhatTheDecoderNeeds) {
    auto original = SmallJpeg();
    auto jpeg = WithSegments(original, {Segment(0xFE, {'h', 'i'}), Segment(0xE2, {'I', 'C', 'C'}),
                                        Segment(0xEC, {'D', 'u', 'c', 'k'})});
    CBK_JpegHelper helper;
    size_t size = 0;
    std::unique_ptr<uint8_t[]> lean(helper.StripJpeg(jpeg.data(), jpeg.size(), &size));
    ASSERT_NE(lean, nullptr);
    // SOI, the fresh JFIF header, then the tables, frame and scan headers.
    static const uint8_t head[20] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',
                                     0x00, 0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(lean.get(), head, 20), 0);
    auto markers = HeaderMarkers(lean.get(), size);
    for (uint8_t m : markers) {
        EXPECT_NE(m, 0xFE);
        EXPECT_NE(m, 0xE2);
        EXPECT_NE(m, 0xEC);
    }
    EXPECT_EQ(markers.back(), 0xDA);
    // What follows the JFIF header is the original from its first table on, unchanged.
    EXPECT_EQ(size, original.size() - 2 - 18 + 20);
    EXPECT_EQ(std::memcmp(lean.get() + 20, original.data() + 20, original.size() - 20), 0);
    EXPECT_EQ(Decode(lean.get(), size), Decode(original.data(), original.size()));
    EXPECT_TRUE(helper.GetSections().empty());
}

TEST(JpegSectionsTest, MalformedStreamsAreRefused) {
    auto jpeg = SmallJpeg();
    CBK_JpegHelper helper;
    size_t size = 7;
    // Ends before the scan header.
    EXPECT_EQ(helper.StripJpeg(jpeg.data(), 200, &size), nullptr);
    EXPECT_EQ(size, 7u);
    // Scan header with no data behind it.
    size_t scanEnd = 2;
    while (jpeg[scanEnd + 1] != 0xDA)
        scanEnd += 2 + ((size_t(jpeg[scanEnd + 2]) << 8) | jpeg[scanEnd + 3]);
    scanEnd += 2 + ((size_t(jpeg[scanEnd + 2]) << 8) | jpeg[scanEnd + 3]);
    EXPECT_EQ(helper.StripJpeg(jpeg.data(), scanEnd, nullptr), nullptr);
    EXPECT_NE(std::unique_ptr<uint8_t[]>(helper.StripJpeg(jpeg.data(), scanEnd + 1, nullptr)),
              nullptr);

    auto read = [](const std::vector<uint8_t>& bytes) {
        CBK_JpegHelper h;
        return h.ReadJpegSections(bytes.data(), bytes.size(), CBK_JpegHelper::READ_ALL);
    };
    EXPECT_TRUE(read(jpeg));
    EXPECT_FALSE(read({0x00, 0xD8, 0xFF, 0xDB}));
    // An end-of-image marker before any scan.
    EXPECT_FALSE(read({0xFF, 0xD8, 0xFF, 0xD9}));
    // Seven fill bytes.
    auto fill = WithSegments(jpeg, {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
    EXPECT_FALSE(read(fill));
    auto sixFill = WithSegments(jpeg, {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
    EXPECT_TRUE(read(sixFill));
    // A length below 2, and one that runs past the data.
    EXPECT_FALSE(read({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}));
    EXPECT_FALSE(read({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x40, 0x00}));
    // A frame header too short for its fields.
    EXPECT_FALSE(read(WithSegments(jpeg, {Segment(0xC0, {8, 0, 1})})));
    // A hundred sections.
    std::vector<std::vector<uint8_t>> many(100, Segment(0xE3, {1}));
    EXPECT_FALSE(read(WithSegments(jpeg, many)));
    std::vector<std::vector<uint8_t>> fewer(90, Segment(0xE3, {1}));
    EXPECT_TRUE(read(WithSegments(jpeg, fewer)));
}

TEST(JpegSectionsTest, RemovalLeavesTheLastSection) {
    auto jpeg = WithSegments(SmallJpeg(), {Segment(0xE5, {1, 2})});
    CBK_JpegHelper helper;
    ASSERT_TRUE(helper.ReadJpegSections(jpeg.data(), jpeg.size(), CBK_JpegHelper::READ_ALL));
    const size_t count = helper.GetSections().size();
    EXPECT_FALSE(helper.RemoveSectionType(0x123)); // only the last one has it
    EXPECT_TRUE(helper.RemoveSectionType(0xE5));
    EXPECT_FALSE(helper.RemoveSectionType(0xE5));
    EXPECT_EQ(helper.GetSections().size(), count - 1);
    EXPECT_FALSE(helper.RemoveUnknownSections());
    helper.ResetJpegFile();
    EXPECT_TRUE(helper.GetSections().empty());
    EXPECT_EQ(helper.GetWidth(), 16); // image information stays
    helper.DiscardData();
    EXPECT_EQ(helper.GetWidth(), 0);
}

TEST(JpegSectionsTest, ExiftoolFileLosesExifCommentAndIccButNotItsPixels) {
    STRAVEL_REQUIRE_TOOL("exiftool");
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    auto original = SmallJpeg(40, 24);
    WriteFileBytes(dir / "a.jpg", std::string(original.begin(), original.end()));
    // A minimal ICC header, so that exiftool writes an APP2 ICC_PROFILE section.
    std::string icc(132, '\0');
    icc[3] = char(132);
    std::memcpy(&icc[4], "none", 4);
    icc[8] = 2;
    icc[9] = 0x10;
    std::memcpy(&icc[12], "mntrRGB XYZ ", 12);
    std::memcpy(&icc[36], "acsp", 4);
    WriteFileBytes(dir / "p.icc", icc);
    auto tool =
        RunTool({"exiftool", "-q", "-overwrite_original", "-Comment=made here", "-Artist=someone",
                 "-ICC_Profile<=" + (dir / "p.icc").string(), (dir / "a.jpg").string()});
    ASSERT_EQ(tool.exitCode, 0) << tool.err;
    auto tagged = ToBytes(ReadFileBytes(dir / "a.jpg"));
    auto before = HeaderMarkers(tagged.data(), tagged.size());
    for (uint8_t m : {0xE1, 0xE2, 0xFE})
        ASSERT_NE(std::find(before.begin(), before.end(), m), before.end()) << int(m);

    CBK_JpegHelper helper;
    size_t size = 0;
    std::unique_ptr<uint8_t[]> lean(helper.StripJpeg(tagged.data(), tagged.size(), &size));
    ASSERT_NE(lean, nullptr);
    auto after = HeaderMarkers(lean.get(), size);
    for (uint8_t m : {0xE1, 0xE2, 0xFE})
        EXPECT_EQ(std::find(after.begin(), after.end(), m), after.end()) << int(m);
    WriteFileBytes(dir / "lean.jpg", std::string(lean.get(), lean.get() + size));
    auto a = RunTool({"djpeg", "-ppm", (dir / "a.jpg").string()});
    auto b = RunTool({"djpeg", "-ppm", (dir / "lean.jpg").string()});
    ASSERT_EQ(a.exitCode, 0);
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
    auto exif = RunTool(
        {"exiftool", "-s", "-Comment", "-Artist", "-ICC_Profile:all", (dir / "lean.jpg").string()});
    EXPECT_EQ(exif.out, "");
}

TEST(JpegSectionsTest, AdobeRgbPictureKeepsItsColours) {
    STRAVEL_REQUIRE_TOOL("cjpeg");
    STRAVEL_REQUIRE_TOOL("djpeg");
    TempDir dir;
    auto rgb = Smooth(24, 16, 3, 3);
    std::string ppm = "P6\n24 16\n255\n" + std::string(rgb.begin(), rgb.end());
    WriteFileBytes(dir / "in.ppm", ppm);
    auto made = RunTool(
        {"cjpeg", "-rgb", "-outfile", (dir / "rgb.jpg").string(), (dir / "in.ppm").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto bytes = ToBytes(ReadFileBytes(dir / "rgb.jpg"));
    CBK_JpegHelper helper;
    size_t size = 0;
    std::unique_ptr<uint8_t[]> lean(helper.StripJpeg(bytes.data(), bytes.size(), &size));
    ASSERT_NE(lean, nullptr);
    WriteFileBytes(dir / "lean.jpg", std::string(lean.get(), lean.get() + size));
    auto a = RunTool({"djpeg", "-ppm", (dir / "rgb.jpg").string()});
    auto b = RunTool({"djpeg", "-ppm", (dir / "lean.jpg").string()});
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
}

} // namespace
