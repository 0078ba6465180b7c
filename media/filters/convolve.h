// Square convolution of a 24-bit image in place, edges repeated.
#pragma once

#include <cstdint>
#include <vector>

#include "media/image/image.h"

namespace imagemagick {

// Working memory kept between frames.
struct ConvolveScratch {
    std::vector<double> planes; // the image as three padded planes of doubles
    std::vector<double> sums;
    std::vector<double> weights;
};

// Convolves with an order × order kernel (row by row). Weights are divided by their sum when
// that sum, truncated, is not 0. Each channel's weighted sum is formed tap by tap in kernel
// order, then held to 0 … 255 and rounded. False, the
// image unchanged, when the order is even or larger than the width or the height.
bool ConvolveImage(CBK_Image& image, int32_t order, const double* kernel);
bool ConvolveImage(CBK_Image& image, int32_t order, const double* kernel, ConvolveScratch& scratch);

} // namespace imagemagick
