// Menus and their items.
#include "platform/windows/menus.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/text_encoding.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

Menu* LiveMenu(MenuRef menu) {
    return TheWorld().menus.Get(menu);
}

std::vector<MenuRef> MenuTree(const std::vector<MenuRef>& roots) {
    std::vector<MenuRef> out;
    std::unordered_set<MenuRef> seen;
    std::vector<MenuRef> pending(roots.rbegin(), roots.rend());
    while (!pending.empty()) {
        MenuRef ref = pending.back();
        pending.pop_back();
        Menu* m = LiveMenu(ref);
        if (!m || !seen.insert(ref).second)
            continue;
        out.push_back(ref);
        for (auto it = m->items.rbegin(); it != m->items.rend(); ++it)
            if (it->submenu)
                pending.push_back(it->submenu);
    }
    return out;
}

MenuItem* MenuItemAt(MenuRef menu, MenuItemIndex item) {
    Menu* m = LiveMenu(menu);
    if (!m || item < 1 || item > m->items.size())
        return nullptr;
    return &m->items[item - 1];
}

} // namespace windows_detail

namespace {

std::u16string FromPascal(ConstStr255Param text) {
    std::u16string out;
    if (text)
        for (int i = 1; i <= text[0]; ++i)
            out.push_back(text::MacRomanToUnicode(text[i]));
    return out;
}

void ToPascal(const std::u16string& text, Str255 out) {
    std::size_t n = 0;
    for (char16_t ch : text) {
        if (n == 255)
            break;
        const int b = text::UnicodeToMacRoman(ch);
        out[++n] = static_cast<unsigned char>(b < 0 ? '?' : b);
    }
    out[0] = static_cast<unsigned char>(n);
}

MenuItem NewItem(CFStringRef text, MenuItemAttributes attributes, MenuCommand command) {
    MenuItem item;
    item.text = text ? text->Text() : std::u16string();
    item.command = command;
    item.enabled = !(attributes & kMenuItemAttrDisabled);
    item.separator = (attributes & kMenuItemAttrSeparator) != 0;
    return item;
}

void SetCommandEnabled(MenuRef menu, MenuCommand command, bool enabled) {
    std::vector<MenuRef> roots;
    if (menu)
        roots.push_back(menu);
    else
        roots = TheWorld().menuBar;
    for (MenuRef ref : MenuTree(roots))
        for (MenuItem& item : LiveMenu(ref)->items)
            if (item.command == command)
                item.enabled = enabled;
}

} // namespace

MenuRef NewMenu(MenuID menuID, ConstStr255Param title) {
    World& world = TheWorld();
    if (world.menus.Count() >= world.menuLimit)
        return nullptr;
    auto menu = std::make_unique<Menu>();
    menu->id = menuID;
    menu->title = FromPascal(title);
    return world.menus.Add(std::move(menu));
}

OSStatus CreateNewMenu(MenuID menuID, UInt32, MenuRef* outMenu) {
    if (!outMenu)
        return paramErr;
    *outMenu = NewMenu(menuID, nullptr);
    return *outMenu ? noErr : memFullErr;
}

void DisposeMenu(MenuRef menu) {
    World& world = TheWorld();
    if (!world.menus.Get(menu))
        return;
    world.menuBar.erase(std::remove(world.menuBar.begin(), world.menuBar.end(), menu),
                        world.menuBar.end());
    world.menus.Remove(menu);
}

void DisposeMenuTree(MenuRef menu) {
    for (MenuRef ref : MenuTree({menu}))
        DisposeMenu(ref);
}

Boolean IsValidMenu(MenuRef menu) {
    return LiveMenu(menu) != nullptr;
}

MenuID GetMenuID(MenuRef menu) {
    Menu* m = LiveMenu(menu);
    return m ? m->id : 0;
}

OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title) {
    Menu* m = LiveMenu(menu);
    if (!m)
        return menuInvalidErr;
    m->title = title ? title->Text() : std::u16string();
    return noErr;
}

OSStatus CopyMenuTitleAsCFString(MenuRef menu, CFStringRef* outTitle) {
    Menu* m = LiveMenu(menu);
    if (!m)
        return menuInvalidErr;
    if (!outTitle)
        return paramErr;
    *outTitle = new CFString(m->title);
    return noErr;
}

OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text,
                                        MenuItemAttributes attributes, MenuCommand command,
                                        MenuItemIndex* outNewItem) {
    Menu* m = LiveMenu(menu);
    if (!m)
        return menuInvalidErr;
    if (m->items.size() >= 0xFFFF)
        return memFullErr;
    m->items.push_back(NewItem(text, attributes, command));
    if (outNewItem)
        *outNewItem = static_cast<MenuItemIndex>(m->items.size());
    return noErr;
}

OSStatus InsertMenuItemTextWithCFString(MenuRef menu, CFStringRef text, SInt32 afterItem,
                                        MenuItemAttributes attributes, MenuCommand command) {
    Menu* m = LiveMenu(menu);
    if (!m)
        return menuInvalidErr;
    if (m->items.size() >= 0xFFFF)
        return memFullErr;
    const std::size_t at =
        afterItem < 0 ? m->items.size()
                      : std::min<std::size_t>(static_cast<std::size_t>(afterItem), m->items.size());
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at),
                    NewItem(text, attributes, command));
    return noErr;
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
    Menu* m = LiveMenu(menu);
    if (m && item >= 1 && item <= m->items.size())
        m->items.erase(m->items.begin() + (item - 1));
}

UInt16 CountMenuItems(MenuRef menu) {
    Menu* m = LiveMenu(menu);
    return m ? static_cast<UInt16>(m->items.size()) : 0;
}

OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes set,
                                  MenuItemAttributes clear) {
    MenuItem* i = MenuItemAt(menu, item);
    if (!i)
        return LiveMenu(menu) ? menuItemNotFoundErr : menuInvalidErr;
    if (set & kMenuItemAttrSeparator)
        i->separator = true;
    if (clear & kMenuItemAttrSeparator)
        i->separator = false;
    if (set & kMenuItemAttrDisabled)
        i->enabled = false;
    if (clear & kMenuItemAttrDisabled)
        i->enabled = true;
    return noErr;
}

OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* out) {
    MenuItem* i = MenuItemAt(menu, item);
    if (!i)
        return LiveMenu(menu) ? menuItemNotFoundErr : menuInvalidErr;
    if (!out)
        return paramErr;
    *out = (i->separator ? kMenuItemAttrSeparator : 0) | (i->enabled ? 0 : kMenuItemAttrDisabled);
    return noErr;
}

namespace {

// The item of a call that addresses one, with the error to give when there is none.
template <typename F>
OSStatus WithItem(MenuRef menu, MenuItemIndex item, F&& act) {
    MenuItem* i = MenuItemAt(menu, item);
    if (!i)
        return LiveMenu(menu) ? menuItemNotFoundErr : menuInvalidErr;
    return act(*i);
}

} // namespace

OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand command) {
    return WithItem(menu, item, [&](MenuItem& i) {
        i.command = command;
        return noErr;
    });
}

OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommand) {
    return WithItem(menu, item, [&](MenuItem& i) {
        if (!outCommand)
            return paramErr;
        *outCommand = i.command;
        return noErr;
    });
}

OSErr SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers) {
    return static_cast<OSErr>(WithItem(menu, item, [&](MenuItem& i) {
        i.modifiers = modifiers;
        return noErr;
    }));
}

OSErr GetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8* outModifiers) {
    return static_cast<OSErr>(WithItem(menu, item, [&](MenuItem& i) {
        if (!outModifiers)
            return paramErr;
        *outModifiers = i.modifiers;
        return noErr;
    }));
}

OSErr SetMenuItemCommandKey(MenuRef menu, MenuItemIndex item, Boolean virtualKey, UInt16 key) {
    return static_cast<OSErr>(WithItem(menu, item, [&](MenuItem& i) {
        i.key = key;
        i.virtualKey = virtualKey;
        return noErr;
    }));
}

OSErr GetMenuItemCommandKey(MenuRef menu, MenuItemIndex item, Boolean virtualKey, UInt16* outKey) {
    return static_cast<OSErr>(WithItem(menu, item, [&](MenuItem& i) {
        if (!outKey)
            return paramErr;
        *outKey = (i.virtualKey == bool(virtualKey)) ? i.key : 0;
        return noErr;
    }));
}

OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32 index,
                                     MenuRef* outMenu, MenuItemIndex* outIndex) {
    Menu* m = LiveMenu(menu);
    if (!m)
        return menuInvalidErr;
    UInt32 seen = 0;
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        if (m->items[i].command != command || ++seen < std::max<UInt32>(index, 1))
            continue;
        if (outMenu)
            *outMenu = menu;
        if (outIndex)
            *outIndex = static_cast<MenuItemIndex>(i + 1);
        return noErr;
    }
    return menuItemNotFoundErr;
}

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 outText) {
    if (!outText)
        return;
    outText[0] = 0;
    if (MenuItem* i = MenuItemAt(menu, item))
        ToPascal(i->text, outText);
}

void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text) {
    if (MenuItem* i = MenuItemAt(menu, item))
        i->text = FromPascal(text);
}

OSStatus SetMenuItemTextWithCFString(MenuRef menu, MenuItemIndex item, CFStringRef text) {
    return WithItem(menu, item, [&](MenuItem& i) {
        i.text = text ? text->Text() : std::u16string();
        return noErr;
    });
}

OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outText) {
    return WithItem(menu, item, [&](MenuItem& i) {
        if (!outText)
            return paramErr;
        *outText = new CFString(i.text);
        return noErr;
    });
}

void GetItemMark(MenuRef menu, MenuItemIndex item, CharParameter* outMark) {
    if (!outMark)
        return;
    MenuItem* i = MenuItemAt(menu, item);
    *outMark = i ? i->mark : noMark;
}

void SetItemMark(MenuRef menu, MenuItemIndex item, CharParameter mark) {
    if (MenuItem* i = MenuItemAt(menu, item))
        i->mark = mark;
}

void CheckMenuItem(MenuRef menu, MenuItemIndex item, Boolean checked) {
    SetItemMark(menu, item, checked ? checkMark : noMark);
}

Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item) {
    Menu* m = LiveMenu(menu);
    if (!m || !m->enabled)
        return false;
    if (item == 0)
        return true;
    MenuItem* i = MenuItemAt(menu, item);
    return i && i->enabled;
}

void EnableMenuItem(MenuRef menu, MenuItemIndex item) {
    if (item == 0) {
        if (Menu* m = LiveMenu(menu))
            m->enabled = true;
    } else if (MenuItem* i = MenuItemAt(menu, item)) {
        i->enabled = true;
    }
}

void DisableMenuItem(MenuRef menu, MenuItemIndex item) {
    if (item == 0) {
        if (Menu* m = LiveMenu(menu))
            m->enabled = false;
    } else if (MenuItem* i = MenuItemAt(menu, item)) {
        i->enabled = false;
    }
}

void EnableMenuCommand(MenuRef menu, MenuCommand command) {
    SetCommandEnabled(menu, command, true);
}

void DisableMenuCommand(MenuRef menu, MenuCommand command) {
    SetCommandEnabled(menu, command, false);
}

OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outHierMenu) {
    return WithItem(menu, item, [&](MenuItem& i) {
        if (!outHierMenu)
            return paramErr;
        *outHierMenu = LiveMenu(i.submenu) ? i.submenu : nullptr;
        return noErr;
    });
}

OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef hierMenu) {
    if (hierMenu && !LiveMenu(hierMenu))
        return menuInvalidErr;
    return WithItem(menu, item, [&](MenuItem& i) {
        i.submenu = hierMenu;
        return noErr;
    });
}

} // namespace tbx
