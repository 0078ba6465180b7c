#include "swf/sound/sound_stream_head.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

void CBK_SwfSoundStreamHead::Create(uint8_t playback, uint8_t stream, uint16_t sampleCount) {
    _playback = playback;
    _stream = stream;
    _sampleCount = sampleCount;
}

uint32_t CBK_SwfSoundStreamHead::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _playback = in.Byte();
    _stream = in.Byte();
    _sampleCount = in.Word();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfSoundStreamHead::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(static_cast<uint8_t>(_playback & 0x0F));
        s.Add(_stream);
        s.Add(_sampleCount);
    });
}

void CBK_SwfSoundStreamHead::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

} // namespace ravuz
