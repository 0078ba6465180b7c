// CBK_BitStream: a growable byte buffer written in bit fields (most significant bit first)
// and in typed values. Every whole-byte add first completes the pending byte with zero bits.
// The base class writes integers least significant byte first and floating-point values
// most significant byte first; the subclasses write every multi-byte value in one order.
#pragma once

#include <cstdint>

#include "core/bitstream/bit_packer.h"
#include "core/bitstream/byte_buffer.h"

class CBK_Path;

class CBK_BitStream {
public:
    CBK_BitStream() = default;
    CBK_BitStream(const CBK_BitStream&) = default;
    CBK_BitStream& operator=(const CBK_BitStream&) = default;
    virtual ~CBK_BitStream() = default;

    virtual void Add(unsigned char value);
    virtual void Add(char value);
    virtual void Add(bool value); // the byte 0 or 1
    virtual void Add(uint16_t value);
    virtual void Add(int16_t value);
    virtual void Add(uint32_t value);
    virtual void Add(int32_t value);
    // The low nbits bits of the value, most significant first, not aligned. Bits above the
    // 32 that the value holds are zero; nbits of 0 or less adds nothing.
    virtual void Add(uint32_t value, int32_t nbits) { _packer.Put(_buffer, value, nbits); }
    virtual void Add(float value);  // IEEE 754 single
    virtual void Add(double value); // IEEE 754 double
    // Every bit of the other stream (its bytes, then its pending bits), not aligned.
    virtual void Add(const CBK_BitStream& other);
    // The first nbits bits of the other stream, at most as many as it holds.
    virtual void Add(const CBK_BitStream& other, uint32_t nbits);
    virtual void AddByte(uint8_t value);
    virtual void AddWord(uint16_t value);
    virtual void AddDWord(uint32_t value);

    // The bytes as they are, after aligning.
    void AddMemBlock(const uint8_t* data, uint32_t n);
    // A length-prefixed string: its length byte and that many bytes.
    void AddPascalString(const unsigned char* text);
    // A 16-bit length in the stream's order, then at most 65535 bytes of the text.
    void AddBigPascalStringFromCString(const char* text);
    // The same with the text converted to 8-bit text (BK_StringWideToAnsi).
    void AddBigPascalStringFromCString(const wchar_t* text);

    // Appends the pending byte when it holds bits.
    void ByteAlign() { _packer.Align(_buffer); }
    uint64_t GetTotalBits() const { return uint64_t(_buffer.size()) * 8 + _packer.Bits(); }
    // Completed bytes, plus one when bits are pending.
    uint32_t GetTotalBytes() const {
        return static_cast<uint32_t>(_buffer.size() + (_packer.Bits() + 7) / 8);
    }
    // The completed bytes, read in place; aligns first when asked. `pending` receives the
    // pending byte: the last one that holds bits, even all 8 of them (0 after aligning).
    const CBK_ByteBuffer& GetStream(bool align, uint8_t* pending = nullptr);

    // Overwrite bytes already in the buffer from byte `pos`, least significant byte first
    // whatever the subclass. False, and nothing written, when they do not all lie inside.
    bool Write(bool value, uint32_t pos);
    bool Write(char value, uint32_t pos);
    bool Write(unsigned char value, uint32_t pos);
    bool Write(int16_t value, uint32_t pos);
    bool Write(uint16_t value, uint32_t pos);
    bool Write(int32_t value, uint32_t pos);
    bool Write(uint32_t value, uint32_t pos);

    // The completed bytes (not the pending bits) to a file of that name beside the
    // application, or to the path. False when the file cannot be written whole.
    bool Dump(const wchar_t* name);
    bool WriteToFile(const CBK_Path& path);

    void Destroy();

protected:
    void AppendLittleEndian(uint64_t value, int bytes);
    void AppendBigEndian(uint64_t value, int bytes);

private:
    bool Patch(uint32_t value, int bytes, uint32_t pos);
    // The first `nbits` bits of `other`, which may be this stream.
    void AppendBits(const CBK_BitStream& other, uint64_t nbits);

    CBK_ByteBuffer _buffer; // completed bytes; the packer holds the bits after them
    CBK_BitPacker _packer;
};

class CBK_BitStreamBigEndian : public CBK_BitStream {
public:
    using CBK_BitStream::Add;
    void Add(uint16_t value) override;
    void Add(int16_t value) override;
    void Add(uint32_t value) override;
    void Add(int32_t value) override;
    void Add(float value) override;
    void Add(double value) override;
    void AddWord(uint16_t value) override;
    void AddDWord(uint32_t value) override;
};

class CBK_BitStreamLittleEndian : public CBK_BitStream {
public:
    using CBK_BitStream::Add;
    void Add(uint16_t value) override;
    void Add(int16_t value) override;
    void Add(uint32_t value) override;
    void Add(int32_t value) override;
    void Add(float value) override;
    void Add(double value) override;
    void AddWord(uint16_t value) override;
    void AddDWord(uint32_t value) override;
};
