// Push, bevel, check-box and radio buttons.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/menus.h"

namespace tbx {

using namespace windows_detail;

namespace {

class Buttons final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control& c, Point p) const override {
        const bool box = c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton;
        if (box)
            return kControlCheckBoxPart;
        // A bevel button with a menu drops it from its arrow at the right.
        if (c.kind == ControlKind::BevelButton && c.menu && p.h >= c.bounds.right - kArrowWidth)
            return kControlMenuPart;
        return kControlButtonPart;
    }

    ControlPartCode Clicked(ControlRef ref, ControlPartCode part) const override {
        Control* c = LiveControl(ref);
        if (!c)
            return kControlNoPart;
        if (part == kControlMenuPart) {
            MenuRef from = nullptr;
            MenuItemIndex item = 0;
            if (!PopUpControlMenu(ref, from, item))
                return kControlNoPart;
            return LiveControl(ref) ? part : kControlNoPart;
        }
        if (c->autoToggle && c->kind == ControlKind::CheckBox)
            c->value = c->value ? 0 : 1;
        else if (c->autoToggle && c->kind == ControlKind::RadioButton)
            c->value = 1;
        else if (c->kind == ControlKind::BevelButton &&
                 (c->bevelBehavior & kControlBehaviorToggles))
            c->value = c->value ? 0 : 1;
        return part;
    }

    OSStatus SetData(Control& c, OSType tag, UInt32 size, const void* data) const override {
        if (TakesContent(c) && tag == kControlBevelButtonContentTag)
            return ReadValue(data, size, c.content);
        if (c.kind != ControlKind::BevelButton)
            return errDataNotSupported;
        if (tag == kControlBevelButtonMenuValueTag)
            return ReadValue(data, size, c.menuValue);
        return SetMenuData(c, tag, size, data);
    }

    OSStatus GetData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize) const override {
        if (TakesContent(c) && tag == kControlBevelButtonContentTag)
            return WriteValue(c.content, bufferSize, data, actualSize);
        if (c.kind != ControlKind::BevelButton)
            return errDataNotSupported;
        if (tag == kControlBevelButtonMenuValueTag)
            return WriteValue(c.menuValue, bufferSize, data, actualSize);
        return GetMenuData(c, tag, bufferSize, data, actualSize);
    }

private:
    static constexpr int kArrowWidth = 16;

    static bool TakesContent(const Control& c) { return c.kind != ControlKind::CheckBox; }
};

} // namespace

namespace windows_detail {

const ControlFamily& ButtonFamily() {
    static const Buttons family;
    return family;
}

} // namespace windows_detail

OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                 ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::PushButton, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->maximum = 1; // a push button may show a checked state
    }
    return status;
}

OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, UInt16,
                                  UInt16 behavior, const ControlButtonContentInfo* content,
                                  SInt16 menuID, UInt16, UInt16, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::BevelButton, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->bevelBehavior = behavior;
        if (content)
            c->content = *content;
        c->maximum = (behavior & kControlBehaviorToggles) ? 1 : 0;
        if (menuID != 0)
            c->menu = GetMenuHandle(menuID);
    }
    return status;
}

namespace {

OSStatus NewBox(WindowRef window, const Rect* bounds, ControlKind kind, CFStringRef title,
                SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, kind, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->maximum = 2; // off, on, mixed
        c->value = std::clamp<SInt32>(initialValue, 0, 2);
        c->autoToggle = autoToggle;
    }
    return status;
}

} // namespace

OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
    return NewBox(window, bounds, ControlKind::CheckBox, title, initialValue, autoToggle,
                  outControl);
}

OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
    return NewBox(window, bounds, ControlKind::RadioButton, title, initialValue, autoToggle,
                  outControl);
}

} // namespace tbx
