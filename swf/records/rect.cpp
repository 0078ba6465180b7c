#include "swf/records/rect.h"

#include <algorithm>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

int32_t Twips(int32_t value, bool pixels) {
    if (!pixels)
        return value;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(value) * 20, INT32_MIN, INT32_MAX));
}

} // namespace

void CBK_SwfRect::Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool pixels) {
    xmin = Twips(x0, pixels);
    ymin = Twips(y0, pixels);
    xmax = Twips(x1, pixels);
    ymax = Twips(y1, pixels);
}

uint32_t CBK_SwfRect::Read(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    const auto nbits = static_cast<uint16_t>(reader->GetBits(5, false));
    xmin = reader->GetBits(nbits, true);
    xmax = reader->GetBits(nbits, true);
    ymin = reader->GetBits(nbits, true);
    ymax = reader->GetBits(nbits, true);
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfRect::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint32_t largest =
        std::max({Magnitude(xmin), Magnitude(xmax), Magnitude(ymin), Magnitude(ymax)});
    const uint32_t nbits = std::min<uint32_t>(MinimumBits(largest, true), 31);
    const auto n = static_cast<int32_t>(nbits);
    stream->Add(nbits, 5);
    for (int32_t v : {xmin, xmax, ymin, ymax})
        stream->Add(static_cast<uint32_t>(SaturateSigned(v, nbits)), n);
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

} // namespace ravuz
