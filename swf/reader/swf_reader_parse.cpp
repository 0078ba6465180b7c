// Parsing the tags of a loaded movie, a sprite's timeline or a file read tag by tag.
#include <algorithm>
#include <cstring>

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

// Whether a tag that wrote `bytes` (record header included), read back and written again
// into `second`, gives the same bytes: a damaged tag that the model cannot hold whole fails
// this, and is kept as stored instead. What the proof makes is charged to `budget` while it
// lasts.
bool WritesStably(const CBK_ByteBuffer& bytes, uint8_t version, CBK_SwfReadBudget* budget,
                  CBK_SwfStream& second) {
    if (bytes.empty())
        return false; // a stored tag that would vanish: keep it as it is
    const uint64_t before = budget ? budget->Charged() : 0;
    if (budget && !budget->Charge(2 * SwfHeapCost(bytes.size())))
        return false; // the second writing
    CBK_SwfReader reader;
    reader.CreateView(bytes.data(), static_cast<uint32_t>(bytes.size()), version);
    reader.SetBudget(budget);
    second.Destroy();
    while (CBK_SwfTag* again =
               CBK_SwfReader::ReadTagAt(reader, reader.GetDataSize(), false, false)) {
        second.Add(again);
        delete again;
    }
    const bool stable = !(budget && budget->IsSpent()) && second.GetStream() == bytes;
    if (budget)
        budget->Refund(budget->Charged() - before);
    return stable;
}

// Whether the tag writes exactly the payload it was read from (the bytes `source` holds).
bool WritesAsStored(CBK_SwfTag& tag, CBK_SwfReader& source, uint32_t length,
                    CBK_SwfStream& written) {
    written.Destroy();
    tag.Write(&written);
    const CBK_ByteBuffer& bytes = written.GetStream();
    const std::size_t header =
        bytes.size() >= 2 && (bytes[0] & kSwfLongTagLength) == kSwfLongTagLength ? 6 : 2;
    if (bytes.size() < header || bytes.size() - header != length)
        return false;
    if (length == 0)
        return true;
    source.SetBufPos(0);
    if (const uint8_t* stored = source.PeekBytes(length))
        return std::memcmp(stored, bytes.data() + header, length) == 0;
    std::vector<uint8_t> stored;
    source.GetBytes(stored, length);
    return std::equal(stored.begin(), stored.end(), bytes.begin() + header);
}

// Tags that read nothing: made without a reader of their own.
bool IsEmptyTag(uint16_t code) {
    return code == kSwfTagEnd || code == kSwfTagShowFrame;
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
    CBK_SwfReadBudget* budget = source.GetBudget();

    // Frames and ends come by the million: nothing to read, nothing to prove.
    if (length == 0 && !raw && IsEmptyTag(code)) {
        if (!source.Charge(SwfHeapCost(SwfTagObjectSize(code))))
            return nullptr;
        return SwfCreateTag(code, 0);
    }

    // The tag reads from its own bytes only: nothing it holds can take it past its end. Where
    // they lie in a shared block, the tag may keep them instead of a copy.
    CBK_SwfReader body;
    std::vector<uint8_t> copy;
    source.ViewAhead(length, body, copy);

    const bool typed = !KeptAsStored(body, code, raw);
    const uint32_t objectSize = typed ? SwfTagObjectSize(code) : sizeof(CBK_SwfTagUnknown);
    const uint64_t before = budget ? budget->Charged() : 0;
    // Refused for lack of memory: the movie is refused, so nothing is worth keeping.
    const auto refuse = [&source, tagEnd](CBK_SwfTag* made) -> CBK_SwfTag* {
        delete made;
        source.SetBufPos(tagEnd);
        return nullptr;
    };
    if (!source.Charge(SwfHeapCost(objectSize)))
        return refuse(nullptr);
    CBK_SwfTag* tag = typed ? SwfCreateTag(code, length) : new CBK_SwfTagUnknown(code, length);
    if (!typed)
        static_cast<CBK_SwfTagUnknown*>(tag)->SetLongHeader(longHeader);
    tag->Read(&body);
    if (source.IsSpent())
        return refuse(tag);
    body.ByteAlign();
    if (body.GetBufPos() < length) {
        const uint32_t left = length - body.GetBufPos();
        std::vector<uint8_t> rest;
        if (body.Charge(SwfHeapCost(CBK_SwfTag::ExtraSize()) + SwfHeapCost(left)))
            body.GetBytes(rest, left);
        tag->SetTrailingBytes(std::move(rest));
    }
    // A tag the model did not read to its end, or that wanted more bytes than it has, must
    // give back exactly what it held; one whose structure it rebuilds must write stably, which
    // a tag that writes back its very bytes does.
    bool damaged = false;
    if (typed) {
        const bool partly = !tag->GetTrailingBytes().empty() || body.HadShortRead();
        const bool prove = proveStable && HasStructure(code);
        if (partly || prove) {
            if (!source.Charge(2 * SwfHeapCost(length + 6)))
                return refuse(tag);
            CBK_SwfStream& written = source.Scratch(0);
            const bool asStored = WritesAsStored(*tag, body, length, written);
            damaged = partly ? !asStored
                             : !asStored && !WritesStably(written.GetStream(), body.GetVersion(),
                                                          budget, source.Scratch(1));
            source.ReleaseScratch();
            source.Refund(2 * SwfHeapCost(length + 6));
        }
    }
    if (source.IsSpent())
        return refuse(tag);
    if (damaged) {
        delete tag;
        if (budget)
            budget->Refund(budget->Charged() - before);
        auto* stored = new CBK_SwfTagUnknown(code, length);
        stored->SetLongHeader(longHeader);
        body.SetBufPos(0);
        if (body.Charge(SwfHeapCost(sizeof(CBK_SwfTagUnknown))))
            stored->Read(&body);
        if (source.IsSpent())
            return refuse(stored);
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
    // Without a budget of the source's, the movie's bytes as loaded are the first charge.
    CBK_SwfReadBudget own(&source == this && _storedBytes ? _storedBytes : end);
    const bool charged = source.GetBudget() != nullptr;
    if (!charged) {
        source.SetBudget(&own);
        own.Charge(&source == this ? _heldBytes : 0);
    }
    uint32_t frames = 0;
    bool cut = false;
    while (source.ChargeRoomForOne(_tags)) {
        CBK_SwfTag* tag = ReadTagAt(source, end, raw);
        if (!tag)
            break;
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
        _tags.shrink_to_fit();
        _lastError = ERROR_NO_MEMORY;
    } else if (!cut && &source == this) {
        KeepTail(*this, end);
    }
}

void CBK_SwfReader::KeepTail(CBK_SwfReader& source, uint32_t end) {
    _tail = {};
    source.ByteAlign();
    const uint32_t at = source.GetBufPos();
    if (at >= end)
        return;
    const uint32_t count = end - at;
    if (CBK_SwfSharedBytes shared = source.PeekShared(count)) {
        _tail = std::move(shared);
        source.OffsetBufPos(count);
        return;
    }
    // The copy is the block: the bytes are not copied a second time.
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    source.GetBytes(*bytes, count);
    if (!bytes->empty())
        _tail = {std::shared_ptr<const uint8_t>(bytes, bytes->data()),
                 static_cast<uint32_t>(bytes->size())};
}

} // namespace ravuz
