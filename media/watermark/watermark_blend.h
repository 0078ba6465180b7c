// The per-byte blend of a watermark into a frame:
// frame = truncate(mark × a / 255.0 + frame × (255.0 − a) / 255.0), in double precision.
#pragma once

#include <cstdint>

// One row of `count` 24-bit pixels. With a map, each pixel's weight is
// max(map byte + alpha − 255, 0), else alpha; weights are held to 0 to 255.
void BK_BlendWatermarkRow(uint8_t* frame, const uint8_t* mark, const uint8_t* map, int32_t count,
                          int32_t alpha);
