#include "swf/flv/flv_header.h"

#include "core/bitstream/bit_reader.h"
#include "swf/flv/flv_stream.h"

void CBK_FlvHeader::Reset() {
    _signature[0] = 'F';
    _signature[1] = 'L';
    _signature[2] = 'V';
    _version = 1;
    _flags = 0;
    _headerSize = 9;
}

void CBK_FlvHeader::HasAudio(bool has) {
    _flags = has ? (_flags | kAudio) : (_flags & ~kAudio);
}

void CBK_FlvHeader::HasVideo(bool has) {
    _flags = has ? (_flags | kVideo) : (_flags & ~kVideo);
}

bool CBK_FlvHeader::IsValidFlv() const {
    return _signature[0] == 'F' && _signature[1] == 'L' && _signature[2] == 'V';
}

uint32_t CBK_FlvHeader::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    for (uint8_t c : _signature)
        stream->AddByte(c);
    stream->AddByte(_version);
    stream->AddByte(_flags);
    stream->AddDWord(_headerSize);
    return 9;
}

uint32_t CBK_FlvHeader::Read(CBK_BitReader* reader) {
    if (!reader)
        return 0;
    for (uint8_t& c : _signature)
        c = reader->GetByte();
    _version = reader->GetByte();
    _flags = reader->GetByte();
    _headerSize = static_cast<uint32_t>(reader->GetBits(32, false)); // big-endian, as FLV is
    return 9;
}
