// StartSound (15): starts, stops or restyles an event sound defined by DefineSound.
#pragma once

#include "swf/base/swf_tag.h"
#include "swf/sound/sound_info.h"

namespace ravuz {

class CBK_SwfDefineSound;

class CBK_SwfStartSound : public CBK_SwfTag {
public:
    explicit CBK_SwfStartSound(uint16_t soundId = 0) : _soundId(soundId) {}
    explicit CBK_SwfStartSound(const CBK_SwfDefineSound& sound);
    ~CBK_SwfStartSound() override = default;

    uint16_t GetTagId() const override { return kSwfTagStartSound; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfTag::Create;
    void Create(uint16_t soundId) { _soundId = soundId; }

    uint16_t GetSoundId() const { return _soundId; }
    CBK_SwfSoundInfo& GetSoundInfo() { return _info; }
    const CBK_SwfSoundInfo& GetSoundInfo() const { return _info; }

private:
    uint16_t _soundId;
    CBK_SwfSoundInfo _info;
};

} // namespace ravuz
