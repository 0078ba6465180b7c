#include "ui/controls/color_button.h"

#include "platform/windows/windows.h"
#include "ui/base/dialog.h"

bool CBK_ControlColorButtonX::m_bIsChoosingColor = false;
tbx::WindowRef CBK_ControlColorButtonX::m_hShieldWindow = nullptr;
tbx::WindowRef CBK_ControlColorButtonX::m_hBackWindow = nullptr;

bool BK_CreateColorButton(CBK_Control& button, CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                          const wchar_t* title, tbx::ControlRef& control, int32_t& error) {
    const tbx::OSStatus status =
        BK_ColorSwatch::CreateButton(dialog.GetWindowHandle(), bounds, title, control);
    if (status != tbx::noErr) {
        error = status;
        return false;
    }
    return button.OnInit() && button._OnCreate(dialog, id);
}

bool CBK_ControlColorButton::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                    const wchar_t* title) {
    return CBK_Control::Create(dialog, id, bounds, title) &&
           BK_CreateColorButton(*this, dialog, id, bounds, title, m_hControl, m_nLastError);
}

bool CBK_ControlColorButton::OnInit() {
    if (!m_Swatch.Install(m_hControl, [this] { m_Swatch.Pick(m_hControl); }))
        return false;
    m_Swatch.SetColor(m_hControl, m_Swatch.GetColor(), false, true);
    return true;
}

void CBK_ControlColorButton::SetColor(uint32_t color, bool redraw) {
    m_Swatch.SetColor(m_hControl, color, redraw, true);
}

bool CBK_ControlColorButtonX::Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                                     const wchar_t* title) {
    return CBK_Control::Create(dialog, id, bounds, title) &&
           BK_CreateColorButton(*this, dialog, id, bounds, title, m_hControl, m_nLastError);
}

bool CBK_ControlColorButtonX::OnInit() {
    if (!m_Swatch.Install(m_hControl, [this] { _Pick(); }))
        return false;
    m_Swatch.SetColor(m_hControl, m_Swatch.GetColor(), true, false);
    return true;
}

void CBK_ControlColorButtonX::SetColor(uint32_t color, bool redraw) {
    m_Swatch.SetColor(m_hControl, color, redraw, false);
}

void CBK_ControlColorButtonX::_Pick() {
    m_bIsChoosingColor = true;
    const tbx::WindowRef hidden[] = {m_hShieldWindow, m_hBackWindow, m_hRelatedWindow, m_hWnd};
    for (tbx::WindowRef window : hidden)
        if (window)
            tbx::HideWindow(window);
    m_Swatch.Pick(m_hControl);
    const tbx::WindowRef shown[] = {m_hShieldWindow, m_hRelatedWindow, m_hBackWindow, m_hWnd};
    for (tbx::WindowRef window : shown)
        if (window)
            tbx::ShowWindow(window);
    m_bIsChoosingColor = false;
}
