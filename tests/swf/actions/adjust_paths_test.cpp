#include <gtest/gtest.h>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "swf/actions/do_action.h"
#include "tests/swf/actions/action_targets.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

Bytes Body(CBK_SwfDoAction& list, uint8_t version = 6) {
    CBK_SwfStream s(version);
    list.Write(&s, false);
    return swftest::BytesOf(s.GetStream());
}

// if (c) { push "/a"; setTarget "/t"; with (o) { push "_root" } } function f() { pool; push
// "/b" } loop: push "/c"; jump loop
void Build(CBK_SwfDoAction& list) {
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPush(L"/a"));
    list.AddAction(new CBK_SwfActionSetTarget(L"/t"));
    auto* with = new CBK_SwfActionWith(L"o");
    list.AddAction(with);
    auto* root = new CBK_SwfActionPush(L"_root");
    list.AddAction(root);
    with->SetBlockSize(static_cast<uint16_t>(root->GetSize()));
    list.AddEndIf();
    auto* f = new CBK_SwfActionDefineFunction(L"f");
    list.AddAction(f);
    auto* pool = new CBK_SwfActionConstantPool(L"_root");
    auto* b = new CBK_SwfActionPush(L"/b");
    list.AddAction(pool);
    list.AddAction(b);
    f->SetBodySize(static_cast<uint16_t>(pool->GetSize() + b->GetSize()));
    auto* c = new CBK_SwfActionPush(L"/c");
    list.AddAction(c);
    list.AddAction(new CBK_SwfActionBranchAlways(static_cast<int16_t>(-(int)c->GetSize() - 5)));
    list.AddEndIf();
}

TEST(SwfAdjustPaths, EveryTargetStaysOnItsRecord) {
    CBK_SwfDoAction list;
    Build(list);
    const auto before = swftest::TargetIndices(list.GetList());
    ASSERT_TRUE(swftest::AllTargetsOnRecords(list.GetList()));
    const Bytes original = Body(list);

    ASSERT_TRUE(list.adjustPaths(L"/clip"));
    EXPECT_EQ(swftest::TargetIndices(list.GetList()), before);
    // The If spans its grown records: push /clip/a, setTarget /clip/t, with, _root.clip.
    EXPECT_EQ(static_cast<CBK_SwfActionBranch*>(list.GetAction(0))->GetOffset(), 12 + 11 + 7 + 15);
    EXPECT_EQ(static_cast<CBK_SwfActionWith*>(list.GetAction(3))->GetBlockSize(), 15);
    EXPECT_EQ(static_cast<CBK_SwfActionDefineFunction*>(list.GetAction(5))->GetBodySize(), 16 + 12);
    EXPECT_EQ(static_cast<CBK_SwfActionBranch*>(list.GetAction(9))->GetOffset(), -(12 + 5));
    uint64_t sum = 0;
    for (std::size_t i = 0; i < list.GetActionCount(); ++i)
        sum += list.GetAction(i)->GetSize();
    EXPECT_EQ(Body(list).size(), sum + 1);

    // Read back, the prefixed list points at the same records.
    CBK_SwfDoAction read;
    const Bytes prefixed = Body(list);
    auto reader = swftest::ReaderOver(prefixed);
    read.Read(reader.get());
    EXPECT_EQ(swftest::TargetIndices(read.GetList()), before);
    EXPECT_EQ(Body(read), prefixed);

    ASSERT_TRUE(list.adjustPaths(nullptr));
    EXPECT_EQ(Body(list), original);
}

TEST(SwfAdjustPaths, RawFunctionAndTryRecordsMoveTheirSizes) {
    // DefineFunction (kept raw when read) over a Push "/x", then a Try whose try, catch and
    // finally blocks each hold one Push "/y".
    CBK_SwfDoAction source;
    auto* push = new CBK_SwfActionPush(L"/x");
    source.AddAction(new CBK_SwfActionDefineFunction(L"g"));
    static_cast<CBK_SwfActionDefineFunction*>(source.GetAction(0))
        ->SetBodySize(static_cast<uint16_t>(push->GetSize()));
    source.AddAction(push);
    // Try: flags 0, try 7, catch 7, finally 7, catch name "e".
    const Bytes tryRecord{0x8F, 0x09, 0x00, 0x00, 0x07, 0x00, 0x07, 0x00, 0x07, 0x00, 'e', 0x00};
    Bytes body = Body(source);
    body.pop_back();
    body.insert(body.end(), tryRecord.begin(), tryRecord.end());
    for (int i = 0; i < 3; ++i) {
        CBK_SwfActionPush y(L"/y");
        const Bytes one = swftest::WriteBytes(y);
        body.insert(body.end(), one.begin(), one.end());
    }
    body.push_back(0x07);
    body.push_back(0x00);

    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(body);
    list.Read(reader.get());
    ASSERT_NE(dynamic_cast<CBK_SwfActionUnknown*>(list.GetAction(0)), nullptr);
    const auto before = swftest::TargetIndices(list.GetList());
    EXPECT_EQ(before[0], (std::vector<int64_t>{2}));
    EXPECT_EQ(before[2], (std::vector<int64_t>{4, 5, 6}));

    ASSERT_TRUE(list.adjustPaths(L"/p"));
    EXPECT_EQ(swftest::TargetIndices(list.GetList()), before);
    const Bytes out = Body(list);
    EXPECT_EQ(out[out.size() - 2], 0x07);
    // The raw function's code size went from 7 to 9.
    EXPECT_EQ(out[7], 9);
}

TEST(SwfAdjustPaths, RawBranchAndWithRecordsMoveTheirTargets) {
    // An If and a With whose lengths carry a spare byte stay raw, yet players use their
    // offset and block size: both must follow the Push "/a" that grows.
    const Bytes bytes{0x9D, 0x03, 0x00, 0x0D, 0x00, 0xEE, // If +13, spare byte
                      0x94, 0x03, 0x00, 0x07, 0x00, 0xEE, // With 7, spare byte
                      0x96, 0x04, 0x00, 0x00, '/',  'a',  0x00, 0x07, 0x00};
    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(bytes);
    list.Read(reader.get());
    ASSERT_NE(dynamic_cast<CBK_SwfActionUnknown*>(list.GetAction(0)), nullptr);
    ASSERT_NE(dynamic_cast<CBK_SwfActionUnknown*>(list.GetAction(1)), nullptr);
    const auto before = swftest::TargetIndices(list.GetList());
    EXPECT_EQ(before[0], (std::vector<int64_t>{3}));
    EXPECT_EQ(before[1], (std::vector<int64_t>{3}));
    ASSERT_TRUE(list.adjustPaths(L"/pp"));
    EXPECT_EQ(swftest::TargetIndices(list.GetList()), before);
    const Bytes out = Body(list);
    EXPECT_EQ(out[3], 0x0D + 3);
    EXPECT_EQ(out[9], 0x07 + 3);
}

TEST(SwfAdjustPaths, ATargetThatNoLongerFitsLeavesEverythingAsItWas) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPush(std::wstring(32750, L'z')));
    list.AddAction(new CBK_SwfActionPush(L"/a"));
    list.AddEndIf();
    const Bytes before = Body(list);
    EXPECT_FALSE(list.adjustPaths(L"/a-rather-long-prefix"));
    EXPECT_EQ(Body(list), before);
    EXPECT_EQ(static_cast<CBK_SwfActionPush*>(list.GetAction(2))->GetPrefix(), L"");
}

TEST(SwfActionTextVersion, AListWrittenForAnotherVersionKeepsItsTargets) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPush(L"\u00E9\u00E9\u00E9"));
    list.AddAction(new CBK_SwfActionGetUrl(L"\u00FC", L"_blank"));
    list.AddEndIf();
    EXPECT_EQ(static_cast<CBK_SwfActionBranch*>(list.GetAction(0))->GetOffset(), 11 + 13);

    const Bytes v5 = Body(list, 5);
    EXPECT_EQ(static_cast<CBK_SwfActionBranch*>(list.GetAction(0))->GetOffset(), 8 + 12);
    CBK_SwfDoAction back;
    auto reader = swftest::ReaderOver(v5, 5);
    back.Read(reader.get());
    EXPECT_TRUE(swftest::AllTargetsOnRecords(back.GetList()));
    EXPECT_EQ(static_cast<CBK_SwfActionPush*>(back.GetAction(1))->GetData(0)->text,
              L"\u00E9\u00E9\u00E9");
    EXPECT_EQ(Body(back, 5), v5);

    const Bytes v6 = Body(list, 6);
    EXPECT_EQ(static_cast<CBK_SwfActionBranch*>(list.GetAction(0))->GetOffset(), 11 + 13);
    EXPECT_EQ(Body(back, 6), v6);
}

} // namespace
