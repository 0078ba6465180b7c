// CBK_ControlGradient: an editor for one gradient: a ramp strip with draggable stop markers
// under it, a preview square and a swatch of the selected stop's colour that opens the colour
// picker. Drawn into an offscreen map and copied to the window in one step.
#pragma once

#include "ui/base/control.h"
#include "ui/controls/pane_handler.h"
#include "ui/graphics/gradient.h"

class CBK_ControlGradient : public CBK_Control {
public:
    static constexpr std::size_t kMaxRecords = 8;

    CBK_ControlGradient() = default;
    ~CBK_ControlGradient() override;

    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool OnInit() override;

    void SetGradient(const CBK_Gradient& gradient);
    CBK_Gradient& GetGradient() { return m_Gradient; }
    CBK_Gradient::GRADIENT_RECORD* GetSelectedRecord() const { return m_pSelected; }
    bool AddGradientRecord(float position);
    bool OnPaint();
    // A point in global coordinates.
    bool OnLButtonDown(int32_t x, int32_t y, uint32_t flags);
    int32_t OnControlHit();

    // Layout, in the control's own coordinates.
    const tbx::Rect& GetStripRect() const { return m_rcStrip; }
    const tbx::Rect& GetSwatchRect() const { return m_rcColor; }
    const tbx::Rect& GetPreviewRect() const { return m_rcPreview; }
    // Where a stop's marker starts (its left edge is two pixels before).
    int32_t MarkerX(float position) const;

private:
    void _Layout(const tbx::Rect& bounds);
    bool _Initialise();
    void _FreeMaps();
    void _DrawBorder(const tbx::Rect& rect);
    void _Draw(uint32_t parts);
    void _DrawMarker(float position, uint32_t color);
    bool _OnLButtonDownInMarkers(int32_t x, int32_t y);
    bool _OnLButtonDownInCurrentColor(int32_t x, int32_t y);

    CBK_Gradient m_Gradient;
    CBK_Gradient::GRADIENT_RECORD* m_pSelected = nullptr;
    bool m_bMarkerVisible = true;
    float m_fWidth = 0.0f;
    int32_t m_nOriginX = 0, m_nOriginY = 0;
    tbx::GWorldPtr m_pBackground = nullptr, m_pWork = nullptr, m_pSpare = nullptr;
    tbx::GWorldPtr m_pMarker = nullptr, m_pMarkerMask = nullptr;
    tbx::Rect m_rcOffscreen, m_rcPreview, m_rcStrip, m_rcColor;
    BK_PaneHandler m_Handler;
};
