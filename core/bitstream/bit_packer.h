// CBK_BitPacker: bit fields, most significant bit first, gathered in a 64-bit accumulator and
// handed to a byte buffer eight bytes at a time. The bit streams of the core and of the SWF
// writer both keep one beside their CBK_ByteBuffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/bitstream/byte_buffer.h"

class CBK_BitPacker {
public:
    // Bits held and not yet in the buffer, 0 to 63.
    uint32_t Bits() const { return _bits; }
    void Clear() {
        _acc = 0;
        _bits = 0;
    }

    // The low `nbits` bits of `value`; bits above 32 are zero, 0 or less adds nothing.
    // Inline, and the state kept in two plain members, so that a run of fields costs a
    // shift and an or each and one store per 64 bits.
    void Put(CBK_ByteBuffer& out, uint32_t value, int32_t nbits) {
        if (static_cast<uint32_t>(nbits) > 32) {
            // The state comes back by value and is stored here, after the call, as on every
            // other path: a caller's loop then keeps it in registers instead of reloading it.
            const State next = PutLong(out, State{_acc, _bits}, value, nbits);
            _acc = next.acc;
            _bits = next.bits;
            return;
        }
        const uint64_t field = value & kLowBits[nbits];
        const uint32_t total = _bits + static_cast<uint32_t>(nbits);
        if (total < 64) {
            _acc = (_acc << nbits) | field;
            _bits = total;
            return;
        }
        Spill(out, field, static_cast<uint32_t>(nbits));
    }

    // Completes the last byte with zero bits and moves every bit into the buffer.
    void Align(CBK_ByteBuffer& out) {
        if (_bits != 0)
            AlignPending(out);
    }

    // Moves every complete byte into the buffer but the last byte that holds bits (even a
    // full one), which stays pending; returns that byte, its bits from the top.
    uint8_t Settle(CBK_ByteBuffer& out) {
        if (_bits == 0)
            return 0;
        const uint32_t keep = (_bits - 1) % 8 + 1;
        MoveBytes(out, (_bits - keep) / 8);
        return static_cast<uint8_t>(_acc << (8 - keep));
    }

    // The first `nbits` bits of a stream made of `bytes` followed by the bits `tail` holds
    // (at most all of them), appended at the current bit position.
    void PutStream(CBK_ByteBuffer& out, const uint8_t* bytes, std::size_t size,
                   const CBK_BitPacker& tail, uint64_t nbits) {
        nbits = std::min<uint64_t>(nbits, uint64_t(size) * 8 + tail._bits);
        const auto whole = static_cast<std::size_t>(std::min<uint64_t>(nbits / 8, size));
        if (_bits == 0 && whole > 0) {
            // Aligned: in bulk, the last byte pending like any 8-bit field.
            out.append(bytes, whole - 1);
            Put(out, bytes[whole - 1], 8);
        } else {
            out.Room(whole + 8);
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
    // Out of line: the whole-byte adds that call Align stay small.
    [[gnu::noinline]] void AlignPending(CBK_ByteBuffer& out) {
        const uint32_t pad = (8 - _bits % 8) % 8;
        _acc <<= pad;
        _bits += pad;
        MoveBytes(out, _bits / 8);
    }

    // The masks of the low 0 to 32 bits: a load costs less than a shift by a variable count.
    static constexpr uint32_t kLowBits[33] = {
        0x0,       0x1,        0x3,        0x7,        0xF,       0x1F,      0x3F,
        0x7F,      0xFF,       0x1FF,      0x3FF,      0x7FF,     0xFFF,     0x1FFF,
        0x3FFF,    0x7FFF,     0xFFFF,     0x1FFFF,    0x3FFFF,   0x7FFFF,   0xFFFFF,
        0x1FFFFF,  0x3FFFFF,   0x7FFFFF,   0xFFFFFF,   0x1FFFFFF, 0x3FFFFFF, 0x7FFFFFF,
        0xFFFFFFF, 0x1FFFFFFF, 0x3FFFFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
    struct State {
        uint64_t acc;
        uint32_t bits;
    };
    [[gnu::noinline, gnu::cold]] static State PutLong(CBK_ByteBuffer& out, State state,
                                                      uint32_t value, int32_t nbits) {
        CBK_BitPacker packer;
        packer._acc = state.acc;
        packer._bits = state.bits;
        if (nbits > 0) {
            packer.PutZeros(out, static_cast<uint64_t>(nbits) - 32);
            packer.Put(out, value, 32);
        }
        return State{packer._acc, packer._bits};
    }
    // The accumulator is full with the top bits of a field of `nbits` bits: its 64 bits go to
    // the buffer, the rest of the field stays.
    void Spill(CBK_ByteBuffer& out, uint64_t field, uint32_t nbits) {
        const uint32_t room = 64 - _bits; // 1 to 32: a field never exceeds 32 bits
        const uint32_t rest = nbits - room;
        const uint64_t word = (_acc << room) | (field >> rest);
        StoreBigEndian(out, word, 8);
        _acc = field; // bits above the `rest` held are never read
        _bits = rest;
    }

    // Zero bits in runs of up to 32, for the part of a field above its 32 value bits.
    void PutZeros(CBK_ByteBuffer& out, uint64_t count) {
        for (; count > 32; count -= 32)
            Put(out, 0, 32);
        Put(out, 0, static_cast<int32_t>(count));
    }

    // Moves the oldest `count` whole bytes (at most all the bits held) into the buffer.
    void MoveBytes(CBK_ByteBuffer& out, uint32_t count) {
        if (count == 0)
            return;
        _bits -= 8 * count;
        StoreBigEndian(out, _acc >> _bits, count);
    }

    // The first room a buffer gets for bit fields: a stream that packs fields at all usually
    // packs many, and growing it from a few bytes costs more copies than this costs memory.
    static constexpr std::size_t kFirstBlock = 8192;

    // The low `count` bytes of `word`, most significant first, at the end of the buffer.
    static void StoreBigEndian(CBK_ByteBuffer& out, uint64_t word, uint32_t count) {
        if (out.Spare() < 8)
            out.reserve(std::max<std::size_t>(out.size() * 2, out.size() + kFirstBlock));
        out.AppendBigEndian(word, count);
    }

    uint64_t _acc = 0; // the low `_bits` bits, oldest first; bits above are left over
    uint32_t _bits = 0;
};
