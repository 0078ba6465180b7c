// The per-byte blend of a watermark into a frame,
// frame = truncate(mark × a / 255.0 + frame × (255.0 − a) / 255.0) in double precision,
// and the coverage map that a transparent colour gives the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "media/image/image.h"

// One row of `count` 24-bit watermark pixels onto pixels `frameStep` bytes apart whose red,
// green and blue bytes start at `frame`. With a map, each pixel's weight is
// max(map byte + alpha − 255, 0), else alpha; weights are held to 0 to 255.
void BK_BlendWatermarkRow(uint8_t* frame, int32_t frameStep, const uint8_t* mark,
                          const uint8_t* map, int32_t count, int32_t alpha);

// One byte per pixel of the 24-bit source: 0 where it has the colour 0x00BBGGRR, 255
// elsewhere; empty for a source without pixels.
void BK_BuildWatermarkMask(const CBK_Image& source, uint32_t color, std::vector<uint8_t>& mask);

// The mask of a maskWidth × maskHeight picture resampled to width × height, so that the edges
// of the transparent area get values between. `map` keeps its storage when it is large enough;
// it is left as it was for an empty mask or a size the resampler refuses, and emptied when
// memory runs out.
void BK_ResizeWatermarkMask(const std::vector<uint8_t>& mask, int32_t maskWidth, int32_t maskHeight,
                            int32_t width, int32_t height, std::vector<uint8_t>& map);

// Both: the map of `source` for the colour at width × height.
void BK_BuildWatermarkAlphaMap(const CBK_Image& source, uint32_t color, int32_t width,
                               int32_t height, std::vector<uint8_t>& map);
