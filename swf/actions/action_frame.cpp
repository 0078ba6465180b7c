#include "swf/actions/action_frame.h"

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

uint32_t CBK_SwfActionGotoFrame::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    _frame = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionGotoFrame::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x81, 2);
    stream->Add(_frame);
    return 5;
}

void CBK_SwfActionGotoFrame::OffsetInfo(int32_t, int32_t, int32_t frameOffset) {
    _frame = OffsetU16(_frame, frameOffset);
}

uint32_t CBK_SwfActionGotoLabel::LabelSize() const {
    return static_cast<uint32_t>(SwfTextSize(_label, _textVersion, kSwfMaxActionPayload - 1));
}

uint32_t CBK_SwfActionGotoLabel::Read(CBK_SwfReader* reader) {
    _textVersion = reader->GetVersion();
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    reader->GetString(_label, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionGotoLabel::Write(CBK_SwfStream* stream) {
    const uint32_t n = LabelSize();
    WriteHeader(stream, 0x8C, n + 1);
    stream->AddText(_label, _textVersion, n);
    stream->Add(uint8_t(0));
    return 4 + n;
}

uint32_t CBK_SwfActionWaitForFrame::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    _frame = reader->GetWord();
    _skip = reader->GetByte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionWaitForFrame::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x8A, 3);
    stream->Add(_frame);
    stream->Add(_skip);
    return 6;
}

void CBK_SwfActionWaitForFrame::OffsetInfo(int32_t, int32_t, int32_t frameOffset) {
    _frame = OffsetU16(_frame, frameOffset);
}

uint32_t CBK_SwfActionWaitForFrame2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    _skip = reader->GetByte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionWaitForFrame2::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x8D, 1);
    stream->Add(_skip);
    return 4;
}

void CBK_SwfActionGotoFrame2::SetPlayFlag(bool play) {
    _flags = static_cast<uint8_t>(play ? (_flags | 1) : (_flags & ~1));
}

void CBK_SwfActionGotoFrame2::SetSceneBias(uint16_t bias) {
    _sceneBias = bias;
    _flags |= 2;
}

uint32_t CBK_SwfActionGotoFrame2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _extraByte = false;
    _sceneBias = 0;
    reader->GetWord();
    _flags = reader->GetByte();
    if (_flags & 2)
        _sceneBias = reader->GetWord();
    // A zero byte that is the list's last byte is its end, not ours.
    if (_tagEnd != 0 && reader->PeekByte() == 0 && _tagEnd > reader->GetBufPos() + 1) {
        _extraByte = true;
        reader->GetByte();
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionGotoFrame2::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x9F, PayloadSize());
    stream->Add(_flags);
    if (_flags & 2)
        stream->Add(_sceneBias);
    if (_extraByte)
        stream->Add(uint8_t(0));
    return GetSize();
}

} // namespace ravuz
