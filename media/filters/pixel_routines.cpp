#include "media/filters/pixel_routines.h"

#include <algorithm>
#include <cmath>

bool BK_Has24BitPixels(const CBK_Image& image, int32_t& width, int32_t& height) {
    width = image.GetWidth();
    height = image.GetHeight();
    return image.GetBitsPerPixel() == 24 && image.GetData() && width > 0 && height > 0 &&
           image.GetSize() >= std::size_t(width) * std::size_t(height) * 3;
}

namespace imagemagick {

namespace {

template <uint8_t PixelPacket::*Channel>
int CompareChannel(const void* a, const void* b) {
    return int(static_cast<const PixelPacket*>(a)->*Channel) -
           int(static_cast<const PixelPacket*>(b)->*Channel);
}

int32_t Clamp(int32_t v, int32_t hi) {
    return v < 0 ? 0 : (v > hi ? hi : v);
}

constexpr double kMaxKernelRadius = 1000.0;

} // namespace

int RedCompare(const void* a, const void* b) {
    return CompareChannel<&PixelPacket::red>(a, b);
}
int GreenCompare(const void* a, const void* b) {
    return CompareChannel<&PixelPacket::green>(a, b);
}
int BlueCompare(const void* a, const void* b) {
    return CompareChannel<&PixelPacket::blue>(a, b);
}
int OpacityCompare(const void* a, const void* b) {
    return CompareChannel<&PixelPacket::opacity>(a, b);
}

bool AcquireOnePixel(const CBK_Image& image, int32_t x, int32_t y, PixelPacket& pixel) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h) || x < 0 || y < 0 || x >= w || y >= h)
        return false;
    const uint8_t* p = image.GetData() + (std::size_t(y) * w + x) * 3;
    pixel.red = p[0];
    pixel.green = p[1];
    pixel.blue = p[2];
    return true;
}

std::unique_ptr<PixelPacket[]> AcquireImagePixels(const CBK_Image& image, int32_t x, int32_t y,
                                                  int32_t columns, int32_t rows) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h) || columns <= 0 || rows <= 0)
        return nullptr;
    std::unique_ptr<PixelPacket[]> block(new PixelPacket[std::size_t(columns) * rows]);
    PixelPacket* out = block.get();
    for (int32_t r = 0; r < rows; ++r) {
        const uint8_t* row = image.GetData() + std::size_t(Clamp(y + r, h - 1)) * w * 3;
        for (int32_t c = 0; c < columns; ++c, ++out) {
            const uint8_t* p = row + std::size_t(Clamp(x + c, w - 1)) * 3;
            out->red = p[0];
            out->green = p[1];
            out->blue = p[2];
        }
    }
    return block;
}

namespace {

// The first odd width from 5 whose edge weight, against the weights' sum, falls below one
// level, less 2; `edge` and `sum` give both for a width's half-width.
template <typename Edge, typename Sum>
int32_t KernelWidth(double radius, double sigma, Edge edge, Sum sum) {
    if (radius > 0)
        return 2 * int32_t(std::ceil(std::min(radius, kMaxKernelRadius))) + 1;
    if (!(sigma > 0))
        return 3;
    // The Gaussian falls below one level within a few hundred sigmas of width; stop there
    // for any sigma large enough never to get so far.
    for (int32_t width = 5; width < 2 * int32_t(kMaxKernelRadius); width += 2) {
        const int32_t h = width / 2;
        if (int32_t(255.0 * edge(h) / sum(h)) < 1)
            return width - 2;
    }
    return 2 * int32_t(kMaxKernelRadius) + 1;
}

} // namespace

int32_t GetOptimalKernelWidth1D(double radius, double sigma) {
    const double twoSigmaSquared = 2.0 * sigma * sigma;
    return KernelWidth(
        radius, sigma, [&](int32_t h) { return std::exp(-double(h * h) / twoSigmaSquared); },
        [&](int32_t h) {
            double sum = 0;
            for (int32_t u = -h; u <= h; ++u)
                sum += std::exp(-double(u * u) / twoSigmaSquared);
            return sum;
        });
}

int32_t GetOptimalKernelWidth2D(double radius, double sigma) {
    const double sigmaSquared = sigma * sigma;
    return KernelWidth(
        radius, sigma, [&](int32_t h) { return std::exp(-double(h * h) / sigmaSquared); },
        [&](int32_t h) {
            double sum = 0;
            for (int32_t v = -h; v <= h; ++v)
                for (int32_t u = -h; u <= h; ++u)
                    sum += std::exp(-double(u * u + v * v) / sigmaSquared);
            return sum;
        });
}

void HSLTransform(double hue, double saturation, double luminosity, Quantum* red, Quantum* green,
                  Quantum* blue) {
    auto quantum = [](double v) { return Quantum(int32_t(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5)); };
    if (saturation == 0.0) {
        *red = *green = *blue = quantum(luminosity);
        return;
    }
    const double v = luminosity <= 0.5 ? luminosity * (1.0 + saturation)
                                       : luminosity + saturation - luminosity * saturation;
    const double y = 2.0 * luminosity - v;
    const double h6 = 6.0 * hue;
    const double f = (h6 - std::floor(h6)) * (v - y);
    const double x = y + f;
    const double z = v - f;
    double r, g, b;
    switch (std::isfinite(h6) ? int32_t(std::clamp(h6, -1.0, 7.0)) : 0) {
    case 1:
        r = z, g = v, b = y;
        break;
    case 2:
        r = y, g = v, b = x;
        break;
    case 3:
        r = y, g = z, b = v;
        break;
    case 4:
        r = x, g = y, b = v;
        break;
    case 5:
        r = v, g = y, b = z;
        break;
    default:
        r = v, g = x, b = y;
        break;
    }
    *red = quantum(r);
    *green = quantum(g);
    *blue = quantum(b);
}

void TransformHSL(Quantum red, Quantum green, Quantum blue, double* hue, double* saturation,
                  double* luminosity) {
    const double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    *luminosity = (max + min) / 2.0;
    *hue = *saturation = 0.0;
    if (max == min)
        return;
    const double d = max - min;
    *saturation = *luminosity <= 0.5 ? d / (max + min) : d / (2.0 - max - min);
    double h;
    if (r == max)
        h = g == min ? 5.0 + (max - b) / d : 1.0 - (max - g) / d;
    else if (g == max)
        h = b == min ? 1.0 + (max - r) / d : 3.0 - (max - b) / d;
    else
        h = r == min ? 3.0 + (max - g) / d : 5.0 - (max - r) / d;
    *hue = h / 6.0;
}

void Contrast(int32_t sign, Quantum* red, Quantum* green, Quantum* blue) {
    double hue, saturation, luminosity;
    TransformHSL(*red, *green, *blue, &hue, &saturation, &luminosity);
    const double k = 0.5 + MagickEpsilon;
    luminosity += sign * k * ((std::sin((luminosity - k) * M_PI) + 1.0) * k - luminosity);
    luminosity = std::clamp(luminosity, 0.0, 1.0);
    HSLTransform(hue, saturation, luminosity, red, green, blue);
}

InterpolationSample MakeInterpolationSample(int32_t width, int32_t height, double x, double y) {
    // Held first so that the float conversion and the floor are defined for any input.
    x = x >= -1.0 ? std::min(x, double(width)) : -1.0;
    y = y >= -1.0 ? std::min(y, double(height)) : -1.0;
    const float fx = std::floor(float(x));
    const float fy = std::floor(float(y));
    const int32_t x0 = Clamp(int32_t(fx), width - 1), x1 = Clamp(int32_t(fx) + 1, width - 1);
    const int32_t y0 = Clamp(int32_t(fy), height - 1), y1 = Clamp(int32_t(fy) + 1, height - 1);
    InterpolationSample s;
    s.offset[0] = uint32_t((std::size_t(y0) * width + x0) * 3);
    s.offset[1] = uint32_t((std::size_t(y0) * width + x1) * 3);
    s.offset[2] = uint32_t((std::size_t(y1) * width + x0) * 3);
    s.offset[3] = uint32_t((std::size_t(y1) * width + x1) * 3);
    s.a = x - fx;
    s.b = y - fy;
    return s;
}

void InterpolateColor(const CBK_Image& image, double x, double y, PixelPacket& pixel) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return;
    const InterpolationSample s = MakeInterpolationSample(w, h, x, y);
    pixel.red = InterpolateChannel(image.GetData(), s, 0);
    pixel.green = InterpolateChannel(image.GetData(), s, 1);
    pixel.blue = InterpolateChannel(image.GetData(), s, 2);
}

void Hull(int32_t xOffset, int32_t yOffset, int32_t columns, int32_t rows, uint8_t* f, uint8_t* g,
          int32_t polarity) {
    // The offset must stay inside the one-pixel margin.
    if (xOffset < -1 || xOffset > 1 || yOffset < -1 || yOffset > 1 || columns <= 0 || rows <= 0)
        return;
    const int32_t stride = columns + 2;
    const int32_t o = yOffset * stride + xOffset;
    for (int32_t y = 1; y <= rows; ++y)
        for (int32_t x = 1; x <= columns; ++x) {
            const int32_t i = y * stride + x;
            int32_t v = f[i];
            const int32_t r = f[i + o];
            if (polarity > 0) {
                if (r >= v + 2)
                    v++;
            } else if (r <= v - 2) {
                v--;
            }
            g[i] = uint8_t(v);
        }
    for (int32_t y = 1; y <= rows; ++y)
        for (int32_t x = 1; x <= columns; ++x) {
            const int32_t i = y * stride + x;
            int32_t v = g[i];
            const int32_t r = g[i + o];
            const int32_t s = g[i - o];
            if (polarity > 0) {
                if (s >= v + 2 && r > v)
                    v++;
            } else if (s <= v - 2 && r < v) {
                v--;
            }
            f[i] = uint8_t(v);
        }
}

} // namespace imagemagick
