// Wide text drawn on the current port in its font, size and face, in the foreground colour.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"

enum : int32_t {
    BK_TEXT_CENTER = 1, // BK_DrawTextFormatted: centred on the rectangle's bottom edge
};

// The first `length` characters with the baseline's start at (x, y); false when nothing can
// be drawn.
bool BK_DrawText(int32_t x, int32_t y, const wchar_t* text, int32_t length);
// The width of the first `length` characters in pixels; with BK_TEXT_CENTER they are also
// drawn centred across `rect` on its bottom edge.
int32_t BK_DrawTextFormatted(const wchar_t* text, int32_t length, const tbx::Rect& rect,
                             int32_t flags);
