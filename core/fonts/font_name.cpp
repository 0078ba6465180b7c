#include "core/fonts/font_name.h"

#include <cstring>
#include <string>

#include "platform/text_encoding.h"

namespace {

// Base letters of U+00C0 to U+017F; '?' where the character is no letter with a diacritic
// (ligatures, thorn, eszett, signs).
constexpr char kBaseLetters[] = "AAAAAA?CEEEEIIIIDNOOOOO?OUUUUY??aaaaaa?ceeeeiiiidnooooo?ouuuuy?y"
                                "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLlLlL"
                                "lLlNnNnNn???OoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZz?";
static_assert(sizeof kBaseLetters - 1 == 0x180 - 0xC0);

// The ASCII form of one character; 0 for a combining mark, which belongs to the letter before.
char ToAscii(char32_t c) {
    if (c < 0x80)
        return char(c);
    if (c >= 0xC0 && c < 0x180)
        return kBaseLetters[c - 0xC0];
    if (c >= 0x300 && c < 0x370)
        return 0;
    return '?';
}

} // namespace

void BK_DecodeMacFontName(unsigned char* name, uint32_t encoding) {
    if (!name)
        return;
    std::u16string text;
    if (!tbx::text::Decode(name + 1, name[0], encoding, false, text))
        return;
    std::string ascii;
    for (char32_t c : tbx::text::Utf16ToUtf32(text))
        if (char a = ToAscii(c))
            ascii.push_back(a);
    if (ascii.empty() || ascii.size() > 254)
        return;
    name[0] = static_cast<unsigned char>(ascii.size());
    std::memcpy(name + 1, ascii.data(), ascii.size());
}
