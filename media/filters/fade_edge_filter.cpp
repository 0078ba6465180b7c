#include "media/filters/fade_edge_filter.h"

#include <algorithm>
#include <cstring>

#include "media/filters/pixel_routines.h"

void CBK_ImageFilterFadeEdge::_MakeAlphaMap(int32_t width, int32_t height, int32_t borderSize) {
    m_vMap.assign(std::size_t(width) * height, 0);
    // A band beyond the middle of the image would reach past the far side; there it
    // already covers the whole image.
    const int32_t band = std::max(int32_t(borderSize * 0.4), 1);
    const int32_t bandRows = std::min(band, height), bandColumns = std::min(band, width);
    const int32_t radius = std::max(int32_t(borderSize * 0.6), 1);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = m_vMap.data() + std::size_t(y) * width;
        if (y < bandRows || y >= height - bandRows) {
            std::memset(row, 255, std::size_t(width));
            continue;
        }
        std::memset(row, 255, std::size_t(bandColumns));
        std::memset(row + width - bandColumns, 255, std::size_t(bandColumns));
    }
    BK_StackBlur(m_vMap.data(), width, height, 1, radius, m_scratch);
    m_nMapWidth = width;
    m_nMapHeight = height;
    m_nMapBorder = borderSize;
}

bool CBK_ImageFilterFadeEdge::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    if (w != m_nMapWidth || h != m_nMapHeight || m_nBorderSize != m_nMapBorder)
        _MakeAlphaMap(w, h, m_nBorderSize);
    const double colour[3] = {double(m_nFadeColor & 0xFF), double((m_nFadeColor >> 8) & 0xFF),
                              double((m_nFadeColor >> 16) & 0xFF)};
    uint8_t* p = image.GetData();
    const std::size_t n = std::size_t(w) * h;
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        const double m = m_vMap[i];
        // m = 0 keeps every byte exactly: byte × 255 / 255.
        if (m == 0)
            continue;
        for (int k = 0; k < 3; ++k)
            p[k] = uint8_t(m * colour[k] / 255.0 + p[k] * (255.0 - m) / 255.0);
    }
    return true;
}
