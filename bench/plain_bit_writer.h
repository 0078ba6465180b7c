// The peer of the bit-field benchmarks: the plainest writer of the same bytes, a 64-bit
// accumulator that hands each complete byte to a vector, and the fields both sides write.
#pragma once

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace bench {

class PlainBitWriter {
public:
    std::vector<uint8_t> bytes;

    void Put(uint32_t value, int bits) {
        _acc = (_acc << bits) | (value & ((uint64_t(1) << bits) - 1));
        _bits += bits;
        while (_bits >= 8) {
            _bits -= 8;
            bytes.push_back(static_cast<uint8_t>(_acc >> _bits));
        }
    }
    void Align() {
        if (_bits > 0)
            Put(0, 8 - _bits);
    }

private:
    uint64_t _acc = 0;
    int _bits = 0;
};

// 4,096 fields of 1 to 20 bits, as shape and matrix records write them.
inline std::vector<std::pair<uint32_t, int>> MixedFields() {
    std::mt19937 rng(1);
    std::vector<std::pair<uint32_t, int>> fields(4096);
    for (auto& f : fields)
        f = {static_cast<uint32_t>(rng()), static_cast<int>(1 + rng() % 20)};
    return fields;
}

inline uint64_t TotalBits(const std::vector<std::pair<uint32_t, int>>& fields) {
    uint64_t bits = 0;
    for (const auto& f : fields)
        bits += static_cast<uint64_t>(f.second);
    return bits;
}

} // namespace bench
