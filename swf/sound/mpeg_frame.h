// CMpegFrame: the four-byte header of an MPEG audio (Layer III) frame, with the bit-rate and
// sample-rate tables that size the frame.
#pragma once

#include <cstdint>
#include <vector>

namespace ravuz {

class CMpegFrame {
public:
    static constexpr uint8_t mpegVERSION25 = 0;
    static constexpr uint8_t mpegVERSIONRESERVED = 1;
    static constexpr uint8_t mpegVERSION2 = 2;
    static constexpr uint8_t mpegVERSION1 = 3;
    static constexpr uint8_t mpegLAYERRESERVED = 0;
    static constexpr uint8_t mpegLAYER3 = 1;
    static constexpr uint8_t mpegLAYER2 = 2;
    static constexpr uint8_t mpegLAYER1 = 3;
    static constexpr uint8_t mpegSTEREO = 0;
    static constexpr uint8_t mpegJSTEREO = 1;
    static constexpr uint8_t mpegDUALCHANNEL = 2;
    static constexpr uint8_t mpegMONO = 3;
    static constexpr uint8_t mpegEMP50_15 = 1;
    static constexpr uint8_t mpegEMPCCIT = 3;

    // Bits per second by bit-rate index (row) and version code (column); Layer III.
    static const uint32_t bitrateTable[16 * 4];
    // Hertz by sampling-rate index (row, 0 to 2) and version code (column).
    static const uint32_t sampleTable[3 * 4];

    CMpegFrame() = default;
    explicit CMpegFrame(uint32_t header) : _header(header) {}

    // The first byte of the header in the top eight bits.
    uint32_t GetHeader() const { return _header; }
    void SetHeader(uint32_t header) { _header = header; }
    // The four bytes at `bytes`, first byte on top.
    void SetHeader(const uint8_t bytes[4]);
    std::vector<uint8_t>& GetData() { return _data; }
    const std::vector<uint8_t>& GetData() const { return _data; }

    uint8_t GetMpegVersion() const { return Field(19, 3); }
    uint8_t GetLayer() const { return Field(17, 3); }
    uint8_t GetProtectionBit() const { return Field(16, 1); }
    uint8_t GetBitrateIndex() const { return Field(12, 15); }
    uint8_t GetSamplingrateIndex() const { return Field(10, 3); }
    uint8_t GetPaddingBit() const { return Field(9, 1); }
    uint8_t GetPaddingLength() const { return GetPaddingBit(); }
    uint8_t GetChannelMode() const { return Field(6, 3); }
    uint8_t GetModeExtension() const { return Field(4, 3); }
    uint8_t GetCopyrightBit() const { return Field(3, 1); }
    uint8_t GetOriginalBit() const { return Field(2, 1); }
    uint8_t GetEmphasis() const { return Field(0, 3); }

    // Bits per second; 0 for the free and forbidden indexes and the reserved version.
    uint32_t GetBitrate() const;
    // Hertz; 0 for the reserved sampling-rate index or version.
    uint32_t GetSamplingrate() const;
    // The frame's length without its four header bytes; 0 when the header gives no rate or
    // describes a frame too short to hold its header.
    uint32_t GetSampleSize() const;
    // Samples per frame: 1152 for MPEG 1, 576 for MPEG 2 and 2.5.
    uint32_t GetDecodedFrameSize() const;
    // A Layer III header with a known version, bit rate and sampling rate. The sync bits
    // are the caller's to find.
    bool IsValidHeader() const;

private:
    uint8_t Field(int shift, uint32_t mask) const {
        return static_cast<uint8_t>((_header >> shift) & mask);
    }

    uint32_t _header = 0;
    std::vector<uint8_t> _data;
};

} // namespace ravuz
