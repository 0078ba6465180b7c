#include "media/filters/deinterlace_filter.h"

#include <algorithm>
#include <new>

namespace {

bool Deinterlaceable(const CBK_Image& image, int32_t& step) {
    step = image.GetBitsPerPixel() / 8;
    return (step == 3 || step == 4) && image.GetData() && image.GetWidth() > 0 &&
           image.GetHeight() > 0 &&
           image.GetSize() >= std::size_t(image.GetWidth()) * image.GetHeight() * step;
}

} // namespace

std::unique_ptr<uint8_t[]> CBK_ImageFilterDeinterlace::_MakeCombingMap(CBK_Image& image) {
    int32_t step;
    if (!Deinterlaceable(image, step))
        return nullptr;
    const int32_t w = image.GetWidth(), h = image.GetHeight();
    std::unique_ptr<uint8_t[]> map(new (std::nothrow) uint8_t[std::size_t(w) * h]());
    if (!map)
        return nullptr;
    const std::size_t row = std::size_t(w) * step;
    const int64_t threshold = m_nThreshold;
    for (int32_t y = 1; y + 1 < h; y += 2) {
        const uint8_t* c = image.GetData() + y * row;
        const uint8_t* a = c - row;
        const uint8_t* b = c + row;
        uint8_t* cell = map.get() + std::size_t(y) * w;
        for (int32_t x = 0; x < w; ++x, a += step, b += step, c += step) {
            const int32_t d = (a[0] - c[0]) * (b[0] - c[0]) + 6 * (a[1] - c[1]) * (b[1] - c[1]) +
                              3 * (a[2] - c[2]) * (b[2] - c[2]);
            cell[x] = d > threshold;
        }
    }
    return map;
}

void CBK_ImageFilterDeinterlace::_RemoveNoise(CBK_Image& image, uint8_t* map) {
    const int32_t w = image.GetWidth(), h = image.GetHeight();
    if (!map || w <= 0 || h <= 0)
        return;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t& cell = map[std::size_t(y) * w + x];
            if (!cell)
                continue;
            int32_t sum = 0;
            for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, h - 1); ++j)
                for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, w - 1); ++i)
                    sum += map[std::size_t(j) * w + i];
            cell = sum > 1;
        }
}

bool CBK_ImageFilterDeinterlace::Filter(CBK_Image& image) {
    int32_t step;
    if (!Deinterlaceable(image, step))
        return image.IsEmpty();
    std::unique_ptr<uint8_t[]> map = _MakeCombingMap(image);
    if (!map)
        return false;
    _RemoveNoise(image, map.get());
    // Only odd rows change and each reads its neighbouring even rows, which stay as they
    // are, so the image itself serves as the copy.
    const int32_t w = image.GetWidth(), h = image.GetHeight();
    const std::size_t row = std::size_t(w) * step;
    for (int32_t y = 1; y + 1 < h; y += 2) {
        uint8_t* c = image.GetData() + y * row;
        const uint8_t* cell = map.get() + std::size_t(y) * w;
        for (int32_t x = 0; x < w; ++x)
            if (cell[x])
                for (int32_t k = 0; k < step; ++k) {
                    const std::size_t i = std::size_t(x) * step + k;
                    c[i] = uint8_t((c[i - row] + c[i + row]) >> 1);
                }
    }
    return true;
}
