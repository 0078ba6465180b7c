#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/fonts/atsui.h"
#include "platform/fonts/font_catalog.h"
#include "tests/platform/fonts/font_fixture.h"
#include "tests/support/font_oracle.h"

namespace {

using namespace tbx;
using fonttest::FamilyNamed;
using stravel::testing::FreeTypeFace;

// A style of a font id and size, disposed of with the test.
class AtsuiTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (ATSUStyle s : _styles)
            ATSUDisposeStyle(s);
        for (ATSUTextLayout l : _layouts)
            ATSUDisposeTextLayout(l);
    }

    ATSUStyle MakeStyle(ATSUFontID font, Fixed size, Boolean boldFlag = false) {
        ATSUStyle style = nullptr;
        EXPECT_EQ(ATSUCreateStyle(&style), noErr);
        const ATSUAttributeTag tags[] = {kATSUFontTag, kATSUSizeTag, kATSUQDBoldfaceTag};
        const ByteCount sizes[] = {sizeof font, sizeof size, sizeof boldFlag};
        const ATSUAttributeValuePtr values[] = {&font, &size, &boldFlag};
        EXPECT_EQ(ATSUSetAttributes(style, size ? 3 : 0, tags, sizes, values), noErr);
        if (!size) {
            EXPECT_EQ(ATSUSetAttributes(style, 1, tags, sizes, values), noErr);
        }
        _styles.push_back(style);
        return style;
    }

    ATSUTextLayout MakeLayout(const std::u16string& text, ATSUStyle style) {
        ATSUTextLayout layout = nullptr;
        UniCharCount run = text.size();
        EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(text.data(), 0, text.size(), text.size(), 1, &run,
                                                  &style, &layout),
                  noErr);
        _layouts.push_back(layout);
        return layout;
    }

    // The glyph infos of a whole layout.
    std::vector<ATSUGlyphInfo> Glyphs(ATSUTextLayout layout, std::size_t length) {
        ByteCount bytes = 0;
        EXPECT_EQ(ATSUGetGlyphInfo(layout, 0, length, &bytes, nullptr), noErr);
        std::vector<unsigned char> buffer(bytes);
        auto* array = reinterpret_cast<ATSUGlyphInfoArray*>(buffer.data());
        EXPECT_EQ(ATSUGetGlyphInfo(layout, 0, length, &bytes, array), noErr);
        EXPECT_EQ(bytes, buffer.size());
        EXPECT_EQ(array->layout, layout);
        const ATSUGlyphInfo* first = array->glyphs;
        return std::vector<ATSUGlyphInfo>(first, first + array->numGlyphs);
    }

    std::vector<ATSUStyle> _styles;
    std::vector<ATSUTextLayout> _layouts;
};

TEST_F(AtsuiTest, FontIdsNameTheFacesOfKnownFamilies) {
    ATSUFontID font = 99;
    EXPECT_EQ(ATSUFONDtoFontID(999, 0, &font), kATSUInvalidFontErr);
    EXPECT_EQ(font, kATSUInvalidFontID);
    EXPECT_EQ(ATSUFONDtoFontID(GetSysFont(), 0, nullptr), paramErr);
    STRAVEL_REQUIRE_FONTS();
    ATSUFontID regular = 0, heavy = 0, underlined = 0, system = 0;
    ASSERT_EQ(ATSUFONDtoFontID(GetSysFont(), 0, &regular), noErr);
    ASSERT_EQ(ATSUFONDtoFontID(GetSysFont(), bold, &heavy), noErr);
    ASSERT_EQ(ATSUFONDtoFontID(GetSysFont(), underline, &underlined), noErr);
    ASSERT_EQ(ATSUFONDtoFontID(systemFont, 0, &system), noErr);
    EXPECT_NE(regular, kATSUInvalidFontID);
    EXPECT_NE(heavy, regular);
    EXPECT_EQ(underlined, regular);
    EXPECT_EQ(system, regular);
}

TEST_F(AtsuiTest, GlyphInfoGivesEachCharacterItsOwnGlyph) {
    STRAVEL_REQUIRE_FAMILY("DejaVu Sans");
    const FMFontFamily sans = FamilyNamed("DejaVu Sans");
    ATSUFontID font = 0;
    ASSERT_EQ(ATSUFONDtoFontID(sans, 0, &font), noErr);
    ATSUStyle style = MakeStyle(font, Long2Fix(12));
    // A surrogate pair is one character.
    const std::u16string text = u"A\u0416\U0001D400x";
    ATSUTextLayout layout = MakeLayout(text, style);
    std::vector<ATSUGlyphInfo> glyphs = Glyphs(layout, text.size());
    ASSERT_EQ(glyphs.size(), 4u);

    std::string path;
    int index = 0;
    ASSERT_TRUE(fonts::FaceFile(sans, normal, path, index));
    FreeTypeFace face(path, index);
    ASSERT_TRUE(face.Ok());
    const char32_t chars[] = {U'A', U'\u0416', U'\U0001D400', U'x'};
    const std::size_t offsets[] = {0, 1, 2, 4};
    for (int i = 0; i < 4; ++i) {
        FreeTypeFace::Glyph g;
        ASSERT_TRUE(face.Measure(chars[i], g));
        EXPECT_EQ(glyphs[i].glyphID, g.index) << i;
        EXPECT_EQ(glyphs[i].charIndex, offsets[i]) << i;
        EXPECT_EQ(glyphs[i].style, style);
    }
    EXPECT_NE(glyphs[1].glyphID, 0); // DejaVu Sans has Cyrillic

    // A buffer with room for one entry gets the first glyph only.
    ATSUGlyphInfoArray one;
    ByteCount bytes = sizeof one;
    ASSERT_EQ(ATSUGetGlyphInfo(layout, 0, text.size(), &bytes, &one), noErr);
    EXPECT_EQ(one.numGlyphs, 1u);
    EXPECT_EQ(one.glyphs[0].glyphID, glyphs[0].glyphID);
    bytes = sizeof one - 1;
    EXPECT_EQ(ATSUGetGlyphInfo(layout, 0, text.size(), &bytes, &one), paramErr);
    // A line inside the text.
    bytes = sizeof one;
    ASSERT_EQ(ATSUGetGlyphInfo(layout, 1, 1, &bytes, &one), noErr);
    EXPECT_EQ(one.glyphs[0].glyphID, glyphs[1].glyphID);
    EXPECT_EQ(one.glyphs[0].charIndex, 1u);
    EXPECT_EQ(ATSUGetGlyphInfo(layout, 2, 4, &bytes, &one), paramErr);
    EXPECT_EQ(ATSUGetGlyphInfo(layout, 0, 1, nullptr, &one), paramErr);
}

TEST_F(AtsuiTest, LayoutsCheckTheirTextAndRuns) {
    ATSUStyle style = nullptr;
    ASSERT_EQ(ATSUCreateStyle(&style), noErr);
    _styles.push_back(style);
    const std::u16string text = u"abcdef";
    ATSUTextLayout layout = nullptr;
    UniCharCount runs[] = {2, 3};
    ATSUStyle styles[] = {style, style};
    EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(text.data(), 1, 5, 6, 2, runs, styles, &layout),
              noErr);
    _layouts.push_back(layout);
    // Offsets count from the start of the caller's text.
    ByteCount bytes = 0;
    EXPECT_EQ(ATSUGetGlyphInfo(layout, 0, 1, &bytes, nullptr), paramErr);

    ATSUTextLayout bad = nullptr;
    UniCharCount tooFew[] = {2, 2};
    EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(text.data(), 1, 5, 6, 2, tooFew, styles, &bad),
              paramErr);
    UniCharCount tooMany[] = {4, 2};
    EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(text.data(), 1, 5, 6, 2, tooMany, styles, &bad),
              paramErr);
    EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(text.data(), 2, 5, 6, 2, runs, styles, &bad),
              paramErr);
    EXPECT_EQ(ATSUCreateTextLayoutWithTextPtr(nullptr, 0, 0, 0, 0, nullptr, nullptr, &bad),
              paramErr);
    EXPECT_EQ(bad, nullptr);

    ATSUTextLayout doomed = MakeLayout(u"x", style);
    _layouts.pop_back();
    EXPECT_EQ(ATSUDisposeTextLayout(doomed), noErr);
    EXPECT_EQ(ATSUDisposeTextLayout(doomed), kATSUInvalidTextLayoutErr);
    EXPECT_EQ(ATSUGetGlyphInfo(doomed, 0, 1, &bytes, nullptr), kATSUInvalidTextLayoutErr);
}

TEST_F(AtsuiTest, IdealMetricsAreTheUnhintedOutlineNumbers) {
    STRAVEL_REQUIRE_FAMILY("DejaVu Sans");
    const FMFontFamily sans = FamilyNamed("DejaVu Sans");
    ATSUFontID font = 0;
    ASSERT_EQ(ATSUFONDtoFontID(sans, 0, &font), noErr);
    ATSUStyle style = MakeStyle(font, Long2Fix(24));
    const std::u16string text = u"AWi\u0416 ";
    std::vector<ATSUGlyphInfo> glyphs = Glyphs(MakeLayout(text, style), text.size());
    ASSERT_EQ(glyphs.size(), text.size());
    std::vector<ATSGlyphIdealMetrics> metrics(glyphs.size());
    ASSERT_EQ(ATSUGlyphGetIdealMetrics(style, glyphs.size(), &glyphs[0].glyphID,
                                       sizeof(ATSUGlyphInfo), metrics.data()),
              noErr);

    std::string path;
    int index = 0;
    ASSERT_TRUE(fonts::FaceFile(sans, normal, path, index));
    FreeTypeFace face(path, index);
    ASSERT_TRUE(face.Ok() && face.SetPoints(24));
    for (std::size_t i = 0; i < text.size(); ++i) {
        SCOPED_TRACE(i);
        FreeTypeFace::Glyph g;
        ASSERT_TRUE(face.Measure(char32_t(text[i]), g));
        const float advance = float(g.linearAdvance / 65536.0);
        EXPECT_FLOAT_EQ(metrics[i].advance.x, advance);
        EXPECT_FLOAT_EQ(metrics[i].sideBearing.x, float(g.bounds.xMin / 64.0));
        EXPECT_NEAR(metrics[i].otherSideBearing.x, advance - g.bounds.xMax / 64.0, 1e-4);
    }

    // No size means 12 points; the bold flag chooses the bold face.
    ATSUStyle twelve = MakeStyle(font, 0);
    ATSUStyle heavy = MakeStyle(font, Long2Fix(24), true);
    ATSGlyphIdealMetrics w12, w24bold;
    const GlyphID w = glyphs[1].glyphID;
    ASSERT_EQ(ATSUGlyphGetIdealMetrics(twelve, 1, &w, 0, &w12), noErr);
    EXPECT_FLOAT_EQ(w12.advance.x * 2, metrics[1].advance.x);
    std::string boldPath;
    ASSERT_TRUE(fonts::FaceFile(sans, bold, boldPath, index));
    if (boldPath != path) {
        std::vector<ATSUGlyphInfo> boldGlyphs = Glyphs(MakeLayout(u"W", heavy), 1);
        ASSERT_EQ(ATSUGlyphGetIdealMetrics(heavy, 1, &boldGlyphs[0].glyphID, 0, &w24bold), noErr);
        EXPECT_GT(w24bold.advance.x, metrics[1].advance.x);
    }

    ATSUStyle dead = nullptr;
    ASSERT_EQ(ATSUCreateStyle(&dead), noErr);
    ATSUDisposeStyle(dead);
    EXPECT_EQ(ATSUGlyphGetIdealMetrics(dead, 1, &w, 0, &w12), kATSUInvalidStyleErr);
    EXPECT_EQ(ATSUGlyphGetIdealMetrics(style, 1, nullptr, 0, &w12), paramErr);
}

} // namespace
