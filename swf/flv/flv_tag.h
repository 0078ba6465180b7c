// CBK_FlvTag: one FLV tag (audio 8, video 9, script data 18) with its owned body.
#pragma once

#include <cstdint>
#include <memory>

#include "swf/flv/flv_data.h"

class CBK_FlvTag {
public:
    enum : uint8_t { TYPE_AUDIO = 8, TYPE_VIDEO = 9, TYPE_SCRIPT = 18 };

    explicit CBK_FlvTag(uint8_t type);
    CBK_FlvTag(const CBK_FlvTag&) = delete;
    CBK_FlvTag& operator=(const CBK_FlvTag&) = delete;

    // Zeroes size, timestamp and stream id and gives the tag a fresh empty body of its type
    // (none for another type).
    void Reset();
    // Takes the body.
    void SetData(CBK_FlvData* data);
    CBK_FlvData* GetData() const { return _data.get(); }
    uint8_t GetTagType() const { return _type; }
    // Milliseconds; all 32 bits are written (the top 8 in the extended-timestamp byte).
    void SetTimeStamp(uint32_t milliseconds) { _timestamp = milliseconds; }
    uint32_t GetTimeStamp() const { return _timestamp; }
    void SetStreamId(uint32_t id) { _streamId = id & 0xFFFFFF; }
    // The size Read found.
    uint32_t GetDataSize() const { return _dataSize; }

    // The most body bytes that the tag's 24-bit size field can state.
    static constexpr uint32_t kMaxDataSize = 0xFFFFFF;
    // Whether the size field can state the body's size; a tag without a body (which writes
    // nothing) fits.
    bool BodyFits() const;
    // 11 bytes plus the body; 0 and nothing written for a tag without a body or one whose body
    // does not fit.
    uint32_t Write(CBK_FlvStream* stream) const;
    // The bytes consumed; a body of another type is skipped.
    uint32_t Read(CBK_BitReader* reader);

private:
    uint8_t _type;
    uint32_t _dataSize = 0;
    uint32_t _timestamp = 0;
    uint32_t _streamId = 0;
    std::unique_ptr<CBK_FlvData> _data;
};
