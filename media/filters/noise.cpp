#include "media/filters/noise.h"

#include <cmath>
#include <cstdlib>

namespace imagemagick {

namespace {

constexpr double kRandomMax = 2147483647.0;

} // namespace

int32_t StdRandomSource::Next() {
    return int32_t(std::rand());
}

uint8_t GenerateNoise(uint8_t pixel, int32_t type) {
    StdRandomSource random;
    return GenerateNoise(pixel, type, random);
}

uint8_t GenerateNoise(uint8_t pixel, int32_t type, RandomSource& random) {
    double alpha = random.Next() / kRandomMax;
    if (alpha == 0.0)
        alpha = 1.0;
    const double p = pixel;
    double value;
    switch (type) {
    case GaussianNoise: {
        const double beta = random.Next() / kRandomMax;
        const double tau = std::sqrt(-2.0 * std::log(alpha));
        value = p + std::sqrt(p) * 4.0 * tau * std::cos(2.0 * M_PI * beta) +
                20.0 * tau * std::sin(2.0 * M_PI * beta);
        break;
    }
    case MultiplicativeGaussianNoise: {
        const double sigma = alpha > 0.00001 ? std::sqrt(-2.0 * std::log(alpha)) : 255.0;
        value = p + p * 0.5 * sigma * std::cos(2.0 * M_PI * (random.Next() / kRandomMax));
        break;
    }
    case ImpulseNoise:
        value = alpha < 0.05 ? 0.0 : alpha >= 0.95 ? 255.0 : p;
        break;
    case LaplacianNoise:
        if (alpha <= 0.5)
            value = alpha <= 0.00001 ? p - 255.0 : p + 10.0 * std::log(2.0 * alpha);
        else {
            const double beta = 1.0 - alpha;
            value = beta <= 0.000005 ? p + 255.0 : p - 10.0 * std::log(2.0 * beta);
        }
        break;
    case PoissonNoise: {
        const double limit = std::exp(-0.05 * p);
        int32_t count = 0;
        // The product shrinks by a random factor each time; a run of factors at 1.0 is
        // cut off at a count no pixel value could need.
        while (alpha > limit && count < 100000) {
            alpha *= random.Next() / kRandomMax;
            ++count;
        }
        value = count / 0.05;
        break;
    }
    default:
        value = p + (alpha - 0.5) * 4.0;
        break;
    }
    if (value < 0)
        return 0;
    if (value > 255)
        return 255;
    return uint8_t(value + 0.5);
}

} // namespace imagemagick
