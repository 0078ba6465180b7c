// DefineFont, DefineFont2, DefineFontInfo and DefineFontInfo2: golden bytes both ways, offset
// tables, the SWF 6 flags, names, and bodies that lie about their sizes.
#include <gtest/gtest.h>

#include "swf/fonts/define_font.h"
#include "swf/fonts/define_font2.h"
#include "swf/fonts/define_font_info.h"
#include "tests/swf/golden_vectors.h"

namespace {

using namespace ravuz;
using swftest::BlankOf;
using swftest::Bytes;
using swftest::Concat;
using swftest::GoldenVector;
using Font2 = CBK_SwfDefineFont2;
using FontInfo = CBK_SwfDefineFontInfo;

// A glyph of `edges` zero-length general edges: 14 + 11 * edges bits.
CBK_SwfShape* Glyph(int edges) {
    auto* glyph = new CBK_SwfShape;
    glyph->Create(1, 0);
    for (int i = 0; i < edges; ++i)
        glyph->AddGeneralLine(0, 0);
    glyph->AddRecord(new CBK_SwfEndOfShapeRecord);
    return glyph;
}

// Fill style 1 from the origin, then 100 twips to the right.
CBK_SwfShape* Bar() {
    auto* glyph = new CBK_SwfShape;
    glyph->Create(1, 0);
    auto* move = new CBK_SwfStyleChangeShapeRecord(0, 0, glyph);
    move->SetFillStyle(1, 1);
    move->SetFlags(CBK_SwfStyleChangeShapeRecord::MOVE_TO_FLAG |
                   CBK_SwfStyleChangeShapeRecord::FILL_STYLE_1_FLAG);
    glyph->AddRecord(move);
    glyph->AddHorizontalLine(100);
    glyph->AddRecord(new CBK_SwfEndOfShapeRecord);
    return glyph;
}

// Two glyphs of 10 and 12 bytes, codes 'a' and 'b', named "A".
std::unique_ptr<CBK_SwfObj> TwoGlyphs() {
    auto font = std::make_unique<Font2>(L"A", 1, Font2::FONT_ANSI);
    font->SetLanguage(1);
    font->AddEntry('a', Glyph(6), 0, nullptr);
    font->AddEntry('b', Glyph(7), 0, nullptr);
    return font;
}

const Bytes kGlyph10 = {0x10, 0xC2, 0x18, 0x43, 0x08, 0x61, 0x0C, 0x21, 0x84, 0x00};
const Bytes kGlyph12 = {0x10, 0xC2, 0x18, 0x43, 0x08, 0x61, 0x0C, 0x21, 0x84, 0x30, 0x80, 0x00};

std::vector<GoldenVector> Vectors() {
    std::vector<GoldenVector> v = {
        {"DefineFont",
         {0x8E, 0x02, 0x01, 0x00, 0x04, 0x00, 0x0A, 0x00, 0x10, 0x14, 0x27, 0x61, 0x90, 0x00, 0x10,
          0x00},
         [] {
             auto font = std::make_unique<CBK_SwfDefineFont>(1);
             font->AddGlyph(Bar());
             font->AddGlyph(Glyph(0));
             return font;
         },
         BlankOf<CBK_SwfDefineFont>()},
        {"DefineFont without glyphs",
         {0x82, 0x02, 0x01, 0x00},
         BlankOf<CBK_SwfDefineFont>(uint16_t(1)),
         BlankOf<CBK_SwfDefineFont>()},
        // Offsets 6 and 16, code-table offset 28; one-byte codes and the ANSI flag kept.
        {"DefineFont2 for SWF 5",
         Concat({{0x26, 0x0C, 0x01, 0x00, 0x10, 0x01, 0x01, 'A', 0x02, 0x00, 0x06, 0x00, 0x10, 0x00,
                  0x1C, 0x00},
                 kGlyph10,
                 kGlyph12,
                 {'a', 'b'}}),
         TwoGlyphs, BlankOf<Font2>(), 5},
        {"DefineFont2 for SWF 6",
         Concat({{0x28, 0x0C, 0x01, 0x00, 0x04, 0x01, 0x01, 'A', 0x02, 0x00, 0x06, 0x00, 0x10, 0x00,
                  0x1C, 0x00},
                 kGlyph10,
                 kGlyph12,
                 {'a', 0x00, 'b', 0x00}}),
         TwoGlyphs, BlankOf<Font2>(), 6},
        {"DefineFont2 without glyphs",
         {0x09, 0x0C, 0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00},
         BlankOf<Font2>(),
         BlankOf<Font2>(),
         5},
        {"DefineFont2 with layout",
         {0x1E, 0x0C, 0x01, 0x00, 0x84, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00,
          0x06, 0x00, 0x10, 0x00, 0x61, 0x00, 0x70, 0x03, 0x90, 0x00, 0x00,
          0x00, 0xF4, 0x01, 0x40, 0x03, 0x20, 0x03, 0x20, 0x00, 0x00},
         [] {
             auto font = std::make_unique<Font2>();
             font->SetName(L"");
             font->AddEntry('a', Glyph(0), 500, new CBK_SwfRect(0, 0, 100, 100));
             font->SetTextMetrics(880, 144, 0);
             return font;
         },
         BlankOf<Font2>()},
        {"DefineFontInfo",
         {0x4A, 0x03, 0x01, 0x00, 0x04, 'F', 'o', 'n', 't', 0x08, 'a', 'b'},
         [] { return std::make_unique<FontInfo>(1, L"Font", L"ab", FontInfo::FLAG_ANSI); },
         BlankOf<FontInfo>()},
        {"DefineFontInfo wide codes",
         {0x4C, 0x03, 0x01, 0x00, 0x04, 'F', 'o', 'n', 't', 0x09, 'a', 0x00, 'b', 0x00},
         [] {
             return std::make_unique<FontInfo>(1, L"Font", L"ab",
                                               FontInfo::FLAG_ANSI | FontInfo::FLAG_WIDE_CODES);
         },
         BlankOf<FontInfo>()},
        {"DefineFontInfo2",
         {0x8B, 0x0F, 0x01, 0x00, 0x04, 'F', 'o', 'n', 't', 0x08, 0x01, 'a', 'b'},
         [] {
             auto info =
                 std::make_unique<CBK_SwfDefineFontInfo2>(1, L"Font", L"ab", FontInfo::FLAG_ANSI);
             info->SetLanguage(1);
             return info;
         },
         BlankOf<CBK_SwfDefineFontInfo2>()},
    };
    return v;
}

TEST(SwfFontVectors, WriteAndReadBack) {
    swftest::CheckTagVectors(Vectors());
}

TEST(SwfDefineFont, TheOffsetTableComesFromTheGlyphs) {
    // Stored offsets are only what was last read or set; writing measures the glyphs.
    CBK_SwfDefineFont font;
    font.Create({0, 999}, {Bar(), Glyph(0)}, 1, true);
    EXPECT_EQ(font.GetOffsets(), std::vector<uint32_t>({4, 1003}));
    const Bytes bytes = swftest::WriteBytes(font);
    EXPECT_EQ(font.GetOffsets(), std::vector<uint32_t>({4, 10}));
    CBK_SwfDefineFont back;
    swftest::ReadTag(back, bytes);
    EXPECT_EQ(back.GetOffsets(), std::vector<uint32_t>({4, 10}));
    EXPECT_EQ(back.GetGlyphCount(), 2u);
}

TEST(SwfDefineFont, GlyphsWhoseOffsetsCannotBeWrittenAreLeftOut) {
    CBK_SwfDefineFont font(3);
    for (int i = 0; i < 100; ++i)
        font.AddGlyph(Glyph(700)); // 965 bytes each
    const Bytes bytes = swftest::WriteBytes(font);
    CBK_SwfDefineFont back;
    swftest::ReadTag(back, bytes);
    const auto& offsets = back.GetOffsets();
    ASSERT_GT(offsets.size(), 60u);
    ASSERT_LT(offsets.size(), 100u);
    EXPECT_EQ(back.GetGlyphCount(), offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i)
        EXPECT_EQ(offsets[i], 2 * offsets.size() + 965 * i);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(back)), swftest::Hex(bytes));
}

TEST(SwfDefineFont, OffsetTablesThatLieReadQuickly) {
    // A first offset of 0 once meant four billion further offsets.
    for (const Bytes& body :
         {Bytes{0x01, 0x00, 0x00, 0x00}, Bytes{0x01, 0x00, 0x01, 0x00, 0xAA},
          Bytes{0x01, 0x00, 0xFE, 0xFF, 0x10, 0x00}, Bytes{0x01, 0x00, 0xFE, 0xFF}}) {
        CBK_SwfDefineFont font;
        auto reader = swftest::ReaderOver(body);
        EXPECT_LE(font.Read(reader.get()), body.size());
        EXPECT_LE(font.GetGlyphCount(), 1u);
        EXPECT_LE(font.GetOffsets().size(), 2u);
    }
}

TEST(SwfDefineFont2, OffsetsWidenWhenTableAndGlyphsPassSixtyFourKilobytes) {
    // Two glyphs whose total alone fits 16 bits but not with the table of 6 bytes.
    auto size = [](int edges) {
        std::unique_ptr<CBK_SwfShape> glyph(Glyph(edges));
        return swftest::RecordBytes(*glyph, 6).size();
    };
    const int first = 20000;
    // Glyph sizes grow by 11 bits an edge: start just short of the window and step into it.
    int second = static_cast<int>(((0xFFFF - 5 - size(first)) * 8 - 14) / 11) - 2;
    while (size(first) + size(second) < 0xFFFF - 5)
        ++second;
    const std::size_t total = size(first) + size(second);
    ASSERT_LE(total, 0xFFFFu);
    ASSERT_GT(total + 6, 0xFFFFu);
    Font2 font(L"F", 1, 0);
    font.AddEntry('a', Glyph(first), 0, nullptr);
    font.AddEntry('b', Glyph(second), 0, nullptr);
    const Bytes bytes = swftest::WriteBytes(font, 6);
    const Bytes body = swftest::Payload(bytes);
    EXPECT_EQ(body[2] & Font2::FONT_WIDEOFFSETS, Font2::FONT_WIDEOFFSETS);
    Font2 back;
    swftest::ReadTag(back, bytes, 6);
    EXPECT_EQ(back.GetOffsets(), std::vector<uint32_t>({12, uint32_t(12 + size(first))}));
    EXPECT_EQ(back.GetCodeTable(), std::vector<uint16_t>({'a', 'b'}));

    // A small font keeps 16-bit offsets.
    Font2 small(L"F", 1, 0);
    small.AddEntry('a', Glyph(10), 0, nullptr);
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(small))[2] & Font2::FONT_WIDEOFFSETS, 0);
}

TEST(SwfDefineFont2, CodesAboveTwoFiftyFiveAreAlwaysWide) {
    Font2 font(L"F", 1, Font2::FONT_ANSI);
    font.AddEntry(0x263A, Glyph(0), 0, nullptr);
    font.AddKerningPair({0x263A, 'a', -20});
    font.SetTextMetrics(1, 2, 3);
    const Bytes bytes = swftest::WriteBytes(font, 5);
    Font2 back;
    swftest::ReadTag(back, bytes, 5);
    EXPECT_EQ(back.GetFlags() & Font2::FONT_WIDECODES, Font2::FONT_WIDECODES);
    EXPECT_EQ(back.GetCodeTable(), std::vector<uint16_t>({0x263A}));
    ASSERT_EQ(back.GetKerning().size(), 1u);
    EXPECT_EQ(back.GetKerning()[0].code1, 0x263A);
    EXPECT_EQ(back.GetKerning()[0].adjustment, -20);
    // SHIFTJIS and ANSI stay before SWF 6 and go from it on.
    EXPECT_EQ(back.GetFlags() & Font2::FONT_ANSI, Font2::FONT_ANSI);
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(font, 6))[2] & Font2::FONT_ANSI, 0);
}

TEST(SwfDefineFont2, NamesAreCutAtACharacterBoundaryToFitTheirLength) {
    const std::wstring name(200, L'\u00E9'); // two bytes each in UTF-8
    Font2 font(name, 1, 0);
    Bytes body = swftest::Payload(swftest::WriteBytes(font, 6));
    EXPECT_EQ(body[4], 254);
    Font2 back;
    swftest::ReadTag(back, swftest::WriteBytes(font, 6), 6);
    EXPECT_EQ(back.GetName(), std::wstring(127, L'\u00E9'));
    // Latin-1 before SWF 6: one byte each, all of them.
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(font, 5))[4], 200);

    FontInfo info(1, std::wstring(300, L'x'), L"", 0);
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(info, 6))[2], 255);

    Font2 suffixed(L"Font", 12, 0);
    suffixed.SetNameSuffix(true);
    Font2 read;
    swftest::ReadTag(read, swftest::WriteBytes(suffixed, 6), 6);
    EXPECT_EQ(read.GetName(), L"Font12");
}

TEST(SwfDefineFont2, EveryGlyphHasItsLayoutEntries) {
    // A glyph added without bounds still gets a rectangle, or the kerning count would be
    // read from the wrong bytes.
    Font2 font(L"F", 1, 0);
    font.SetTextMetrics(880, 144, 0);
    font.AddEntry('a', Glyph(1), 300, new CBK_SwfRect(0, 0, 10, 10));
    font.AddEntry('b', nullptr, -5, nullptr);
    font.AddKerningPair({'a', 'b', 7});
    const Bytes bytes = swftest::WriteBytes(font, 6);
    Font2 back;
    EXPECT_EQ(swftest::ReadTag(back, bytes, 6), bytes.size() - 2);
    EXPECT_EQ(back.GetGlyphCount(), 2u);
    EXPECT_EQ(back.GetAdvances(), std::vector<int16_t>({300, -5}));
    ASSERT_NE(back.GetBoundsFor(1), nullptr);
    EXPECT_EQ(back.GetBoundsFor(1)->xmax, 0);
    EXPECT_EQ(back.GetBoundsFor(2), nullptr);
    EXPECT_EQ(back.GetAscent(), 880);
    ASSERT_EQ(back.GetKerning().size(), 1u);
    EXPECT_EQ(back.GetKerning()[0].adjustment, 7);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(back, 6)), swftest::Hex(bytes));

    Font2 copy(back);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy, 6)), swftest::Hex(bytes));
}

TEST(SwfDefineFont2, CountsThatLieReadOnlyWhatTheTagHolds) {
    // 65535 glyphs announced in a tag of a few bytes.
    const Bytes body = {0x01, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x04, 0x00};
    Font2 font;
    auto reader = swftest::ReaderOver(body);
    EXPECT_LE(font.Read(reader.get()), body.size());
    EXPECT_LE(font.GetGlyphCount(), 1u);

    // Layout with a kerning count far past the end.
    const Bytes layout = {0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x01};
    Font2 kerned;
    auto r2 = swftest::ReaderOver(layout);
    kerned.Read(r2.get());
    EXPECT_EQ(kerned.GetKerning().size(), 0u);
}

TEST(SwfDefineFont2, StoredTagsAreCopiedWithANewId) {
    const char stored[] = {'\x3F', '\x0C', 10, 0, 0, 0, 7, 0, 'x', 'y', 'z', 'w', 'v', 'u'};
    CBK_SwfStream out(6);
    EXPECT_EQ(Font2::writeFromBuffer(stored, sizeof stored, 0x1234, out), 0u);
    EXPECT_EQ(swftest::Hex(swftest::BytesOf(out.GetStream())),
              "3F 0C 0A 00 00 00 34 12 78 79 7A 77 76 75");
    CBK_SwfStream none(6);
    Font2::writeFromBuffer(stored, 7, 1, none);
    EXPECT_TRUE(none.GetStream().empty());
}

TEST(SwfDefineFontInfo, CodesFillWhatIsLeftOfTheTag) {
    // Nine bytes after the flags with wide codes: four codes, the last byte left.
    const Bytes body = {0x01, 0x00, 0x01, 'F', 0x01, 1, 0, 2, 0, 3, 0, 4, 0, 5};
    FontInfo info;
    auto reader = swftest::ReaderOver(body);
    EXPECT_EQ(info.Read(reader.get()), body.size() - 1);
    EXPECT_EQ(info.GetCodeTable(), std::vector<uint16_t>({1, 2, 3, 4}));
    EXPECT_EQ(info.GetName(), L"F");

    // A name that runs past the tag leaves nothing (not four billion) for the codes.
    const Bytes cut = {0x01, 0x00, 0xC8, 'a', 'b'};
    FontInfo short_;
    auto r2 = swftest::ReaderOver(cut);
    EXPECT_LE(short_.Read(r2.get()), cut.size());
    EXPECT_TRUE(short_.GetCodeTable().empty());
}

TEST(SwfDefineFontInfo, CodesAboveTwoFiftyFiveAreWrittenWide) {
    FontInfo info(2, L"F", L"a\u263A", FontInfo::FLAG_ANSI);
    const Bytes bytes = swftest::WriteBytes(info, 6);
    FontInfo back;
    swftest::ReadTag(back, bytes, 6);
    EXPECT_EQ(back.GetFlags(), FontInfo::FLAG_ANSI | FontInfo::FLAG_WIDE_CODES);
    EXPECT_EQ(back.GetCodeTable(), std::vector<uint16_t>({'a', 0x263A}));
    CBK_SwfDefineFontInfo2 defaults;
    EXPECT_EQ(defaults.GetFontId(), 1);
    EXPECT_EQ(defaults.GetName(), L"Times New Roman");
    defaults.OffsetInfo(4, 0, 0);
    EXPECT_EQ(defaults.GetFontId(), 5);
}

} // namespace
