#include "core/system/pixmap.h"

#include <algorithm>

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"

namespace {

// Makes a port current for the life of the object.
class PortScope {
public:
    explicit PortScope(tbx::GWorldPtr port) {
        tbx::GetGWorld(&_saved, &_device);
        _ok = tbx::SetGWorld(port, nullptr) == tbx::noErr;
    }
    ~PortScope() { tbx::SetGWorld(_saved, _device); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool Ok() const { return _ok; }

private:
    tbx::CGrafPtr _saved = nullptr;
    tbx::GDHandle _device = nullptr;
    bool _ok = false;
};

} // namespace

bool BK_CreatePixmap(tbx::GWorldPtr& world, uint32_t width, uint32_t height, uint32_t depth) {
    world = nullptr;
    if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF || depth > 0x7FFF)
        return false;
    tbx::Rect bounds;
    bounds.right = int16_t(width);
    bounds.bottom = int16_t(height);
    tbx::GWorldPtr made = nullptr;
    if (tbx::NewGWorld(&made, int16_t(depth), &bounds, nullptr, nullptr, 0) != tbx::noErr)
        return false;
    PortScope scope(made);
    const tbx::RGBColor black{0, 0, 0};
    const tbx::RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    tbx::ForeColor(tbx::blackColor);
    tbx::BackColor(tbx::whiteColor);
    tbx::RGBForeColor(&black);
    tbx::RGBBackColor(&white);
    world = made;
    return true;
}

bool BK_DestroyPixmap(tbx::GWorldPtr& world) {
    if (world)
        tbx::DisposeGWorld(world);
    world = nullptr;
    return true;
}

void BK_DrawRawImage(const unsigned char* pixels, uint32_t width, uint32_t height,
                     uint32_t bitsPerPixel, tbx::GWorldPtr& port) {
    if (!pixels || (bitsPerPixel != 24 && bitsPerPixel != 1))
        return;
    PortScope scope(port);
    if (!scope.Ok())
        return;
    tbx::Rect bounds;
    tbx::GetPortBounds(port, &bounds);
    // Only the part that can land inside the port is visited.
    uint32_t rows = bounds.bottom > 0 ? std::min<uint32_t>(height, uint32_t(bounds.bottom)) : 0;
    uint32_t columns = bounds.right > 0 ? std::min<uint32_t>(width, uint32_t(bounds.right)) : 0;
    std::size_t step = bitsPerPixel == 24 ? 3 : 1;
    for (uint32_t y = 0; y < rows; ++y) {
        const unsigned char* row = pixels + std::size_t(y) * width * step;
        for (uint32_t x = 0; x < columns; ++x) {
            tbx::RGBColor color;
            if (bitsPerPixel == 24) {
                const unsigned char* p = row + std::size_t(x) * 3;
                color = {uint16_t(p[0] * 257), uint16_t(p[1] * 257), uint16_t(p[2] * 257)};
            } else {
                uint16_t level = row[x] ? 0xFFFF : 0;
                color = {level, level, level};
            }
            tbx::SetCPixel(int16_t(x), int16_t(y), &color);
        }
    }
}
