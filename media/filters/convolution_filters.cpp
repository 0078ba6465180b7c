#include "media/filters/convolution_filters.h"

#include <algorithm>
#include <cmath>

#include "media/filters/pixel_routines.h"

CBK_ImageFilter* CBK_ImageFilterEdge::MakeCopy() {
    auto* copy = new CBK_ImageFilterEdge;
    copy->m_dRadius = m_dRadius;
    return copy;
}

bool CBK_ImageFilterEdge::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const double radius = BK_FilterSetting(m_dRadius, 0.0, 10.0);
    const int32_t n = std::min({imagemagick::GetOptimalKernelWidth1D(radius, 0.5), w, h});
    if (n % 2 == 0)
        return true; // the convolution refuses an even kernel: the image stays
    // The kernel sums to 0, so it is applied unscaled and its response is n² × centre minus
    // the box sum: whole numbers, the same in any order of summation.
    const int32_t half = n / 2;
    const std::size_t rowLength = std::size_t(w) * 3;
    m_vCopy.assign(image.GetData(), image.GetData() + rowLength * h);
    m_vSums.assign(rowLength, 0);
    auto row = [&](int32_t y) {
        return m_vCopy.data() + std::size_t(std::clamp(y, 0, h - 1)) * rowLength;
    };
    for (int32_t j = -half; j <= half; ++j) {
        const uint8_t* in = row(j);
        for (std::size_t k = 0; k < rowLength; ++k)
            m_vSums[k] += in[k];
    }
    const int32_t area = n * n;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* centre = row(y);
        uint8_t* out = image.GetData() + std::size_t(y) * rowLength;
        for (int c = 0; c < 3; ++c) {
            auto column = [&](int32_t x) {
                return m_vSums[std::size_t(std::clamp(x, 0, w - 1)) * 3 + c];
            };
            int32_t box = 0;
            for (int32_t i = -half; i <= half; ++i)
                box += column(i);
            for (int32_t x = 0; x < w; ++x) {
                const int32_t v = area * centre[std::size_t(x) * 3 + c] - box;
                out[std::size_t(x) * 3 + c] = uint8_t(std::clamp(v, 0, 255));
                box += column(x + half + 1) - column(x - half);
            }
        }
        const uint8_t* leaving = row(y - half);
        const uint8_t* entering = row(y + half + 1);
        for (std::size_t k = 0; k < rowLength; ++k)
            m_vSums[k] += entering[k] - leaving[k];
    }
    return true;
}

bool CBK_ImageFilterEdge::_ReadXmlSettings(CBK_XmlDomNode&, CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "radius", m_dRadius);
    return true;
}

bool CBK_ImageFilterEdge::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "radius", m_dRadius);
    return true;
}

bool CBK_ImageFilterEmboss::Filter(CBK_Image& image) {
    const int32_t n = imagemagick::GetOptimalKernelWidth1D(5.0, 1.0);
    const int32_t half = n / 2;
    std::vector<double> kernel(std::size_t(n) * n);
    double* k = kernel.data();
    for (int32_t v = -half; v <= half; ++v)
        for (int32_t u = -half; u <= half; ++u, ++k) {
            const double weight = 8.0 * std::exp(-double(u * u + v * v) / 2.0) / (2.0 * M_PI);
            *k = u == -v ? 0.0 : (u < 0 || v < 0) ? -weight : weight;
        }
    // A picture smaller than the kernel is left as it is.
    imagemagick::ConvolveImage(image, n, kernel.data(), m_scratch);
    return image.IsEmpty() || image.GetBitsPerPixel() == 24;
}

bool CBK_ImageFilterSharpen::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t n = std::min({w, imagemagick::GetOptimalKernelWidth1D(2.0, 1.0), h});
    const int32_t half = n / 2;
    std::vector<double> kernel(std::size_t(n) * n);
    double total = 0;
    double* k = kernel.data();
    for (int32_t v = -half; v <= half - (n % 2 == 0); ++v)
        for (int32_t u = -half; u <= half - (n % 2 == 0); ++u, ++k) {
            *k = std::exp(-double(u * u + v * v));
            total += *k;
        }
    kernel[std::size_t(n) * n / 2] = -2.0 * total;
    // An even size (a picture 4 pixels wide or high) leaves the picture as it is.
    imagemagick::ConvolveImage(image, n, kernel.data(), m_scratch);
    return true;
}
