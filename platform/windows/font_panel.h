// The system font panel and the ATSUI styles that tell it the current selection. Nothing is
// shown: the panel's visibility and the last selection given to it are kept for the tests.
#pragma once

#include <vector>

#include "platform/windows/carbon_types.h"

namespace tbx {

struct OpaqueATSUStyle;
using ATSUStyle = OpaqueATSUStyle*;
using ATSUAttributeTag = UInt32;
using ByteCount = std::size_t;
using ATSUAttributeValuePtr = void*;
using ATSUFontID = UInt32;
using Fixed = SInt32;

inline constexpr ATSUAttributeTag kATSUSizeTag = 262;
inline constexpr ATSUAttributeTag kATSUFontTag = 261;
inline constexpr OSType kFontSelectionATSUIType = FourCC("astl");
inline constexpr OSStatus kATSUInvalidStyleErr = -8800;

OSStatus ATSUCreateStyle(ATSUStyle* outStyle);
OSStatus ATSUDisposeStyle(ATSUStyle style);
OSStatus ATSUSetAttributes(ATSUStyle style, UInt32 count, const ATSUAttributeTag tags[],
                           const ByteCount sizes[], const ATSUAttributeValuePtr values[]);
// kATSUNotSetErr-like failure as paramErr when the style lacks the attribute.
OSStatus ATSUGetAttribute(ATSUStyle style, ATSUAttributeTag tag, ByteCount size, void* value,
                          ByteCount* actualSize);

// Parameters of a font-selection event: 16-bit family, style and size.
inline constexpr OSType kEventParamFMFontFamily = FourCC("fmfm");
inline constexpr OSType kEventParamFMFontStyle = FourCC("fmst");
inline constexpr OSType kEventParamFMFontSize = FourCC("fmsz");
inline constexpr OSType typeFMFontFamily = FourCC("fmfm");
inline constexpr OSType typeFMFontStyle = FourCC("fmst");
inline constexpr OSType typeFMFontSize = FourCC("fmsz");

// Toggles the panel.
OSStatus FPShowHideFontPanel();
Boolean FPIsFontPanelVisible();
// Copies the styles: the caller may dispose of its own afterwards.
OSStatus SetFontInfoForSelection(OSType styleType, UInt32 numStyles, void* styles,
                                 EventTargetRef target);

namespace test {
struct FontSelection {
    bool given = false;
    EventTargetRef target = nullptr;
    ATSUFontID font = 0;
    Fixed size = 0;
};
FontSelection LastFontSelection();
void ResetFontPanel();
} // namespace test

} // namespace tbx
