// Lines the directive preprocessor may pass through without running its scanner.
#pragma once

#include "ascompiler/service/line_table.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace translate {

struct PlainRun {
    const unsigned char* end; // where the scanner takes over: a line start, or the end of text
    int line;                 // the number of that line
};

// Passes the lines from `begin`, a line start, on to `out` while the directive scanner would
// split each, without error, into tokens that all pass through unchanged (names, plain
// numbers, operators, white space, strings without unusual escapes), perhaps after a /*
// comment at its start, or into one // comment. Each line comes out with a newline for its
// line end, its text only when `keepText` and it is no comment; a /* comment comes out as an
// empty line of its own, and the lines it spans only with the one it ends on. What comes out
// goes into `lines` as read from `file` from line `firstLine` on. Anything unusual is left
// to the scanner from the start of its line, as is a last line without line end, so this need
// not be complete.
PlainRun PassPlainLines(const unsigned char* begin, const unsigned char* end, bool keepText,
                        std::string& out, LineTable& lines, uint32_t file, int firstLine);

} // namespace translate
