#include "ui/menus/menu_functions.h"

#include "core/strings/cf_string.h"
#include "core/strings/string.h"
#include "core/strings/string_functions.h"
#include "platform/windows/nib.h"

namespace {

// The item number (from 1) of an item addressed by command or by position.
bool ResolveItem(tbx::MenuRef menu, uint32_t item, bool byPosition, bool fromZero,
                 tbx::MenuItemIndex& out) {
    if (!tbx::IsValidMenu(menu))
        return false;
    if (byPosition) {
        // Item number 0 stands for the whole menu where numbers are taken; nothing lies past
        // the last item.
        const uint64_t number = fromZero ? uint64_t(item) + 1 : item;
        if (number > tbx::CountMenuItems(menu))
            return false;
        out = static_cast<tbx::MenuItemIndex>(number);
        return true;
    }
    return tbx::GetIndMenuItemWithCommandID(menu, item, 1, nullptr, &out) == tbx::noErr;
}

bool SetItemExtras(tbx::MenuRef menu, tbx::MenuItemIndex item, uint32_t modifiers, wchar_t key,
                   bool virtualKey) {
    if (modifiers && tbx::SetMenuItemModifiers(
                         menu, item, static_cast<tbx::UInt8>(modifiers & 0xFF)) != tbx::noErr)
        return false;
    if (key && tbx::SetMenuItemCommandKey(menu, item, virtualKey, static_cast<tbx::UInt16>(key)) !=
                   tbx::noErr)
        return false;
    return true;
}

// The item a successful insertion after `after` made.
tbx::MenuItemIndex InsertedItem(tbx::MenuRef menu, int32_t after) {
    const int32_t count = tbx::CountMenuItems(menu);
    return static_cast<tbx::MenuItemIndex>(after < 0 || after >= count ? count : after + 1);
}

} // namespace

bool BK_LoadMenuBar(tbx::MenuBarHandle& bar, const tbx::IBNibRef& nib, const wchar_t* name) {
    CBK_CFString text(name);
    return text.Get() && tbx::CreateMenuBarFromNib(nib, text, &bar) == tbx::noErr;
}

bool BK_LoadMenuBar(tbx::MenuBarHandle& bar, const tbx::IBNibRef&, uint32_t id) {
    bar = tbx::GetNewMBar(static_cast<tbx::SInt16>(id));
    return bar != nullptr;
}

bool BK_DestroyMenuBar(tbx::MenuBarHandle& bar) {
    tbx::DisposeMenuBar(bar);
    bar = nullptr;
    return true;
}

bool BK_SetMenuBar(tbx::MenuBarHandle& bar, tbx::WindowRef) {
    tbx::SetMenuBar(bar);
    return true;
}

bool BK_ShowMenuBar(tbx::MenuBarHandle&, bool show) {
    if (show)
        tbx::ShowMenuBar();
    else
        tbx::HideMenuBar();
    return true;
}

bool BK_HideMenuBar(tbx::MenuBarHandle& bar) {
    return BK_ShowMenuBar(bar, false);
}

bool BK_IsMenuBarVisible(tbx::MenuBarHandle&) {
    return tbx::IsMenuBarVisible();
}

tbx::MenuRef BK_GetMenu(uint32_t id, tbx::MenuBarHandle&) {
    return tbx::GetMenuHandle(static_cast<tbx::MenuID>(id));
}

bool BK_InsertMenu(tbx::MenuRef& menu, uint32_t beforeId, tbx::MenuBarHandle&) {
    tbx::InsertMenu(menu, static_cast<tbx::MenuID>(beforeId));
    return true;
}

bool BK_AppendMenu(tbx::MenuRef& menu, tbx::MenuBarHandle& bar) {
    return BK_InsertMenu(menu, 0, bar);
}

bool BK_RemoveMenu(uint32_t id, tbx::MenuBarHandle&) {
    tbx::DeleteMenu(static_cast<tbx::MenuID>(id));
    return true;
}

bool BK_CreateMenu(tbx::MenuRef& menu, uint32_t id, const wchar_t* title, bool) {
    unsigned char pascal[256] = {};
    BK_CopyCStringToPascal(title ? title : L"", pascal);
    menu = tbx::NewMenu(static_cast<tbx::MenuID>(id), pascal);
    return menu != nullptr;
}

bool BK_LoadMenu(tbx::MenuRef& menu, tbx::IBNibRef nib, const wchar_t* name) {
    CBK_CFString text(name);
    return text.Get() && tbx::CreateMenuFromNib(nib, text, &menu) == tbx::noErr;
}

bool BK_LoadMenu(tbx::MenuRef& menu, tbx::IBNibRef, uint32_t id) {
    menu = tbx::GetMenu(static_cast<tbx::SInt16>(id));
    return menu != nullptr;
}

bool BK_AppendMenuItem(tbx::MenuRef& menu, uint32_t command, const wchar_t* text,
                       uint32_t modifiers, wchar_t key, bool virtualKey) {
    CBK_CFString string(text ? text : L"");
    tbx::MenuItemIndex item = 0;
    if (tbx::AppendMenuItemTextWithCFString(menu, string, 0, command, &item) != tbx::noErr)
        return false;
    return SetItemExtras(menu, item, modifiers, key, virtualKey);
}

bool BK_InsertMenuItem(tbx::MenuRef& menu, int32_t after, uint32_t command, const wchar_t* text,
                       uint32_t modifiers, wchar_t key, bool virtualKey) {
    CBK_CFString string(text ? text : L"");
    if (tbx::InsertMenuItemTextWithCFString(menu, string, after, 0, command) != tbx::noErr)
        return false;
    return SetItemExtras(menu, InsertedItem(menu, after), modifiers, key, virtualKey);
}

bool BK_AppendMenuItemSeparator(tbx::MenuRef& menu) {
    return tbx::AppendMenuItemTextWithCFString(menu, nullptr, tbx::kMenuItemAttrSeparator, 0,
                                               nullptr) == tbx::noErr;
}

bool BK_InsertMenuItemSeparator(tbx::MenuRef& menu, int32_t after) {
    return tbx::InsertMenuItemTextWithCFString(menu, nullptr, after, tbx::kMenuItemAttrSeparator,
                                               0) == tbx::noErr;
}

bool BK_DeleteMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition) {
    tbx::MenuItemIndex number = 0;
    if (!ResolveItem(menu, item, byPosition, true, number))
        return false;
    tbx::DeleteMenuItem(menu, number);
    return true;
}

bool BK_IsMenuItemChecked(tbx::MenuRef& menu, uint32_t item, bool byPosition) {
    tbx::MenuItemIndex number = 0;
    if (!ResolveItem(menu, item, byPosition, false, number))
        return false;
    tbx::CharParameter mark = 0;
    tbx::GetItemMark(menu, number, &mark);
    return mark == tbx::checkMark;
}

bool BK_IsMenuItemEnabled(tbx::MenuRef& menu, uint32_t item, bool byPosition) {
    tbx::MenuItemIndex number = 0;
    return ResolveItem(menu, item, byPosition, false, number) &&
           tbx::IsMenuItemEnabled(menu, number);
}

bool BK_CheckMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition, bool check) {
    tbx::MenuItemIndex number = 0;
    if (!ResolveItem(menu, item, byPosition, false, number))
        return false;
    tbx::CheckMenuItem(menu, number, check);
    return true;
}

bool BK_UncheckMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition) {
    return BK_CheckMenuItem(menu, item, byPosition, false);
}

bool BK_EnableMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition, bool enable) {
    tbx::MenuItemIndex number = 0;
    if (!ResolveItem(menu, item, byPosition, false, number))
        return false;
    if (!byPosition) {
        if (enable)
            tbx::EnableMenuCommand(menu, item);
        else
            tbx::DisableMenuCommand(menu, item);
    } else if (enable) {
        tbx::EnableMenuItem(menu, number);
    } else {
        tbx::DisableMenuItem(menu, number);
    }
    return true;
}

bool BK_DisableMenuItem(tbx::MenuRef& menu, uint32_t item, bool byPosition) {
    return BK_EnableMenuItem(menu, item, byPosition, false);
}

bool BK_GetItemText(tbx::MenuRef& menu, wchar_t* out, uint32_t item, bool byPosition) {
    tbx::MenuItemIndex number = 0;
    if (!out || !ResolveItem(menu, item, byPosition, false, number))
        return false;
    unsigned char pascal[256] = {};
    tbx::GetMenuItemText(menu, number, pascal);
    BK_CopyPascalStringToC(pascal, out);
    return true;
}

bool BK_SetItemText(tbx::MenuRef& menu, const wchar_t* text, uint32_t item, bool byPosition) {
    tbx::MenuItemIndex number = 0;
    if (!ResolveItem(menu, item, byPosition, false, number))
        return false;
    unsigned char pascal[256] = {};
    BK_CopyCStringToPascal(text ? text : L"", pascal);
    tbx::SetMenuItemText(menu, number, pascal);
    return true;
}

bool BK_SetItemText(tbx::MenuRef& menu, int32_t stringId, uint32_t item, bool byPosition) {
    CBK_String text(stringId);
    return BK_SetItemText(menu, text.GetConstString(), item, byPosition);
}

uint32_t BK_GetMeuItemCount(tbx::MenuRef& menu) {
    return tbx::CountMenuItems(menu);
}

int32_t BK_TrackMenuAsPopup(tbx::MenuRef& menu, int32_t x, int32_t y, int32_t, tbx::WindowRef) {
    const auto clamp = [](int32_t v) {
        return static_cast<tbx::SInt16>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    };
    return tbx::PopUpMenuSelect(menu, clamp(y), clamp(x), 0);
}
