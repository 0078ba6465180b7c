// The hash of the compiler's name tables: names are short, so it takes eight bytes a step
// and a short tail in two overlapping loads.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace translate {

inline uint32_t NameHash(std::string_view name) {
    constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDull;
    const char* at = name.data();
    size_t left = name.size();
    uint64_t h = left * 0x9E3779B97F4A7C15ull;
    auto mix = [&](uint64_t word) {
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    };
    for (; left >= 8; at += 8, left -= 8) {
        uint64_t word;
        std::memcpy(&word, at, 8);
        mix(word);
    }
    if (left >= 4) {
        uint32_t first, last;
        std::memcpy(&first, at, 4);
        std::memcpy(&last, at + left - 4, 4);
        mix(first | (static_cast<uint64_t>(last) << 32));
    } else if (left > 0) {
        const auto byte = [&](size_t i) {
            return static_cast<uint64_t>(static_cast<unsigned char>(at[i]));
        };
        mix(byte(0) | (byte(left / 2) << 8) | (byte(left - 1) << 16));
    }
    // The table index takes the low bits: fold the high ones in.
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return static_cast<uint32_t>(h);
}

// Equality of two names of the same length, without a library call for short ones.
inline bool SameName(const char* a, const char* b, size_t size) {
    auto load8 = [](const char* at) {
        uint64_t word;
        std::memcpy(&word, at, 8);
        return word;
    };
    auto load4 = [](const char* at) {
        uint32_t word;
        std::memcpy(&word, at, 4);
        return word;
    };
    if (size > 16)
        return std::memcmp(a, b, size) == 0;
    if (size >= 8)
        return load8(a) == load8(b) && load8(a + size - 8) == load8(b + size - 8);
    if (size >= 4)
        return load4(a) == load4(b) && load4(a + size - 4) == load4(b + size - 4);
    for (size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace translate
