// Pop-up buttons, and the menus that pop-up and bevel buttons drop.
#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/menus.h"

namespace tbx {

using namespace windows_detail;

namespace {

class Popups final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control&, Point) const override { return kControlMenuPart; }

    ControlPartCode Clicked(ControlRef ref, ControlPartCode part) const override {
        MenuRef from = nullptr;
        MenuItemIndex item = 0;
        if (!PopUpControlMenu(ref, from, item))
            return kControlNoPart;
        Control* c = LiveControl(ref);
        if (!c)
            return kControlNoPart;
        if (from == c->menu) {
            c->value = item;
            PinValue(*c);
        }
        return part;
    }

    OSStatus SetData(Control& c, OSType tag, UInt32 size, const void* data) const override {
        if (tag == kControlPopupButtonCheckCurrentTag) {
            Boolean flag = 0;
            OSStatus status = ReadValue(data, size, flag);
            if (status == noErr)
                c.checkCurrent = flag;
            return status;
        }
        return SetMenuData(c, tag, size, data);
    }

    OSStatus GetData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize) const override {
        if (tag == kControlPopupButtonCheckCurrentTag)
            return WriteValue(Boolean(c.checkCurrent), bufferSize, data, actualSize);
        return GetMenuData(c, tag, bufferSize, data, actualSize);
    }
};

} // namespace

namespace windows_detail {

const ControlFamily& PopupFamily() {
    static const Popups family;
    return family;
}

OSStatus SetMenuData(Control& c, OSType tag, UInt32 size, const void* data) {
    if (tag != kControlPopupButtonMenuRefTag && tag != kControlPopupButtonOwnedMenuRefTag)
        return errDataNotSupported;
    MenuRef menu = nullptr;
    if (OSStatus status = ReadValue(data, size, menu); status != noErr)
        return status;
    if (menu && !IsValidMenu(menu))
        return paramErr;
    if (c.ownsMenu && c.menu != menu)
        DisposeMenu(c.menu);
    c.menu = menu;
    c.ownsMenu = menu && tag == kControlPopupButtonOwnedMenuRefTag;
    return noErr;
}

OSStatus GetMenuData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize) {
    if (tag == kControlPopupButtonMenuRefTag || tag == kControlPopupButtonOwnedMenuRefTag)
        return WriteValue(IsValidMenu(c.menu) ? c.menu : MenuRef(nullptr), bufferSize, data,
                          actualSize);
    if (tag == kControlBevelButtonLastMenuTag && c.kind == ControlKind::BevelButton)
        return WriteValue(c.lastMenu, bufferSize, data, actualSize);
    return errDataNotSupported;
}

bool PopUpControlMenu(ControlRef ref, MenuRef& outMenu, MenuItemIndex& outItem) {
    Control* c = LiveControl(ref);
    Window* w = c ? LiveWindow(c->window) : nullptr;
    if (!w || !IsValidMenu(c->menu))
        return false;
    const Point where = LocalToGlobal(*w, Point{c->bounds.bottom, c->bounds.left});
    const SInt16 current = static_cast<SInt16>(c->kind == ControlKind::PopupButton ? c->value : 0);
    if (!ChooseFromMenu(c->menu, where, current, outMenu, outItem))
        return false;
    c->lastMenu = GetMenuID(outMenu);
    if (c->kind == ControlKind::BevelButton)
        c->menuValue = static_cast<SInt16>(outItem);
    MenuCommand command = 0;
    GetMenuItemCommandID(outMenu, outItem, &command);
    if (command != 0) {
        EventRef event = MakeEvent(kEventClassCommand, kEventCommandProcess);
        HICommandExtended record;
        record.attributes = kHICommandFromMenu;
        record.commandID = command;
        record.source.menu.menuRef = outMenu;
        record.source.menu.menuItemIndex = outItem;
        PutParam(event, kEventParamDirectObject, typeHICommand, record);
        SendEventToEventTarget(event, c->target);
        ReleaseEvent(event);
    }
    return true;
}

} // namespace windows_detail

OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt16 menuID, Boolean, SInt16, SInt16, Style,
                                  ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::PopupButton, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->menu = GetMenuHandle(menuID);
    }
    return status;
}

} // namespace tbx
