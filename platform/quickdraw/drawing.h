// Colours and pixel drawing on the current port (see SetGWorld).
//
// Each call gives paramErr, changing nothing, when no live port is current. Drawn 32-bit
// pixels are opaque (alpha byte 0xFF) and take the high byte of each 16-bit channel.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

OSErr RGBForeColor(const RGBColor* color);
OSErr RGBBackColor(const RGBColor* color);
OSErr GetForeColor(RGBColor* color);
OSErr GetBackColor(RGBColor* color);
// The colour of one of the eight classic colour numbers (blackColor, whiteColor, ...); false
// for another number.
bool ClassicColor(SInt32 number, RGBColor& color);
// One of the eight classic colour numbers (blackColor, whiteColor, ...); paramErr otherwise.
OSErr ForeColor(SInt32 color);
OSErr BackColor(SInt32 color);

// Fill the rectangle, clipped to the port, with the foreground or the background colour.
OSErr PaintRect(const Rect* rect);
OSErr EraseRect(const Rect* rect);

// A point outside the port is not drawn (noErr) and reads as black with paramErr.
OSErr SetCPixel(SInt16 h, SInt16 v, const RGBColor* color);
OSErr GetCPixel(SInt16 h, SInt16 v, RGBColor* color);

// The pen: where text is drawn next (on the baseline).
OSErr MoveTo(SInt16 h, SInt16 v);
OSErr GetPen(Point* pen);

} // namespace tbx
