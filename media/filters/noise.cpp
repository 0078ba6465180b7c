#include "media/filters/noise.h"

#include <cstdlib>

namespace imagemagick {

int32_t StdRandomSource::Next() {
    return int32_t(std::rand());
}

uint8_t GenerateNoise(uint8_t pixel, int32_t type) {
    StdRandomSource random;
    return GenerateNoiseFrom(pixel, type, random);
}

uint8_t GenerateNoise(uint8_t pixel, int32_t type, RandomSource& random) {
    return GenerateNoiseFrom(pixel, type, random);
}

} // namespace imagemagick
