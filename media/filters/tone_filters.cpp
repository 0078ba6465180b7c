#include "media/filters/tone_filters.h"

#include <cmath>

#include "media/filters/pixel_routines.h"

namespace {

// Every byte through one 256-entry table.
template <typename Function>
bool MapBytes(CBK_Image& image, Function function) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    uint8_t table[256];
    for (int32_t i = 0; i < 256; ++i)
        table[i] = function(i);
    uint8_t* p = image.GetData();
    const std::size_t n = std::size_t(w) * h * 3;
    for (std::size_t i = 0; i < n; ++i)
        p[i] = table[p[i]];
    return true;
}

// Every pixel's three bytes set to one value worked out from them.
template <typename Function>
bool MapPixels(CBK_Image& image, Function function) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    uint8_t* p = image.GetData();
    const std::size_t n = std::size_t(w) * h;
    for (std::size_t i = 0; i < n; ++i, p += 3)
        function(p);
    return true;
}

} // namespace

CBK_ImageFilter* CBK_ImageFilterBlackWhite::MakeCopy() {
    auto* copy = new CBK_ImageFilterBlackWhite;
    copy->m_nThreshold = m_nThreshold;
    return copy;
}

bool CBK_ImageFilterBlackWhite::Filter(CBK_Image& image) {
    const int32_t threshold = BK_FilterSetting(m_nThreshold, 0, 255);
    // By the sum of the three bytes: 766 possible sums.
    uint8_t table[766];
    for (int32_t sum = 0; sum < 766; ++sum)
        table[sum] = threshold < sum / 3 ? 255 : 0;
    return MapPixels(image, [&](uint8_t* p) { p[0] = p[1] = p[2] = table[p[0] + p[1] + p[2]]; });
}

bool CBK_ImageFilterBlackWhite::_ReadXmlSettings(CBK_XmlDomNode&,
                                                 CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "threshold", m_nThreshold);
    return true;
}

bool CBK_ImageFilterBlackWhite::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "threshold", m_nThreshold);
    return true;
}

CBK_ImageFilter* CBK_ImageFilterBrightness::MakeCopy() {
    auto* copy = new CBK_ImageFilterBrightness;
    copy->m_nBrightness = m_nBrightness;
    copy->m_nContrast = m_nContrast;
    return copy;
}

bool CBK_ImageFilterBrightness::Filter(CBK_Image& image) {
    const int32_t b =
        int32_t(std::floor(BK_FilterSetting(m_nBrightness, -100, 100) * 0.01 * 127.0));
    const double k = (BK_FilterSetting(m_nContrast, -100, 100) + 100) * 0.01;
    return MapBytes(image, [&](int32_t p) {
        const int32_t v = int32_t(std::floor((b + p - 127) * k)) + 127;
        return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    });
}

bool CBK_ImageFilterBrightness::InitControls(CBK_Dialog& dialog, tbx::Rect& area) {
    ExpandDialogHeight(dialog, 120);
    constexpr auto kSigned = CBK_ControlEditBox::FILTER_SIGNED_INTEGER;
    return m_brightnessControls.Create(dialog, area.left, area.top,
                                       CBK_FilterSettingControls::kFirstIds, kSigned) &&
           m_contrastControls.Create(dialog, area.left, area.top + 56,
                                     CBK_FilterSettingControls::kSecondIds, kSigned);
}

bool CBK_ImageFilterBrightness::KillControls() {
    m_brightnessControls.Destroy();
    return m_contrastControls.Destroy();
}

bool CBK_ImageFilterBrightness::OnCommand(uint32_t code, tbx::EventRef&) {
    return m_brightnessControls.OnCommand(code) || m_contrastControls.OnCommand(code);
}

bool CBK_ImageFilterBrightness::_ReadXmlSettings(CBK_XmlDomNode&,
                                                 CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "brightness", m_nBrightness);
    _ReadAttribute(attributes, "contrast", m_nContrast);
    return true;
}

bool CBK_ImageFilterBrightness::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "brightness", m_nBrightness);
    _WriteAttribute(writer, "contrast", m_nContrast);
    return true;
}

bool CBK_ImageFilterGrayscale::Filter(CBK_Image& image) {
    return MapPixels(image, [](uint8_t* p) {
        p[0] = p[1] = p[2] = uint8_t((3 * p[0] + 4 * p[1] + 2 * p[2]) / 9);
    });
}

bool CBK_ImageFilterSepia::Filter(CBK_Image& image) {
    // Per-channel products looked up; the sum keeps its order, so the result is that of
    // the whole expression.
    double red[256], green[256], blue[256];
    for (int32_t i = 0; i < 256; ++i) {
        red[i] = 0.299 * i;
        green[i] = 0.587 * i;
        blue[i] = 0.114 * i;
    }
    return MapPixels(image, [&](uint8_t* p) {
        const int32_t g = int32_t(red[p[0]] + green[p[1]] + blue[p[2]]);
        p[0] = uint8_t(g >= 207 ? 255 : g + 49);
        p[1] = uint8_t(g < 14 ? 0 : g - 14);
        p[2] = uint8_t(g < 56 ? 0 : g - 56);
    });
}

bool CBK_ImageFilterSolarize::Filter(CBK_Image& image) {
    return MapBytes(image, [](int32_t c) { return uint8_t(c >= 51 ? 255 - c : c); });
}
