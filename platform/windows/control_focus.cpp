// Keyboard focus: which control of a window takes the keys, and Tab order.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"

namespace tbx {

using namespace windows_detail;

namespace {

bool Focusable(const Control& c) {
    return FamilyOf(c).TakesFocus(c) && c.active && c.enabled && ControlEffectivelyVisible(c);
}

} // namespace

OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (part == kControlFocusNoPart || !control) {
        w->focus = nullptr;
        return noErr;
    }
    Control* c = LiveControl(control);
    if (!c || c->window != window)
        return errUnknownControl;
    if (!Focusable(*c))
        return errCouldntSetFocus;
    w->focus = control;
    return noErr;
}

OSStatus GetKeyboardFocus(WindowRef window, ControlRef* outControl) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (!outControl)
        return paramErr;
    *outControl = LiveControl(w->focus) ? w->focus : nullptr;
    return noErr;
}

OSStatus ClearKeyboardFocus(WindowRef window) {
    return SetKeyboardFocus(window, nullptr, kControlFocusNoPart);
}

namespace windows_detail {

void MoveFocus(WindowRef window, bool backwards) {
    Window* w = LiveWindow(window);
    if (!w)
        return;
    std::vector<ControlRef> candidates;
    for (ControlRef ref : WindowControls(window))
        if (Focusable(*LiveControl(ref)))
            candidates.push_back(ref);
    if (candidates.empty()) {
        w->focus = nullptr;
        return;
    }
    auto at = std::find(candidates.begin(), candidates.end(), w->focus);
    if (at == candidates.end()) {
        w->focus = backwards ? candidates.back() : candidates.front();
        return;
    }
    std::size_t index = static_cast<std::size_t>(at - candidates.begin());
    index = backwards ? (index + candidates.size() - 1) % candidates.size()
                      : (index + 1) % candidates.size();
    w->focus = candidates[index];
}

} // namespace windows_detail

OSStatus AdvanceKeyboardFocus(WindowRef window) {
    if (!LiveWindow(window))
        return errInvalidWindowRef;
    MoveFocus(window, false);
    return noErr;
}

OSStatus ReverseKeyboardFocus(WindowRef window) {
    if (!LiveWindow(window))
        return errInvalidWindowRef;
    MoveFocus(window, true);
    return noErr;
}

} // namespace tbx
