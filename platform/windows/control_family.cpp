#include "platform/windows/control_family.h"

#include <algorithm>

namespace tbx::windows_detail {

const ControlFamily& FamilyOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::BevelButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::ImageWell:
        return ButtonFamily();
    case ControlKind::StaticText:
    case ControlKind::EditText:
        return TextFamily();
    case ControlKind::ScrollBar:
    case ControlKind::Slider:
    case ControlKind::ProgressBar:
        return ValueFamily();
    case ControlKind::PopupButton:
        return PopupFamily();
    case ControlKind::DataBrowser:
        return BrowserFamily();
    case ControlKind::Root:
    case ControlKind::UserPane:
    case ControlKind::Tabs:
    case ControlKind::GroupBox:
    case ControlKind::Separator:
        break;
    }
    return PaneFamily();
}

OSStatus NewControl(WindowRef windowRef, const Rect* bounds, ControlKind kind,
                    ControlRef* outControl, Control** made) {
    World& world = TheWorld();
    Window* window = world.windows.Get(windowRef);
    if (!window)
        return errInvalidWindowRef;
    if (!bounds || !outControl)
        return paramErr;
    auto control = std::make_unique<Control>();
    control->kind = kind;
    control->window = windowRef;
    control->bounds = *bounds;
    ControlRef ref = world.controls.Add(std::move(control));
    Control* c = world.controls.Get(ref);
    c->target = NewTarget(Target::Kind::Control, windowRef, ref);
    if (kind != ControlKind::Root) {
        c->parent = window->root;
        if (Control* root = world.controls.Get(window->root))
            root->children.push_back(ref);
    }
    *outControl = ref;
    if (made)
        *made = c;
    return noErr;
}

std::u16string TextOf(CFStringRef string) {
    return string ? string->Text() : std::u16string();
}

void PinValue(Control& c) {
    c.value = std::max(c.minimum, std::min(c.value, c.maximum));
}

} // namespace tbx::windows_detail
