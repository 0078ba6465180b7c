// Fitting the strings of one action record into its u16 payload.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "swf/actions/action_record.h"

namespace ravuz {

// Encoded sizes of `texts` in order, each cut (at a character boundary) to what is left of
// `budget` bytes. Writing each text with its size as the limit gives exactly these bytes.
inline std::vector<uint32_t> FitTexts(const std::vector<const std::wstring*>& texts,
                                      uint8_t version, uint32_t budget) {
    std::vector<uint32_t> sizes;
    sizes.reserve(texts.size());
    for (const std::wstring* text : texts) {
        const auto n = static_cast<uint32_t>(SwfTextSize(*text, version, budget));
        sizes.push_back(n);
        budget -= n;
    }
    return sizes;
}

// Length of the zero-terminated text at `text` when its terminator lies within `size` bytes
// and the text reads and writes back byte for byte as SWF `version` text without decoding:
// any byte in Latin-1, ASCII alone in UTF-8. -1 otherwise.
inline int64_t PlainStoredText(const uint8_t* text, std::size_t size, uint8_t version) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(text, 0, size));
    if (!end)
        return -1;
    if (SwfTextIsUtf8(version))
        for (const uint8_t* c = text; c < end; ++c)
            if (*c >= 0x80)
                return -1;
    return end - text;
}

} // namespace ravuz
