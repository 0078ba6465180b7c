// Helpers that the style, shape, morph and text records share: colours copied and written by
// their own class, absent members written as their empty forms, and style-array counts.
#pragma once

#include <cstdint>
#include <memory>

#include "swf/records/color.h"
#include "swf/records/matrix.h"

namespace ravuz {

class CBK_SwfReader;
class CBK_SwfStream;

// Styles beyond this cannot be indexed: a shape announces index widths in 4 bits (15 at most).
constexpr uint32_t kSwfMaxStyles = 0x7FFF;
// An array holds as many as its 16-bit count says, those beyond the indexed ones included.
constexpr uint32_t kSwfMaxStyleCount = 0xFFFF;

inline bool SwfIsAlphaColor(const CBK_SwfColor* color) {
    return dynamic_cast<const CBK_SwfColorAlpha*>(color) != nullptr;
}

// A copy of its own class (RGBA stays RGBA, RGB stays RGB); null for null.
std::unique_ptr<CBK_SwfColor> SwfCopyColor(const CBK_SwfColor* color);
// Black: CBK_SwfColorAlpha (0, 0, 0, 255) with `alpha`, else CBK_SwfColor (0, 0, 0).
std::unique_ptr<CBK_SwfColor> SwfNewColor(bool alpha);
// A colour from 0x00BBGGRR, opaque, of the class that `alpha` asks for.
std::unique_ptr<CBK_SwfColor> SwfNewColor(uint32_t packed, bool alpha);
// The colour by its class; an absent one as black of the class that `alpha` asks for, so
// that a reader always finds the bytes it expects.
void SwfWriteColor(CBK_SwfStream* stream, CBK_SwfColor* color, bool alpha);
// The matrix, or an empty one (no scale, no rotation, no translation) when absent.
void SwfWriteMatrix(CBK_SwfStream* stream, CBK_SwfMatrix* matrix);
std::unique_ptr<CBK_SwfMatrix> SwfCopyMatrix(const CBK_SwfMatrix* matrix);

// Count below 255: one byte; otherwise 0xFF and a u16. Returns the count written, at most
// kSwfMaxStyleCount.
uint32_t SwfWriteStyleCount(CBK_SwfStream* stream, std::size_t count);
uint32_t SwfReadStyleCount(CBK_SwfReader* reader);

} // namespace ravuz
