#include "media/filters/distort_filters.h"

#include <cmath>

void CBK_DistortionMap::Apply(CBK_Image& image, std::vector<uint8_t>& copy) const {
    copy.assign(image.GetData(), image.GetData() + std::size_t(width) * height * 3);
    uint8_t* out = image.GetData();
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        uint8_t* p = out + std::size_t(pixels[i]) * 3;
        const imagemagick::InterpolationSample& s = samples[i];
        p[0] = imagemagick::InterpolateChannel(copy.data(), s, 0);
        p[1] = imagemagick::InterpolateChannel(copy.data(), s, 1);
        p[2] = imagemagick::InterpolateChannel(copy.data(), s, 2);
    }
}

CBK_ImageFilter* CBK_ImageFilterSwirl::MakeCopy() {
    auto* copy = new CBK_ImageFilterSwirl;
    copy->m_nAngle = m_nAngle;
    return copy;
}

bool CBK_ImageFilterSwirl::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t angle = BK_FilterSetting(m_nAngle, 0, 359);
    if (!m_map.Matches(w, h, angle)) {
        m_map = CBK_DistortionMap{w, h, angle, {}, {}};
        // The centre is the middle of the picture's extent, width / 2 and height / 2 as
        // real numbers, the same as the implode filter's.
        const double cx = w / 2.0, cy = h / 2.0;
        const double radius = std::max(cx, cy);
        const double sx = w > h ? 1.0 : double(h) / w;
        const double sy = w > h ? double(w) / h : 1.0;
        const double a = angle * M_PI / 180.0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const double dx = sx * (x - cx), dy = sy * (y - cy);
                const double d2 = dx * dx + dy * dy;
                if (!(d2 < radius * radius))
                    continue;
                const double f = 1.0 - std::sqrt(d2) / radius;
                const double t = a * f * f;
                const double c = std::cos(t), s = std::sin(t);
                m_map.pixels.push_back(uint32_t(std::size_t(y) * w + x));
                m_map.samples.push_back(imagemagick::MakeInterpolationSample(
                    w, h, (c * dx - s * dy) / sx + cx, (s * dx + c * dy) / sy + cy));
            }
    }
    m_map.Apply(image, m_vCopy);
    return true;
}

bool CBK_ImageFilterSwirl::_ReadXmlSettings(CBK_XmlDomNode&, CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "angle", m_nAngle);
    return true;
}

bool CBK_ImageFilterSwirl::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "angle", m_nAngle);
    return true;
}

CBK_ImageFilter* CBK_ImageFilterImplode::MakeCopy() {
    auto* copy = new CBK_ImageFilterImplode;
    copy->m_nAmount = m_nAmount;
    return copy;
}

bool CBK_ImageFilterImplode::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    const int32_t amount = BK_FilterSetting(m_nAmount, 0, 100);
    if (!m_map.Matches(w, h, amount)) {
        m_map = CBK_DistortionMap{w, h, amount, {}, {}};
        const float exponent = -float(amount / 100.0);
        const double xc = w * 0.5, yc = h * 0.5;
        double radius = xc, xs = 1.0, ys = 1.0;
        if (w > h)
            ys = double(w) / h;
        else if (w < h) {
            radius = yc;
            xs = double(h) / w;
        }
        for (int32_t y = 0; y < h; ++y) {
            const double dy = ys * (y - yc);
            for (int32_t x = 0; x < w; ++x) {
                const double dx = xs * (x - xc);
                const double d = dx * dx + dy * dy;
                if (!(d < radius * radius))
                    continue;
                double f = 1.0;
                // Root, sine and power in single precision; product and quotient in double.
                if (d > 0)
                    f = powf(sinf(float(double(sqrtf(float(d))) * (M_PI / 2) / radius)), exponent);
                m_map.pixels.push_back(uint32_t(std::size_t(y) * w + x));
                m_map.samples.push_back(
                    imagemagick::MakeInterpolationSample(w, h, f * dx / xs + xc, f * dy / ys + yc));
            }
        }
    }
    m_map.Apply(image, m_vCopy);
    return true;
}

bool CBK_ImageFilterImplode::_ReadXmlSettings(CBK_XmlDomNode&, CBK_XmlDomNamedNodeMap& attributes) {
    _ReadAttribute(attributes, "amount", m_nAmount);
    return true;
}

bool CBK_ImageFilterImplode::_WriteXmlSettings(CBK_XmlWriter& writer) {
    _WriteAttribute(writer, "amount", m_nAmount);
    return true;
}
