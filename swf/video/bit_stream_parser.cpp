#include "swf/video/bit_stream_parser.h"

#include <algorithm>
#include <cstring>

void CBK_BitStreamParser::Add(const uint8_t* bytes, std::size_t count) {
    if (bytes && count)
        _bytes.insert(_bytes.end(), bytes, bytes + count);
}

void CBK_BitStreamParser::Reset() {
    _bytes.clear();
    _byte = 0;
    _bit = 0;
}

uint64_t CBK_BitStreamParser::BitsLeft() const {
    if (_byte >= _bytes.size())
        return 0;
    return uint64_t(_bytes.size() - _byte) * 8 - _bit;
}

void CBK_BitStreamParser::ByteAlign() {
    if (_bit != 0) {
        ++_byte;
        _bit = 0;
    }
}

uint32_t CBK_BitStreamParser::GetBits(uint32_t count, bool isSigned) {
    count = std::min<uint32_t>(count, 32);
    uint32_t value = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (_bit > 7) {
            ++_byte;
            _bit = 0;
        }
        uint32_t bit = 0;
        if (_byte < _bytes.size()) {
            bit = (_bytes[_byte] >> (7 - _bit)) & 1;
            ++_bit;
        }
        value = (value << 1) | bit;
    }
    if (isSigned && count > 0 && count < 32 && ((value >> (count - 1)) & 1))
        value |= ~((uint32_t(1) << count) - 1);
    return value;
}

uint32_t CBK_BitStreamParser::GetBits(uint8_t* out, uint32_t count) {
    if (!out || _byte >= _bytes.size())
        return 0;
    const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(count, BitsLeft()));
    if (take)
        std::memset(out, 0, (take + 7) / 8);
    for (uint32_t i = 0; i < take; ++i) {
        if (_bit > 7) {
            ++_byte;
            _bit = 0;
        }
        const uint8_t bit = (_bytes[_byte] >> (7 - _bit)) & 1;
        ++_bit;
        out[i / 8] = static_cast<uint8_t>(out[i / 8] | (bit << (7 - i % 8)));
    }
    return take;
}
