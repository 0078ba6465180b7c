// Frames of controls and windows: in the order layouts write them (left, top, right, bottom),
// and coordinates held to the 16-bit range the window system keeps.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/types.h"

inline tbx::Rect BK_Bounds(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    return tbx::Rect{top, left, bottom, right};
}

// The frame at (x, y) of the given size, each side taken as a 16-bit coordinate.
inline tbx::Rect BK_FrameAt(int32_t x, int32_t y, int32_t width, int32_t height) {
    return tbx::Rect{static_cast<int16_t>(y), static_cast<int16_t>(x),
                     static_cast<int16_t>(y + height), static_cast<int16_t>(x + width)};
}

inline int16_t BK_ClampCoordinate(int32_t value) {
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}
