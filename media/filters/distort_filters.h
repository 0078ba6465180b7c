// Filters that move pixels: swirl and implode. Each output pixel is interpolated from a
// point of the unfiltered image; the points depend only on the size and the setting, so they
// are worked out once and kept for the frames that follow.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/pixel_routines.h"
#include "media/filters/setting_filter.h"

// The sample points of one size and setting; pixels that keep their value have none.
struct CBK_DistortionMap {
    int32_t width = -1;
    int32_t height = -1;
    int32_t setting = 0;
    std::vector<uint32_t> pixels; // indices of the pixels that move
    std::vector<imagemagick::InterpolationSample> samples;

    bool Matches(int32_t w, int32_t h, int32_t s) const {
        return w == width && h == height && s == setting;
    }
    // Applies the map to the image (all its samples read a copy kept in `copy`).
    void Apply(CBK_Image& image, std::vector<uint8_t>& copy) const;
};

class CBK_ImageFilterSwirl : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterSwirl()
        : CBK_ImageFilterWithSetting(
              L"Angle:", 0, 359, [this] { return m_nAngle; },
              [this](int32_t value) { SetAngle(value); }, &_LimitTypedAngle) {
        SetFilterName(L"Swirl");
    }
    CBK_ImageFilter* MakeCopy() override;
    // Turns the picture about its centre by angle × (1 − d / radius)² inside the centred
    // circle (an ellipse on oblong images); the angle is held to 0 … 359.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    // Stores the angle modulo 360 (the remainder keeping the value's sign).
    void SetAngle(int32_t angle) { _ChangeSetting(m_nAngle, angle % 360); }
    int32_t GetAngle() const { return m_nAngle; }

private:
    // The swirl's box turns a typed angle below 0 into 0 and one above 359 round the circle.
    static int32_t _LimitTypedAngle(int32_t value, int32_t, int32_t) {
        return value < 0 ? 0 : value % 360;
    }

    int32_t m_nAngle = 180;
    CBK_DistortionMap m_map;
    std::vector<uint8_t> m_vCopy;
};

class CBK_ImageFilterImplode : public CBK_ImageFilterWithSetting {
public:
    CBK_ImageFilterImplode()
        : CBK_ImageFilterWithSetting(
              L"Amount:", 0, 100, [this] { return m_nAmount; },
              [this](int32_t value) { SetAmount(value); }) {
        SetFilterName(L"Implode");
    }
    CBK_ImageFilter* MakeCopy() override;
    // Pulls the picture inside the centred circle (ellipse) towards the centre; the amount
    // is held to 0 … 100.
    bool Filter(CBK_Image& image) override;
    bool _ReadXmlSettings(CBK_XmlDomNode& element, CBK_XmlDomNamedNodeMap& attributes) override;
    bool _WriteXmlSettings(CBK_XmlWriter& writer) override;

    void SetAmount(int32_t amount) { _ChangeSetting(m_nAmount, amount); }
    int32_t GetAmount() const { return m_nAmount; }

private:
    int32_t m_nAmount = 20;
    CBK_DistortionMap m_map;
    std::vector<uint8_t> m_vCopy;
};
