#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/cf_string.h"
#include "platform/memory.h"
#include "platform/strings_file.h"

namespace {

using namespace tbx;

struct Owned {
    explicit Owned(CFStringRef s) : string(s) {}
    ~Owned() { CFRelease(string); }
    CFStringRef string;
};

std::u16string TextOf(CFStringRef s) {
    return s ? s->Text() : u"<null>";
}

TEST(CFStringTest, StrictUtf8Decoding) {
    struct Case {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"plain", true},
        {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},         // overlong "/"
        {"\xED\xA0\x80", false},     // encoded surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xC3", false},             // cut short
        {"\x80", false},             // stray continuation
        {"\xE2\x82", false},
    };
    for (const auto& c : cases) {
        Owned s(CFStringCreateWithCString(nullptr, c.bytes, kCFStringEncodingUTF8));
        EXPECT_EQ(s.string != nullptr, c.valid) << c.bytes;
    }
}

TEST(CFStringTest, CStringMustFitWithItsTerminator) {
    Owned s(CFStringCreateWithCString(nullptr, "\xC3\xA9t\xC3\xA9", kCFStringEncodingUTF8));
    char buffer[8];
    EXPECT_FALSE(CFStringGetCString(s.string, buffer, 5, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(s.string, buffer, 6, kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer, "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(CFStringGetCString(s.string, buffer, 4, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "\x8Et\x8E");
    EXPECT_FALSE(CFStringGetCString(s.string, buffer, 8, kCFStringEncodingASCII));
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 8, kCFStringEncodingUTF8));
}

TEST(CFStringTest, PascalStringsHoldAtMost255Bytes) {
    std::string long256(256, 'a');
    Owned s(CFStringCreateWithCString(nullptr, long256.c_str(), kCFStringEncodingMacRoman));
    Str255 pascal;
    EXPECT_FALSE(CFStringGetPascalString(s.string, pascal, 256, kCFStringEncodingMacRoman));
    Owned t(CFStringCreateWithCString(nullptr, long256.c_str() + 1, kCFStringEncodingMacRoman));
    EXPECT_TRUE(CFStringGetPascalString(t.string, pascal, 256, kCFStringEncodingMacRoman));
    EXPECT_EQ(pascal[0], 255);
    Owned back(CFStringCreateWithPascalString(nullptr, pascal, kCFStringEncodingMacRoman));
    EXPECT_EQ(CFStringGetLength(back.string), 255);
}

TEST(CFStringTest, UnicodeFormsWithAndWithoutByteOrderMarks) {
    const UInt8 be[] = {0xFE, 0xFF, 0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00};
    Owned a(CFStringCreateWithBytes(nullptr, be, sizeof be, kCFStringEncodingUTF16, true));
    EXPECT_EQ(TextOf(a.string), u"A\U0001F600");
    const UInt8 utf32[] = {0x00, 0xF6, 0x01, 0x00};
    Owned b(CFStringCreateWithBytes(nullptr, utf32, 4, kCFStringEncodingUTF32LE, false));
    EXPECT_EQ(TextOf(b.string), u"\U0001F600");
    // A partial unit is not text.
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, utf32, 3, kCFStringEncodingUTF32LE, false), nullptr);
    EXPECT_EQ(CreateTextEncoding(kTextEncodingUnicodeDefault, kTextEncodingDefaultVariant,
                                 kUnicodeUTF32LEFormat),
              kCFStringEncodingUTF32LE);
    EXPECT_EQ(CreateTextEncoding(kTextEncodingUnicodeDefault, kTextEncodingDefaultVariant,
                                 kUnicodeUTF8Format),
              kCFStringEncodingUTF8);
}

TEST(CFStringTest, FormatAndNumericComparison) {
    Owned key(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), 10019));
    EXPECT_EQ(TextOf(key.string), u"10019");
    Owned padded(CFStringCreateWithCString(nullptr, "010019", kCFStringEncodingASCII));
    EXPECT_EQ(CFStringCompare(key.string, padded.string, kCFCompareNumerically), kCFCompareEqualTo);
    EXPECT_NE(CFStringCompare(key.string, padded.string, 0), kCFCompareEqualTo);
    Owned nine(CFStringCreateWithCString(nullptr, "file9", kCFStringEncodingASCII));
    Owned ten(CFStringCreateWithCString(nullptr, "FILE10", kCFStringEncodingASCII));
    EXPECT_EQ(
        CFStringCompare(nine.string, ten.string, kCFCompareNumerically | kCFCompareCaseInsensitive),
        kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(nine.string, ten.string, kCFCompareCaseInsensitive),
              kCFCompareGreaterThan);

    std::string big(3000, 'z');
    Owned format(CFStringCreateWithCString(nullptr, "%s-%d", kCFStringEncodingASCII));
    Owned longText(CFStringCreateWithFormat(nullptr, nullptr, format.string, big.c_str(), 7));
    EXPECT_EQ(CFStringGetLength(longText.string), 3002);
}

TEST(CFStringTest, ConstantStringsAreSharedAndImmortal) {
    CFStringRef a = CFSTR("constant");
    CFStringRef b = CFSTR("constant");
    EXPECT_EQ(a, b);
    CFRelease(a);
    CFRelease(a);
    EXPECT_EQ(TextOf(b), u"constant");
}

TEST(StringsFileTest, ParsesQuotedAndBareEntriesWithCommentsAndEscapes) {
    std::map<std::u16string, std::u16string> table;
    EXPECT_TRUE(strings_file::Parse("/* header */\n"
                                    "\"1\" = \"one\\ttab\\n\";\n"
                                    "two = \"2 \\\"q\\\" \\\\ \\U2022\"; // trailing\n"
                                    "\"same\";\n",
                                    table));
    EXPECT_EQ(table[u"1"], u"one\ttab\n");
    EXPECT_EQ(table[u"two"], u"2 \"q\" \\ \u2022");
    EXPECT_EQ(table[u"same"], u"same");
}

TEST(StringsFileTest, ASyntaxErrorLeavesTheTableAsItWas) {
    std::map<std::u16string, std::u16string> table{{u"a", u"0"}};
    EXPECT_FALSE(strings_file::Parse("\"a\" = \"1\";\n\"b\" = ;\n\"c\" = \"3\";", table));
    EXPECT_EQ(table, (std::map<std::u16string, std::u16string>{{u"a", u"0"}}));
    EXPECT_FALSE(strings_file::Parse("\"unterminated = \"x\";", table));
    EXPECT_EQ(table.size(), 1u);
    // UTF-16 tables with a byte-order mark.
    const std::string utf16("\xFF\xFE\"\0a\0\"\0=\0\"\0b\0\"\0;\0", 18);
    std::map<std::u16string, std::u16string> wide;
    EXPECT_TRUE(strings_file::Parse(utf16, wide));
    EXPECT_EQ(wide[u"a"], u"b");
}

TEST(HandleTest, ResizeKeepsContentsAndNullIsChecked) {
    Handle h = NewHandleClear(4);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetHandleSize(h), 4u);
    std::memcpy(*h, "abcd", 4);
    ASSERT_EQ(SetHandleSize(h, 1000), noErr);
    EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
    EXPECT_EQ(GetHandleSize(h), 1000u);
    DisposeHandle(h);
    EXPECT_EQ(GetHandleSize(nullptr), 0u);
    EXPECT_EQ(SetHandleSize(nullptr, 3), nilHandleErr);
    DisposeHandle(nullptr);
    Handle empty = NewHandle(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(*empty, nullptr);
    DisposeHandle(empty);
}

} // namespace
