// What the colour, colour-X and fill buttons share: the colour, the interaction switch, the
// swatch picture shown as the bevel button's content, the hit handler and the picker.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/pict/pictures.h"
#include "platform/windows/carbon_types.h"

class BK_ColorSwatch {
public:
    BK_ColorSwatch() = default;
    BK_ColorSwatch(const BK_ColorSwatch&) = delete;
    BK_ColorSwatch& operator=(const BK_ColorSwatch&) = delete;
    ~BK_ColorSwatch();

    // Makes the bevel button; the platform's status.
    static tbx::OSStatus CreateButton(tbx::WindowRef window, const tbx::Rect& bounds,
                                      const wchar_t* title, tbx::ControlRef& out);
    // Installs the hit handler; `pick` runs the picker (for the X button, around hiding).
    bool Install(tbx::ControlRef control, std::function<void()> pick);
    void Remove();

    // Keeps the colour and shows it as the swatch. With `redraw`, draws the button; with
    // `whenShown` only while it and its window are visible.
    void SetColor(tbx::ControlRef control, uint32_t color, bool redraw, bool whenShown);
    uint32_t GetColor() const { return m_nColor; }
    // Asks the picker; on acceptance sets the colour with a redraw.
    void Pick(tbx::ControlRef control);
    void EnableUserInteraction(bool enable) { m_bEnabled = enable; }
    bool UserInteractionIsEnabled() const { return m_bEnabled; }
    tbx::PicHandle GetPicture() const { return m_hPicture; }

private:
    static tbx::OSStatus _OnHit(tbx::EventHandlerCallRef call, tbx::EventRef event, void* data);
    void _RemovePicture(tbx::ControlRef control);

    uint32_t m_nColor = 0;
    bool m_bEnabled = true;
    tbx::PicHandle m_hPicture = nullptr;
    tbx::EventHandlerRef m_hHandler = nullptr;
    std::function<void()> m_Pick;
};
