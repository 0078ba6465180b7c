#include "ui/controls/fill_button.h"

bool CBK_ControlFillButton::OnInit() {
    if (!m_Swatch.Install(m_hControl, [this] { m_Swatch.Pick(m_hControl); }))
        return false;
    m_Swatch.SetColor(m_hControl, m_Swatch.GetColor(), true, false);
    return true;
}

void CBK_ControlFillButton::SetColor(uint32_t color, bool redraw) {
    m_Swatch.SetColor(m_hControl, color, redraw, false);
}
