// CBK_ControlGroupBox: a titled primary group box.
#pragma once

#include "ui/base/control.h"

class CBK_ControlGroupBox : public CBK_Control {
public:
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    // The title as Mac Roman: at most 255 characters, '?' for what it lacks.
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(const unsigned char* pascal, bool redraw);
    // At most length - 1 characters and a terminator; length becomes the number copied.
    bool GetText(wchar_t* buffer, int32_t& length);
};
