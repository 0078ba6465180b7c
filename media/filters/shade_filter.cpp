#include <algorithm>
#include <cmath>

#include "media/filters/pixel_routines.h"
#include "media/filters/relief_filters.h"

CBK_ImageFilter* CBK_ImageFilterShade::MakeCopy() {
    auto* copy = new CBK_ImageFilterShade;
    copy->m_bColorShading = m_bColorShading;
    copy->m_dAzimuth = m_dAzimuth;
    copy->m_dElevation = m_dElevation;
    return copy;
}

bool CBK_ImageFilterShade::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const float azimuth = float(m_dAzimuth * M_PI / 180.0);
    const float elevation = float(m_dElevation * M_PI / 180.0);
    const int32_t lx = int32_t(255.0f * std::cos(azimuth) * std::cos(elevation));
    const int32_t ly = int32_t(255.0f * std::sin(azimuth) * std::sin(elevation));
    const int32_t lz = int32_t(255.0f * std::sin(elevation));

    // The intensity plane once; the shading then reads only it and the middle row.
    const std::size_t n = std::size_t(w) * h;
    m_vIntensity.resize(n);
    const uint8_t* p = image.GetData();
    for (std::size_t i = 0; i < n; ++i, p += 3)
        m_vIntensity[i] = (9798 * p[0] + 19235 * p[1] + 3735 * p[2]) >> 15;
    if (m_bColorShading)
        m_vCopy.assign(image.GetData(), image.GetData() + n * 3);

    for (int32_t y = 0; y < h; ++y) {
        const int32_t top = std::max(0, std::min(y - 1, h - 3));
        auto row = [&](int32_t j) {
            return m_vIntensity.data() + std::size_t(std::min(top + j, h - 1)) * w;
        };
        const int32_t *s0 = row(0), *s2 = row(2);
        uint8_t* out = image.GetData() + std::size_t(y) * w * 3;
        // The copy is there only with colour shading: no offset is taken from an empty one.
        const uint8_t* middle = m_bColorShading
                                    ? m_vCopy.data() + std::size_t(std::min(top + 1, h - 1)) * w * 3
                                    : nullptr;
        const int32_t* s1 = row(1);
        for (int32_t x = 0; x < w; ++x) {
            const int32_t l = std::clamp(x == 0 ? x + 1 : x - 1, 0, w - 1);
            const int32_t r = std::clamp(x == w - 1 ? x - 1 : x + 1, 0, w - 1);
            const int32_t nx = s0[l] + s1[l] + s2[l] - s0[r] - s1[r] - s2[r];
            const int32_t ny = s2[l] + s2[x] + s2[r] - s0[l] - s0[x] - s0[r];
            double shade = lz;
            if (nx != 0 || ny != 0) {
                const int32_t d = lx * nx + ly * ny + 510 * lz;
                // The root in single precision, the quotient in double.
                shade = d > 0 ? d / double(std::sqrt(float(nx * nx + ny * ny + 260100))) : 0.0;
            }
            shade = std::min(shade, 255.0);
            uint8_t* q = out + std::size_t(x) * 3;
            if (!m_bColorShading) {
                q[0] = q[1] = q[2] = uint8_t(shade);
                continue;
            }
            const uint8_t* c = middle + std::size_t(x) * 3;
            for (int k = 0; k < 3; ++k)
                q[k] = uint8_t(shade * c[k] / 255.0);
        }
    }
    return true;
}
