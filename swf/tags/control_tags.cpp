#include "swf/tags/control_tags.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

void AddTerminatedText(CBK_SwfStream& stream, const std::wstring& text) {
    stream.Add(text);
    stream.Add(uint8_t(0));
}

} // namespace

uint32_t CBK_SwfEnd::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [](CBK_SwfStream&) {});
}

uint32_t CBK_SwfShowFrame::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [](CBK_SwfStream&) {});
}

uint32_t CBK_SwfProtect::Read(CBK_SwfReader* reader) {
    _body.clear();
    return CBK_SwfBoundedRead(reader).Rest(_body);
}

uint32_t CBK_SwfProtect::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { s.Add(_body); });
}

uint32_t CBK_SwfFreeCharacter::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _id = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfFreeCharacter::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { s.Add(_id); });
}

void CBK_SwfFreeCharacter::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _id = OffsetU16(_id, idOffset);
}

CBK_SwfSetBackgroundColor::CBK_SwfSetBackgroundColor(uint32_t color)
    : _color(static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
             static_cast<uint8_t>(color >> 16)) {}

uint32_t CBK_SwfSetBackgroundColor::Read(CBK_SwfReader* reader) {
    return _color.Read(reader);
}

uint32_t CBK_SwfSetBackgroundColor::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { _color.Write(&s); });
}

uint32_t CBK_SwfFrameLabel::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    reader->GetString(_label, 0, false);
    _namedAnchor = 0;
    if (reader->GetVersion() > 5 && reader->GetBufPos() < end)
        _namedAnchor = reader->GetByte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfFrameLabel::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        AddTerminatedText(s, _label);
        if (s.GetVersion() > 5)
            s.Add(_namedAnchor);
    });
}

uint32_t CBK_SwfEnableDebugger::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetString(_password, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfEnableDebugger::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { AddTerminatedText(s, _password); });
}

uint32_t CBK_SwfEnableDebugger2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _reserved = reader->GetWord();
    reader->GetString(_password, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfEnableDebugger2::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_reserved);
        AddTerminatedText(s, _password);
    });
}

} // namespace ravuz
