#include "swf/tags/tag_unknown.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"

namespace ravuz {

uint32_t CBK_SwfTagUnknown::Read(CBK_SwfReader* reader) {
    _payload.clear();
    if (!reader)
        return 0;
    const uint32_t before = reader->GetBufPos();
    if (!reader->Charge(SwfHeapCost(std::min(_length, reader->GetRemaining()))))
        return 0;
    reader->GetBytes(_payload, _length);
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfTagUnknown::Write(CBK_SwfStream* stream) {
    if (!stream)
        return 0;
    return WriteTag(stream, _longHeader,
                    [this](CBK_SwfStream& s) { s.AddBytes(_payload.data(), _payload.size()); });
}

void CBK_SwfTagUnknown::SetPayload(std::vector<uint8_t> payload) {
    _payload = std::move(payload);
    _length = static_cast<uint32_t>(_payload.size());
}

} // namespace ravuz
