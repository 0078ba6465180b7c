#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <string>

#include "platform/fonts/font_catalog.h"
#include "platform/fonts/font_manager.h"
#include "tests/platform/fonts/font_fixture.h"
#include "tests/support/font_oracle.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
using fonttest::FamilyNamed;
using fonttest::FromPascal;
using fonttest::MakePascal;
using stravel::testing::FontconfigMatch;
using stravel::testing::FreeTypeFace;

using FamilyTest = ::testing::Test;
using MetricsTest = fonttest::PortTest;

TEST_F(FamilyTest, IdsFollowTheSortedNamesAfterTheFixedSystemFamily) {
    STRAVEL_REQUIRE_FONTS();
    const std::vector<fonts::Family> families = fonts::Families();
    ASSERT_EQ(families.front().id, GetSysFont());
    EXPECT_EQ(GetSysFont(), 1024);
    for (std::size_t i = 1; i < families.size(); ++i) {
        EXPECT_EQ(families[i].id, 1024 + int(i));
        if (i > 1) {
            EXPECT_LT(families[i - 1].name, families[i].name);
        }
        EXPECT_NE(families[i].name, families[0].name);
    }
    if (FamilyNamed("DejaVu Sans") != 0) {
        EXPECT_EQ(families[0].name, "DejaVu Sans");
    }

    // Family 0 is the system family.
    Str255 zero, system;
    ASSERT_EQ(FMGetFontFamilyName(systemFont, zero), noErr);
    ASSERT_EQ(FMGetFontFamilyName(GetSysFont(), system), noErr);
    EXPECT_EQ(FromPascal(zero), FromPascal(system));
}

TEST_F(FamilyTest, FamiliesAreFontconfigsScalableFamilies) {
    STRAVEL_REQUIRE_TOOL("fc-list");
    auto listed = stravel::testing::RunTool(
        {"fc-list", "--format=%{family[0]}\n", ":scalable=True:variable=False"});
    ASSERT_EQ(listed.exitCode, 0);
    std::set<std::string> expected;
    std::istringstream lines(listed.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            expected.insert(line);
    std::set<std::string> ours;
    for (const fonts::Family& f : fonts::Families())
        ours.insert(f.name);
    EXPECT_EQ(ours, expected);
}

TEST_F(FamilyTest, NamesRoundTripThroughIds) {
    STRAVEL_REQUIRE_FONTS();
    for (const fonts::Family& f : fonts::Families()) {
        SCOPED_TRACE(f.name);
        Str255 name;
        ASSERT_EQ(FMGetFontFamilyName(f.id, name), noErr);
        EXPECT_EQ(FromPascal(name), f.macName);
        Str255 other;
        ASSERT_EQ(GetFontName(f.id, other), noErr);
        EXPECT_EQ(FromPascal(other), f.macName);
        SInt16 id = 0;
        ASSERT_EQ(GetFNum(name, &id), noErr);
        EXPECT_EQ(id, f.id);
        EXPECT_EQ(FMGetFontFamilyFromName(name), f.id);
        TextEncoding encoding = 0xFFFF;
        EXPECT_EQ(FMGetFontFamilyTextEncoding(f.id, &encoding), noErr);
        EXPECT_EQ(encoding, kTextEncodingMacRoman);

        // Case does not matter.
        std::string upper = f.macName;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
        EXPECT_EQ(FamilyNamed(upper), f.id);
    }
}

TEST_F(FamilyTest, UnknownNamesAndIdsAreRefused) {
    Str255 name;
    MakePascal("No Such Family Anywhere", name);
    SInt16 id = 77;
    EXPECT_EQ(GetFNum(name, &id), noErr);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(FMGetFontFamilyFromName(name), kInvalidFontFamily);
    MakePascal("", name);
    EXPECT_EQ(FMGetFontFamilyFromName(name), kInvalidFontFamily);
    if (FamilyNamed("DejaVu Sans") != 0) {
        // A name must match whole.
        EXPECT_EQ(FamilyNamed("DejaVu"), 0);
        EXPECT_EQ(FamilyNamed("DejaVu Sans "), 0);
    }

    Str255 out = {5, 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(FMGetFontFamilyName(999, out), kFMInvalidFontFamilyErr);
    EXPECT_EQ(out[0], 0);
    out[0] = 3;
    EXPECT_EQ(GetFontName(-5, out), noErr);
    EXPECT_EQ(out[0], 0);
    TextEncoding encoding = 0;
    EXPECT_EQ(FMGetFontFamilyTextEncoding(999, &encoding), kFMInvalidFontFamilyErr);

    EXPECT_EQ(GetFNum(nullptr, &id), paramErr);
    EXPECT_EQ(GetFNum(name, nullptr), paramErr);
    EXPECT_EQ(FMGetFontFamilyFromName(nullptr), kInvalidFontFamily);
    EXPECT_EQ(FMGetFontFamilyName(GetSysFont(), nullptr), paramErr);
    EXPECT_EQ(FMGetFontFamilyTextEncoding(GetSysFont(), nullptr), paramErr);
}

TEST_F(FamilyTest, OutlinePreferencesAreKept) {
    SetOutlinePreferred(true);
    SetPreserveGlyph(false);
    EXPECT_TRUE(GetOutlinePreferred());
    EXPECT_FALSE(GetPreserveGlyph());
    SetOutlinePreferred(false);
    SetPreserveGlyph(true);
    EXPECT_FALSE(GetOutlinePreferred());
    EXPECT_TRUE(GetPreserveGlyph());
}

TEST_F(MetricsTest, FacesAreFontconfigsChoiceForTheStyleBits) {
    STRAVEL_REQUIRE_TOOL("fc-match");
    STRAVEL_REQUIRE_FAMILY("DejaVu Sans");
    const FMFontFamily sans = FamilyNamed("DejaVu Sans");
    struct Case {
        Style face;
        const char* pattern;
    } cases[] = {
        {normal, "DejaVu Sans:weight=regular:slant=roman:width=normal"},
        {bold, "DejaVu Sans:weight=bold:slant=roman:width=normal"},
        {italic, "DejaVu Sans:weight=regular:slant=italic:width=normal"},
        {bold | italic, "DejaVu Sans:weight=bold:slant=italic:width=normal"},
        // Bits that choose no face.
        {underline | shadow | condense, "DejaVu Sans:weight=regular:slant=roman:width=normal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::string expected, ours;
        int expectedIndex = -1, ourIndex = -2;
        ASSERT_TRUE(FontconfigMatch(c.pattern, expected, expectedIndex));
        ASSERT_TRUE(fonts::FaceFile(sans, c.face, ours, ourIndex));
        EXPECT_EQ(ours, expected);
        EXPECT_EQ(ourIndex, expectedIndex);
    }
}

TEST_F(MetricsTest, FontMetricsAreFreeTypesSizeMetrics) {
    STRAVEL_REQUIRE_FAMILY("DejaVu Sans");
    const FMFontFamily sans = FamilyNamed("DejaVu Sans");
    std::string path;
    int index = 0;
    ASSERT_TRUE(fonts::FaceFile(sans, normal, path, index));
    FreeTypeFace face(path, index);
    ASSERT_TRUE(face.Ok());
    for (int size : {9, 12, 24, 36}) {
        SCOPED_TRACE(size);
        Select(sans, SInt16(size));
        FMetricRec metrics;
        ASSERT_EQ(FontMetrics(&metrics), noErr);
        ASSERT_TRUE(face.SetPoints(size));
        EXPECT_EQ(metrics.ascent, Fixed(face.SizeMetrics().ascender * 1024));
        EXPECT_EQ(metrics.descent, Fixed(-face.SizeMetrics().descender * 1024));
        EXPECT_EQ(metrics.widMax, Fixed(face.SizeMetrics().max_advance * 1024));
        EXPECT_GE(metrics.leading, 0);
    }
    // Size 0 is the default size, 12.
    FMetricRec twelve, zero;
    Select(sans, 12);
    ASSERT_EQ(FontMetrics(&twelve), noErr);
    Select(sans, 0);
    ASSERT_EQ(FontMetrics(&zero), noErr);
    EXPECT_EQ(zero.ascent, twelve.ascent);
    EXPECT_EQ(zero.descent, twelve.descent);
}

TEST_F(MetricsTest, FontMetricsFailWithoutAPortOrAFamily) {
    FMetricRec metrics;
    Select(999, 12);
    metrics.ascent = 5;
    EXPECT_EQ(FontMetrics(&metrics), kFMInvalidFontFamilyErr);
    EXPECT_EQ(metrics.ascent, 0);
    EXPECT_EQ(FontMetrics(nullptr), paramErr);
    Select(GetSysFont(), -4);
    EXPECT_EQ(FontMetrics(&metrics), paramErr);
    SetGWorld(nullptr, nullptr);
    EXPECT_EQ(FontMetrics(&metrics), paramErr);
    const unsigned char text = 'A';
    Fixed advance = 0;
    EXPECT_EQ(OutlineMetrics(1, &text, Point{1, 1}, Point{1, 1}, nullptr, nullptr, &advance,
                             nullptr, nullptr),
              paramErr);
}

TEST_F(MetricsTest, OutlineMetricsMeasureMacRomanBytesByTheirOwnGlyphs) {
    STRAVEL_REQUIRE_FAMILY("DejaVu Sans");
    const FMFontFamily sans = FamilyNamed("DejaVu Sans");
    std::string path;
    int index = 0;
    ASSERT_TRUE(fonts::FaceFile(sans, normal, path, index));
    FreeTypeFace face(path, index);
    ASSERT_TRUE(face.Ok() && face.SetPoints(24));
    Select(sans, 24);

    // 0x8E is é in Mac Roman.
    const unsigned char text[] = {'A', 'W', 'i', 0x8E, ' ', 'g'};
    const char32_t chars[] = {U'A', U'W', U'i', U'\u00E9', U' ', U'g'};
    constexpr int n = 6;
    Fixed advances[n], bearings[n];
    Rect bounds[n];
    SInt16 yMax = 0, yMin = 0;
    ASSERT_EQ(
        OutlineMetrics(n, text, Point{1, 1}, Point{1, 1}, &yMax, &yMin, advances, bearings, bounds),
        noErr);
    long highest = 0, lowest = 0;
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        FreeTypeFace::Glyph g;
        ASSERT_TRUE(face.Measure(chars[i], g));
        EXPECT_EQ(advances[i], Fixed(g.linearAdvance));
        EXPECT_EQ(bearings[i], Fixed(g.bounds.xMin * 1024));
        EXPECT_EQ(bounds[i].left, std::floor(g.bounds.xMin / 64.0));
        EXPECT_EQ(bounds[i].right, std::ceil(g.bounds.xMax / 64.0));
        EXPECT_EQ(bounds[i].top, -std::ceil(g.bounds.yMax / 64.0));
        EXPECT_EQ(bounds[i].bottom, -std::floor(g.bounds.yMin / 64.0));
        highest = std::max<long>(highest, long(std::ceil(g.bounds.yMax / 64.0)));
        lowest = std::min<long>(lowest, long(std::floor(g.bounds.yMin / 64.0)));
    }
    EXPECT_EQ(yMax, highest);
    EXPECT_EQ(yMin, lowest);
    EXPECT_LT(yMin, 0);           // the descender of g
    EXPECT_EQ(bounds[4], Rect{}); // a space has no outline

    // Twice as wide, same height: the advance of a 48 by 24 point em.
    ASSERT_TRUE(face.SetSize(48 * 64, 24 * 64));
    FreeTypeFace::Glyph wide;
    ASSERT_TRUE(face.Measure(U'W', wide));
    Fixed advance = 0;
    ASSERT_EQ(OutlineMetrics(1, "W", Point{1, 2}, Point{1, 1}, nullptr, nullptr, &advance, nullptr,
                             nullptr),
              noErr);
    EXPECT_EQ(advance, Fixed(wide.linearAdvance));

    EXPECT_EQ(OutlineMetrics(-1, text, Point{1, 1}, Point{1, 1}, nullptr, nullptr, nullptr, nullptr,
                             nullptr),
              paramErr);
    EXPECT_EQ(OutlineMetrics(1, nullptr, Point{1, 1}, Point{1, 1}, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
              paramErr);
    EXPECT_EQ(OutlineMetrics(1, text, Point{1, 1}, Point{0, 1}, nullptr, nullptr, nullptr, nullptr,
                             nullptr),
              paramErr);
    EXPECT_EQ(OutlineMetrics(0, nullptr, Point{1, 1}, Point{1, 1}, &yMax, &yMin, nullptr, nullptr,
                             nullptr),
              noErr);
}

} // namespace
