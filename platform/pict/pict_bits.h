// The image operations of pictures: bit images and pixel patterns in their packed and plain
// forms, and images compressed by a codec (JPEG).
#pragma once

#include <cstdint>

#include "platform/pict/pict_canvas.h"
#include "platform/pict/pict_reader.h"

namespace tbx::pict {

// A bit-image operation (BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect,
// DirectBitsRgn): indexed pixels of 1, 2, 4 or 8 bits, bitmaps in the foreground and
// background colours, direct pixels of 16 or 32 bits in every packing. Read and, with `draw`,
// drawn; the mask region is read past.
bool BitsOp(Reader& in, uint16_t op, bool draw, Canvas& canvas);
// A pixel pattern: its black-and-white form goes to `pattern`, its colour image is read past.
bool PixPatOp(Reader& in, Pattern& pattern, Canvas& canvas);
// A compressed image (CompressedQuickTime), placed by its matrix: JPEG through libjpeg, other
// codecs through FFmpeg's decoders (`drawn` set); read past when no decoder takes it. Images
// placed in perspective, or flattened, are refused.
bool CompressedOp(Reader& in, Canvas& canvas, bool& drawn);

} // namespace tbx::pict
