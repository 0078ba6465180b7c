#include <algorithm>
#include <cstring>

#include "media/filters/pixel_routines.h"
#include "media/filters/relief_filters.h"

CBK_ImageFilter* CBK_ImageFilterOilPaint::MakeCopy() {
    auto* copy = new CBK_ImageFilterOilPaint;
    copy->m_nThreshold = m_nThreshold;
    return copy;
}

bool CBK_ImageFilterOilPaint::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t n =
        imagemagick::GetOptimalKernelWidth1D(BK_FilterSetting(m_nThreshold, 0, 100) / 10.0, 0.5);
    const int32_t half = n / 2;
    const std::size_t pixels = std::size_t(w) * h;
    m_vCopy.assign(image.GetData(), image.GetData() + pixels * 3);

    // The intensity of every pixel once; the products looked up keep the sum's order.
    double red[256], green[256], blue[256];
    for (int32_t i = 0; i < 256; ++i) {
        red[i] = 0.299 * i;
        green[i] = 0.587 * i;
        blue[i] = 0.114 * i;
    }
    m_vIntensity.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = m_vCopy.data() + i * 3;
        m_vIntensity[i] = uint8_t(int32_t(red[p[0]] + green[p[1]] + blue[p[2]] + 0.5));
    }

    // Counts per intensity over the window, and how many intensities have each count, so
    // that the highest count follows the window as it slides.
    int32_t count[256];
    std::vector<int32_t> having(std::size_t(n) * n + 1);
    int32_t scanned[256], stamp[256];
    std::fill(std::begin(stamp), std::end(stamp), -1);
    int32_t generation = 0;
    std::vector<const uint8_t*> rows(static_cast<std::size_t>(n));
    std::vector<int32_t> columns(std::size_t(w + n));
    for (int32_t i = 0; i < w + n; ++i)
        columns[i] = std::clamp(i - half, 0, w - 1); // column of window offset i − half
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t j = 0; j < n; ++j)
            rows[j] = m_vIntensity.data() + std::size_t(std::clamp(y - half + j, 0, h - 1)) * w;
        std::memset(count, 0, sizeof count);
        std::fill(having.begin(), having.end(), 0);
        int32_t highest = 0;
        auto add = [&](uint8_t k) {
            --having[count[k]];
            ++having[++count[k]];
            highest = std::max(highest, count[k]);
        };
        auto remove = [&](uint8_t k) {
            --having[count[k]];
            ++having[--count[k]];
            if (having[highest] == 0)
                --highest;
        };
        for (int32_t j = 0; j < n; ++j)
            for (int32_t i = 0; i < n; ++i)
                add(rows[j][columns[i]]);
        uint8_t* out = image.GetData() + std::size_t(y) * w * 3;
        for (int32_t x = 0; x < w; ++x) {
            // The packet at which, scanning the window in row order, an intensity first
            // reaches the highest count. With one intensity at that count, that is its last
            // packet, found from the end.
            int32_t winner = -1;
            if (having[highest] == 1)
                for (int32_t j = n - 1; j >= 0 && winner < 0; --j)
                    for (int32_t i = n - 1; i >= 0; --i)
                        if (count[rows[j][columns[x + i]]] == highest) {
                            winner = std::clamp(y - half + j, 0, h - 1) * w + columns[x + i];
                            break;
                        }
            ++generation;
            for (int32_t j = 0; j < n && winner < 0; ++j)
                for (int32_t i = 0; i < n; ++i) {
                    const uint8_t k = rows[j][columns[x + i]];
                    if (count[k] != highest)
                        continue;
                    if (stamp[k] != generation) {
                        stamp[k] = generation;
                        scanned[k] = 0;
                    }
                    if (++scanned[k] == highest) {
                        const int32_t row = std::clamp(y - half + j, 0, h - 1);
                        winner = row * w + columns[x + i];
                        break;
                    }
                }
            std::memcpy(out + std::size_t(x) * 3, m_vCopy.data() + std::size_t(winner) * 3, 3);
            if (x + 1 < w)
                for (int32_t j = 0; j < n; ++j) {
                    remove(rows[j][columns[x]]);
                    add(rows[j][columns[x + n]]);
                }
        }
    }
    return true;
}

bool CBK_ImageFilterOilPaint::_ReadXmlSettings(CBK_XmlDomNode&,
                                               CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "threshold", m_nThreshold);
    return true;
}

bool CBK_ImageFilterOilPaint::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "threshold", m_nThreshold);
    return true;
}
