// SoundStreamHead (18) and SoundStreamHead2 (45): the format of the sound blocks that follow,
// one per frame. The payload is always 4 bytes, also for MP3.
#pragma once

#include "swf/base/swf_tag.h"
#include "swf/sound/sound_codes.h"

namespace ravuz {

class CBK_SwfSoundStreamHead : public CBK_SwfCharacterTag, public CBK_SwfSoundCodes {
public:
    CBK_SwfSoundStreamHead() = default;
    CBK_SwfSoundStreamHead(uint8_t playback, uint8_t stream, uint16_t sampleCount)
        : _playback(playback), _stream(stream), _sampleCount(sampleCount) {}
    CBK_SwfSoundStreamHead(const CBK_SwfSoundStreamHead&) = default;
    CBK_SwfSoundStreamHead& operator=(const CBK_SwfSoundStreamHead&) = default;
    ~CBK_SwfSoundStreamHead() override = default;

    uint16_t GetTagId() const override { return kSwfTagSoundStreamHead; }
    // The four bytes, the playback byte kept whole; a latency field that other writers put
    // after them for MP3 is left unread.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The playback byte's upper four bits are written as zero.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The id is never written; it only follows the offset.
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfCharacterTag::Create;
    void Create(uint8_t playback, uint8_t stream, uint16_t sampleCount);

    void SetPlaybackRate(uint8_t rate) { _playback = sound_bits::WithRate(_playback, rate); }
    void SetPlaybackSize(uint8_t size) { _playback = sound_bits::WithSize(_playback, size); }
    void SetPlaybackType(uint8_t type) { _playback = sound_bits::WithType(_playback, type); }
    void SetStreamFormat(uint8_t format) { _stream = sound_bits::WithFormat(_stream, format); }
    void SetStreamRate(uint8_t rate) { _stream = sound_bits::WithRate(_stream, rate); }
    void SetStreamSize(uint8_t size) { _stream = sound_bits::WithSize(_stream, size); }
    void SetStreamType(uint8_t type) { _stream = sound_bits::WithType(_stream, type); }
    uint8_t GetPlaybackRate() const { return sound_bits::Rate(_playback); }
    uint8_t GetPlaybackSize() const { return sound_bits::Size(_playback); }
    uint8_t GetPlaybackType() const { return sound_bits::Type(_playback); }
    uint8_t GetStreamFormat() const { return sound_bits::Format(_stream); }
    uint8_t GetStreamRate() const { return sound_bits::Rate(_stream); }
    uint8_t GetStreamSize() const { return sound_bits::Size(_stream); }
    uint8_t GetStreamType() const { return sound_bits::Type(_stream); }

    uint8_t GetPlaybackByte() const { return _playback; }
    uint8_t GetStreamByte() const { return _stream; }
    uint16_t GetSampleCount() const { return _sampleCount; }
    void SetSampleCount(uint16_t count) { _sampleCount = count; }

private:
    uint8_t _playback = 0;
    uint8_t _stream = 0;
    uint16_t _sampleCount = 0;
};

class CBK_SwfSoundStreamHead2 : public CBK_SwfSoundStreamHead {
public:
    using CBK_SwfSoundStreamHead::CBK_SwfSoundStreamHead;
    ~CBK_SwfSoundStreamHead2() override = default;

    uint16_t GetTagId() const override { return kSwfTagSoundStreamHead2; }
};

} // namespace ravuz
