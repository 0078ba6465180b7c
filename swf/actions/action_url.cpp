#include "swf/actions/action_url.h"

#include "swf/actions/action_text.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

uint32_t CBK_SwfActionGetUrl::GetSize() const {
    const auto sizes = FitTexts({&_url, &_target}, _textVersion, kSwfMaxActionPayload - 2);
    return 5 + sizes[0] + sizes[1];
}

uint32_t CBK_SwfActionGetUrl::Read(CBK_SwfReader* reader) {
    _textVersion = reader->GetVersion();
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    reader->GetString(_url, 0, false);
    reader->GetString(_target, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionGetUrl::Write(CBK_SwfStream* stream) {
    const auto sizes = FitTexts({&_url, &_target}, _textVersion, kSwfMaxActionPayload - 2);
    WriteHeader(stream, 0x83, sizes[0] + sizes[1] + 2);
    stream->AddText(_url, _textVersion, sizes[0]);
    stream->Add(uint8_t(0));
    stream->AddText(_target, _textVersion, sizes[1]);
    stream->Add(uint8_t(0));
    return 5 + sizes[0] + sizes[1];
}

uint32_t CBK_SwfActionGetUrl2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    _flags = reader->GetByte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionGetUrl2::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x9A, 1);
    stream->Add(_flags);
    return 4;
}

CBK_SwfActionSetTarget& CBK_SwfActionSetTarget::operator=(const CBK_SwfActionSetTarget& other) {
    if (this != &other) {
        CBK_SwfActionRecord::operator=(other);
        _target = other._target;
    }
    return *this;
}

CBK_SwfActionRecord* CBK_SwfActionSetTarget::MakeCopy() const {
    // A copy of the whole record, prefix included, unlike the assignment.
    auto* copy = new CBK_SwfActionSetTarget(*this);
    copy->_prefix = _prefix;
    return copy;
}

void CBK_SwfActionSetTarget::SetPrefix(const wchar_t* prefix) {
    if (prefix && !_target.empty() && _target[0] == L'/')
        _prefix = prefix;
    else
        _prefix.clear();
}

uint32_t CBK_SwfActionSetTarget::GetSize() const {
    const auto sizes = FitTexts({&_prefix, &_target}, _textVersion, kSwfMaxActionPayload - 1);
    return 4 + sizes[0] + sizes[1];
}

uint32_t CBK_SwfActionSetTarget::Read(CBK_SwfReader* reader) {
    _textVersion = reader->GetVersion();
    _prefix.clear();
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    reader->GetString(_target, 0, true);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionSetTarget::Write(CBK_SwfStream* stream) {
    const auto sizes = FitTexts({&_prefix, &_target}, _textVersion, kSwfMaxActionPayload - 1);
    WriteHeader(stream, 0x8B, sizes[0] + sizes[1] + 1);
    stream->AddText(_prefix, _textVersion, sizes[0]);
    stream->AddText(_target, _textVersion, sizes[1]);
    stream->Add(uint8_t(0));
    return 4 + sizes[0] + sizes[1];
}

} // namespace ravuz
