#include <gtest/gtest.h>

#include <random>

#include "swf/stream/swf_stream.h"
#include "swf/stream/swf_text.h"
#include "tests/swf/swf_test_support.h"

namespace {

using ravuz::SwfDecodeText;
using ravuz::SwfEncodeText;
using ravuz::SwfTextSize;

std::string Encode(const std::wstring& text, uint8_t version, std::size_t max = SIZE_MAX) {
    return SwfEncodeText(text, version, max);
}

std::wstring Decode(const std::string& bytes, uint8_t version) {
    return SwfDecodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), version);
}

TEST(SwfText, Utf8FromVersion6AndLatin1Before) {
    const std::wstring text = L"a\u00E9\u20AC\U0001F600";
    EXPECT_EQ(Encode(text, 6), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Encode(text, 5), "a\xE9??");
    EXPECT_EQ(SwfTextSize(text, 6), 10u);
    EXPECT_EQ(SwfTextSize(text, 5), 4u);
    EXPECT_EQ(Decode("a\xE9", 5), L"a\u00E9");
    EXPECT_EQ(Decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 7), text);
}

TEST(SwfText, TheStreamEncodesForItsOwnVersion) {
    ravuz::CBK_SwfStream v5(5);
    v5.Add(std::wstring(L"\u00FC"));
    EXPECT_EQ(v5.GetStream(), (swftest::Bytes{0xFC}));
    ravuz::CBK_SwfStream v6(6);
    v6.Add(std::wstring(L"\u00FC"));
    EXPECT_EQ(v6.GetStream(), (swftest::Bytes{0xC3, 0xBC}));
}

TEST(SwfText, TextEndsAtItsFirstNulAndCutsAtCharacterBoundaries) {
    EXPECT_EQ(Encode(std::wstring(L"ab\0cd", 5), 6), "ab");
    EXPECT_EQ(Decode(std::string("ab\0cd", 5), 6), L"ab");
    EXPECT_EQ(Encode(L"x\u00E9\u00E9", 6, 4), "x\xC3\xA9"); // no half character
    EXPECT_EQ(SwfTextSize(L"x\u00E9\u00E9", 6, 4), 3u);
    EXPECT_EQ(Encode(L"\xD800z", 6), "?z"); // a lone surrogate is not text
    EXPECT_EQ(Encode(std::wstring(1, static_cast<wchar_t>(0x110000)), 6), "?");
}

TEST(SwfText, AnyBytesSurviveReadingAndWritingAgain) {
    // Invalid UTF-8, overlong forms, encoded surrogates, truncated sequences.
    const std::string cases[] = {"\xFF\xFE", "\xC0\xAF",         "\xED\xA0\x80", "\xE2\x82",
                                 "a\x80z",   "\xF4\x90\x80\x80", "\xC3\xA9\xC3"};
    for (const std::string& bytes : cases) {
        for (uint8_t version : {5, 6}) {
            const std::wstring text = Decode(bytes, version);
            EXPECT_EQ(Encode(text, version), bytes) << "version " << int(version);
            EXPECT_EQ(SwfTextSize(text, version), bytes.size());
        }
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            bytes.push_back(static_cast<char>(1 + rng() % 255));
        for (uint8_t version : {4, 6}) {
            const std::wstring text = Decode(bytes, version);
            ASSERT_EQ(Encode(text, version), bytes);
        }
    }
}

} // namespace
