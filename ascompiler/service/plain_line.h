// Lines the directive preprocessor may pass through without running its scanner.
#pragma once

#include <cstddef>

namespace translate {

// The length of a line that is one // comment, up to its line end; otherwise -1.
ptrdiff_t CommentLineLength(const unsigned char* begin, const unsigned char* end);

// The length of the line at `begin` when the directive scanner would split it, without error,
// into tokens that all pass through unchanged (names, plain numbers, operators, white space,
// strings without unusual escapes) before a line end; otherwise -1, and the scanner takes the
// line token by token. Anything unusual is left to the scanner, so this need not be complete.
ptrdiff_t PlainLineLength(const unsigned char* begin, const unsigned char* end);

} // namespace translate
