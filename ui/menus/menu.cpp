#include "ui/menus/menu.h"

#include "core/strings/cf_string.h"
#include "platform/gestalt.h"
#include "platform/windows/nib.h"
#include "ui/menus/instance.h"
#include "ui/menus/menu_functions.h"

CBK_Menu::CBK_Menu(tbx::MenuRef menu) {
    if (menu)
        Attach(menu);
}

bool CBK_Menu::Attach(tbx::MenuRef menu) {
    if (!menu)
        return false;
    m_hMenu = menu;
    m_bAttached = true;
    return true;
}

bool CBK_Menu::Create(uint32_t id, const wchar_t* title, bool unused) {
    m_sTitle = std::wstring(title ? title : L"").substr(0, 255);
    return BK_CreateMenu(m_hMenu, id, m_sTitle.c_str(), unused);
}

bool CBK_Menu::Load(const tbx::IBNibRef& nib, const wchar_t* name) {
    tbx::MenuRef menu = nullptr;
    return BK_LoadMenu(menu, nib, name) && Attach(menu);
}

bool CBK_Menu::Load(const tbx::IBNibRef& nib, uint32_t id) {
    tbx::MenuRef menu = nullptr;
    return BK_LoadMenu(menu, nib, id) && Attach(menu);
}

uint32_t CBK_Menu::GetItemCount() {
    return BK_GetMeuItemCount(m_hMenu);
}

bool CBK_Menu::AppendMenuItem(uint32_t command, const wchar_t* text, uint32_t modifiers,
                              wchar_t key, bool virtualKey) {
    return BK_AppendMenuItem(m_hMenu, command, text, modifiers, key, virtualKey);
}

bool CBK_Menu::InsertMenuItem(int32_t after, uint32_t command, const wchar_t* text,
                              uint32_t modifiers, wchar_t key, bool virtualKey) {
    return BK_InsertMenuItem(m_hMenu, after, command, text, modifiers, key, virtualKey);
}

bool CBK_Menu::AppendSeparator() {
    return BK_AppendMenuItemSeparator(m_hMenu);
}

bool CBK_Menu::InsertSeparator(uint32_t after) {
    return BK_InsertMenuItemSeparator(m_hMenu, static_cast<int32_t>(after));
}

bool CBK_Menu::DeleteMenuItem(uint32_t item, bool byPosition) {
    return BK_DeleteMenuItem(m_hMenu, item, byPosition);
}

bool CBK_Menu::DeleteAllItems() {
    for (uint32_t n = GetItemCount(); n > 0; --n)
        BK_DeleteMenuItem(m_hMenu, 0, true);
    return true;
}

bool CBK_Menu::IsItemChecked(uint32_t item, bool byPosition) {
    return BK_IsMenuItemChecked(m_hMenu, item, byPosition);
}

bool CBK_Menu::IsItemEnabled(uint32_t item, bool byPosition) {
    return BK_IsMenuItemEnabled(m_hMenu, item, byPosition);
}

bool CBK_Menu::CheckItem(uint32_t item, bool byPosition, bool check) {
    return BK_CheckMenuItem(m_hMenu, item, byPosition, check);
}

bool CBK_Menu::UncheckItem(uint32_t item, bool byPosition) {
    return BK_UncheckMenuItem(m_hMenu, item, byPosition);
}

bool CBK_Menu::EnableItem(uint32_t item, bool byPosition, bool enable) {
    return BK_EnableMenuItem(m_hMenu, item, byPosition, enable);
}

bool CBK_Menu::DisableItem(uint32_t item, bool byPosition) {
    return BK_DisableMenuItem(m_hMenu, item, byPosition);
}

bool CBK_Menu::SetItemText(const wchar_t* text, uint32_t item, bool byPosition) {
    return BK_SetItemText(m_hMenu, text, item, byPosition);
}

bool CBK_Menu::SetItemText(int32_t stringId, uint32_t item, bool byPosition) {
    return BK_SetItemText(m_hMenu, stringId, item, byPosition);
}

bool CBK_Menu::GetItemText(wchar_t* out, uint32_t item, bool byPosition) {
    return BK_GetItemText(m_hMenu, out, item, byPosition);
}

bool CBK_Menu::GetSubMenu(int32_t position, CBK_Menu& out) {
    if (position < 0 || position >= 0xFFFF)
        return false;
    tbx::MenuRef sub = nullptr;
    if (tbx::GetMenuItemHierarchicalMenu(m_hMenu, static_cast<tbx::MenuItemIndex>(position + 1),
                                         &sub) != tbx::noErr)
        return false;
    if (sub)
        out.Attach(sub);
    return true;
}

bool CBK_Menu::EnableAllItems(bool enable) {
    const uint32_t count = GetItemCount();
    for (uint32_t item = 0; item <= count; ++item)
        BK_EnableMenuItem(m_hMenu, item, true, enable);
    return true;
}

bool CBK_Menu::DisableAllItems() {
    return EnableAllItems(false);
}

int32_t CBK_Menu::TrackAsPopupMenu(int32_t x, int32_t y, int32_t item, tbx::WindowRef window) {
    return BK_TrackMenuAsPopup(m_hMenu, x, y, item, window);
}

bool CBK_MenuBar::Load(const tbx::IBNibRef& nib, const wchar_t* name) {
    m_bLoaded = BK_LoadMenuBar(m_hMenuBar, nib, name);
    return m_bLoaded;
}

bool CBK_MenuBar::Load(const tbx::IBNibRef& nib, uint32_t id) {
    m_bLoaded = BK_LoadMenuBar(m_hMenuBar, nib, id);
    return m_bLoaded;
}

bool CBK_MenuBar::Attach(tbx::MenuBarHandle& bar, tbx::WindowRef window) {
    m_hMenuBar = bar;
    m_hWnd = window;
    m_bLoaded = false;
    return bar != nullptr;
}

bool CBK_MenuBar::Show(bool show) {
    return BK_ShowMenuBar(m_hMenuBar, show);
}

bool CBK_MenuBar::Hide() {
    return BK_HideMenuBar(m_hMenuBar);
}

bool CBK_MenuBar::IsVisible() {
    return BK_IsMenuBarVisible(m_hMenuBar);
}

bool CBK_MenuBar::SetMenuBar(tbx::WindowRef window) {
    return BK_SetMenuBar(m_hMenuBar, window);
}

tbx::MenuRef CBK_MenuBar::GetMenu(uint32_t id) {
    return BK_GetMenu(id, m_hMenuBar);
}

bool CBK_MenuBar::AppendMenu(CBK_Menu& menu) {
    return BK_AppendMenu(menu.GetMenuHandle(), m_hMenuBar);
}

bool CBK_MenuBar::AppendMenu(tbx::MenuRef& menu) {
    return BK_AppendMenu(menu, m_hMenuBar);
}

bool CBK_MenuBar::InsertMenu(tbx::MenuRef& menu, uint32_t beforeId) {
    return BK_InsertMenu(menu, beforeId, m_hMenuBar);
}

bool CBK_MenuBar::RemoveMenu(uint32_t id) {
    return BK_RemoveMenu(id, m_hMenuBar);
}

namespace {

// Removes the item carrying `command` from the menu, and the item above it when that is a
// separator. A missing menu or item changes nothing.
void RemoveWithSeparator(tbx::MenuID menuId, tbx::MenuCommand command) {
    tbx::MenuRef menu = tbx::GetMenuHandle(menuId);
    tbx::MenuItemIndex item = 0;
    if (!menu || tbx::GetIndMenuItemWithCommandID(menu, command, 1, nullptr, &item) != tbx::noErr)
        return;
    tbx::DeleteMenuItem(menu, item);
    tbx::MenuItemAttributes attributes = 0;
    if (item > 1 && tbx::GetMenuItemAttributes(menu, item - 1, &attributes) == tbx::noErr &&
        (attributes & tbx::kMenuItemAttrSeparator))
        tbx::DeleteMenuItem(menu, item - 1);
}

} // namespace

bool BK_InitStandardMenuBar(bool) {
    CBK_Instance* instance = CBK_MainInstance::Instance();
    CBK_CFString name(L"IDR_MENU");
    if (!instance || tbx::SetMenuBarFromNib(instance->GetNibRef(), name) != tbx::noErr)
        return false;
    tbx::SInt32 version = 0;
    if (tbx::Gestalt(tbx::FourCC("sysv"), &version) != tbx::noErr || version < 0x1000)
        return true;
    tbx::EnableMenuCommand(nullptr, tbx::FourCC("pref"));
    RemoveWithSeparator(1000, tbx::FourCC("quit"));
    RemoveWithSeparator(1001, tbx::FourCC("pref"));
    return true;
}
