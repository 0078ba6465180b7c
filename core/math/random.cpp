#include "core/math/random.h"

#include <algorithm>
#include <cstdlib>

int32_t BK_Random() {
    return static_cast<int32_t>(std::rand());
}

int32_t BK_Random(int32_t a, int32_t b) {
    const int64_t low = std::min(a, b);
    const uint64_t span = static_cast<uint64_t>(int64_t{std::max(a, b)} - low) + 1;
    constexpr uint64_t kRange = uint64_t{RAND_MAX} + 1;
    uint64_t draw = static_cast<uint64_t>(std::rand());
    // A span wider than one draw takes a second one, so every value stays reachable.
    if (span > kRange)
        draw = draw * kRange + static_cast<uint64_t>(std::rand());
    return static_cast<int32_t>(low + static_cast<int64_t>(draw % span));
}
