#include "ui/controls/pane_handler.h"

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
