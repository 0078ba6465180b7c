#include "swf/sound/define_sound.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/stream_reserve.h"

namespace ravuz {

namespace {
constexpr uint32_t kHead = 7; // u16 id, u8 format, u32 sample count
}

void CBK_SwfDefineSound::Create(uint16_t id, uint8_t flags, uint32_t sampleCount) {
    _characterId = id;
    _flags = flags;
    _sampleCount = sampleCount;
    _delay = 0;
    _payload.clear();
}

bool CBK_SwfDefineSound::CreateFromBuffer(const char* record, std::size_t size) {
    if (!record || size < 2)
        return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(record);
    std::size_t length = bytes[0] & 0x3F;
    std::size_t start = 2;
    if (length == 0x3F) {
        if (size < 6)
            return false;
        length = uint32_t(bytes[2]) | (uint32_t(bytes[3]) << 8) | (uint32_t(bytes[4]) << 16) |
                 (uint32_t(bytes[5]) << 24);
        start = 6;
    }
    if (length < kHead || length > size - start)
        return false;
    const uint8_t* p = bytes + start;
    _characterId = static_cast<uint16_t>(p[0] | (p[1] << 8));
    _flags = p[2];
    _sampleCount =
        uint32_t(p[3]) | (uint32_t(p[4]) << 8) | (uint32_t(p[5]) << 16) | (uint32_t(p[6]) << 24);
    _payload.assign(p + kHead, p + length);
    return true;
}

void CBK_SwfDefineSound::SetPayload(const uint8_t* bytes, std::size_t count, bool append) {
    if (!bytes || count == 0)
        return;
    if (!append)
        _payload.clear();
    _payload.insert(_payload.end(), bytes, bytes + count);
}

uint32_t CBK_SwfDefineSound::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _characterId = in.Word();
    _flags = in.Byte();
    _sampleCount = in.DWord();
    _payload.clear();
    in.Rest(_payload);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfDefineSound::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _payload.size() + 12);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(_flags);
        s.Add(_sampleCount);
        s.AddBytes(_payload.data(), _payload.size());
    });
}

void CBK_SwfDefineSound::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

} // namespace ravuz
