#include "media/watermark/watermark_blend.h"

#include <algorithm>

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

void BK_BuildWatermarkAlphaMap(const CBK_Image& source, uint32_t color, int32_t width,
                               int32_t height, std::vector<uint8_t>& map) {
    CBK_Image mask;
    if (source.IsEmpty() || source.GetBitsPerPixel() != 24 || !mask.Copy(source))
        return;
    const uint8_t r = uint8_t(color), g = uint8_t(color >> 8), b = uint8_t(color >> 16);
    uint8_t* p = mask.GetData();
    for (std::size_t i = 0, n = std::size_t(mask.GetWidth()) * mask.GetHeight(); i < n;
         ++i, p += 3) {
        const uint8_t v = p[0] == r && p[1] == g && p[2] == b ? 0 : 255;
        p[0] = p[1] = p[2] = v;
    }
    mask.Resize(width, height);
    const std::size_t count = std::size_t(mask.GetWidth()) * mask.GetHeight();
    map.resize(count);
    const uint8_t* in = mask.GetData();
    for (std::size_t i = 0; i < count; ++i, in += 3)
        map[i] = *in;
}
