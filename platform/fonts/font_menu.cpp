#include "platform/fonts/font_menu.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/fonts/font_catalog.h"
#include "platform/fonts/font_manager.h"

namespace tbx {

namespace {

using Selection = std::pair<FMFontFamily, FMFontStyle>;

struct FontMenus {
    std::vector<test::FontMenuFamily> fixed;
    int misreport = 0;
    // What each item of each font menu and face submenu stands for, by item number - 1.
    std::map<MenuRef, std::vector<Selection>> items;
};

FontMenus& TheMenus() {
    static FontMenus menus;
    return menus;
}

std::vector<test::FontMenuFamily> Catalogue() {
    if (!TheMenus().fixed.empty())
        return TheMenus().fixed;
    std::vector<test::FontMenuFamily> out;
    for (const fonts::Family& family : fonts::Families())
        out.push_back({family.id, fonts::FamilyFaces(family.id)});
    return out;
}

void FaceName(Style face, Str255 out) {
    const char* name = face == (bold | italic) ? "Bold Italic"
                       : face == bold          ? "Bold"
                       : face == italic        ? "Italic"
                                               : "Regular";
    out[0] = 0;
    for (const char* c = name; *c; ++c)
        out[++out[0]] = static_cast<unsigned char>(*c);
}

MenuItemIndex AddItem(MenuRef menu, MenuItemIndex after, const Str255 text) {
    InsertMenuItemTextWithCFString(menu, nullptr, after, 0, 0);
    SetMenuItemText(menu, MenuItemIndex(after + 1), text);
    return MenuItemIndex(after + 1);
}

} // namespace

OSStatus CreateStandardFontMenu(MenuRef menu, MenuItemIndex afterItem, MenuID firstHierMenuID,
                                OptionBits options, ItemCount* outHierMenuCount) {
    if (!IsValidMenu(menu))
        return menuInvalidErr;
    FontMenus& menus = TheMenus();
    std::erase_if(menus.items, [](const auto& entry) { return !IsValidMenu(entry.first); });
    std::vector<Selection>& records = menus.items[menu];
    records.resize(CountMenuItems(menu) > afterItem ? afterItem : CountMenuItems(menu),
                   Selection{kInvalidFontFamily, 0});
    ItemCount submenus = 0;
    MenuItemIndex at = MenuItemIndex(records.size());
    for (const test::FontMenuFamily& family : Catalogue()) {
        Str255 name;
        if (FMGetFontFamilyName(family.id, name) != noErr || name[0] == 0)
            continue;
        at = AddItem(menu, at, name);
        records.insert(records.begin() + (at - 1), Selection{family.id, 0});
        if (!(options & kHierarchicalFontMenuOption) || family.faces.size() < 2)
            continue;
        MenuRef submenu = NewMenu(MenuID(firstHierMenuID + submenus), name);
        if (!submenu)
            continue;
        std::vector<Selection>& faces = menus.items[submenu];
        for (Style face : family.faces) {
            Str255 faceName;
            FaceName(face, faceName);
            AddItem(submenu, CountMenuItems(submenu), faceName);
            faces.push_back({family.id, FMFontStyle(face)});
        }
        SetMenuItemHierarchicalMenu(menu, at, submenu);
        ++submenus;
    }
    if (outHierMenuCount)
        *outHierMenuCount = ItemCount(std::max<int>(0, int(submenus) + menus.misreport));
    return noErr;
}

OSStatus GetFontFamilyFromMenuSelection(MenuRef menu, MenuItemIndex item, FMFontFamily* outFamily,
                                        FMFontStyle* outStyle) {
    const FontMenus& menus = TheMenus();
    auto found = menus.items.find(menu);
    if (!IsValidMenu(menu) || found == menus.items.end() || item < 1 ||
        item > found->second.size() || found->second[item - 1].first == kInvalidFontFamily)
        return kFMInvalidFontFamilyErr;
    if (outFamily)
        *outFamily = found->second[item - 1].first;
    if (outStyle)
        *outStyle = found->second[item - 1].second;
    return noErr;
}

OSStatus FMGetFontFromFontFamilyInstance(FMFontFamily family, FMFontStyle style, FMFont* outFont,
                                         FMFontStyle* outIntrinsicStyle) {
    for (const test::FontMenuFamily& f : Catalogue()) {
        if (f.id != family)
            continue;
        const std::optional<Style> face = fonts::NearestFace(f.faces, Style(style));
        if (!face)
            break;
        if (outFont)
            *outFont = FMFont(UInt16(family)) << 8 | UInt8(*face);
        if (outIntrinsicStyle)
            *outIntrinsicStyle = FMFontStyle(*face);
        return noErr;
    }
    return kFMInvalidFontFamilyErr;
}

namespace test {

void SetFontMenuCatalog(std::vector<FontMenuFamily> families) {
    TheMenus().fixed = std::move(families);
}

void MisreportFontSubmenus(int extra) {
    TheMenus().misreport = extra;
}

void ResetFontMenu() {
    TheMenus() = FontMenus{};
}

} // namespace test

} // namespace tbx
