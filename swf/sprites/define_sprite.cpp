#include "swf/sprites/define_sprite.h"

#include <algorithm>
#include <typeinfo>

#include "swf/actions/do_action.h"
#include "swf/stream/bounded_read.h"
#include "swf/stream/swf_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/writer/refused_script.h"

namespace ravuz {

namespace {

bool IsAudio(uint16_t code) {
    return code == kSwfTagStartSound || code == kSwfTagSoundStreamHead ||
           code == kSwfTagSoundStreamBlock || code == kSwfTagSoundStreamHead2;
}

} // namespace

void CBK_SwfDefineSprite::Create(uint16_t id, uint16_t frames) {
    SetCharacterId(id);
    _frameCount = frames;
}

CBK_SwfDefineSprite& CBK_SwfDefineSprite::operator=(const CBK_SwfDefineSprite& other) {
    if (this == &other)
        return *this;
    CBK_SwfStream stream(other._sourceVersion);
    if (const_cast<CBK_SwfDefineSprite&>(other).Write(&stream, false) == 0) {
        CopyTagByTag(other);
        return *this;
    }
    CBK_SwfReader reader;
    reader.Create(&stream, false);
    Read(&reader);
    SetTrailingBytes(other.GetTrailingBytes());
    return *this;
}

void CBK_SwfDefineSprite::CopyTagByTag(const CBK_SwfDefineSprite& other) {
    Destroy(true);
    _sourceVersion = other._sourceVersion;
    SetCharacterId(other.GetCharacterId());
    _frameCount = other._frameCount;
    for (const auto& held : other._tags) {
        CBK_SwfTag& tag = *held;
        CBK_SwfStream stream(_sourceVersion);
        if (SwfScriptRefused(tag, _sourceVersion, tag.Write(&stream))) {
            // Such a script has no bytes to go through: the tags that may stand in a sprite
            // and hold one are copied as objects.
            if (typeid(tag) == typeid(CBK_SwfDoAction))
                _tags.push_back(
                    std::make_unique<CBK_SwfDoAction>(static_cast<CBK_SwfDoAction&>(tag)));
            else if (typeid(tag) == typeid(CBK_SwfPlaceObject2))
                _tags.push_back(
                    std::make_unique<CBK_SwfPlaceObject2>(static_cast<CBK_SwfPlaceObject2&>(tag)));
            continue;
        }
        const CBK_ByteBuffer& bytes = stream.GetStream();
        CBK_SwfReader reader;
        reader.CreateFromBytes(bytes.data(), bytes.size(), _sourceVersion);
        if (CBK_SwfTag* copy = CBK_SwfReader::ReadTagAt(reader, reader.GetDataSize(), false))
            _tags.emplace_back(copy);
    }
    MeasureDepths();
    SetTrailingBytes(other.GetTrailingBytes());
}

bool CBK_SwfDefineSprite::IsAllowed(uint16_t code) {
    switch (code) {
    case kSwfTagEnd:
    case kSwfTagShowFrame:
    case kSwfTagFreeCharacter:
    case kSwfTagPlaceObject:
    case kSwfTagRemoveObject:
    case kSwfTagDoAction:
    case kSwfTagStartSound:
    case kSwfTagSoundStreamHead:
    case kSwfTagSoundStreamBlock:
    case kSwfTagPlaceObject2:
    case kSwfTagRemoveObject2:
    case kSwfTagFrameLabel:
    case kSwfTagSoundStreamHead2:
    case kSwfTagDefineVideoStream:
    case kSwfTagVideoFrame:
        return true;
    default:
        return false;
    }
}

bool CBK_SwfDefineSprite::AddTag(CBK_SwfTag* tag) {
    if (!tag || !IsAllowed(tag->GetTagId()))
        return false;
    if (tag->GetTagId() == kSwfTagShowFrame && _frameCount < UINT16_MAX)
        ++_frameCount;
    _tags.emplace_back(tag);
    return true;
}

void CBK_SwfDefineSprite::AddFrames(int32_t count) {
    for (int32_t i = 0; i < count && _frameCount < UINT16_MAX; ++i) {
        _tags.push_back(std::make_unique<CBK_SwfShowFrame>());
        ++_frameCount;
    }
}

void CBK_SwfDefineSprite::InsertBefore(std::size_t index, CBK_SwfTag* tag) {
    _tags.insert(_tags.begin() + static_cast<std::ptrdiff_t>(std::min(index, _tags.size())),
                 std::unique_ptr<CBK_SwfTag>(tag));
}

void CBK_SwfDefineSprite::RemoveTrailingEnd() {
    if (!_tags.empty() && _tags.back()->GetTagId() == kSwfTagEnd)
        _tags.pop_back();
}

void CBK_SwfDefineSprite::AddTagToFrame(CBK_SwfTag* tag, int32_t frame) {
    if (frame < 0)
        frame = 0;
    if (frame >= UINT16_MAX) {
        delete tag; // no frame of a sprite can stand there
        return;
    }
    if (frame + 1 > _frameCount) {
        RemoveTrailingEnd();
        AddFrames(frame + 1 - _frameCount);
    }
    if (!tag)
        return;
    int32_t shown = 0;
    for (std::size_t i = 0; i < _tags.size(); ++i) {
        if (_tags[i]->GetTagId() == kSwfTagShowFrame && shown++ == frame) {
            InsertBefore(i, tag);
            return;
        }
    }
    // Fewer ShowFrame tags than the count says: the tag closes the timeline as it stands.
    InsertBefore(_tags.size(), tag);
}

void CBK_SwfDefineSprite::AddTagToLastFrame(CBK_SwfTag* tag) {
    for (std::size_t i = _tags.size(); i-- > 1;) {
        if (_tags[i]->GetTagId() == kSwfTagShowFrame) {
            InsertBefore(i, tag);
            return;
        }
    }
    AddTagToFrame(tag, 0);
}

void CBK_SwfDefineSprite::AddTagToFirstFrame(CBK_SwfTag* tag, bool atStart) {
    if (atStart)
        InsertBefore(0, tag);
    else
        AddTagToFrame(tag, 0);
}

uint32_t CBK_SwfDefineSprite::Write(CBK_SwfStream* stream, bool withHeader) {
    if (!stream)
        return 0;
    CBK_SwfStream inner(stream->GetVersion());
    inner.IgnoreAudio(stream->IsIgnoringAudio());
    for (const auto& tag : _tags) {
        if (stream->IsIgnoringAudio() && IsAudio(tag->GetTagId()))
            continue;
        // A sprite without one of its scripts would pass for whole: it writes nothing, as
        // the script's own tag does.
        if (SwfScriptRefused(*tag, stream->GetVersion(), inner.Add(tag.get())))
            return 0;
    }
    if (_tags.empty() || _tags.back()->GetTagId() != kSwfTagEnd) {
        CBK_SwfEnd end;
        inner.Add(&end);
    }
    auto body = [this, &inner](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        s.Add(_frameCount);
        s.Add(&inner);
    };
    if (withHeader)
        return WriteTag(stream, false, body);
    const uint32_t before = static_cast<uint32_t>(stream->GetRealSize());
    body(*stream);
    AddTrailingBytes(*stream);
    return static_cast<uint32_t>(stream->GetRealSize()) - before;
}

uint32_t CBK_SwfDefineSprite::Read(CBK_SwfReader* reader) {
    Destroy(true);
    if (!reader)
        return 0;
    _sourceVersion = reader->GetVersion();
    reader->ByteAlign();
    const uint32_t start = reader->GetBufPos();
    const uint32_t tagLength = reader->GetCurrentTagLength();
    const uint32_t end = reader->GetTagEnd(start);
    CBK_SwfBoundedRead in(reader, end);
    SetCharacterId(in.Word());
    _frameCount = in.Word();

    const uint32_t nesting = reader->GetNesting();
    reader->SetNesting(nesting + 1);
    CBK_SwfReader nested;
    nested.ParseTags(reader, end, 0);
    reader->SetNesting(nesting);
    reader->SetCurrentTagLength(tagLength);
    // The tags move to a list of the sprite's own, charged before it is made; the list they
    // leave gives its charge back.
    std::vector<CBK_SwfTag*>& read = nested.GetTags();
    const uint64_t left = read.capacity() ? SwfHeapCost(read.capacity() * sizeof(CBK_SwfTag*)) : 0;
    if (!reader->ChargeRoomFor(_tags, read.size())) {
        nested.Destroy(true);
        return reader->GetBufPos() - start;
    }
    for (CBK_SwfTag* tag : read)
        _tags.emplace_back(tag);
    read = std::vector<CBK_SwfTag*>();
    reader->Refund(left);
    MeasureDepths();
    return reader->GetBufPos() - start;
}

void CBK_SwfDefineSprite::MeasureDepths() {
    _minDepth = _maxDepth = -1;
    for (const auto& tag : _tags) {
        const auto* place = dynamic_cast<const CBK_SwfPlaceObject*>(tag.get());
        if (!place)
            continue;
        const int32_t depth = place->GetDepth();
        _minDepth = _minDepth < 0 ? depth : std::min(_minDepth, depth);
        _maxDepth = std::max(_maxDepth, depth);
    }
}

void CBK_SwfDefineSprite::OffsetInfo(int32_t idOffset, int32_t, int32_t frames) {
    SetCharacterId(static_cast<uint16_t>(GetCharacterId() + idOffset));
    for (const auto& tag : _tags) {
        switch (tag->GetTagId()) {
        case kSwfTagFreeCharacter:
        case kSwfTagPlaceObject:
        case kSwfTagRemoveObject:
        case kSwfTagStartSound:
        case kSwfTagPlaceObject2:
        case kSwfTagRemoveObject2:
        case kSwfTagDefineVideoStream:
        case kSwfTagVideoFrame:
            tag->OffsetInfo(idOffset, 0, frames);
            break;
        default:
            break;
        }
    }
}

void CBK_SwfDefineSprite::adjustPaths(const wchar_t* prefix) {
    for (const auto& tag : _tags)
        if (auto* actions = dynamic_cast<CBK_SwfDoAction*>(tag.get()))
            actions->adjustPaths(prefix);
}

void CBK_SwfDefineSprite::Destroy(bool deleteTags) {
    if (!deleteTags)
        for (auto& tag : _tags)
            static_cast<void>(tag.release());
    _tags.clear();
    _frameCount = 0;
    _minDepth = _maxDepth = -1;
}

} // namespace ravuz
