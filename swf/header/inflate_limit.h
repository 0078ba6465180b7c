// How far the body of a compressed movie (what follows its first 8 bytes) may inflate.
//
// zlib reaches about 1032:1 on a run of one byte. Real content compresses far less: bitmaps,
// sounds and video are compressed already, shapes, fonts, text and scripts give 2 to 10:1.
// What compresses better (empty frames, digital silence, a flat lossless bitmap) is small, so
// past 16 MiB a movie is held to 64 inflated bytes for each compressed one. A stream that
// gives more is a compression bomb, refused before it costs more than that.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ravuz {

inline constexpr uint64_t kSwfInflateFloor = uint64_t(16) << 20;
inline constexpr uint64_t kSwfInflateRatio = 64;

// The most bytes that `compressed` bytes of zlib stream may stand for.
constexpr uint64_t SwfInflateLimit(uint64_t compressed) {
    return std::max(kSwfInflateFloor, kSwfInflateRatio * compressed);
}

} // namespace ravuz
