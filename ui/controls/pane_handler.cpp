#include "ui/controls/pane_handler.h"

#include <algorithm>

#include "platform/quickdraw/offscreen.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "ui/graphics/drawing.h"

bool BK_PaneHandler::Install(tbx::ControlRef control, std::function<void()> draw,
                             std::function<void()> hit) {
    Remove();
    m_Draw = std::move(draw);
    m_Hit = std::move(hit);
    static const tbx::EventTypeSpec kEvents[] = {{tbx::kEventClassControl, tbx::kEventControlDraw},
                                                 {tbx::kEventClassControl, tbx::kEventControlHit}};
    return tbx::InstallEventHandler(tbx::GetControlEventTarget(control), _Callback, 2, kEvents,
                                    this, &m_hHandler) == tbx::noErr;
}

void BK_PaneHandler::Remove() {
    if (m_hHandler)
        tbx::RemoveEventHandler(m_hHandler);
    m_hHandler = nullptr;
}

tbx::OSStatus BK_PaneHandler::_Callback(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                        void* data) {
    auto* self = static_cast<BK_PaneHandler*>(data);
    if (!self)
        return tbx::eventNotHandledErr;
    if (tbx::GetEventKind(event) == tbx::kEventControlDraw) {
        if (self->m_Draw)
            self->m_Draw();
        return tbx::noErr;
    }
    if (self->m_Hit)
        self->m_Hit();
    return tbx::CallNextEventHandler(call, event);
}

void BK_CopyPaneToWindow(tbx::GWorldPtr map, tbx::ControlRef control) {
    tbx::Rect bounds;
    if (!map || !tbx::GetControlBounds(control, &bounds))
        return;
    tbx::Rect source{0, 0, tbx::SInt16(bounds.bottom - bounds.top),
                     tbx::SInt16(bounds.right - bounds.left)};
    tbx::WindowRef window = tbx::GetControlOwner(control);
    BK_BitBltPixmapToWindow(map, source, window, bounds, nullptr);
}

void BK_PanePixel(tbx::GWorldPtr map, int x, int y, uint32_t color, bool xorMode) {
    tbx::PixMapHandle pixels = tbx::GetGWorldPixMap(map);
    if (!pixels)
        return;
    tbx::Rect bounds;
    tbx::GetPixBounds(pixels, &bounds);
    if (x < 0 || y < 0 || x >= bounds.right - bounds.left || y >= bounds.bottom - bounds.top)
        return;
    auto* p = reinterpret_cast<unsigned char*>(tbx::GetPixBaseAddr(pixels)) +
              std::ptrdiff_t(y) * tbx::GetPixRowBytes(pixels) + 4 * x;
    const unsigned char rgb[3] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16)};
    p[0] = 255;
    for (int i = 0; i < 3; ++i)
        p[i + 1] = xorMode ? uint8_t(p[i + 1] ^ rgb[i]) : rgb[i];
}

void BK_PaneLine(tbx::GWorldPtr map, int x0, int y0, int x1, int y1, uint32_t color, bool xorMode) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
            BK_PanePixel(map, x, y, color, xorMode);
}

void BK_PaneFill(tbx::GWorldPtr map, const tbx::Rect& r, uint32_t color) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            BK_PanePixel(map, x, y, color);
}
