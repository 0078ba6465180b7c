// Action lists of many branches that each reach as far as an offset can, plain and compressed,
// through both file readers: read within a bound of processor time and heap, every branch
// spanning what its offset covers, and written back byte for byte.
#include <gtest/gtest.h>

#include "core/paths/path.h"
#include "swf/actions/do_action.h"
#include "swf/stream/swf_file_reader.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"
#include "tests/swf/reader/zlib_bombs.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using namespace swfbomb;
namespace fs = std::filesystem;

constexpr uint64_t kUnits = 100000;

struct Case {
    const char* name;
    Bytes unit;         // repeated kUnits times: a branch and a one-byte Play, in either order
    std::size_t branch; // the index of the branch whose span is checked
    std::size_t first;  // the index of the first record it spans, and their count
    std::size_t count;
};

// A branch and a Play take 6 bytes, so that 32,767 bytes are 5,461 pairs and one record.
const Case kCases[] = {
    // The If at index 0 jumps over 32,767 bytes: a Play, then 5,461 pairs of If and Play.
    {"forward Ifs", {0x9D, 0x02, 0x00, 0xFF, 0x7F, 0x06}, 0, 1, 2 * 5461 + 1},
    // The last Jump goes back 32,768 bytes: 5,461 pairs of itself and a Play, then a Jump.
    {"backward Jumps",
     {0x06, 0x99, 0x02, 0x00, 0x00, 0x80},
     2 * kUnits - 1,
     2 * kUnits - 1,
     2 * 5461 + 1},
};

Bytes DoActionTag(const Case& c) {
    const uint32_t length = static_cast<uint32_t>(c.unit.size() * kUnits + 1);
    Bytes tag{0x3F, 0x03, uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), 0};
    for (uint64_t i = 0; i < kUnits; ++i)
        tag.insert(tag.end(), c.unit.begin(), c.unit.end());
    tag.push_back(0);
    return tag;
}

// The branch's span as the case counts it, and the list written back as it came.
bool ReadAsExpected(CBK_SwfTag* tag, const Case& c, const Bytes& expected) {
    auto* list = dynamic_cast<CBK_SwfDoAction*>(tag);
    if (!list || list->GetActionCount() != 2 * kUnits)
        return false;
    const CBK_SwfActionBranch* branch = list->GetAction(c.branch)->AsBranch();
    if (!branch || branch->GetBranchActions().size() != c.count)
        return false;
    const bool backward = branch->GetOffset() < 0;
    for (std::size_t k : {std::size_t(0), c.count - 1}) {
        const std::size_t index = backward ? c.first - k : c.first + k;
        if (branch->GetBranchActions()[k] != list->GetAction(index))
            return false;
    }
    return swftest::WriteBytes(*list) == expected;
}

bool WholeFile(const fs::path& path, const Case& c, const Bytes& expected) {
    CBK_SwfReader reader;
    if (!reader.Open(CBK_Path(path.wstring()), true, 0, true) || reader.GetTags().size() != 3)
        return false;
    const bool ok = ReadAsExpected(reader.GetTags()[0], c, expected);
    reader.Destroy(true);
    return ok;
}

bool TagByTag(const fs::path& path, const Case& c, const Bytes& expected) {
    CBK_SwfFileReader reader;
    if (!reader.Open(CBK_Path(path.wstring()), true))
        return false;
    std::unique_ptr<CBK_SwfTag> tag(reader.ReadTag());
    return ReadAsExpected(tag.get(), c, expected) && reader.GetLastError() == 0;
}

TEST(SwfLongBranches, ReadWithinTimeAndMemoryAndWrittenBackAsTheyCame) {
    stravel::testing::TempDir dir;
    const fs::path path = dir / "branches.swf";
    const Bytes showFrameEnd{0x40, 0x00, 0x00, 0x00};
    for (const Case& c : kCases) {
        const Bytes tag = DoActionTag(c);
        const Bytes head = HeaderFields(1) + Bytes(tag.begin(), tag.begin() + 6);
        const Bytes tail = Bytes{0x00} + showFrameEnd;
        const Bytes body = head + Bytes(tag.begin() + 6, tag.end() - 1) + tail;
        const Bytes plain = [&] {
            const auto length = static_cast<uint32_t>(8 + body.size());
            Bytes file{'F', 'W', 'S', 6};
            for (int i = 0; i < 4; ++i)
                file.push_back(static_cast<uint8_t>(length >> (8 * i)));
            return file + body;
        }();
        const Bytes packed = CompressedMovie(head, c.unit, kUnits, tail, true);
        ASSERT_LT(packed.size(), 4000u) << c.name;
        for (const Bytes* file : {&plain, &packed}) {
            stravel::testing::WriteFileBytes(path, std::string(file->begin(), file->end()));
            for (auto [reader, read] :
                 {std::pair{"whole file", &WholeFile}, std::pair{"tag by tag", &TagByTag}})
                EXPECT_TRUE(stravel::testing::FinishesWithin(1, 40 * MiB,
                                                             [&] { return read(path, c, tag); }))
                    << c.name << (file == &plain ? ", plain, " : ", compressed, ") << reader;
        }
    }
}

// A builder's script of ten blocks, each an If over 5,000 small ifs: closing each branch
// attaches what changed, not every span of the list again.
TEST(SwfLongBranches, ABuilderClosingManyBranchesTakesTimeInProportion) {
    constexpr int kBlocks = 10, kInner = 5000;
    const Bytes outer{0x9D, 0x02, 0x00, uint8_t(kInner * 6), uint8_t(kInner * 6 >> 8)};
    const Bytes inner{0x9D, 0x02, 0x00, 0x01, 0x00, 0x06};
    Bytes expected;
    for (int b = 0; b < kBlocks; ++b) {
        expected.insert(expected.end(), outer.begin(), outer.end());
        for (int i = 0; i < kInner; ++i)
            expected.insert(expected.end(), inner.begin(), inner.end());
    }
    expected.push_back(0);
    EXPECT_TRUE(stravel::testing::FinishesWithin(1, 64 * MiB, [&] {
        CBK_SwfDoAction list;
        for (int b = 0; b < kBlocks; ++b) {
            list.AddAction(new CBK_SwfActionBranchIfTrue(0));
            for (int i = 0; i < kInner; ++i) {
                list.AddAction(new CBK_SwfActionBranchIfTrue(0));
                list.AddAction(new CBK_SwfActionPlay);
                list.AddEndIf();
            }
            list.AddEndIf();
        }
        const CBK_SwfActionBranch* last =
            list.GetAction(list.GetActionCount() - 2 * kInner - 1)->AsBranch();
        CBK_SwfStream body(6);
        list.Write(&body, false);
        return last && last->GetBranchActions().size() == 2 * kInner &&
               swftest::BytesOf(body.GetStream()) == expected;
    }));
}

} // namespace
