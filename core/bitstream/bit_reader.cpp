#include "core/bitstream/bit_reader.h"

#include <cstring>
#include <limits>

#include "core/paths/path.h"

namespace {

int32_t Extend(uint32_t value, uint16_t nbits, bool isSigned) {
    if (isSigned && nbits > 0 && nbits < 32 && (value >> (nbits - 1) & 1))
        value |= ~0u << nbits;
    return static_cast<int32_t>(value);
}

uint32_t Clamp(int64_t position) {
    if (position < 0)
        return 0;
    if (position > std::numeric_limits<uint32_t>::max())
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(position);
}

} // namespace

CBK_BitReader::~CBK_BitReader() {
    if (_file)
        std::fclose(_file);
}

void CBK_BitReader::SetBufPos(uint32_t position) {
    _position = position;
    _bitPosition = 0;
}

void CBK_BitReader::OffSetBufPos(int32_t offset) {
    if (_bitPosition == 8)
        ByteAlign(); // the byte whose bits are all taken is behind us
    _position = Clamp(static_cast<int64_t>(_position) + offset);
}

void CBK_BitReader::ByteAlign() {
    if (_bitPosition == 0)
        return;
    if (_position < std::numeric_limits<uint32_t>::max())
        ++_position;
    _bitPosition = 0;
}

int32_t CBK_BitReader::GetBits(uint16_t nbits, bool isSigned) {
    uint32_t value = 0;
    for (uint16_t i = 0; i < nbits; ++i) {
        if (_bitPosition >= 8)
            ByteAlign();
        const uint8_t byte = _position < _size ? _buffer[_position] : 0;
        value = value << 1 | (byte >> (7 - _bitPosition) & 1);
        ++_bitPosition;
    }
    return Extend(value, nbits, isSigned);
}

uint8_t CBK_BitReader::PeekByte() {
    const uint64_t at = static_cast<uint64_t>(_position) + (_bitPosition != 0 ? 1 : 0);
    return at < _size ? _buffer[at] : 0;
}

uint8_t CBK_BitReader::GetByte() {
    ByteAlign();
    if (Remaining() < 1)
        return 0;
    return _buffer[_position++];
}

uint16_t CBK_BitReader::GetWord() {
    ByteAlign();
    if (Remaining() < 2)
        return 0;
    const uint16_t value = static_cast<uint16_t>(_buffer[_position] | _buffer[_position + 1] << 8);
    _position += 2;
    return value;
}

uint32_t CBK_BitReader::GetDWord() {
    ByteAlign();
    if (Remaining() < 4)
        return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | _buffer[_position + i];
    _position += 4;
    return value;
}

void CBK_BitReader::Close() {
    if (_file) {
        std::fclose(_file);
        _file = nullptr;
    }
}

bool CBK_BitReader::Open(const CBK_Path& path) {
    _position = 0;
    _bitPosition = 0;
    _size = 0;
    _buffer.clear();
    std::FILE* file = path.OpenAsStdFile(L"rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long length = ok ? std::ftell(file) : -1;
    ok = ok && length >= 0 && static_cast<unsigned long>(length) <= 0xFFFFFFFFul &&
         std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        _buffer.resize(static_cast<std::size_t>(length));
        ok = std::fread(_buffer.data(), 1, _buffer.size(), file) == _buffer.size();
    }
    std::fclose(file);
    if (!ok) {
        _buffer.clear();
        return false;
    }
    _size = static_cast<uint32_t>(_buffer.size());
    return true;
}

bool CBK_BitReader::Open(const uint8_t* data, int32_t n) {
    _position = 0;
    _bitPosition = 0;
    _size = 0;
    _buffer.clear();
    if (n < 0 || (n > 0 && !data))
        return false;
    _buffer.assign(data, data + n);
    _size = static_cast<uint32_t>(n);
    return true;
}

bool CBK_BitFileReader::Open(const CBK_Path& path) {
    Close();
    _buffer.clear();
    _position = 0;
    _bitPosition = 0;
    _size = 0;
    _file = path.OpenAsStdFile(L"rb");
    if (!_file)
        return false;
    long length = -1;
    if (std::fseek(_file, 0, SEEK_END) == 0)
        length = std::ftell(_file);
    if (length < 0 || static_cast<unsigned long>(length) > 0xFFFFFFFFul ||
        std::fseek(_file, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    _size = static_cast<uint32_t>(length);
    return true;
}

void CBK_BitFileReader::SetBufPos(uint32_t position) {
    _position = position;
    _bitPosition = 0;
    if (_file)
        std::fseek(_file, static_cast<long>(position), SEEK_SET);
}

void CBK_BitFileReader::OffSetBufPos(int32_t offset) {
    if (_bitPosition == 8)
        ByteAlign();
    const uint8_t bits = _bitPosition;
    SetBufPos(Clamp(static_cast<int64_t>(_position) + offset));
    _bitPosition = bits;
}

void CBK_BitFileReader::ByteAlign() {
    if (_bitPosition == 0)
        return;
    if (_file)
        std::fgetc(_file);
    if (_position < std::numeric_limits<uint32_t>::max())
        ++_position;
    _bitPosition = 0;
}

uint8_t CBK_BitFileReader::PeekFileByte() {
    if (!_file || _position >= _size)
        return 0;
    const int c = std::fgetc(_file);
    if (c == EOF)
        return 0;
    std::ungetc(c, _file);
    return static_cast<uint8_t>(c);
}

int32_t CBK_BitFileReader::GetBits(uint16_t nbits, bool isSigned) {
    uint32_t value = 0;
    uint8_t byte = 0;
    bool loaded = false;
    for (uint16_t i = 0; i < nbits; ++i) {
        if (_bitPosition >= 8) {
            ByteAlign();
            loaded = false;
        }
        if (!loaded) {
            byte = PeekFileByte();
            loaded = true;
        }
        value = value << 1 | (byte >> (7 - _bitPosition) & 1);
        ++_bitPosition;
    }
    return Extend(value, nbits, isSigned);
}

uint8_t CBK_BitFileReader::PeekByte() {
    if (_bitPosition == 0)
        return PeekFileByte();
    if (!_file || static_cast<uint64_t>(_position) + 1 >= _size)
        return 0;
    // The byte after the one whose bits are being taken.
    const long here = std::ftell(_file);
    uint8_t next[2];
    const bool ok = std::fread(next, 1, 2, _file) == 2;
    std::fseek(_file, here, SEEK_SET);
    return ok ? next[1] : 0;
}

uint8_t CBK_BitFileReader::GetByte() {
    ByteAlign();
    if (!_file || Remaining() < 1)
        return 0;
    const int c = std::fgetc(_file);
    if (c == EOF)
        return 0;
    ++_position;
    return static_cast<uint8_t>(c);
}

uint16_t CBK_BitFileReader::GetWord() {
    ByteAlign();
    uint8_t bytes[2];
    if (!_file || Remaining() < 2 || std::fread(bytes, 1, 2, _file) != 2)
        return 0;
    _position += 2;
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t CBK_BitFileReader::GetDWord() {
    ByteAlign();
    uint8_t bytes[4];
    if (!_file || Remaining() < 4 || std::fread(bytes, 1, 4, _file) != 4)
        return 0;
    _position += 4;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
