// VideoFrame (61): one encoded frame of an embedded video stream, and the quality to
// quantiser table of the H.263 encoder.
#pragma once

#include <memory>

#include "swf/base/swf_tag.h"
#include "swf/stream/shared_bytes.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

// Quality 0 to 100 to H.263 quantiser 31 down to 1.
extern const uint8_t gBK_SwfDefineVideoStreamBlockQualityTable[101];

class CBK_SwfVideoFrame : public CBK_SwfTag {
public:
    CBK_SwfVideoFrame() = default;
    // The reader's form: the payload length of the record being read.
    explicit CBK_SwfVideoFrame(uint32_t recordLength) : _recordLength(recordLength) {}
    CBK_SwfVideoFrame(const CBK_SwfVideoFrame&) = delete;
    CBK_SwfVideoFrame& operator=(const CBK_SwfVideoFrame&) = delete;
    ~CBK_SwfVideoFrame() override { Destroy(); }

    uint16_t GetTagId() const override { return kSwfTagVideoFrame; }
    // Stream id, frame number and the frame's bytes, none of them past the tag's end (nor
    // past the record length, when one was given).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfTag::Create;
    void Create(uint16_t frameNumber) { _frameNumber = frameNumber; }
    // Frees the payload held and takes `stream` (null leaves none).
    void SetPayload(CBK_SwfStream* stream) {
        _payload.reset(stream);
        _shared = {};
    }
    // A frame read from a movie's shared block becomes a stream of its own when first asked.
    CBK_SwfStream* GetPayload() const;
    void Destroy() {
        _payload.reset();
        _shared = {};
    }

    // From the H.263 picture header: 1 key frame, 2 inter frame, 3 disposable inter frame,
    // 0 otherwise, also for a payload shorter than the header. Stores the quantiser.
    uint32_t GetFrameType();
    uint32_t GetQuantiser() const { return _quantiser; }
    // Key frames are told by GetFrameType.
    bool IsKeyframe() const { return false; }
    // The quantiser for a quality; qualities outside 0 to 100 are taken as the nearer end.
    static uint32_t GetQuant(int32_t quality);

    uint16_t GetStreamId() const { return _streamId; }
    void SetStreamId(uint16_t id) { _streamId = id; }
    uint16_t GetFrameNumber() const { return _frameNumber; }

private:
    // The frame's bytes, wherever they are held.
    const uint8_t* FrameBytes(std::size_t& size) const;

    uint16_t _streamId = 0;
    uint16_t _frameNumber = 0;
    // The frame's bytes: a stream, or until one is asked for, a part of a shared block.
    mutable std::unique_ptr<CBK_SwfStream> _payload;
    mutable CBK_SwfSharedBytes _shared;
    uint32_t _recordLength = 0;
    uint32_t _quantiser = 0;
};

} // namespace ravuz
