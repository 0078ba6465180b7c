// Titles of button-like controls as wide text.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

// False on a platform error; redraws when asked.
bool BK_SetControlTitle(tbx::ControlRef control, const wchar_t* text, bool redraw);
// At most 255 characters. False when `length` is not greater than the title's length + 1;
// else the title is copied and its length stored in `length`.
bool BK_GetControlTitle(tbx::ControlRef control, wchar_t* buffer, int32_t& length);
