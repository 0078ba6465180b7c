#include "swf/records/color.h"

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

uint32_t CBK_SwfColor::Read(CBK_SwfReader* reader) {
    red = reader->GetByte();
    green = reader->GetByte();
    blue = reader->GetByte();
    return 3;
}

uint32_t CBK_SwfColor::Write(CBK_SwfStream* stream) {
    const uint8_t bytes[3] = {red, green, blue};
    stream->AddBytes(bytes, 3);
    return 3;
}

uint32_t CBK_SwfColorAlpha::Read(CBK_SwfReader* reader) {
    CBK_SwfColor::Read(reader);
    alpha = reader->GetByte();
    return 4;
}

uint32_t CBK_SwfColorAlpha::Write(CBK_SwfStream* stream) {
    const uint8_t bytes[4] = {red, green, blue, alpha};
    stream->AddBytes(bytes, 4);
    return 4;
}

} // namespace ravuz
