// Lines the directive preprocessor may pass through without running its scanner.
#pragma once

#include <cstddef>
#include <string>

namespace translate {

struct PlainRun {
    const unsigned char* end; // where the scanner takes over: a line start, or the end of text
    int lines;                // lines passed on
};

// Passes the lines from `begin`, a line start, on to `out` while the directive scanner would
// split each, without error, into tokens that all pass through unchanged (names, plain
// numbers, operators, white space, strings without unusual escapes) or one // comment: each
// line with a newline for its line end, its text only when `keepText` and it is no comment.
// Anything unusual is left to the scanner from the start of its line, as is a last line
// without line end, so this need not be complete.
PlainRun PassPlainLines(const unsigned char* begin, const unsigned char* end, bool keepText,
                        std::string& out);

} // namespace translate
