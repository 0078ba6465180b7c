// The pixel routines that the image filters share, on 24-bit images and 8-bit channels:
// quantum scaling, intensity, kernel widths, neighbourhood fetching, bilinear interpolation,
// HSL conversion and contrast, channel comparators and the hull step.
//
// Pixels asked for outside the image repeat the nearest edge pixel, so that every
// neighbourhood near the right and bottom edges reads defined values.
#pragma once

#include <cstdint>
#include <memory>

#include "media/image/image.h"

namespace imagemagick {

using Quantum = uint8_t;

struct PixelPacket {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t opacity = 0; // not set by the fetch routines
};

constexpr double MagickEpsilon = 1e-12;
constexpr int32_t MaxRGB = 255;

inline Quantum ScaleCharToQuantum(uint8_t c) {
    return c;
}
inline Quantum ScaleQuantum(Quantum q) {
    return q;
}
inline uint8_t ScaleQuantumToChar(Quantum q) {
    return q;
}
inline uint8_t ScaleQuantumToIndex(Quantum q) {
    return q;
}
inline uint8_t ScaleQuantumToMap(Quantum q) {
    return q;
}
inline Quantum ScaleMapToQuantum(uint32_t v) {
    return Quantum(v & 0xFF);
}
inline uint32_t ScaleToQuantum(uint32_t v) {
    return v;
}
inline Quantum ScaleLongToQuantum(uint32_t v) {
    return Quantum(v / 16843009u);
}
inline uint32_t ScaleQuantumToLong(Quantum q) {
    return q * 16843009u;
}
inline uint16_t ScaleQuantumToShort(Quantum q) {
    return uint16_t(q * 257);
}
inline Quantum ScaleShortToQuantum(uint16_t s) {
    return Quantum(s / 257);
}

// truncate(0.299 red + 0.587 green + 0.114 blue + 0.5), summed in that order.
inline Quantum PixelIntensityToQuantum(uint8_t red, uint8_t green, uint8_t blue) {
    return Quantum(int32_t(0.299 * red + 0.587 * green + 0.114 * blue + 0.5));
}
inline Quantum PixelIntensityToQuantum(const PixelPacket* p) {
    return PixelIntensityToQuantum(p->red, p->green, p->blue);
}

// qsort comparators, ascending by one channel.
int RedCompare(const void* a, const void* b);
int GreenCompare(const void* a, const void* b);
int BlueCompare(const void* a, const void* b);
int OpacityCompare(const void* a, const void* b);

// True with the pixel's bytes when (x, y) lies inside a 24-bit image; else false, `pixel` as
// it was.
bool AcquireOnePixel(const CBK_Image& image, int32_t x, int32_t y, PixelPacket& pixel);
// columns × rows packets, row by row, from (x, y); positions outside the image repeat the
// nearest edge pixel. Null for an image without 24-bit pixels or an empty block.
std::unique_ptr<PixelPacket[]> AcquireImagePixels(const CBK_Image& image, int32_t x, int32_t y,
                                                  int32_t columns, int32_t rows);

// Odd kernel widths: 2 ceil(radius) + 1 for a positive radius, else the width at which the
// Gaussian of `sigma` falls below one level. Radii beyond 1000 are taken as 1000.
int32_t GetOptimalKernelWidth1D(double radius, double sigma);
int32_t GetOptimalKernelWidth2D(double radius, double sigma);

// Hue, saturation and luminosity from 0 to 1.
void HSLTransform(double hue, double saturation, double luminosity, Quantum* red, Quantum* green,
                  Quantum* blue);
void TransformHSL(Quantum red, Quantum green, Quantum blue, double* hue, double* saturation,
                  double* luminosity);
// Raises (sign > 0) or lowers the luminosity's contrast along a sine curve.
void Contrast(int32_t sign, Quantum* red, Quantum* green, Quantum* blue);

// The colour at a real position from the 2 × 2 block at its floor. The coordinates are held
// to −1 … width and −1 … height (NaN as −1), the floor is taken in single precision and both
// block rows and columns are held inside the image, so that positions left of or above the
// image take the edge pixels there just as positions right of or below it do.
void InterpolateColor(const CBK_Image& image, double x, double y, PixelPacket& pixel);

// One interpolation with its block and weights worked out once (see InterpolateColor): the
// byte offsets of the four pixels and the fractions a (across) and b (down).
struct InterpolationSample {
    uint32_t offset[4];
    double a;
    double b;
};
InterpolationSample MakeInterpolationSample(int32_t width, int32_t height, double x, double y);
inline uint8_t InterpolateChannel(const uint8_t* pixels, const InterpolationSample& s, int c) {
    const double p0 = pixels[s.offset[0] + c], p1 = pixels[s.offset[1] + c];
    const double p2 = pixels[s.offset[2] + c], p3 = pixels[s.offset[3] + c];
    return uint8_t(int32_t((p0 * (1.0 - s.a) + p1 * s.a) * (1.0 - s.b) +
                           (p2 * (1.0 - s.a) + p3 * s.a) * s.b + 0.5));
}

// One hull step over two planes of (columns + 2) × (rows + 2) bytes.
void Hull(int32_t xOffset, int32_t yOffset, int32_t columns, int32_t rows, uint8_t* f, uint8_t* g,
          int32_t polarity);

} // namespace imagemagick

// True with the dimensions when the image holds 24-bit pixels for all of them.
bool BK_Has24BitPixels(const CBK_Image& image, int32_t& width, int32_t& height);
