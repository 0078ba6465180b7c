// Filters that change each pixel from its own values alone: black and white, brightness and
// contrast, grey scale, the (inactive) contrast filter, sepia and solarize.
#pragma once

#include <cstdint>

#include "media/filters/image_filter.h"
#include "media/filters/setting_filter.h"

class CBK_ImageFilterBlackWhite : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterBlackWhite()
        : CBK_ImageFilterWithSetting(
              L"Threshold:", 0, 255, [this] { return m_nThreshold; },
              [this](int32_t value) { SetThreshold(value); }) {
        SetFilterName(L"Black & White");
    }
    CBK_ImageFilter* MakeCopy() override;
    // White where the average of the three bytes is above the threshold, else black.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetThreshold(int32_t threshold) { _ChangeSetting(m_nThreshold, threshold); }
    int32_t GetThreshold() const { return m_nThreshold; }

private:
    int32_t m_nThreshold = 100; // 0 … 255
};

class CBK_ImageFilterBrightness : public CBK_ImageFilter {
public:
    CBK_ImageFilterBrightness() { SetFilterName(L"Brightness/Contrast"); }
    CBK_ImageFilter* MakeCopy() override;
    // Adds up to ±127 and scales the distance from 127 by 0 … 2.
    bool Filter(CBK_Image& image) override;
    // Two groups, contrast below brightness, each −100 … 100 with signed digits.
    bool InitControls(CBK_Dialog& dialog, tbx::Rect& area) override;
    bool KillControls() override;
    bool OnCommand(uint32_t code, tbx::EventRef& event) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetBrightnessThreshold(int32_t value) { _ChangeSetting(m_nBrightness, value); }
    void SetContrastThreshold(int32_t value) { _ChangeSetting(m_nContrast, value); }
    int32_t GetBrightnessThreshold() const { return m_nBrightness; }
    int32_t GetContrastThreshold() const { return m_nContrast; }

private:
    int32_t m_nBrightness = 0; // −100 … 100
    int32_t m_nContrast = 0;   // −100 … 100
    CBK_FilterSettingControls m_brightnessControls{
        L"Brightness:", -100, 100, [this] { return m_nBrightness; },
        [this](int32_t value) { SetBrightnessThreshold(value); }};
    CBK_FilterSettingControls m_contrastControls{
        L"Contrast:", -100, 100, [this] { return m_nContrast; },
        [this](int32_t value) { SetContrastThreshold(value); }};
};

class CBK_ImageFilterGrayscale : public CBK_ImageFilter {
public:
    CBK_ImageFilterGrayscale() { SetFilterName(L"Grayscale"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterGrayscale; }
    // (3 × byte 0 + 4 × byte 1 + 2 × byte 2) / 9 in all three bytes.
    bool Filter(CBK_Image& image) override;
};

// Unnamed and unlisted; leaves images as they are.
class CBK_ImageFilterContrast : public CBK_ImageFilter {
public:
    bool Filter(CBK_Image&) override { return true; }
};

class CBK_ImageFilterSepia : public CBK_ImageFilter {
public:
    CBK_ImageFilterSepia() { SetFilterName(L"Sepia"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterSepia; }
    bool Filter(CBK_Image& image) override;
};

class CBK_ImageFilterSolarize : public CBK_ImageFilter {
public:
    CBK_ImageFilterSolarize() { SetFilterName(L"Solarize"); }
    CBK_ImageFilter* MakeCopy() override { return new CBK_ImageFilterSolarize; }
    // Bytes of 51 and above are inverted.
    bool Filter(CBK_Image& image) override;
};
