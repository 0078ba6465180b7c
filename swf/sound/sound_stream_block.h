// SoundStreamBlock (19): one frame's block of streamed sound, kept exactly as the file holds
// it (for MP3: u16 sample count, s16 seek samples, then whole MP3 frames).
#pragma once

#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/stream/shared_bytes.h"

namespace ravuz {

class CBK_SwfSoundStreamHead;

class CBK_SwfSoundStreamBlock : public CBK_SwfTag {
public:
    CBK_SwfSoundStreamBlock() = default;
    CBK_SwfSoundStreamBlock(uint8_t extra, uint16_t first, uint16_t second) {
        Create(extra, first, second);
    }
    CBK_SwfSoundStreamBlock(const CBK_SwfSoundStreamBlock&) = default;
    CBK_SwfSoundStreamBlock& operator=(const CBK_SwfSoundStreamBlock&) = default;
    ~CBK_SwfSoundStreamBlock() override = default;

    uint16_t GetTagId() const override { return kSwfTagSoundStreamBlock; }
    // The whole payload of the current tag becomes the data.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    using CBK_SwfTag::Create;
    // Values the caller keeps with the block; they are not part of its bytes.
    void Create(uint8_t extra, uint16_t first, uint16_t second);

    // Samples in the block: 1000 for ADPCM, the leading u16 for MP3, else 0 (also without
    // a head).
    uint32_t GetSampleCount(const CBK_SwfSoundStreamHead* head) const;
    // Appends the sound bytes: after the 4-byte MP3 prefix, or all of them for other
    // formats; nothing without a head.
    void GetSampleData(std::vector<uint8_t>& out, const CBK_SwfSoundStreamHead* head) const;

    // A block read from a movie's shared block gets bytes of its own when first asked.
    std::vector<uint8_t>& GetData() { return Own(); }
    const std::vector<uint8_t>& GetData() const { return Own(); }
    void SetData(const uint8_t* bytes, std::size_t count);

private:
    std::vector<uint8_t>& Own() const;
    // The bytes: a part of a shared block, or when none, the vector.
    const uint8_t* Bytes() const { return _shared ? _shared.begin() : _data.data(); }
    std::size_t Size() const { return _shared ? _shared.size : _data.size(); }

    mutable std::vector<uint8_t> _data;
    mutable CBK_SwfSharedBytes _shared;
    uint8_t _extra = 0;
    uint16_t _first = 0;
    uint16_t _second = 0;
};

} // namespace ravuz
