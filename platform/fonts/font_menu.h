// The standard font menu: one item per installed family, and for a family with more than one
// face a submenu of its faces ("Regular", "Bold", "Italic", "Bold Italic"). Selections map
// back to a family and face. The families come from the font catalogue, or from a fixed
// catalogue that tests set.
#pragma once

#include <vector>

#include "platform/fonts/font_types.h"
#include "platform/windows/menus.h"

namespace tbx {

using FMFont = UInt32;
using OptionBits = UInt32;
using ItemCount = UInt32;
inline constexpr OptionBits kHierarchicalFontMenuOption = 1;
inline constexpr CharParameter kCheckCharCode = 18;

// Inserts the families after `afterItem`; with kHierarchicalFontMenuOption, submenus with ids
// from firstHierMenuID up, whose number goes to outHierMenuCount.
OSStatus CreateStandardFontMenu(MenuRef menu, MenuItemIndex afterItem, MenuID firstHierMenuID,
                                OptionBits options, ItemCount* outHierMenuCount);
// kFMInvalidFontFamilyErr when the item is no family or face of a font menu.
OSStatus GetFontFamilyFromMenuSelection(MenuRef menu, MenuItemIndex item, FMFontFamily* outFamily,
                                        FMFontStyle* outStyle);
// The family's face that draws the style: the nearest it has (see fonts::NearestFace), whose
// style bits are the intrinsic style. kFMInvalidFontFamilyErr when the family is unknown or
// has no face.
OSStatus FMGetFontFromFontFamilyInstance(FMFontFamily family, FMFontStyle style, FMFont* outFont,
                                         FMFontStyle* outIntrinsicStyle);

namespace test {
struct FontMenuFamily {
    FMFontFamily id = 0; // a family of the font catalogue, for its name
    std::vector<Style> faces;
};
// Replaces the catalogue's families and faces; an empty list puts the catalogue back.
void SetFontMenuCatalog(std::vector<FontMenuFamily> families);
// The menus made from now on report `extra` submenus more than they made (fewer when
// negative), as a font menu out of step with its count would.
void MisreportFontSubmenus(int extra);
void ResetFontMenu();
} // namespace test

} // namespace tbx
