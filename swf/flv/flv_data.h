// Tag bodies of FLV files: the abstract body, and audio and video bodies with their payload.
#pragma once

#include <cstdint>
#include <vector>

class CBK_BitReader;
class CBK_FlvStream;

class CBK_FlvData {
public:
    CBK_FlvData() = default;
    CBK_FlvData(const CBK_FlvData&) = delete;
    CBK_FlvData& operator=(const CBK_FlvData&) = delete;
    virtual ~CBK_FlvData() = default;

    // Byte counts.
    virtual uint32_t Read(CBK_BitReader* reader, uint32_t size) = 0;
    virtual uint32_t Write(CBK_FlvStream* stream) = 0;
    virtual uint32_t GetDataSize() = 0;
    virtual void SetData(const uint8_t* data, uint32_t n) = 0;
};

// A body of one leading byte and a payload.
class CBK_FlvPayloadData : public CBK_FlvData {
public:
    // Replaces the payload by a copy of the bytes.
    void SetData(const uint8_t* data, uint32_t n) override;
    void Destroy() { _payload.clear(); }
    const std::vector<uint8_t>& GetPayload() const { return _payload; }
    uint32_t GetDataSize() override { return static_cast<uint32_t>(_payload.size()) + 1; }

protected:
    // Appends at most size-1 bytes that the reader still holds; the count read.
    uint32_t ReadPayload(CBK_BitReader* reader, uint32_t size);

    std::vector<uint8_t> _payload;
};

class CBK_FlvAudioData : public CBK_FlvPayloadData {
public:
    // Each value already stands at its bits of the flags byte.
    enum SOUND_FORMAT : uint8_t {
        FORMAT_UNCOMPRESSED = 0x00,
        FORMAT_ADPCM = 0x10,
        FORMAT_MP3 = 0x20,
        FORMAT_NELLYMOSER_8KHZ_MONO = 0x50,
        FORMAT_NELLYMOSER = 0x60,
    };
    enum SOUND_RATE : uint8_t {
        RATE_5_5KHZ = 0x00,
        RATE_11KHZ = 0x04,
        RATE_22KHZ = 0x08,
        RATE_44KHZ = 0x0C,
    };
    enum SOUND_SIZE : uint8_t {
        SIZE_8BIT = 0x00,
        SIZE_16BIT = 0x02,
    };
    enum SOUND_TYPE : uint8_t {
        TYPE_MONO = 0x00,
        TYPE_STEREO = 0x01,
    };

    void SetSoundFormat(SOUND_FORMAT format) { _flags = (_flags & 0x0F) | (format & 0xF0); }
    void SetSoundRate(SOUND_RATE rate) { _flags = (_flags & 0xF3) | (rate & 0x0C); }
    void SetSoundSize(SOUND_SIZE size) { _flags = (_flags & 0xFD) | (size & 0x02); }
    void SetSoundType(SOUND_TYPE type) { _flags = (_flags & 0xFE) | (type & 0x01); }
    // The fields as plain numbers (2 for MP3).
    uint8_t GetSoundFormat() const { return _flags >> 4; }
    uint8_t GetSoundRate() const { return (_flags >> 2) & 3; }
    uint8_t GetSoundSize() const { return (_flags >> 1) & 1; }
    uint8_t GetSoundType() const { return _flags & 1; }
    uint8_t GetFlags() const { return _flags; }

    uint32_t Read(CBK_BitReader* reader, uint32_t size) override;
    uint32_t Write(CBK_FlvStream* stream) override;

private:
    uint8_t _flags = 0;
};

class CBK_FlvVideoData : public CBK_FlvPayloadData {
public:
    uint8_t m_FrameType = 0; // 1 key frame, 2 inter frame
    uint8_t m_CodecId = 0;   // 2 H.263, 3 screen video

    uint32_t Read(CBK_BitReader* reader, uint32_t size) override;
    uint32_t Write(CBK_FlvStream* stream) override;
};
