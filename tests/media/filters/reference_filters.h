// Plain, literal forms of the filters, written straight from their descriptions, pixel by
// pixel and without any of the library's shortcuts: the golden outputs of the filter tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace reference {

using std::size_t;

struct Picture {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> p; // red, green, blue per pixel
    uint8_t& at(int x, int y, int c) { return p[(size_t(y) * w + x) * 3 + c]; }
    // Outside positions repeat the nearest edge pixel.
    uint8_t clamped(int x, int y, int c) const;
};

// A random source shared by the reference and the tests (0 … 2147483647).
using Random = int32_t (*)(void* state);

bool Deinterlace(Picture& im);
void BlackWhite(Picture& im, int threshold);
void Brightness(Picture& im, int brightness, int contrast);
void Grayscale(Picture& im);
void Sepia(Picture& im);
void Solarize(Picture& im);
void BoxBlur(Picture& im);
void StackBlur(Picture& im, double radius);
void MotionBlur(Picture& im);
bool Edge(Picture& im, double radius);
bool Emboss(Picture& im);
bool Sharpen(Picture& im);
bool Median(Picture& im, int threshold);
void ReduceNoise(Picture& im);
void OilPaint(Picture& im, int threshold);
void RaiseBorders(Picture& im, int width);
void Shade(Picture& im);
void Swirl(Picture& im, int angle);
void Implode(Picture& im, int amount);
void FadeEdge(Picture& im, int border, uint32_t colour);
void Despeckle(Picture& im);
void AddNoise(Picture& im, int type, Random random, void* state);

int KernelWidth1D(double radius, double sigma);

} // namespace reference
