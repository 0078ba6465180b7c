#include "swf/base/swf_tag.h"

#include <cstring>

#include "swf/stream/read_budget.h"

namespace ravuz {

namespace {

// Fills `out` with the header bytes; returns their number.
std::size_t EncodeHeader(uint16_t code, uint32_t length, bool forceLong, uint8_t out[6]) {
    if (length <= kSwfShortTagLengthMax && !forceLong) {
        const uint16_t word = static_cast<uint16_t>((code << 6) | length);
        out[0] = static_cast<uint8_t>(word);
        out[1] = static_cast<uint8_t>(word >> 8);
        return 2;
    }
    const uint16_t word = static_cast<uint16_t>((code << 6) | kSwfLongTagLength);
    out[0] = static_cast<uint8_t>(word);
    out[1] = static_cast<uint8_t>(word >> 8);
    for (int i = 0; i < 4; ++i)
        out[2 + i] = static_cast<uint8_t>(length >> (8 * i));
    return 6;
}

} // namespace

void CBK_SwfTag::WriteRecordHeader(CBK_SwfStream& stream, uint32_t length, bool forceLong) const {
    uint8_t bytes[6];
    stream.AddBytes(bytes, EncodeHeader(GetTagId(), length, forceLong, bytes));
}

std::vector<uint8_t> CBK_SwfTag::GetHeader(uint32_t length, bool forceLong) const {
    uint8_t bytes[6];
    const std::size_t n = EncodeHeader(GetTagId(), length, forceLong, bytes);
    return std::vector<uint8_t>(bytes, bytes + n);
}

CBK_SwfTag::CBK_SwfTag(const CBK_SwfTag& other) : CBK_SwfObj(other) {
    if (other._extra && !other._extra->trailing.empty())
        MakeExtra().trailing = other._extra->trailing;
}

CBK_SwfTag& CBK_SwfTag::operator=(const CBK_SwfTag& other) {
    if (this != &other)
        SetTrailingBytes(other.GetTrailingBytes());
    return *this;
}

CBK_SwfTag::~CBK_SwfTag() {
    if (_extra && _extra->budget)
        _extra->budget->GiveBackAndRelease(_extra->charged);
}

std::size_t CBK_SwfTag::ExtraSize() {
    return sizeof(Extra);
}

CBK_SwfTag::Extra& CBK_SwfTag::MakeExtra() {
    if (!_extra)
        _extra = std::make_unique<Extra>();
    return *_extra;
}

const std::vector<uint8_t>& CBK_SwfTag::GetTrailingBytes() const {
    static const std::vector<uint8_t> kNone;
    return _extra ? _extra->trailing : kNone;
}

void CBK_SwfTag::SetTrailingBytes(std::vector<uint8_t> bytes) {
    if (_extra || !bytes.empty())
        MakeExtra().trailing = std::move(bytes);
}

void CBK_SwfTag::ChargedTo(CBK_SwfReadBudget* budget, uint64_t bytes) {
    Extra& extra = MakeExtra();
    if (extra.budget)
        extra.budget->GiveBackAndRelease(extra.charged);
    extra.budget = budget;
    extra.charged = bytes;
    if (budget)
        budget->Hold();
}

void CBK_SwfTag::AddTrailingBytes(CBK_SwfStream& target) const {
    if (_extra && !_extra->trailing.empty()) {
        target.ByteAlign();
        target.AddBytes(_extra->trailing.data(), _extra->trailing.size());
    }
}

std::size_t CBK_SwfTag::BeginTag(CBK_SwfStream& target) const {
    target.ByteAlign();
    const std::size_t start = target._buffer.size();
    target._buffer.AppendLittleEndian(0, 6); // room for the longer header
    return start;
}

uint32_t CBK_SwfTag::EndTag(CBK_SwfStream& target, std::size_t start, bool forceLong) const {
    target.ByteAlign();
    CBK_ByteBuffer& buffer = target._buffer;
    const std::size_t payload = buffer.size() - start - 6;
    uint8_t header[6];
    const std::size_t n =
        EncodeHeader(GetTagId(), static_cast<uint32_t>(payload), forceLong, header);
    if (n == 2) {
        std::memmove(buffer.data() + start + 2, buffer.data() + start + 6, payload);
        buffer.Truncate(buffer.size() - 4);
    }
    std::memcpy(buffer.data() + start, header, n);
    return static_cast<uint32_t>(buffer.size() - start);
}

} // namespace ravuz
