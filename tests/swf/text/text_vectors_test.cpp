// DefineText, DefineText2 and DefineEditText: golden bytes both ways, the widths of indices
// and advances, record sequences that must read back as written, and edit-text flags.
#include <gtest/gtest.h>

#include "swf/styles/style_parts.h"
#include "swf/text/define_edit_text.h"
#include "swf/text/define_text.h"
#include "tests/swf/golden_vectors.h"

namespace {

using namespace ravuz;
using swftest::BlankOf;
using swftest::Bytes;
using swftest::GoldenVector;
using Style = CBK_SwfTextStyleChangeRecord;
using Glyphs = CBK_SwfTextGlyphRecord;
using EditText = CBK_SwfDefineEditText;

template <class Text = CBK_SwfDefineText>
std::unique_ptr<Text> NewText(uint16_t id) {
    return std::make_unique<Text>(id, new CBK_SwfRect(0, 0, 100, 100), nullptr, 0, 0);
}

Glyphs* GlyphsOf(std::initializer_list<SwfGlyphEntry> entries) {
    auto* g = new Glyphs;
    for (const SwfGlyphEntry& e : entries)
        g->AddEntry(e.index, e.advance);
    return g;
}

Style* Font(uint16_t id, uint16_t height) {
    auto* s = new Style;
    s->SetFontId(id);
    s->SetFontHeight(height);
    return s;
}

std::vector<GoldenVector> Vectors() {
    return {
        // Indices up to 5 and advances up to 200: glyph bits 3, advance bits 9.
        {"DefineText",
         {0xD4, 0x02, 0x01, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00, 0x03,
          0x09, 0x88, 0x01, 0x00, 0xF0, 0x00, 0x02, 0x0C, 0x8A, 0x64, 0x00},
         [] {
             auto t = NewText(1);
             t->AddRecord(Font(1, 240));
             t->AddRecord(GlyphsOf({{0, 200}, {5, 100}}));
             return t;
         },
         BlankOf<CBK_SwfDefineText>()},
        // One glyph of index 0 and advance 0: glyph bits 0, advance bits 1.
        {"DefineText2 with an RGBA colour",
         {0x56, 0x08, 0x02, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00, 0x00, 0x01,
          0x8C, 0x01, 0x00, 0x01, 0x02, 0x03, 0x04, 0xF0, 0x00, 0x01, 0x00, 0x00},
         [] {
             auto t = NewText<CBK_SwfDefineText2>(2);
             Style* s = Font(1, 240);
             s->SetColorAlpha(new CBK_SwfColorAlpha(1, 2, 3, 4));
             t->AddRecord(s);
             t->AddRecord(GlyphsOf({{0, 0}}));
             return t;
         },
         BlankOf<CBK_SwfDefineText2>()},
        {"a y offset of 0 set by hand",
         {0xD4, 0x02, 0x03, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00, 0x01,
          0x05, 0x8A, 0x01, 0x00, 0x00, 0x00, 0xF0, 0x00, 0x01, 0xA8, 0x00},
         [] {
             auto t = NewText(3);
             Style* s = new Style(0x88);
             s->SetFontId(1);
             s->SetFontHeight(240);
             s->SetYOffset(0);
             t->AddRecord(s);
             t->AddRecord(GlyphsOf({{1, 10}}));
             return t;
         },
         BlankOf<CBK_SwfDefineText>()},
        // A kerned advance of -300 needs 10 bits although the largest advance is 100.
        {"negative advances",
         {0xD2, 0x02, 0x04, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00,
          0x02, 0x0A, 0x81, 0x14, 0x00, 0x02, 0xAD, 0x4C, 0x64, 0x00},
         [] {
             auto t = NewText(4);
             auto* s = new Style;
             s->SetXOffset(20);
             t->AddRecord(s);
             t->AddRecord(GlyphsOf({{2, -300}, {3, 100}}));
             return t;
         },
         BlankOf<CBK_SwfDefineText>()},
        {"glyphs without a style record get an empty one",
         {0xCE, 0x02, 0x05, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00, 0x01, 0x05, 0x80, 0x01, 0xA8,
          0x00},
         [] {
             auto t = NewText(5);
             t->AddRecord(GlyphsOf({{1, 10}}));
             return t;
         },
         BlankOf<CBK_SwfDefineText>()},
        {"edit text with font and initial text",
         {0x52, 0x09, 0x05, 0x00, 0x40, 0x03, 0x20, 0x03, 0x20, 0x81,
          0x00, 0x02, 0x00, 0xF0, 0x00, 'v',  0x00, 'h',  'i',  0x00},
         [] {
             auto t = std::make_unique<EditText>();
             t->SetCharacterId(5);
             t->SetBounds(new CBK_SwfRect(0, 0, 100, 100));
             t->SetFlags(EditText::EDITTEXT_INITIAL | EditText::EDITTEXT_FONT);
             t->SetFont(2, 240);
             t->SetVariableName(L"v");
             t->SetInitialText(L"hi");
             return t;
         },
         BlankOf<EditText>()},
        {"edit text with colour, border, maximum length and layout",
         {0x57, 0x09, 0x06, 0x00, 0x08, 0x00, 0x06, 0x28, 0x01, 0x02, 0x03, 0x04, 0x10,
          0x00, 0x02, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 'n',  0x00},
         [] {
             auto t = std::make_unique<EditText>();
             t->Create(6, new CBK_SwfColorAlpha(1, 2, 3, 4), L"n");
             t->SetBorder(true);
             t->SetFlags(t->GetFlags() | EditText::EDITTEXT_MAXLENGTH | EditText::EDITTEXT_LAYOUT);
             t->SetMaxLength(16);
             t->SetLayout(EditText::EDITTEXT_CENTER, 1, 2, 3, 4);
             return t;
         },
         BlankOf<EditText>()},
    };
}

TEST(SwfTextVectors, WriteAndReadBack) {
    swftest::CheckTagVectors(Vectors());
}

// The text written, read back and written again: the same bytes, and the text read.
std::unique_ptr<CBK_SwfDefineText> RoundTrip(CBK_SwfDefineText& text) {
    const Bytes bytes = swftest::WriteBytes(text);
    std::unique_ptr<CBK_SwfDefineText> back(
        text.GetTagId() == kSwfTagDefineText2 ? new CBK_SwfDefineText2 : new CBK_SwfDefineText);
    EXPECT_EQ(swftest::ReadTag(*back, bytes), bytes.size() - (bytes.size() > 64 ? 6 : 2));
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(*back)), swftest::Hex(bytes));
    return back;
}

TEST(SwfDefineText, LongGlyphRecordsAreSplitNotMiscounted) {
    auto text = NewText(1);
    text->AddRecord(Font(1, 240));
    auto* glyphs = new Glyphs;
    for (uint32_t i = 0; i < 300; ++i)
        glyphs->AddEntry(i, static_cast<int32_t>(i) - 150);
    text->AddRecord(glyphs);
    auto back = RoundTrip(*text);
    std::vector<SwfGlyphEntry> entries;
    for (std::size_t i = 0; i < back->GetRecordCount(); ++i)
        if (back->GetRecord(i)->IsGlyphRecord()) {
            const auto& part = static_cast<Glyphs*>(back->GetRecord(i))->GetEntries();
            EXPECT_LE(part.size(), 255u);
            entries.insert(entries.end(), part.begin(), part.end());
        }
    ASSERT_EQ(entries.size(), 300u);
    for (uint32_t i = 0; i < 300; ++i) {
        EXPECT_EQ(entries[i].index, i);
        EXPECT_EQ(entries[i].advance, static_cast<int32_t>(i) - 150);
    }
}

TEST(SwfDefineText, StyleRecordsThatMeetAreWrittenAsOne) {
    // A second style byte straight after a style record would be read as a glyph count.
    auto text = NewText(1);
    text->AddRecord(Font(1, 240));
    auto* colour = new Style;
    colour->SetColor(new CBK_SwfColor(9, 8, 7));
    text->AddRecord(colour);
    text->AddRecord(new Glyphs); // no entries: nothing to write
    auto* moved = new Style;
    moved->SetOffset(40, 60);
    text->AddRecord(moved);
    text->AddRecord(GlyphsOf({{1, 100}}));
    text->AddRecord(Font(2, 120)); // last, with no glyphs after it
    auto back = RoundTrip(*text);
    ASSERT_EQ(back->GetRecordCount(), 3u);
    auto* merged = dynamic_cast<Style*>(back->GetRecord(0));
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->GetFontId(), 1);
    EXPECT_EQ(merged->GetFontHeight(), 240);
    ASSERT_NE(merged->GetColor(), nullptr);
    EXPECT_EQ(merged->GetColor()->green, 8);
    EXPECT_EQ(merged->GetXOffset(), 40);
    EXPECT_EQ(merged->GetYOffset(), 60);
    EXPECT_TRUE(back->GetRecord(1)->IsGlyphRecord());
    EXPECT_EQ(static_cast<Style*>(back->GetRecord(2))->GetFontId(), 2);
}

TEST(SwfDefineText, ColoursFollowTheTag) {
    const Bytes body = {0x01, 0x00, 0x08, 0x00, 0x00, 0x01, 0x01, 0x84,
                        9,    8,    7,    6,    0x01, 0x00, 0x00};
    CBK_SwfDefineText rgb;
    auto r1 = swftest::ReaderOver(body);
    rgb.Read(r1.get());
    auto* s1 = static_cast<Style*>(rgb.GetRecord(0));
    EXPECT_FALSE(SwfIsAlphaColor(s1->GetColor()));
    CBK_SwfDefineText2 rgba;
    auto r2 = swftest::ReaderOver(body);
    rgba.Read(r2.get());
    auto* s2 = static_cast<Style*>(rgba.GetRecord(0));
    ASSERT_TRUE(SwfIsAlphaColor(s2->GetColor()));
    EXPECT_EQ(static_cast<CBK_SwfColorAlpha*>(s2->GetColor())->alpha, 6);

    // An announced colour that is missing is written black, three or four bytes by the tag.
    for (bool two : {false, true}) {
        auto text = two ? NewText<CBK_SwfDefineText2>(1) : NewText(1);
        auto* s = new Style;
        s->SetHasColor(true);
        text->AddRecord(s);
        text->AddRecord(GlyphsOf({{0, 1}}));
        auto back = RoundTrip(*text);
        const CBK_SwfColor* c = static_cast<Style*>(back->GetRecord(0))->GetColor();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(SwfIsAlphaColor(c), two);
    }
}

TEST(SwfDefineText, WidthsCountEveryGlyphRecord) {
    // A glyph record made with a count byte above 127 is still a glyph record.
    auto text = NewText(1);
    auto* glyphs = new Glyphs(200);
    glyphs->AddEntry(7, -1);
    text->AddRecord(glyphs);
    text->UpdateMinimumBits();
    EXPECT_EQ(text->GetGlyphBits(), 3);
    EXPECT_EQ(text->GetAdvanceBits(), 2);
    EXPECT_EQ(glyphs->GetGlyphBits(), 3);

    auto none = NewText(2);
    none->UpdateMinimumBits();
    EXPECT_EQ(none->GetGlyphBits(), 0);
    EXPECT_EQ(none->GetAdvanceBits(), 1);

    auto extreme = NewText(3);
    extreme->AddRecord(GlyphsOf({{UINT32_MAX, INT32_MIN}, {0, INT32_MAX}}));
    auto back = RoundTrip(*extreme);
    const auto& e = static_cast<Glyphs*>(back->GetRecord(1))->GetEntries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].index, UINT32_MAX);
    EXPECT_EQ(e[0].advance, INT32_MIN);
    EXPECT_EQ(e[1].advance, INT32_MAX);
}

TEST(SwfDefineText, OffsetInfoShiftsTheTextAndItsFonts) {
    auto text = NewText(1);
    auto* noFont = new Style;
    noFont->SetXOffset(5);
    text->AddRecord(noFont);
    text->AddRecord(GlyphsOf({{0, 1}}));
    text->AddRecord(Font(3, 100));
    text->OffsetInfo(10, 0, 0);
    EXPECT_EQ(text->GetCharacterId(), 11);
    EXPECT_EQ(noFont->GetFontId(), 0);
    EXPECT_EQ(noFont->GetHasFont(), 0);
    EXPECT_EQ(static_cast<Style*>(text->GetRecord(2))->GetFontId(), 13);
}

TEST(SwfDefineText, ReadingStaysWithinTheTag) {
    auto text = NewText(1);
    text->AddRecord(Font(1, 240));
    text->AddRecord(GlyphsOf({{5, 300}, {6, -30}, {7, 0}}));
    const Bytes payload = swftest::Payload(swftest::WriteBytes(*text));
    for (std::size_t n = 0; n < payload.size(); ++n) {
        Bytes data(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
        data.resize(n + 32, 0x7F);
        auto reader = swftest::ReaderOver(data);
        reader->SetCurrentTagLength(static_cast<uint32_t>(n));
        CBK_SwfDefineText back;
        EXPECT_LE(back.Read(reader.get()), n);
        EXPECT_LE(reader->GetBufPos(), n);
    }
    // A glyph count far beyond the bytes and widths of 255 bits.
    const Bytes wide = {0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x80, 0xFF, 0x00};
    CBK_SwfDefineText back;
    auto reader = swftest::ReaderOver(wide);
    back.Read(reader.get());
    ASSERT_EQ(back.GetRecordCount(), 2u);
    EXPECT_EQ(static_cast<Glyphs*>(back.GetRecord(1))->GetEntries().size(), 0u);
}

TEST(SwfDefineEditText, FlagsReadAreTheFlagsWritten) {
    // A font without layout: no layout block is read or added.
    const Bytes bytes = {0x4C, 0x09, 0x01, 0x00, 0x08, 0x00, 0x01,
                         0x00, 0x02, 0x00, 0xF0, 0x00, 'x',  0x00};
    EditText t;
    EXPECT_EQ(swftest::ReadTag(t, bytes), 12u);
    EXPECT_EQ(t.GetFlags(), EditText::EDITTEXT_FONT);
    EXPECT_EQ(t.GetFontHeight(), 240);
    EXPECT_EQ(t.GetVariableName(), L"x");
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(t)), swftest::Hex(bytes));

    // Names decode and encode in the movie's own encoding.
    EditText named;
    named.SetVariableName(L"\u00E9t\u00E9");
    for (uint8_t version : {5, 6}) {
        const Bytes written = swftest::WriteBytes(named, version);
        EditText back;
        swftest::ReadTag(back, written, version);
        EXPECT_EQ(back.GetVariableName(), L"\u00E9t\u00E9") << int(version);
    }
}

TEST(SwfDefineEditText, DefaultsCopiesAndOffsets) {
    EditText t;
    EXPECT_EQ(t.GetCharacterId(), 1);
    EXPECT_EQ(t.GetFontHeight(), 100);
    EXPECT_EQ(t.GetAlignment(), EditText::EDITTEXT_LEFT);
    t.SetReadOnly(true);
    t.SetNoSelect(true);
    t.SetUseOutlines(true);
    t.SetBorder(true);
    t.SetBorder(false);
    EXPECT_EQ(t.GetFlags(), 0x0811);
    t.OffsetInfo(3, 0, 0);
    EXPECT_EQ(t.GetCharacterId(), 4);
    EXPECT_EQ(t.GetFontId(), 0);
    t.SetFont(2, 200);
    t.OffsetInfo(3, 0, 0);
    EXPECT_EQ(t.GetFontId(), 5);
    t.SetFlags(t.GetFlags() | EditText::EDITTEXT_COLOR); // announced, no colour held
    const Bytes bytes = swftest::WriteBytes(t);
    EditText copy(t);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy)), swftest::Hex(bytes));
    EditText back;
    swftest::ReadTag(back, bytes);
    ASSERT_NE(back.GetColor(), nullptr);
    EXPECT_EQ(back.GetColor()->alpha, 255);
}

} // namespace
