// CBK_ControlRadioButton: a radio button that the dialog turns on (it does not toggle itself).
#pragma once

#include "platform/resources/icon_services.h"
#include "ui/base/control.h"

class CBK_ControlRadioButton : public CBK_Control {
public:
    using CBK_Control::Create;
    ~CBK_ControlRadioButton() override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;

    bool SetText(const wchar_t* text, bool redraw);
    bool Set(bool on, bool redraw);
    bool Unset(bool redraw) { return Set(false, redraw); }
    bool IsSet() const;
    bool SetIcon(int32_t iconId, uint32_t kind);

protected:
    tbx::IconRef m_hIcon = nullptr;
    uint32_t m_nIconKind = 0;
};

bool BK_CreateControlRadioButton(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                                 int32_t height, const wchar_t* title, tbx::WindowRef& window);
