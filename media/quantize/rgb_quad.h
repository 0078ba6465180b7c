// BK_RGBQUAD: a four-byte palette entry: blue, green, red and a spare zero byte.
#pragma once

#include <cstdint>

struct BK_RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

static_assert(sizeof(BK_RGBQUAD) == 4, "palette entries are four bytes");
