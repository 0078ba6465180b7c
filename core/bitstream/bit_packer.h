// CBK_BitPacker: bit fields, most significant bit first, gathered in a 64-bit accumulator and
// handed to a byte buffer four bytes at a time. The bit streams of the core and of the SWF
// writer both keep one beside their buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class CBK_BitPacker {
public:
    // Bits held and not yet in the buffer, 0 to 64.
    uint32_t Bits() const { return _bits; }
    void Clear() {
        _acc = 0;
        _bits = 0;
    }

    // The low `nbits` bits of `value`; bits above 32 are zero, 0 or less adds nothing.
    void Put(std::vector<uint8_t>& out, uint32_t value, int32_t nbits) {
        if (nbits <= 0)
            return;
        while (nbits > 32) {
            const int32_t zeros = std::min(nbits - 32, 32);
            Reserve(out, static_cast<uint32_t>(zeros));
            _acc <<= zeros;
            _bits += static_cast<uint32_t>(zeros);
            nbits -= zeros;
        }
        Reserve(out, static_cast<uint32_t>(nbits));
        const uint64_t field = nbits == 32 ? value : value & ((uint32_t(1) << nbits) - 1);
        _acc = (_acc << nbits) | field;
        _bits += static_cast<uint32_t>(nbits);
    }

    // Completes the last byte with zero bits and moves every bit into the buffer.
    void Align(std::vector<uint8_t>& out) {
        if (_bits == 0)
            return;
        const uint32_t pad = (8 - _bits % 8) % 8;
        _acc <<= pad;
        _bits += pad;
        MoveBytes(out, _bits / 8);
    }

    // Moves every complete byte into the buffer but the last byte that holds bits (even a
    // full one), which stays pending; returns that byte, its bits from the top.
    uint8_t Settle(std::vector<uint8_t>& out) {
        if (_bits == 0)
            return 0;
        const uint32_t keep = (_bits - 1) % 8 + 1;
        MoveBytes(out, (_bits - keep) / 8);
        return static_cast<uint8_t>(_acc << (8 - keep));
    }

    // The first `nbits` bits of a stream made of `bytes` followed by the bits `tail` holds
    // (at most all of them), appended at the current bit position.
    void PutStream(std::vector<uint8_t>& out, const uint8_t* bytes, std::size_t size,
                   const CBK_BitPacker& tail, uint64_t nbits) {
        nbits = std::min<uint64_t>(nbits, uint64_t(size) * 8 + tail._bits);
        const auto whole = static_cast<std::size_t>(std::min<uint64_t>(nbits / 8, size));
        if (_bits == 0 && whole > 0) {
            // Aligned: in bulk, the last byte pending like any 8-bit field.
            out.insert(out.end(), bytes, bytes + whole - 1);
            Put(out, bytes[whole - 1], 8);
        } else {
            out.reserve(out.size() + whole + 8);
            for (std::size_t i = 0; i < whole; ++i)
                Put(out, bytes[i], 8);
        }
        auto rest = static_cast<uint32_t>(nbits - uint64_t(whole) * 8);
        if (rest == 0)
            return;
        if (whole < size) {
            Put(out, static_cast<uint32_t>(bytes[whole] >> (8 - rest)), static_cast<int32_t>(rest));
            return;
        }
        // The top `rest` bits of the tail, in two halves when more than 32.
        const uint64_t bits = tail._acc >> (tail._bits - rest);
        if (rest > 32) {
            Put(out, static_cast<uint32_t>(bits >> 32), static_cast<int32_t>(rest - 32));
            rest = 32;
        }
        Put(out, static_cast<uint32_t>(bits), static_cast<int32_t>(rest));
    }

private:
    // Makes room for `nbits` more bits (at most 32) by moving the oldest four bytes out.
    void Reserve(std::vector<uint8_t>& out, uint32_t nbits) {
        if (_bits + nbits <= 64)
            return;
        _bits -= 32;
        const auto word = static_cast<uint32_t>(_acc >> _bits);
        const uint8_t bytes[4] = {static_cast<uint8_t>(word >> 24),
                                  static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 8),
                                  static_cast<uint8_t>(word)};
        out.insert(out.end(), bytes, bytes + 4);
        _acc &= Mask(_bits);
    }

    // Moves the oldest `count` whole bytes (at most all the bits held) into the buffer.
    void MoveBytes(std::vector<uint8_t>& out, uint32_t count) {
        uint8_t bytes[8];
        for (uint32_t i = 0; i < count; ++i)
            bytes[i] = static_cast<uint8_t>(_acc >> (_bits - 8 * (i + 1)));
        out.insert(out.end(), bytes, bytes + count);
        _bits -= 8 * count;
        _acc &= Mask(_bits);
    }

    static uint64_t Mask(uint32_t bits) {
        return bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    }

    uint64_t _acc = 0; // the low `_bits` bits, oldest first
    uint32_t _bits = 0;
};
