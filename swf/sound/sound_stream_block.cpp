#include "swf/sound/sound_stream_block.h"

#include "swf/sound/sound_stream_head.h"
#include "swf/stream/bounded_read.h"
#include "swf/stream/stream_reserve.h"

namespace ravuz {

namespace {
constexpr std::size_t kMp3Prefix = 4; // u16 sample count, s16 seek samples
}

void CBK_SwfSoundStreamBlock::Create(uint8_t extra, uint16_t first, uint16_t second) {
    _extra = extra;
    _first = first;
    _second = second;
}

std::vector<uint8_t>& CBK_SwfSoundStreamBlock::Own() const {
    if (_shared) {
        _data.assign(_shared.begin(), _shared.end());
        _shared = {};
    }
    return _data;
}

void CBK_SwfSoundStreamBlock::SetData(const uint8_t* bytes, std::size_t count) {
    _shared = {};
    if (bytes && count)
        _data.assign(bytes, bytes + count);
    else
        _data.clear();
}

uint32_t CBK_SwfSoundStreamBlock::Read(CBK_SwfReader* reader) {
    _data.clear();
    _shared = {};
    CBK_SwfBoundedRead in(reader);
    const uint32_t count = in.Left();
    if (CBK_SwfSharedBytes shared = reader->PeekShared(count)) {
        _shared = std::move(shared);
        reader->OffsetBufPos(count);
        return count;
    }
    return in.Rest(_data);
}

uint32_t CBK_SwfSoundStreamBlock::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, Size() + 6);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { s.AddBytes(Bytes(), Size()); });
}

uint32_t CBK_SwfSoundStreamBlock::GetSampleCount(const CBK_SwfSoundStreamHead* head) const {
    if (!head)
        return 0;
    switch (head->GetStreamFormat()) {
    case CBK_SwfSoundCodes::FORMAT_ADPCM:
        return 1000;
    case CBK_SwfSoundCodes::FORMAT_MP3:
        return Size() >= 2 ? uint32_t(Bytes()[0]) | (uint32_t(Bytes()[1]) << 8) : 0;
    default:
        return 0;
    }
}

void CBK_SwfSoundStreamBlock::GetSampleData(std::vector<uint8_t>& out,
                                            const CBK_SwfSoundStreamHead* head) const {
    if (!head)
        return;
    const uint8_t* bytes = Bytes();
    const std::size_t size = Size();
    if (head->GetStreamFormat() == CBK_SwfSoundCodes::FORMAT_MP3) {
        if (size >= kMp3Prefix)
            out.insert(out.end(), bytes + kMp3Prefix, bytes + size);
        return;
    }
    out.insert(out.end(), bytes, bytes + size);
}

} // namespace ravuz
