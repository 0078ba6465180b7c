// CBK_FlvHeader: the nine bytes that open an FLV file.
#pragma once

#include <cstdint>

class CBK_BitReader;
class CBK_FlvStream;

class CBK_FlvHeader {
public:
    CBK_FlvHeader() { Reset(); }
    // "FLV", version 1, no streams, header size 9.
    void Reset();

    void HasAudio(bool has);
    bool HasAudio() const { return (_flags & kAudio) != 0; }
    void HasVideo(bool has);
    bool HasVideo() const { return (_flags & kVideo) != 0; }
    void SetVersion(uint8_t version) { _version = version; }
    uint8_t GetVersion() const { return _version; }
    bool IsValidFlv() const;

    // Byte counts.
    uint32_t Write(CBK_FlvStream* stream) const;
    uint32_t Read(CBK_BitReader* reader);

private:
    static constexpr uint8_t kAudio = 0x04;
    static constexpr uint8_t kVideo = 0x01;

    uint8_t _signature[3];
    uint8_t _version;
    uint8_t _flags;
    uint32_t _headerSize;
};
