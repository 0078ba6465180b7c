#include "swf/bitmaps/define_bits_lossless.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/stream_reserve.h"

namespace ravuz {

void CBK_SwfDefineBitsLossless::Destroy() {
    _payload.clear();
    _colorTableSize = 0;
}

void CBK_SwfDefineBitsLossless::SetPayload(const uint8_t* bytes, std::size_t count) {
    if (bytes && count)
        _payload.assign(bytes, bytes + count);
    else
        _payload.clear();
}

uint32_t CBK_SwfDefineBitsLossless::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    SetCharacterId(in.Word());
    _format = in.Byte();
    SetBitmapWidth(in.Word());
    SetBitmapHeight(in.Word());
    _colorTableSize = 0;
    if (_format == kFormatColorMapped)
        _colorTableSize = in.Byte();
    _payload.clear();
    in.Rest(_payload);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfDefineBitsLossless::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _payload.size() + 14);
    return WriteTag(stream, true, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(_format);
        s.Add(_width);
        s.Add(_height);
        if (_format == kFormatColorMapped)
            s.Add(_colorTableSize);
        s.AddBytes(_payload.data(), _payload.size());
    });
}

void CBK_SwfDefineBitsLossless::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

} // namespace ravuz
