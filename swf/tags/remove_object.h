// RemoveObject (5) and RemoveObject2 (28): taking a character off the display list.
#pragma once

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfRemoveObject : public CBK_SwfTag {
public:
    CBK_SwfRemoveObject(uint16_t id = 1, uint16_t depth = 1) : _characterId(id), _depth(depth) {}

    uint16_t GetTagId() const override { return kSwfTagRemoveObject; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    // Held to 0..65535 like every other shift of ids and depths.
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) override;

    uint16_t GetCharacterId() const { return _characterId; }
    uint16_t GetDepth() const { return _depth; }
    void SetDepth(uint16_t depth) { _depth = depth; }

protected:
    uint16_t _characterId;
    uint16_t _depth;
};

class CBK_SwfRemoveObject2 : public CBK_SwfRemoveObject {
public:
    explicit CBK_SwfRemoveObject2(uint16_t depth = 1) : CBK_SwfRemoveObject(1, depth) {}

    uint16_t GetTagId() const override { return kSwfTagRemoveObject2; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
};

} // namespace ravuz
