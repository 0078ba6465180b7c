// Decoding a JPEG held in memory into packed red-green-blue pixels, top row first. Grey
// pictures widen to three equal channels; four-component pictures (CMYK, and YCCK, which
// libjpeg turns into CMYK) hold their inks inverted, as Adobe's programs write them, and
// become red = cyan' × black' / 255 (rounded; ' the stored, inverted sample), and so on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tbx::jpeg {

struct RgbPixels {
    std::unique_ptr<uint8_t[]> pixels; // width × height × 3 bytes
    uint32_t width = 0;
    uint32_t height = 0;
};

// A progressive picture may repeat one scan without end, each pass over all of its blocks; a
// few hundred scans are far more than any encoder writes. Decoding stops past this many.
inline constexpr int kMaxScans = 300;

// False, `out` untouched, for data that is truncated or corrupt, has more than kMaxScans
// scans, or whose pixels would take more than `maxBytes` or none.
bool DecodeToRgb(const uint8_t* bytes, std::size_t size, std::size_t maxBytes, RgbPixels& out);
// The same, decoding into `spare` (of `spareBytes` bytes) when the pixels take exactly that
// many, so that a caller decoding picture after picture allocates nothing: out.pixels then
// takes it over. Otherwise `spare` stays, though a failed decode may have written into it.
bool DecodeToRgb(const uint8_t* bytes, std::size_t size, std::size_t maxBytes, RgbPixels& out,
                 std::unique_ptr<uint8_t[]>& spare, std::size_t spareBytes);

} // namespace tbx::jpeg
