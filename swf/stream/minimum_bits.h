// Bit widths of SWF bit fields.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ravuz {

// Significant bits of `value` (0 for 0), plus one for a signed field. Callers pass the
// magnitude of signed values.
constexpr uint32_t MinimumBits(uint32_t value, bool isSigned) {
    uint32_t bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits + (isSigned ? 1u : 0u);
}

// |value| without overflow: the magnitude of INT32_MIN is 2^31.
constexpr uint32_t Magnitude(int32_t value) {
    return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

// The signed value nearest to `value` that fits in `nbits` bits (1 to 32).
constexpr int32_t SaturateSigned(int32_t value, uint32_t nbits) {
    if (nbits >= 32)
        return value;
    if (nbits == 0)
        return 0;
    const int64_t high = (int64_t(1) << (nbits - 1)) - 1;
    const int64_t low = -(int64_t(1) << (nbits - 1));
    return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}

// A u16 field shifted by a signed offset, held to 0..65535 rather than wrapped, so that
// ids, depths and frames merged from another movie never fold onto small values.
constexpr uint16_t OffsetU16(uint16_t value, int32_t offset) {
    return static_cast<uint16_t>(std::clamp<int64_t>(int64_t(value) + offset, 0, 65535));
}

} // namespace ravuz
