#include "swf/flv/flv_tag.h"

#include <algorithm>
#include <climits>

#include "core/bitstream/bit_reader.h"
#include "swf/flv/flv_meta.h"
#include "swf/flv/flv_stream.h"

CBK_FlvTag::CBK_FlvTag(uint8_t type) : _type(type) {
    Reset();
}

void CBK_FlvTag::Reset() {
    _dataSize = 0;
    _timestamp = 0;
    _streamId = 0;
    switch (_type) {
    case TYPE_AUDIO:
        _data = std::make_unique<CBK_FlvAudioData>();
        break;
    case TYPE_VIDEO:
        _data = std::make_unique<CBK_FlvVideoData>();
        break;
    case TYPE_SCRIPT:
        _data = std::make_unique<CBK_FlvMetaData>();
        break;
    default:
        _data.reset();
        break;
    }
}

void CBK_FlvTag::SetData(CBK_FlvData* data) {
    if (data != _data.get())
        _data.reset(data);
}

bool CBK_FlvTag::BodyFits() const {
    return !_data || _data->GetDataSize() <= kMaxDataSize;
}

uint32_t CBK_FlvTag::Write(CBK_FlvStream* stream) const {
    if (!stream || !_data)
        return 0;
    const uint32_t size = _data->GetDataSize();
    if (size > kMaxDataSize)
        return 0;
    stream->AddByte(_type);
    stream->Add(size, 24);
    stream->Add(_timestamp & 0xFFFFFF, 24);
    stream->Add(_timestamp >> 24, 8); // the extended-timestamp byte
    stream->Add(_streamId, 24);
    _data->Write(stream);
    stream->ByteAlign();
    return 11 + size;
}

uint32_t CBK_FlvTag::Read(CBK_BitReader* reader) {
    if (!reader)
        return 0;
    _type = reader->GetByte();
    Reset(); // a body of the type read
    _dataSize = static_cast<uint32_t>(reader->GetBits(24, false));
    const uint32_t low = static_cast<uint32_t>(reader->GetBits(24, false));
    const uint32_t high = static_cast<uint32_t>(reader->GetBits(8, false));
    _timestamp = high << 24 | low;
    _streamId = static_cast<uint32_t>(reader->GetBits(24, false));
    uint32_t consumed = 0;
    if (_data)
        consumed = _data->Read(reader, _dataSize);
    if (consumed < _dataSize)
        reader->OffSetBufPos(
            static_cast<int32_t>(std::min<uint32_t>(_dataSize - consumed, INT32_MAX)));
    return 11 + _dataSize;
}
