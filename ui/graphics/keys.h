// Key codes of keyboard events and their names.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

// The event's virtual key code; 0 when it carries none.
uint32_t BK_GetKeyCodeFromEvent(tbx::EventRef& event);
// The key's name ("Return", "F1", ...) for the keys that have one; else the character that
// the keyboard layout types for it without modifiers (empty when none). `out` holds at least
// 16 characters.
void BK_KeyCodeToString(unsigned short code, wchar_t* out);
