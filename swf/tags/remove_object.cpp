#include "swf/tags/remove_object.h"

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

uint32_t CBK_SwfRemoveObject::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _characterId = reader->GetWord();
    _depth = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfRemoveObject::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(_depth);
    });
}

void CBK_SwfRemoveObject::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
    _depth = OffsetU16(_depth, depthOffset);
}

uint32_t CBK_SwfRemoveObject2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _depth = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfRemoveObject2::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { s.Add(_depth); });
}

} // namespace ravuz
