#include "swf/flv/flv_data.h"

#include <algorithm>

#include "core/bitstream/bit_reader.h"
#include "swf/flv/flv_stream.h"

void CBK_FlvPayloadData::SetData(const uint8_t* data, uint32_t n) {
    _payload.clear();
    if (data && n > 0)
        _payload.assign(data, data + n);
}

uint32_t CBK_FlvPayloadData::ReadPayload(CBK_BitReader* reader, uint32_t size) {
    reader->ByteAlign();
    const uint32_t left =
        reader->GetSize() > reader->GetBufPos() ? reader->GetSize() - reader->GetBufPos() : 0;
    const uint32_t n = size > 1 ? std::min(size - 1, left) : 0;
    _payload.reserve(_payload.size() + n);
    for (uint32_t i = 0; i < n; ++i)
        _payload.push_back(reader->GetByte());
    return n;
}

uint32_t CBK_FlvAudioData::Read(CBK_BitReader* reader, uint32_t size) {
    if (!reader || size == 0)
        return 0;
    _flags = reader->GetByte();
    return 1 + ReadPayload(reader, size);
}

uint32_t CBK_FlvAudioData::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->AddByte(_flags);
    stream->AddMemBlock(_payload.data(), static_cast<uint32_t>(_payload.size()));
    return GetDataSize();
}

uint32_t CBK_FlvVideoData::Read(CBK_BitReader* reader, uint32_t size) {
    if (!reader || size == 0)
        return 0;
    m_FrameType = static_cast<uint8_t>(reader->GetBits(4, false));
    m_CodecId = static_cast<uint8_t>(reader->GetBits(4, false));
    return 1 + ReadPayload(reader, size);
}

uint32_t CBK_FlvVideoData::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->Add(static_cast<uint32_t>(m_FrameType), 4);
    stream->Add(static_cast<uint32_t>(m_CodecId), 4);
    stream->AddMemBlock(_payload.data(), static_cast<uint32_t>(_payload.size()));
    return GetDataSize();
}
