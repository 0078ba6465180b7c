// Decoding of version 2 QuickDraw pictures (the 'PICT' resource, without a file's 512-byte
// preamble) into ARGB pixels: the bit-image operations (indexed, one-bit and 32-bit direct
// pixels, packed or not) over a white frame; comments, colours and the other state operations
// of fixed length are passed over. Anything else, or a picture larger than the cap, fails.
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
