// Menu Manager: menus with an id, a title and items, the menu bar, menus from nibs and pop-up
// menus. An item has its text, command id, modifiers, command key, mark, enabled flag,
// separator attribute and an optional submenu. Items are numbered from 1; item 0 stands for
// the whole menu where the enabling calls take it.
//
// A menu bar handle is a Memory Manager handle holding MenuRefs in order; SetMenuBar copies
// it, so the caller disposes of its handle with DisposeMenuBar whenever it likes. Menus live
// until DisposeMenu (or until the windowing model is reset); a pop-up button disposes of the
// menu it was given to own.
//
// PopUpMenuSelect takes the next choice scripted with tbx::test::ScriptPopUpChoice; with none
// it reports a failure of the test script and answers 0 (nothing chosen). A disabled item or a
// separator cannot be chosen.
#pragma once

#include "platform/windows/carbon_types.h"

namespace tbx {

struct OpaqueMenuRef;
using MenuRef = OpaqueMenuRef*;
using MenuHandle = MenuRef;
using MenuBarHandle = Handle;
using MenuID = SInt16;
using MenuItemIndex = UInt16;
using MenuItemAttributes = UInt32;
using CharParameter = SInt16;

inline constexpr MenuItemAttributes kMenuItemAttrDisabled = 1u << 0;
inline constexpr MenuItemAttributes kMenuItemAttrSeparator = 1u << 6;

inline constexpr UInt8 kMenuNoModifiers = 0;
inline constexpr UInt8 kMenuShiftModifier = 1 << 0;
inline constexpr UInt8 kMenuOptionModifier = 1 << 1;
inline constexpr UInt8 kMenuControlModifier = 1 << 2;
inline constexpr UInt8 kMenuNoCommandModifier = 1 << 3;

inline constexpr CharParameter noMark = 0;
inline constexpr CharParameter checkMark = 18;

inline constexpr OSStatus menuNotFoundErr = -5620;
inline constexpr OSStatus menuItemNotFoundErr = -5622;
inline constexpr OSStatus menuInvalidErr = -5623;

// Menus. The title is a length-prefixed Mac Roman string (null for none). Null for a full
// handle table.
MenuRef NewMenu(MenuID menuID, ConstStr255Param title);
OSStatus CreateNewMenu(MenuID menuID, UInt32 attributes, MenuRef* outMenu);
void DisposeMenu(MenuRef menu);
// Also disposes of the menus that hang below the menu as submenus.
void DisposeMenuTree(MenuRef menu);
Boolean IsValidMenu(MenuRef menu);
MenuID GetMenuID(MenuRef menu);
OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title);
OSStatus CopyMenuTitleAsCFString(MenuRef menu, CFStringRef* outTitle);

// Items. A negative or too large `afterItem` appends; 0 inserts first.
OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text,
                                        MenuItemAttributes attributes, MenuCommand command,
                                        MenuItemIndex* outNewItem);
OSStatus InsertMenuItemTextWithCFString(MenuRef menu, CFStringRef text, SInt32 afterItem,
                                        MenuItemAttributes attributes, MenuCommand command);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);
UInt16 CountMenuItems(MenuRef menu);
OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes set,
                                  MenuItemAttributes clear);
OSStatus GetMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes* out);
OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand command);
OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommand);
OSErr SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers);
OSErr GetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8* outModifiers);
// A character key, or a virtual key code when `virtualKey` is true.
OSErr SetMenuItemCommandKey(MenuRef menu, MenuItemIndex item, Boolean virtualKey, UInt16 key);
OSErr GetMenuItemCommandKey(MenuRef menu, MenuItemIndex item, Boolean virtualKey, UInt16* outKey);
// The `index`-th item (from 1) of the menu itself that carries the command; submenus are not
// searched. menuItemNotFoundErr when there is none.
OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32 index,
                                     MenuRef* outMenu, MenuItemIndex* outIndex);
// Texts as length-prefixed Mac Roman strings; a character Mac Roman lacks reads as '?'.
void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 outText);
void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text);
OSStatus SetMenuItemTextWithCFString(MenuRef menu, MenuItemIndex item, CFStringRef text);
OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outText);
void GetItemMark(MenuRef menu, MenuItemIndex item, CharParameter* outMark);
void SetItemMark(MenuRef menu, MenuItemIndex item, CharParameter mark);
void CheckMenuItem(MenuRef menu, MenuItemIndex item, Boolean checked);
// Item 0 is the whole menu: an item reads as enabled only when its menu is enabled too.
Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
// Every item carrying the command, in the menu and its submenus; a null menu means every menu
// of the menu bar.
void EnableMenuCommand(MenuRef menu, MenuCommand command);
void DisableMenuCommand(MenuRef menu, MenuCommand command);
OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outHierMenu);
OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef hierMenu);

// The menu bar.
MenuBarHandle GetMenuBar();
void SetMenuBar(MenuBarHandle menuBar);
void DisposeMenuBar(MenuBarHandle menuBar);
// A menu bar of the menus that the 'MBAR' resource lists, from the resource chain; null when
// it or one of its menus is missing or damaged, when a menu cannot be made, or when its menus
// would hold more items in all (65,534) or take more bytes to read (64 MiB) than any real bar.
MenuBarHandle GetNewMBar(SInt16 menuBarID);
// A new menu from the 'MENU' resource, with the menus its hierarchical items name attached as
// submenus; null when it is missing or damaged, holds more items than a menu bar may, or a
// menu of it cannot be made. Null leaves no menu of it behind.
// Resource menus carry no command ids.
MenuRef GetMenu(SInt16 resourceID);
// A menu of the current menu bar, or a submenu below one of them.
MenuRef GetMenuHandle(MenuID menuID);
// Before the menu with that id; 0 or an id not in the bar appends.
void InsertMenu(MenuRef menu, MenuID beforeID);
void DeleteMenu(MenuID menuID);
void ShowMenuBar();
void HideMenuBar();
Boolean IsMenuBarVisible();

// Menus from nib definitions.
OSStatus CreateMenuFromNib(IBNibRef nibRef, CFStringRef name, MenuRef* outMenu);
OSStatus CreateMenuBarFromNib(IBNibRef nibRef, CFStringRef name, MenuBarHandle* outMenuBar);
OSStatus SetMenuBarFromNib(IBNibRef nibRef, CFStringRef name);

// A menu shown at a global point: the menu id of the choice in the high 16 bits and the item
// in the low 16 bits; 0 when nothing was chosen.
SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem);

} // namespace tbx
