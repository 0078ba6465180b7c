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
    // Complete bytes so far (pending bits not counted).
    uint32_t GetByteCount() const { return static_cast<uint32_t>(_buffer.size()); }
    uint32_t GetRealSize() const { return GetByteCount() + (_bits ? 1u : 0u); }
    uint64_t GetBitSize() const { return uint64_t(_buffer.size()) * 8 + _bits; }

private:
    friend class CBK_SwfTag;

    void FlushWholeBytes();

    // Pending bits: the low `_bits` bits of `_acc`. Between calls at most 8 bits are pending,
    // and a full byte stays pending until the next add, as callers of the bit counts expect.
    uint64_t _acc = 0;
    uint32_t _bits = 0;
    std::vector<uint8_t> _buffer;
    uint8_t _version;
    bool _ignoreAudio = false;
};

inline void CBK_SwfStream::FlushWholeBytes() {
    // Keep 1 to 8 bits pending.
    while (_bits > 8) {
        _bits -= 8;
        _buffer.push_back(static_cast<uint8_t>(_acc >> _bits));
    }
    _acc &= (uint64_t(1) << _bits) - 1;
}

inline void CBK_SwfStream::Add(uint32_t value, int32_t nbits) {
    if (nbits <= 0)
        return;
    while (nbits > 32) {
        const int32_t zeros = nbits - 32 > 32 ? 32 : nbits - 32;
        _acc <<= zeros;
        _bits += static_cast<uint32_t>(zeros);
        FlushWholeBytes();
        nbits -= zeros;
    }
    const uint64_t field = nbits == 32 ? value : value & ((uint32_t(1) << nbits) - 1);
    _acc = (_acc << nbits) | field;
    _bits += static_cast<uint32_t>(nbits);
    if (_bits > 8)
        FlushWholeBytes();
}

inline void CBK_SwfStream::ByteAlign() {
    if (_bits) {
        _buffer.push_back(static_cast<uint8_t>(_acc << (8 - _bits)));
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
