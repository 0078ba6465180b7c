// Offscreen pixel maps: creation with black on white, disposal, and raw pixels drawn in.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"

// A world with bounds (0, 0, width, height) at the depth (32 or 1) whose foreground is black
// and background white. The reference is overwritten (an earlier world is not disposed of) and
// is null after a failure. The current port is left as it was.
bool BK_CreatePixmap(tbx::GWorldPtr& world, uint32_t width, uint32_t height, uint32_t depth);

// Disposes of the world when there is one and clears the reference; true.
bool BK_DestroyPixmap(tbx::GWorldPtr& world);

// Draws width × height pixels, top row first, at the port's local (0, 0): depth 24 reads red,
// green, blue bytes; depth 1 reads a byte per pixel, non-zero white and zero black. Other
// depths draw nothing; pixels beyond the port are dropped.
void BK_DrawRawImage(const unsigned char* pixels, uint32_t width, uint32_t height,
                     uint32_t bitsPerPixel, tbx::GWorldPtr& port);
