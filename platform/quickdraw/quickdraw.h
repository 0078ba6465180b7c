// The QuickDraw stand-in: offscreen worlds, drawing on the current port, copies and regions.
#pragma once

#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/quickdraw/region.h"
