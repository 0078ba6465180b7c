#include "media/movie/atom_writer.h"

#include <algorithm>

void CBK_AtomWriter::Begin(std::string_view type) {
    _open.push_back(_data.size());
    U32(0);
    Type(type);
}

void CBK_AtomWriter::End() {
    if (_open.empty())
        return;
    const std::size_t start = _open.back();
    _open.pop_back();
    const uint32_t size = uint32_t(_data.size() - start);
    for (int i = 0; i < 4; ++i)
        _data[start + i] = uint8_t(size >> (24 - 8 * i));
}

void CBK_AtomWriter::Type(std::string_view type) {
    for (std::size_t i = 0; i < 4; ++i)
        U8(i < type.size() ? uint8_t(type[i]) : uint8_t(' '));
}

void CBK_AtomWriter::U16(uint16_t value) {
    U8(uint8_t(value >> 8));
    U8(uint8_t(value));
}

void CBK_AtomWriter::U32(uint32_t value) {
    U16(uint16_t(value >> 16));
    U16(uint16_t(value));
}

void CBK_AtomWriter::U64(uint64_t value) {
    U32(uint32_t(value >> 32));
    U32(uint32_t(value));
}

void CBK_AtomWriter::Bytes(const void* bytes, std::size_t count) {
    const uint8_t* from = static_cast<const uint8_t*>(bytes);
    _data.insert(_data.end(), from, from + count);
}

void CBK_AtomWriter::Pascal(std::string_view text, std::size_t width) {
    const std::size_t length = std::min<std::size_t>(text.size(), 31);
    const std::size_t total = width ? width : length + 1;
    U8(uint8_t(std::min(length, total - 1)));
    Bytes(text.data(), std::min(length, total - 1));
    Zeros(total - 1 - std::min(length, total - 1));
}

void CBK_AtomWriter::Matrix() {
    const uint32_t identity[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t value : identity)
        U32(value);
}
