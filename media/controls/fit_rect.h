// Where a picture of w × h goes when fitted, proportions kept, into a control of cw × ch.
#pragma once

#include <cstdint>

#include "platform/types.h"

// A picture wider than the control is reduced to its width, then one still too tall to its
// height (rounding to the nearest pixel), and centred; a smaller one keeps its size. Empty for
// a picture or control without area.
tbx::Rect BK_FitImageRect(int32_t w, int32_t h, int32_t cw, int32_t ch);
