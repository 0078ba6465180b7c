// CBK_ImageJpg: JPEG compression of 24-bit pixels and decoding into an image, over libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/image/image.h"

// The quality of WriteFromBuffer; SetQuality sets it too.
extern int32_t gBK_JpegQuality;

class CBK_ImageJpg : public CBK_Image {
public:
    CBK_ImageJpg() = default;

    // Held to 0 to 100; also sets gBK_JpegQuality.
    void SetQuality(int32_t quality);
    int32_t GetQuality() const { return _quality; }

    // Compresses width × height packed red-green-blue pixels, top row first, at the object's
    // quality into the image's own buffer: GetData() then holds GetCompressedSize() bytes of
    // JPEG. The width, height and depth fields are left as they were. False (no buffer) for
    // missing pixels, a size JPEG cannot hold, or no memory.
    bool CreateFromBuffer(uint32_t width, uint32_t height, uint16_t bitsPerPixel,
                          const uint8_t* pixels);
    uint32_t GetCompressedSize() const { return _compressedSize; }

    // Writes the pixels as a JPEG file at gBK_JpegQuality, replacing the file only once it is
    // complete. The depth and palette are not consulted.
    static bool WriteFromBuffer(uint32_t width, uint32_t height, uint16_t bitsPerPixel,
                                const uint8_t* pixels, CBK_Path& path, const void* palette,
                                int32_t paletteSize);

    // Decodes a JPEG file or memory buffer into 24-bit red-green-blue pixels (grey pictures
    // too; CMYK and YCCK pictures, their inks inverted as Adobe writes them, are converted).
    // False, the image unchanged, for data that is truncated, corrupt, or larger than an image
    // may be.
    bool Read(CBK_Path& path) override;
    bool Read(const uint8_t* bytes, std::size_t size);

    // The JPEG stream in a buffer: from the first start-of-image marker whose segments lead,
    // by their lengths, through the scans to an end-of-image marker (junk before it is
    // skipped). Null when there is none; `length` receives its size through the end marker.
    static const uint8_t* IsValidJpeg(const uint8_t* bytes, std::size_t size, std::size_t* length);

private:
    uint32_t _compressedSize = 0;
    int32_t _quality = 80;
};
