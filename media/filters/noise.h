// Noise of six distributions for one channel value, from an exchangeable random source.
#pragma once

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

// The pixel with noise of the given type, held to 0 … 255 and rounded. Types outside 0 … 5
// give uniform noise.
uint8_t GenerateNoise(uint8_t pixel, int32_t type, RandomSource& random);
uint8_t GenerateNoise(uint8_t pixel, int32_t type);

} // namespace imagemagick
