// DefineVideoStream (60): declares an embedded video stream: frame count, size, smoothing and
// deblocking flags, codec (2 H.263, 3 screen video).
#pragma once

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfDefineVideoStream : public CBK_SwfCharacterTag {
public:
    static constexpr uint8_t kCodecH263 = 2;
    static constexpr uint8_t kCodecScreenVideo = 3;

    CBK_SwfDefineVideoStream() = default;
    ~CBK_SwfDefineVideoStream() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineVideoStream; }
    uint32_t Read(CBK_SwfReader* reader) override;
    // The frame count field holds 65535 at most: a longer stream writes 65535.
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfCharacterTag::Create;
    // Stream id 0, smoothing on, deblocking 0, H.263.
    void Create(uint32_t frameCount, uint16_t width, uint16_t height);
    void Destroy() {}

    void SetDeblocking(uint8_t deblocking);
    uint8_t GetDeblocking() const { return (_flags >> 1) & 3; }
    void SetSmoothing(bool on);
    bool GetSmoothing() const { return _flags & 1; }
    uint8_t GetFlags() const { return _flags; }
    void SetCodecId(uint8_t codec) { _codecId = codec; }
    uint8_t GetCodecId() const { return _codecId; }
    uint32_t GetFrameCount() const { return _frameCount; }
    void SetFrameCount(uint32_t count) { _frameCount = count; }
    uint16_t GetWidth() const { return _width; }
    uint16_t GetHeight() const { return _height; }

private:
    uint32_t _frameCount = 0;
    uint16_t _width = 0;
    uint16_t _height = 0;
    uint8_t _flags = 0;
    uint8_t _codecId = 0;
};

} // namespace ravuz
