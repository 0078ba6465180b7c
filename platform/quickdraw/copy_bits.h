// CopyBits and CopyMask between pixel maps of 32 or 1 bits.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

// Copies srcRect of the source map onto dstRect of the destination map (rectangles in each
// map's own coordinates), scaling by nearest pixel when their sizes differ. Only the part
// of dstRect that lies inside the destination, inside maskRgn when one is given, and whose
// source pixels lie inside the source is written; the rest of the destination is untouched.
// 32-bit pixels are copied whole (alpha too); a 1-bit source gives black or white; a 32-bit
// source reaching a 1-bit map becomes black below mid grey. Source and destination may be the
// same map. paramErr for a dead map or region, a missing rectangle or a mode other than
// srcCopy.
OSErr CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
               const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);

// As CopyBits in srcCopy mode, through a mask whose maskRect is scaled onto dstRect like
// srcRect. A 1-bit mask copies the source where its pixel is black and keeps the destination
// where it is white. A 32-bit mask weighs each channel: mask byte m gives
// (source × (255 − m) + destination × m + 127) / 255, so black copies, white keeps and greys
// blend; the alpha byte is weighed by the mean of the three mask channels.
OSErr CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits,
               const Rect* srcRect, const Rect* maskRect, const Rect* dstRect);

} // namespace tbx
