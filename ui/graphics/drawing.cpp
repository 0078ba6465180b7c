#include "ui/graphics/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"

namespace {

// A world's pixels, locked for the caller's lifetime.
class Pixels {
public:
    explicit Pixels(tbx::GWorldPtr world) : _map(tbx::GetGWorldPixMap(world)) {
        if (!_map || !tbx::LockPixels(_map) || tbx::GetPixDepth(_map) != 32) {
            _map = nullptr;
            return;
        }
        _base = reinterpret_cast<unsigned char*>(tbx::GetPixBaseAddr(_map));
        _rowBytes = tbx::GetPixRowBytes(_map);
        tbx::Rect bounds;
        tbx::GetPixBounds(_map, &bounds);
        _width = bounds.right - bounds.left;
        _height = bounds.bottom - bounds.top;
    }
    ~Pixels() {
        if (_map)
            tbx::UnlockPixels(_map);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;

    bool Valid() const { return _map && _base; }
    int32_t Width() const { return _width; }
    int32_t Height() const { return _height; }
    int32_t RowBytes() const { return _rowBytes; }
    unsigned char* At(int32_t x, int32_t y) const {
        return _base + std::size_t(y) * std::size_t(_rowBytes) + std::size_t(x) * 4;
    }

private:
    tbx::PixMapHandle _map = nullptr;
    unsigned char* _base = nullptr;
    int32_t _rowBytes = 0;
    int32_t _width = 0;
    int32_t _height = 0;
};

void Fill(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height,
          const unsigned char argb[4]) {
    if (!base || rowBytes <= 0 || width <= 0 || height <= 0)
        return;
    width = std::min(width, rowBytes / 4);
    for (int32_t y = 0; y < height; ++y) {
        unsigned char* row = base + std::size_t(y) * std::size_t(rowBytes);
        for (int32_t x = 0; x < width; ++x)
            std::memcpy(row + std::size_t(x) * 4, argb, 4);
    }
}

void FillWorld(tbx::GWorldPtr world, int32_t width, int32_t height, const unsigned char argb[4]) {
    Pixels pixels(world);
    if (!pixels.Valid())
        return;
    Fill(pixels.At(0, 0), pixels.RowBytes(), std::min(width, pixels.Width()),
         std::min(height, pixels.Height()), argb);
}

int32_t Extent(int a, int b, int32_t limit) {
    return std::clamp<int32_t>(b - a, 0, limit);
}

} // namespace

void BK_BitBltPixmapToPixmap(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::GWorldPtr dst,
                             tbx::Rect& dstRect) {
    tbx::CopyBits(tbx::GetPortBitMapForCopyBits(src), tbx::GetPortBitMapForCopyBits(dst), &srcRect,
                  &dstRect, tbx::srcCopy, nullptr);
}

void BK_StretchBltPixmapToPixmap(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::GWorldPtr dst,
                                 tbx::Rect& dstRect) {
    BK_BitBltPixmapToPixmap(src, srcRect, dst, dstRect);
}

void BK_BitBltPixmapToWindow(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::WindowRef window,
                             tbx::Rect& dstRect, tbx::RgnHandle mask) {
    tbx::CopyBits(tbx::GetPortBitMapForCopyBits(src),
                  tbx::GetPortBitMapForCopyBits(tbx::GetWindowPort(window)), &srcRect, &dstRect,
                  tbx::srcCopy, mask);
}

void BK_MaskBitBlt(tbx::GWorldPtr dst, tbx::Rect& dstRect, tbx::GWorldPtr src, tbx::Rect& srcRect,
                   tbx::GWorldPtr mask, tbx::Rect& maskRect) {
    tbx::CopyMask(tbx::GetPortBitMapForCopyBits(src), tbx::GetPortBitMapForCopyBits(mask),
                  tbx::GetPortBitMapForCopyBits(dst), &srcRect, &maskRect, &dstRect);
}

void BK_FastFill32Black(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height) {
    static const unsigned char kBlack[4] = {0, 0, 0, 0};
    Fill(base, rowBytes, width, height, kBlack);
}

void BK_FastFill32Black(tbx::GWorldPtr world, int32_t width, int32_t height) {
    static const unsigned char kBlack[4] = {0, 0, 0, 0};
    FillWorld(world, width, height, kBlack);
}

void BK_FastFill32White(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height) {
    static const unsigned char kWhite[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    Fill(base, rowBytes, width, height, kWhite);
}

void BK_FastFill32White(tbx::GWorldPtr world, int32_t width, int32_t height) {
    static const unsigned char kWhite[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    FillWorld(world, width, height, kWhite);
}

void BK_FastFill32Gray(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height,
                       unsigned char gray) {
    const unsigned char argb[4] = {0xFF, gray, gray, gray};
    Fill(base, rowBytes, width, height, argb);
}

void BK_FastFill32Gray(tbx::GWorldPtr world, int32_t width, int32_t height, unsigned char gray) {
    const unsigned char argb[4] = {0xFF, gray, gray, gray};
    FillWorld(world, width, height, argb);
}

void BK_BltRotate(tbx::GWorldPtr& src, tbx::Rect& srcRect, tbx::GWorldPtr& dst, tbx::Rect& dstRect,
                  double angle) {
    Pixels from(src), to(dst);
    if (!from.Valid() || !to.Valid())
        return;
    const int32_t w = Extent(srcRect.left, srcRect.right, from.Width());
    const int32_t h = Extent(srcRect.top, srcRect.bottom, from.Height());
    const int32_t W = Extent(dstRect.left, dstRect.right, to.Width());
    const int32_t H = Extent(dstRect.top, dstRect.bottom, to.Height());
    const float c = std::cos(static_cast<float>(angle));
    const float s = std::sin(static_cast<float>(angle));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const double dx = x - w / 2;
            const double dy = y - h / 2;
            const double fx = c * dx - s * dy + 0.5 + W / 2;
            const double fy = s * dx + c * dy + 0.5 + H / 2;
            if (!(fx > -1.0 && fx < W) || !(fy > -1.0 && fy < H))
                continue;
            const int32_t X = static_cast<int32_t>(fx);
            const int32_t Y = static_cast<int32_t>(fy);
            if (X >= 0 && X < W && Y >= 0 && Y < H)
                std::memcpy(to.At(X, Y), from.At(x, y), 4);
        }
    }
}

void BK_BltRotate90(tbx::GWorldPtr& src, tbx::Rect& srcRect, tbx::GWorldPtr& dst,
                    tbx::Rect& dstRect, int32_t degrees) {
    const int turn = degrees == 90 || degrees == -270    ? 1
                     : degrees == 180 || degrees == -180 ? 2
                     : degrees == 270 || degrees == -90  ? 3
                                                         : 0;
    if (!turn)
        return;
    Pixels from(src), to(dst);
    if (!from.Valid() || !to.Valid())
        return;
    const int32_t w = Extent(srcRect.left, srcRect.right, from.Width());
    const int32_t h = Extent(srcRect.top, srcRect.bottom, from.Height());
    const int32_t W = Extent(dstRect.left, dstRect.right, to.Width());
    const int32_t H = Extent(dstRect.top, dstRect.bottom, to.Height());
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            int32_t X, Y;
            if (turn == 1) {
                X = W - 1 - y;
                Y = x;
            } else if (turn == 2) {
                X = w - 1 - x;
                Y = h - 1 - y;
            } else {
                X = y;
                Y = H - 1 - x;
            }
            if (X >= 0 && X < W && Y >= 0 && Y < H)
                std::memcpy(to.At(X, Y), from.At(x, y), 4);
        }
    }
}

bool BK_SwapPort(tbx::WindowRef window, tbx::GrafPtr* saved) {
    return tbx::QDSwapPort(tbx::GetWindowPort(window), saved);
}

void BK_TrackMouseLocation(tbx::ControlRef control, tbx::Point* point, unsigned short* result) {
    tbx::MouseTrackingResult tracking = tbx::kMouseTrackingMouseUp;
    tbx::TrackMouseLocation(tbx::GetWindowPort(tbx::GetControlOwner(control)), point, &tracking);
    if (result)
        *result = tracking;
}
