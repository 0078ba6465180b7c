#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/fonts/font_name.h"
#include "platform/text_encoding.h"

namespace {

std::string Decode(const std::string& bytes, uint32_t encoding = tbx::kTextEncodingMacRoman) {
    unsigned char name[256] = {};
    name[0] = static_cast<unsigned char>(bytes.size());
    std::memcpy(name + 1, bytes.data(), bytes.size());
    BK_DecodeMacFontName(name, encoding);
    return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

TEST(DecodeMacFontNameTest, LettersLoseTheirDiacriticsAndOtherCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Decode("Helvetica Neue"), "Helvetica Neue");
    // Mac Roman: 0x8E é, 0x80 Ä, 0x96 ñ, 0xAF Ø, 0xF5 ı, 0xD9 Ÿ.
    EXPECT_EQ(Decode("Caf\x8E \x80\x96\xAF\xF5\xD9"), "Cafe AnOiY");
    // 0xA7 ß, 0xAE Æ, 0xDE the fi ligature, 0xA5 bullet, 0xF0 the Apple logo.
    EXPECT_EQ(Decode("a\xA7\xAE\xDE\xA5\xF0z"), "a?????z");
}

TEST(DecodeMacFontNameTest, OtherEncodingsAndCombiningMarks) {
    // Shift-JIS: 日本 then ASCII.
    EXPECT_EQ(Decode("\x93\xFA\x96\x7B Gothic", tbx::kCFStringEncodingShiftJIS), "?? Gothic");
    // A combining acute accent belongs to the letter before it.
    EXPECT_EQ(Decode("Cafe\xCC\x81", tbx::kCFStringEncodingUTF8), "Cafe");
    // Bytes that are not text in the encoding leave the name as it was.
    EXPECT_EQ(Decode("\xFF\xFE", tbx::kCFStringEncodingUTF8), "\xFF\xFE");
}

TEST(DecodeMacFontNameTest, OnlyResultsOfOneTo254BytesReplaceTheName) {
    EXPECT_EQ(Decode(""), "");
    EXPECT_EQ(Decode("\xCC\x81", tbx::kCFStringEncodingUTF8), "\xCC\x81"); // nothing left

    const std::string long254 = std::string(253, 'x') + "\x8E";
    EXPECT_EQ(Decode(long254), std::string(253, 'x') + "e");
    const std::string long255 = std::string(254, 'x') + "\x8E";
    EXPECT_EQ(Decode(long255), long255);

    BK_DecodeMacFontName(nullptr, 0); // no crash
}

} // namespace
