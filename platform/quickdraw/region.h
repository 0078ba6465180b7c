// Regions, as far as callers use them: rectangles that clip CopyBits and CopyMask.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

// A new empty region; null when none can be had.
RgnHandle NewRgn();
OSErr DisposeRgn(RgnHandle region);
OSErr RectRgn(RgnHandle region, const Rect* rect);
OSErr SetRectRgn(RgnHandle region, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
// The rectangle is cleared and null returned for a dead handle.
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);

namespace qd {
// The region's rectangle into `bounds`; false for a dead handle.
bool RegionBounds(RgnHandle region, Rect& bounds);
} // namespace qd

} // namespace tbx
