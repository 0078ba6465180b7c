// The handler of a self-drawing user pane: draw events call `draw`, control hits call `hit`
// (then pass the event on, so the dialog still sees the hit as a command). Removed with the
// object. A handler whose control has gone does nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/windows/carbon_types.h"

class BK_PaneHandler {
public:
    BK_PaneHandler() = default;
    BK_PaneHandler(const BK_PaneHandler&) = delete;
    BK_PaneHandler& operator=(const BK_PaneHandler&) = delete;
    ~BK_PaneHandler() { Remove(); }

    bool Install(tbx::ControlRef control, std::function<void()> draw, std::function<void()> hit);
    void Remove();

private:
    static tbx::OSStatus _Callback(tbx::EventHandlerCallRef call, tbx::EventRef event, void* data);

    tbx::EventHandlerRef m_hHandler = nullptr;
    std::function<void()> m_Draw;
    std::function<void()> m_Hit;
};

// Copies a 32-bit map to the window at the control's bounds.
void BK_CopyPaneToWindow(tbx::GWorldPtr map, tbx::ControlRef control);

// Pixels of a 32-bit map (colours 0x00BBGGRR), clipped to the map. In XOR mode the colour's
// channels are XORed into the pixel. A line runs along a row or a column, ends included.
void BK_PanePixel(tbx::GWorldPtr map, int x, int y, uint32_t color, bool xorMode = false);
void BK_PaneLine(tbx::GWorldPtr map, int x0, int y0, int x1, int y1, uint32_t color,
                 bool xorMode = false);
void BK_PaneFill(tbx::GWorldPtr map, const tbx::Rect& rect, uint32_t color);
