// CBK_SwfDefineSprite (tag 39): a movie clip, a character with its own timeline of control
// tags and a frame count.
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

class CBK_SwfDefineSprite : public CBK_SwfCharacterTag {
public:
    explicit CBK_SwfDefineSprite(uint16_t id = 1, uint16_t frames = 0) { Create(id, frames); }
    // A deep copy, made by writing the other sprite and reading it back at its version (tag by
    // tag when a script it holds cannot be encoded).
    CBK_SwfDefineSprite(const CBK_SwfDefineSprite& other) : CBK_SwfCharacterTag() { *this = other; }
    CBK_SwfDefineSprite& operator=(const CBK_SwfDefineSprite& other);
    ~CBK_SwfDefineSprite() override { Destroy(true); }

    using CBK_SwfTag::Create;
    void Create(uint16_t id, uint16_t frames);
    uint16_t GetTagId() const override { return kSwfTagDefineSprite; }

    // Takes the tag when its code may stand in a sprite (a ShowFrame adds a frame); any
    // other stays the caller's and false is returned.
    bool AddTag(CBK_SwfTag* tag);
    void AddFrames(int32_t count);
    // Inserts before the ShowFrame that closes `frame` (0-based), padding the timeline with
    // frames as needed; a null tag only pads.
    void AddTagToFrame(CBK_SwfTag* tag, int32_t frame);
    void AddTagToLastFrame(CBK_SwfTag* tag);
    void AddTagToFirstFrame(CBK_SwfTag* tag, bool atStart);

    uint32_t Write(CBK_SwfStream* stream) override { return Write(stream, true); }
    // Without the record header: id, frame count and the inner tags, ended by End.
    uint32_t Write(CBK_SwfStream* stream, bool withHeader);
    // The inner tags are parsed within the sprite's own bytes.
    uint32_t Read(CBK_SwfReader* reader) override;

    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frames) override;
    void adjustPaths(const wchar_t* prefix);
    // With `deleteTags` frees the inner tags, otherwise leaves them to whoever holds them.
    void Destroy(bool deleteTags);

    uint16_t GetFrameCount() const { return _frameCount; }
    const std::vector<std::unique_ptr<CBK_SwfTag>>& GetTags() const { return _tags; }
    // Over the placements read; -1 when there were none.
    int32_t GetMinDepth() const { return _minDepth; }
    int32_t GetMaxDepth() const { return _maxDepth; }
    // The version the sprite was read at; copies go through it so that nothing that depends
    // on the version is lost.
    uint8_t GetSourceVersion() const { return _sourceVersion; }

private:
    static bool IsAllowed(uint16_t code);
    // The copy of a sprite that cannot be written, as its script cannot be encoded.
    void CopyTagByTag(const CBK_SwfDefineSprite& other);
    void InsertBefore(std::size_t index, CBK_SwfTag* tag);
    void RemoveTrailingEnd();
    void MeasureDepths();

    uint16_t _frameCount = 0;
    std::vector<std::unique_ptr<CBK_SwfTag>> _tags;
    int32_t _minDepth = -1;
    int32_t _maxDepth = -1;
    uint8_t _sourceVersion = kSwfDefaultTextVersion;
};

} // namespace ravuz
