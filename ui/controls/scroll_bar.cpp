#include "ui/controls/scroll_bar.h"

#include <algorithm>
#include <cmath>

#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "ui/base/dialog.h"

CBK_ControlScrollBar* CBK_ControlScrollBar::s_pCurrent = nullptr;

CBK_ControlScrollBar::~CBK_ControlScrollBar() {
    if (s_pCurrent == this)
        s_pCurrent = nullptr;
}

bool CBK_ControlScrollBar::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, int32_t) {
    if (!CBK_Control::Create(dialog, id, bounds, 0))
        return false;
    tbx::ControlRef control = nullptr;
    const tbx::OSStatus status = tbx::CreateScrollBarControl(dialog.GetWindowHandle(), &bounds, 0,
                                                             0, 100, 100, false, nullptr, &control);
    if (!_AdoptControl(status, control))
        return false;
    m_hWnd = dialog.GetWindowHandle();
    tbx::ShowControl(m_hControl);
    OnInit();
    return _OnCreate(dialog, id);
}

bool CBK_ControlScrollBar::OnInit() {
    tbx::SetControlReference(m_hControl, reinterpret_cast<tbx::SRefCon>(this));
    tbx::SetControlViewSize(m_hControl, GetWidth() + 16);
    m_nThumbSize = 16;
    m_nTrackExtra = 48;
    m_hArrowAction = ArrowAction;
    m_hThumbAction = ThumbAction;
    // The owner calls _OnControlHit itself; the routine is kept, not installed.
    m_hHitUPP = tbx::NewEventHandlerUPP(HitHandler);
    return true;
}

void CBK_ControlScrollBar::SetHorizontal(bool horizontal) {
    if (horizontal == m_bHorizontal)
        return;
    m_bHorizontal = horizontal;
    tbx::SetControlViewSize(m_hControl, (horizontal ? GetWidth() : GetHeight()) + 16);
    m_nThumbSize = 16;
    m_nTrackExtra = 48;
}

void CBK_ControlScrollBar::_UpdateSizes() {
    const int32_t length = m_bHorizontal ? GetWidth() : GetHeight();
    if (length == 0)
        return;
    tbx::SetControlViewSize(m_hControl, length + 16);
    m_nThumbSize = length - 47;
    m_nTrackExtra = m_nThumbSize + 32;
}

bool CBK_ControlScrollBar::SetScrollRange(int32_t minimum, int32_t maximum, bool redraw) {
    tbx::SetControl32BitMinimum(m_hControl, minimum);
    tbx::SetControl32BitMaximum(m_hControl, maximum);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

bool CBK_ControlScrollBar::GetScrollRange(int32_t& minimum, int32_t& maximum) {
    minimum = tbx::GetControl32BitMinimum(m_hControl);
    maximum = tbx::GetControl32BitMaximum(m_hControl);
    return true;
}

bool CBK_ControlScrollBar::SetScrollPos(int32_t position, bool redraw) {
    if (position < tbx::GetControl32BitMinimum(m_hControl) ||
        position > tbx::GetControl32BitMaximum(m_hControl))
        return false;
    tbx::SetControl32BitValue(m_hControl, position);
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

int32_t CBK_ControlScrollBar::GetScrollPos() {
    return tbx::GetControl32BitValue(m_hControl);
}

bool CBK_ControlScrollBar::IncrementScrollPos(int32_t delta, bool redraw) {
    const int64_t wanted = int64_t(GetScrollPos()) + delta;
    const int64_t pinned = std::clamp<int64_t>(wanted, tbx::GetControl32BitMinimum(m_hControl),
                                               tbx::GetControl32BitMaximum(m_hControl));
    tbx::SetControl32BitValue(m_hControl, static_cast<int32_t>(pinned));
    if (redraw)
        tbx::Draw1Control(m_hControl);
    return true;
}

int32_t CBK_ControlScrollBar::_MoveBy(int32_t step) {
    const int32_t before = GetScrollPos();
    const int64_t pinned =
        std::clamp<int64_t>(int64_t(before) + step, tbx::GetControl32BitMinimum(m_hControl),
                            tbx::GetControl32BitMaximum(m_hControl));
    tbx::SetControl32BitValue(m_hControl, static_cast<int32_t>(pinned));
    return static_cast<int32_t>(pinned - before);
}

tbx::Point CBK_ControlScrollBar::_LocalMouse() {
    tbx::Point mouse;
    tbx::GetGlobalMouse(&mouse);
    tbx::Rect content;
    if (tbx::GetWindowBounds(tbx::GetControlOwner(m_hControl), tbx::kWindowContentRgn, &content) ==
        tbx::noErr) {
        mouse.h = static_cast<int16_t>(mouse.h - content.left);
        mouse.v = static_cast<int16_t>(mouse.v - content.top);
    }
    return mouse;
}

int32_t CBK_ControlScrollBar::_PositionFromMouse(tbx::Point local) {
    tbx::Rect bounds;
    tbx::GetControlBounds(m_hControl, &bounds);
    const int32_t offset = m_bHorizontal ? local.h - (bounds.left + m_nThumbSize / 2)
                                         : local.v - (bounds.top + m_nThumbSize / 2);
    const int32_t length =
        (m_bHorizontal ? bounds.right - bounds.left : bounds.bottom - bounds.top) - m_nTrackExtra;
    // A bar too short for its thumb has no track to map the mouse onto.
    if (length <= 0)
        return GetScrollPos();
    const float range = static_cast<float>(tbx::GetControl32BitMaximum(m_hControl)) -
                        static_cast<float>(tbx::GetControl32BitMinimum(m_hControl));
    const float position = static_cast<float>(offset) / static_cast<float>(length) * range;
    return static_cast<int32_t>(std::trunc(position)) + m_nGrabOffset;
}

void CBK_ControlScrollBar::ArrowAction(tbx::ControlRef control, tbx::ControlPartCode part) {
    auto* bar = reinterpret_cast<CBK_ControlScrollBar*>(tbx::GetControlReference(control));
    if (!bar || !tbx::GetControlOwner(control))
        return;
    int32_t step = 0;
    const int32_t page = bar->m_nUnitScale ? bar->GetHeight() / bar->m_nUnitScale : 0;
    switch (part) {
    case tbx::kControlUpButtonPart:
        step = -bar->m_nLineStep;
        break;
    case tbx::kControlDownButtonPart:
        step = bar->m_nLineStep;
        break;
    case tbx::kControlPageUpPart:
        step = -page;
        break;
    case tbx::kControlPageDownPart:
        step = page;
        break;
    case tbx::kControlIndicatorPart:
        step = bar->m_nStartPos - bar->GetScrollPos();
        break;
    default:
        return;
    }
    if (step == 0)
        return;
    if (bar->_MoveBy(step) != 0)
        bar->m_OnScroll.Fire(bar->GetScrollPos());
}

void CBK_ControlScrollBar::_BeginThumbTracking(tbx::Point local) {
    m_nStartPos = GetScrollPos();
    // Until the mouse moves the thumb stays where it was.
    m_nLastTrackedPos = m_nStartPos;
    m_nGrabOffset = 0;
    m_nGrabOffset = GetScrollPos() - _PositionFromMouse(local);
}

void CBK_ControlScrollBar::_ThumbTracking() {
    tbx::Rect area;
    tbx::GetControlBounds(m_hControl, &area);
    area.top = static_cast<int16_t>(area.top - 100);
    area.left = static_cast<int16_t>(area.left - 100);
    area.bottom = static_cast<int16_t>(area.bottom + 100);
    area.right = static_cast<int16_t>(area.right + 100);
    const tbx::Point mouse = _LocalMouse();
    const bool near = mouse.h >= area.left && mouse.h < area.right && mouse.v >= area.top &&
                      mouse.v < area.bottom;
    // Far from the bar the thumb snaps back to where the drag began.
    const int32_t target = near ? _PositionFromMouse(mouse) : m_nStartPos;
    const int32_t position = GetScrollPos();
    if (target == position)
        return;
    m_nLastTrackedPos = target;
    if (_MoveBy(target - position) != 0)
        m_OnScroll.Fire(GetScrollPos());
    m_nLastTrackedPos = GetScrollPos();
}

void CBK_ControlScrollBar::_EndThumbTracking() {
    tbx::SetControl32BitValue(m_hControl, m_nLastTrackedPos);
    m_nLastTrackedPos = 0;
}

void CBK_ControlScrollBar::ThumbAction() {
    if (s_pCurrent)
        s_pCurrent->_ThumbTracking();
}

bool CBK_ControlScrollBar::_OnControlHit() {
    const tbx::Point local = _LocalMouse();
    tbx::ControlPartCode part = tbx::kControlNoPart;
    if (tbx::FindControlUnderMouse(local, tbx::GetControlOwner(m_hControl), &part) != m_hControl) {
        s_pCurrent = nullptr;
        return false;
    }
    s_pCurrent = this;
    m_nStartPos = GetScrollPos();
    if (part >= tbx::kControlUpButtonPart && part <= tbx::kControlPageDownPart) {
        tbx::TrackControl(m_hControl, local, m_hArrowAction);
    } else if (part == tbx::kControlIndicatorPart) {
        _BeginThumbTracking(local);
        tbx::TrackControl(m_hControl, local, m_hThumbAction);
        _EndThumbTracking();
    }
    return true;
}

tbx::OSStatus CBK_ControlScrollBar::HitHandler(tbx::EventHandlerCallRef, tbx::EventRef,
                                               void* data) {
    auto* bar = static_cast<CBK_ControlScrollBar*>(data);
    return bar && bar->_OnControlHit() ? tbx::noErr : tbx::eventNotHandledErr;
}
