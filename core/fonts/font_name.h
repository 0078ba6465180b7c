// Font family names as the Font Manager gives them: length-prefixed 8-bit text.
#pragma once

#include <cstdint>

// Transliterates a length-prefixed name, given in the text encoding `encoding`, in place to
// plain ASCII: a letter with a diacritic becomes its base letter (é → e, Ø → O), a combining
// mark is dropped, and any other character that is not ASCII becomes '?'. The name stays as
// it was when its bytes are not text in that encoding or the result is not 1 to 254 bytes.
void BK_DecodeMacFontName(unsigned char* name, uint32_t encoding);
