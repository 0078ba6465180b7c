// Shapes, a font and texts of this model in a movie read by an independent SWF parser, which
// must take every tag to its exact length and find the counts and bounds we wrote.
#include <gtest/gtest.h>

#include "swf/fonts/define_font.h"
#include "swf/fonts/define_font2.h"
#include "swf/fonts/define_font_info.h"
#include "swf/morph/define_morph_shape.h"
#include "swf/records/rect.h"
#include "swf/shapes/define_shape.h"
#include "swf/tags/control_tags.h"
#include "swf/text/define_edit_text.h"
#include "swf/text/define_text.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;

// A one-frame movie of 550 x 400 pixels holding the tags.
std::string Movie(uint8_t version, std::vector<std::unique_ptr<CBK_SwfTag>>& tags) {
    std::vector<CBK_SwfTag*> raw;
    for (auto& tag : tags)
        raw.push_back(tag.get());
    return swftest::Movie(version, 11000, 8000, 1, raw);
}

CBK_SwfShape* Glyph(int32_t width) {
    auto* glyph = new CBK_SwfShape;
    glyph->Create(1, 0);
    auto* move = new CBK_SwfStyleChangeShapeRecord(0, -700, glyph);
    move->SetFillStyle(1, 1);
    move->CompileFlags();
    glyph->AddRecord(move);
    glyph->AddHorizontalLine(width);
    glyph->AddVerticalLine(700);
    glyph->AddHorizontalLine(-width);
    glyph->AddVerticalLine(-700);
    glyph->AddRecord(new CBK_SwfEndOfShapeRecord);
    return glyph;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(SwfParserOracle, ReadsOurShapesFontsAndTexts) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    std::vector<std::unique_ptr<CBK_SwfTag>> tags;
    tags.push_back(std::make_unique<CBK_SwfSetBackgroundColor>(0xFFFFFFu));

    auto box = std::make_unique<CBK_SwfDefineShape>();
    box->SetCharacterId(1);
    box->CreateBox(20, 40, 3000, 2000, new CBK_SwfFillStyle(new CBK_SwfColor(255, 0, 0), false),
                   new CBK_SwfLineStyle(20, new CBK_SwfColor(0, 0, 0), false));
    tags.push_back(std::move(box));

    // A line longer than one edge record can hold.
    auto line = std::make_unique<CBK_SwfDefineShape2>();
    line->SetCharacterId(2);
    line->CreateLine(0, 0, 150000, 0, nullptr,
                     new CBK_SwfLineStyle(40, new CBK_SwfColor(0, 0, 255), false));
    tags.push_back(std::move(line));

    auto circle = std::make_unique<CBK_SwfDefineShape3>();
    circle->SetCharacterId(3);
    auto* gradient = new CBK_SwfFillStyle(true);
    gradient->SetType(CBK_SwfFillStyle::RADIAL_FILL);
    auto* matrix = new CBK_SwfMatrix;
    matrix->CreateIdentity();
    gradient->SetMatrix(matrix);
    auto* stops = new CBK_SwfGradient(true);
    stops->AddRecord(new CBK_SwfGradientRecord(0, new CBK_SwfColorAlpha(255, 255, 255, 255), true));
    stops->AddRecord(new CBK_SwfGradientRecord(255, new CBK_SwfColorAlpha(0, 0, 0, 128), true));
    gradient->SetGradient(stops);
    circle->CreateCircle(0, 0, 1000, gradient, nullptr);
    tags.push_back(std::move(circle));

    auto morph = std::make_unique<CBK_SwfDefineMorphShape>();
    morph->SetCharacterId(4);
    auto* morphFill = new CBK_SwfMorphFillStyle;
    morphFill->SetStartColor(new CBK_SwfColorAlpha(255, 0, 0, 255));
    morphFill->SetEndColor(new CBK_SwfColorAlpha(0, 0, 255, 255));
    morph->CreateBox(0, 0, 100, 100, morphFill, nullptr, true);
    morph->CreateBox(50, 50, 200, 200, nullptr, nullptr, false);
    tags.push_back(std::move(morph));

    auto font =
        std::make_unique<CBK_SwfDefineFont2>(L"Stravel Sans", 5, CBK_SwfDefineFont2::FONT_BOLD);
    font->SetLanguage(1);
    font->AddEntry('a', Glyph(500), 600, new CBK_SwfRect(0, -700, 500, 0));
    font->AddEntry('b', Glyph(520), 620, new CBK_SwfRect(0, -700, 520, 0));
    font->AddEntry(0x263A, Glyph(900), 1000, new CBK_SwfRect(0, -700, 900, 0));
    font->SetTextMetrics(880, 144, 0);
    font->AddKerningPair({'a', 'b', -40});
    tags.push_back(std::move(font));

    auto oldFont = std::make_unique<CBK_SwfDefineFont>(6);
    oldFont->AddGlyph(Glyph(400));
    oldFont->AddGlyph(Glyph(450));
    tags.push_back(std::move(oldFont));
    tags.push_back(std::make_unique<CBK_SwfDefineFontInfo>(6, L"Old", L"xy",
                                                           CBK_SwfDefineFontInfo::FLAG_ANSI));

    auto text =
        std::make_unique<CBK_SwfDefineText>(7, new CBK_SwfRect(0, 0, 4000, 1000), nullptr, 0, 0);
    auto* style = new CBK_SwfTextStyleChangeRecord;
    style->SetFontId(5);
    style->SetFontHeight(240);
    style->SetColor(new CBK_SwfColor(0, 0, 0));
    style->SetOffset(0, 800);
    text->AddRecord(style);
    auto* glyphs = new CBK_SwfTextGlyphRecord;
    glyphs->AddEntry(0, 120);
    glyphs->AddEntry(1, -8); // kerned
    glyphs->AddEntry(2, 200);
    text->AddRecord(glyphs);
    text->UpdateMinimumBits();
    const int textBits = text->GetAdvanceBits();
    tags.push_back(std::move(text));

    auto text2 =
        std::make_unique<CBK_SwfDefineText2>(8, new CBK_SwfRect(0, 0, 4000, 1000), nullptr, 0, 0);
    auto* style2 = new CBK_SwfTextStyleChangeRecord;
    style2->SetFontId(5);
    style2->SetFontHeight(480);
    style2->SetColorAlpha(new CBK_SwfColorAlpha(10, 20, 30, 40));
    text2->AddRecord(style2);
    auto* many = new CBK_SwfTextGlyphRecord;
    for (int i = 0; i < 300; ++i)
        many->AddEntry(static_cast<uint32_t>(i % 3), 100);
    text2->AddRecord(many);
    tags.push_back(std::move(text2));

    auto edit = std::make_unique<CBK_SwfDefineEditText>();
    edit->Create(9, new CBK_SwfColorAlpha(0, 0, 0, 255), L"percent");
    edit->SetBounds(new CBK_SwfRect(0, 0, 2000, 400));
    edit->SetFlags(edit->GetFlags() | CBK_SwfDefineEditText::EDITTEXT_FONT |
                   CBK_SwfDefineEditText::EDITTEXT_INITIAL);
    edit->SetFont(5, 240);
    edit->SetReadOnly(true);
    edit->SetInitialText(L"0 %");
    tags.push_back(std::move(edit));
    tags.push_back(std::make_unique<CBK_SwfShowFrame>());
    tags.push_back(std::make_unique<CBK_SwfEnd>());

    stravel::testing::TempDir dir;
    const auto path = dir / "shapes.swf";
    stravel::testing::WriteFileBytes(path, Movie(6, tags));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string& out = result.out;
    // Every tag read to its declared length; those it knows fully parsed.
    EXPECT_EQ(out.find("FailingObject"), std::string::npos) << out;
    EXPECT_NE(out.find("Tags count: 12"), std::string::npos) << out;
    for (const char* expected :
         {"DefineShape:", "DefineShape2:", "DefineShape3:", "DefineMorphShape (UnknownObject)",
          "DefineFont2:", "DefineFont (UnknownObject)", "DefineFontInfo (UnknownObject)",
          "DefineText:", "DefineText2:", "DefineEditText:"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    for (const char* expected :
         {"ShapeBounds: (20, 3020, 40, 2040)",
          // Bounds read unsigned: -1000 in 11 bits, -150000 and -40 in 19.
          "ShapeBounds: (1048, 1000, 1048, 1000)", "ShapeBounds: (374288, 150000, 524248, 40)",
          "FontName: 'Stravel Sans'", "NumGlyphs: 3", "CodeTable: [97, 98, 9786]",
          "FontAdvanceTable: [600, 620, 1000]", "KerningCount: 1", "FontAscent: 880",
          "LanguageCode: 'Latin'", "FontFlagsWideCodes: 1", "FontFlagsBold: 1", "GlyphCount: 3",
          "GlyphCount: 255", "GlyphCount: 45", "TextColor: [10, 20, 30, 40]",
          "VariableName: 'percent'", "InitialText: '0 %'", "FontHeight: 240"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    // The line of 150000 twips is three edges; the box four; the circle four curves, the
    // glyphs four edges each.
    EXPECT_EQ(Count(out, "CurvedEdgeRecord"), 4u) << out;
    EXPECT_EQ(Count(out, "StraightEdgeRecord"), 4u + 3u + 3u * 4u) << out;
    // The parser reads advances unsigned: -8 comes back as its two's complement in the
    // text's advance width.
    std::vector<long> advances;
    const std::string field = "GlyphAdvance: ";
    for (std::size_t at = out.find(field); at != std::string::npos; at = out.find(field, at + 1))
        advances.push_back(std::stol(out.substr(at + field.size(), 12)));
    ASSERT_GE(advances.size(), 3u);
    const long mask = (1L << textBits) - 1;
    EXPECT_EQ(std::vector<long>(advances.begin(), advances.begin() + 3),
              std::vector<long>({120, -8 & mask, 200}));
    EXPECT_EQ(textBits, 9);
}

// A shape may hold up to 65,535 styles of each kind, although its index fields reach only
// the first 32,767: every style read is written back.
TEST(SwfParserOracle, ReadsEveryStyleOfAShapeBeyondTheIndexedOnes) {
    STRAVEL_REQUIRE_TOOL("swfparser");
    constexpr uint16_t kFills = 40000, kLines = 33000;
    auto count = [](uint16_t n) { return swftest::Bytes{0xFF, uint8_t(n), uint8_t(n >> 8)}; };
    // DefineShape3: id, empty bounds, the fills, the lines, index widths of 15 bits, a change
    // to fill 32,767 (the last one an index reaches), the end.
    swftest::Bytes body{1, 0, 0x08, 0x00};
    auto append = [&body](const swftest::Bytes& b) { body.insert(body.end(), b.begin(), b.end()); };
    append(count(kFills));
    for (uint16_t i = 0; i < kFills; ++i)
        append({0x00, uint8_t(i), uint8_t(i >> 8), 0x30, 0xFF});
    append(count(kLines));
    for (uint16_t i = 0; i < kLines; ++i)
        append({0x14, 0x00, 0x00, uint8_t(i), uint8_t(i >> 8), 0xFF});
    append({0xFF, 0x13, 0xFF, 0xF8, 0x00});
    swftest::Bytes tag{0x3F, 0x08}; // code 32, long form
    for (int i = 0; i < 4; ++i)
        tag.push_back(uint8_t(body.size() >> (8 * i)));
    tag.insert(tag.end(), body.begin(), body.end());

    CBK_SwfDefineShape3 shape;
    swftest::ReadTag(shape, tag);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(shape)), swftest::Hex(tag));
    std::vector<std::unique_ptr<CBK_SwfTag>> tags;
    tags.push_back(std::make_unique<CBK_SwfDefineShape3>(shape));
    tags.push_back(std::make_unique<CBK_SwfShowFrame>());
    tags.push_back(std::make_unique<CBK_SwfEnd>());
    stravel::testing::TempDir dir;
    const auto path = dir / "styles.swf";
    stravel::testing::WriteFileBytes(path, Movie(6, tags));
    const auto result = stravel::testing::RunTool({"swfparser", "-e", path.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find("FailingObject"), std::string::npos);
    EXPECT_NE(result.out.find("FillStyleCountExtended: 40000"), std::string::npos);
    EXPECT_NE(result.out.find("LineStyleCountExtended: 33000"), std::string::npos);
    EXPECT_EQ(Count(result.out, "FillStyleType: 0"), std::size_t(kFills));
    EXPECT_EQ(Count(result.out, "Width: 20"), std::size_t(kLines));
}

} // namespace
