// Nib files: window, control and menu definitions in our own XML format, kept as
// Contents/Resources/nibs/<name>.xml in the application bundle and described by the RELAX NG
// schema resources/nibs/nib.rng.
//
// The loader reads a nib whole when it is opened and refuses it (kIBCarbonRuntimeCantFindNibFile)
// when it is missing, is not well-formed XML, carries a document type declaration, nests
// deeper than 32 levels, names a control kind it does not know, gives a signature or command
// that is not four characters, repeats a window name, a menu id, a menu bar name or a control
// id {signature, number} inside one window (controls without signature and number excepted),
// or gives a number or size that does not fit. tbx::test::LastNibError() tells why.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/carbon_types.h"

namespace tbx {

OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef nibRef);
// The window is hidden; kIBCarbonRuntimeCantFindObject when the nib has no window of the name.
OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef name, WindowRef* outWindow);

// The definitions as read, for the menu services and the tests.
namespace nib {

struct MenuDef;

struct ItemDef {
    std::u16string title;
    UInt32 command = 0;
    char16_t key = 0;
    UInt32 modifiers = 0;
    bool separator = false;
    std::unique_ptr<MenuDef> submenu;
};

struct MenuDef {
    SInt16 id = 0;
    std::string name;
    std::u16string title;
    std::vector<ItemDef> items;
};

struct MenuBarDef {
    std::string name;
    std::vector<MenuDef> menus;
};

struct ControlDef {
    std::string kind;
    ControlID id;
    UInt32 command = 0;
    Rect bounds;
    std::u16string title;
    bool hasValue = false, hasMinimum = false, hasMaximum = false;
    SInt32 value = 0, minimum = 0, maximum = 0, viewSize = 0;
    bool visible = true, enabled = true, active = true, autoToggle = true;
    UInt32 features = 0;
    std::vector<std::u16string> tabs;
    std::vector<std::u16string> items;
    std::vector<ControlDef> children;
};

struct WindowDef {
    std::string name;
    WindowClass windowClass = 0;
    WindowAttributes attributes = 0;
    Rect bounds;
    std::u16string title;
    std::vector<ControlDef> controls;
};

struct Document {
    std::vector<WindowDef> windows;
    std::vector<MenuBarDef> menuBars;
    std::vector<MenuDef> menus;
};

// Parses nib text. False, with the reason, for anything the loader refuses.
bool Parse(const std::string& xml, Document& out, std::string& error);

// The definitions behind an open nib reference; null for a stale one.
const Document* GetDocument(IBNibRef nibRef);

} // namespace nib
} // namespace tbx
