// Byte sizes of pixel buffers, computed without overflow and held below one cap, so that a
// header's claimed size can never wrap into a small buffer or ask for a huge one.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest pixel buffer that an image, codec or resampler makes (512 MiB: 178 million
// pixels of three bytes).
constexpr std::size_t kBK_MaxImageBytes = std::size_t(1) << 29;

// width × height × bytesPerPixel into `bytes`; false when a dimension is negative or the
// product exceeds kBK_MaxImageBytes.
inline bool BK_ImageByteSize(int64_t width, int64_t height, uint32_t bytesPerPixel,
                             std::size_t& bytes) {
    if (width < 0 || height < 0 || bytesPerPixel > 16)
        return false;
    if (width > int64_t(kBK_MaxImageBytes) || height > int64_t(kBK_MaxImageBytes))
        return false;
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (pixels > kBK_MaxImageBytes)
        return false;
    uint64_t total = pixels * bytesPerPixel;
    if (total > kBK_MaxImageBytes)
        return false;
    bytes = std::size_t(total);
    return true;
}
