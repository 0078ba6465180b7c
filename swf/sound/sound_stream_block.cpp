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

void CBK_SwfSoundStreamBlock::SetData(const uint8_t* bytes, std::size_t count) {
    if (bytes && count)
        _data.assign(bytes, bytes + count);
    else
        _data.clear();
}

uint32_t CBK_SwfSoundStreamBlock::Read(CBK_SwfReader* reader) {
    _data.clear();
    CBK_SwfBoundedRead in(reader);
    return in.Rest(_data);
}

uint32_t CBK_SwfSoundStreamBlock::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _data.size() + 6);
    return WriteTag(stream, false,
                    [this](CBK_SwfStream& s) { s.AddBytes(_data.data(), _data.size()); });
}

uint32_t CBK_SwfSoundStreamBlock::GetSampleCount(const CBK_SwfSoundStreamHead* head) const {
    if (!head)
        return 0;
    switch (head->GetStreamFormat()) {
    case CBK_SwfSoundCodes::FORMAT_ADPCM:
        return 1000;
    case CBK_SwfSoundCodes::FORMAT_MP3:
        return _data.size() >= 2 ? uint32_t(_data[0]) | (uint32_t(_data[1]) << 8) : 0;
    default:
        return 0;
    }
}

void CBK_SwfSoundStreamBlock::GetSampleData(std::vector<uint8_t>& out,
                                            const CBK_SwfSoundStreamHead* head) const {
    if (!head)
        return;
    if (head->GetStreamFormat() == CBK_SwfSoundCodes::FORMAT_MP3) {
        if (_data.size() >= kMp3Prefix)
            out.insert(out.end(), _data.begin() + kMp3Prefix, _data.end());
        return;
    }
    out.insert(out.end(), _data.begin(), _data.end());
}

} // namespace ravuz
