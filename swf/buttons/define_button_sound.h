// DefineButtonSound (17): the sounds a DefineButton plays on four state transitions: 0 over-up
// to idle, 1 idle to over-up, 2 over-up to over-down, 3 over-down to over-up.
#pragma once

#include <array>

#include "swf/base/swf_tag.h"
#include "swf/sound/sound_info.h"

namespace ravuz {

class CBK_SwfDefineButtonSound : public CBK_SwfCharacterTag {
public:
    static constexpr int32_t kTransitions = 4;

    CBK_SwfDefineButtonSound() = default;
    ~CBK_SwfDefineButtonSound() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineButtonSound; }
    uint32_t Read(CBK_SwfReader* reader) override;
    // A transition's sound info follows its sound id only when the id is not 0.
    uint32_t Write(CBK_SwfStream* stream) override;
    // Moves the button id and every sound id that is not 0.
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    void Destroy();

    // Transitions outside 0 to 3 are taken as transition 0.
    uint16_t GetButtonSoundId(int32_t transition) const { return _soundIds[Index(transition)]; }
    void SetButtonSoundId(int32_t transition, uint16_t id) { _soundIds[Index(transition)] = id; }
    CBK_SwfSoundInfo* GetSoundInfo(int32_t transition) { return &_infos[Index(transition)]; }

private:
    static std::size_t Index(int32_t transition) {
        return transition >= 0 && transition < kTransitions ? std::size_t(transition) : 0;
    }

    std::array<uint16_t, kTransitions> _soundIds{};
    std::array<CBK_SwfSoundInfo, kTransitions> _infos;
};

} // namespace ravuz
