#include <gtest/gtest.h>

#include <memory>

#include "core/paths/path.h"
#include "swf/actions/action_branch.h"
#include "swf/actions/action_frame.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/do_action.h"
#include "swf/buttons/define_button.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/place_object.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"
#include "tests/swf/writer/movie_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

int32_t OffsetOf(const CBK_SwfDoAction& list, std::size_t index) {
    auto* branch = dynamic_cast<CBK_SwfActionBranch*>(list.GetAction(index));
    return branch ? branch->GetWrittenOffset() : INT32_MIN;
}

Bytes Body(CBK_SwfDoAction& list, uint8_t version = 6) {
    CBK_SwfStream s(version);
    list.Write(&s, false);
    return swftest::BytesOf(s.GetStream());
}

TEST(SwfDoActionBranches, AnIfSpansTheRecordsUpToItsEnd) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list.AddAction(new CBK_SwfActionPlay), 1u);
    list.AddEndIf();
    EXPECT_EQ(OffsetOf(list, 0), 3);
    auto* branch = dynamic_cast<CBK_SwfActionBranch*>(list.GetAction(0));
    EXPECT_EQ(branch->GetBranchActions().size(), 3u);
    EXPECT_EQ(Body(list), (Bytes{0x9D, 0x02, 0x00, 0x03, 0x00, 0x06, 0x06, 0x06, 0x00}));
}

TEST(SwfDoActionBranches, IfElseOffsetsFollowTheProtocol) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0)); // else part follows
    list.AddAction(new CBK_SwfActionPlay);
    list.AddAction(new CBK_SwfActionBranchAlways(0)); // then part follows
    list.AddAction(new CBK_SwfActionStop);
    list.AddAction(new CBK_SwfActionStop);
    list.AddEndIf();
    list.AddEndIf();
    EXPECT_EQ(OffsetOf(list, 0), 6);
    EXPECT_EQ(OffsetOf(list, 2), 2);
}

TEST(SwfDoActionBranches, EveryEnclosingOpenBranchGrows) {
    // if (a) { b; if (c) { d; e; } f; }
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPlay);
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionStop);
    list.AddAction(new CBK_SwfActionStop);
    list.AddEndIf();
    list.AddAction(new CBK_SwfActionPlay);
    list.AddEndIf();
    EXPECT_EQ(OffsetOf(list, 2), 2);
    EXPECT_EQ(OffsetOf(list, 0), 1 + 5 + 2 + 1);
}

TEST(SwfDoActionBranches, NestedIfElseInBothParts) {
    // If1 { else: If2 { x } } Jump1 { then: If3 { else: y } Jump3 { then: z } }
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0)); // 0: If1
    list.AddAction(new CBK_SwfActionBranchIfTrue(0)); // 1: If2
    list.AddAction(new CBK_SwfActionPlay);            // 2
    list.AddEndIf();                                  // closes If2
    list.AddAction(new CBK_SwfActionBranchAlways(0)); // 3: Jump1
    list.AddAction(new CBK_SwfActionBranchIfTrue(0)); // 4: If3
    list.AddAction(new CBK_SwfActionStop);            // 5
    list.AddAction(new CBK_SwfActionBranchAlways(0)); // 6: Jump3
    list.AddAction(new CBK_SwfActionPlay);            // 7
    list.AddEndIf();                                  // Jump3
    list.AddEndIf();                                  // If3
    list.AddEndIf();                                  // Jump1
    list.AddEndIf();                                  // If1
    EXPECT_EQ(OffsetOf(list, 1), 1);
    EXPECT_EQ(OffsetOf(list, 0), 5 + 1 + 5); // If2, x and the Jump1
    EXPECT_EQ(OffsetOf(list, 6), 1);
    EXPECT_EQ(OffsetOf(list, 4), 1 + 5);
    EXPECT_EQ(OffsetOf(list, 3), 5 + 1 + 5 + 1);
    EXPECT_EQ(list.GetOpenBranchCount(), 0u);
}

TEST(SwfDoActionBranches, PresetOffsetsAndBackwardJumps) {
    CBK_SwfDoAction list;
    list.TrackBranches(false, false);
    list.AddAction(new CBK_SwfActionBranchAlways(-5)); // a loop onto itself
    list.AddAction(new CBK_SwfActionPlay);
    list.TrackBranches(true, false);
    EXPECT_EQ(list.GetOpenBranchCount(), 0u);
    list.AddEndIf(); // nothing open: only the spans are recomputed
    auto* jump = dynamic_cast<CBK_SwfActionBranch*>(list.GetAction(0));
    ASSERT_EQ(jump->GetBranchActions().size(), 1u);
    EXPECT_EQ(jump->GetBranchActions()[0], jump);
    EXPECT_EQ(OffsetOf(list, 0), -5);
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.TrackBranches(true, true);
    EXPECT_EQ(list.GetOpenBranchCount(), 0u);
}

TEST(SwfDoActionBranches, ABranchBeyond32KiBIsRefusedAndTheListKept) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPlay);
    const Bytes before = Body(list);
    EXPECT_EQ(list.AddAction(new CBK_SwfActionPush(std::wstring(40000, L'a'))), 0u);
    EXPECT_EQ(list.GetActionCount(), 2u);
    EXPECT_EQ(OffsetOf(list, 0), 1);
    EXPECT_EQ(Body(list), before);
    // Up to the limit still fits: 32,761 + 3 + 3 bytes of Push after the Play.
    EXPECT_EQ(list.AddAction(new CBK_SwfActionPush(std::wstring(32761, L'a'))), 32766u);
    EXPECT_EQ(OffsetOf(list, 0), INT16_MAX);
    EXPECT_EQ(list.AddAction(new CBK_SwfActionPlay), 0u);
}

using swfmovie::UnencodableScript;

TEST(SwfDoActionBranches, AListWhoseSpanOutgrowsTheOffsetIsNotWritten) {
    std::unique_ptr<CBK_SwfDoAction> list(UnencodableScript());
    EXPECT_EQ(OffsetOf(*list, 0), 3 + 2 * (20000 + 2));
    CBK_SwfStream s(6);
    EXPECT_EQ(list->Write(&s), 0u);
    EXPECT_EQ(list->Write(&s, false), 0u);
    // Nor are the tags that hold such a list: all or nothing.
    CBK_SwfDefineButton button;
    button.AddActionRecord(UnencodableScript());
    EXPECT_EQ(button.Write(&s), 0u);
    CBK_SwfDefineButton2 button2;
    button2.AddAction(1, UnencodableScript());
    EXPECT_EQ(button2.Write(&s), 0u);
    CBK_SwfPlaceObject2 place;
    auto* clip = new CBK_SwfClipAction(1);
    clip->SetDoAction(UnencodableScript());
    place.AddClipAction(clip);
    EXPECT_EQ(place.Write(&s), 0u);
    EXPECT_EQ(s.GetRealSize(), 0u);
}

TEST(SwfDoActionWrite, HeadersAndEndBytes) {
    CBK_SwfDoAction empty;
    CBK_SwfStream s(6);
    EXPECT_EQ(empty.Write(&s), 0u);
    EXPECT_EQ(s.GetByteCount(), 0u);
    // Lists without a header always end with their end byte.
    EXPECT_EQ(empty.Write(&s, false), 1u);
    empty.SetHeaderSuppressed(true);
    EXPECT_EQ(empty.Write(&s), 1u);
    EXPECT_EQ(s.GetStream(), (Bytes{0, 0}));

    CBK_SwfDoAction two;
    two.AddAction(new CBK_SwfActionStop);
    two.AddAction(new CBK_SwfActionPlay);
    EXPECT_EQ(swftest::WriteBytes(two), (Bytes{0x3F, 0x03, 3, 0, 0, 0, 0x07, 0x06, 0x00}));

    CBK_SwfDoInitAction init(0x0102);
    EXPECT_EQ(swftest::WriteBytes(init), (Bytes{0xFF, 0x0E, 3, 0, 0, 0, 0x02, 0x01, 0x00}));
    init.AddAction(new CBK_SwfActionStop);
    init.OffsetInfo(-0x0200, 5, 5);
    EXPECT_EQ(init.GetSpriteId(), 0);
    EXPECT_EQ(swftest::WriteBytes(init), (Bytes{0xFF, 0x0E, 4, 0, 0, 0, 0, 0, 0x07, 0x00}));
}

TEST(SwfDoActionRead, ReadsUpToTheEndByteAndKeepsTheRestOfTheTag) {
    // Stop, GotoFrame 3, an If over one record, end; then bytes after the end byte.
    const Bytes bytes{0x07, 0x81, 0x02, 0x00, 0x03, 0x00, 0x9D, 0x02,
                      0x00, 0x01, 0x00, 0x06, 0x00, 0xAA, 0xBB};
    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(bytes);
    EXPECT_EQ(list.Read(reader.get()), 13u);
    ASSERT_EQ(list.GetActionCount(), 4u);
    EXPECT_NE(dynamic_cast<CBK_SwfActionGotoFrame*>(list.GetAction(1)), nullptr);
    auto* branch = dynamic_cast<CBK_SwfActionBranch*>(list.GetAction(2));
    ASSERT_NE(branch, nullptr);
    EXPECT_EQ(branch->GetBranchActions().size(), 1u);
    EXPECT_EQ(Body(list), Bytes(bytes.begin(), bytes.begin() + 13));
}

TEST(SwfDoActionRead, AListWithoutEndByteStopsAtTheEndOfItsTag) {
    const Bytes bytes{0x07, 0x06, 0x07, 0x06};
    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(bytes);
    reader->SetCurrentTagLength(2);
    EXPECT_EQ(list.Read(reader.get()), 2u);
    EXPECT_EQ(list.GetActionCount(), 2u);

    // A record that runs out of its list is not part of it; its bytes stay unread, for the
    // tag to keep as they are.
    CBK_SwfDoAction cut;
    auto r2 = swftest::ReaderOver({0x07, 0x96, 0x05, 0x00, 0x00, 'a', 0x00, 0x00});
    r2->SetCurrentTagLength(4);
    EXPECT_EQ(cut.Read(r2.get()), 1u);
    EXPECT_EQ(cut.GetActionCount(), 1u);
}

TEST(SwfDoActionRead, RecordsWhoseLengthDisagreesAreKeptAsRawBytes) {
    const Bytes bytes{0x9D, 0x03, 0x00, 0x05, 0x00, 0xFF, // If with a spare byte
                      0x96, 0x02, 0x00, 0x00, 0x07,       // Push whose string runs past its length
                      0x06,                               // Play, where players go on
                      0x88, 0x08, 0x00, 0x03, 0x00, 'x',
                      0x00, 0x00, 0x00, 0x00, 0x00, // pool, wrong count
                      0x96, 0x01, 0x00, 0x0A,       // Push with an unknown value type
                      0x07, 0x00};
    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(bytes);
    EXPECT_EQ(list.Read(reader.get()), bytes.size());
    ASSERT_EQ(list.GetActionCount(), 6u);
    for (std::size_t i : {0, 1, 3})
        EXPECT_NE(dynamic_cast<CBK_SwfActionUnknown*>(list.GetAction(i)), nullptr) << i;
    auto* push = dynamic_cast<CBK_SwfActionPush*>(list.GetAction(4));
    ASSERT_NE(push, nullptr);
    EXPECT_EQ(push->GetData(0)->type, 0x0A);
    EXPECT_EQ(Body(list), bytes);
}

TEST(SwfDoActionRead, GotoFrame2KeepsAZeroByteThatItsLengthCovers) {
    const Bytes bytes{0x9F, 0x02, 0x00, 0x01, 0x00, 0x07, 0x00};
    CBK_SwfDoAction list;
    auto reader = swftest::ReaderOver(bytes);
    list.Read(reader.get());
    ASSERT_EQ(list.GetActionCount(), 2u);
    auto* goto2 = dynamic_cast<CBK_SwfActionGotoFrame2*>(list.GetAction(0));
    ASSERT_NE(goto2, nullptr);
    EXPECT_TRUE(goto2->HasExtraByte());
    EXPECT_EQ(Body(list), bytes);

    // As the list's last record, the zero byte is the list's end.
    const Bytes last{0x9F, 0x01, 0x00, 0x01, 0x00};
    CBK_SwfDoAction tail;
    auto r2 = swftest::ReaderOver(last);
    tail.Read(r2.get());
    ASSERT_EQ(tail.GetActionCount(), 1u);
    EXPECT_FALSE(dynamic_cast<CBK_SwfActionGotoFrame2*>(tail.GetAction(0))->HasExtraByte());
    EXPECT_EQ(Body(tail), last);

    // A zero that the length does not cover ends the list, as players read it.
    const Bytes stray{0x9F, 0x01, 0x00, 0x01, 0x00, 0x07, 0x00};
    CBK_SwfDoAction cut;
    auto r3 = swftest::ReaderOver(stray);
    EXPECT_EQ(cut.Read(r3.get()), 5u);
    EXPECT_EQ(cut.GetActionCount(), 1u);

    // Copies keep the byte.
    CBK_SwfDoAction copy;
    copy = list;
    EXPECT_EQ(Body(copy), bytes);

    // Without the fix-up (button lists), the record stays raw but its bytes are kept.
    CBK_SwfDoAction button;
    button.SetGotoFrame2Fixup(false);
    auto r4 = swftest::ReaderOver(bytes);
    button.Read(r4.get());
    EXPECT_EQ(Body(button), bytes);
}

TEST(SwfDoActionRead, TheGotoFrame2FixupWorksStraightFromAFile) {
    const Bytes bytes{0x07, 0x9F, 0x02, 0x00, 0x01, 0x00, 0x07, 0x00};
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "actions.bin", std::string(bytes.begin(), bytes.end()));
    CBK_SwfFileReader reader;
    ASSERT_TRUE(reader.AttachFile(CBK_Path((dir / "actions.bin").wstring())));
    reader.SetVersion(6);
    reader.SetCurrentTagLength(static_cast<uint32_t>(bytes.size()));
    CBK_SwfDoAction list;
    EXPECT_EQ(list.Read(&reader), bytes.size());
    ASSERT_EQ(list.GetActionCount(), 3u);
    auto* goto2 = dynamic_cast<CBK_SwfActionGotoFrame2*>(list.GetAction(1));
    ASSERT_NE(goto2, nullptr);
    EXPECT_TRUE(goto2->HasExtraByte());
    EXPECT_EQ(Body(list), bytes);
}

TEST(SwfDoActionCopy, AssignmentCopiesDeeplyAndSelfAssignmentChangesNothing) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionBranchIfTrue(0));
    list.AddAction(new CBK_SwfActionPush(L"x"));
    list.AddEndIf();
    const Bytes before = Body(list);
    CBK_SwfDoAction& alias = list;
    list = alias;
    EXPECT_EQ(Body(list), before);

    CBK_SwfDoAction copy(list);
    EXPECT_EQ(Body(copy), before);
    EXPECT_NE(copy.GetAction(1), list.GetAction(1));
    static_cast<CBK_SwfActionPush*>(list.GetAction(1))->AddNull();
    EXPECT_EQ(Body(copy), before);

    CBK_SwfDoAction appended;
    appended.AddAction(new CBK_SwfActionStop);
    appended = copy; // appends behind what it holds
    EXPECT_EQ(appended.GetActionCount(), 3u);
}

TEST(SwfDoActionCopy, SetActionsTakesOwnershipOnce) {
    CBK_SwfDoAction list;
    auto* stop = new CBK_SwfActionStop;
    list.AddAction(stop);
    list.AddAction(new CBK_SwfActionPlay);
    std::vector<CBK_SwfActionRecord*> records{stop, new CBK_SwfActionBranchAlways(1), stop, nullptr,
                                              new CBK_SwfActionPlay};
    list.SetActions(records);
    ASSERT_EQ(list.GetActionCount(), 3u);
    EXPECT_EQ(list.GetAction(0), stop);
    EXPECT_EQ(OffsetOf(list, 1), 1);
    auto* jump = dynamic_cast<CBK_SwfActionBranch*>(list.GetAction(1));
    EXPECT_EQ(jump->GetBranchActions().size(), 1u);
}

TEST(SwfDoActionOffsets, FramesMoveWithinRange) {
    CBK_SwfDoAction list;
    list.AddAction(new CBK_SwfActionGotoFrame(3));
    list.AddAction(new CBK_SwfActionWaitForFrame(65530, 1));
    list.OffsetInfo(100, 100, 10);
    EXPECT_EQ(static_cast<CBK_SwfActionGotoFrame*>(list.GetAction(0))->GetFrame(), 13);
    EXPECT_EQ(static_cast<CBK_SwfActionWaitForFrame*>(list.GetAction(1))->GetFrame(), 65535);
    list.OffsetInfo(0, 0, -20);
    EXPECT_EQ(static_cast<CBK_SwfActionGotoFrame*>(list.GetAction(0))->GetFrame(), 0);
}

TEST(SwfDoInitAction, ReadsPushAsRawBytesWithoutTheFixup) {
    const Bytes bytes{0x05, 0x00, 0x96, 0x03, 0x00, 0x00, 'a',
                      0x00, 0x9F, 0x02, 0x00, 0x00, 0x00, 0x00};
    CBK_SwfDoInitAction init;
    auto reader = swftest::ReaderOver(bytes);
    EXPECT_EQ(init.Read(reader.get()), bytes.size());
    EXPECT_EQ(init.GetSpriteId(), 5);
    ASSERT_EQ(init.GetActionCount(), 2u);
    EXPECT_NE(dynamic_cast<CBK_SwfActionUnknown*>(init.GetAction(0)), nullptr);
    CBK_SwfDoInitAction copy(init);
    const Bytes out = swftest::WriteBytes(copy);
    EXPECT_EQ(swftest::Payload(out), bytes);
}

} // namespace
