// CBK_BitStreamParser: reads bit fields, most significant bit first, from bytes it holds.
// Reads never pass the last byte: missing bits read as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CBK_BitStreamParser {
public:
    void Add(const uint8_t* bytes, std::size_t count);
    // The next `count` bits (at most 32), first bit on top; with `isSigned`, sign-extended
    // from the field's width.
    uint32_t GetBits(uint32_t count, bool isSigned);
    // Copies the next `count` bits into `out` (room for (count + 7) / 8 bytes), packed from
    // each byte's top, a last partial byte left-aligned; stops at the last byte held.
    // Returns the bits copied.
    uint32_t GetBits(uint8_t* out, uint32_t count);
    void ByteAlign();
    void Reset();
    // Bits not yet read.
    uint64_t BitsLeft() const;

private:
    std::vector<uint8_t> _bytes;
    std::size_t _byte = 0;
    uint32_t _bit = 0; // 0 is the most significant bit
};
