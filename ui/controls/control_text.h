// Text of static and edit text controls as wide text, and the style they are made with.
#pragma once

#include <string>

#include "platform/windows/carbon_types.h"

// As a system string, else as 8-bit text in the locale's encoding; false when the control
// takes neither. Redraws when asked.
bool BK_SetControlText(tbx::ControlRef control, const wchar_t* text, bool redraw);
// The whole text; false (out empty) on a platform error.
bool BK_GetControlText(tbx::ControlRef control, std::wstring& out);
// The 10-point style the text controls are created with.
tbx::ControlFontStyleRec BK_TextControlStyle();
