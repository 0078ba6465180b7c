#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "tests/support/bundle_fixture.h"

namespace {

using stravel::testing::ScratchBundle;

TEST(CBK_StringTest, NullTextGivesAnEmptyStringOfCapacityOne) {
    CBK_String s(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(s.GetLength(), 0u);
    EXPECT_EQ(s.GetCapacity(), 1u);
    EXPECT_STREQ(s.GetConstString(), L"");
    EXPECT_FALSE(s.SetString(static_cast<const wchar_t*>(nullptr)));
    s.SetString(L"abc");
    EXPECT_FALSE(s.SetString(static_cast<const wchar_t*>(nullptr)));
    EXPECT_STREQ(s.GetConstString(), L"abc");
}

TEST(CBK_StringTest, ShorterTextKeepsTheLargerCapacity) {
    CBK_String s(L"a rather long text");
    const uint32_t capacity = s.GetCapacity();
    s.SetString(L"ab");
    EXPECT_EQ(s.GetCapacity(), capacity);
    EXPECT_STREQ(s.GetConstString(), L"ab");
}

TEST(CBK_StringTest, SettingFromItsOwnTextIsSafe) {
    CBK_String s(L"hello world");
    s.SetString(s.GetConstString() + 6);
    EXPECT_STREQ(s.GetConstString(), L"world");
    CBK_String copy(s);
    copy = copy;
    EXPECT_STREQ(copy.GetConstString(), L"world");
}

TEST(CBK_StringTest, FormatEmptyAndLongResults) {
    CBK_String s(L"x");
    EXPECT_TRUE(s.Format(L"%ls", L""));
    EXPECT_STREQ(s.GetConstString(), L"");

    std::wstring longText(5000, L'q');
    EXPECT_TRUE(s.Format(L"<%ls|%d|%ls>", longText.c_str(), 42, longText.c_str()));
    EXPECT_EQ(std::wstring(s.GetConstString()), L"<" + longText + L"|42|" + longText + L">");
}

TEST(CBK_StringTest, FormatThatCanNeverFitFailsWithoutGrowingForever) {
    CBK_String s(L"kept");
    // A narrow argument that the C locale cannot widen: vswprintf fails at every size.
    EXPECT_FALSE(s.Format(L"%s", "\xC3\xA9"));
    EXPECT_STREQ(s.GetConstString(), L"kept");
}

TEST(CBK_StringTest, FloatTextByWidthAndPrecision) {
    CBK_String s;
    s.SetAsFloat(3.14159, 0, 2);
    EXPECT_STREQ(s.GetConstString(), L"3.14");
    s.SetAsFloat(7.25, 6, 0);
    EXPECT_STREQ(s.GetConstString(), L"     7");
    s.SetAsFloat(1.0, 0, 0);
    EXPECT_STREQ(s.GetConstString(), L"1.000000");
    s.SetAsFloat(2.5, 8, 2);
    EXPECT_STREQ(s.GetConstString(), L"    2.50");
    s.SetAsNumber(-2147483647 - 1);
    EXPECT_STREQ(s.GetConstString(), L"-2147483648");
}

TEST(CBK_StringTest, NumberConversionsByBase) {
    EXPECT_EQ(CBK_String(L"0x10").GetAsS32(), 16);
    EXPECT_EQ(CBK_String(L"010").GetAsS32(), 8);
    EXPECT_EQ(CBK_String(L"010").GetAsNumber(), 10);
    EXPECT_EQ(CBK_String(L"12abc").GetAsNumber(), 12);
    EXPECT_EQ(CBK_String(L"abc").GetAsNumber(), 0);
    EXPECT_EQ(CBK_String(L"0xFFFFFFFF").GetAsU32(), 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(CBK_String(L"2.5e3xyz").GetAsFloat(), 2500.0);
}

TEST(CBK_StringTest, NumberConversionsSaturateLikeThirtyTwoBitLongs) {
    EXPECT_EQ(BK_StringToNum(L"99999999999"), INT32_MAX);
    EXPECT_EQ(BK_StringToNum(L"-99999999999"), INT32_MIN);
    EXPECT_EQ(BK_StringToU32(L"99999999999"), UINT32_MAX);
    EXPECT_EQ(BK_StringToU32(L"-1"), UINT32_MAX);
    EXPECT_EQ(BK_StringToU32(L"-5"), 0xFFFFFFFBu);
    EXPECT_EQ(BK_HexStringToULong(L"0xdeadBEEF"), 0xDEADBEEFu);
    EXPECT_EQ(BK_HexStringToLong(L"ff"), 255);
    int32_t out = 0;
    EXPECT_EQ(BK_StringToNum(L" 42", out), 42);
    EXPECT_EQ(out, 42);
}

TEST(CBK_StringTest, CompareAndTruth) {
    CBK_String s(L"abc");
    EXPECT_TRUE(s.CompareTo(L"ABC", false));
    EXPECT_FALSE(s.CompareTo(L"ABC", true));
    EXPECT_FALSE(s.CompareTo(L"abcd", false));
    EXPECT_TRUE(CBK_String(L"TrUe").IsTrue());
    EXPECT_FALSE(CBK_String(L"true ").IsTrue());
    // Case folding does not depend on the process locale.
    EXPECT_TRUE(CBK_String(L"\u00C9t\u00C9").CompareTo(L"\u00E9t\u00E9", false));
    EXPECT_EQ(qf_wcscasecmp(L"a", L"B"), -1);
    EXPECT_EQ(qf_wcscasecmp(L"b", L"A"), 1);
    EXPECT_EQ(qf_wcscasecmp(L"ab", L"a"), 1);
}

TEST(CBK_StringTest, TrimRemovesWhiteSpaceAtBothEnds) {
    CBK_String s(L"  a b  ");
    s.Trim();
    EXPECT_STREQ(s.GetConstString(), L"a b");
    s.SetString(L"   ");
    s.Trim();
    EXPECT_STREQ(s.GetConstString(), L"");
    s.SetString(L"\t\nx\r\n");
    s.Trim();
    EXPECT_STREQ(s.GetConstString(), L"x");
    EXPECT_EQ(BK_TrimString(nullptr), L"");
}

TEST(CBK_StringTest, PascalStringsAreMacRoman) {
    const unsigned char pascal[] = {3, 'a', 0x8E, 0xA5}; // a, e acute, bullet
    CBK_String s;
    ASSERT_TRUE(s.SetString(pascal));
    EXPECT_STREQ(s.GetConstString(), L"a\u00E9\u2022");
}

class StringTableTest : public ::testing::Test {
protected:
    ScratchBundle bundle{"/* test table */\n"
                         "\"10019\" = \"Convert \\\"%ls\\\"\";\n"
                         "\"5\" = \"Emoji \\U00e9 \xF0\x9F\x98\x80\";\n"
                         "// comment\n"
                         "\"7\" = \"7\";\n"};
};

TEST_F(StringTableTest, LoadStringFindsTheTextByDecimalId) {
    CBK_String s(10019);
    EXPECT_STREQ(s.GetConstString(), L"Convert \"%ls\"");
    EXPECT_TRUE(s.LoadString(5));
    EXPECT_STREQ(s.GetConstString(), L"Emoji \u00E9 \U0001F600");
}

TEST_F(StringTableTest, MissingIdGivesItsNumberAndSucceeds) {
    CBK_String s;
    EXPECT_TRUE(s.LoadString(424242));
    EXPECT_STREQ(s.GetConstString(), L"424242");
    EXPECT_TRUE(s.LoadString(-3));
    EXPECT_STREQ(s.GetConstString(), L"-3");
}

TEST_F(StringTableTest, BufferFormCutsAtTheGivenSize) {
    wchar_t buffer[8];
    ASSERT_TRUE(BK_LoadString(10019, buffer, 8));
    EXPECT_STREQ(buffer, L"Convert");
    ASSERT_TRUE(BK_LoadString(5, buffer, 1));
    EXPECT_STREQ(buffer, L"");
}

TEST(BK_MakeTimeStringTest, MinutesSecondsAndHundredths) {
    struct Case {
        uint32_t ms;
        const wchar_t* text;
    } cases[] = {{0, L"00:00.00"},     {5, L"00:00.00"},     {999, L"00:00.99"},
                 {1000, L"00:01.00"},  {61234, L"01:01.23"}, {3600000, L"60:00.00"},
                 {59999, L"00:59.99"}, {60000, L"01:00.00"}};
    for (const auto& c : cases) {
        wchar_t buffer[32];
        BK_MakeTimeString(c.ms, buffer, 32);
        EXPECT_STREQ(buffer, c.text) << c.ms;
    }
    wchar_t small[4];
    BK_MakeTimeString(61234, small, 4);
    EXPECT_STREQ(small, L"01:");
}

TEST(BK_SetFormatStringTest, RespectsTheCallersBuffer) {
    wchar_t buffer[6];
    EXPECT_TRUE(BK_SetFormatString(buffer, 6, L"%d-%d", 12, 34));
    EXPECT_STREQ(buffer, L"12-34");
    EXPECT_FALSE(BK_SetFormatString(buffer, 6, L"%d-%d", 123, 456));
    EXPECT_STREQ(buffer, L"123-4");
    wchar_t number[256];
    BK_NumToString(-17, number);
    EXPECT_STREQ(number, L"-17");
    EXPECT_TRUE(BK_FloatToString(2.0, number, 256, 0, 1));
    EXPECT_STREQ(number, L"2.0");
}

TEST(BK_StringIsNumberTest, DigitsOnly) {
    EXPECT_TRUE(BK_StringIsNumber(L"0123"));
    EXPECT_TRUE(BK_StringIsNumber(L""));
    EXPECT_FALSE(BK_StringIsNumber(L"-1"));
    EXPECT_FALSE(BK_StringIsNumber(L"1.5"));
    EXPECT_FALSE(BK_StringIsNumber(nullptr));
}

} // namespace
