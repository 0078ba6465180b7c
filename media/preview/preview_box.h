// Where a picture of w × h goes in a control of cw × ch.
#pragma once

#include <cstdint>

#include "platform/types.h"

// With fit, a picture wider than the control is reduced to its width, then one still too
// tall to its height (keeping the aspect ratio, truncating), and centred; a smaller one keeps
// its size. Without fit the whole control. Empty for a picture without area.
tbx::Rect BK_FitPictureBox(int32_t w, int32_t h, int32_t cw, int32_t ch, bool fit);
