// CBK_ControlFontButton: a push button that shows a font as "family style size pt" and edits
// it with the system font panel or with the toolkit's font dialog.
#pragma once

#include "core/fonts/font.h"
#include "ui/controls/button.h"

class CBK_ControlFontButton : public CBK_ControlButton {
public:
    using FONT_CHANGED = void (*)(CBK_Font& font, void* data);

    explicit CBK_ControlFontButton(FONT_CHANGED callback = nullptr, void* data = nullptr)
        : m_pCallback(callback), m_pCallbackData(data) {}
    ~CBK_ControlFontButton() override;

    bool OnInit() override;
    void SetOnFontChangeCallback(FONT_CHANGED callback, void* data);
    CBK_Font& GetFont() { return m_Font; }
    void SetFont(const CBK_Font& font, bool redraw);
    void EnableUserInteraction(bool enable) { m_bUserInteraction = enable; }
    void DisableUserInteraction() { m_bUserInteraction = false; }
    bool UserInteractionIsEnabled() const { return m_bUserInteraction; }
    bool OnLButtonDown();
    bool GetFontSelection(tbx::EventRef event);
    void OnShowFontPanel() {}
    // Closes the font panel of the button that has it open, and forgets that button.
    static void HideFontPanel();
    static CBK_ControlFontButton* GetCurrentFontButton() { return s_pCurrent; }
    // Where the font dialog last stood: x, y, width, height.
    void GetDialogFrame(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const;

private:
    static tbx::OSStatus _Handler(tbx::EventHandlerCallRef call, tbx::EventRef event, void* data);
    static bool _UsesFontPanel();
    tbx::OSStatus _ToggleFontPanel();
    void _UpdateLabel();

    static CBK_ControlFontButton* s_pCurrent;

    CBK_Font m_Font;
    bool m_bUserInteraction = true;
    tbx::EventHandlerRef m_hHandler = nullptr;
    int32_t m_nDialogX = 400, m_nDialogY = 400, m_nDialogWidth = 500, m_nDialogHeight = 320;
    FONT_CHANGED m_pCallback = nullptr;
    void* m_pCallbackData = nullptr;
};
