// Fitting the strings of one action record into its u16 payload.
#pragma once

#include <cstdint>
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

} // namespace ravuz
