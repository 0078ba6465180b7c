// CBK_ControlStaticText: a label or read-out.
#pragma once

#include "ui/base/control.h"

class CBK_ControlStaticText : public CBK_Control {
public:
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, int32_t stringId) override;
    int32_t GetDefaultHeight() override { return 16; }

    // As a system string, else as 8-bit text in the locale's encoding.
    bool SetText(const wchar_t* text, bool redraw);
    bool SetText(int32_t stringId, bool redraw);
    bool SetText(const unsigned char* pascal, bool redraw);
    bool SetTextWithNumber(int32_t n, bool redraw);
    // False, the text unchanged, when the text cannot be formatted.
    bool SetFormatText(bool redraw, const wchar_t* format, ...);
    bool SetTextWithFloat(double value, uint32_t width, uint32_t precision, bool redraw);
    bool Clear(bool redraw);
    // At most length - 1 characters and a terminator; `length` gets the text's length.
    bool GetText(wchar_t* buffer, int32_t& length);
};

bool BK_CreateControlStaticText(tbx::ControlRef& out, int32_t x, int32_t y, int32_t width,
                                int32_t height, const wchar_t* text, tbx::WindowRef& window);
