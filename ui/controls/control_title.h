// Titles of button-like controls as wide text, their on state and their icon.
#pragma once

#include <cstdint>

#include "platform/resources/icon_services.h"
#include "platform/windows/carbon_types.h"

// False on a platform error; redraws when asked.
bool BK_SetControlTitle(tbx::ControlRef control, const wchar_t* text, bool redraw);
// At most 255 characters. False when `length` is not greater than the title's length + 1;
// else the title is copied and its length stored in `length`.
bool BK_GetControlTitle(tbx::ControlRef control, wchar_t* buffer, int32_t& length);
// Sets the value to 1 or 0; redraws when asked. True.
bool BK_SetControlOn(tbx::ControlRef control, bool on, bool redraw);
// Shows icon family `iconId`, registered under `kind`, on the button. Once shown, the icon
// held before (`held`, under `heldKind`) is released and the new one held in its place;
// false, with nothing held changed, when the icon cannot be loaded or shown.
bool BK_SetButtonIcon(tbx::ControlRef control, int32_t iconId, uint32_t kind, tbx::IconRef& held,
                      uint32_t& heldKind);
