// CBK_ImageBmp: Windows bitmap files read into 24-bit images, and written from a port or a
// pixel buffer.
#pragma once

#include <cstdint>

#include "media/image/image.h"
#include "media/quantize/rgb_quad.h"
#include "platform/quickdraw/qd_types.h"

class CBK_ImageBmp : public CBK_Image {
public:
    CBK_ImageBmp() = default;
    ~CBK_ImageBmp() override;

    // Frees the pixels and clears the width, height and depth.
    void Destroy() override;

    // A 24-bit, top-down image of the file's pixels (palette pictures through their palette).
    // False, the image unchanged, for a file that the reader refuses.
    bool Read(CBK_Path& path) override;
    bool Load(int32_t) { return true; }

    // The 32-bit port as a 24-bit bottom-up file. False for a dead or 1-bit port, or when the
    // file cannot be written; an existing file is replaced only by a complete one.
    static bool WriteFromPixmap(tbx::GrafPtr port, CBK_Path& path);
    // width × height packed top-down pixels of 8 bits (palette indices, with the palette
    // written before the rows), 24 bits (red, green, blue) or 32 bits (red, green, blue,
    // alpha), written bottom-up in the file's blue-green-red order. False for another depth,
    // a palette of more than 256 entries, or a failed write.
    static bool WriteFromBuffer(uint32_t width, uint32_t height, uint16_t bitsPerPixel,
                                const uint8_t* pixels, CBK_Path& path, const BK_RGBQUAD* palette,
                                int32_t paletteEntries);
};
