// The QuickDraw stand-in: offscreen worlds, drawing on the current port, copies, regions
// and the text state.
#pragma once

#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/quickdraw/region.h"
#include "platform/quickdraw/text_state.h"
