// CBK_ControlSlider: a slider with a 32-bit range and position.
#pragma once

#include "ui/base/control.h"

class CBK_ControlSlider : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool SetRange(int32_t minimum, int32_t maximum, bool redraw);
    bool SetPosition(int32_t value, bool redraw);
    int32_t GetPosition();
};
