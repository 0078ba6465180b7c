#include "ascompiler/grammar/parse_support.h"
#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Python's own decoder of backslash escapes is the reference for the forms both languages
// share; the results are compared as UTF-8.
TEST(StringEscapeTest, DecodesLikePython) {
    STRAVEL_REQUIRE_TOOL("python3");
    const std::vector<std::string> literals = {
        "\"plain\"",           "\"a\\nb\\rc\\td\"", "'\\b\\f'",
        "\"\\\"q\\\"\"",       "'it\\'s'",          "\"back\\\\slash\"",
        "\"\\u00e9t\\u00E9\"", "\"\\u20ac\"",       "'\\101\\60\\7x'",
        "\"\\351\\61\"",       "\"\\377\\47\"",     "\"\"",
    };
    std::string bodies;
    for (const std::string& literal : literals)
        bodies += literal.substr(1, literal.size() - 2) + '\0';
    stravel::testing::ToolResult python = stravel::testing::RunTool(
        {"python3", "-c",
         "import sys,codecs\n"
         "for b in sys.stdin.buffer.read().split(b'\\0')[:-1]:\n"
         "    sys.stdout.buffer.write(codecs.decode(b,'unicode_escape').encode('utf-8')+b'\\0')\n"},
        bodies);
    ASSERT_EQ(python.exitCode, 0) << python.err;
    size_t start = 0;
    for (const std::string& literal : literals) {
        const size_t end = python.out.find('\0', start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(translate::DecodeStringLiteral(literal), python.out.substr(start, end - start))
            << literal;
        start = end + 1;
    }
}
