// CBK_SwfStream: the output buffer of every SWF object: little-endian bytes and bit fields
// packed most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "core/bitstream/bit_packer.h"
#include "core/bitstream/byte_buffer.h"

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

    // Flushes pending bits and gives the bytes, read in place.
    const CBK_ByteBuffer& GetStream();
    // Complete bytes so far: a last byte that bits are still being added to (even when all
    // 8 of its bits are there) is not counted.
    uint32_t GetByteCount() const {
        const uint32_t bits = _packer.Bits();
        return static_cast<uint32_t>(_buffer.size() + (bits ? (bits - 1) / 8 : 0));
    }
    uint32_t GetRealSize() const {
        return static_cast<uint32_t>(_buffer.size() + (_packer.Bits() + 7) / 8);
    }
    uint64_t GetBitSize() const { return uint64_t(_buffer.size()) * 8 + _packer.Bits(); }

private:
    friend class CBK_SwfTag;

    // The first `nbits` bits of `other` (at most all of them); `other` may be this stream.
    void AppendBitsOf(CBK_SwfStream* other, uint64_t nbits);

    // Bit fields gather in the packer and reach the buffer a few bytes at a time.
    CBK_BitPacker _packer;
    CBK_ByteBuffer _buffer;
    uint8_t _version;
    bool _ignoreAudio = false;
};

inline void CBK_SwfStream::Add(uint32_t value, int32_t nbits) {
    _packer.Put(_buffer, value, nbits);
}

inline void CBK_SwfStream::ByteAlign() {
    _packer.Align(_buffer);
}

inline void CBK_SwfStream::Add(uint8_t value) {
    ByteAlign();
    _buffer.AppendLittleEndian(value, 1);
}

inline void CBK_SwfStream::Add(uint16_t value) {
    ByteAlign();
    _buffer.AppendLittleEndian(value, 2);
}

inline void CBK_SwfStream::Add(uint32_t value) {
    ByteAlign();
    _buffer.AppendLittleEndian(value, 4);
}

} // namespace ravuz
