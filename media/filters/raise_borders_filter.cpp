#include <algorithm>

#include "media/filters/pixel_routines.h"
#include "media/filters/relief_filters.h"

namespace {

void Highlight(uint8_t* p) {
    for (int k = 0; k < 3; ++k)
        p[k] = uint8_t((p[k] * 190 + 16575) / 255);
}
void Accentuate(uint8_t* p) {
    for (int k = 0; k < 3; ++k)
        p[k] = uint8_t((p[k] * 135 + 30600) / 255);
}
void Shadow(uint8_t* p) {
    for (int k = 0; k < 3; ++k)
        p[k] = uint8_t(p[k] * 190 / 255);
}
void Trough(uint8_t* p) {
    for (int k = 0; k < 3; ++k)
        p[k] = uint8_t(p[k] * 135 / 255);
}

// Pixels [from, to) of a row through one of the four tones.
void Span(uint8_t* row, int32_t from, int32_t to, void (*tone)(uint8_t*)) {
    for (int32_t x = from; x < to; ++x)
        tone(row + std::size_t(x) * 3);
}

} // namespace

CBK_ImageFilter* CBK_ImageFilterRaiseBorders::MakeCopy() {
    auto* copy = new CBK_ImageFilterRaiseBorders;
    copy->m_nWidth = m_nWidth;
    return copy;
}

bool CBK_ImageFilterRaiseBorders::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    // The bands of opposite sides must not cross.
    const int32_t b = std::min({BK_FilterSetting(m_nWidth, 1, 10), w / 2, h / 2});
    auto row = [&](int32_t y) { return image.GetData() + std::size_t(y) * w * 3; };
    for (int32_t y = 0; y < b; ++y) {
        Span(row(y), 0, y, Highlight);
        Span(row(y), y, w - y, Accentuate);
        Span(row(y), w - y, w, Shadow);
    }
    for (int32_t y = b; y < h - b; ++y) {
        Span(row(y), 0, b, Highlight);
        Span(row(y), w - b, w, Shadow);
    }
    for (int32_t i = 0; i < b; ++i) {
        const int32_t k = b - i;
        uint8_t* r = row(h - b + i);
        Span(r, 0, k, Highlight);
        Span(r, k, w - k, Trough);
        Span(r, w - k, w, Shadow);
    }
    return true;
}

bool CBK_ImageFilterRaiseBorders::_ReadXmlSettings(CBK_XmlDomNode&,
                                                   CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "width", m_nWidth);
    return true;
}

bool CBK_ImageFilterRaiseBorders::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "width", m_nWidth);
    return true;
}
