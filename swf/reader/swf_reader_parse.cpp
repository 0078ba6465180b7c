// Parsing the tags of a loaded movie, a sprite's timeline or a file read tag by tag.
#include <algorithm>

#include "swf/base/swf_tag.h"
#include "swf/reader/tag_factory.h"
#include "swf/stream/swf_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"

namespace ravuz {

namespace {

CBK_SwfTag* CreateTag(const CBK_SwfReader& source, uint16_t code, uint32_t length, bool raw) {
    if (raw && code != kSwfTagSetBackgroundColor && code != kSwfTagFrameLabel)
        return new CBK_SwfTagUnknown(code, length);
    // Nesting that deep is no timeline anyone made: keep it as stored rather than recurse.
    if (code == kSwfTagDefineSprite && source.GetNesting() >= CBK_SwfReader::kMaxNesting)
        return new CBK_SwfTagUnknown(code, length);
    return SwfCreateTag(code, length);
}

} // namespace

CBK_SwfTag* CBK_SwfReader::ReadTagAt(CBK_SwfReader& source, uint32_t end, bool raw) {
    source.ByteAlign();
    end = std::min(end, source.GetDataSize());
    uint32_t at = source.GetBufPos();
    if (at >= end || end - at < 2)
        return nullptr;
    const uint16_t word = source.GetWord();
    const auto code = static_cast<uint16_t>(word >> 6);
    uint32_t length = word & kSwfLongTagLength;
    const bool longHeader = length == kSwfLongTagLength;
    if (longHeader)
        length = end - source.GetBufPos() >= 4 ? source.GetDWord() : 0;
    at = source.GetBufPos();
    length = std::min(length, end - at);
    source.SetCurrentTagLength(length);
    const uint32_t tagEnd = at + length;

    CBK_SwfTag* tag = CreateTag(source, code, length, raw);
    if (auto* unknown = dynamic_cast<CBK_SwfTagUnknown*>(tag))
        unknown->SetLongHeader(longHeader);
    tag->Read(&source);
    source.ByteAlign();
    if (source.GetBufPos() < tagEnd) {
        std::vector<uint8_t> rest;
        source.GetBytes(rest, tagEnd - source.GetBufPos());
        tag->SetTrailingBytes(std::move(rest));
    }
    source.SetBufPos(tagEnd);
    source.SetCurrentTagLength(length);
    return tag;
}

void CBK_SwfReader::ParseTags(CBK_SwfReader* source, uint32_t end, uint32_t frameLimit) {
    if (!source)
        source = this;
    _tags.clear();
    if (end == 0)
        end = source->GetDataSize();
    uint32_t frames = 0;
    while (CBK_SwfTag* tag = ReadTagAt(*source, end, false)) {
        _tags.push_back(tag);
        const uint16_t code = tag->GetTagId();
        if (code == kSwfTagEnd)
            break;
        if (code == kSwfTagShowFrame && frameLimit && ++frames >= frameLimit)
            return;
    }
    if (source == this)
        KeepTail();
}

void CBK_SwfReader::KeepTail() {
    _tail.clear();
    GetBytes(_tail, GetRemaining());
}

void CBK_SwfReader::ParseGenericTags() {
    _tags.clear();
    while (CBK_SwfTag* tag = ReadTagAt(*this, GetDataSize(), true)) {
        _tags.push_back(tag);
        if (tag->GetTagId() == kSwfTagEnd)
            break;
    }
    KeepTail();
}

} // namespace ravuz
