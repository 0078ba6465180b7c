// CBK_ControlFillButton: a colour button taken from a nib that also carries a fill type and a
// gradient; its swatch shows the colour only.
#pragma once

#include "ui/base/control.h"
#include "ui/controls/color_swatch.h"
#include "ui/graphics/gradient.h"

class CBK_ControlFillButton : public CBK_Control {
public:
    bool OnInit() override;
    void SetColor(uint32_t color, bool redraw);
    uint32_t GetColor() const { return m_Swatch.GetColor(); }
    void SetType(int32_t type) { m_nType = type; }
    int32_t GetType() const { return m_nType; }
    void SetGradient(const CBK_Gradient& gradient) { m_Gradient = gradient; }
    const CBK_Gradient& GetGradient() const { return m_Gradient; }
    void EnableUserInteraction(bool enable) { m_Swatch.EnableUserInteraction(enable); }
    void DisableUserInteraction() { m_Swatch.EnableUserInteraction(false); }
    bool UserInteractionIsEnabled() const { return m_Swatch.UserInteractionIsEnabled(); }
    bool OnLButtonDown() { return false; }
    void _DrawBresenhemLine(int32_t, int32_t, int32_t, int32_t, unsigned char*, int32_t) {}

private:
    int32_t m_nType = 2;
    CBK_Gradient m_Gradient;
    BK_ColorSwatch m_Swatch;
};
