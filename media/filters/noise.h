// Noise of six distributions for one channel value, from an exchangeable random source.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

namespace imagemagick {

enum NoiseType : int32_t {
    UniformNoise = 0,
    GaussianNoise = 1,
    MultiplicativeGaussianNoise = 2,
    ImpulseNoise = 3,
    LaplacianNoise = 4,
    PoissonNoise = 5,
};

// Values from 0 to 2147483647.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int32_t Next() = 0;
};

// The standard generator (std::rand), which the application seeds once.
class StdRandomSource : public RandomSource {
public:
    int32_t Next() override;
};

// A generator of its own, reproducible from its seed.
class SeededRandomSource : public RandomSource {
public:
    explicit SeededRandomSource(uint32_t seed) : _engine(seed) {}
    int32_t Next() override { return int32_t(_engine()); }

private:
    std::minstd_rand _engine;
};

// A quick generator for the filter's own use, seeded from the standard one per frame.
class FastRandomSource final : public RandomSource {
public:
    explicit FastRandomSource(uint32_t seed) : _state(seed) {}
    int32_t Next() override {
        _state = _state * 1103515245u + 12345u;
        return int32_t(_state >> 1);
    }

private:
    uint32_t _state;
};

// The pixel with noise of the given type, held to 0 … 255 and rounded. Types outside 0 … 5
// give uniform noise.
uint8_t GenerateNoise(uint8_t pixel, int32_t type, RandomSource& random);
uint8_t GenerateNoise(uint8_t pixel, int32_t type);

// The Gaussian noise of a pixel value from its two draws scaled to 0 … 1 (alpha not 0).
inline double GaussianNoiseValue(double p, double alpha, double beta) {
    const double tau = std::sqrt(-2.0 * std::log(alpha));
    // One call for both: the C library computes them as its separate sine and cosine do.
    double sine, cosine;
    ::sincos(2.0 * M_PI * beta, &sine, &cosine);
    return p + std::sqrt(p) * 4.0 * tau * cosine + 20.0 * tau * sine;
}

// A noisy value held to 0 … 255 and rounded.
inline uint8_t NoiseToByte(double value) {
    if (!(value >= 0)) // a source outside its range could give NaN
        return 0;
    if (value > 255)
        return 255;
    return uint8_t(value + 0.5);
}

inline constexpr double kRandomMax = 2147483647.0;

// The same for a source whose type is known here, so that its calls can be inlined.
template <typename Source>
uint8_t GenerateNoiseFrom(uint8_t pixel, int32_t type, Source& random) {
    double alpha = random.Next() / kRandomMax;
    if (alpha == 0.0)
        alpha = 1.0;
    const double p = pixel;
    double value;
    switch (type) {
    case GaussianNoise:
        value = GaussianNoiseValue(p, alpha, random.Next() / kRandomMax);
        break;
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
    return NoiseToByte(value);
}

} // namespace imagemagick
