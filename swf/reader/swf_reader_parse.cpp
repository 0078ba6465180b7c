// Parsing the tags of a loaded movie, a sprite's timeline or a file read tag by tag.
#include <algorithm>

#include "swf/base/swf_tag.h"
#include "swf/reader/tag_factory.h"
#include "swf/stream/swf_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"

namespace ravuz {

namespace {

// Whether the tag is kept as stored (an opaque tag) rather than read into the model.
bool KeptAsStored(const CBK_SwfReader& source, uint16_t code, bool raw) {
    if (raw && code != kSwfTagSetBackgroundColor && code != kSwfTagFrameLabel)
        return true;
    // Nesting that deep is no timeline anyone made: keep it as stored rather than recurse.
    if (code == kSwfTagDefineSprite && source.GetNesting() >= CBK_SwfReader::kMaxNesting)
        return true;
    return !SwfHasTagClass(code);
}

// Tags whose model is a structure of records, not an opaque payload: worth proving that
// what was read writes back stably. Sprites are proved tag by tag inside.
bool HasStructure(uint16_t code) {
    switch (code) {
    case kSwfTagEnd:
    case kSwfTagShowFrame:
    case kSwfTagDefineBits:
    case kSwfTagJpegTables:
    case kSwfTagDefineSound:
    case kSwfTagSoundStreamBlock:
    case kSwfTagDefineBitsLossless:
    case kSwfTagDefineBitsJpeg2:
    case kSwfTagDefineBitsJpeg3:
    case kSwfTagDefineBitsLossless2:
    case kSwfTagDefineSprite:
    case kSwfTagVideoFrame:
        return false;
    default:
        return true;
    }
}

// Whether the tag, written, read back and written again, gives the same bytes: a damaged
// tag that the model cannot hold whole fails this, and is kept as stored instead.
bool WritesStably(CBK_SwfTag& tag, uint8_t version) {
    CBK_SwfStream first(version);
    tag.Write(&first);
    const CBK_ByteBuffer& bytes = first.GetStream();
    if (bytes.empty())
        return false; // a stored tag that would vanish: keep it as it is
    CBK_SwfReader reader;
    reader.CreateFromBytes(bytes.data(), bytes.size(), version);
    CBK_SwfStream second(version);
    while (CBK_SwfTag* again =
               CBK_SwfReader::ReadTagAt(reader, reader.GetDataSize(), false, false)) {
        second.Add(again);
        delete again;
    }
    return second.GetStream() == bytes;
}

// Whether the tag writes exactly the payload it was read from.
bool WritesAsStored(CBK_SwfTag& tag, CBK_SwfReader& source, uint32_t length) {
    CBK_SwfStream written(source.GetVersion());
    tag.Write(&written);
    const CBK_ByteBuffer& bytes = written.GetStream();
    const std::size_t header =
        bytes.size() >= 2 && (bytes[0] & kSwfLongTagLength) == kSwfLongTagLength ? 6 : 2;
    if (bytes.size() < header || bytes.size() - header != length)
        return false;
    std::vector<uint8_t> stored;
    source.SetBufPos(0);
    source.GetBytes(stored, length);
    return std::equal(stored.begin(), stored.end(), bytes.begin() + header);
}

} // namespace

CBK_SwfTag* CBK_SwfReader::ReadTagAt(CBK_SwfReader& source, uint32_t end, bool raw) {
    return ReadTagAt(source, end, raw, !raw);
}

CBK_SwfTag* CBK_SwfReader::ReadTagAt(CBK_SwfReader& source, uint32_t end, bool raw,
                                     bool proveStable) {
    source.ByteAlign();
    end = std::min(end, source.GetDataSize());
    uint32_t at = source.GetBufPos();
    if (at >= end || end - at < 2)
        return nullptr;
    if (!source.Charge(CBK_SwfReadBudget::kObjectBytes))
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

    // The tag reads from its own bytes only: nothing it holds can take it past its end. Where
    // they lie in a shared block, the tag may keep them instead of a copy.
    CBK_SwfReader body;
    std::vector<uint8_t> copy;
    source.ViewAhead(length, body, copy);

    const bool typed = !KeptAsStored(body, code, raw);
    CBK_SwfTag* tag = typed ? SwfCreateTag(code, length) : new CBK_SwfTagUnknown(code, length);
    if (!typed)
        static_cast<CBK_SwfTagUnknown*>(tag)->SetLongHeader(longHeader);
    tag->Read(&body);
    if (source.GetBudget() && source.GetBudget()->IsSpent()) {
        // Cut short for lack of memory: the movie is refused, so nothing is worth keeping.
        delete tag;
        source.SetBufPos(tagEnd);
        return nullptr;
    }
    body.ByteAlign();
    if (body.GetBufPos() < length) {
        std::vector<uint8_t> rest;
        body.GetBytes(rest, length - body.GetBufPos());
        tag->SetTrailingBytes(std::move(rest));
    }
    // A tag the model did not read to its end, or that wanted more bytes than it has, must
    // give back exactly what it held.
    const bool partly = !tag->GetTrailingBytes().empty() || body.HadShortRead();
    const bool damaged =
        typed && ((partly && !WritesAsStored(*tag, body, length)) ||
                  (proveStable && HasStructure(code) && !WritesStably(*tag, body.GetVersion())));
    if (damaged) {
        delete tag;
        auto* stored = new CBK_SwfTagUnknown(code, length);
        stored->SetLongHeader(longHeader);
        body.SetBufPos(0);
        stored->Read(&body);
        tag = stored;
    }
    source.SetBufPos(tagEnd);
    source.SetCurrentTagLength(length);
    return tag;
}

void CBK_SwfReader::ParseTags(CBK_SwfReader* source, uint32_t end, uint32_t frameLimit) {
    ReadTagList(source ? *source : *this, end, frameLimit, false);
}

void CBK_SwfReader::ParseGenericTags() {
    ReadTagList(*this, 0, 0, true);
}

void CBK_SwfReader::ReadTagList(CBK_SwfReader& source, uint32_t end, uint32_t frameLimit,
                                bool raw) {
    _tags.clear();
    if (end == 0)
        end = source.GetDataSize();
    CBK_SwfReadBudget own(&source == this && _storedBytes ? _storedBytes : end);
    const bool charged = source.GetBudget() != nullptr;
    if (!charged)
        source.SetBudget(&own);
    uint32_t frames = 0;
    bool cut = false;
    while (CBK_SwfTag* tag = ReadTagAt(source, end, raw)) {
        _tags.push_back(tag);
        const uint16_t code = tag->GetTagId();
        if (code == kSwfTagEnd)
            break;
        if (!raw && code == kSwfTagShowFrame && frameLimit && ++frames >= frameLimit) {
            cut = true;
            break;
        }
    }
    const bool spent = source.GetBudget()->IsSpent();
    if (!charged)
        source.SetBudget(nullptr);
    if (spent) {
        Destroy(true);
        _lastError = ERROR_NO_MEMORY;
    } else if (!cut && &source == this) {
        KeepTail(*this, end);
    }
}

void CBK_SwfReader::KeepTail(CBK_SwfReader& source, uint32_t end) {
    _tail.clear();
    source.ByteAlign();
    if (source.GetBufPos() < end)
        source.GetBytes(_tail, end - source.GetBufPos());
}

void CBK_SwfReader::TakeTail(CBK_SwfReader& source, uint32_t end) {
    source.ByteAlign();
    const uint32_t at = source.GetBufPos();
    std::vector<uint8_t>& data = source._data;
    const bool ownData = !source._view && &source != this && end == data.size();
    if (!ownData || at >= end || end - at < data.size() / 2)
        return KeepTail(source, end);
    data.erase(data.begin(), data.begin() + at);
    _tail = std::move(data);
    data.clear();
    source.SetBufPos(0);
}

} // namespace ravuz
