#include "media/watermark/watermark_blend.h"

#include <algorithm>

#include "media/image/image_size.h"
#include "media/image/resample.h"

namespace {

// k / 255.0 for every product of two bytes: the blend's two terms become look-ups that give
// the very doubles that the divisions give.
const double* Quotients() {
    static const std::vector<double> table = [] {
        std::vector<double> t(255 * 255 + 1);
        for (std::size_t k = 0; k < t.size(); ++k)
            t[k] = double(k) / 255.0;
        return t;
    }();
    return table.data();
}

inline void BlendPixel(uint8_t* f, const uint8_t* m, int32_t a, const double* q) {
    if (a <= 0)
        return;
    if (a >= 255) {
        f[0] = m[0], f[1] = m[1], f[2] = m[2];
        return;
    }
    const int32_t rest = 255 - a;
    for (int c = 0; c < 3; ++c)
        f[c] = uint8_t(q[m[c] * a] + q[f[c] * rest]);
}

} // namespace

void BK_BlendWatermarkRow(uint8_t* frame, int32_t frameStep, const uint8_t* mark,
                          const uint8_t* map, int32_t count, int32_t alpha) {
    const double* q = Quotients();
    alpha = std::clamp(alpha, 0, 255);
    if (!map) {
        for (int32_t i = 0; i < count; ++i, frame += frameStep, mark += 3)
            BlendPixel(frame, mark, alpha, q);
        return;
    }
    for (int32_t i = 0; i < count; ++i, frame += frameStep, mark += 3)
        BlendPixel(frame, mark, map[i] + alpha - 255, q);
}

void BK_BuildWatermarkMask(const CBK_Image& source, uint32_t color, std::vector<uint8_t>& mask) {
    mask.clear();
    if (source.IsEmpty() || source.GetBitsPerPixel() != 24)
        return;
    const uint8_t r = uint8_t(color), g = uint8_t(color >> 8), b = uint8_t(color >> 16);
    const std::size_t count = std::size_t(source.GetWidth()) * std::size_t(source.GetHeight());
    mask.resize(count);
    const uint8_t* p = source.GetData();
    for (std::size_t i = 0; i < count; ++i, p += 3)
        mask[i] = p[0] == r && p[1] == g && p[2] == b ? 0 : 255;
}

void BK_ResizeWatermarkMask(const std::vector<uint8_t>& mask, int32_t maskWidth, int32_t maskHeight,
                            int32_t width, int32_t height, std::vector<uint8_t>& map) {
    if (mask.empty() || mask.size() != std::size_t(maskWidth) * std::size_t(maskHeight))
        return;
    if (width == maskWidth && height == maskHeight) {
        map.assign(mask.begin(), mask.end());
        return;
    }
    std::size_t count;
    if (!BK_ImageByteSize(width, height, 1, count) || count == 0)
        return;
    // One channel: three equal bytes a pixel would each be filtered to the same value.
    map.resize(count);
    if (!BK_ResizeChannelsInto(mask.data(), maskWidth, maskHeight, width, height, 1, map.data()))
        map.clear(); // out of memory: no map rather than a wrong one
}

void BK_BuildWatermarkAlphaMap(const CBK_Image& source, uint32_t color, int32_t width,
                               int32_t height, std::vector<uint8_t>& map) {
    std::vector<uint8_t> mask;
    BK_BuildWatermarkMask(source, color, mask);
    BK_ResizeWatermarkMask(mask, source.GetWidth(), source.GetHeight(), width, height, map);
}
