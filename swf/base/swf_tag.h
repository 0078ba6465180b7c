// CBK_SwfTag and CBK_SwfCharacterTag: the bases of every SWF tag, with the record header.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/base/tag_codes.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

class CBK_SwfReadBudget;

class CBK_SwfTag : public CBK_SwfObj {
public:
    CBK_SwfTag() = default;
    // A copy takes the trailing bytes, never the budget the original was charged to.
    CBK_SwfTag(const CBK_SwfTag& other);
    CBK_SwfTag& operator=(const CBK_SwfTag& other);
    ~CBK_SwfTag() override;

    // Re-initialises the tag.
    virtual void Create() {}
    virtual uint16_t GetTagId() const = 0;
    // Shifts the character ids and depths the tag holds (frames, for actions).
    virtual void OffsetInfo(int32_t /*idOffset*/, int32_t /*depthOffset*/, int32_t /*frames*/) {}

    // Short form (one u16) for a length up to 62 unless `forceLong`; otherwise the u16 with
    // 0x3F and a u32 length.
    void WriteRecordHeader(CBK_SwfStream& stream, uint32_t length, bool forceLong) const;
    std::vector<uint8_t> GetHeader(uint32_t length, bool forceLong) const;
    static uint32_t HeaderSize(uint32_t length, bool forceLong) {
        return length <= kSwfShortTagLengthMax && !forceLong ? 2 : 6;
    }

    // Bytes a stored tag held beyond the fields the model reads (a newer format's fields,
    // code behind an End action): kept and written back after the fields.
    const std::vector<uint8_t>& GetTrailingBytes() const;
    void SetTrailingBytes(std::vector<uint8_t> bytes);

    // Gives `bytes` back to `budget` when the tag is deleted (a budget that is a ledger:
    // CBK_SwfReadBudget::NewShared); the tag holds it until then.
    void ChargedTo(CBK_SwfReadBudget* budget, uint64_t bytes);
    // The bytes of what a tag with trailing bytes or a budget holds besides its own object.
    static std::size_t ExtraSize();

protected:
    // Writes the record header and the payload that `payload(stream)` appends, straight
    // into the target (the header is patched once the length is known). Returns the bytes
    // added, header included.
    template <class PayloadWriter>
    uint32_t WriteTag(CBK_SwfStream* target, bool forceLong, PayloadWriter&& payload) {
        const std::size_t start = BeginTag(*target);
        payload(*target);
        AddTrailingBytes(*target);
        return EndTag(*target, start, forceLong);
    }

    void AddTrailingBytes(CBK_SwfStream& target) const;

private:
    std::size_t BeginTag(CBK_SwfStream& target) const;
    uint32_t EndTag(CBK_SwfStream& target, std::size_t start, bool forceLong) const;

    // What few tags have, kept apart so that the many small ones stay small.
    struct Extra {
        std::vector<uint8_t> trailing;
        CBK_SwfReadBudget* budget = nullptr;
        uint64_t charged = 0;
    };
    Extra& MakeExtra();
    std::unique_ptr<Extra> _extra;
};

class CBK_SwfCharacterTag : public CBK_SwfTag {
public:
    virtual uint16_t GetCharacterId() const { return _characterId; }
    virtual void SetCharacterId(uint16_t id) { _characterId = id; }

protected:
    uint16_t _characterId = 0;
};

} // namespace ravuz
