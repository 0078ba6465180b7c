#include "media/image/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "media/image/image_size.h"
#include "media/image/resample.h"
#include "platform/quickdraw/offscreen.h"

namespace {

constexpr double _cDegreeToRadianFactor = 3.14159265358979323846 / 180.0;

std::unique_ptr<uint8_t[]> Allocate(std::size_t bytes) {
    // Cleared, so that a caller that reads before writing sees the same bytes on every run.
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes ? bytes : 1]());
}

} // namespace

CBK_Image::CBK_Image(const CBK_Image& other) {
    Copy(other);
}

CBK_Image& CBK_Image::operator=(const CBK_Image& other) {
    Copy(other);
    return *this;
}

CBK_Image::~CBK_Image() {
    CBK_Image::Destroy();
}

void CBK_Image::Destroy() {
    _data.reset();
    _size = 0;
    _spare.reset();
    _spareSize = 0;
}

bool CBK_Image::Read(CBK_Path&) {
    return false;
}

bool CBK_Image::_HasPixels(std::size_t& bytes) const {
    if (!_data || _bitsPerPixel < 8)
        return false;
    if (!BK_ImageByteSize(_width, _height, _bitsPerPixel / 8u, bytes))
        return false;
    return bytes > 0 && bytes <= _size;
}

std::unique_ptr<uint8_t[]> CBK_Image::_TakeBuffer(std::size_t bytes) {
    if (_spare && _spareSize == bytes) {
        _spareSize = 0;
        return std::move(_spare);
    }
    return Allocate(bytes);
}

std::unique_ptr<uint8_t[]> CBK_Image::_TakeSpare(std::size_t& bytes) {
    bytes = _spareSize;
    _spareSize = 0;
    return std::move(_spare);
}

void CBK_Image::_Retire(std::unique_ptr<uint8_t[]> buffer, std::size_t bytes) {
    if (!buffer)
        return;
    _spare = std::move(buffer);
    _spareSize = bytes;
}

void CBK_Image::_Adopt(std::unique_ptr<uint8_t[]> data, std::size_t size, int32_t width,
                       int32_t height, uint16_t bitsPerPixel) {
    _data = std::move(data);
    _size = _data ? size : 0;
    _width = width;
    _height = height;
    _bitsPerPixel = bitsPerPixel;
}

bool CBK_Image::Create(uint32_t width, uint32_t height, uint16_t bitsPerPixel, uint8_t* pixels,
                       bool copy) {
    std::size_t bytes = 0;
    const bool fits = width <= INT32_MAX && height <= INT32_MAX &&
                      BK_ImageByteSize(width, height, bitsPerPixel / 8u, bytes);

    // The old buffers outlive the copy, as the pixels may be their own; one of the right size
    // is reused, and the other kept as the spare.
    std::unique_ptr<uint8_t[]> oldData = std::move(_data), oldSpare = std::move(_spare);
    const std::size_t oldSize = _size, oldSpareSize = _spareSize;
    std::unique_ptr<uint8_t[]> adopted(pixels && !copy ? pixels : nullptr);
    if (adopted && adopted.get() == oldData.get())
        oldData.release();
    if (adopted && adopted.get() == oldSpare.get())
        oldSpare.release();
    Destroy();
    _bitsPerPixel = bitsPerPixel;
    _width = 0;
    _height = 0;
    if (!fits)
        return false;

    std::unique_ptr<uint8_t[]> data;
    if (adopted) {
        data = std::move(adopted);
    } else if (bytes > 0) {
        if (oldData && oldSize == bytes) {
            data = std::move(oldData);
        } else if (oldSpare && oldSpareSize == bytes) {
            data = std::move(oldSpare);
        } else if (!(data = Allocate(bytes))) {
            return false;
        }
        if (pixels && pixels != data.get())
            std::memmove(data.get(), pixels, bytes);
    }
    if (oldData)
        _Retire(std::move(oldData), oldSize);
    else if (oldSpare)
        _Retire(std::move(oldSpare), oldSpareSize);
    _data = std::move(data);
    _size = _data ? bytes : 0;
    _width = int32_t(width);
    _height = int32_t(height);
    return true;
}

bool CBK_Image::Create(tbx::GrafPtr& port) {
    tbx::PixMapHandle pixMap = tbx::GetGWorldPixMap(port);
    if (!pixMap || tbx::GetPixDepth(pixMap) != 32)
        return false;
    tbx::Rect bounds;
    tbx::GetPortBounds(port, &bounds);
    const int32_t width = bounds.right - bounds.left;
    const int32_t height = bounds.bottom - bounds.top;
    std::size_t bytes;
    if (!BK_ImageByteSize(width, height, 3, bytes))
        return false;
    std::unique_ptr<uint8_t[]> data;
    if (_data && _size == bytes)
        data = std::move(_data);
    else if (!(data = _TakeBuffer(bytes)))
        return false;
    if (_data)
        _Retire(std::move(_data), _size);

    tbx::LockPixels(pixMap);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(pixMap));
    const std::size_t rowBytes = std::size_t(tbx::GetPixRowBytes(pixMap));
    uint8_t* out = data.get();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = base + std::size_t(y) * rowBytes;
        for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[1];
            out[1] = in[2];
            out[2] = in[3];
        }
    }
    tbx::UnlockPixels(pixMap);

    _data = std::move(data);
    _size = bytes;
    _width = width;
    _height = height;
    _bitsPerPixel = 24;
    return true;
}

bool CBK_Image::SetDimensions(int32_t width, int32_t height) {
    std::size_t bytes;
    if (!BK_ImageByteSize(width, height, _bitsPerPixel / 8u, bytes))
        return false;
    if (bytes > _size || (!_data && bytes > 0)) {
        std::unique_ptr<uint8_t[]> data = Allocate(bytes);
        if (!data)
            return false;
        _data = std::move(data);
        _size = bytes;
    }
    _width = width;
    _height = height;
    return true;
}

uint8_t* CBK_Image::GetDataAt(int32_t x, int32_t y) {
    return _data.get() + (std::ptrdiff_t(y) * _width + x) * std::ptrdiff_t(_bitsPerPixel / 8);
}

void CBK_Image::Fill(uint32_t color) {
    std::size_t bytes;
    if ((_bitsPerPixel != 24 && _bitsPerPixel != 32) || !_HasPixels(bytes))
        return;
    const uint8_t pixel[4] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), 255};
    const std::size_t step = _bitsPerPixel / 8u;
    uint8_t* p = _data.get();
    for (std::size_t i = 0; i < bytes; i += step)
        std::memcpy(p + i, pixel, step);
}

void CBK_Image::Resize(int32_t width, int32_t height) {
    if (width != _width || height != _height)
        ResizeFrom(*this, width, height);
}

void CBK_Image::ResizeFrom(const CBK_Image& source, int32_t width, int32_t height) {
    std::size_t bytes, target;
    if (!source._HasPixels(bytes))
        return;
    if (width == source._width && height == source._height) {
        Copy(source);
        return;
    }
    // The resampler reads three bytes a pixel at 24 bits and four at any other depth: only
    // the depths whose pixels are that wide can be resampled.
    const uint16_t depth = source._bitsPerPixel;
    if (depth != 24 && depth != 32)
        return;
    if (width <= 0 || height <= 0 || !BK_ImageByteSize(width, height, depth / 8u, target))
        return;
    std::unique_ptr<uint8_t[]> out = _TakeBuffer(target);
    if (!out)
        return;
    if (!BK_ResizeImageInto(source._data.get(), source._width, source._height, width, height, depth,
                            out.get())) {
        _Retire(std::move(out), target);
        return;
    }
    if (_data)
        _Retire(std::move(_data), _size);
    _data = std::move(out);
    _size = target;
    _width = width;
    _height = height;
    _bitsPerPixel = depth;
}

void CBK_Image::FlipVertical() {
    std::size_t bytes;
    if (!_HasPixels(bytes))
        return;
    // In place: the same rows in reverse order as a fresh buffer would receive them.
    const std::size_t rowBytes = std::size_t(_width) * (_bitsPerPixel / 8u);
    uint8_t* top = _data.get();
    uint8_t* bottom = top + std::size_t(_height - 1) * rowBytes;
    for (; top < bottom; top += rowBytes, bottom -= rowBytes)
        std::swap_ranges(top, top + rowBytes, bottom);
}

void CBK_Image::FlipHorizontal() {
    std::size_t bytes;
    if (!_HasPixels(bytes))
        return;
    const std::size_t step = _bitsPerPixel / 8u;
    const std::size_t rowBytes = std::size_t(_width) * step;
    for (int32_t y = 0; y < _height; ++y) {
        uint8_t* left = _data.get() + std::size_t(y) * rowBytes;
        uint8_t* right = left + rowBytes - step;
        for (; left < right; left += step, right -= step)
            std::swap_ranges(left, left + step, right);
    }
}

void CBK_Image::Rotate90(int32_t angle) {
    std::size_t bytes;
    if (angle == 0 || (_bitsPerPixel != 24 && _bitsPerPixel != 32) || !_HasPixels(bytes))
        return;
    const bool clockwise = angle == 90 || angle == -270;
    const bool half = angle == 180 || angle == -180;
    const bool counter = angle == 270 || angle == -90;
    if (!clockwise && !half && !counter)
        return;
    std::unique_ptr<uint8_t[]> out = _TakeBuffer(bytes);
    if (!out)
        return;
    const std::size_t step = _bitsPerPixel / 8u;
    const int32_t w = _width, h = _height;
    const int32_t newWidth = half ? w : h;
    const int32_t newHeight = half ? h : w;
    const uint8_t* in = _data.get();
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c, in += step) {
            int32_t x, y;
            if (clockwise) {
                x = newWidth - 1 - r;
                y = c;
            } else if (half) {
                x = w - 1 - c;
                y = h - 1 - r;
            } else {
                x = r;
                y = newHeight - 1 - c;
            }
            std::memcpy(out.get() +
                            (std::size_t(y) * std::size_t(newWidth) + std::size_t(x)) * step,
                        in, step);
        }
    _Retire(std::move(_data), _size);
    _data = std::move(out);
    _size = bytes;
    _width = newWidth;
    _height = newHeight;
}

void CBK_Image::Rotate2(int32_t angle) {
    std::size_t bytes;
    if (angle == 0 || !_HasPixels(bytes))
        return;
    const int32_t w = _width, h = _height;
    const bool swap = angle == 90 || angle == 270 || angle == -90 || angle == -270;
    const int32_t W = swap ? h : w;
    const int32_t H = swap ? w : h;
    // Cleared, so that target pixels that no source pixel reaches are black.
    std::unique_ptr<uint8_t[]> out = Allocate(bytes);
    if (!out)
        return;
    const std::size_t step = _bitsPerPixel / 8u;
    const float theta = float(double(angle) * _cDegreeToRadianFactor);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    // About the true centres of both pictures, rounding to the nearest pixel, so that right
    // angles and whole turns move every pixel exactly.
    const double cx = (w - 1) * 0.5, cy = (h - 1) * 0.5;
    const double targetX = (W - 1) * 0.5 + 0.5, targetY = (H - 1) * 0.5 + 0.5;
    const uint8_t* in = _data.get();
    for (int32_t j = 0; j < h; ++j) {
        const double dy = j - cy;
        for (int32_t i = 0; i < w; ++i, in += step) {
            const double dx = i - cx;
            const double X = std::floor(c * dx - s * dy + targetX);
            const double Y = std::floor(s * dx + c * dy + targetY);
            if (X >= 0 && X < W && Y >= 0 && Y < H)
                std::memcpy(out.get() + (std::size_t(Y) * std::size_t(W) + std::size_t(X)) * step,
                            in, step);
        }
    }
    _Retire(std::move(_data), _size);
    _data = std::move(out);
    _size = bytes;
    _width = W;
    _height = H;
}

bool CBK_Image::Copy(const CBK_Image& source) {
    if (&source == this)
        return true;
    std::size_t bytes;
    if (!source._HasPixels(bytes)) {
        // Nothing to copy from: an empty image of the same dimensions.
        Destroy();
        _width = source._width;
        _height = source._height;
        _bitsPerPixel = source._bitsPerPixel;
        return true;
    }
    return Create(uint32_t(source._width), uint32_t(source._height), source._bitsPerPixel,
                  source._data.get(), true);
}

void CBK_Image::Draw(tbx::GrafPtr& port, int32_t x, int32_t y) {
    tbx::PixMapHandle pixMap = tbx::GetGWorldPixMap(port);
    std::size_t bytes;
    if (!pixMap || tbx::GetPixDepth(pixMap) != 32 || !_HasPixels(bytes) ||
        (_bitsPerPixel != 24 && _bitsPerPixel != 32))
        return;
    tbx::LockPixels(pixMap);
    tbx::Rect bounds;
    tbx::GetPortBounds(port, &bounds);
    const int64_t portWidth = bounds.right - bounds.left;
    const int64_t portHeight = bounds.bottom - bounds.top;
    // Only the part of the image that lands inside the port.
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t(x));
    const int64_t firstRow = std::max<int64_t>(0, -int64_t(y));
    const int64_t endColumn = std::min<int64_t>(_width, portWidth - x);
    const int64_t endRow = std::min<int64_t>(_height, portHeight - y);
    uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(pixMap));
    const std::size_t rowBytes = std::size_t(tbx::GetPixRowBytes(pixMap));
    const std::size_t step = _bitsPerPixel / 8u;
    for (int64_t r = firstRow; r < endRow; ++r) {
        uint8_t* out = base + std::size_t(y + r) * rowBytes + std::size_t(x + firstColumn) * 4;
        const uint8_t* in =
            _data.get() + (std::size_t(r) * std::size_t(_width) + std::size_t(firstColumn)) * step;
        for (int64_t c = firstColumn; c < endColumn; ++c, out += 4, in += step) {
            out[0] = step == 4 ? in[3] : 255;
            out[1] = in[0];
            out[2] = in[1];
            out[3] = in[2];
        }
    }
    tbx::UnlockPixels(pixMap);
}

void CBK_Image::Draw(CBK_Image& target, int32_t x, int32_t y) {
    std::size_t bytes, targetBytes;
    if (&target == this || !_HasPixels(bytes) || !target._HasPixels(targetBytes) ||
        target._bitsPerPixel != _bitsPerPixel)
        return;
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t(x));
    const int64_t firstRow = std::max<int64_t>(0, -int64_t(y));
    const int64_t endColumn = std::min<int64_t>(_width, int64_t(target._width) - x);
    const int64_t endRow = std::min<int64_t>(_height, int64_t(target._height) - y);
    if (endColumn <= firstColumn)
        return;
    const std::size_t step = _bitsPerPixel / 8u;
    const std::size_t span = std::size_t(endColumn - firstColumn) * step;
    for (int64_t r = firstRow; r < endRow; ++r) {
        const uint8_t* in =
            _data.get() + (std::size_t(r) * std::size_t(_width) + std::size_t(firstColumn)) * step;
        uint8_t* out =
            target._data.get() +
            (std::size_t(y + r) * std::size_t(target._width) + std::size_t(x + firstColumn)) * step;
        std::memcpy(out, in, span);
    }
}

bool BK_AlphaBlendImage(CBK_Image& target, const CBK_Image& source, int32_t alpha) {
    const uint16_t bpp = target.GetBitsPerPixel();
    if ((bpp != 24 && bpp != 32) || source.GetBitsPerPixel() != bpp ||
        source.GetWidth() != target.GetWidth() || source.GetHeight() != target.GetHeight() ||
        !target.GetData() || !source.GetData())
        return false;
    std::size_t bytes;
    if (!BK_ImageByteSize(target.GetWidth(), target.GetHeight(), bpp / 8u, bytes) ||
        bytes > target.GetSize() || bytes > source.GetSize())
        return false;
    const uint32_t a = uint32_t(std::clamp<int32_t>(alpha, 0, 255));
    const uint32_t b = 255 - a;
    // trunc(t × a / 255.0 + s × (255 − a) / 255.0) equals (t × a + s × (255 − a)) / 255 for
    // every byte pair and alpha; the tests check all 256³ cases.
    uint8_t* t = target.GetData();
    const uint8_t* s = source.GetData();
    if (bpp == 24) {
        for (std::size_t i = 0; i < bytes; ++i)
            t[i] = uint8_t((t[i] * a + s[i] * b) / 255u);
    } else {
        for (std::size_t i = 0; i < bytes; i += 4)
            for (std::size_t k = 0; k < 3; ++k)
                t[i + k] = uint8_t((t[i + k] * a + s[i + k] * b) / 255u);
    }
    return true;
}
