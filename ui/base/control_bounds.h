// Frames of controls and windows: in the order layouts write them (left, top, right, bottom),
// and coordinates held to the 16-bit range the window system keeps.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/types.h"

inline tbx::Rect BK_Bounds(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    return tbx::Rect{top, left, bottom, right};
}

inline int16_t BK_ClampCoordinate(int32_t value) {
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}
