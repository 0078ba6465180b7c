// Compressed movies that inflate far beyond their size, through every reader of compressed
// files: refused (or read) within a bound of processor time and heap, while movies that
// compress as well for real reasons (many empty frames, a long animation) still read.
#include <gtest/gtest.h>

#include <cstring>

#include "swf/header/swf_compressor.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/writer/swf_file_writer.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"
#include "tests/swf/reader/zlib_bombs.h"

namespace {

using namespace ravuz;
using namespace swfbomb;
namespace fs = std::filesystem;

// A record header of the long form.
Bytes LongTag(uint16_t code, uint32_t length) {
    const uint16_t word = static_cast<uint16_t>(code << 6 | 0x3F);
    return {static_cast<uint8_t>(word),         static_cast<uint8_t>(word >> 8),
            static_cast<uint8_t>(length),       static_cast<uint8_t>(length >> 8),
            static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
}

const Bytes kShowFrame{0x40, 0x00}, kEnd{0x00, 0x00}, kZero{0x00}, kNothing{}, kPlay{0x06};
// A text record of 127 glyphs, which take no bits when the text gives their fields none.
const Bytes kFullGlyphs{0x7F};
// Eight straight edges of 11 bits each (2-bit steps) in 11 bytes.
const Bytes kEdges{0xC2, 0xB8, 0x57, 0x0A, 0xE1, 0x5C, 0x2B, 0x85, 0x70, 0xAE, 0x15};

enum Fate {
    kRefused, // inflates too far: refused by the readers and the decompressor
    kTooMany, // inflates, but holds too many objects: refused by the readers
    kRead,
};

struct Bomb {
    const char* name;
    Bytes head; // after the 8 bytes of signature, version and length
    Bytes unit;
    uint64_t count;
    Bytes tail;
    bool statesTheTruth; // else the header states 4 GiB
    Fate fate;
    std::size_t tags = 0; // read by the whole-file reader
    std::size_t maxHeap = 100 * MiB;
};

uint64_t BodySize(const Bomb& b) {
    return b.head.size() + b.unit.size() * b.count + b.tail.size();
}

// The whole-file reader: the tags, or the refusal.
bool WholeFileAsExpected(const fs::path& path, const Bomb& b) {
    CBK_SwfReader reader;
    const bool opened = reader.Open(CBK_Path(path.wstring()), true, 0, true);
    const std::size_t tags = reader.GetTags().size();
    reader.Destroy(true);
    if (b.fate != kRead)
        return !opened && tags == 0 && reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY;
    return opened && tags == b.tags;
}

// The streaming reader, tag by tag, each freed at once.
bool StreamingAsExpected(const fs::path& path, const Bomb& b) {
    CBK_SwfFileReader reader;
    if (!reader.Open(CBK_Path(path.wstring()), true))
        return b.fate != kRead && reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY;
    std::size_t tags = 0;
    for (bool end = false; !end; ++tags) {
        CBK_SwfTag* tag = reader.ReadTag();
        end = tag->GetTagId() == kSwfTagEnd;
        delete tag;
    }
    if (b.fate != kRead)
        return reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY;
    return reader.GetLastError() == 0 && tags == b.tags;
}

// Both readers, each in a child held to four seconds of processor time and the bomb's heap.
void ExpectBothReaders(const fs::path& path, const Bomb& b) {
    for (auto [reader, asExpected] : {std::pair{"whole file", &WholeFileAsExpected},
                                      std::pair{"tag by tag", &StreamingAsExpected}})
        EXPECT_TRUE(
            stravel::testing::FinishesWithin(4, b.maxHeap, [&] { return asExpected(path, b); }))
            << b.name << ": " << reader;
}

// The decompressor writes out no more than the readers would read.
bool DecompressesAsExpected(const fs::path& path, const Bomb& b) {
    const fs::path out = path.string() + ".fws";
    const bool done =
        CBK_SwfCompressor::DecompressSwf(CBK_Path(path.wstring()), CBK_Path(out.wstring()), true);
    const bool fits =
        done == (b.fate != kRefused) && (!done || fs::file_size(out) == 8 + BodySize(b));
    fs::remove(out);
    return fits;
}

// The bytes the file's zlib stream inflates to, by python3's zlib, without holding them.
std::string InflatedSize(const fs::path& path) {
    const auto run =
        stravel::testing::RunTool({"python3", "-c",
                                   "import sys, zlib\n"
                                   "d, n = zlib.decompressobj(), 0\n"
                                   "with open(sys.argv[1], 'rb') as f:\n"
                                   "    f.seek(8)\n"
                                   "    for c in iter(lambda: f.read(1 << 16), b''):\n"
                                   "        n += len(d.decompress(c))\n"
                                   "        while d.unconsumed_tail:\n"
                                   "            n += len(d.decompress(d.unconsumed_tail))\n"
                                   "print(n, d.eof)\n",
                                   path.string()});
    return run.out;
}

TEST(CompressionBombTest, RefusedOrReadWithinTimeAndMemory) {
    STRAVEL_REQUIRE_TOOL("python3");
    const Bytes movie = HeaderFields(1);
    const Bytes bitsLossless = LongTag(kSwfTagDefineBitsLossless, 64 * MiB);
    // One tag of 15 MiB holding objects of a few bits: edges, actions, glyphs of no bits.
    const uint32_t n = 15 * MiB;
    const Bytes shape = LongTag(kSwfTagDefineShape, n + 7) + Bytes{1, 0, 0, 0, 0, 0};
    const Bytes actions = LongTag(kSwfTagDoAction, n + 1);
    const Bytes text = LongTag(kSwfTagDefineText, n + 7) + Bytes{1, 0, 0, 0, 0, 0};
    const Bytes edgesEnd = Bytes(n % 11 + 1, 0) + kEnd;
    // clang-format off
    const std::vector<Bomb> bombs = {
        // name                              head                     unit        count           tail      true?  fate
        {"ShowFrame flood past the floor",   movie,                   kShowFrame, 8 * MiB,        kEnd,     true,  kRefused},
        {"ShowFrame flood within the floor", movie,                   kShowFrame, 8 * MiB - 4096, kEnd,     true,  kTooMany},
        {"256 MiB of ShowFrame",             movie,                   kShowFrame, 128 * MiB,      kEnd,     true,  kRefused},
        {"4 GiB stated, 64 MiB of zeros",    movie + kShowFrame,      kZero,      64 * MiB,       kNothing, false, kRefused},
        {"64 MiB after End",                 movie + kShowFrame + kEnd, kZero,    64 * MiB,       kNothing, true,  kRefused},
        {"one tag of 64 MiB",                movie + bitsLossless,    kZero,      64 * MiB,       kNothing, true,  kRefused},
        {"a shape of 11 million edges",      movie + shape,           kEdges,     n / 11,         edgesEnd, true,  kTooMany},
        {"15 million actions",               movie + actions,         kPlay,      n,              kZero + kEnd, true, kTooMany},
        {"2 billion glyphs of no bits",      movie + text,            kFullGlyphs, n,             kZero + kEnd, true, kTooMany},
        // What follows End is kept, and not a second time beside the inflated movie.
        {"12 MiB after End",                 movie + kShowFrame + kEnd, kZero,    12 * MiB,       kNothing, true,  kRead, 2, 18 * MiB},
        {"4 GiB stated over a real movie",   movie,                   kShowFrame, 3,              kEnd,     false, kRead, 4},
        // Legal, and compressed as well as zlib can.
        {"65,535 empty frames",              HeaderFields(65535),     kShowFrame, 65535,          kEnd,     true,  kRead, 65536},
    };
    // clang-format on
    stravel::testing::TempDir dir;
    for (const Bomb& bomb : bombs) {
        const fs::path path = dir / "bomb.swf";
        const Bytes file =
            CompressedMovie(bomb.head, bomb.unit, bomb.count, bomb.tail, bomb.statesTheTruth);
        stravel::testing::WriteFileBytes(path, std::string(file.begin(), file.end()));
        EXPECT_EQ(InflatedSize(path), std::to_string(BodySize(bomb)) + " True\n") << bomb.name;
        ExpectBothReaders(path, bomb);
        EXPECT_TRUE(DecompressesAsExpected(path, bomb)) << bomb.name;
    }
}

// A long animation as our writer makes it, compressed by our compressor: a shape moved a step
// in each of 65,535 frames, which compresses some 20:1.
TEST(CompressionBombTest, LongAnimationStillReads) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    stravel::testing::TempDir dir;
    const fs::path plain = dir / "animation.swf", packed = dir / "animation.cws";
    CBK_SwfFileWriter writer;
    writer.Create(6400, 4800, 24.0f, 6);
    ASSERT_TRUE(writer.Open(CBK_Path(plain.wstring()), true));
    for (int frame = 0; frame < 65535; ++frame) {
        auto* place = new CBK_SwfPlaceObject2;
        place->SetDepth(1);
        if (frame == 0)
            place->SetCharacterId(1);
        place->SetMove(frame > 0);
        auto* matrix = new CBK_SwfMatrix;
        matrix->SetTranslation(frame % 6400, (frame * 7) % 4800);
        place->SetMatrix(matrix);
        writer.Add(place);
        writer.Add(new CBK_SwfShowFrame);
    }
    writer.Add(new CBK_SwfEnd);
    ASSERT_GT(writer.Close(), 0u);
    ASSERT_TRUE(CBK_SwfCompressor::CompressSwf(CBK_Path(plain.wstring()),
                                               CBK_Path(packed.wstring()), true));
    const Bomb animation{"long animation", {}, {}, 0, {}, true, kRead, 2 * 65535 + 1};
    ExpectBothReaders(packed, animation);
    // An outside parser reads as many frames and tags from the compressed file.
    const auto parsed = stravel::testing::RunTool({"swfparser", packed.string()});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
    EXPECT_NE(parsed.out.find("Signature='CWS'"), std::string::npos) << parsed.out;
    EXPECT_NE(parsed.out.find("FrameCount=65535"), std::string::npos) << parsed.out;
    // It leaves End out of its count.
    EXPECT_NE(parsed.out.find("Tags count: " + std::to_string(animation.tags - 1)),
              std::string::npos)
        << parsed.out;
}

} // namespace
