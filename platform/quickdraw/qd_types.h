// QuickDraw types: ports, pixel maps, bit maps and regions as checked handles, and colours.
#pragma once

#include "platform/types.h"

namespace tbx {

// Handles are never dereferenced by callers: each value names an entry of the port or region
// registry, so a null, stale or mistyped handle is caught and reported instead of followed.
struct OpaqueGrafPtr;
using GrafPtr = OpaqueGrafPtr*;
using CGrafPtr = GrafPtr;
using GWorldPtr = CGrafPtr;

struct OpaquePixMapHandle;
using PixMapHandle = OpaquePixMapHandle*;

// What GetPortBitMapForCopyBits hands out: a token for the port's pixels.
struct BitMap;

struct OpaqueRgnHandle;
using RgnHandle = OpaqueRgnHandle*;

// No colour tables or graphics devices exist here; callers pass null.
struct OpaqueCTabHandle;
using CTabHandle = OpaqueCTabHandle*;
struct OpaqueGDHandle;
using GDHandle = OpaqueGDHandle*;

using QDErr = OSErr;

// Text face bits: bold 1, italic 2, underline 4, outline 8, shadow 16, condense 32, extend 64.
using Style = UInt8;
using StyleParameter = SInt16;
enum : Style {
    normal = 0,
    bold = 1,
    italic = 2,
    underline = 4,
    outline = 8,
    shadow = 16,
    condense = 32,
    extend = 64,
};
using GWorldFlags = UInt32;

// 16 bits a channel; an 8-bit value v is v × 257.
struct RGBColor {
    UInt16 red = 0;
    UInt16 green = 0;
    UInt16 blue = 0;
};

inline bool operator==(const RGBColor& a, const RGBColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

enum : OSErr {
    cDepthErr = -157,
};

// Transfer modes.
enum : SInt16 {
    srcCopy = 0,
};

// Classic colours of ForeColor and BackColor.
enum : SInt32 {
    whiteColor = 30,
    blackColor = 33,
    yellowColor = 69,
    magentaColor = 137,
    redColor = 205,
    cyanColor = 273,
    greenColor = 341,
    blueColor = 409,
};

} // namespace tbx
