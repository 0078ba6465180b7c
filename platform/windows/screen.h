// The main screen: 1440 x 900 pixels, 32 bits deep unless a test or caller sets another depth
// that the device supports (1, 8, 16, 24 or 32).
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

GDHandle GetMainDevice();
// The device's bounds in global coordinates; null for an unknown device.
Rect* GetDeviceRect(GDHandle device, Rect* bounds);
// Bits per pixel; 0 for an unknown device.
SInt16 GetDevicePixelSize(GDHandle device);
Boolean HasDepth(GDHandle device, SInt16 depth, SInt16 whichFlags, SInt16 flags);
// paramErr for an unknown device or a depth it does not have.
OSErr SetDepth(GDHandle device, SInt16 depth, SInt16 whichFlags, SInt16 flags);

// The keyboard layout the Script Manager keeps, for KeyTranslate.
inline constexpr SInt16 smKCHRCache = 38;
void* GetScriptManagerVariable(SInt16 selector);
// The character the layout types for a key code (low 7 bits) with the modifiers (high byte);
// 0 for a key that types none. The US layout is the only one.
UInt32 KeyTranslate(const void* layout, UInt16 keyCodeAndModifiers, UInt32* state);

} // namespace tbx
