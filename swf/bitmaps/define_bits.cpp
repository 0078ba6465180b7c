#include "swf/bitmaps/define_bits.h"

#include <algorithm>

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/stream_reserve.h"

namespace ravuz {

namespace {

constexpr uint32_t kIdSize = 2;

std::vector<uint8_t> CopyOf(const char* bytes, int32_t count) {
    if (!bytes || count < 1)
        return {};
    const auto* p = reinterpret_cast<const uint8_t*>(bytes);
    return std::vector<uint8_t>(p, p + count);
}

} // namespace

// ---- CBK_SwfJpegImage

void CBK_SwfJpegImage::Create(uint16_t id, const std::vector<uint8_t>& data) {
    _characterId = id;
    _data = data;
}

uint32_t CBK_SwfJpegImage::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _characterId = in.Word();
    _data.clear();
    uint32_t count = in.Left();
    if (_recordLength != 0)
        count = std::min(count, _recordLength > kIdSize ? _recordLength - kIdSize : 0);
    in.Bytes(_data, count);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfJpegImage::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _data.size() + 8);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.AddBytes(_data.data(), _data.size());
    });
}

void CBK_SwfJpegImage::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

// ---- CBK_SwfDefineBits

CBK_SwfDefineBits& CBK_SwfDefineBits::operator=(const CBK_SwfDefineBits& other) {
    if (this != &other) {
        _characterId = other.GetCharacterId();
        _data = other._data;
    }
    return *this;
}

// ---- CBK_SwfDefineBitsJpeg2

CBK_SwfDefineBitsJpeg2::CBK_SwfDefineBitsJpeg2(uint16_t id, const char* data, int32_t count) {
    Create(id, CopyOf(data, count));
}

CBK_SwfDefineBitsJpeg2::CBK_SwfDefineBitsJpeg2(const CBK_SwfDefineBitsJpeg2& other)
    : CBK_SwfJpegImage() {
    Create(other.GetCharacterId(), other._data);
}

CBK_SwfDefineBitsJpeg2& CBK_SwfDefineBitsJpeg2::operator=(const CBK_SwfDefineBitsJpeg2& other) {
    if (this != &other)
        Create(other.GetCharacterId(), other._data);
    return *this;
}

// ---- CBK_SwfDefineBitsJpeg3

CBK_SwfDefineBitsJpeg3::CBK_SwfDefineBitsJpeg3(uint16_t id, const char* jpeg, int32_t jpegCount,
                                               const char* alpha, int32_t alphaCount)
    : CBK_SwfDefineBitsJpeg2(id, jpeg, jpegCount), _alpha(CopyOf(alpha, alphaCount)) {
    _jpegLength = static_cast<uint32_t>(_data.size());
}

uint32_t CBK_SwfDefineBitsJpeg3::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _characterId = in.Word();
    _data.clear();
    _alpha.clear();
    const uint32_t length = in.DWord();
    _jpegLength = in.Bytes(_data, length);
    in.Rest(_alpha);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfDefineBitsJpeg3::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _data.size() + _alpha.size() + 12);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(static_cast<uint32_t>(_data.size()));
        s.AddBytes(_data.data(), _data.size());
        s.AddBytes(_alpha.data(), _alpha.size());
    });
}

} // namespace ravuz
