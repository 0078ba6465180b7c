// DefineSound (14): an event sound: id, format byte, sample count and the sound data.
#pragma once

#include <cstddef>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/sound/sound_codes.h"

namespace ravuz {

class CBK_SwfDefineSound : public CBK_SwfCharacterTag, public CBK_SwfSoundCodes {
public:
    CBK_SwfDefineSound() = default;
    CBK_SwfDefineSound(uint16_t id, uint8_t flags, uint32_t sampleCount) {
        Create(id, flags, sampleCount);
    }
    CBK_SwfDefineSound(const CBK_SwfDefineSound&) = default;
    CBK_SwfDefineSound& operator=(const CBK_SwfDefineSound&) = default;
    ~CBK_SwfDefineSound() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineSound; }
    // The data is what the tag holds after its 7-byte head (nothing when it is shorter).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfCharacterTag::Create;
    // Sets the three, the delay to 0, and empties the data.
    void Create(uint16_t id, uint8_t flags, uint32_t sampleCount);
    // Fills the tag from a whole record (header included) of `size` bytes. False, with the
    // tag unchanged, when the record is cut short or too small to hold the head.
    bool CreateFromBuffer(const char* record, std::size_t size);

    void SetFlags(uint8_t flags) { _flags = flags; }
    uint8_t GetFlags() const { return _flags; }
    void SetSoundFormat(uint8_t format) { _flags = sound_bits::WithFormat(_flags, format); }
    void SetSoundRate(uint8_t rate) { _flags = sound_bits::WithRate(_flags, rate); }
    void SetSoundSize(uint8_t size) { _flags = sound_bits::WithSize(_flags, size); }
    void SetSoundType(uint8_t type) { _flags = sound_bits::WithType(_flags, type); }
    uint8_t GetSoundFormat() const { return sound_bits::Format(_flags); }
    uint8_t GetSoundRate() const { return sound_bits::Rate(_flags); }
    uint8_t GetSoundSize() const { return sound_bits::Size(_flags); }
    uint8_t GetSoundType() const { return sound_bits::Type(_flags); }
    // Kept with the sound, never written.
    void SetDelay(int16_t delay) { _delay = delay; }
    int16_t GetDelay() const { return _delay; }
    void SetSampleCount(uint32_t count) { _sampleCount = count; }
    uint32_t GetSampleCount() const { return _sampleCount; }

    // Nothing for null bytes or a zero count; otherwise replaces the data, or appends to it.
    void SetPayload(const uint8_t* bytes, std::size_t count, bool append);
    const std::vector<uint8_t>& GetPayload() const { return _payload; }

private:
    uint8_t _flags = 0;
    uint32_t _sampleCount = 0;
    int16_t _delay = 0;
    std::vector<uint8_t> _payload;
};

} // namespace ravuz
