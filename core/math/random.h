// Random numbers over the standard generator, which the application seeds once at start-up.
#pragma once

#include <cstdint>

// The next value of std::rand (0 to RAND_MAX).
int32_t BK_Random();

// A value from the smaller to the larger of the two, both included, in either order.
int32_t BK_Random(int32_t a, int32_t b);
