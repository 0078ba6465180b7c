// Filters that light the picture as a relief: shade (lit from a direction by the intensity
// gradient) and raised borders (a bevelled frame).
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/image_filter.h"
#include "media/filters/setting_filter.h"

class CBK_ImageFilterShade : public CBK_ImageFilter {
public:
    CBK_ImageFilterShade() { SetFilterName(L"Shade"); }
    CBK_ImageFilter* MakeCopy() override;
    bool Filter(CBK_Image& image) override;

    bool GetColorShading() const { return m_bColorShading; }
    double GetAzimuth() const { return m_dAzimuth; }
    double GetElevation() const { return m_dElevation; }

private:
    bool m_bColorShading = false;
    double m_dAzimuth = 10.0;   // degrees
    double m_dElevation = 20.0; // degrees
    std::vector<int32_t> m_vIntensity;
    std::vector<uint8_t> m_vCopy;
};

class CBK_ImageFilterRaiseBorders : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterRaiseBorders()
        : CBK_ImageFilterWithSetting(
              L"Width:", 1, 10, [this] { return m_nWidth; },
              [this](int32_t value) { SetWidth(value); }) {
        SetFilterName(L"Raise Borders");
    }
    CBK_ImageFilter* MakeCopy() override;
    // Lightens the top and left bands and darkens the bottom and right ones; the width is
    // held to 1 … 10 and to half the image's smaller side.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetWidth(int32_t width) { _ChangeSetting(m_nWidth, width); }
    int32_t GetWidth() const { return m_nWidth; }

private:
    int32_t m_nWidth = 5;
};

class CBK_ImageFilterOilPaint : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterOilPaint()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 100, [this] { return m_nThreshold; },
              [this](int32_t value) { SetThreshold(value); }) {
        SetFilterName(L"Oil Paint");
    }
    CBK_ImageFilter* MakeCopy() override;
    // Each pixel takes the colour of the most frequent intensity in its window (the first
    // packet to reach the highest count); the threshold, held to 0 … 100, sets the window.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetThreshold(int32_t threshold) { _ChangeSetting(m_nThreshold, threshold); }
    int32_t GetThreshold() const { return m_nThreshold; }

private:
    int32_t m_nThreshold = 50;
    std::vector<uint8_t> m_vCopy;
    std::vector<uint8_t> m_vIntensity;
};
