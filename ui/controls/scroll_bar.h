// CBK_ControlScrollBar: a scroll bar made in code that reports every change of position the
// user makes (arrows, page areas, thumb) through m_OnScroll. Its owner calls _OnControlHit
// when the mouse goes down on it.
#pragma once

#include "core/events/event.h"
#include "ui/base/control.h"

class CBK_ControlScrollBar : public CBK_Control {
public:
    using CBK_Control::Create;
    ~CBK_ControlScrollBar() override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, int32_t unused) override;
    bool OnInit() override;

    void SetHorizontal(bool horizontal);
    void SetNormalScrollDelta(int32_t delta) { m_nLineStep = delta; }
    void SetPageScrollDelta(int32_t delta) { m_nPageStep = delta; }
    void SetUnitScale(int32_t scale) { m_nUnitScale = scale; }
    bool SetScrollRange(int32_t minimum, int32_t maximum, bool redraw);
    bool GetScrollRange(int32_t& minimum, int32_t& maximum);
    // False, nothing changed, for a position outside the range.
    bool SetScrollPos(int32_t position, bool redraw);
    int32_t GetScrollPos();
    bool IncrementScrollPos(int32_t delta, bool redraw);
    int32_t GetScrollBarWidth() const { return 16; }
    int32_t OnScrollEvent(int32_t, int32_t) { return 0; }
    // Tracks the click when the mouse is over this bar; false otherwise.
    bool _OnControlHit();

    // Fired with the new position after each change the user makes.
    TBK_Event<int32_t> m_OnScroll;

private:
    // Moves by `step`, pinned to the range; the change actually made.
    int32_t _MoveBy(int32_t step);
    int32_t _PositionFromMouse(tbx::Point local);
    void _BeginThumbTracking(tbx::Point local);
    void _ThumbTracking();
    void _EndThumbTracking();
    void _UpdateSizes();
    tbx::Point _LocalMouse();
    static void ArrowAction(tbx::ControlRef control, tbx::ControlPartCode part);
    static void ThumbAction();
    static tbx::OSStatus HitHandler(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);

    static CBK_ControlScrollBar* s_pCurrent;

    int32_t m_nStartPos = 0;
    int32_t m_nGrabOffset = 0;
    int32_t m_nLastTrackedPos = 0;
    int32_t m_nLineStep = 1;
    int32_t m_nPageStep = 10;
    int32_t m_nUnitScale = 1;
    bool m_bHorizontal = false;
    tbx::EventHandlerUPP m_hHitUPP = nullptr;
    int32_t m_nTrackExtra = 48;
    int32_t m_nThumbSize = 16;
    tbx::ControlActionUPP m_hArrowAction = nullptr;
    tbx::ThumbActionUPP m_hThumbAction = nullptr;
};
