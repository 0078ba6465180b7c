// Controls that hold others or draw themselves: the root control, user panes, group boxes,
// tab controls and separators.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"

namespace tbx {

using namespace windows_detail;

namespace {

class Panes final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control& c, Point p) const override {
        if (c.kind == ControlKind::UserPane)
            return (c.features & kControlHandlesTracking) ? kControlLabelPart : kControlNoPart;
        if (c.kind != ControlKind::Tabs)
            return kControlNoPart;
        const Rect& b = c.bounds;
        if (c.tabLabels.empty() || p.v >= b.top + 24)
            return kControlNoPart;
        const int width = (b.right - b.left) / static_cast<int>(c.tabLabels.size());
        if (width <= 0)
            return kControlNoPart;
        return static_cast<ControlPartCode>(
            std::min<int>((p.h - b.left) / width, static_cast<int>(c.tabLabels.size()) - 1) + 1);
    }

    bool TakesFocus(const Control& c) const override {
        return c.kind == ControlKind::UserPane && (c.features & kControlSupportsFocus);
    }

    bool Embeds(const Control& c) const override {
        return c.kind == ControlKind::Tabs || ControlFamily::Embeds(c);
    }

    ControlPartCode Clicked(ControlRef ref, ControlPartCode part) const override {
        if (Control* c = LiveControl(ref); c && c->kind == ControlKind::Tabs)
            c->value = part;
        return part;
    }

    // A user pane draws itself through its draw handler.
    void Drawn(ControlRef ref) const override {
        Control* c = LiveControl(ref);
        if (!c || c->kind != ControlKind::UserPane)
            return;
        EventRef event = MakeEvent(kEventClassControl, kEventControlDraw);
        PutParam(event, kEventParamDirectObject, typeControlRef, ref);
        SendEventToEventTarget(event, c->target);
        ReleaseEvent(event);
    }
};

} // namespace

namespace windows_detail {

const ControlFamily& PaneFamily() {
    static const Panes family;
    return family;
}

} // namespace windows_detail

OSStatus CreateRootControl(WindowRef window, ControlRef* outControl) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (w->root) {
        if (outControl)
            *outControl = w->root;
        return noErr;
    }
    Rect bounds{0, 0, static_cast<SInt16>(w->content.bottom - w->content.top),
                static_cast<SInt16>(w->content.right - w->content.left)};
    ControlRef root = nullptr;
    Control* c = nullptr;
    OSStatus status = NewControl(window, &bounds, ControlKind::Root, &root, &c);
    if (status != noErr)
        return status;
    c->features = kControlSupportsEmbedding;
    w->root = root;
    if (outControl)
        *outControl = root;
    return noErr;
}

OSStatus GetRootControl(WindowRef window, ControlRef* outControl) {
    Window* w = LiveWindow(window);
    if (!w)
        return errInvalidWindowRef;
    if (!outControl)
        return paramErr;
    *outControl = w->root;
    return w->root ? noErr : errUnknownControl;
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features,
                               ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::UserPane, outControl, &c);
    if (status == noErr)
        c->features = features;
    return status;
}

OSStatus CreateGroupBoxControl(WindowRef window, const Rect* bounds, CFStringRef title, Boolean,
                               ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::GroupBox, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->features = kControlSupportsEmbedding;
    }
    return status;
}

OSStatus CreateImageWellControl(WindowRef window, const Rect* bounds,
                                const ControlButtonContentInfo* content, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::ImageWell, outControl, &c);
    if (status == noErr && content)
        c->content = *content;
    return status;
}

} // namespace tbx
