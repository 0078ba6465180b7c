// Filters that take each channel's median over a square window kept inside the image:
// median (window from the threshold) and noise reduction (3 × 3).
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/image_filter.h"
#include "media/filters/setting_filter.h"

class CBK_ImageFilterMedian : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterMedian()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 100, [this] { return m_nThreshold; },
              [this](int32_t value) { SetThreshold(value); }) {
        SetFilterName(L"Median");
    }
    CBK_ImageFilter* MakeCopy() override;
    // Window n = GetOptimalKernelWidth1D(threshold / 10, 0.5), the threshold held to
    // 0 … 100; false, the image unchanged, when the image is narrower or lower than n.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetThreshold(int32_t threshold) { _ChangeSetting(m_nThreshold, threshold); }
    int32_t GetThreshold() const { return m_nThreshold; }

private:
    int32_t m_nThreshold = 20;
    std::vector<uint8_t> m_vCopy;
};

class CBK_ImageFilterReduceNoise : public CBK_ImageFilter {
public:
    CBK_ImageFilterReduceNoise() { SetFilterName(L"Reduce Noise"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterReduceNoise; }
    // The median over 3 × 3, or the whole height or width where the image is smaller.
    bool Filter(CBK_Image& image) override;

private:
    std::vector<uint8_t> m_vCopy;
};

// Each byte of a 24-bit image becomes element n² / 2 of its channel sorted over the n × n
// window starting at (x − n/2, y − n/2), both held so that the window lies inside.
// n must be between 1 and the smaller image dimension.
void BK_MedianFilter(CBK_Image& image, int32_t n, std::vector<uint8_t>& copy);
