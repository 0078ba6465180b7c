// CBK_ImagePng: PNG decoding into 24- or 32-bit images and PNG writing, over libpng.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/image/image.h"
#include "media/quantize/rgb_quad.h"
#include "platform/quickdraw/qd_types.h"

class CBK_ImagePng : public CBK_Image {
public:
    CBK_ImagePng() = default;
    ~CBK_ImagePng() override;

    // Frees the pixels, the background record and the alpha plane.
    void Destroy() override;

    // Decodes a whole PNG held in memory: palette, grey and 16-bit pictures come out as 8-bit
    // red-green-blue, with alpha (32 bits) when the picture has transparency and no background
    // colour to composite it onto. False for data that is truncated, corrupt or larger than an
    // image may be; the image then holds no pixels.
    bool Read(const uint8_t* bytes, std::size_t size);
    bool Read(CBK_Path& path) override;

    // The 32-bit port as an 8-bit RGB PNG. False for a dead or 1-bit port, or when the file
    // cannot be written; an existing file is replaced only by a complete one.
    static bool WriteFromPixmap(tbx::GrafPtr port, CBK_Path& path);
    // Palette indices (one byte a pixel, each below the palette size of 1 to 256 entries)
    // when a palette is given, else packed red-green-blue pixels. The depth is not consulted.
    static bool WriteFromBuffer(uint32_t width, uint32_t height, uint16_t bitsPerPixel,
                                const uint8_t* pixels, CBK_Path& path, const BK_RGBQUAD* palette,
                                int32_t paletteEntries);
    // A 24-bit image as an RGB PNG; false for other depths or an empty image.
    static bool WriteFromImage(const CBK_Image& image, CBK_Path& path);

    int32_t GetColorType() const { return _colorType; }
    int32_t GetInterlaceType() const { return _interlaceType; }
    int32_t GetCompressionType() const { return _compressionType; }
    int32_t GetFilterType() const { return _filterType; }
    int32_t GetChannels() const { return _channels; }
    // Red, green and blue of the file's background chunk as 8-bit values; null without one.
    const uint8_t* GetBackground() const { return _background.get(); }
    // One alpha byte per pixel for 32-bit pictures; null otherwise.
    const uint8_t* GetAlpha() const { return _alpha.get(); }

private:
    int32_t _colorType = 0;
    int32_t _interlaceType = 0;
    int32_t _compressionType = 0;
    int32_t _filterType = 0;
    int32_t _channels = 0;
    std::unique_ptr<uint8_t[]> _background;
    std::unique_ptr<uint8_t[]> _alpha;
};
