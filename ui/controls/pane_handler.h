// The handler of a self-drawing user pane: draw events call `draw`, control hits call `hit`
// (then pass the event on, so the dialog still sees the hit as a command). Removed with the
// object. A handler whose control has gone does nothing.
#pragma once

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
