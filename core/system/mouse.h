// The mouse cursor of the windowing layer: shown, hidden and moved there, never on the
// machine's own display.
#pragma once

#include <cstdint>

#include "platform/types.h"

// Shows the cursor when `show`, else hides it; hiding nests. True.
bool BK_ShowMouse(bool show);
bool BK_HideMouse();
// Global coordinates, clamped to what a point holds. True.
bool BK_SetMousePos(const tbx::Point& point);
bool BK_SetMousePos(int32_t x, int32_t y);
