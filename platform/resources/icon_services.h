// Icon Services: icon families ('icns' resources) registered under a creator and a type, and
// plotted into the current port.
//
// The family is read from its 'is32', 'il32', 'ih32' and 'it32' images (run-length coded RGB
// planes) with their 8-bit masks 's8mk', 'l8mk', 'h8mk' and 't8mk'; a family without any
// of them is refused (invalidIconRefErr). Plotting takes the smallest image at least as large
// as the rectangle (else the largest), scales it by nearest pixel and blends it through its
// mask.
#pragma once

#include "platform/files/fs_types.h"
#include "platform/quickdraw/qd_types.h"

namespace tbx {

struct OpaqueIconRef;
using IconRef = OpaqueIconRef*;
using IconAlignmentType = SInt16;
using IconTransformType = SInt16;
using IconServicesUsageFlags = UInt32;

inline constexpr IconAlignmentType kAlignNone = 0;
inline constexpr IconTransformType kTransformNone = 0;
inline constexpr IconServicesUsageFlags kIconServicesNormalUsageFlag = 0;
inline constexpr OSErr invalidIconRefErr = -2580;
inline constexpr OSErr noSuchIconErr = -2582;

// Reads the family from the resource file and registers it (replacing an earlier one of the
// same creator and type). The reference given is the caller's to release.
OSErr RegisterIconRefFromResource(OSType creator, OSType iconType, const FSSpec* resourceFile,
                                  SInt16 resourceId, IconRef* outIcon);
// noSuchIconErr when nothing is registered under the pair.
OSErr UnregisterIconRef(OSType creator, OSType iconType);
OSErr ReleaseIconRef(IconRef icon);
// Null when nothing is registered under the pair; else a new reference.
OSErr GetIconRef(SInt16 vRefNum, OSType creator, OSType iconType, IconRef* outIcon);
OSErr PlotIconRef(const Rect* rect, IconAlignmentType alignment, IconTransformType transform,
                  IconServicesUsageFlags flags, IconRef icon);

} // namespace tbx
