#include "swf/video/define_video_stream.h"

#include <algorithm>

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

void CBK_SwfDefineVideoStream::Create(uint32_t frameCount, uint16_t width, uint16_t height) {
    _characterId = 0;
    _frameCount = frameCount;
    _width = width;
    _height = height;
    _flags = 1;
    _codecId = kCodecH263;
}

void CBK_SwfDefineVideoStream::SetDeblocking(uint8_t deblocking) {
    _flags = static_cast<uint8_t>((_flags & ~0x06) | ((deblocking & 3) << 1));
}

void CBK_SwfDefineVideoStream::SetSmoothing(bool on) {
    _flags = static_cast<uint8_t>(on ? _flags | 1 : _flags & ~1);
}

uint32_t CBK_SwfDefineVideoStream::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _characterId = in.Word();
    _frameCount = in.Word();
    _width = in.Word();
    _height = in.Word();
    _flags = in.Byte();
    _codecId = in.Byte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfDefineVideoStream::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(static_cast<uint16_t>(std::min<uint32_t>(_frameCount, 65535)));
        s.Add(_width);
        s.Add(_height);
        s.Add(_flags);
        s.Add(_codecId);
    });
}

void CBK_SwfDefineVideoStream::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

} // namespace ravuz
