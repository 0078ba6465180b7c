// CBK_Image: the one raster type: an owned buffer of packed, top-down rows.
//
// 24-bit pixels are the bytes red, green, blue; 32-bit pixels red, green, blue, alpha (255
// opaque). A colour given as a number is 0x00BBGGRR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/paths/path.h"
#include "platform/quickdraw/qd_types.h"

class CBK_Image {
public:
    CBK_Image() = default;
    CBK_Image(const CBK_Image& other);
    CBK_Image& operator=(const CBK_Image& other);
    virtual ~CBK_Image();

    // Frees the pixels; width, height and bits per pixel stay.
    virtual void Destroy();
    // Reads a picture file; the base reads nothing.
    virtual bool Read(CBK_Path& path);

    // size = width × height × (bits per pixel / 8). Null pixels: a new buffer, contents
    // undefined. Pixels with copy: a copy of size bytes. Pixels without copy: the buffer
    // (allocated with new[]) is adopted. False, leaving the image empty, when the size is
    // beyond kBK_MaxImageBytes or cannot be allocated (an adopted buffer is then freed).
    bool Create(uint32_t width, uint32_t height, uint16_t bitsPerPixel, uint8_t* pixels, bool copy);
    // A 24-bit image of a 32-bit port's pixels (bytes 1, 2, 3 of each). False, changing
    // nothing, for a port without a 32-bit pixel map.
    bool Create(tbx::GrafPtr& port);
    // Keeps the buffer when it holds width × height pixels, else makes a new one (contents
    // undefined). False, changing nothing, when the size is beyond the cap or not to be had.
    bool SetDimensions(int32_t width, int32_t height);

    // The address of pixel (x, y); no bounds check.
    uint8_t* GetDataAt(int32_t x, int32_t y);

    void Fill(uint32_t color);
    // Resamples to the new size; nothing for an empty image, the same size, or a size that
    // the resampler refuses.
    void Resize(int32_t width, int32_t height);
    // This image becomes `source` resampled to the size (a copy at the source's own size), so
    // that repeated size changes each start from the same pixels. Nothing changes for an empty
    // source or a size or depth that Resize refuses.
    void ResizeFrom(const CBK_Image& source, int32_t width, int32_t height);
    void FlipVertical();
    void FlipHorizontal();
    // 0, ±90, ±180, ±270 degrees; any other angle leaves the image.
    void Rotate90(int32_t angle);
    // Any whole number of degrees about the picture's centre, each pixel placed at the nearest
    // target pixel; target pixels that none reaches are zero. The dimensions swap for ±90 and
    // ±270.
    void Rotate2(int32_t angle);
    // A deep copy; copying an image onto itself does nothing.
    bool Copy(const CBK_Image& source);

    // Into a 32-bit port with the image's top-left pixel at column x, row y of the port's
    // pixel map; the part outside the port is not drawn.
    void Draw(tbx::GrafPtr& port, int32_t x, int32_t y);
    // Into an image of the same depth at (x, y); the part outside the target is not drawn.
    void Draw(CBK_Image& target, int32_t x, int32_t y);

    int32_t GetWidth() const { return _width; }
    int32_t GetHeight() const { return _height; }
    uint16_t GetBitsPerPixel() const { return _bitsPerPixel; }
    std::size_t GetSize() const { return _size; }
    uint8_t* GetData() { return _data.get(); }
    const uint8_t* GetData() const { return _data.get(); }
    bool IsEmpty() const { return !_data; }

protected:
    // True with the byte count of the pixels when the buffer holds every pixel that the
    // dimensions describe (and there is at least one).
    bool _HasPixels(std::size_t& bytes) const;
    // A buffer of `bytes` bytes, the spare one when it has that size; null when none can be had.
    std::unique_ptr<uint8_t[]> _TakeBuffer(std::size_t bytes);
    // The spare buffer, of whatever size (`bytes`); null when there is none.
    std::unique_ptr<uint8_t[]> _TakeSpare(std::size_t& bytes);
    // Keeps a replaced buffer as the spare.
    void _Retire(std::unique_ptr<uint8_t[]> buffer, std::size_t bytes);
    // Takes a buffer of `size` bytes as the pixels of a width × height image, freeing the old.
    void _Adopt(std::unique_ptr<uint8_t[]> data, std::size_t size, int32_t width, int32_t height,
                uint16_t bitsPerPixel);

    std::size_t _size = 0;
    int32_t _width = 0;
    int32_t _height = 0;
    uint16_t _bitsPerPixel = 0;
    std::unique_ptr<uint8_t[]> _data;

private:
    // The buffer that the last Resize or JPEG read replaced, reused by the next so that
    // resampling or decoding frame after frame allocates nothing.
    std::unique_ptr<uint8_t[]> _spare;
    std::size_t _spareSize = 0;
};

// Blends the source into the target, each byte becoming
// truncate(target × alpha / 255 + source × (255 − alpha) / 255). Both images must have the
// same width, height and depth (24 or 32; the alpha byte of 32-bit pixels stays), else
// nothing happens and the answer is false. Alpha is held to 0 to 255.
bool BK_AlphaBlendImage(CBK_Image& target, const CBK_Image& source, int32_t alpha);
