#include "swf/buttons/define_button_sound.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

void CBK_SwfDefineButtonSound::Destroy() {
    for (CBK_SwfSoundInfo& info : _infos)
        info.Destroy();
}

uint32_t CBK_SwfDefineButtonSound::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    SetCharacterId(in.Word());
    for (int32_t i = 0; i < kTransitions; ++i) {
        _soundIds[i] = in.Word();
        _infos[i].Create();
        if (_soundIds[i] != 0)
            _infos[i].Read(reader, in.End());
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfDefineButtonSound::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        for (int32_t i = 0; i < kTransitions; ++i) {
            s.Add(_soundIds[i]);
            if (_soundIds[i] != 0)
                _infos[i].Write(&s);
        }
    });
}

void CBK_SwfDefineButtonSound::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
    for (uint16_t& id : _soundIds)
        if (id != 0)
            id = OffsetU16(id, idOffset);
}

} // namespace ravuz
