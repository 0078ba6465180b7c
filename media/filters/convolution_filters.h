// Filters that convolve with a square kernel: edge, emboss and sharpen.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/convolve.h"
#include "media/filters/image_filter.h"
#include "media/filters/setting_filter.h"

// Kernel of −1 with n² − 1 at the centre, n = GetOptimalKernelWidth1D(radius, 0.5) cut to
// the image; the radius is held to 0 … 10.
class CBK_ImageFilterEdge : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterEdge()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 10, [this] { return BK_TruncateSetting(m_dRadius); },
              [this](int32_t value) { SetRadius(static_cast<double>(value)); }) {
        SetFilterName(L"Edge");
    }
    CBK_ImageFilter* MakeCopy() override;
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetRadius(double radius) { _ChangeSetting(m_dRadius, radius); }
    double GetRadius() const { return m_dRadius; }

private:
    double m_dRadius = 1.0;
    std::vector<int32_t> m_vSums;
    std::vector<uint8_t> m_vCopy;
};

// An 11 × 11 Gaussian relief kernel, negative above and left of the centre; pictures smaller
// than the kernel stay as they are.
class CBK_ImageFilterEmboss : public CBK_ImageFilter {
public:
    CBK_ImageFilterEmboss() { SetFilterName(L"Emboss"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterEmboss; }
    bool Filter(CBK_Image& image) override;

private:
    imagemagick::ConvolveScratch m_scratch;
};

// A 5 × 5 Gaussian surround subtracted from a heavy centre (fewer taps on smaller images;
// an even size leaves the image).
class CBK_ImageFilterSharpen : public CBK_ImageFilter {
public:
    CBK_ImageFilterSharpen() { SetFilterName(L"Sharpen"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterSharpen; }
    bool Filter(CBK_Image& image) override;

private:
    imagemagick::ConvolveScratch m_scratch;
};
