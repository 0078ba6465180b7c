#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/fonts/font.h"
#include "core/fonts/font_name.h"
#include "platform/fonts/font_catalog.h"
#include "platform/fonts/font_manager.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/support/font_oracle.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::FreeTypeFace;
using stravel::testing::RoundFixed;

// The id of an installed family, 0 when it is missing.
int32_t Family(const char* name) {
    tbx::Str255 pascal;
    pascal[0] = static_cast<unsigned char>(std::strlen(name));
    std::memcpy(pascal + 1, name, pascal[0]);
    tbx::SInt16 id = 0;
    tbx::GetFNum(pascal, &id);
    return id;
}

#define REQUIRE_FAMILY(name)                                                                       \
    STRAVEL_REQUIRE(Family(name) != 0, std::string(name) + " is not installed")

std::wstring StyleString(const CBK_Font& font, int32_t size = 256) {
    wchar_t buffer[256];
    font.GetStyleString(buffer, size);
    return buffer;
}

// FreeType's own face for a family and face bits.
struct Oracle {
    Oracle(int32_t family, tbx::Style face) {
        std::string path;
        int index = 0;
        if (tbx::fonts::FaceFile(tbx::FMFontFamily(family), face, path, index))
            ft = std::make_unique<FreeTypeFace>(path, index);
    }
    bool Ok() const { return ft && ft->Ok(); }
    std::unique_ptr<FreeTypeFace> ft;
};

TEST(FontTest, NewFontIsTheSystemFontAtTwelvePointsRegular) {
    CBK_Font font;
    EXPECT_EQ(font.GetSize(), 12);
    EXPECT_EQ(font.GetMacFontStyle(), 0);
    EXPECT_EQ(font.GetMacFontId(), tbx::GetSysFont());
    EXPECT_EQ(StyleString(font), L"Regular");
    EXPECT_FALSE(font.IsBold());
    EXPECT_FALSE(font.IsItalic());

    tbx::Str255 name = {0};
    tbx::FMGetFontFamilyName(tbx::GetSysFont(), name);
    BK_DecodeMacFontName(name, tbx::kTextEncodingMacRoman);
    std::wstring expected(name + 1, name + 1 + name[0]);
    EXPECT_EQ(std::wstring(font.GetName()), expected);
    if (Family("DejaVu Sans") != 0) {
        EXPECT_STREQ(font.GetName(), L"DejaVu Sans");
    }
}

TEST(FontTest, StyleBitsAndTheirNames) {
    CBK_Font font;
    font.SetBold(true);
    font.SetItalic(true);
    EXPECT_EQ(font.GetMacFontStyle(), 3);
    EXPECT_EQ(StyleString(font), L"Bold Italic");
    font.SetBold(false);
    EXPECT_EQ(StyleString(font), L"Italic");
    font.SetMacFontStyle(0x7F);
    EXPECT_EQ(StyleString(font), L"Bold Italic Underline Outline Shadow Condense Extend");
    font.SetMacFontStyle(0x80); // no named bit
    EXPECT_EQ(StyleString(font), L"Regular");
}

TEST(FontTest, StyleStringKeepsToTheBuffer) {
    CBK_Font font;
    font.SetMacFontStyle(3);
    wchar_t buffer[16];
    std::wmemset(buffer, L'#', 16);
    font.GetStyleString(buffer, 6);
    EXPECT_STREQ(buffer, L"Bold ");
    EXPECT_EQ(buffer[6], L'#');
    font.GetStyleString(buffer, 1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], L'o');
    buffer[0] = L'#';
    font.GetStyleString(buffer, 0);
    font.GetStyleString(buffer, -5);
    EXPECT_EQ(buffer[0], L'#');
    font.GetStyleString(nullptr, 10);
}

TEST(FontTest, EqualityIgnoresTheSizeAndCompareDoesNot) {
    CBK_Font a, b;
    b.SetSize(30);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a.Compare(b));
    b.SetSize(12);
    EXPECT_TRUE(a.Compare(b));
    b.SetItalic(true);
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a.Compare(b));
}

TEST(FontTest, CopiesTakeFamilySizeStyleAndName) {
    REQUIRE_FAMILY("DejaVu Serif");
    CBK_Font a, b;
    ASSERT_TRUE(b.SetName(L"DejaVu Serif"));
    b.SetSize(20);
    b.SetBold(true);

    EXPECT_TRUE(a.Copy(b));
    EXPECT_TRUE(a.Compare(b));
    EXPECT_STREQ(a.GetName(), L"DejaVu Serif");
    EXPECT_FALSE(a.Copy(b)); // nothing left to change
    EXPECT_EQ(a.GetAscent(), b.GetAscent());

    CBK_Font c;
    c = b;
    c = c;
    EXPECT_TRUE(c.Compare(b));
    EXPECT_STREQ(c.GetName(), L"DejaVu Serif");
    EXPECT_EQ(c.GetCharAdvanceWidth(L'W'), b.GetCharAdvanceWidth(L'W'));

    // A copy has a port of its own: it measures after the original is gone.
    auto original = std::make_unique<CBK_Font>(b);
    CBK_Font copy(*original);
    original.reset();
    EXPECT_TRUE(copy.Compare(b));
    EXPECT_EQ(copy.GetCharAdvanceWidth(L'W'), b.GetCharAdvanceWidth(L'W'));
}

TEST(FontTest, FontDataHoldsSizeAndStyle) {
    CBK_Font font;
    font.SetSize(17);
    font.SetMacFontStyle(5);
    CBK_Font::FONTDATA data;
    std::memset(&data, 0x5A, sizeof data);
    font.GetFontData(data);
    EXPECT_EQ(data.nSize, 17);
    EXPECT_EQ(data.nStyle, 5);
    EXPECT_EQ(
        data.nReserved1 | data.nReserved2 | data.nReserved3 | data.nReserved5 | data.nReserved6, 0);

    CBK_Font other;
    data.nSize = 33;
    data.nStyle = 2;
    EXPECT_FALSE(other.Create(L"No Such Family Anywhere", data));
    EXPECT_EQ(other.GetSize(), 33);
    EXPECT_EQ(other.GetMacFontStyle(), 2);
    EXPECT_EQ(other.GetMacFontId(), tbx::GetSysFont());
    if (Family("DejaVu Serif") != 0) {
        EXPECT_TRUE(other.Create(L"DejaVu Serif", data));
        EXPECT_EQ(other.GetMacFontId(), Family("DejaVu Serif"));
    }
}

TEST(FontTest, SetNameFindsInstalledFamiliesOnly) {
    CBK_Font font;
    const int32_t family = font.GetMacFontId();
    const std::wstring name = font.GetName();
    EXPECT_FALSE(font.SetName(L"No Such Family Anywhere"));
    EXPECT_FALSE(font.SetName(L""));
    EXPECT_FALSE(font.SetName(nullptr));
    EXPECT_FALSE(font.SetName(std::wstring(300, L'a').c_str()));
    EXPECT_EQ(font.GetMacFontId(), family);
    EXPECT_EQ(font.GetName(), name);

    REQUIRE_FAMILY("DejaVu Serif");
    EXPECT_TRUE(font.SetName(L"DejaVu Serif"));
    EXPECT_EQ(font.GetMacFontId(), Family("DejaVu Serif"));
    EXPECT_STREQ(font.GetName(), L"DejaVu Serif");
    EXPECT_NE(font.GetMacFontId(), family);
    EXPECT_TRUE(font.SetName(L"dejavu serif"));
    EXPECT_EQ(font.GetMacFontId(), Family("DejaVu Serif"));
}

TEST(FontTest, NamesRoundTripThroughFamilyIds) {
    STRAVEL_REQUIRE(!tbx::fonts::Families().empty(), "no scalable font is installed");
    for (const tbx::fonts::Family& f : tbx::fonts::Families()) {
        SCOPED_TRACE(f.name);
        CBK_Font font;
        font.SetMacFontId(f.id);
        const std::wstring name = font.GetName();
        ASSERT_FALSE(name.empty());
        CBK_Font other;
        if (name == std::wstring(f.name.begin(), f.name.end())) { // plain ASCII names
            ASSERT_TRUE(other.SetName(name.c_str()));
            EXPECT_EQ(other.GetMacFontId(), f.id);
        }
    }
}

TEST(FontTest, UnknownFamiliesMeasureNothingAndScaleToZero) {
    for (int32_t id : {999, 70000 + 1024, -2}) {
        SCOPED_TRACE(id);
        CBK_Font font;
        font.SetMacFontId(id);
        EXPECT_EQ(font.GetMacFontId(), id);
        EXPECT_STREQ(font.GetName(), L"");
        EXPECT_EQ(font.GetAscent(), 0);
        EXPECT_EQ(font.GetHeight(), 0);
        EXPECT_EQ(font.GetTTAscent(), 0);
        EXPECT_EQ(font.GetTTDescent(), 0);
        EXPECT_EQ(font.GetTTLeading(), 0);
        EXPECT_EQ(font.GetTTHeight(), 0);
        EXPECT_EQ(font.GetCharWidth(L'A'), -1);
        EXPECT_EQ(font.GetCharLeftBearing(L'A'), 0);
        EXPECT_EQ(font.GetCharRightBearing(L'A'), 0);
        EXPECT_EQ(font.GetCharTotalWidth(L'A'), -1);
        EXPECT_EQ(font.GetCharAdvanceWidth(L'A'), 0);
        EXPECT_EQ(font.GetCharAdvanceWidth(L'\u0416'), 0);
        EXPECT_EQ(font.GetTTCharTotalWidth(L'A'), 0);
        EXPECT_EQ(font.GetTTCharAdvanceWidth(L'A'), 0);
    }
}

TEST(FontTest, SizeZeroHasNoScaledWidths) {
    CBK_Font font;
    font.SetSize(0);
    EXPECT_EQ(font.GetTTCharTotalWidth(L'W'), 0);
    EXPECT_EQ(font.GetTTCharAdvanceWidth(L'W'), 0);
    font.SetSize(-7);
    EXPECT_EQ(font.GetHeight(), 0);
    EXPECT_EQ(font.GetTTAscent(), 0);
}

TEST(FontTest, LineMetricsAreFreeTypesAndScaleToTheEm) {
    REQUIRE_FAMILY("DejaVu Sans");
    CBK_Font font;
    ASSERT_TRUE(font.SetName(L"DejaVu Sans"));
    Oracle oracle(font.GetMacFontId(), tbx::normal);
    ASSERT_TRUE(oracle.Ok());
    for (int size : {9, 12, 24, 36}) {
        SCOPED_TRACE(size);
        font.SetSize(size);
        ASSERT_TRUE(oracle.ft->SetPoints(size));
        const FT_Size_Metrics& m = oracle.ft->SizeMetrics();
        EXPECT_EQ(font.GetAscent(), m.ascender / 64);
        EXPECT_EQ(font.GetDescent(), -m.descender / 64);
        EXPECT_EQ(font.GetHeight(), (m.ascender - m.descender) / 64);
        EXPECT_GE(font.GetLeading(), 0);
        const int32_t height = font.GetHeight();
        EXPECT_EQ(font.GetTTAscent(), font.GetAscent() * 1024 / height);
        EXPECT_EQ(font.GetTTDescent(), font.GetDescent() * 1024 / height);
        EXPECT_EQ(font.GetTTHeight(), (font.GetAscent() + font.GetDescent()) * 1024 / height);
    }
    // At 9 points the ascent is 9 and the height 12.
    font.SetSize(9);
    ASSERT_EQ(font.GetAscent(), 9);
    ASSERT_EQ(font.GetHeight(), 12);
    EXPECT_EQ(font.GetTTAscent(), 768);
    EXPECT_EQ(font.GetTTDescent(), 256);
    EXPECT_EQ(font.GetTTHeight(), 1024);
}

TEST(FontTest, CharacterMetricsAreFreeTypesUnhintedNumbers) {
    REQUIRE_FAMILY("DejaVu Sans");
    CBK_Font font;
    ASSERT_TRUE(font.SetName(L"DejaVu Sans"));
    Oracle oracle(font.GetMacFontId(), tbx::normal);
    ASSERT_TRUE(oracle.Ok());
    // é and Ж are measured by their own glyphs, not by their low bytes.
    for (int size : {9, 12, 24, 72}) {
        font.SetSize(size);
        ASSERT_TRUE(oracle.ft->SetPoints(size));
        for (wchar_t c : {L'A', L'W', L'i', L'g', L' ', L'\u00E9', L'\u0416', L'\u20AC'}) {
            SCOPED_TRACE(testing::Message() << size << " pt, U+" << std::hex << int(c));
            FreeTypeFace::Glyph g;
            ASSERT_TRUE(oracle.ft->Measure(char32_t(c), g));
            const int32_t advance = RoundFixed(g.linearAdvance);
            const int32_t width =
                g.bounds.xMax == g.bounds.xMin
                    ? 0
                    : int32_t(std::ceil(g.bounds.xMax / 64.0) - std::floor(g.bounds.xMin / 64.0));
            const int32_t left = RoundFixed(g.bounds.xMin * 1024);
            EXPECT_EQ(font.GetCharAdvanceWidth(c), advance);
            EXPECT_EQ(font.GetCharTotalWidth(c), advance);
            EXPECT_EQ(font.GetCharWidth(c), width);
            EXPECT_EQ(font.GetCharLeftBearing(c), left);
            EXPECT_EQ(font.GetCharRightBearing(c), advance - left - width);
            EXPECT_EQ(font.GetTTCharAdvanceWidth(c), advance * 1024 / size);
            EXPECT_EQ(font.GetTTCharTotalWidth(c), advance * 1024 / size);
        }
    }
    font.SetSize(72);
    EXPECT_GT(font.GetCharWidth(L'\u0416'), 0);
    EXPECT_NE(font.GetCharAdvanceWidth(L'\u00E9'), font.GetCharAdvanceWidth(L'\u00C8'));
}

TEST(FontTest, BoldIsWiderWhereTheFamilyHasABoldFace) {
    REQUIRE_FAMILY("DejaVu Sans");
    CBK_Font regular, heavy;
    ASSERT_TRUE(regular.SetName(L"DejaVu Sans"));
    ASSERT_TRUE(heavy.SetName(L"DejaVu Sans"));
    regular.SetSize(48);
    heavy.SetSize(48);
    heavy.SetBold(true);
    EXPECT_GT(heavy.GetCharAdvanceWidth(L'W'), regular.GetCharAdvanceWidth(L'W'));
    EXPECT_GT(heavy.GetCharAdvanceWidth(L'\u0416'), regular.GetCharAdvanceWidth(L'\u0416'));
    // Underline chooses no other face.
    CBK_Font underlined;
    ASSERT_TRUE(underlined.SetName(L"DejaVu Sans"));
    underlined.SetSize(48);
    underlined.SetMacFontStyle(tbx::underline);
    EXPECT_EQ(underlined.GetCharAdvanceWidth(L'W'), regular.GetCharAdvanceWidth(L'W'));
}

TEST(FontTest, MeasuringLeavesTheCurrentPortAlone) {
    tbx::GWorldPtr world = nullptr;
    tbx::Rect bounds;
    bounds.right = 4;
    bounds.bottom = 4;
    ASSERT_EQ(tbx::NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), tbx::noErr);
    tbx::CGrafPtr saved = nullptr;
    tbx::GetGWorld(&saved, nullptr);
    tbx::SetGWorld(world, nullptr);
    tbx::TextSize(31);
    {
        CBK_Font font;
        font.SetSize(50);
        font.GetAscent();
        font.GetCharAdvanceWidth(L'x');
        font.GetCharAdvanceWidth(L'\u0416');
    }
    tbx::CGrafPtr now = nullptr;
    tbx::GetGWorld(&now, nullptr);
    EXPECT_EQ(now, world);
    EXPECT_EQ(tbx::GetPortTextSize(world), 31);
    tbx::SetGWorld(saved, nullptr);
    tbx::DisposeGWorld(world);
}

} // namespace
