// The items of a pop-up button's menu and its hit handler, shared by the drop list and the
// combo box. Item i (from 0) is menu item i + 1; the control's minimum is 1 and its maximum
// the item count while there are items, both 0 when there are none, and its value is the
// current item + 1. Every item call fails (-1 or false) without a menu.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows/carbon_types.h"
#include "platform/windows/menus.h"

namespace popup_items {

// The menu of a pop-up button, null when it has none.
tbx::MenuRef MenuOf(tbx::ControlRef control);
// The new item count; -1 when the item cannot be added.
int32_t Append(tbx::ControlRef control, tbx::MenuRef menu, const wchar_t* text);
// The position of the new item: 0 for a negative index, the old count past the end.
int32_t Insert(tbx::ControlRef control, tbx::MenuRef menu, const wchar_t* text, int32_t index);
int32_t AppendSeparator(tbx::ControlRef control, tbx::MenuRef menu);
// Deletes the item at `index` clamped into the list: the item number (from 1) deleted, -1
// for an empty list.
int32_t Delete(tbx::ControlRef control, tbx::MenuRef menu, int32_t index);
bool DeleteAll(tbx::ControlRef control, tbx::MenuRef menu);
int32_t Count(tbx::MenuRef menu);
// Selects the item at `index` clamped into the list; false for an empty list.
bool Select(tbx::ControlRef control, tbx::MenuRef menu, int32_t index);
// The current item, -1 when none.
int32_t Current(tbx::ControlRef control);
std::wstring Text(tbx::MenuRef menu, int32_t index);
int32_t Find(tbx::MenuRef menu, const wchar_t* text);
// Installs `proc` for the button's hits unless `handler` already holds one; false when it
// cannot be installed.
bool InstallHitHandler(tbx::ControlRef control, tbx::EventHandlerProcPtr proc, void* data,
                       tbx::EventHandlerUPP& upp, tbx::EventHandlerRef& handler);

} // namespace popup_items
