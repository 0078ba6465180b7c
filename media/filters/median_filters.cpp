#include "media/filters/median_filters.h"

#include <algorithm>
#include <cstring>

#include "media/filters/pixel_routines.h"

namespace {

// One channel's histogram over the window and the running position of its median:
// `median` is the value at rank k and `below` the count of values under it.
struct RunningMedian {
    int32_t count[256];
    int32_t median;
    int32_t below;

    void Reset() {
        std::memset(count, 0, sizeof count);
        median = 0;
        below = 0;
    }
    void Add(uint8_t v) {
        ++count[v];
        below += v < median;
    }
    void Remove(uint8_t v) {
        --count[v];
        below -= v < median;
    }
    uint8_t Select(int32_t k) {
        while (below > k)
            below -= count[--median];
        while (below + count[median] <= k)
            below += count[median++];
        return uint8_t(median);
    }
};

} // namespace

void BK_MedianFilter(CBK_Image& image, int32_t n, std::vector<uint8_t>& copy) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h) || n < 1 || n > w || n > h)
        return;
    const std::size_t rowLength = std::size_t(w) * 3;
    copy.assign(image.GetData(), image.GetData() + rowLength * h);
    const int32_t rank = n * n / 2;
    RunningMedian channel[3];
    int32_t previousTop = -1;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* out = image.GetData() + std::size_t(y) * rowLength;
        const int32_t top = std::clamp(y - n / 2, 0, h - n);
        if (top == previousTop) {
            // The same window rows give the same row of medians.
            std::memcpy(out, out - rowLength, rowLength);
            continue;
        }
        previousTop = top;
        const uint8_t* block = copy.data() + std::size_t(top) * rowLength;
        for (auto& c : channel)
            c.Reset();
        for (int32_t j = 0; j < n; ++j)
            for (int32_t i = 0; i < n; ++i)
                for (int c = 0; c < 3; ++c)
                    channel[c].Add(block[std::size_t(j) * rowLength + std::size_t(i) * 3 + c]);
        int32_t left = 0;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t wanted = std::clamp(x - n / 2, 0, w - n);
            for (; left < wanted; ++left)
                for (int32_t j = 0; j < n; ++j) {
                    const uint8_t* r = block + std::size_t(j) * rowLength;
                    for (int c = 0; c < 3; ++c) {
                        channel[c].Remove(r[std::size_t(left) * 3 + c]);
                        channel[c].Add(r[std::size_t(left + n) * 3 + c]);
                    }
                }
            for (int c = 0; c < 3; ++c)
                out[std::size_t(x) * 3 + c] = channel[c].Select(rank);
        }
    }
}

CBK_ImageFilter* CBK_ImageFilterMedian::MakeCopy() {
    auto* copy = new CBK_ImageFilterMedian;
    copy->m_nThreshold = m_nThreshold;
    return copy;
}

bool CBK_ImageFilterMedian::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t n =
        imagemagick::GetOptimalKernelWidth1D(BK_FilterSetting(m_nThreshold, 0, 100) / 10.0, 0.5);
    if (w < n || h < n)
        return false;
    BK_MedianFilter(image, n, m_vCopy);
    return true;
}

// The threshold sets the window, so it is saved with the filter.
bool CBK_ImageFilterMedian::_ReadXmlSettings(CBK_XmlDomNode&, CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "threshold", m_nThreshold);
    return true;
}

bool CBK_ImageFilterMedian::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "threshold", m_nThreshold);
    return true;
}

bool CBK_ImageFilterReduceNoise::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    BK_MedianFilter(image, std::min({imagemagick::GetOptimalKernelWidth1D(0.5, 0.5), w, h}),
                    m_vCopy);
    return true;
}
