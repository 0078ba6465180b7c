// Unicode text on the current port in its font, size and face (bold and italic choose the
// face), drawn anti-aliased in the foreground colour from the pen, which it then advances.
#pragma once

#include <cstddef>

#include "platform/fonts/font_types.h"

namespace tbx {

// The width in whole pixels (rounded); 0 when no port is current or the font cannot be read.
SInt16 UnicodeTextWidth(const char32_t* text, std::size_t count);
OSErr DrawUnicodeText(const char32_t* text, std::size_t count);

} // namespace tbx
