// CBK_ControlButton: a push button, optionally showing an icon or a checked state.
#pragma once

#include "platform/resources/icon_services.h"
#include "ui/base/control.h"

class CBK_ControlButton : public CBK_Control {
public:
    ~CBK_ControlButton() override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, int32_t stringId) override;
    int32_t GetDefaultHeight() override { return 17; }

    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(int32_t stringId, bool redraw);
    bool GetText(wchar_t* buffer, int32_t& length);
    bool Check(bool on, bool redraw);
    bool Toggle(bool redraw);
    bool IsChecked();
    // Loads icon `iconId` under the creator `kind` and shows it as the button's content.
    bool SetIcon(int32_t iconId, uint32_t kind);
    bool SetAsDefault() { return true; }

protected:
    void _ReleaseIcon();

    tbx::IconRef m_hIcon = nullptr;
    uint32_t m_nIconKind = 0;
};

bool BK_CreateControlButton(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                            int32_t height, const wchar_t* title, tbx::WindowRef& window);
