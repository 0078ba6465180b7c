// QuickDraw offscreen graphics worlds and the current port.
//
// Calls whose toolbox form returns nothing return a status here: a null or disposed handle
// gives paramErr and changes nothing. Calls that return a value give null, 0 or false for
// such a handle.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

// Depth 32 (or 0, which means 32) or 1. Pixels start cleared (32 bits: all bytes zero; 1 bit:
// white); the foreground is black and the background white. paramErr for a null out-pointer
// or bounds, or bounds without area; cDepthErr for another depth; memFullErr when the pixels
// cannot be had. *world is null after a failure.
QDErr NewGWorld(GWorldPtr* world, SInt16 pixelDepth, const Rect* bounds, CTabHandle table,
                GDHandle device, GWorldFlags flags);
// The current port becomes stale when it is the world disposed of.
OSErr DisposeGWorld(GWorldPtr world);

PixMapHandle GetGWorldPixMap(GWorldPtr world);
// Pixels never move here; locking only checks the handle.
Boolean LockPixels(PixMapHandle pixMap);
OSErr UnlockPixels(PixMapHandle pixMap);
Ptr GetPixBaseAddr(PixMapHandle pixMap);
SInt32 GetPixRowBytes(PixMapHandle pixMap);
SInt16 GetPixDepth(PixMapHandle pixMap);
// The rectangle is cleared and null returned for a dead handle.
Rect* GetPixBounds(PixMapHandle pixMap, Rect* bounds);
Rect* GetPortBounds(CGrafPtr port, Rect* bounds);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

// Any device given is ignored (there are none); *device is set to null.
void GetGWorld(CGrafPtr* port, GDHandle* device);
// Null makes no port current; a dead port gives paramErr and leaves the current one.
OSErr SetGWorld(CGrafPtr port, GDHandle device);

} // namespace tbx
