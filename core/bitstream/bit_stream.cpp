#include "core/bitstream/bit_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "core/strings/string_functions.h"

namespace {

uint32_t FloatBits(float value) {
    return std::bit_cast<uint32_t>(value);
}

uint64_t DoubleBits(double value) {
    return std::bit_cast<uint64_t>(value);
}

} // namespace

void CBK_BitStream::AppendLittleEndian(uint64_t value, int bytes) {
    ByteAlign();
    _buffer.AppendLittleEndian(value, static_cast<std::size_t>(bytes));
}

void CBK_BitStream::AppendBigEndian(uint64_t value, int bytes) {
    ByteAlign();
    _buffer.AppendBigEndian(value, static_cast<std::size_t>(bytes));
}

void CBK_BitStream::Add(unsigned char value) {
    AppendLittleEndian(value, 1);
}

void CBK_BitStream::Add(char value) {
    AppendLittleEndian(static_cast<unsigned char>(value), 1);
}

void CBK_BitStream::Add(bool value) {
    AppendLittleEndian(value ? 1 : 0, 1);
}

void CBK_BitStream::Add(uint16_t value) {
    AppendLittleEndian(value, 2);
}

void CBK_BitStream::Add(int16_t value) {
    AppendLittleEndian(static_cast<uint16_t>(value), 2);
}

void CBK_BitStream::Add(uint32_t value) {
    AppendLittleEndian(value, 4);
}

void CBK_BitStream::Add(int32_t value) {
    AppendLittleEndian(static_cast<uint32_t>(value), 4);
}

void CBK_BitStream::Add(float value) {
    AppendBigEndian(FloatBits(value), 4);
}

void CBK_BitStream::Add(double value) {
    AppendBigEndian(DoubleBits(value), 8);
}

void CBK_BitStream::Add(const CBK_BitStream& other) {
    AppendBits(other, other.GetTotalBits());
}

void CBK_BitStream::Add(const CBK_BitStream& other, uint32_t nbits) {
    AppendBits(other, nbits);
}

void CBK_BitStream::AppendBits(const CBK_BitStream& other, uint64_t nbits) {
    if (&other == this) {
        // A stream appended to itself gives what it held before.
        const CBK_BitStream copy(*this);
        AppendBits(copy, nbits);
        return;
    }
    _packer.PutStream(_buffer, other._buffer.data(), other._buffer.size(), other._packer, nbits);
}

void CBK_BitStream::AddByte(uint8_t value) {
    AppendLittleEndian(value, 1);
}

void CBK_BitStream::AddWord(uint16_t value) {
    AppendLittleEndian(value, 2);
}

void CBK_BitStream::AddDWord(uint32_t value) {
    AppendLittleEndian(value, 4);
}

void CBK_BitStream::AddMemBlock(const uint8_t* data, uint32_t n) {
    ByteAlign();
    if (!data || n == 0)
        return;
    _buffer.append(data, n);
}

void CBK_BitStream::AddPascalString(const unsigned char* text) {
    ByteAlign();
    if (!text)
        return;
    _buffer.append(text, std::size_t(1) + text[0]);
}

void CBK_BitStream::AddBigPascalStringFromCString(const char* text) {
    ByteAlign();
    const std::size_t length = text ? std::min<std::size_t>(std::strlen(text), 65535) : 0;
    Add(static_cast<uint16_t>(length));
    if (length > 0)
        _buffer.append(reinterpret_cast<const uint8_t*>(text), length);
}

void CBK_BitStream::AddBigPascalStringFromCString(const wchar_t* text) {
    const std::string converted = BK_StringWideToAnsi(text ? text : L"");
    AddBigPascalStringFromCString(converted.c_str());
}

const CBK_ByteBuffer& CBK_BitStream::GetStream(bool align, uint8_t* pending) {
    if (align)
        ByteAlign();
    const uint8_t last = _packer.Settle(_buffer);
    if (pending)
        *pending = last;
    return _buffer;
}

bool CBK_BitStream::Patch(uint32_t value, int bytes, uint32_t pos) {
    _packer.Settle(_buffer);
    if (pos > _buffer.size() || _buffer.size() - pos < static_cast<std::size_t>(bytes))
        return false;
    for (int i = 0; i < bytes; ++i)
        _buffer[pos + i] = static_cast<uint8_t>(value >> (8 * i));
    return true;
}

bool CBK_BitStream::Write(bool value, uint32_t pos) {
    return Patch(value ? 1 : 0, 1, pos);
}

bool CBK_BitStream::Write(char value, uint32_t pos) {
    return Patch(static_cast<unsigned char>(value), 1, pos);
}

bool CBK_BitStream::Write(unsigned char value, uint32_t pos) {
    return Patch(value, 1, pos);
}

bool CBK_BitStream::Write(int16_t value, uint32_t pos) {
    return Patch(static_cast<uint16_t>(value), 2, pos);
}

bool CBK_BitStream::Write(uint16_t value, uint32_t pos) {
    return Patch(value, 2, pos);
}

bool CBK_BitStream::Write(int32_t value, uint32_t pos) {
    return Patch(static_cast<uint32_t>(value), 4, pos);
}

bool CBK_BitStream::Write(uint32_t value, uint32_t pos) {
    return Patch(value, 4, pos);
}

bool CBK_BitStream::WriteToFile(const CBK_Path& path) {
    _packer.Settle(_buffer);
    // Replaced whole: a write that fails halfway keeps the old file.
    CBK_AtomicFile file;
    return file.Open(BK_WideToFileSystemName(path.GetPathString())) &&
           file.Write(_buffer.data(), _buffer.size()) && file.Commit();
}

bool CBK_BitStream::Dump(const wchar_t* name) {
    CBK_Path path;
    if (!name || !path.MakeAppLevelPath(name))
        return false;
    return WriteToFile(path);
}

void CBK_BitStream::Destroy() {
    CBK_ByteBuffer().swap(_buffer);
    _packer.Clear();
}

void CBK_BitStreamBigEndian::Add(uint16_t value) {
    AppendBigEndian(value, 2);
}

void CBK_BitStreamBigEndian::Add(int16_t value) {
    AppendBigEndian(static_cast<uint16_t>(value), 2);
}

void CBK_BitStreamBigEndian::Add(uint32_t value) {
    AppendBigEndian(value, 4);
}

void CBK_BitStreamBigEndian::Add(int32_t value) {
    AppendBigEndian(static_cast<uint32_t>(value), 4);
}

void CBK_BitStreamBigEndian::Add(float value) {
    AppendBigEndian(FloatBits(value), 4);
}

void CBK_BitStreamBigEndian::Add(double value) {
    AppendBigEndian(DoubleBits(value), 8);
}

void CBK_BitStreamBigEndian::AddWord(uint16_t value) {
    AppendBigEndian(value, 2);
}

void CBK_BitStreamBigEndian::AddDWord(uint32_t value) {
    AppendBigEndian(value, 4);
}

void CBK_BitStreamLittleEndian::Add(uint16_t value) {
    AppendLittleEndian(value, 2);
}

void CBK_BitStreamLittleEndian::Add(int16_t value) {
    AppendLittleEndian(static_cast<uint16_t>(value), 2);
}

void CBK_BitStreamLittleEndian::Add(uint32_t value) {
    AppendLittleEndian(value, 4);
}

void CBK_BitStreamLittleEndian::Add(int32_t value) {
    AppendLittleEndian(static_cast<uint32_t>(value), 4);
}

void CBK_BitStreamLittleEndian::Add(float value) {
    AppendLittleEndian(FloatBits(value), 4);
}

void CBK_BitStreamLittleEndian::Add(double value) {
    AppendLittleEndian(DoubleBits(value), 8);
}

void CBK_BitStreamLittleEndian::AddWord(uint16_t value) {
    AppendLittleEndian(value, 2);
}

void CBK_BitStreamLittleEndian::AddDWord(uint32_t value) {
    AppendLittleEndian(value, 4);
}
