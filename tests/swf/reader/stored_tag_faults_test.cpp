// Tags as other tools store them, made by hand: fields of newer formats, empty glyph runs,
// protection bodies and bytes beyond the last field all come back as they were.
#include <gtest/gtest.h>

#include "swf/actions/do_action.h"
#include "swf/buttons/define_button.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"
#include "swf/text/define_edit_text.h"
#include "swf/text/define_text.h"
#include "swf/text/text_records.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

// Action tags take the long header form, as the model writes them.
Bytes Tag(uint16_t code, const Bytes& payload) {
    CBK_SwfTagUnknown tag(code, 0);
    tag.SetPayload(payload);
    tag.SetLongHeader(code == kSwfTagDoAction);
    return swftest::WriteBytes(tag, 8);
}

// Parses a movie of the one tag and hands the tag over (the reader keeps nothing).
template <class T>
std::unique_ptr<T> ReadOne(const Bytes& tag, uint8_t version = 8) {
    const Bytes movie = swftest::MovieOfTagBytes(tag, version);
    CBK_SwfReader reader;
    EXPECT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    std::unique_ptr<CBK_SwfTag> first(reader.GetTags().front());
    for (std::size_t i = 1; i < reader.GetTags().size(); ++i)
        delete reader.GetTags()[i];
    reader.GetTags().clear();
    auto* typed = dynamic_cast<T*>(first.get());
    EXPECT_NE(typed, nullptr);
    if (typed)
        first.release();
    return std::unique_ptr<T>(typed);
}

// A SWF 8 button: one record with a blur filter and a blend mode, two condition lists.
// clang-format off
const Bytes kButton2 = {
    1, 0, 0, 22, 0,                        // id, flags, action offset
    0x31, 2, 0, 1, 0, 0x00, 0x04,          // record, matrix, transform
    1, 1, 0, 0, 1, 0, 0, 0, 1, 0, 2, 5,    // filter list, blend mode
    0,                                     // end of records
    6, 0, 8, 0, 0x06, 0x00,                // on release: Play
    0, 0, 4, 0, 0x07, 0x00};               // on press: Stop
// clang-format on
// A text whose last style record has no glyphs: its count is 0, then the end byte.
const Bytes kTextStyleOnly = {1, 0, 0x08, 0x00, 0x00, 1, 1, 0x88, 1, 0, 0xF0, 0x00, 0, 0};
// Actions after an End action, which a branch may reach.
const Bytes kActionsAfterEnd = {0x06, 0x00, 0x07, 0x00};
const Bytes kProtect = {0, 0, '$', '1', '$', 'a', 'b', '$', 'c', 'd', 0};

TEST(StoredTagFaults, EveryTagComesBackByteForByte) {
    CBK_SwfDefineEditText edit;
    edit.Create(3, nullptr, L"v");
    Bytes editBytes = swftest::Payload(swftest::WriteBytes(edit, 8));
    editBytes.insert(editBytes.end(), {0xAB, 0xCD});
    const std::vector<std::pair<const char*, Bytes>> tags = {
        {"button with filters", Tag(kSwfTagDefineButton2, kButton2)},
        {"text style without glyphs", Tag(kSwfTagDefineText, kTextStyleOnly)},
        {"actions after End", Tag(kSwfTagDoAction, kActionsAfterEnd)},
        {"only actions after End", Tag(kSwfTagDoAction, {0x00, 0x07, 0x00})},
        {"protection", Tag(kSwfTagProtect, kProtect)},
        {"button colour transform and 18 more bytes",
         Tag(kSwfTagDefineButtonCxForm,
             Bytes{4, 0, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})},
        {"edit text and 2 more bytes", Tag(kSwfTagDefineEditText, editBytes)},
    };
    for (const auto& [name, bytes] : tags)
        EXPECT_EQ(swftest::ReadBackDifference(swftest::MovieOfTagBytes(bytes, 8)), "") << name;

    auto button = ReadOne<CBK_SwfDefineButton2>(Tag(kSwfTagDefineButton2, kButton2));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->GetButtonRecordCount(), 1u);
    EXPECT_EQ(button->GetButtonRecord(0)->extraFields.size(), 12u);
    ASSERT_EQ(button->GetActionListCount(), 2u);
    EXPECT_EQ(button->GetActionList(1)->GetActionCount(), 1u);
    auto protect = ReadOne<CBK_SwfProtect>(Tag(kSwfTagProtect, kProtect));
    ASSERT_TRUE(protect);
    EXPECT_EQ(protect->GetBody(), kProtect);
}

TEST(StoredTagFaults, AnEmptyGlyphRunDoesNotEndTheText) {
    // Style (font 1, height 240) with 0 glyphs, then style (x 10) with one glyph.
    const Bytes payload = {1,    0,    0x00, 0x00, 1,  1, 0x88, 1,    0,
                           0xF0, 0x00, 0,    0x81, 10, 0, 1,    0x80, 0};
    auto text = ReadOne<CBK_SwfDefineText>(Tag(kSwfTagDefineText, payload));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->GetRecordCount(), 3u);
    const auto& glyphs = dynamic_cast<CBK_SwfTextGlyphRecord&>(*text->GetRecord(2));
    EXPECT_EQ(glyphs.GetEntries().size(), 1u);
    EXPECT_TRUE(text->GetTrailingBytes().empty());

    // Written again, the two styles merge; a conforming parser reads the tag to its end.
    STRAVEL_REQUIRE_TOOL("swfparser");
    stravel::testing::TempDir dir;
    const Bytes again = swftest::WriteBytes(*text, 8);
    const Bytes movie = swftest::MovieOfTagBytes(again, 8);
    stravel::testing::WriteFileBytes(dir / "text.swf", std::string(movie.begin(), movie.end()));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", (dir / "text.swf").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("DefineText"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("FailingObject"), std::string::npos) << result.out;
}

TEST(StoredTagFaults, DamagedTagsAreKeptAsStored) {
    const Bytes button = {1, 0, 0, 0, 0, 0x11, 2, 0, 1, 0, 0x00, 0x04, // record: up, filters
                          3, 1, 0, 0, 1, 0,    0, 0, 1, 0, 2};         // 3 filters, 1 held
    const Bytes actions = {0x96, 0x10, 0x00, 'a', 0x00};               // Push past the end
    const Bytes placement = {0x20, 1, 0, 'a', 'b'}; // a name that runs into the next tag
    Bytes placed = Tag(kSwfTagPlaceObject2, placement);
    placed.insert(placed.end(), {0x40, 0x00});
    for (const Bytes& tag :
         {Tag(kSwfTagDefineButton2, button), Tag(kSwfTagDoAction, actions), placed}) {
        const Bytes movie = swftest::MovieOfTagBytes(tag, 8);
        EXPECT_EQ(swftest::ReadBackDifference(movie), "");
        CBK_SwfReader reader;
        ASSERT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
        // The button keeps its cut record as it stands instead: ids can still be moved.
        if (auto* read = dynamic_cast<CBK_SwfDefineButton2*>(reader.GetTags().front()))
            EXPECT_FALSE(read->GetButtonRecord(0)->storedBytes.empty());
        else
            EXPECT_NE(dynamic_cast<CBK_SwfTagUnknown*>(reader.GetTags().front()), nullptr);
        ASSERT_GE(reader.GetTags().size(), 2u);
        EXPECT_EQ(reader.GetTags()[1]->GetTagId(), tag == placed ? kSwfTagShowFrame : kSwfTagEnd);
        reader.Destroy(true);
    }
}

} // namespace
