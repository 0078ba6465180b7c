// Frames of controls and windows in the order layouts write them: left, top, right, bottom.
#pragma once

#include <cstdint>

#include "platform/types.h"

inline tbx::Rect BK_Bounds(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    return tbx::Rect{top, left, bottom, right};
}
