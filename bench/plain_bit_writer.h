// The peer of the bit-field benchmarks: a plain writer of the same bytes, a 64-bit
// accumulator that stores four bytes at a time into memory sized in advance, and the fields
// both sides write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace bench {

class PlainBitWriter {
public:
    // Room for `capacity` bytes, never checked again: the peer pays for nothing but packing.
    explicit PlainBitWriter(std::size_t capacity) : _bytes(capacity + 8) {}

    void Clear() {
        _size = 0;
        _acc = 0;
        _bits = 0;
    }
    void Put(uint32_t value, int bits) {
        _acc = (_acc << bits) | (value & ((uint64_t(1) << bits) - 1));
        _bits += bits;
        if (_bits >= 32) {
            _bits -= 32;
            const auto word = static_cast<uint32_t>(_acc >> _bits);
            uint8_t* out = _bytes.data() + _size;
            out[0] = static_cast<uint8_t>(word >> 24);
            out[1] = static_cast<uint8_t>(word >> 16);
            out[2] = static_cast<uint8_t>(word >> 8);
            out[3] = static_cast<uint8_t>(word);
            _size += 4;
        }
    }
    void Align() {
        while (_bits > 0) {
            const int n = _bits >= 8 ? 8 : _bits;
            _bytes[_size++] = static_cast<uint8_t>((_acc >> (_bits - n)) << (8 - n));
            _bits -= n;
        }
    }
    std::vector<uint8_t> Bytes() const {
        return std::vector<uint8_t>(_bytes.begin(), _bytes.begin() + std::ptrdiff_t(_size));
    }
    const uint8_t* Data() const { return _bytes.data(); }

private:
    std::vector<uint8_t> _bytes;
    std::size_t _size = 0;
    uint64_t _acc = 0;
    int _bits = 0;
};

// How many times a timed round writes the fields: far longer than reading the clock.
constexpr int kFieldRepeats = 16;

// 4,096 fields of 1 to 20 bits, as shape and matrix records write them.
inline std::vector<std::pair<uint32_t, int>> MixedFields() {
    std::mt19937 rng(1);
    std::vector<std::pair<uint32_t, int>> fields(4096);
    for (auto& f : fields)
        f = {static_cast<uint32_t>(rng()), static_cast<int>(1 + rng() % 20)};
    return fields;
}

// The fields into the writer, then its last bits completed to a byte.
inline void WriteFields(PlainBitWriter& plain,
                        const std::vector<std::pair<uint32_t, int>>& fields) {
    for (const auto& f : fields)
        plain.Put(f.first, f.second);
    plain.Align();
}

inline uint64_t TotalBits(const std::vector<std::pair<uint32_t, int>>& fields) {
    uint64_t bits = 0;
    for (const auto& f : fields)
        bits += static_cast<uint64_t>(f.second);
    return bits;
}

} // namespace bench
