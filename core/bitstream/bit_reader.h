// CBK_BitReader reads bit fields (most significant bit first) and little-endian values from
// a byte buffer; CBK_BitFileReader reads the same straight from an open file. Reads past the
// end give zero bits and zero values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

class CBK_Path;
class CBK_String;

class CBK_BitReader {
public:
    CBK_BitReader() = default;
    CBK_BitReader(const CBK_BitReader&) = delete;
    CBK_BitReader& operator=(const CBK_BitReader&) = delete;
    virtual ~CBK_BitReader();

    virtual void Destroy() {}
    // The start of byte `position`.
    virtual void SetBufPos(uint32_t position);
    // Moves from the current byte (the next one when all bits of this one are taken),
    // keeping the bit position; a move before the start stops at 0.
    virtual void OffSetBufPos(int32_t offset);
    // Moves to the next whole byte when bits of this one were taken.
    virtual void ByteAlign();
    // nbits bits (at most the last 32 count), sign-extended from the field's width when
    // `isSigned` is set and its top bit is 1.
    virtual int32_t GetBits(uint16_t nbits, bool isSigned);
    // The byte at the read position (the next one when bits of it were taken); 0 past the end.
    virtual uint8_t PeekByte();
    // Aligned; 0, without moving, when fewer bytes remain than the value needs.
    virtual uint8_t GetByte();
    virtual uint16_t GetWord();
    virtual uint32_t GetDWord();
    // These read nothing.
    virtual uint32_t GetU32() { return 0; }
    virtual uint16_t GetU16() { return 0; }
    virtual float GetFloat() { return 0.0f; }
    virtual double GetDouble() { return 0.0; }
    virtual bool GetBigPascalString(CBK_String&) { return false; }

    virtual void Close();
    // Reads the whole file into the buffer; false when it cannot be opened or read.
    virtual bool Open(const CBK_Path& path);
    // Copies the bytes; false for a negative count or missing bytes.
    virtual bool Open(const uint8_t* data, int32_t n);

    uint32_t GetBufPos() const { return _position; }
    uint32_t GetSize() const { return _size; }

protected:
    uint32_t Remaining() const { return _position < _size ? _size - _position : 0; }

    std::vector<uint8_t> _buffer;
    std::FILE* _file = nullptr;
    uint32_t _position = 0;   // byte index
    uint8_t _bitPosition = 0; // bits already taken from the byte at the position, 0 to 8
    uint32_t _size = 0;
};

class CBK_BitFileReader : public CBK_BitReader {
public:
    using CBK_BitReader::Open;
    void SetBufPos(uint32_t position) override;
    void OffSetBufPos(int32_t offset) override;
    void ByteAlign() override;
    int32_t GetBits(uint16_t nbits, bool isSigned) override;
    uint8_t PeekByte() override;
    uint8_t GetByte() override;
    uint16_t GetWord() override;
    uint32_t GetDWord() override;
    // Opens the file and measures it; bytes are read as they are asked for.
    bool Open(const CBK_Path& path) override;

private:
    // The byte at the read position without consuming it; 0 past the end.
    uint8_t PeekFileByte();
};
