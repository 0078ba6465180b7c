#include <gtest/gtest.h>

#include "swf/actions/action_frame.h"
#include "swf/actions/action_record.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

TEST(SwfDisplayListOffsets, EveryTagHoldsShiftsTo0To65535) {
    CBK_SwfPlaceObject2 placed;
    placed.SetDepth(65500);
    placed.SetClipDepth(65000);
    placed.OffsetInfo(10, 100, 0);
    EXPECT_EQ(placed.GetDepth(), 65535);
    EXPECT_EQ(placed.GetClipDepth(), 65100);
    EXPECT_EQ(placed.GetCharacterId(), 0); // carries no character: its id stays
    placed.SetCharacterId(5);
    placed.OffsetInfo(-10, 0, 0);
    EXPECT_EQ(placed.GetCharacterId(), 0);

    CBK_SwfPlaceObject plain(65535, 2);
    plain.OffsetInfo(1, -3, 0);
    EXPECT_EQ(plain.GetCharacterId(), 65535);
    EXPECT_EQ(plain.GetDepth(), 0);

    CBK_SwfRemoveObject removed(65530, 65530);
    removed.OffsetInfo(10, 10, 0);
    EXPECT_EQ(removed.GetCharacterId(), 65535);
    EXPECT_EQ(removed.GetDepth(), 65535);
    CBK_SwfRemoveObject2 removed2(3);
    removed2.OffsetInfo(0, -5, 0);
    EXPECT_EQ(removed2.GetDepth(), 0);
}

TEST(SwfDisplayListCounters, WidenWithEveryPlacementReadOrWritten) {
    CBK_SwfPlaceObject::ResetMinMaxDepthWrite();
    CBK_SwfPlaceObject::ResetMinMaxCharacterIdWrite();
    CBK_SwfPlaceObject::ResetMinMaxDepthRead();
    CBK_SwfPlaceObject::ResetMinMaxCharacterIdRead();
    EXPECT_EQ(CBK_SwfPlaceObject::GetMinDepthWrite(), 65535);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMaxDepthWrite(), 0);
    CBK_SwfPlaceObject2 a;
    a.SetDepth(5);
    a.SetCharacterId(40);
    CBK_SwfPlaceObject b(7, 2);
    const Bytes written = swftest::WriteBytes(a);
    swftest::WriteBytes(b);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMinDepthWrite(), 2);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMaxDepthWrite(), 5);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMinCharacterIdWrite(), 7);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMaxCharacterIdWrite(), 40);
    CBK_SwfPlaceObject2 back;
    swftest::ReadTag(back, written);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMinDepthRead(), 5);
    EXPECT_EQ(CBK_SwfPlaceObject::GetMaxCharacterIdRead(), 40);
}

TEST(SwfPlaceObject, ATagWithoutMatrixReadsNone) {
    CBK_SwfPlaceObject tag;
    auto reader = swftest::ReaderOver({0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF});
    reader->SetCurrentTagLength(4);
    EXPECT_EQ(tag.Read(reader.get()), 4u);
    EXPECT_EQ(tag.GetMatrix(), nullptr);
    EXPECT_EQ(tag.GetColorTransform(), nullptr);
    CBK_SwfPlaceObject copy(tag);
    EXPECT_EQ(swftest::WriteBytes(copy), (Bytes{0x04, 0x01, 0x01, 0x00, 0x02, 0x00}));
}

std::unique_ptr<CBK_SwfPlaceObject2> WithHandlers() {
    auto tag = std::make_unique<CBK_SwfPlaceObject2>();
    tag->SetCharacterId(3);
    tag->SetDepth(9);
    tag->SetName(L"clip");
    auto* load = new CBK_SwfClipAction(0x1);
    load->AddAction(new CBK_SwfActionPlay);
    tag->AddClipAction(load);
    auto* key = new CBK_SwfClipAction(CBK_SwfClipAction::kKeyPress | 0x4);
    key->SetKeyCode(32);
    key->AddAction(new CBK_SwfActionGotoFrame2(true));
    tag->AddClipAction(key);
    tag->AddClipAction(new CBK_SwfClipAction(0x8)); // no actions: just its end byte
    return tag;
}

TEST(SwfPlaceObject2, CopiesKeepTheirClipActions) {
    auto tag = WithHandlers();
    const Bytes original = swftest::WriteBytes(*tag);
    CBK_SwfPlaceObject2 copy(*tag);
    EXPECT_EQ(copy.GetClipActionCount(), 3u);
    EXPECT_EQ(swftest::WriteBytes(copy), original);
    CBK_SwfPlaceObject2 assigned;
    assigned.SetMatrix(new CBK_SwfMatrix); // the source has none: the copy must not either
    assigned = *tag;
    EXPECT_EQ(assigned.GetMatrix(), nullptr);
    EXPECT_EQ(swftest::WriteBytes(assigned), original);
    assigned = assigned;
    EXPECT_EQ(swftest::WriteBytes(assigned), original);
    tag.reset();
    EXPECT_EQ(swftest::WriteBytes(copy), original);
}

TEST(SwfPlaceObject2, ClipActionsReadBackInBothEventWidths) {
    for (uint8_t version : {5, 6}) {
        auto tag = WithHandlers();
        const Bytes written = swftest::WriteBytes(*tag, version);
        CBK_SwfPlaceObject2 back;
        EXPECT_EQ(swftest::ReadTag(back, written, version), swftest::Payload(written).size());
        EXPECT_EQ(back.GetName(), L"clip");
        EXPECT_EQ(back.GetVersion(), version);
        EXPECT_EQ(swftest::WriteBytes(back, version), written);
        if (version == 5) {
            // The key press does not exist in 16-bit flags; the handler keeps its 0x4.
            EXPECT_EQ(back.GetClipAction(1)->GetEvents(), 0x4u);
        } else {
            ASSERT_EQ(back.GetClipActionCount(), 3u);
            EXPECT_EQ(back.GetClipAction(1)->GetKeyCode(), 32);
            EXPECT_EQ(back.GetAllEventsMask(), 0x2000Du);
        }
    }
    // A handler whose only event is the key press cannot be written at 16 bits; leaving it
    // out keeps the list readable.
    CBK_SwfPlaceObject2 keyOnly;
    keyOnly.SetDepth(1);
    keyOnly.AddClipAction(new CBK_SwfClipAction(CBK_SwfClipAction::kKeyPress));
    keyOnly.AddClipAction(new CBK_SwfClipAction(0x1));
    const Bytes v5 = swftest::WriteBytes(keyOnly, 5);
    CBK_SwfPlaceObject2 back;
    swftest::ReadTag(back, v5, 5);
    ASSERT_EQ(back.GetClipActionCount(), 1u);
    EXPECT_EQ(back.GetClipAction(0)->GetEvents(), 0x1u);
}

TEST(SwfPlaceObject2, ClipRecordsResynchroniseToTheirSize) {
    // Version 6: two handlers. The first one's GotoFrame2 is its list's last action (the
    // zero after it ends the list though the tag goes on); the second's record holds a spare
    // byte after its end byte.
    const Bytes payload{0x81, 0x01, 0x00,                   // flags, depth
                        0x00, 0x00, 0x03, 0x00, 0x00, 0x00, // reserved, all events
                        0x01, 0x00, 0x00, 0x00,             // events
                        0x05, 0x00, 0x00, 0x00,             // record size
                        0x9F, 0x01, 0x00, 0x01, 0x00,       // GotoFrame2, end
                        0x02, 0x00, 0x00, 0x00, 0x03, 0x00,
                        0x00, 0x00, 0x06, 0x00, 0xEE, // Play, end, spare
                        0x00, 0x00, 0x00, 0x00};
    CBK_SwfPlaceObject2 tag;
    auto reader = swftest::ReaderOver(payload, 6);
    EXPECT_EQ(tag.Read(reader.get()), payload.size());
    ASSERT_EQ(tag.GetClipActionCount(), 2u);
    EXPECT_EQ(tag.GetClipAction(0)->GetRecordSize(), 5u);
    CBK_SwfDoAction* first = tag.GetClipAction(0)->GetDoAction();
    ASSERT_EQ(first->GetActionCount(), 1u);
    auto* goto2 = dynamic_cast<CBK_SwfActionGotoFrame2*>(first->GetAction(0));
    ASSERT_NE(goto2, nullptr);
    EXPECT_FALSE(goto2->HasExtraByte()); // the record's own end, not the tag's
    EXPECT_EQ(tag.GetClipAction(1)->GetEvents(), 0x2u);
    EXPECT_EQ(tag.GetClipAction(1)->GetDoAction()->GetActionCount(), 1u);

    // A record size beyond the tag ends the handlers there.
    Bytes cut(payload.begin(), payload.begin() + 20);
    cut[13] = 0xFF;
    cut[14] = 0xFF;
    CBK_SwfPlaceObject2 short_;
    auto r2 = swftest::ReaderOver(cut, 6);
    EXPECT_EQ(short_.Read(r2.get()), cut.size());
    EXPECT_EQ(short_.GetClipActionCount(), 1u);
}

TEST(SwfPlaceObject2, ClipDepthPositionCountsTheHeader) {
    CBK_SwfPlaceObject2 tag;
    tag.SetDepth(1);
    tag.SetCharacterId(2);
    EXPECT_EQ(tag.GetClipDepthPos(), 0u);
    tag.SetClipDepth(7);
    EXPECT_EQ(tag.GetClipDepthPos(6), 2u + 5u);
    tag.SetName(std::wstring(70, L'n'));
    EXPECT_EQ(tag.GetClipDepthPos(6), 6u + 5u + 71u);
    const Bytes out = swftest::WriteBytes(tag, 6);
    EXPECT_EQ(out[6 + 5 + 71], 7);
}

TEST(SwfPlaceObject2, ACharacterFlagWithIdZeroIsKept) {
    const Bytes payload{0x02, 0x04, 0x00, 0x00, 0x00};
    CBK_SwfPlaceObject2 tag;
    auto reader = swftest::ReaderOver(payload);
    tag.Read(reader.get());
    EXPECT_TRUE(tag.HasCharacter());
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(tag)), payload);
}

} // namespace
