#include "media/filters/blur_filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/filters/pixel_routines.h"

bool CBK_ImageFilterBlur::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const std::size_t rowLength = std::size_t(w) * 3;
    m_vOutput.resize(rowLength * h);
    const uint8_t* in = image.GetData();
    // Window sums of three rows per column, then of three columns.
    std::vector<uint16_t> columns(rowLength);
    for (int32_t y = 0; y < h; ++y) {
        const int32_t top = std::max(y - 1, 0), bottom = std::min(y + 1, h - 1);
        const int32_t rows = bottom - top + 1;
        std::fill(columns.begin(), columns.end(), 0);
        for (int32_t j = top; j <= bottom; ++j) {
            const uint8_t* row = in + std::size_t(j) * rowLength;
            for (std::size_t k = 0; k < rowLength; ++k)
                columns[k] = uint16_t(columns[k] + row[k]);
        }
        uint8_t* out = m_vOutput.data() + std::size_t(y) * rowLength;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t left = std::max(x - 1, 0), right = std::min(x + 1, w - 1);
            const int32_t count = rows * (right - left + 1);
            for (int c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int32_t i = left; i <= right; ++i)
                    sum += columns[std::size_t(i) * 3 + c];
                out[std::size_t(x) * 3 + c] = uint8_t(count == 9 ? sum / 9 : sum / count);
            }
        }
    }
    std::memcpy(image.GetData(), m_vOutput.data(), m_vOutput.size());
    return true;
}

CBK_ImageFilter* CBK_ImageFilterGaussianBlur::MakeCopy() {
    auto* copy = new CBK_ImageFilterGaussianBlur;
    _CopySettingsTo(*copy);
    return copy;
}

void CBK_ImageFilterGaussianBlur::_CopySettingsTo(CBK_ImageFilterGaussianBlur& copy) const {
    copy.m_dRadius = m_dRadius;
    copy.m_dSigma = m_dSigma;
}

bool CBK_ImageFilterGaussianBlur::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t radius = int32_t(BK_FilterSetting(m_dRadius, 0.0, 10.0));
    BK_StackBlur(image.GetData(), w, h, 3, radius, m_scratch);
    return true;
}

bool CBK_ImageFilterGaussianBlur::_ReadXmlSettings(CBK_XmlDomNode&,
                                                   CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "radius", m_dRadius);
    return true;
}

bool CBK_ImageFilterGaussianBlur::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "radius", m_dRadius);
    return true;
}

CBK_ImageFilter* CBK_ImageFilterFastBlur::MakeCopy() {
    auto* copy = new CBK_ImageFilterFastBlur;
    _CopySettingsTo(*copy);
    return copy;
}

CBK_ImageFilter* CBK_ImageFilterMotionBlur::MakeCopy() {
    auto* copy = new CBK_ImageFilterMotionBlur;
    copy->m_nThreshold = m_nThreshold;
    return copy;
}

std::vector<double> CBK_ImageFilterMotionBlur::GetMotionBlurKernel(int32_t width, double sigma) {
    if (width < 1)
        width = 3;
    std::vector<double> kernel(std::size_t(width), 0.0);
    double total = 0;
    for (int32_t i = 0; i < width; ++i) {
        for (int32_t j = 3 * i; j < 3 * i + 3; ++j)
            kernel[i] += std::exp(-double(j) * j / (18.0 * sigma * sigma));
        total += kernel[i];
    }
    for (double& weight : kernel)
        weight /= total;
    return kernel;
}

bool CBK_ImageFilterMotionBlur::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    static constexpr int32_t kTaps = 41;
    const std::vector<double> kernel = GetMotionBlurKernel(kTaps, 1.0);
    if (kernel.size() < 3)
        return false;
    const float s = float(int32_t(kTaps * std::sin(M_PI / 6)));
    const float c = float(int32_t(kTaps * std::cos(M_PI / 6)));
    const float q = std::sqrt(s * s + c * c);
    int32_t dx[kTaps], dy[kTaps];
    for (int32_t i = 0; i < kTaps; ++i) {
        dx[i] = int32_t(float(i) * s / q);
        dy[i] = int32_t(float(i) * c / q);
    }

    const std::size_t rowLength = std::size_t(w) * 3;
    m_vCopy.assign(image.GetData(), image.GetData() + rowLength * h);
    m_vSums.resize(rowLength);
    for (int32_t y = 0; y < h; ++y) {
        std::fill(m_vSums.begin(), m_vSums.end(), 0.0);
        // Tap by tap over the whole row: each output's sum still takes its taps in order.
        for (int32_t i = 0; i < kTaps; ++i) {
            if (y + dy[i] >= h || kernel[i] == 0.0)
                continue;
            const uint8_t* in = m_vCopy.data() + std::size_t(y + dy[i]) * rowLength;
            const std::size_t shift = std::size_t(dx[i]) * 3;
            const std::size_t end = dx[i] < w ? rowLength - shift : 0;
            const double weight = kernel[i];
            for (std::size_t k = 0; k < end; ++k)
                m_vSums[k] += weight * in[k + shift];
        }
        uint8_t* out = image.GetData() + std::size_t(y) * rowLength;
        for (std::size_t k = 0; k < rowLength; ++k)
            out[k] = uint8_t(std::min(m_vSums[k], 255.0));
    }
    return true;
}
