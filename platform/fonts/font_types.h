// Types and result codes shared by the Font Manager and ATSUI stand-ins.
#pragma once

#include "platform/quickdraw/qd_types.h"

namespace tbx {

// 16.16 fixed point.
using Fixed = SInt32;
inline constexpr Fixed Long2Fix(SInt32 n) {
    return Fixed(UInt32(n) << 16);
}

// A 16-bit family id. Installed families have ids from 1024 upward; id 0 stands for the
// system font.
using FMFontFamily = SInt16;
using FMFontStyle = SInt16;
using GlyphID = UInt16;

inline constexpr SInt16 systemFont = 0;
inline constexpr FMFontFamily kInvalidFontFamily = -1;

enum : OSStatus {
    kFMInvalidFontFamilyErr = -985,
    kATSUInvalidTextLayoutErr = -8790,
    kATSUInvalidFontErr = -8796,
};

} // namespace tbx
