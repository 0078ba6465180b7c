// CBK_ControlCheckBox: a check box that toggles itself when clicked.
#pragma once

#include "ui/base/control.h"

class CBK_ControlCheckBox : public CBK_Control {
public:
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* title) override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, int32_t stringId) override;

    bool SetText(const wchar_t* text, bool redraw);
    bool Check(bool on, bool redraw);
    bool Uncheck(bool redraw) { return Check(false, redraw); }
    bool Toggle(bool redraw);
    bool IsChecked();
};

bool BK_CreateControlCheckBox(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                              int32_t height, const wchar_t* title, tbx::WindowRef& window);
