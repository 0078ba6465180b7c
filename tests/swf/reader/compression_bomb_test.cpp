// Movies that compress past any ratio or hold a million objects and more, and floods of the
// cheapest objects a movie can hold, through both readers and the decompressor: each read
// whole or refused within the memory its file's size allows (CBK_SwfReadBudget) and a bound
// of processor time, and the plausible ones read as outside tools read them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "swf/header/swf_compressor.h"
#include "swf/stream/read_budget.h"
#include "swf/stream/swf_file_reader.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"
#include "tests/swf/reader/plausible_movies.h"
#include "tests/swf/reader/zlib_bombs.h"

namespace {

using namespace ravuz;
using swfbomb::Bytes;
using swfbomb::operator+;
namespace fs = std::filesystem;

enum Fate {
    kRead,    // by both readers, whoever keeps the tags
    kRefused, // by the whole-file reader and by a caller that keeps every tag; one that frees
              // each reads on, but makes no more than one and a half times the bound
    kFreed,   // refused as above, but read whole by a caller that frees each tag
};

struct Case {
    const char* name;
    Bytes file;
    Fate fate;
    long tags = 0;        // read: End included
    long frames = 0;      // read: swfparser reads as many tags and frames; 0: not asked of it
    std::size_t heap = 0; // the most heap a reading may hold; 0: HeapBound's
};

// The bytes the movie's zlib stream inflates to, by python3's zlib, without holding them.
uint64_t InflatedSize(const fs::path& path) {
    const auto run = stravel::testing::RunTool(
        {"python3", "-c", std::string(swfmovies::kPythonInflateAll) + "print(n if d.eof else -1)\n",
         path.string()});
    return std::stoull(run.out);
}

// The whole-file reader: the tags, or -1 for a refusal for lack of memory.
long WholeFile(const fs::path& path) {
    CBK_SwfReader reader;
    const bool read = reader.Open(CBK_Path(path.wstring()), true, 0, true);
    const long tags = long(reader.GetTags().size());
    reader.Destroy(true);
    if (!read)
        return reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY && tags == 0 ? -1 : -2;
    return tags;
}

// The streaming reader, each tag freed at once or all kept: the tags, or -1 for a refusal.
long TagByTag(const fs::path& path, bool keep) {
    CBK_SwfFileReader reader;
    std::vector<std::unique_ptr<CBK_SwfTag>> kept;
    if (!reader.Open(CBK_Path(path.wstring()), true))
        return reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY ? -1 : -2;
    long tags = 0;
    for (bool end = false; !end; ++tags) {
        std::unique_ptr<CBK_SwfTag> tag(reader.ReadTag());
        end = tag->GetTagId() == kSwfTagEnd;
        if (keep)
            kept.push_back(std::move(tag));
    }
    if (reader.GetLastError() != 0)
        return reader.GetLastError() == CBK_SwfReader::ERROR_NO_MEMORY ? -1 : -2;
    return tags;
}

// The heap a reading may hold: the bound less what the inflated bytes take, which come from
// mappings of their own that the meter does not see; the readers' own few buffers besides.
std::size_t HeapBound(std::size_t fileBytes, uint64_t inflated) {
    constexpr std::size_t kBuffers = 8 << 20;
    const uint64_t mapped = inflated >= (2u << 20) ? inflated : 0;
    return std::size_t(CBK_SwfReadBudget::LimitFor(fileBytes) - mapped) + kBuffers;
}

void Check(const Case& c, const fs::path& dir) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / "movie.swf";
    stravel::testing::WriteFileBytes(path, std::string(c.file.begin(), c.file.end()));
    const uint64_t inflated = InflatedSize(path);
    const std::size_t heap = c.heap ? c.heap : HeapBound(c.file.size(), inflated);
    constexpr int kSeconds = 12; // under the sanitizers, some ten times what a release takes
    const long whole = c.fate == kRead ? c.tags : -1;
    const long freed = c.fate == kRefused ? -1 : c.tags;
    EXPECT_TRUE(stravel::testing::FinishesWithin(kSeconds, heap, [&] {
        return WholeFile(path) == whole;
    })) << "whole file";
    // Kept whole, tags count as the whole-file reader counts them (floods and a million tags
    // are left to that reader).
    if (c.fate == kFreed || (c.fate == kRead && c.tags <= 100000)) {
        EXPECT_TRUE(stravel::testing::FinishesWithin(kSeconds, heap, [&] {
            return TagByTag(path, true) == whole;
        })) << "tag by tag, all kept";
    }
    // Freed at once, tags count no longer, but all the tags made count towards one and a half
    // times the bound.
    EXPECT_TRUE(stravel::testing::FinishesWithin(kSeconds, heap, [&] {
        return TagByTag(path, false) == freed;
    })) << "tag by tag, each freed";
    // The decompressor writes out every byte python3's zlib inflates, and no error.
    const fs::path plain = dir / "plain.swf";
    gBK_SwfCompressor_LastError = 0;
    EXPECT_TRUE(CBK_SwfCompressor::DecompressSwf(CBK_Path(path.wstring()),
                                                 CBK_Path(plain.wstring()), true));
    EXPECT_EQ(CBK_SwfCompressor::GetLastError(), 0);
    EXPECT_EQ(fs::exists(plain) ? fs::file_size(plain) : 0, 8 + inflated);
    fs::remove(plain);
    if (c.fate != kRead || c.tags > 100000 || c.frames == 0)
        return; // a flood, more than swfparser reads in a few seconds, or a length it refuses
    const auto parsed = stravel::testing::RunTool({"swfparser", path.string()});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
    EXPECT_NE(parsed.out.find("FrameCount=" + std::to_string(c.frames) + ")"), std::string::npos)
        << parsed.out.substr(0, 400);
    // It leaves End out of its count.
    EXPECT_NE(parsed.out.find("Tags count: " + std::to_string(c.tags - 1)), std::string::npos)
        << parsed.out.substr(0, 400);
}

const swfbomb::FloodKind& KindOf(const char* name) {
    for (const swfbomb::FloodKind& k : swfbomb::FloodKinds())
        if (std::string(k.name) == name)
            return k;
    throw std::invalid_argument(name);
}

// A flood of the kind that inflates to `inflated` bytes.
Bytes Flood(const char* kind, uint64_t inflated) {
    return swfbomb::FloodMovie(KindOf(kind), swfbomb::UnitsFor(KindOf(kind), inflated));
}

TEST(CompressionBombTest, PlausibleMoviesReadAndFloodsRefusedWithinTheBound) {
    STRAVEL_REQUIRE_TOOL("python3");
    STRAVEL_REQUIRE_TOOL("swfparser");
    using namespace swfmovies;
    constexpr uint64_t MiB = 1 << 20;
    // clang-format off
    const std::vector<Case> cases = {
        // Movies as tools make them, which compress past 100:1 or hold a million tags.
        {"timeline of 65,535 frames, 16 moves a frame", Timeline(65535, 16), kRead, 16 + 65535 * 17 + 1},
        {"20 minutes of MP3 silence",    Mp3Silence(20),       kRead, 28802, 14400},
        {"10 minutes of PCM silence",    PcmSilence(10),       kRead, 14402, 7200},
        {"two flat 2048 x 2048 bitmaps", FlatBitmaps(2, 2048), kRead, 4,     1},
        {"a font of 65,535 glyphs",      Font(48, 65535),      kRead, 3,     1},
        {"a script of 20,000 entries",   ScriptTable(20000),   kRead, 3,     1},
        // What follows End is kept as a share of the inflated bytes, not copied to the heap.
        {"12 MiB after End", swfbomb::CompressedMovie(swfbomb::HeaderFields(1) + Bytes{0x40, 0, 0, 0},
                                                      {0}, 12 * MiB, {}, true), kRead, 2, 1, 4 * MiB},
        // A stated length the stream does not bear out costs nothing (swfparser refuses it).
        {"4 GiB stated over a real movie", swfbomb::CompressedMovie(swfbomb::HeaderFields(3),
                                                                    {0x40, 0}, 3, {0, 0}, false),
         kRead, 4, 0, 4 * MiB},
        // Floods of the cheapest objects, 10 to 200 bytes of heap each for each byte.
        {"16 MiB of ShowFrame tags",        Flood("ShowFrame tags", 16 * MiB),         kRefused},
        {"16 MiB of Push records",          Flood("Push records of a null", 16 * MiB), kRefused},
        {"16 MiB of constant pool strings", Flood("constant pool strings", 16 * MiB),  kRefused},
        {"16 MiB of gradient fills",        Flood("gradient fill styles", 16 * MiB),   kRefused},
        // Fifteen tags of 65,535 gradients, some 1.3 times the bound in all and a fifteenth
        // each.
        {"15 tags of gradient fills", swfbomb::FloodMovie(KindOf("gradient fill styles"), 15),
         kFreed, 16},
        {"16 MiB of button conditions",     Flood("button conditions", 16 * MiB),      kRefused},
        {"16 MiB of shape edges",           Flood("shape edges", 16 * MiB),            kRefused},
        {"16 MiB of glyphs of no bits",     Flood("text glyphs of no bits", 16 * MiB), kRefused},
    };
    // clang-format on
    stravel::testing::TempDir dir;
    for (const Case& c : cases)
        Check(c, dir.Path());
}

} // namespace
