#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "platform/text_encoding.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx::text;

// Bytes and their wide form, read both ways.
TEST(ByteEscapeTest, GoldenTable) {
    const struct {
        std::string bytes;
        std::u32string wide;
    } table[] = {
        {"caf\xE9.swf", {'c', 'a', 'f', 0xDCE9, '.', 's', 'w', 'f'}},
        {"caf\xC3\xA9", {'c', 'a', 'f', 0xE9}},
        {"\xC0\x80", {0xDCC0, 0xDC80}},             // overlong
        {"\xED\xA0\x80", {0xDCED, 0xDCA0, 0xDC80}}, // a surrogate in UTF-8
        {"\xE2\x82", {0xDCE2, 0xDC82}},             // cut short
        {"\xF0\x9F\x98\x80\xFF", {0x1F600, 0xDCFF}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Utf8ToUtf32Escaped(row.bytes), row.wide) << row.bytes;
        EXPECT_EQ(Utf32ToUtf8Escaped(row.wide), row.bytes) << row.bytes;
        EXPECT_EQ(Utf16ToUtf8Escaped(Utf8ToUtf16Escaped(row.bytes)), row.bytes) << row.bytes;
    }
}

// Random byte strings come back unchanged and widen as Python's surrogateescape does.
TEST(ByteEscapeTest, RandomBytesRoundTripAndMatchPython) {
    STRAVEL_REQUIRE_TOOL("python3");
    std::mt19937 rng(11);
    std::ostringstream input, expected;
    for (int line = 0; line < 500; ++line) {
        std::string bytes(std::uniform_int_distribution<int>(0, 12)(rng), '\0');
        for (char& b : bytes)
            b = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
        const std::u32string wide = Utf8ToUtf32Escaped(bytes);
        ASSERT_EQ(Utf32ToUtf8Escaped(wide), bytes);
        ASSERT_EQ(Utf16ToUtf8Escaped(Utf8ToUtf16Escaped(bytes)), bytes);
        for (unsigned char b : bytes)
            input << std::hex << int(b) << ' ';
        input << '\n';
        for (char32_t c : wide)
            expected << std::hex << uint32_t(c) << ' ';
        expected << '\n';
    }
    const auto result = stravel::testing::RunTool(
        {"python3", "-c",
         "import sys\n"
         "for line in sys.stdin:\n"
         "    b = bytes(int(x, 16) for x in line.split())\n"
         "    print(''.join('%x ' % ord(c) for c in b.decode('utf-8', 'surrogateescape')))\n"},
        input.str());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, expected.str());
}

} // namespace
