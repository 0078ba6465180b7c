// Menus and menu bars through the Menu Manager. An item is addressed by a command id (the
// first item of the menu carrying it; false and nothing changed when there is none) or, with
// `byPosition`, by its position: DeleteMenuItem and GetSubMenu count from 0, the check,
// enable, text and state operations take item numbers from 1.
#pragma once

#include <cstdint>

#include "platform/windows/menus.h"

bool BK_LoadMenuBar(tbx::MenuBarHandle& bar, const tbx::IBNibRef& nib, const wchar_t* name);
// 'MBAR' resources: true when found.
bool BK_LoadMenuBar(tbx::MenuBarHandle& bar, const tbx::IBNibRef& nib, uint32_t id);
bool BK_DestroyMenuBar(tbx::MenuBarHandle& bar);
bool BK_SetMenuBar(tbx::MenuBarHandle& bar, tbx::WindowRef window);
bool BK_ShowMenuBar(tbx::MenuBarHandle& bar, bool show);
bool BK_HideMenuBar(tbx::MenuBarHandle& bar);
bool BK_IsMenuBarVisible(tbx::MenuBarHandle& bar);
// The menu with that id in the current menu bar; null when none.
tbx::MenuRef BK_GetMenu(uint32_t id, tbx::MenuBarHandle& bar);
bool BK_InsertMenu(tbx::MenuRef& menu, uint32_t beforeId, tbx::MenuBarHandle& bar);
bool BK_AppendMenu(tbx::MenuRef& menu, tbx::MenuBarHandle& bar);
bool BK_RemoveMenu(uint32_t id, tbx::MenuBarHandle& bar);

// The title as a length-prefixed string.
bool BK_CreateMenu(tbx::MenuRef& menu, uint32_t id, const wchar_t* title, bool);
bool BK_LoadMenu(tbx::MenuRef& menu, tbx::IBNibRef nib, const wchar_t* name);
bool BK_LoadMenu(tbx::MenuRef& menu, tbx::IBNibRef nib, uint32_t id);
// Modifiers (low 8 bits) and the command key are set only when given (not 0).
bool BK_AppendMenuItem(tbx::MenuRef& menu, uint32_t command, const wchar_t* text,
                       uint32_t modifiers, wchar_t key, bool virtualKey);
bool BK_InsertMenuItem(tbx::MenuRef& menu, int32_t after, uint32_t command, const wchar_t* text,
                       uint32_t modifiers, wchar_t key, bool virtualKey);
bool BK_AppendMenuItemSeparator(tbx::MenuRef& menu);
bool BK_InsertMenuItemSeparator(tbx::MenuRef& menu, int32_t after);
bool BK_DeleteMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition);
bool BK_IsMenuItemChecked(tbx::MenuRef& menu, uint32_t item, bool byPosition);
bool BK_IsMenuItemEnabled(tbx::MenuRef& menu, uint32_t item, bool byPosition);
bool BK_CheckMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition, bool check);
bool BK_UncheckMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition);
// By command: every item carrying the command.
bool BK_EnableMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition, bool enable);
bool BK_DisableMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition);
// `out` needs room for 256 characters.
bool BK_GetItemText(tbx::MenuRef& menu, wchar_t* out, uint32_t item, bool byPosition);
bool BK_SetItemText(tbx::MenuRef& menu, const wchar_t* text, uint32_t item, bool byPosition);
bool BK_SetItemText(tbx::MenuRef& menu, int32_t stringId, uint32_t item, bool byPosition);
uint32_t BK_GetMeuItemCount(tbx::MenuRef& menu);
// Menu id in the high 16 bits and item number in the low 16 bits; 0 when nothing is chosen.
int32_t BK_TrackMenuAsPopup(tbx::MenuRef& menu, int32_t x, int32_t y, int32_t item,
                            tbx::WindowRef window);
