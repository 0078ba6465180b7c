// CBK_SwfHeader: the file header of a SWF movie: signature, version, file length, frame
// rectangle, frame rate and frame count.
#pragma once

#include <cstdint>

#include "swf/records/rect.h"

namespace ravuz {

class CBK_SwfHeader : public CBK_SwfObj {
public:
    // The largest frame count the header can hold.
    static constexpr uint32_t kMaxFrameCount = 0xFFFF;
    // Whether the header's 32-bit length field can describe a movie of `size` bytes; every
    // writer refuses a larger movie rather than write a wrong length.
    static constexpr bool FitsFileSize(uint64_t size) { return size <= UINT32_MAX; }

    CBK_SwfHeader() = default;

    // Corners in twips.
    void Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate, uint8_t version);
    // The rectangle (0, 0, width, height) in twips.
    void Create(int32_t width, int32_t height, float rate, uint16_t frames, uint8_t version);
    void Destroy() {}

    void SetFrameRate(float rate) { _frameRate = rate; }
    // Counts beyond what the field holds are kept at its largest value.
    void SetFrameCount(uint32_t frames);
    void SetFileSize(uint32_t size) { _fileLength = size; }
    void SetVersion(uint8_t version) { _version = version; }

    float GetFrameRate() const { return _frameRate; }
    uint16_t GetFrameCount() const { return _frameCount; }
    uint32_t GetFileSize() const { return _fileLength; }
    uint8_t GetVersion() const { return _version; }
    const CBK_SwfRect& GetRect() const { return _rect; }

    int32_t GetWidth() const { return _rect.GetWidth(); }
    int32_t GetHeight() const { return _rect.GetHeight(); }
    int32_t GetWidthPixels() const { return GetWidth() / 20; }
    int32_t GetHeightPixels() const { return GetHeight() / 20; }
    // Sizes that would pass the 32-bit range are held to it.
    void SetWidth(int32_t width) { _rect.xmax = Sum(_rect.xmin, width); }
    void SetHeight(int32_t height) { _rect.ymax = Sum(_rect.ymin, height); }
    void SetWidthPixels(int32_t pixels) { SetWidth(Twips(pixels)); }
    void SetHeightPixels(int32_t pixels) { SetHeight(Twips(pixels)); }

    // "FWS", version, length, rectangle, rate and frame count; returns the bytes added.
    uint32_t Write(CBK_SwfStream* stream) override;
    using CBK_SwfObj::Read;
    // With `checkSignature` the reader stands at "FWS" (0 at the first byte that differs);
    // without, at the length field, and the version stays. Returns the bytes consumed.
    uint32_t Read(CBK_SwfReader* reader, bool checkSignature);

    // The rate as the header's 8.8 fixed-point value (held to 0 .. 255 + 255/256), and back.
    static uint16_t EncodeFrameRate(float rate);
    static float DecodeFrameRate(uint16_t value) {
        return float(value >> 8) + float(value & 0xFF) / 256.0f;
    }

private:
    static int32_t Sum(int32_t a, int32_t b);
    static int32_t Twips(int32_t pixels);

    float _frameRate = 12.0f;
    uint16_t _frameCount = 0;
    uint32_t _fileLength = 0;
    CBK_SwfRect _rect;
    uint8_t _version = 4;
};

} // namespace ravuz
