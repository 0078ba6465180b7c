#include "swf/flv/flv_meta.h"

#include "swf/flv/flv_stream.h"

CBK_FlvMetaTagNumber::CBK_FlvMetaTagNumber(const wchar_t* name, double value) : _value(value) {
    _name = name;
}

uint32_t CBK_FlvMetaTagNumber::GetTagSize() {
    return CBK_FlvStream::StringSize(_name.c_str()) + 1 + 8;
}

uint32_t CBK_FlvMetaTagNumber::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->AddString(_name.c_str());
    stream->AddByte(0);
    stream->Add(_value);
    return GetTagSize();
}

CBK_FlvMetaTagDuration::CBK_FlvMetaTagDuration(uint32_t milliseconds)
    : CBK_FlvMetaTagNumber(L"duration", milliseconds / 1000.0) {}

CBK_FlvMetaTagCanSeekToEnd::CBK_FlvMetaTagCanSeekToEnd(bool value) : _value(value) {
    _name = L"canSeekToEnd";
}

uint32_t CBK_FlvMetaTagCanSeekToEnd::GetTagSize() {
    return CBK_FlvStream::StringSize(_name.c_str()) + 1 + 1;
}

uint32_t CBK_FlvMetaTagCanSeekToEnd::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->AddString(_name.c_str());
    stream->AddByte(1);
    stream->AddByte(_value ? 1 : 0);
    return GetTagSize();
}

void CBK_FlvMetaData::AddMetaTag(CBK_FlvMetaTag* tag) {
    if (tag)
        _tags.emplace_back(tag);
}

uint32_t CBK_FlvMetaData::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->AddByte(0x02);
    stream->AddString(L"onMetaData");
    stream->AddByte(0x08);
    stream->AddDWord(GetCount());
    for (const auto& tag : _tags)
        tag->Write(stream);
    stream->Add(9u, 24); // end of the entries
    return GetDataSize();
}

uint32_t CBK_FlvMetaData::GetDataSize() {
    uint32_t size = 1 + CBK_FlvStream::StringSize(L"onMetaData") + 1 + 4 + 3;
    for (const auto& tag : _tags)
        size += tag->GetTagSize();
    return size;
}
