#include "swf/sound/start_sound.h"

#include "swf/sound/define_sound.h"
#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

CBK_SwfStartSound::CBK_SwfStartSound(const CBK_SwfDefineSound& sound)
    : _soundId(sound.GetCharacterId()) {}

uint32_t CBK_SwfStartSound::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    CBK_SwfBoundedRead in(reader);
    _soundId = in.Word();
    _info.Read(reader, in.End());
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfStartSound::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_soundId);
        _info.Write(&s);
    });
}

void CBK_SwfStartSound::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _soundId = OffsetU16(_soundId, idOffset);
}

} // namespace ravuz
