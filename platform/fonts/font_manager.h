// The Font Manager stand-in: family ids and names, and font and glyph metrics of the current
// port's text state (see TextFont, TextSize and TextFace).
//
// Families are the installed scalable fonts (see font_catalog.h): 1024 is the system family
// and 0 stands for it. Names are length-prefixed Mac Roman. Every family is an outline font,
// so the outline preferences change no result; they are kept for callers that set them.
#pragma once

#include "platform/fonts/font_types.h"
#include "platform/text_encoding.h"

namespace tbx {

FMFontFamily GetSysFont();

// kFMInvalidFontFamilyErr and an empty name for an unknown family.
OSStatus FMGetFontFamilyName(FMFontFamily family, Str255 name);
// An empty name for an unknown family; paramErr only for a null name.
OSErr GetFontName(SInt16 family, Str255 name);
// Family names are given in Mac Roman.
OSStatus FMGetFontFamilyTextEncoding(FMFontFamily family, TextEncoding* encoding);
// *family is 0 when no family has the name (compared without regard to ASCII case).
OSErr GetFNum(ConstStr255Param name, SInt16* family);
// kInvalidFontFamily when no family has the name.
FMFontFamily FMGetFontFamilyFromName(ConstStr255Param name);

OSErr SetOutlinePreferred(Boolean outlinePreferred);
Boolean GetOutlinePreferred();
OSErr SetPreserveGlyph(Boolean preserveGlyph);
Boolean GetPreserveGlyph();

// Line metrics in pixels; ascent and descent are positive, leading is the font's own line gap.
struct FMetricRec {
    Fixed ascent = 0;
    Fixed descent = 0;
    Fixed leading = 0;
    Fixed widMax = 0;
};

// Of the current port's family, size (0 means 12) and face; only the bold and italic bits
// choose a face. paramErr without a port or record, or for a negative size;
// kFMInvalidFontFamilyErr when the family is unknown or cannot be read. The record is zeroed
// on failure.
OSErr FontMetrics(FMetricRec* metrics);

// Measures byteCount bytes of Mac Roman text in the current port's font, scaled by numer/denom
// horizontally (h) and vertically (v), from the glyph outlines without hinting: per byte the
// advance, the left side bearing (from the origin to the outline's left edge) and the bounds
// (QuickDraw orientation: top is minus the highest point, rounded outwards); over all bytes
// the highest and lowest points. Any output may be null. Errors as FontMetrics; paramErr also
// for a negative count, null text or a scale that is not positive.
OSErr OutlineMetrics(SInt16 byteCount, const void* textPtr, Point numer, Point denom, SInt16* yMax,
                     SInt16* yMin, Fixed* awArray, Fixed* lsbArray, Rect* boundsArray);

} // namespace tbx
