// Buttons that show a colour swatch and open the colour picker when clicked. The X button
// hides its windows while the picker is open.
#pragma once

#include "ui/base/control.h"
#include "ui/controls/color_swatch.h"

class CBK_ControlColorButton : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    bool OnInit() override;
    void SetColor(uint32_t color, bool redraw);
    uint32_t GetColor() const { return m_Swatch.GetColor(); }
    void EnableUserInteraction(bool enable) { m_Swatch.EnableUserInteraction(enable); }
    void DisableUserInteraction() { m_Swatch.EnableUserInteraction(false); }
    bool UserInteractionIsEnabled() const { return m_Swatch.UserInteractionIsEnabled(); }
    bool OnLButtonDown() { return false; }
    tbx::PicHandle GetSwatchPicture() const { return m_Swatch.GetPicture(); }

private:
    BK_ColorSwatch m_Swatch;
};

class CBK_ControlColorButtonX : public CBK_Control {
public:
    static bool m_bIsChoosingColor;
    static tbx::WindowRef m_hShieldWindow;
    static tbx::WindowRef m_hBackWindow;

    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    bool OnInit() override;
    void SetRelatedWindow(tbx::WindowRef window) { m_hRelatedWindow = window; }
    void SetColor(uint32_t color, bool redraw);
    uint32_t GetColor() const { return m_Swatch.GetColor(); }
    void EnableUserInteraction(bool enable) { m_Swatch.EnableUserInteraction(enable); }
    void DisableUserInteraction() { m_Swatch.EnableUserInteraction(false); }
    bool UserInteractionIsEnabled() const { return m_Swatch.UserInteractionIsEnabled(); }
    bool OnLButtonDown() { return false; }

private:
    void _Pick();

    tbx::WindowRef m_hRelatedWindow = nullptr;
    BK_ColorSwatch m_Swatch;
};

// Creates the bevel button of a colour button and runs its OnInit; shared by the buttons.
bool BK_CreateColorButton(CBK_Control& button, CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds,
                          const wchar_t* title, tbx::ControlRef& control, int32_t& error);
