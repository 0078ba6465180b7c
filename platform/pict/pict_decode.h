// Decoding of QuickDraw pictures (the 'PICT' resource, without a file's 512-byte preamble)
// into ARGB pixels over a white frame. Version 1 and version 2 pictures: bit images (indexed,
// bitmaps, 16- and 32-bit direct pixels, packed or not), images compressed for QuickTime
// (JPEG, and the codecs FFmpeg decodes) placed by their matrix, lines, rectangles, rounded
// rectangles, ovals, arcs, polygons and regions in all their drawing forms, text, colours,
// patterns, the pen, the clip region and the origin. Operations of known length that are not
// drawn here (comments, the rest of the state) are passed over; an unknown one, data that runs
// out, or a picture larger than the cap or asking for far more drawing than its size
// warrants, fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/quickdraw/qd_types.h"

namespace tbx {

struct DecodedPicture {
    Rect frame;
    std::vector<uint32_t> pixels; // ARGB, rows of the frame's width from the top
};

constexpr std::size_t kMaxPicturePixels = std::size_t(1) << 24;

bool DecodePicture(const uint8_t* bytes, std::size_t size, DecodedPicture& out);

} // namespace tbx
