// Help tags: the text shown when the mouse rests over a control, kept with the control.
#pragma once

#include "platform/windows/carbon_types.h"

namespace tbx {

using HMContentType = OSType;
using HMTagDisplaySide = SInt16;

inline constexpr SInt32 kMacHelpVersion = 3;
inline constexpr HMContentType kHMNoContent = FourCC("none");
inline constexpr HMContentType kHMCFStringContent = FourCC("cfst");
inline constexpr HMTagDisplaySide kHMDefaultSide = 0;
inline constexpr int kHMMinimumContentIndex = 0;
inline constexpr int kHMMaximumContentIndex = 1;

struct HMHelpContent {
    HMContentType contentType = kHMNoContent;
    CFStringRef tagCFString = nullptr;
};

struct HMHelpContentRec {
    SInt32 version = kMacHelpVersion;
    Rect absHotRect;
    HMTagDisplaySide tagSide = kHMDefaultSide;
    HMHelpContent content[2];
};

// The control keeps copies of the texts; null content removes the tag.
OSStatus HMSetControlHelpContent(ControlRef control, const HMHelpContentRec* content);
// The strings given back are new references that the caller releases.
OSStatus HMGetControlHelpContent(ControlRef control, HMHelpContentRec* outContent);

} // namespace tbx
