#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/strings/format.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "core/xml/xml_writer.h"
#include "platform/cf_string.h"
#include "tests/support/german_locale.h"

namespace {

using stravel::testing::GermanLocale;

// Text and value, read and written with the host in a decimal-comma locale.
TEST(NumberLocaleTest, NumbersIgnoreTheHostsDecimalComma) {
    GermanLocale german;
    STRAVEL_REQUIRE(german.Failure().empty(), german.Failure());
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5"); // the host really formats with a comma now

    const struct {
        const wchar_t* text;
        double value;
        uint32_t width, precision;
    } table[] = {
        {L"29.970000", 29.97, 0, 0}, {L"0.50", 0.5, 0, 2},     {L"    -3", -3.0, 6, 0},
        {L"  1.250", 1.25, 7, 3},    {L"1e+300", 1e300, 0, 0}, {L"0.000001", 1e-6, 0, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(BK_StringToFloat(row.text), row.value) << row.text;
        if (row.text[1] == L'e')
            continue; // written in full, not as an exponent
        wchar_t buffer[64];
        EXPECT_TRUE(BK_FloatToString(row.value, buffer, 64, row.width, row.precision));
        EXPECT_STREQ(buffer, row.text);
        CBK_String string;
        string.SetAsFloat(row.value, row.width, row.precision);
        EXPECT_STREQ(string.GetString(), row.text);
    }
    EXPECT_EQ(BK_StringToFloat(L" +2.5e1x"), 25.0);
    EXPECT_EQ(BK_StringToFloat(L"1e999"), HUGE_VAL);
    EXPECT_EQ(BK_StringToFloat(L"-1e-999"), 0.0);
    EXPECT_EQ(BK_StringToFloat(L"--1"), 0.0);
    EXPECT_EQ(BK_StringToFloat(L"abc"), 0.0);

    std::wstring formatted;
    ASSERT_TRUE(BK_FormatString(formatted, L"%.2f|%g", 0.5, 1.5));
    EXPECT_EQ(formatted, L"0.50|1.5");
    tbx::CFStringRef cf = tbx::CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.1f"), 29.97);
    ASSERT_NE(cf, nullptr);
    EXPECT_EQ(cf->Text(), u"30.0");
    tbx::CFRelease(cf);
}

} // namespace
