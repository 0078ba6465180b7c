// The menu bar, menus from nib definitions and pop-up menus.
#include <algorithm>
#include <cstring>

#include "platform/memory.h"
#include "platform/text_encoding.h"
#include "platform/windows/menus.h"
#include "platform/windows/nib.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

std::vector<MenuRef> ReadBar(MenuBarHandle bar) {
    std::vector<MenuRef> menus(GetHandleSize(bar) / sizeof(MenuRef));
    if (!menus.empty())
        std::memcpy(menus.data(), *bar, menus.size() * sizeof(MenuRef));
    return menus;
}

MenuBarHandle MakeBar(const std::vector<MenuRef>& menus) {
    MenuBarHandle bar = NewHandle(menus.size() * sizeof(MenuRef));
    if (bar && !menus.empty())
        std::memcpy(*bar, menus.data(), menus.size() * sizeof(MenuRef));
    return bar;
}

// Builds a menu and its submenus from a definition, without recursion.
MenuRef BuildMenu(const nib::MenuDef& root) {
    struct Pending {
        const nib::MenuDef* def;
        MenuRef parent;
        MenuItemIndex item;
    };
    std::vector<Pending> pending{{&root, nullptr, 0}};
    MenuRef top = nullptr;
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        MenuRef menu = NewMenu(next.def->id, nullptr);
        Menu* m = LiveMenu(menu);
        if (!m)
            break;
        m->title = next.def->title;
        for (const nib::ItemDef& def : next.def->items) {
            MenuItem item;
            item.text = def.title;
            item.command = def.command;
            item.key = def.key;
            item.modifiers = static_cast<UInt8>(def.modifiers);
            item.separator = def.separator;
            m->items.push_back(item);
            if (def.submenu)
                pending.push_back({def.submenu.get(), menu, MenuItemIndex(m->items.size())});
        }
        if (next.parent)
            SetMenuItemHierarchicalMenu(next.parent, next.item, menu);
        else
            top = menu;
    }
    return top;
}

const nib::MenuBarDef* FindBar(IBNibRef nibRef, CFStringRef name) {
    const nib::Document* doc = nib::GetDocument(nibRef);
    if (!doc || !name)
        return nullptr;
    const std::string wanted = text::Utf16ToUtf8(name->Text());
    for (const nib::MenuBarDef& bar : doc->menuBars)
        if (bar.name == wanted)
            return &bar;
    return nullptr;
}

} // namespace

MenuBarHandle GetMenuBar() {
    return MakeBar(TheWorld().menuBar);
}

void SetMenuBar(MenuBarHandle menuBar) {
    std::vector<MenuRef> menus;
    for (MenuRef menu : ReadBar(menuBar))
        if (LiveMenu(menu))
            menus.push_back(menu);
    TheWorld().menuBar = std::move(menus);
}

void DisposeMenuBar(MenuBarHandle menuBar) {
    if (menuBar)
        DisposeHandle(menuBar);
}

MenuRef GetMenuHandle(MenuID menuID) {
    for (MenuRef ref : MenuTree(TheWorld().menuBar))
        if (GetMenuID(ref) == menuID)
            return ref;
    return nullptr;
}

void InsertMenu(MenuRef menu, MenuID beforeID) {
    World& world = TheWorld();
    if (!LiveMenu(menu) ||
        std::find(world.menuBar.begin(), world.menuBar.end(), menu) != world.menuBar.end())
        return;
    auto at = std::find_if(world.menuBar.begin(), world.menuBar.end(),
                           [&](MenuRef m) { return beforeID != 0 && GetMenuID(m) == beforeID; });
    world.menuBar.insert(at, menu);
}

void DeleteMenu(MenuID menuID) {
    auto& bar = TheWorld().menuBar;
    auto at =
        std::find_if(bar.begin(), bar.end(), [&](MenuRef m) { return GetMenuID(m) == menuID; });
    if (at != bar.end())
        bar.erase(at);
}

void ShowMenuBar() {
    TheWorld().menuBarVisible = true;
}

void HideMenuBar() {
    TheWorld().menuBarVisible = false;
}

Boolean IsMenuBarVisible() {
    return TheWorld().menuBarVisible;
}

OSStatus CreateMenuFromNib(IBNibRef nibRef, CFStringRef name, MenuRef* outMenu) {
    const nib::Document* doc = nib::GetDocument(nibRef);
    if (!doc)
        return kIBCarbonRuntimeCantFindNibFile;
    if (!name || !outMenu)
        return paramErr;
    const std::string wanted = text::Utf16ToUtf8(name->Text());
    for (const nib::MenuDef& def : doc->menus) {
        if (def.name != wanted)
            continue;
        *outMenu = BuildMenu(def);
        return *outMenu ? noErr : memFullErr;
    }
    return kIBCarbonRuntimeCantFindObject;
}

OSStatus CreateMenuBarFromNib(IBNibRef nibRef, CFStringRef name, MenuBarHandle* outMenuBar) {
    if (!nib::GetDocument(nibRef))
        return kIBCarbonRuntimeCantFindNibFile;
    if (!outMenuBar)
        return paramErr;
    const nib::MenuBarDef* def = FindBar(nibRef, name);
    if (!def)
        return kIBCarbonRuntimeCantFindObject;
    std::vector<MenuRef> menus;
    for (const nib::MenuDef& menu : def->menus)
        menus.push_back(BuildMenu(menu));
    *outMenuBar = MakeBar(menus);
    return *outMenuBar ? noErr : memFullErr;
}

OSStatus SetMenuBarFromNib(IBNibRef nibRef, CFStringRef name) {
    MenuBarHandle bar = nullptr;
    const OSStatus status = CreateMenuBarFromNib(nibRef, name, &bar);
    if (status != noErr)
        return status;
    SetMenuBar(bar);
    DisposeMenuBar(bar);
    return noErr;
}

namespace windows_detail {

bool ChooseFromMenu(MenuRef menu, Point global, SInt16, MenuRef& outMenu, MenuItemIndex& outItem) {
    World& world = TheWorld();
    if (!LiveMenu(menu))
        return false;
    world.popUps.push_back({menu, global});
    if (world.popUpChoices.empty()) {
        ReportFailure("a pop-up menu (id " + std::to_string(GetMenuID(menu)) +
                      ") was shown with no scripted choice");
        return false;
    }
    const PopUpChoice choice = world.popUpChoices.front();
    world.popUpChoices.pop_front();
    MenuRef from = menu;
    if (choice.menu != 0 && choice.menu != GetMenuID(menu)) {
        // A submenu below the menu shown.
        from = nullptr;
        for (MenuRef ref : MenuTree({menu}))
            if (ref != menu && GetMenuID(ref) == choice.menu) {
                from = ref;
                break;
            }
    }
    const MenuItem* item = from ? MenuItemAt(from, choice.item) : nullptr;
    if (!item || item->separator || !IsMenuItemEnabled(from, choice.item))
        return false;
    outMenu = from;
    outItem = choice.item;
    return true;
}

} // namespace windows_detail

SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem) {
    MenuRef from = nullptr;
    MenuItemIndex item = 0;
    if (!ChooseFromMenu(menu, Point{top, left}, popUpItem, from, item))
        return 0;
    return (SInt32(UInt16(GetMenuID(from))) << 16) | item;
}

} // namespace tbx
