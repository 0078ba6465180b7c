#include "media/watermark/watermark_blend.h"

#include <algorithm>
#include <vector>

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

void BK_BlendWatermarkRow(uint8_t* frame, const uint8_t* mark, const uint8_t* map, int32_t count,
                          int32_t alpha) {
    const double* q = Quotients();
    alpha = std::clamp(alpha, 0, 255);
    if (!map) {
        for (int32_t i = 0; i < count; ++i, frame += 3, mark += 3)
            BlendPixel(frame, mark, alpha, q);
        return;
    }
    for (int32_t i = 0; i < count; ++i, frame += 3, mark += 3)
        BlendPixel(frame, mark, map[i] + alpha - 255, q);
}
