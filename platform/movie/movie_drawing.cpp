#include "platform/movie/movie_drawing.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/quickdraw/offscreen.h"

namespace tbx {

namespace {

// The largest frame rendered for drawing, in bytes, as for any other picture buffer.
constexpr int64_t kMaxBoxBytes = int64_t(1) << 29;

} // namespace

bool DrawMovieFrame(Movie& movie, TimeValue time, CGrafPtr port, const Rect& box) {
    PixMapHandle map = GetGWorldPixMap(port);
    Rect bounds{};
    const int32_t width = box.right - box.left, height = box.bottom - box.top;
    if (!movie.HasVideo() || !map || !GetPixBounds(map, &bounds) || GetPixDepth(map) != 32 ||
        width <= 0 || height <= 0 || int64_t(width) * height * 4 > kMaxBoxBytes)
        return false;
    std::vector<uint8_t> argb(std::size_t(width) * height * 4 + kFrameRenderRoom);
    if (!movie.RenderFrame(time, FramePixels::Argb32, argb.data(), argb.size(), width * 4, width,
                           height))
        return false;
    uint8_t* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(map));
    const int32_t rowBytes = GetPixRowBytes(map);
    // The columns and rows of the box that lie inside the port.
    const int32_t x0 = std::max(0, bounds.left - box.left);
    const int32_t x1 = std::min(width, bounds.right - box.left);
    for (int32_t y = std::max(0, bounds.top - box.top);
         y < std::min(height, bounds.bottom - box.top) && x0 < x1; ++y)
        std::memcpy(base + std::size_t(box.top + y - bounds.top) * rowBytes +
                        std::size_t(box.left + x0 - bounds.left) * 4,
                    argb.data() + (std::size_t(y) * width + x0) * 4, std::size_t(x1 - x0) * 4);
    return true;
}

} // namespace tbx
