#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "core/strings/cf_string.h"
#include "core/strings/locale.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "platform/text_encoding.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::RunTool;

// Random wide text over every plane, without surrogates and without 0.
std::wstring RandomText(std::mt19937& rng, std::size_t length) {
    std::uniform_int_distribution<int> plane(0, 3);
    std::wstring text;
    while (text.size() < length) {
        char32_t c;
        switch (plane(rng)) {
        case 0:
            c = std::uniform_int_distribution<char32_t>(1, 0x7F)(rng);
            break;
        case 1:
            c = std::uniform_int_distribution<char32_t>(0x80, 0xFFFD)(rng);
            break;
        default:
            c = std::uniform_int_distribution<char32_t>(0x10000, 0x10FFFF)(rng);
            break;
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        text.push_back(static_cast<wchar_t>(c));
    }
    return text;
}

TEST(MacRomanTest, AllBytesMatchTheSystemIconv) {
    STRAVEL_REQUIRE_TOOL("iconv");
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    auto result = RunTool({"iconv", "-f", "MACINTOSH", "-t", "UTF-32LE"}, bytes);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(result.out.size(), 255u * 4);

    const std::wstring ours = BK_StringAnsiToWide(bytes);
    ASSERT_EQ(ours.size(), 255u);
    for (std::size_t i = 0; i < 255; ++i) {
        uint32_t expected = 0;
        std::memcpy(&expected, result.out.data() + 4 * i, 4);
        EXPECT_EQ(static_cast<uint32_t>(ours[i]), expected) << "byte " << i + 1;
    }
    // And back: every character of the table encodes to its own byte.
    EXPECT_EQ(BK_StringWideToAnsi(ours), bytes);
}

TEST(CBK_CFStringTest, WideTextRoundTripsAcrossEveryPlane) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        const std::wstring text = RandomText(rng, round % 40);
        CBK_CFString string(text.c_str());
        ASSERT_NE(string.Get(), nullptr);
        EXPECT_EQ(string.GetUnicodeString(), text);
        CBK_String back;
        ASSERT_TRUE(back.SetString(string.Get()));
        EXPECT_EQ(std::wstring(back.GetConstString()), text);
    }
}

TEST(CBK_CFStringTest, Utf8MatchesPython) {
    STRAVEL_REQUIRE_TOOL("python3");
    std::mt19937 rng(99);
    for (int round = 0; round < 20; ++round) {
        const std::wstring text = RandomText(rng, 30);
        CBK_CFString string(text.c_str());
        const std::string ours = string.GetAnsiString(CBK_Locale::CP_ENGLISH_US);
        // Hand python the code points in hexadecimal so no encoding is involved in between.
        std::string hex;
        for (wchar_t c : text) {
            char piece[16];
            std::snprintf(piece, sizeof piece, "%x ", static_cast<unsigned>(c));
            hex += piece;
        }
        auto result = RunTool({"python3", "-c",
                               "import sys\n"
                               "s=''.join(chr(int(h,16)) for h in sys.stdin.read().split())\n"
                               "sys.stdout.buffer.write(s.encode('utf-8'))\n"},
                              hex);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(ours, result.out);
    }
}

TEST(CBK_CFStringTest, UnpairedSurrogatesBecomeReplacementCharacters) {
    const tbx::UniChar units[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D, 0xDE00};
    CBK_CFString string(tbx::CFStringCreateWithCharacters(nullptr, units, 6));
    EXPECT_EQ(string.GetLength(), 6u);
    EXPECT_EQ(string.GetUnicodeString(), L"a\uFFFDb\uFFFD\U0001F600");
    const wchar_t lone[] = {L'x', static_cast<wchar_t>(0xDC05), 0};
    CBK_CFString fromWide(lone);
    EXPECT_EQ(fromWide.GetUnicodeString(), L"x\uFFFD");
}

TEST(CBK_CFStringTest, AnsiAndPascalForms) {
    CBK_CFString string(L"Gr\u00FC\u00DFe \u4E2D");
    EXPECT_EQ(string.GetAnsiString(tbx::kCFStringEncodingUTF8), "Gr\xC3\xBC\xC3\x9F"
                                                                "e \xE4\xB8\xAD");
    // Mac Roman lacks the CJK character: the whole conversion fails, as the system's does.
    EXPECT_EQ(string.GetAnsiString(CBK_Locale::ENGLISH_US), "");
    unsigned char pascal[256];
    EXPECT_FALSE(string.GetPascalString(pascal));

    CBK_CFString roman(L"Gr\u00FC\u00DFe");
    ASSERT_TRUE(roman.GetPascalString(pascal));
    EXPECT_EQ(pascal[0], 5);
    EXPECT_EQ(pascal[3], 0x9F); // u umlaut in Mac Roman
    char small[4];
    EXPECT_FALSE(roman.GetAnsiString(small, 4, CBK_Locale::ENGLISH_US));
    char exact[6];
    EXPECT_TRUE(roman.GetAnsiString(exact, 6, CBK_Locale::ENGLISH_US));

    CBK_CFString fromPascal(pascal);
    EXPECT_EQ(fromPascal.GetUnicodeString(), L"Gr\u00FC\u00DFe");
}

TEST(CBK_CFStringTest, ShiftJisBothWays) {
    CBK_CFString string(L"\u65E5\u672C\u8A9E abc");
    const std::string sjis = string.GetAnsiString(CBK_Locale::CP_JAPANESE);
    EXPECT_EQ(sjis, "\x93\xFA\x96\x7B\x8C\xEA abc");
    CBK_CFString back(
        tbx::CFStringCreateWithCString(nullptr, sjis.c_str(), CBK_Locale::CP_JAPANESE));
    EXPECT_EQ(back.GetUnicodeString(), L"\u65E5\u672C\u8A9E abc");
}

TEST(CBK_CFStringTest, MissingStringBehaviour) {
    CBK_CFString none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.GetLength(), 0u);
    wchar_t buffer[4] = L"zz";
    EXPECT_FALSE(none.GetUnicodeString(buffer, 4));
    EXPECT_EQ(none.GetUnicodeString(), L"");
    EXPECT_EQ(none.GetUniCharString(), nullptr);
    EXPECT_EQ(none.GetAnsiString(tbx::kCFStringEncodingUTF8), "");
    EXPECT_FALSE(CBK_CFString(static_cast<const wchar_t*>(nullptr))
                     .Set(static_cast<const wchar_t*>(nullptr)));
}

TEST(CBK_CFStringTest, FixedBuffersAreNeverOverrun) {
    CBK_CFString string(L"abc\U0001F600def");
    wchar_t buffer[5];
    ASSERT_TRUE(string.GetUnicodeString(buffer, 5));
    EXPECT_STREQ(buffer, L"abc\U0001F600");
    ASSERT_TRUE(BK_CFStringGetCharacters(string.Get(), buffer, 3));
    EXPECT_STREQ(buffer, L"ab");

    std::unique_ptr<tbx::UniChar[]> units(string.GetUniCharString());
    EXPECT_EQ(units[3], 0xD83D);
    EXPECT_EQ(units[8], 0);

    tbx::HFSUniStr255 name;
    ASSERT_TRUE(string.GetHFSUniStr(name));
    EXPECT_EQ(name.length, 8);
    CBK_CFString fromName;
    ASSERT_TRUE(fromName.Set(name));
    EXPECT_EQ(fromName.GetUnicodeString(), L"abc\U0001F600def");
}

TEST(CBK_CFStringTest, Utf8ElementsPackTheirBytesFirstByteLowest) {
    CBK_CFString string(L"a\u00E9\u20AC\U0001F600");
    const std::wstring packed = string.GetUTF8String();
    ASSERT_EQ(packed.size(), 4u);
    EXPECT_EQ(static_cast<uint32_t>(packed[0]), 0x61u);
    EXPECT_EQ(static_cast<uint32_t>(packed[1]), 0xA9C3u);
    EXPECT_EQ(static_cast<uint32_t>(packed[2]), 0xAC82E2u);
    EXPECT_EQ(static_cast<uint32_t>(packed[3]), 0x80989FF0u);
    EXPECT_EQ(BK_StringWideToUTF8(L"\u00E9"), std::wstring(1, static_cast<wchar_t>(0xA9C3)));
}

TEST(CBK_CFStringTest, CopiesShareTheImmutableString) {
    CBK_CFString a(L"shared");
    CBK_CFString b(a);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(tbx::CFGetRetainCount(a.Get()), 2);
    b = b;
    a.Destroy();
    EXPECT_EQ(b.GetUnicodeString(), L"shared");
    EXPECT_EQ(tbx::CFGetRetainCount(b.Get()), 1);
}

TEST(CBK_CFStringTest, LocalizedStringOfAMissingIdIsEmpty) {
    stravel::testing::ScratchBundle bundle("\"10026\" = \"OK\";\n\"20\" = \"020\";\n");
    CBK_CFString ok(10026);
    EXPECT_EQ(ok.GetUnicodeString(), L"OK");
    CBK_CFString missing(31337);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(missing.Get(), nullptr);
    // A text that reads as the id's own number counts as missing.
    CBK_CFString numeric;
    EXPECT_FALSE(numeric.LoadLocalizedString(20));
    // CBK_String takes the number itself for the same id.
    CBK_String text(31337);
    EXPECT_STREQ(text.GetConstString(), L"31337");
}

TEST(PascalStringTest, CopyClampsAt255AndReplacesWhatMacRomanLacks) {
    std::wstring text(300, L'x');
    unsigned char pascal[256];
    BK_CopyCStringToPascal(text.c_str(), pascal);
    EXPECT_EQ(pascal[0], 255);
    EXPECT_EQ(pascal[255], 'x');

    BK_CopyCStringToPascal(L"\u00E9\u4E2D!", pascal);
    ASSERT_EQ(pascal[0], 3);
    EXPECT_EQ(pascal[1], 0x8E);
    EXPECT_EQ(pascal[2], '?');
    wchar_t back[256];
    BK_CopyPascalStringToC(pascal, back);
    EXPECT_STREQ(back, L"\u00E9?!");

    unsigned char native[256], copy[256];
    BK_SetNativeString(native, L"abc");
    BK_CopyNativeString(native, copy);
    EXPECT_EQ(BK_NativeStringLength(copy), 3);
    EXPECT_EQ(copy[3], 'c');
    BK_ClearNativeString(copy);
    EXPECT_EQ(BK_NativeStringLength(copy), 0);
}

TEST(AnsiTextTest, WideToAnsiKeepsTheRestOfTheText) {
    EXPECT_EQ(BK_StringWideToAnsi(L"caf\u00E9 \u4E2D"), "caf\x8E ?");
    EXPECT_EQ(BK_StringAnsiToWide("caf\x8E"), L"caf\u00E9");
    const tbx::CFStringRef made = BK_MakeCFString("caf\x8E");
    CBK_CFString adopt(made);
    EXPECT_EQ(adopt.GetUnicodeString(), L"caf\u00E9");
    EXPECT_EQ(BK_MakeCFString(static_cast<const char*>(nullptr)), nullptr);
}

} // namespace
