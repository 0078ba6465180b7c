#include "media/filters/convolve.h"

#include <algorithm>
#include <cmath>

#include "media/filters/pixel_routines.h"

namespace imagemagick {

bool ConvolveImage(CBK_Image& image, int32_t order, const double* kernel) {
    ConvolveScratch scratch;
    return ConvolveImage(image, order, kernel, scratch);
}

bool ConvolveImage(CBK_Image& image, int32_t order, const double* kernel,
                   ConvolveScratch& scratch) {
    int32_t w, h;
    if (!kernel || order < 1 || order % 2 == 0 || !BK_Has24BitPixels(image, w, h) || order > w ||
        order > h)
        return false;
    const int32_t taps = order * order;
    const int32_t half = order / 2;
    double sum = 0;
    for (int32_t i = 0; i < taps; ++i)
        sum += kernel[i];
    const bool scale = std::fabs(std::trunc(sum)) > MagickEpsilon;
    scratch.weights.assign(kernel, kernel + taps);
    if (scale)
        for (double& weight : scratch.weights)
            weight /= sum;

    // Each source row once, as doubles per channel with the edge columns repeated, so that
    // every tap is a straight run over the row and adds to independent output sums.
    const int32_t padded = w + order - 1;
    const std::size_t plane = std::size_t(padded) * h;
    scratch.planes.resize(plane * 3);
    uint8_t* data = image.GetData();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t i = 0; i < padded; ++i) {
            const uint8_t* p = data + (std::size_t(y) * w + std::clamp(i - half, 0, w - 1)) * 3;
            for (int c = 0; c < 3; ++c)
                scratch.planes[plane * c + std::size_t(y) * padded + i] = p[c];
        }

    scratch.sums.resize(std::size_t(w) * 3);
    for (int32_t y = 0; y < h; ++y) {
        std::fill(scratch.sums.begin(), scratch.sums.end(), 0.0);
        for (int32_t r = 0; r < order; ++r) {
            const std::size_t row = std::size_t(std::clamp(y - half + r, 0, h - 1)) * padded;
            for (int32_t k = 0; k < order; ++k) {
                const double weight = scratch.weights[std::size_t(r) * order + k];
                // A zero tap adds exactly nothing to any sum.
                if (weight == 0.0)
                    continue;
                for (int c = 0; c < 3; ++c) {
                    const double* in = scratch.planes.data() + plane * c + row + k;
                    double* out = scratch.sums.data() + std::size_t(c) * w;
                    for (int32_t x = 0; x < w; ++x)
                        out[x] += weight * in[x];
                }
            }
        }
        uint8_t* out = data + std::size_t(y) * w * 3;
        for (int32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const double v = scratch.sums[std::size_t(c) * w + x];
                // Held to 0 … 255 whatever the weights: with every weight positive the sum
                // cannot leave that range anyway.
                out[x * 3 + c] = v < 0 ? 0 : v > 255 ? 255 : uint8_t(std::min(v + 0.5, 255.0));
            }
    }
    return true;
}

} // namespace imagemagick
