// CBK_Menu wraps one menu and CBK_MenuBar one menu bar; each member forwards to the free
// function of the same name (ui/menus/menu_functions.h). Neither ever disposes of what it
// wraps.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows/menus.h"

class CBK_Menu {
public:
    explicit CBK_Menu(tbx::MenuRef menu = nullptr);

    // Wraps a non-null menu.
    bool Attach(tbx::MenuRef menu);
    // Keeps the title (at most 255 characters) and makes the menu.
    bool Create(uint32_t id, const wchar_t* title, bool unused);
    bool Load(const tbx::IBNibRef& nib, const wchar_t* name);
    bool Load(const tbx::IBNibRef& nib, uint32_t id);
    const wchar_t* GetMenuTitle() const { return m_sTitle.c_str(); }
    bool Init(uint32_t) { return true; }
    tbx::MenuRef& GetMenuHandle() { return m_hMenu; }
    bool IsAttached() const { return m_bAttached; }

    uint32_t GetItemCount();
    bool AppendMenuItem(uint32_t command, const wchar_t* text, uint32_t modifiers = 0,
                        wchar_t key = 0, bool virtualKey = false);
    bool InsertMenuItem(int32_t after, uint32_t command, const wchar_t* text,
                        uint32_t modifiers = 0, wchar_t key = 0, bool virtualKey = false);
    bool AppendSeparator();
    bool InsertSeparator(uint32_t after);
    bool DeleteMenuItem(uint32_t item, bool byPosition);
    // Deletes item 1 as many times as there are items.
    bool DeleteAllItems();
    bool IsItemChecked(uint32_t item, bool byPosition);
    bool IsItemEnabled(uint32_t item, bool byPosition);
    bool CheckItem(uint32_t item, bool byPosition, bool check = true);
    bool UncheckItem(uint32_t item, bool byPosition);
    bool EnableItem(uint32_t item, bool byPosition, bool enable = true);
    bool DisableItem(uint32_t item, bool byPosition);
    bool SetItemText(const wchar_t* text, uint32_t item, bool byPosition);
    bool SetItemText(int32_t stringId, uint32_t item, bool byPosition);
    bool GetItemText(wchar_t* out, uint32_t item, bool byPosition);
    // The submenu of the item at `position` (from 0): true and `out` attached when it has one,
    // true and `out` unchanged when it has none, false when the item cannot be read.
    bool GetSubMenu(int32_t position, CBK_Menu& out);
    // The whole menu (item 0) and every item.
    bool EnableAllItems(bool enable);
    bool DisableAllItems();
    int32_t TrackAsPopupMenu(int32_t x, int32_t y, int32_t item, tbx::WindowRef window);

private:
    tbx::MenuRef m_hMenu = nullptr;
    std::wstring m_sTitle;
    bool m_bAttached = false;
};

class CBK_MenuBar {
public:
    CBK_MenuBar() = default;

    bool Load(const tbx::IBNibRef& nib, const wchar_t* name);
    bool Load(const tbx::IBNibRef& nib, uint32_t id);
    // Keeps both; true when the handle is not null.
    bool Attach(tbx::MenuBarHandle& bar, tbx::WindowRef window);
    bool Show(bool show = true);
    bool Hide();
    bool IsVisible();
    bool SetMenuBar(tbx::WindowRef window);
    tbx::MenuRef GetMenu(uint32_t id);
    bool AppendMenu(CBK_Menu& menu);
    bool AppendMenu(tbx::MenuRef& menu);
    bool InsertMenu(tbx::MenuRef& menu, uint32_t beforeId);
    bool RemoveMenu(uint32_t id);
    bool Destroy() { return true; }
    tbx::MenuBarHandle& GetHandle() { return m_hMenuBar; }

private:
    tbx::MenuBarHandle m_hMenuBar = nullptr;
    tbx::WindowRef m_hWnd = nullptr;
    bool m_bLoaded = false;
};

// The menu bar "IDR_MENU" of the main nib. On Mac OS X the system's application menu carries
// Preferences and Quit, so those items leave menus 1001 and 1000, with the separator above
// each (only when the item above is one). False when the menu bar cannot be set.
bool BK_InitStandardMenuBar(bool unused);
