// The ATSUI stand-in for measuring glyphs of Unicode text: font ids of family faces, text
// layouts over styled runs, their glyphs and the glyphs' ideal (unhinted) metrics. Styles
// are those of the font panel (ATSUCreateStyle and ATSUSetAttributes).
#pragma once

#include <cstddef>

#include "platform/fonts/font_types.h"
#include "platform/windows/font_panel.h"

namespace tbx {

struct OpaqueATSUTextLayout;
using ATSUTextLayout = OpaqueATSUTextLayout*;
using ItemCount = std::size_t;
using UniCharArrayOffset = std::size_t;
using ByteOffset = std::size_t;

// Style attributes besides the font and the size: Boolean values of the QuickDraw face bits.
inline constexpr ATSUAttributeTag kATSUQDBoldfaceTag = 256;
inline constexpr ATSUAttributeTag kATSUQDItalicTag = 257;
inline constexpr ATSUAttributeTag kATSUQDUnderlineTag = 258;
inline constexpr ATSUAttributeTag kATSUQDCondensedTag = 259;
inline constexpr ATSUAttributeTag kATSUQDExtendedTag = 260;

inline constexpr ATSUFontID kATSUInvalidFontID = 0;

// The font of a family's face for the style bits; of the bits, only bold and italic choose a
// face. kATSUInvalidFontErr for an unknown family.
OSStatus ATSUFONDtoFontID(FMFontFamily family, FMFontStyle style, ATSUFontID* font);

// The layout copies the text (the characters from offset to offset + length of a text of
// totalLength) and refers to the styles, which must outlive it. The run lengths cover the
// text. paramErr for a null out-pointer or text, a range outside the text, or runs that do
// not add up to the length.
OSStatus ATSUCreateTextLayoutWithTextPtr(const UniChar* text, UniCharArrayOffset offset,
                                         UniCharCount length, UniCharCount totalLength,
                                         ItemCount numberOfRuns, const UniCharCount runLengths[],
                                         ATSUStyle styles[], ATSUTextLayout* layout);
OSStatus ATSUDisposeTextLayout(ATSUTextLayout layout);

struct ATSUGlyphInfo {
    GlyphID glyphID = 0;
    UniCharArrayOffset charIndex = 0; // of the glyph's first character, from the layout's start
    ATSUStyle style = nullptr;
};

// Followed in memory by numGlyphs - 1 further entries when the buffer holds them.
struct ATSUGlyphInfoArray {
    ATSUTextLayout layout = nullptr;
    ItemCount numGlyphs = 0;
    ATSUGlyphInfo glyphs[1];
};

// The glyphs of the line from lineStart of lineLength characters: one per character, a
// surrogate pair being one character. With a null array *ioBufferSize receives the size
// needed; otherwise the array is filled as far as *ioBufferSize bytes allow (paramErr when
// not even the header fits). Errors for a dead layout or style, or a font that cannot be read.
OSStatus ATSUGetGlyphInfo(ATSUTextLayout layout, UniCharArrayOffset lineStart,
                          UniCharCount lineLength, ByteCount* ioBufferSize,
                          ATSUGlyphInfoArray* glyphInfo);

struct Float32Point {
    float x = 0;
    float y = 0;
};

// Points of the style's size (12 when it has none): the advance, the left side bearing and
// the right side bearing (from the outline's right edge to the advance).
struct ATSGlyphIdealMetrics {
    Float32Point advance;
    Float32Point sideBearing;
    Float32Point otherSideBearing;
};

// The glyph ids lie inputOffset bytes apart (0: packed). The style's font, or the system
// font when it has none, and its bold and italic attributes choose the face.
OSStatus ATSUGlyphGetIdealMetrics(ATSUStyle style, ItemCount numOfGlyphs, const GlyphID glyphIDs[],
                                  ByteOffset inputOffset, ATSGlyphIdealMetrics idealMetrics[]);

} // namespace tbx
