// CBK_SwfStream: the output buffer of every SWF object: little-endian bytes and bit fields
// packed most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace ravuz {

class CBK_SwfObj;

class CBK_SwfStream {
public:
    explicit CBK_SwfStream(uint8_t version);
    ~CBK_SwfStream();
    CBK_SwfStream(const CBK_SwfStream&) = default;
    CBK_SwfStream& operator=(const CBK_SwfStream&) = default;

    // Empties the buffer and the pending bits; version and ignore-audio stay.
    void Destroy();
    void Reserve(std::size_t n) { _buffer.reserve(n); }
    std::size_t Capacity() const { return _buffer.capacity(); }

    uint8_t GetVersion() const { return _version; }
    void IgnoreAudio(bool ignore) { _ignoreAudio = ignore; }
    bool IsIgnoringAudio() const { return _ignoreAudio; }

    // The low `nbits` bits of `value`, most significant first; bits above 32 are zero.
    void Add(uint32_t value, int32_t nbits);
    // Completes a partly filled byte with zero bits.
    void ByteAlign();

    // Whole-byte adds; each first completes pending bits as ByteAlign does.
    void Add(uint8_t value);
    void Add(uint16_t value);
    void Add(int16_t value) { Add(static_cast<uint16_t>(value)); }
    void Add(uint32_t value);
    void Add(const std::vector<uint8_t>& bytes) { AddBytes(bytes.data(), bytes.size()); }
    void Add(const std::vector<uint8_t>* bytes);
    // Takes every byte from the front of the list: the list ends empty.
    void Add(std::list<uint8_t>& bytes);
    // Flushes the other stream's pending bits (which changes it) and appends its bytes.
    void Add(CBK_SwfStream* other);
    // Each character as one byte, no terminator.
    void Add(const std::string& bytes) { AddBytes(bytes.data(), bytes.size()); }
    // Text in this stream's SWF encoding, no terminator.
    void Add(const std::wstring& text);
    // Text encoded for SWF `version`, at most `maxBytes` bytes, no terminator.
    void AddText(std::wstring_view text, uint8_t version, std::size_t maxBytes = SIZE_MAX);
    // The bytes of a memory handle; a null or empty handle adds nothing.
    void Add(char** handle);
    // The object's Write on this stream; null adds nothing. Returns the bytes it reports.
    uint32_t Add(CBK_SwfObj* object);
    void AddBytes(const void* data, std::size_t size);

    // Every bit of the other stream at this stream's bit position (not aligned).
    void AddBitStream(CBK_SwfStream* other);
    // The first `nbits` bits of the other stream (at most all of them).
    void AddBitStreamBits(CBK_SwfStream* other, uint32_t nbits);

    // Flushes pending bits and gives the bytes.
    const std::vector<uint8_t>& GetStream();
    // Complete bytes so far: a last byte that bits are still being added to (even when all
    // 8 of its bits are there) is not counted.
    uint32_t GetByteCount() const {
        return static_cast<uint32_t>(_buffer.size() + (_bits ? (_bits - 1) / 8 : 0));
    }
    uint32_t GetRealSize() const { return static_cast<uint32_t>(_buffer.size() + (_bits + 7) / 8); }
    uint64_t GetBitSize() const { return uint64_t(_buffer.size()) * 8 + _bits; }

private:
    friend class CBK_SwfTag;

    // Moves the oldest four bytes of the accumulator into the buffer.
    void FlushWholeBytes();
    // The first `nbits` bits of `other` (at most all of them); `other` may be this stream.
    void AppendBitsOf(CBK_SwfStream* other, uint64_t nbits);

    // Bit fields gather in a 64-bit accumulator (its low `_bits` bits, most significant
    // first) and reach the buffer a few bytes at a time.
    uint64_t _acc = 0;
    uint32_t _bits = 0;
    std::vector<uint8_t> _buffer;
    uint8_t _version;
    bool _ignoreAudio = false;
};

inline void CBK_SwfStream::FlushWholeBytes() {
    // Called with more than 32 bits gathered: the top four bytes go out in one store.
    _bits -= 32;
    const auto word = static_cast<uint32_t>(_acc >> _bits);
    const std::size_t at = _buffer.size();
    _buffer.resize(at + 4);
    uint8_t* out = _buffer.data() + at;
    out[0] = static_cast<uint8_t>(word >> 24);
    out[1] = static_cast<uint8_t>(word >> 16);
    out[2] = static_cast<uint8_t>(word >> 8);
    out[3] = static_cast<uint8_t>(word);
    _acc &= (uint64_t(1) << _bits) - 1;
}

inline void CBK_SwfStream::Add(uint32_t value, int32_t nbits) {
    if (nbits <= 0)
        return;
    while (nbits > 32) {
        const int32_t zeros = nbits - 32 > 32 ? 32 : nbits - 32;
        if (_bits + static_cast<uint32_t>(zeros) > 64)
            FlushWholeBytes();
        _acc <<= zeros;
        _bits += static_cast<uint32_t>(zeros);
        nbits -= zeros;
    }
    if (_bits + static_cast<uint32_t>(nbits) > 64)
        FlushWholeBytes();
    const uint64_t field = nbits == 32 ? value : value & ((uint32_t(1) << nbits) - 1);
    _acc = (_acc << nbits) | field;
    _bits += static_cast<uint32_t>(nbits);
}

inline void CBK_SwfStream::ByteAlign() {
    if (_bits) {
        const uint32_t pad = (8 - _bits % 8) % 8;
        _acc <<= pad;
        _bits += pad;
        const uint32_t count = _bits / 8;
        uint8_t bytes[8];
        for (uint32_t i = 0; i < count; ++i)
            bytes[i] = static_cast<uint8_t>(_acc >> (_bits - 8 * (i + 1)));
        _buffer.insert(_buffer.end(), bytes, bytes + count);
        _acc = 0;
        _bits = 0;
    }
}

inline void CBK_SwfStream::Add(uint8_t value) {
    ByteAlign();
    _buffer.push_back(value);
}

inline void CBK_SwfStream::Add(uint16_t value) {
    ByteAlign();
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    _buffer.insert(_buffer.end(), bytes, bytes + 2);
}

inline void CBK_SwfStream::Add(uint32_t value) {
    ByteAlign();
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    _buffer.insert(_buffer.end(), bytes, bytes + 4);
}

} // namespace ravuz
