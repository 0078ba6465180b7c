// The layouts that decoded pictures are drawn in, shared by movies and pictures.
#pragma once

#include <cstddef>

namespace tbx {

// Pixel layouts that frames are rendered in: bytes A, R, G, B (an offscreen pixel map) or
// R, G, B.
enum class FramePixels { Argb32, Rgb24 };

// Bytes to spare after a packed target's last row that let a frame be rendered straight into
// it: the scaler writes whole groups of pixels, past the end of a row.
constexpr std::size_t kFrameRenderRoom = 64;

} // namespace tbx
