// Filters that soften the image: the 3 × 3 box blur, the stack blur under two names and the
// motion blur along a fixed slanted line.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/image_filter.h"
#include "media/filters/setting_filter.h"
#include "media/filters/stack_blur.h"

class CBK_ImageFilterBlur : public CBK_ImageFilter {
public:
    CBK_ImageFilterBlur() { SetFilterName(L"Blur"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterBlur; }
    // Each byte the floor of the mean over the 3 × 3 window cut to the image.
    bool Filter(CBK_Image& image) override;

private:
    std::vector<uint8_t> m_vOutput;
};

// The stack blur with the radius truncated to a whole number (held to 0 … 10); the sigma is
// kept but not used.
class CBK_ImageFilterGaussianBlur : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterGaussianBlur()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 10, [this] { return BK_TruncateSetting(m_dRadius); },
              [this](int32_t value) { SetRadius(static_cast<double>(value)); }) {
        SetFilterName(L"Gaussian Blur");
    }
    CBK_ImageFilter* MakeCopy() override;
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetRadius(double radius) { _ChangeSetting(m_dRadius, radius); }
    double GetRadius() const { return m_dRadius; }
    double GetSigma() const { return m_dSigma; }

protected:
    void _CopySettingsTo(CBK_ImageFilterGaussianBlur& copy) const;

    double m_dRadius = 5.0; // 0 … 10
    double m_dSigma = 1.0;

private:
    CBK_StackBlurScratch m_scratch;
};

// The same blur under another name, outside the registry.
class CBK_ImageFilterFastBlur : public CBK_ImageFilterGaussianBlur {
public:
    CBK_ImageFilterFastBlur() { SetFilterName(L"Fast Blur"); }
    CBK_ImageFilter* MakeCopy() override;
};

// 41 Gaussian weights along offsets from (0, 0) to (19, 34); taps outside the image add
// nothing. The threshold only drives the controls.
class CBK_ImageFilterMotionBlur : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterMotionBlur()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 255, [this] { return m_nThreshold; },
              [this](int32_t value) { SetThreshold(value); }) {
        SetFilterName(L"Motion Blur");
    }
    CBK_ImageFilter* MakeCopy() override;
    bool Filter(CBK_Image& image) override;

    void SetThreshold(int32_t threshold) { _ChangeSetting(m_nThreshold, threshold); }
    int32_t GetThreshold() const { return m_nThreshold; }

    // `width` weights (3 for a width below 1): weight i the sum of exp(−j² / (18 σ²)) over
    // j = 3i … 3i + 2, all divided by their total.
    static std::vector<double> GetMotionBlurKernel(int32_t width, double sigma);

private:
    int32_t m_nThreshold = 10; // 0 … 255
    std::vector<uint8_t> m_vCopy;
    std::vector<double> m_vSums;
};
