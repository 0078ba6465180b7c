// The hash of the compiler's name tables: names are short, so it takes eight bytes a step.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace translate {

inline uint32_t NameHash(std::string_view name) {
    constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDull;
    uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
    const char* at = name.data();
    size_t left = name.size();
    for (; left >= 8; at += 8, left -= 8) {
        uint64_t word;
        std::memcpy(&word, at, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    if (left) {
        uint64_t word = 0;
        for (size_t i = 0; i < left; ++i)
            word |= static_cast<uint64_t>(static_cast<unsigned char>(at[i])) << (8 * i);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    return static_cast<uint32_t>(h ^ (h >> 32));
}

} // namespace translate
