#include "swf/header/swf_header.h"

#include <algorithm>
#include <cmath>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

void CBK_SwfHeader::Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate,
                           uint8_t version) {
    _rect.Create(x0, y0, x1, y1, false);
    _frameRate = rate;
    _version = version;
}

void CBK_SwfHeader::Create(int32_t width, int32_t height, float rate, uint16_t frames,
                           uint8_t version) {
    _rect.Create(0, 0, width, height, false);
    _frameRate = rate;
    _frameCount = frames;
    _version = version;
}

int32_t CBK_SwfHeader::Sum(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
}

int32_t CBK_SwfHeader::Twips(int32_t pixels) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(pixels) * 20, INT32_MIN, INT32_MAX));
}

void CBK_SwfHeader::SetFrameCount(uint32_t frames) {
    _frameCount = static_cast<uint16_t>(std::min(frames, kMaxFrameCount));
}

uint16_t CBK_SwfHeader::EncodeFrameRate(float rate) {
    if (!(rate > 0.0f)) // negative and NaN
        return 0;
    const double fixed = std::floor(double(rate) * 256.0);
    return static_cast<uint16_t>(std::min(fixed, 65535.0));
}

uint32_t CBK_SwfHeader::Write(CBK_SwfStream* stream) {
    if (!stream)
        return 0;
    const uint32_t before = stream->GetByteCount();
    stream->Add(uint8_t('F'));
    stream->Add(uint8_t('W'));
    stream->Add(uint8_t('S'));
    stream->Add(_version);
    stream->Add(_fileLength);
    stream->Add(&_rect);
    const uint16_t rate = EncodeFrameRate(_frameRate);
    stream->Add(static_cast<uint8_t>(rate));
    stream->Add(static_cast<uint8_t>(rate >> 8));
    stream->Add(_frameCount);
    return stream->GetByteCount() - before;
}

uint32_t CBK_SwfHeader::Read(CBK_SwfReader* reader, bool checkSignature) {
    if (!reader)
        return 0;
    const uint32_t before = reader->GetBufPos();
    if (checkSignature) {
        for (const char expected : {'F', 'W', 'S'})
            if (reader->GetByte() != static_cast<uint8_t>(expected))
                return 0;
        _version = reader->GetByte();
    }
    _fileLength = reader->GetDWord();
    _rect.Read(reader);
    reader->ByteAlign();
    const uint8_t fraction = reader->GetByte();
    const uint8_t whole = reader->GetByte();
    _frameRate = DecodeFrameRate(static_cast<uint16_t>(whole << 8 | fraction));
    _frameCount = reader->GetWord();
    return reader->GetBufPos() - before;
}

} // namespace ravuz
