// Bitmap tags: golden encodings both ways, JPEG data that is not framed as expected, alpha
// offsets that lie, and payloads taken back out of a movie checked by independent decoders.
#include <gtest/gtest.h>

#include "core/codec/zlib_buffer.h"
#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/bitmaps/jpeg_tables.h"
#include "swf/tags/control_tags.h"
#include "tests/support/tools.h"
#include "tests/swf/media_test_support.h"

namespace {

using namespace ravuz;
using namespace mediatest;
using stravel::testing::RunTool;

std::unique_ptr<CBK_SwfTag> Lossless(uint8_t format, uint8_t tableSize, const Bytes& payload,
                                     bool alpha = false) {
    std::unique_ptr<CBK_SwfDefineBitsLossless> tag =
        alpha ? std::make_unique<CBK_SwfDefineBitsLossless2>(format)
              : std::make_unique<CBK_SwfDefineBitsLossless>(format);
    tag->SetCharacterId(7);
    tag->SetBitmapWidth(2);
    tag->SetBitmapHeight(2);
    tag->SetBitmapColorTableSize(tableSize);
    tag->SetPayload(payload.data(), payload.size());
    return tag;
}

std::unique_ptr<CBK_SwfTag> Jpeg3(uint16_t id, const Bytes& jpeg, const Bytes& alpha) {
    return std::make_unique<CBK_SwfDefineBitsJpeg3>(
        id, reinterpret_cast<const char*>(jpeg.data()), static_cast<int32_t>(jpeg.size()),
        reinterpret_cast<const char*>(alpha.data()), static_cast<int32_t>(alpha.size()));
}

std::unique_ptr<CBK_SwfTag> Tables(const Bytes& bytes) {
    auto tag = std::make_unique<CBK_SwfJpegTables>();
    tag->SetTables(bytes);
    return tag;
}

std::unique_ptr<CBK_SwfTag> Bits(uint16_t id, const Bytes& data) {
    auto tag = std::make_unique<CBK_SwfDefineBits>();
    tag->Create(id, data);
    return tag;
}

const Bytes kImage = Concat({{0xFF, 0xD8}, Ramp(20, 1), {0xFF, 0xD9}});
const Bytes kFramed = Concat({{0xFF, 0xD9, 0xFF, 0xD8}, kImage});

const std::vector<TagVector>& Vectors() {
    static const std::vector<TagVector> vectors = {
        {"DefineBitsLossless format 5, 2 x 2",
         Concat({{0x3F, 0x05}, U32(17), {0x07, 0x00, 0x05, 0x02, 0x00, 0x02, 0x00}, Ramp(10)}),
         [] { return Lossless(5, 0, Ramp(10)); }, Blank<CBK_SwfDefineBitsLossless>(5)},
        {"DefineBitsLossless format 3, 16 colours",
         Concat(
             {{0x3F, 0x05}, U32(18), {0x07, 0x00, 0x03, 0x02, 0x00, 0x02, 0x00, 0x0F}, Ramp(10)}),
         [] { return Lossless(3, 15, Ramp(10)); }, Blank<CBK_SwfDefineBitsLossless>(5)},
        {"DefineBitsLossless format 4 leaves out the table size",
         Concat({{0x3F, 0x05}, U32(7), {0x07, 0x00, 0x04, 0x02, 0x00, 0x02, 0x00}}),
         [] { return Lossless(4, 9, {}); }, Blank<CBK_SwfDefineBitsLossless>(5)},
        {"DefineBitsLossless2 format 3",
         Concat({{0x3F, 0x09}, U32(9), {0x07, 0x00, 0x03, 0x02, 0x00, 0x02, 0x00, 0x01, 0xEE}}),
         [] { return Lossless(3, 1, {0xEE}, true); }, Blank<CBK_SwfDefineBitsLossless2>(5)},
        {"DefineBitsJpeg2 50 bytes", Concat({{0x74, 0x05}, {0x03, 0x00}, Ramp(50)}),
         [] { return std::make_unique<CBK_SwfDefineBitsJpeg2>(3, Ramp(50)); },
         Blank<CBK_SwfDefineBitsJpeg2>()},
        {"DefineBitsJpeg2 61 bytes", Concat({{0x7F, 0x05}, U32(63), {0x03, 0x00}, Ramp(61)}),
         [] { return std::make_unique<CBK_SwfDefineBitsJpeg2>(3, Ramp(61)); },
         Blank<CBK_SwfDefineBitsJpeg2>()},
        {"DefineBitsJpeg2 with the end and start pair first",
         Concat({Header(21, 2 + kFramed.size()), {0x04, 0x00}, kFramed}),
         [] { return std::make_unique<CBK_SwfDefineBitsJpeg2>(4, kFramed); },
         Blank<CBK_SwfDefineBitsJpeg2>()},
        {"DefineBitsJpeg3 100 + 20",
         Concat({Header(35, 126), {0x02, 0x00}, U32(100), Ramp(100), Ramp(20, 0xC0)}),
         [] { return Jpeg3(2, Ramp(100), Ramp(20, 0xC0)); }, Blank<CBK_SwfDefineBitsJpeg3>()},
        {"DefineBitsJpeg3 without alpha",
         Concat({Header(35, 6 + 24), {0x02, 0x00}, U32(24), kImage}),
         [] { return Jpeg3(2, kImage, {}); }, Blank<CBK_SwfDefineBitsJpeg3>()},
        {"DefineBits", Concat({Header(6, 2 + 24), {0x09, 0x00}, kImage}),
         [] { return Bits(9, kImage); }, Blank<CBK_SwfDefineBits>(uint32_t(26))},
        {"DefineBits read without a record length",
         Concat({Header(6, 2 + 24), {0x09, 0x00}, kImage}), [] { return Bits(9, kImage); },
         Blank<CBK_SwfDefineBits>(uint32_t(0))},
        {"JpegTables", Concat({Header(8, 6), {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9}}),
         [] {
             return Tables({0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9});
         },
         Blank<CBK_SwfJpegTables>(uint32_t(6))},
        {"JpegTables empty", Header(8, 0), [] { return Tables({}); }, Blank<CBK_SwfJpegTables>()},
    };
    return vectors;
}

TEST(SwfBitmapVectors, WriteTheirBytes) {
    ExpectWrites(Vectors());
}

TEST(SwfBitmapVectors, ReadBackToTheSameBytes) {
    ExpectReadsBack(Vectors());
}

TEST(SwfJpegTags, ReadExactlyTheTagsPayload) {
    // JPEG data without the leading end and start pair, followed by more tags whose bytes
    // hold end-of-image markers of their own.
    const Bytes next = Concat({Header(21, 8),
                               {0x05, 0x00, 0xFF, 0xD8, 0x00, 0x00, 0xFF, 0xD9},
                               Header(1, 0),
                               Header(0, 0)});
    const Bytes payload = Concat({{0x04, 0x00}, kImage});
    CBK_SwfDefineBitsJpeg2 jpeg2;
    EXPECT_EQ(ReadFollowedBy(jpeg2, payload, next), payload.size());
    EXPECT_EQ(jpeg2.GetJpegData(), kImage);
    EXPECT_EQ(jpeg2.GetCharacterId(), 4);

    CBK_SwfDefineBits bits(0);
    EXPECT_EQ(ReadFollowedBy(bits, Concat({{0x04, 0x00}, Ramp(5)}), next), 7u);
    EXPECT_EQ(bits.GetJpegData(), Ramp(5));

    // A record length beyond the tag does not read into the next one.
    CBK_SwfDefineBits lying(500);
    EXPECT_EQ(ReadFollowedBy(lying, payload, next), payload.size());

    CBK_SwfJpegTables tables(300);
    EXPECT_EQ(ReadFollowedBy(tables, Ramp(4), next), 4u);
    EXPECT_EQ(tables.GetTables(), Ramp(4));
}

TEST(SwfJpegTags, Jpeg3OffsetBeyondThePayload) {
    const Bytes next = Concat({Header(1, 0), Ramp(64)});
    for (uint32_t length : {31u, 1000u, 0xFFFFFFFFu}) {
        CBK_SwfDefineBitsJpeg3 tag;
        const Bytes payload = Concat({{0x02, 0x00}, U32(length), Ramp(30)});
        EXPECT_EQ(ReadFollowedBy(tag, payload, next), payload.size()) << length;
        EXPECT_EQ(tag.GetJpegData(), Ramp(30)) << length;
        EXPECT_TRUE(tag.GetAlphaData().empty()) << length;
        // Written again, the offset is the bytes it has.
        EXPECT_EQ(swftest::Payload(swftest::WriteBytes(tag)),
                  Concat({{0x02, 0x00}, U32(30), Ramp(30)}));
    }
    CBK_SwfDefineBitsJpeg3 cut;
    EXPECT_EQ(ReadFollowedBy(cut, {0x02, 0x00, 0x10}, next), 3u);
    EXPECT_TRUE(cut.GetJpegData().empty());
}

TEST(SwfJpegTags, Jpeg3WritesTheLengthOfTheBytesItHolds) {
    auto tag = Jpeg3(2, Ramp(100), Ramp(20));
    auto* jpeg3 = static_cast<CBK_SwfDefineBitsJpeg3*>(tag.get());
    EXPECT_EQ(jpeg3->GetJpegLength(), 100u);
    jpeg3->Create(2, Ramp(40));
    const Bytes payload = swftest::Payload(swftest::WriteBytes(*jpeg3));
    EXPECT_EQ(Bytes(payload.begin() + 2, payload.begin() + 6), U32(40));
    CBK_SwfDefineBitsJpeg3 back;
    swftest::ReadTag(back, swftest::WriteBytes(*jpeg3));
    EXPECT_EQ(back.GetJpegData(), Ramp(40));
    EXPECT_EQ(back.GetAlphaData(), Ramp(20));
}

TEST(SwfBitmapTags, CopiesConstructorsAndOffsets) {
    CBK_SwfDefineBitsJpeg2 a(12, "abc", 3);
    CBK_SwfDefineBitsJpeg2 b(a);
    EXPECT_EQ(b.GetCharacterId(), 12);
    EXPECT_EQ(b.GetJpegData(), (Bytes{'a', 'b', 'c'}));
    CBK_SwfDefineBitsJpeg2 none(1, nullptr, 5), negative(1, "abc", -1);
    EXPECT_TRUE(none.GetJpegData().empty());
    EXPECT_TRUE(negative.GetJpegData().empty());

    CBK_SwfDefineBits bits(0), other(0);
    bits.Create(4, Ramp(3));
    other = bits;
    EXPECT_EQ(other.GetCharacterId(), 4);
    other.OffsetInfo(10, 0, 0);
    EXPECT_EQ(other.GetCharacterId(), 14);
    other.setPayload(Ramp(2));
    EXPECT_EQ(other.GetJpegData(), Ramp(2));

    auto lossless = Lossless(3, 15, Ramp(4));
    auto* l = static_cast<CBK_SwfDefineBitsLossless*>(lossless.get());
    l->OffsetInfo(1, 0, 0);
    EXPECT_EQ(l->GetCharacterId(), 8);
    l->Destroy();
    EXPECT_TRUE(l->GetPayload().empty());
    EXPECT_EQ(l->GetBitmapColorTableSize(), 0);

    CBK_SwfDefineBitsLossless shortTag(5);
    EXPECT_EQ(ReadFollowedBy(shortTag, {0x01, 0x00, 0x03, 0x04}, Ramp(10)), 4u);
    EXPECT_EQ(shortTag.GetBitmapFormat(), 3);
    EXPECT_EQ(shortTag.GetBitmapHeight(), 0);
    EXPECT_TRUE(shortTag.GetPayload().empty());
}

Bytes Compressed(const Bytes& raw) {
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> out(BK_ZlibCompress(raw.data(), raw.size(), length));
    return out ? Bytes(out.get(), out.get() + length) : Bytes{};
}

std::string InflatedSize(const stravel::testing::TempDir& dir, const Bytes& data) {
    const auto path = dir / "payload.z";
    stravel::testing::WriteFileBytes(path, std::string(data.begin(), data.end()));
    return RunTool({"python3", "-c",
                    "import sys, zlib; print(len(zlib.decompress(open(sys.argv[1], 'rb').read())))",
                    path.string()})
        .out;
}

TEST(SwfBitmapTags, PayloadsTakenFromAMovieDecode) {
    STRAVEL_REQUIRE_TOOL("ffmpeg");
    STRAVEL_REQUIRE_TOOL("djpeg");
    STRAVEL_REQUIRE_TOOL("python3");
    stravel::testing::TempDir dir;
    const auto jpg = dir / "in.jpg";
    const auto made = RunTool({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                               "testsrc=size=40x30", "-frames:v", "1", jpg.string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string jpegText = stravel::testing::ReadFileBytes(jpg);
    const Bytes jpeg(jpegText.begin(), jpegText.end());

    // 40 x 30: colour-mapped rows pad to 40 bytes, 15-bit ones to 80, 32-bit ones are 160.
    const Bytes alpha = Compressed(Bytes(40 * 30, 0x80));
    const Bytes mapped = Compressed(Bytes(16 * 3 + 40 * 30, 1));
    const Bytes mappedAlpha = Compressed(Bytes(16 * 4 + 40 * 30, 2));
    const Bytes rgb32 = Compressed(Bytes(40 * 30 * 4, 3));
    std::vector<std::unique_ptr<CBK_SwfTag>> owned;
    owned.push_back(std::make_unique<CBK_SwfDefineBitsJpeg2>(1, jpeg));
    owned.push_back(Jpeg3(2, jpeg, alpha));
    auto addLossless = [&](std::unique_ptr<CBK_SwfDefineBitsLossless> tag, uint16_t id,
                           uint8_t tableSize, const Bytes& payload) {
        tag->SetCharacterId(id);
        tag->SetBitmapWidth(40);
        tag->SetBitmapHeight(30);
        tag->SetBitmapColorTableSize(tableSize);
        tag->SetPayload(payload.data(), payload.size());
        owned.push_back(std::move(tag));
    };
    addLossless(std::make_unique<CBK_SwfDefineBitsLossless>(3), 3, 15, mapped);
    addLossless(std::make_unique<CBK_SwfDefineBitsLossless2>(3), 4, 15, mappedAlpha);
    addLossless(std::make_unique<CBK_SwfDefineBitsLossless>(5), 5, 0, rgb32);
    owned.push_back(std::make_unique<CBK_SwfShowFrame>());
    owned.push_back(std::make_unique<CBK_SwfEnd>());
    std::vector<CBK_SwfTag*> tags;
    for (auto& t : owned)
        tags.push_back(t.get());
    const std::string movie = Movie(6, 800, 600, 1, tags);
    const auto swf = dir / "bitmaps.swf";
    stravel::testing::WriteFileBytes(swf, movie);

    int checked = 0;
    for (const SwfTagBytes& tag : MovieTags(movie)) {
        if (tag.code == kSwfTagDefineBitsJpeg2 || tag.code == kSwfTagDefineBitsJpeg3) {
            std::unique_ptr<CBK_SwfDefineBitsJpeg2> read =
                tag.code == kSwfTagDefineBitsJpeg2 ? std::make_unique<CBK_SwfDefineBitsJpeg2>()
                                                   : std::make_unique<CBK_SwfDefineBitsJpeg3>();
            ReadPayload(*read, tag.payload);
            const auto out = dir / "out.jpg";
            const Bytes& data = read->GetJpegData();
            stravel::testing::WriteFileBytes(out, std::string(data.begin(), data.end()));
            const auto decoded = RunTool({"djpeg", "-pnm", out.string()});
            EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
            EXPECT_EQ(decoded.out.compare(0, 10, "P6\n40 30\n2"), 0);
            if (tag.code == kSwfTagDefineBitsJpeg3) {
                const auto* jpeg3 = static_cast<CBK_SwfDefineBitsJpeg3*>(read.get());
                EXPECT_EQ(InflatedSize(dir, jpeg3->GetAlphaData()), "1200\n");
            }
            ++checked;
        } else if (tag.code == kSwfTagDefineBitsLossless ||
                   tag.code == kSwfTagDefineBitsLossless2) {
            CBK_SwfDefineBitsLossless read(0);
            ReadPayload(read, tag.payload);
            EXPECT_EQ(read.GetBitmapWidth(), 40);
            EXPECT_EQ(read.GetBitmapHeight(), 30);
            const bool mappedFormat = read.GetBitmapFormat() == 3;
            const std::size_t table = mappedFormat
                                          ? (read.GetBitmapColorTableSize() + 1u) *
                                                (tag.code == kSwfTagDefineBitsLossless2 ? 4 : 3)
                                          : 0;
            const std::size_t pixels = mappedFormat ? 40 * 30 : 40 * 30 * 4;
            EXPECT_EQ(InflatedSize(dir, read.GetPayload()), std::to_string(table + pixels) + "\n");
            ++checked;
        }
    }
    EXPECT_EQ(checked, 5);

    if (stravel::testing::HaveTool("swfparser")) {
        const auto parsed = RunTool({"swfparser", "-e", swf.string()});
        EXPECT_EQ(parsed.exitCode, 0) << parsed.err;
        EXPECT_NE(parsed.out.find("DefineBitsJPEG2:\n    CharacterID: 1\n"), std::string::npos)
            << parsed.out;
    }
}

} // namespace
