// Button tags: golden encodings both ways, copies, reading into used objects, records that
// lack parts, offsets and path prefixes, and a movie read by an independent parser.
#include <gtest/gtest.h>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_frame.h"
#include "swf/actions/action_push.h"
#include "swf/buttons/define_button.h"
#include "swf/buttons/define_button_cxform.h"
#include "swf/buttons/define_button_sound.h"
#include "swf/tags/control_tags.h"
#include "tests/support/tools.h"
#include "tests/swf/media_test_support.h"

namespace {

using namespace ravuz;
using namespace mediatest;

CBK_SwfButtonRecord* Record(uint8_t flags, uint16_t id, uint16_t depth) {
    auto* record = new CBK_SwfButtonRecord;
    record->stateFlags = flags;
    record->characterId = id;
    record->depth = depth;
    return record;
}

CBK_SwfDoAction* Actions(std::initializer_list<CBK_SwfActionRecord*> records) {
    auto* list = new CBK_SwfDoAction;
    for (CBK_SwfActionRecord* r : records)
        list->AddAction(r);
    return list;
}

std::unique_ptr<CBK_SwfDefineButton2> Button2(std::size_t lists) {
    auto tag = std::make_unique<CBK_SwfDefineButton2>();
    tag->SetCharacterId(5);
    tag->AddButtonRecord(Record(CBK_SwfButtonRecord::STATE_UP, 1, 1));
    if (lists >= 1)
        tag->AddAction(CBK_SwfDefineButton2::CONDITION_OVER_DOWN_TO_OVER_UP,
                       Actions({new CBK_SwfActionStop}));
    if (lists >= 2)
        tag->AddAction(CBK_SwfDefineButton2::CONDITION_IDLE_TO_OVER_UP | (13 << 9),
                       Actions({new CBK_SwfActionPlay}));
    return tag;
}

std::unique_ptr<CBK_SwfTag> Button2Full() {
    auto tag = std::make_unique<CBK_SwfDefineButton2>();
    tag->SetCharacterId(2);
    tag->SetFlags(CBK_SwfDefineButton2::FLAG_TRACK_AS_MENU);
    auto* record = Record(CBK_SwfButtonRecord::STATE_OVER | CBK_SwfButtonRecord::STATE_HIT, 9, 4);
    record->matrix = std::make_unique<CBK_SwfMatrix>();
    record->matrix->SetTranslation(20, -20);
    record->colorTransform = std::make_unique<CBK_SwfColorTransformAlpha>();
    record->colorTransform->SetMultTerms(256, 256, 256, 128);
    record->colorTransform->addRed = -255;
    record->colorTransform->addBlue = 10;
    record->colorTransform->hasAdd = true;
    tag->AddButtonRecord(record);
    return tag;
}

std::unique_ptr<CBK_SwfTag> Button(std::size_t lists) {
    auto tag = std::make_unique<CBK_SwfDefineButton>();
    tag->SetCharacterId(1);
    tag->AddButtonRecord(Record(0x0F, 2, 3));
    if (lists >= 1)
        tag->AddActionRecord(Actions({new CBK_SwfActionStop}));
    if (lists >= 2)
        tag->AddActionRecord(Actions({new CBK_SwfActionPlay}));
    return tag;
}

std::unique_ptr<CBK_SwfTag> CxForm(CBK_SwfColorTransform* transform) {
    auto tag = std::make_unique<CBK_SwfDefineButtonCxForm>();
    tag->SetCharacterId(3);
    tag->SetColorTransform(transform);
    return tag;
}

const Bytes kRecord = {0x01, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04}; // up, id 1, depth 1, identities

const std::vector<TagVector>& Vectors() {
    static const std::vector<TagVector> vectors = {
        {"DefineButton2, one record, Stop on release",
         Concat({{0x93, 0x08},
                 {0x05, 0x00, 0x00, 0x0A, 0x00},
                 kRecord,
                 {0x00},
                 {0x00, 0x00, 0x08, 0x00, 0x07, 0x00}}),
         [] { return std::unique_ptr<CBK_SwfTag>(Button2(1)); }, Blank<CBK_SwfDefineButton2>()},
        {"DefineButton2, two lists",
         Concat({Header(34, 25),
                 {0x05, 0x00, 0x00, 0x0A, 0x00},
                 kRecord,
                 {0x00},
                 {0x06, 0x00, 0x08, 0x00, 0x07, 0x00},
                 {0x00, 0x00, 0x01, 0x1A, 0x06, 0x00}}),
         [] { return std::unique_ptr<CBK_SwfTag>(Button2(2)); }, Blank<CBK_SwfDefineButton2>()},
        {"DefineButton2 without actions, menu, matrix and colour transform",
         Concat({Header(34, 2 + 1 + 2 + 5 + 3 + 11 + 1),
                 {0x02, 0x00, 0x01, 0x00, 0x00},
                 {0x0A, 0x09, 0x00, 0x04, 0x00},
                 {0x0C, 0xA5, 0x80},
                 {0xE9, 0x00, 0x40, 0x10, 0x02, 0x03, 0x01, 0x00, 0x00, 0xA0, 0x00},
                 {0x00}}),
         Button2Full, Blank<CBK_SwfDefineButton2>()},
        {"DefineButton without actions",
         Concat({{0xCA, 0x01}, {0x01, 0x00, 0x0F, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00}}),
         [] { return Button(0); }, Blank<CBK_SwfDefineButton>()},
        {"DefineButton, Stop",
         Concat(
             {Header(7, 11), {0x01, 0x00, 0x0F, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00}, {0x07, 0x00}}),
         [] { return Button(1); }, Blank<CBK_SwfDefineButton>()},
        {"DefineButton, two lists run one after the other",
         Concat({Header(7, 12),
                 {0x01, 0x00, 0x0F, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00},
                 {0x07, 0x06, 0x00}}),
         [] { return Button(2); }, Blank<CBK_SwfDefineButton>()},
        {"DefineButtonCxForm identity", Concat({{0xC3, 0x05}, {0x03, 0x00, 0x04}}),
         [] { return CxForm(new CBK_SwfColorTransform); }, Blank<CBK_SwfDefineButtonCxForm>()},
        {"DefineButtonCxForm without a transform", Concat({{0xC3, 0x05}, {0x03, 0x00, 0x04}}),
         [] { return CxForm(nullptr); }, Blank<CBK_SwfDefineButtonCxForm>()},
        {"DefineButtonCxForm multiply",
         Concat({Header(23, 7), {0x03, 0x00, 0x69, 0x00, 0x20, 0x00, 0x00}}),
         [] {
             auto* c = new CBK_SwfColorTransform;
             c->SetMultTerms(256, 128, 0);
             c->hasMult = true;
             return CxForm(c);
         },
         Blank<CBK_SwfDefineButtonCxForm>()},
        {"DefineButtonSound, transition 2 only",
         Concat({{0x4B, 0x04}, {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x20, 0x00, 0x00}}),
         [] {
             auto tag = std::make_unique<CBK_SwfDefineButtonSound>();
             tag->SetCharacterId(2);
             tag->SetButtonSoundId(2, 12);
             tag->GetSoundInfo(2)->SetFlags(CBK_SwfSoundInfo::SYNC_STOP);
             return tag;
         },
         Blank<CBK_SwfDefineButtonSound>()},
    };
    return vectors;
}

TEST(SwfButtonVectors, WriteTheirBytes) {
    ExpectWrites(Vectors());
}

TEST(SwfButtonVectors, ReadBackToTheSameBytes) {
    ExpectReadsBack(Vectors());
}

TEST(SwfDefineButton2, CopiesKeepTheirActionsAndShareNothing) {
    auto original = Button2(2);
    original->GetButtonRecord(0)->matrix = std::make_unique<CBK_SwfMatrix>();
    const Bytes before = swftest::WriteBytes(*original);
    CBK_SwfDefineButton2 copy(*original);
    EXPECT_EQ(swftest::WriteBytes(copy), before);
    copy.GetActionList(0)->AddAction(new CBK_SwfActionPlay);
    copy.GetButtonRecord(0)->matrix->SetTranslation(100, 100);
    copy.AddCondition(3);
    EXPECT_EQ(swftest::WriteBytes(*original), before);

    CBK_SwfDefineButton2 assigned;
    assigned = *original;
    assigned = assigned;
    EXPECT_EQ(swftest::WriteBytes(assigned), before);
}

TEST(SwfDefineButton2, ReadingReplacesRecordsActionsAndConditions) {
    const Bytes bytes = swftest::WriteBytes(*Button2(2));
    auto used = Button2(2);
    used->AddButtonRecord(Record(2, 8, 8));
    used->AddCondition(7);
    swftest::ReadTag(*used, bytes);
    EXPECT_EQ(used->GetButtonRecordCount(), 1u);
    EXPECT_EQ(used->GetActionListCount(), 2u);
    EXPECT_EQ(used->GetConditions().size(), 2u);
    EXPECT_EQ(swftest::WriteBytes(*used), bytes);

    auto plain = Button(2);
    const Bytes plainBytes = swftest::WriteBytes(*plain);
    swftest::ReadTag(*plain, plainBytes);
    auto* button = static_cast<CBK_SwfDefineButton*>(plain.get());
    EXPECT_EQ(button->GetButtonRecordCount(), 1u);
    EXPECT_EQ(button->GetActionListCount(), 1u);
    EXPECT_EQ(button->GetActionList(0)->GetActionCount(), 2u);
}

TEST(SwfDefineButton2, ListsBeyondTheConditionsGetConditionZero) {
    CBK_SwfDefineButton2 tag;
    tag.AddButtonRecord(Record(1, 1, 1));
    tag.AddActionRecord(Actions({new CBK_SwfActionStop}));
    tag.AddCondition(0x100);
    tag.AddActionRecord(Actions({}));
    EXPECT_FALSE(tag.AddAction(4, nullptr));
    const Bytes payload = swftest::Payload(swftest::WriteBytes(tag));
    // ... records, then 06 00 00 01 07 00, then 00 00 00 00 00 (an empty list's end byte).
    EXPECT_EQ(swftest::Hex(Bytes(payload.end() - 11, payload.end())),
              "06 00 00 01 07 00 00 00 00 00 00");
    tag.RemoveActions();
    EXPECT_EQ(tag.GetActionListCount(), 0u);
    EXPECT_TRUE(tag.GetConditions().empty());
    tag.SetFlags(1);
    tag.Destroy();
    EXPECT_EQ(tag.GetFlags(), 0);
    EXPECT_EQ(tag.GetButtonRecordCount(), 1u);
}

TEST(SwfDefineButton, RecordsWithoutAnyStateAreLeftOut) {
    for (bool two : {false, true}) {
        std::unique_ptr<CBK_SwfDefineButton> tag = two ? std::make_unique<CBK_SwfDefineButton2>()
                                                       : std::make_unique<CBK_SwfDefineButton>();
        tag->AddButtonRecord(Record(1, 1, 1));
        tag->AddButtonRecord(Record(0, 2, 2));
        tag->AddButtonRecord(Record(2, 3, 3));
        tag->AddActionRecord(Actions({new CBK_SwfActionStop}));
        if (two)
            static_cast<CBK_SwfDefineButton2*>(tag.get())->AddCondition(8);
        const Bytes bytes = swftest::WriteBytes(*tag);
        std::unique_ptr<CBK_SwfDefineButton> back = two ? std::make_unique<CBK_SwfDefineButton2>()
                                                        : std::make_unique<CBK_SwfDefineButton>();
        swftest::ReadTag(*back, bytes);
        ASSERT_EQ(back->GetButtonRecordCount(), 2u) << two;
        EXPECT_EQ(back->GetButtonRecord(1)->characterId, 3) << two;
        ASSERT_EQ(back->GetActionListCount(), 1u) << two;
        EXPECT_EQ(back->GetActionList(0)->GetActionCount(), 1u) << two;
    }
}

TEST(SwfDefineButton2, SizesThatLieAreFollowedWithinTheTag) {
    // The first list's size skips a stray byte; the second's claims more than there is.
    const Bytes payload = Concat({{0x05, 0x00, 0x00, 0x0A, 0x00},
                                  kRecord,
                                  {0x00},
                                  {0x07, 0x00, 0x08, 0x00, 0x07, 0x00, 0xEE},
                                  {0x40, 0x00, 0x01, 0x00, 0x06, 0x00}});
    CBK_SwfDefineButton2 tag;
    EXPECT_EQ(ReadFollowedBy(tag, payload, Concat({Header(1, 0), Ramp(30)})), payload.size());
    ASSERT_EQ(tag.GetActionListCount(), 2u);
    EXPECT_EQ(tag.GetActionList(0)->GetActionCount(), 1u);
    EXPECT_EQ(tag.GetActionList(1)->GetActionCount(), 1u);
    EXPECT_EQ(tag.GetConditions(), (std::vector<uint16_t>{8, 1}));

    // A size too small for its own head, and one of zero length after it.
    const Bytes tiny = Concat(
        {{0x05, 0x00, 0x00, 0x0A, 0x00}, kRecord, {0x00}, {0x02, 0x00, 0x08, 0x00, 0x07, 0x00}});
    CBK_SwfDefineButton2 small;
    EXPECT_EQ(ReadFollowedBy(small, tiny, Ramp(8)), tiny.size());
    EXPECT_EQ(small.GetActionListCount(), 1u);

    // Records cut short by the tag's end take nothing from the next tag.
    const Bytes cut = {0x05, 0x00, 0x00, 0x00, 0x00, 0x01, 0x07};
    CBK_SwfDefineButton2 shortTag;
    EXPECT_EQ(ReadFollowedBy(shortTag, cut, Ramp(40, 1)), cut.size());
    ASSERT_EQ(shortTag.GetButtonRecordCount(), 1u);
    EXPECT_EQ(shortTag.GetButtonRecord(0)->characterId, 0);
    CBK_SwfDefineButton plain;
    EXPECT_EQ(ReadFollowedBy(plain, {0x05, 0x00, 0x01, 0x07}, Ramp(40, 1)), 4u);
    EXPECT_EQ(plain.GetActionListCount(), 0u);
}

TEST(SwfDefineButton2, ARecordCutShortIsWrittenAsStored) {
    // The record's flags promise a blend mode, but the tag ends after its colour transform.
    const Bytes record = {0x21, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04};
    const Bytes payload = Concat({{0x05, 0x00, 0x00, 0x00, 0x00}, record});
    CBK_SwfDefineButton2 tag;
    EXPECT_EQ(ReadFollowedBy(tag, payload, Ramp(8, 1)), payload.size());
    ASSERT_EQ(tag.GetButtonRecordCount(), 1u);
    const Bytes stored = Concat({Header(34, 12), payload});
    EXPECT_EQ(swftest::WriteBytes(tag), stored);
    CBK_SwfDefineButton2 again;
    swftest::ReadTag(again, stored);
    EXPECT_EQ(swftest::WriteBytes(again), stored);
    // Offsets still reach it; actions cannot follow it, so such a button is not written.
    again.OffsetInfo(1, 2, 0);
    EXPECT_EQ(swftest::WriteBytes(again), Concat({Header(34, 12),
                                                  {0x06, 0x00, 0x00, 0x00, 0x00},
                                                  {0x21, 0x02, 0x00, 0x03, 0x00, 0x00, 0x04}}));
    again.AddAction(0, Actions({new CBK_SwfActionStop}));
    uint32_t written = 1;
    EXPECT_TRUE(swftest::WriteBytes(again, 6, &written).empty());
    EXPECT_EQ(written, 0u);
}

TEST(SwfDefineButton, ALongActionListIsKept) {
    auto* list = new CBK_SwfDoAction;
    list->AddAction(new CBK_SwfActionPush(std::wstring(250, L'x')));
    auto tag = Button(0);
    static_cast<CBK_SwfDefineButton*>(tag.get())->AddActionRecord(list);
    const Bytes bytes = swftest::WriteBytes(*tag);
    CBK_SwfDefineButton back;
    swftest::ReadTag(back, bytes);
    ASSERT_EQ(back.GetActionListCount(), 1u);
    EXPECT_EQ(swftest::WriteBytes(back), bytes);
}

TEST(SwfDefineButton, OffsetsReachRecordsAndActions) {
    CBK_SwfDefineButton2 tag;
    tag.SetCharacterId(10);
    tag.AddButtonRecord(Record(1, 4, 2));
    tag.AddAction(8, Actions({new CBK_SwfActionGotoFrame(3)}));
    tag.OffsetInfo(5, 7, 0);
    EXPECT_EQ(tag.GetCharacterId(), 15);
    EXPECT_EQ(tag.GetButtonRecord(0)->characterId, 9);
    EXPECT_EQ(tag.GetButtonRecord(0)->depth, 9);
    auto* go = static_cast<CBK_SwfActionGotoFrame*>(tag.GetActionList(0)->GetAction(0));
    EXPECT_EQ(go->GetFrame(), 3);
    tag.OffsetInfo(0, 0, 4);
    EXPECT_EQ(go->GetFrame(), 7);

    CBK_SwfDefineButtonSound sound;
    sound.SetCharacterId(1);
    sound.SetButtonSoundId(1, 6);
    sound.OffsetInfo(10, 0, 0);
    EXPECT_EQ(sound.GetCharacterId(), 11);
    EXPECT_EQ(sound.GetButtonSoundId(0), 0);
    EXPECT_EQ(sound.GetButtonSoundId(1), 16);
    EXPECT_EQ(sound.GetButtonSoundId(7), sound.GetButtonSoundId(0));
    EXPECT_EQ(sound.GetSoundInfo(-1), sound.GetSoundInfo(0));
}

TEST(SwfDefineButton, PathPrefixesReachEveryListOrNone) {
    CBK_SwfDefineButton2 tag;
    tag.AddButtonRecord(Record(1, 1, 1));
    tag.AddAction(8, Actions({new CBK_SwfActionPush(L"/a")}));
    const Bytes plain = swftest::WriteBytes(tag);
    ASSERT_TRUE(tag.adjustPaths(L"/p"));
    EXPECT_EQ(static_cast<CBK_SwfActionPush*>(tag.GetActionList(0)->GetAction(0))->GetPrefix(),
              L"/p");
    ASSERT_TRUE(tag.adjustPaths(nullptr));
    EXPECT_EQ(swftest::WriteBytes(tag), plain);

    // A second list whose branch could not reach past a longer path.
    auto* tight = new CBK_SwfDoAction;
    tight->AddAction(new CBK_SwfActionBranchIfTrue(0));
    tight->AddAction(new CBK_SwfActionPush(std::wstring(32750, L'z')));
    tight->AddAction(new CBK_SwfActionPush(L"/a"));
    tight->AddEndIf();
    tag.AddAction(1, tight);
    const Bytes before = swftest::WriteBytes(tag);
    EXPECT_FALSE(tag.adjustPaths(L"/a-rather-long-prefix"));
    EXPECT_EQ(swftest::WriteBytes(tag), before);
}

TEST(SwfButtonOracle, AnIndependentParserReadsDefineButton2) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    auto button = Button2(2);
    // With actions: the parser reads a list even where the offset says there is none. It
    // shows signed fields as unsigned: -20 in 6 bits is 44, -255 in 10 bits 769.
    auto full = Button2Full();
    static_cast<CBK_SwfDefineButton2*>(full.get())
        ->AddAction(CBK_SwfDefineButton2::CONDITION_OVER_UP_TO_IDLE,
                    Actions({new CBK_SwfActionStop}));
    CBK_SwfShowFrame show;
    CBK_SwfEnd end;
    stravel::testing::TempDir dir;
    const auto path = dir / "button.swf";
    stravel::testing::WriteFileBytes(
        path, Movie(6, 2000, 2000, 1, {button.get(), full.get(), &show, &end}));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* expected : {"ButtonId: 5",
                                 "ActionOffset: 10",
                                 "CondOverDownToOverUp: 1",
                                 "CondIdleToOverUp: 1",
                                 "CondKeyPress: 13",
                                 "ActionStop",
                                 "ActionPlay",
                                 "ButtonId: 2",
                                 "ActionOffset: 22",
                                 "ButtonStateHitTest: 1",
                                 "ButtonStateOver: 1",
                                 "CharacterId: 9",
                                 "PlaceDepth: 4",
                                 "TranslateX: 20",
                                 "TranslateY: 44",
                                 "HasAddTerms: 1",
                                 "AlphaMultTerm: 128",
                                 "RedAddTerm: 769",
                                 "CondOverUpToIdle: 1",
                                 "ShowFrame"})
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
    EXPECT_EQ(result.out.find("FailingObject"), std::string::npos) << result.out;
}

} // namespace
