// What sets one family of controls apart from the others: its hit parts, whether it takes
// the keyboard focus, what a completed click does to its value, and the data tags it takes.
// Each family lives in its own unit; the Control Manager asks the family of a control's kind
// instead of testing the kind. Only the stand-in's own sources include this header.
#pragma once

#include <cstring>

#include "platform/windows/world.h"

namespace tbx::windows_detail {

class ControlFamily {
public:
    virtual ~ControlFamily() = default;

    virtual ControlPartCode PartAt(const Control&, Point) const { return kControlNoPart; }
    // Whether the kind can hold the focus at all; the Control Manager adds the state checks.
    virtual bool TakesFocus(const Control&) const { return false; }
    virtual bool Embeds(const Control& c) const {
        return (c.features & kControlSupportsEmbedding) != 0;
    }
    // Whether the control shows its text rather than a title.
    virtual bool ShowsText() const { return false; }
    // Runs after a click released inside `part`, before the hit is sent; answers the part the
    // hit reports, kControlNoPart for no hit (a menu dismissed without a choice).
    virtual ControlPartCode Clicked(ControlRef, ControlPartCode part) const { return part; }
    virtual void Drawn(ControlRef) const {}
    virtual OSStatus SetData(Control&, OSType, UInt32, const void*) const {
        return errDataNotSupported;
    }
    virtual OSStatus GetData(const Control&, OSType, UInt32, void*, UInt32*) const {
        return errDataNotSupported;
    }
};

const ControlFamily& FamilyOf(ControlKind kind);
inline const ControlFamily& FamilyOf(const Control& c) {
    return FamilyOf(c.kind);
}

// The families, one per unit.
const ControlFamily& ButtonFamily();
const ControlFamily& TextFamily();
const ControlFamily& ValueFamily();
const ControlFamily& PaneFamily();
const ControlFamily& PopupFamily();
const ControlFamily& BrowserFamily();

// Makes a control of that kind in the window's root control.
OSStatus NewControl(WindowRef window, const Rect* bounds, ControlKind kind, ControlRef* outControl,
                    Control** made);
std::u16string TextOf(CFStringRef string);
void PinValue(Control& c);

// The menu data tags of pop-up and bevel buttons: the menu (kept or owned) and the menu of the
// last choice.
OSStatus SetMenuData(Control& c, OSType tag, UInt32 size, const void* data);
OSStatus GetMenuData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize);
// Pops up the control's menu below it and takes the scripted choice; sends the chosen item's
// command (when it has one) to the control. False when nothing was chosen.
bool PopUpControlMenu(ControlRef ref, MenuRef& outMenu, MenuItemIndex& outItem);

// Copies of fixed-size data tag values.
template <typename V>
OSStatus ReadValue(const void* data, UInt32 size, V& out) {
    if (!data || size != sizeof(V))
        return paramErr;
    std::memcpy(&out, data, sizeof(V));
    return noErr;
}

template <typename V>
OSStatus WriteValue(const V& value, UInt32 bufferSize, void* data, UInt32* actualSize) {
    if (actualSize)
        *actualSize = sizeof(V);
    if (!data)
        return noErr;
    if (bufferSize < sizeof(V))
        return paramErr;
    std::memcpy(data, &value, sizeof(V));
    return noErr;
}

} // namespace tbx::windows_detail
