#include "platform/windows/controls.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace windows_detail {

Control* LiveControl(ControlRef control) {
    return TheWorld().controls.Get(control);
}

void DisposeControlNow(ControlRef ref) {
    World& world = TheWorld();
    Control* control = world.controls.Get(ref);
    if (!control)
        return;
    // Deepest first, without recursion.
    std::vector<ControlRef> all{ref};
    for (std::size_t i = 0; i < all.size(); ++i)
        if (Control* c = world.controls.Get(all[i]))
            all.insert(all.end(), c->children.begin(), c->children.end());
    if (Control* parent = world.controls.Get(control->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), ref), siblings.end());
    }
    Window* window = world.windows.Get(control->window);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        Control* c = world.controls.Get(*it);
        if (!c)
            continue;
        if (window && window->focus == *it)
            window->focus = nullptr;
        if (window && window->root == *it)
            window->root = nullptr;
        RemoveTarget(c->target);
        world.controls.Remove(*it);
    }
}

bool ControlEffectivelyVisible(const Control& control) {
    World& world = TheWorld();
    for (const Control* c = &control; c; c = world.controls.Get(c->parent))
        if (!c->visible)
            return false;
    return true;
}

std::vector<ControlRef> WindowControls(WindowRef ref) {
    World& world = TheWorld();
    std::vector<ControlRef> out;
    Window* window = world.windows.Get(ref);
    if (!window || !window->root)
        return out;
    std::vector<ControlRef> stack;
    Control* root = world.controls.Get(window->root);
    for (auto it = root->children.rbegin(); it != root->children.rend(); ++it)
        stack.push_back(*it);
    while (!stack.empty()) {
        ControlRef ref2 = stack.back();
        stack.pop_back();
        Control* c = world.controls.Get(ref2);
        if (!c)
            continue;
        out.push_back(ref2);
        for (auto it = c->children.rbegin(); it != c->children.rend(); ++it)
            stack.push_back(*it);
    }
    return out;
}

ControlPartCode PartAt(ControlRef ref, Point p) {
    Control* c = LiveControl(ref);
    if (!c || !PointInRect(p, c->bounds) || !c->active || !c->enabled)
        return kControlNoPart;
    const Rect& b = c->bounds;
    switch (c->kind) {
    case ControlKind::PushButton:
    case ControlKind::BevelButton:
        return kControlButtonPart;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return kControlCheckBoxPart;
    case ControlKind::EditText:
        return kControlEditTextPart;
    case ControlKind::PopupButton:
        return kControlMenuPart;
    case ControlKind::Slider:
        return kControlIndicatorPart;
    case ControlKind::DataBrowser:
        return kControlLabelPart;
    case ControlKind::UserPane:
        return (c->features & kControlHandlesTracking) ? kControlLabelPart : kControlNoPart;
    case ControlKind::Tabs: {
        if (c->tabLabels.empty() || p.v >= b.top + 24)
            return kControlNoPart;
        const int width = (b.right - b.left) / static_cast<int>(c->tabLabels.size());
        if (width <= 0)
            return kControlNoPart;
        return static_cast<ControlPartCode>(
            std::min<int>((p.h - b.left) / width, static_cast<int>(c->tabLabels.size()) - 1) + 1);
    }
    case ControlKind::ScrollBar: {
        const bool horizontal = (b.right - b.left) > (b.bottom - b.top);
        const int length = horizontal ? b.right - b.left : b.bottom - b.top;
        const int t = horizontal ? p.h - b.left : p.v - b.top;
        constexpr int arrow = 16;
        if (t < arrow)
            return kControlUpButtonPart;
        if (t >= length - arrow)
            return kControlDownButtonPart;
        const int track = length - 2 * arrow;
        if (c->maximum <= c->minimum || track <= 0)
            return kControlNoPart;
        const double range = double(c->maximum) - c->minimum;
        int thumb = c->viewSize > 0 ? int(track * (c->viewSize / (range + c->viewSize))) : arrow;
        thumb = std::clamp(thumb, std::min(arrow, track), track);
        const int start = arrow + int((track - thumb) * ((double(c->value) - c->minimum) / range));
        if (t < start)
            return kControlPageUpPart;
        if (t >= start + thumb)
            return kControlPageDownPart;
        return kControlIndicatorPart;
    }
    default:
        return kControlNoPart;
    }
}

ControlRef HitControl(WindowRef ref, Point local, ControlPartCode* part) {
    World& world = TheWorld();
    Window* window = world.windows.Get(ref);
    if (part)
        *part = kControlNoPart;
    if (!window || !window->root)
        return nullptr;
    ControlRef hit = nullptr;
    ControlRef current = window->root;
    // Walk down: the last-embedded child containing the point is on top.
    for (;;) {
        Control* c = world.controls.Get(current);
        ControlRef next = nullptr;
        for (auto it = c->children.rbegin(); it != c->children.rend(); ++it) {
            Control* child = world.controls.Get(*it);
            if (child && child->visible && PointInRect(local, child->bounds)) {
                next = *it;
                break;
            }
        }
        if (!next)
            break;
        hit = next;
        current = next;
    }
    if (hit && part)
        *part = PartAt(hit, local);
    return hit;
}

} // namespace windows_detail

namespace {

bool Focusable(const Control& c) {
    bool kindTakesFocus = c.kind == ControlKind::EditText || c.kind == ControlKind::DataBrowser ||
                          (c.kind == ControlKind::UserPane && (c.features & kControlSupportsFocus));
    return kindTakesFocus && c.active && c.enabled && ControlEffectivelyVisible(c);
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

void MoveTree(ControlRef ref, int dh, int dv) {
    World& world = TheWorld();
    std::vector<ControlRef> all{ref};
    for (std::size_t i = 0; i < all.size(); ++i) {
        Control* c = world.controls.Get(all[i]);
        if (!c)
            continue;
        c->bounds.left = static_cast<SInt16>(c->bounds.left + dh);
        c->bounds.right = static_cast<SInt16>(c->bounds.right + dh);
        c->bounds.top = static_cast<SInt16>(c->bounds.top + dv);
        c->bounds.bottom = static_cast<SInt16>(c->bounds.bottom + dv);
        all.insert(all.end(), c->children.begin(), c->children.end());
    }
}

void PinValue(Control& c) {
    c.value = std::max(c.minimum, std::min(c.value, c.maximum));
}

bool IsTextKind(const Control& c) {
    return c.kind == ControlKind::StaticText || c.kind == ControlKind::EditText;
}

void SendControlDraw(ControlRef ref) {
    Control* c = LiveControl(ref);
    if (!c)
        return;
    EventRef event = MakeEvent(kEventClassControl, kEventControlDraw);
    PutParam(event, kEventParamDirectObject, typeControlRef, ref);
    SendEventToEventTarget(event, c->target);
    ReleaseEvent(event);
}

} // namespace

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
                                  UInt16 behavior, const ControlButtonContentInfo* content, SInt16,
                                  UInt16, UInt16, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::BevelButton, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->bevelBehavior = behavior;
        if (content)
            c->content = *content;
        c->maximum = (behavior & kControlBehaviorToggles) ? 1 : 0;
    }
    return status;
}

OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::CheckBox, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->maximum = 2; // off, on, mixed
        c->value = std::clamp<SInt32>(initialValue, 0, 2);
        c->autoToggle = autoToggle;
    }
    return status;
}

OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title,
                                  SInt32 initialValue, Boolean autoToggle, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::RadioButton, outControl, &c);
    if (status == noErr) {
        c->title = TextOf(title);
        c->maximum = 2;
        c->value = std::clamp<SInt32>(initialValue, 0, 2);
        c->autoToggle = autoToggle;
    }
    return status;
}

OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::StaticText, outControl, &c);
    if (status == noErr) {
        c->text = TextOf(text);
        if (style)
            c->fontStyle = *style;
    }
    return status;
}

OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec* style,
                                      ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::EditText, outControl, &c);
    if (status == noErr) {
        c->text = TextOf(text);
        c->password = isPassword;
        c->selectionStart = c->selectionEnd = static_cast<SInt16>(c->text.size());
        if (style)
            c->fontStyle = *style;
    }
    return status;
}

OSStatus CreateScrollBarControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                                SInt32 maximum, SInt32 viewSize, Boolean liveTracking,
                                ControlActionUPP action, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::ScrollBar, outControl, &c);
    if (status == noErr) {
        c->minimum = minimum;
        c->maximum = maximum;
        c->value = value;
        c->viewSize = viewSize;
        c->liveTracking = liveTracking;
        c->action = action;
        PinValue(*c);
    }
    return status;
}

OSStatus CreateSliderControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                             SInt32 maximum, UInt16 orientation, UInt16 numTickMarks,
                             Boolean liveTracking, ControlActionUPP action,
                             ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::Slider, outControl, &c);
    if (status == noErr) {
        c->minimum = minimum;
        c->maximum = maximum;
        c->value = value;
        c->sliderOrientation = orientation;
        c->tickMarks = numTickMarks;
        c->liveTracking = liveTracking;
        c->action = action;
        PinValue(*c);
    }
    return status;
}

OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewControl(window, bounds, ControlKind::ProgressBar, outControl, &c);
    if (status == noErr) {
        c->minimum = minimum;
        c->maximum = maximum;
        c->value = value;
        c->indeterminate = indeterminate;
        PinValue(*c);
    }
    return status;
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

void DisposeControl(ControlRef ref) {
    Control* c = LiveControl(ref);
    if (!c || c->disposePending || c->kind == ControlKind::Root)
        return;
    if (c->busy > 0) {
        c->disposePending = true;
        c->visible = false;
        return;
    }
    DisposeControlNow(ref);
}

Boolean IsValidControlHandle(ControlRef control) {
    Control* c = LiveControl(control);
    return c && !c->disposePending;
}

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl) {
    if (!LiveWindow(window))
        return errInvalidWindowRef;
    if (!id || !outControl)
        return paramErr;
    for (ControlRef ref : WindowControls(window)) {
        Control* c = LiveControl(ref);
        if (c->disposePending)
            continue;
        if (c->id.signature == id->signature && c->id.id == id->id) {
            *outControl = ref;
            return noErr;
        }
    }
    return errUnknownControl;
}

OSStatus SetControlID(ControlRef control, const ControlID* id) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!id)
        return paramErr;
    c->id = *id;
    return noErr;
}

OSStatus GetControlID(ControlRef control, ControlID* outId) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outId)
        return paramErr;
    *outId = c->id;
    return noErr;
}

OSStatus SetControlCommandID(ControlRef control, UInt32 command) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->command = command;
    return noErr;
}

OSStatus GetControlCommandID(ControlRef control, UInt32* outCommand) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outCommand)
        return paramErr;
    *outCommand = c->command;
    return noErr;
}

void SetControlReference(ControlRef control, SRefCon reference) {
    if (Control* c = LiveControl(control))
        c->reference = reference;
}

SRefCon GetControlReference(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->reference : 0;
}

WindowRef GetControlOwner(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->window : nullptr;
}

OSStatus EmbedControl(ControlRef control, ControlRef container) {
    World& world = TheWorld();
    Control* c = LiveControl(control);
    Control* parent = LiveControl(container);
    if (!c || !parent)
        return errUnknownControl;
    if (c->window != parent->window || c->kind == ControlKind::Root)
        return paramErr;
    if (!(parent->features & kControlSupportsEmbedding) && parent->kind != ControlKind::Tabs)
        return errControlIsNotEmbedder;
    // Refuse to embed a control in itself or in something it embeds.
    for (Control* p = parent; p; p = world.controls.Get(p->parent))
        if (p == c)
            return paramErr;
    if (Control* old = LiveControl(c->parent)) {
        auto& siblings = old->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), control), siblings.end());
    }
    c->parent = container;
    parent->children.push_back(control);
    return noErr;
}

OSStatus GetSuperControl(ControlRef control, ControlRef* outParent) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outParent)
        return paramErr;
    *outParent = c->parent;
    return c->parent ? noErr : errUnknownControl;
}

OSStatus CountSubControls(ControlRef control, UInt16* outCount) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outCount)
        return paramErr;
    *outCount = static_cast<UInt16>(c->children.size());
    return noErr;
}

OSStatus GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSubControl) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outSubControl || index < 1 || index > c->children.size())
        return paramErr;
    *outSubControl = c->children[index - 1];
    return noErr;
}

Rect* GetControlBounds(ControlRef control, Rect* outBounds) {
    Control* c = LiveControl(control);
    if (outBounds)
        *outBounds = c ? c->bounds : Rect{};
    return outBounds;
}

void SetControlBounds(ControlRef control, const Rect* bounds) {
    Control* c = LiveControl(control);
    if (!c || !bounds)
        return;
    MoveTree(control, bounds->left - c->bounds.left, bounds->top - c->bounds.top);
    c->bounds.right = bounds->right;
    c->bounds.bottom = bounds->bottom;
}

void MoveControl(ControlRef control, SInt16 h, SInt16 v) {
    Control* c = LiveControl(control);
    if (c)
        MoveTree(control, h - c->bounds.left, v - c->bounds.top);
}

void SizeControl(ControlRef control, SInt16 width, SInt16 height) {
    Control* c = LiveControl(control);
    if (!c)
        return;
    c->bounds.right = static_cast<SInt16>(c->bounds.left + std::max<SInt16>(0, width));
    c->bounds.bottom = static_cast<SInt16>(c->bounds.top + std::max<SInt16>(0, height));
}

void ShowControl(ControlRef control) {
    SetControlVisibility(control, true, true);
}

void HideControl(ControlRef control) {
    SetControlVisibility(control, false, true);
}

OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean draw) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->visible = visible;
    if (!visible) {
        // A hidden control gives up the focus, as does anything it embeds.
        if (Window* w = LiveWindow(c->window))
            if (Control* f = LiveControl(w->focus); f && !ControlEffectivelyVisible(*f))
                w->focus = nullptr;
    } else if (draw) {
        Draw1Control(control);
    }
    return noErr;
}

Boolean IsControlVisible(ControlRef control) {
    Control* c = LiveControl(control);
    return c && ControlEffectivelyVisible(*c);
}

OSStatus ActivateControl(ControlRef control) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->active = true;
    return noErr;
}

OSStatus DeactivateControl(ControlRef control) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->active = false;
    return noErr;
}

Boolean IsControlActive(ControlRef control) {
    Control* c = LiveControl(control);
    return c && c->active;
}

OSStatus EnableControl(ControlRef control) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->enabled = true;
    return noErr;
}

OSStatus DisableControl(ControlRef control) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    c->enabled = false;
    return noErr;
}

Boolean IsControlEnabled(ControlRef control) {
    Control* c = LiveControl(control);
    return c && c->enabled;
}

void Draw1Control(ControlRef control) {
    Control* c = LiveControl(control);
    if (!c || !ControlEffectivelyVisible(*c))
        return;
    ++c->drawCount;
    if (c->kind == ControlKind::UserPane)
        SendControlDraw(control);
}

OSStatus DrawControls(WindowRef window) {
    if (!LiveWindow(window))
        return errInvalidWindowRef;
    for (ControlRef ref : WindowControls(window))
        Draw1Control(ref);
    return noErr;
}

SInt32 GetControl32BitValue(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->value : 0;
}

void SetControl32BitValue(ControlRef control, SInt32 value) {
    if (Control* c = LiveControl(control)) {
        c->value = value;
        PinValue(*c);
    }
}

SInt32 GetControl32BitMinimum(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->minimum : 0;
}

void SetControl32BitMinimum(ControlRef control, SInt32 minimum) {
    if (Control* c = LiveControl(control)) {
        c->minimum = minimum;
        if (c->maximum < minimum)
            c->maximum = minimum;
        PinValue(*c);
    }
}

SInt32 GetControl32BitMaximum(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->maximum : 0;
}

void SetControl32BitMaximum(ControlRef control, SInt32 maximum) {
    if (Control* c = LiveControl(control)) {
        c->maximum = maximum;
        if (c->minimum > maximum)
            c->minimum = maximum;
        PinValue(*c);
    }
}

SInt32 GetControlViewSize(ControlRef control) {
    Control* c = LiveControl(control);
    return c ? c->viewSize : 0;
}

void SetControlViewSize(ControlRef control, SInt32 viewSize) {
    if (Control* c = LiveControl(control))
        c->viewSize = viewSize;
}

OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!title)
        return paramErr;
    if (IsTextKind(*c))
        c->text = title->Text();
    else
        c->title = title->Text();
    return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!outTitle)
        return paramErr;
    *outTitle = new CFString(IsTextKind(*c) ? c->text : c->title);
    return noErr;
}

OSStatus SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!style)
        return paramErr;
    c->fontStyle = *style;
    return noErr;
}

OSStatus GetControlFontStyle(ControlRef control, ControlFontStyleRec* style) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (!style)
        return paramErr;
    *style = c->fontStyle;
    return noErr;
}

OSStatus SetBevelButtonContentInfo(ControlRef control, const ControlButtonContentInfo* content) {
    return SetControlData(control, kControlNoPart, kControlBevelButtonContentTag,
                          sizeof(ControlButtonContentInfo), content);
}

namespace {

bool TakesContent(const Control& c) {
    return c.kind == ControlKind::BevelButton || c.kind == ControlKind::PushButton ||
           c.kind == ControlKind::RadioButton;
}

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

} // namespace

OSStatus SetControlData(ControlRef control, ControlPartCode, OSType tag, UInt32 size,
                        const void* data) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (tag == kControlFontStyleTag)
        return ReadValue(data, size, c->fontStyle);
    if (IsTextKind(*c)) {
        if (tag == kControlStaticTextCFStringTag) {
            CFStringRef string = nullptr;
            if (OSStatus status = ReadValue(data, size, string); status != noErr || !string)
                return paramErr;
            c->text = string->Text();
            c->selectionStart = c->selectionEnd = static_cast<SInt16>(c->text.size());
            return noErr;
        }
        if (tag == kControlStaticTextTextTag) {
            if (size && !data)
                return paramErr;
            std::u16string text;
            text::Decode(static_cast<const uint8_t*>(data), size, kCFStringEncodingMacRoman, false,
                         text);
            c->text = text;
            c->selectionStart = c->selectionEnd = static_cast<SInt16>(c->text.size());
            return noErr;
        }
    }
    if (c->kind == ControlKind::EditText) {
        if (tag == kControlEditTextSelectionTag) {
            ControlEditTextSelectionRec selection;
            if (OSStatus status = ReadValue(data, size, selection); status != noErr)
                return status;
            const SInt16 length = static_cast<SInt16>(c->text.size());
            c->selectionStart = std::clamp<SInt16>(selection.selStart, 0, length);
            c->selectionEnd = std::clamp<SInt16>(selection.selEnd, c->selectionStart, length);
            return noErr;
        }
        if (tag == kControlEditTextKeyFilterTag) {
            ControlKeyFilterUPP filter = nullptr;
            if (OSStatus status = ReadValue(data, size, filter); status != noErr)
                return status;
            c->keyFilter = reinterpret_cast<void*>(filter);
            return noErr;
        }
    }
    if (TakesContent(*c) && tag == kControlBevelButtonContentTag)
        return ReadValue(data, size, c->content);
    if (c->kind == ControlKind::BevelButton && tag == kControlBevelButtonMenuValueTag)
        return ReadValue(data, size, c->menuValue);
    if (c->kind == ControlKind::ProgressBar && tag == kControlProgressBarIndeterminateTag) {
        Boolean flag = 0;
        OSStatus status = ReadValue(data, size, flag);
        if (status == noErr)
            c->indeterminate = flag;
        return status;
    }
    return errDataNotSupported;
}

OSStatus GetControlData(ControlRef control, ControlPartCode, OSType tag, UInt32 bufferSize,
                        void* data, UInt32* actualSize) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (tag == kControlFontStyleTag)
        return WriteValue(c->fontStyle, bufferSize, data, actualSize);
    if (IsTextKind(*c)) {
        if (tag == kControlStaticTextCFStringTag) {
            if (actualSize)
                *actualSize = sizeof(CFStringRef);
            if (!data)
                return noErr;
            if (bufferSize < sizeof(CFStringRef))
                return paramErr;
            CFStringRef copy = new CFString(c->text);
            std::memcpy(data, &copy, sizeof copy);
            return noErr;
        }
        if (tag == kControlStaticTextTextTag) {
            std::string bytes;
            for (char16_t ch : c->text) {
                const int b = text::UnicodeToMacRoman(ch);
                bytes.push_back(static_cast<char>(b < 0 ? '?' : b));
            }
            if (actualSize)
                *actualSize = static_cast<UInt32>(bytes.size());
            if (data)
                std::memcpy(data, bytes.data(), std::min<std::size_t>(bufferSize, bytes.size()));
            return noErr;
        }
    }
    if (c->kind == ControlKind::EditText) {
        if (tag == kControlEditTextSelectionTag)
            return WriteValue(ControlEditTextSelectionRec{c->selectionStart, c->selectionEnd},
                              bufferSize, data, actualSize);
        if (tag == kControlEditTextKeyFilterTag)
            return WriteValue(reinterpret_cast<ControlKeyFilterUPP>(c->keyFilter), bufferSize, data,
                              actualSize);
    }
    if (TakesContent(*c) && tag == kControlBevelButtonContentTag)
        return WriteValue(c->content, bufferSize, data, actualSize);
    if (c->kind == ControlKind::BevelButton && tag == kControlBevelButtonMenuValueTag)
        return WriteValue(c->menuValue, bufferSize, data, actualSize);
    if (c->kind == ControlKind::ProgressBar && tag == kControlProgressBarIndeterminateTag)
        return WriteValue(Boolean(c->indeterminate), bufferSize, data, actualSize);
    return errDataNotSupported;
}

OSStatus GetControlDataSize(ControlRef control, ControlPartCode part, OSType tag, UInt32* outSize) {
    return GetControlData(control, part, tag, 0, nullptr, outSize);
}

OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size,
                            const void* buffer) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    return SetProperty(c->properties, creator, tag, size, buffer);
}

OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize,
                            UInt32* actualSize, void* buffer) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    return GetProperty(c->properties, creator, tag, bufferSize, actualSize, buffer,
                       errControlPropertyNotFound);
}

OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    return c->properties.erase({creator, tag}) ? noErr : errControlPropertyNotFound;
}

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

void SetControlAction(ControlRef control, ControlActionUPP action) {
    if (Control* c = LiveControl(control))
        c->action = action;
}

namespace {

// Moves the mouse one step along the current gesture. False when there is no gesture or it
// was already released; `released` tells whether this step let the button go.
bool StepMouse(bool& released) {
    World& world = TheWorld();
    released = true;
    auto found = world.gestures.find(world.activeGesture);
    if (found == world.gestures.end() || found->second.released) {
        world.button = false;
        return false;
    }
    Gesture& gesture = found->second;
    if (gesture.next + 1 < gesture.points.size()) {
        ++gesture.next;
        world.mouse = gesture.points[gesture.next];
        released = false;
        return true;
    }
    gesture.released = true;
    world.button = false;
    return true;
}

Point LocalMouse(WindowRef window) {
    World& world = TheWorld();
    Window* w = LiveWindow(window);
    return w ? GlobalToLocal(*w, world.mouse) : world.mouse;
}

} // namespace

ControlPartCode TrackControl(ControlRef control, Point start, ControlActionUPP action) {
    Control* c = LiveControl(control);
    if (!c)
        return kControlNoPart;
    const WindowRef window = c->window;
    const ControlPartCode pressed = PartAt(control, start);
    if (pressed == kControlNoPart)
        return kControlNoPart;
    const bool indicator = pressed == kControlIndicatorPart;
    if (action && !indicator)
        action(control, pressed);
    for (;;) {
        bool released = false;
        if (!StepMouse(released))
            released = true;
        if (!LiveControl(control))
            return kControlNoPart;
        const Point at = LocalMouse(window);
        const ControlPartCode now = PartAt(control, at);
        if (released)
            return indicator || now == pressed ? pressed : kControlNoPart;
        if (action)
            action(control, indicator ? pressed : (now == pressed ? pressed : kControlNoPart));
    }
}

ControlPartCode TrackControl(ControlRef control, Point start, ThumbActionUPP thumbAction) {
    Control* c = LiveControl(control);
    if (!c)
        return kControlNoPart;
    const ControlPartCode pressed = PartAt(control, start);
    if (pressed == kControlNoPart)
        return kControlNoPart;
    for (;;) {
        bool released = false;
        if (!StepMouse(released) || released)
            return pressed;
        if (thumbAction)
            thumbAction();
        if (!LiveControl(control))
            return kControlNoPart;
    }
}

ControlRef FindControlUnderMouse(Point local, WindowRef window, ControlPartCode* outPart) {
    return HitControl(window, local, outPart);
}

ControlPartCode TestControl(ControlRef control, Point local) {
    Control* c = LiveControl(control);
    if (!c || !ControlEffectivelyVisible(*c))
        return kControlNoPart;
    return PartAt(control, local);
}

void GetGlobalMouse(Point* outGlobal) {
    if (outGlobal)
        *outGlobal = TheWorld().mouse;
}

Boolean StillDown() {
    return TheWorld().button;
}

Boolean Button() {
    return TheWorld().button;
}

OSStatus TrackMouseLocation(GrafPtr port, Point* outPoint, MouseTrackingResult* outResult) {
    WindowRef window = nullptr;
    if (port) {
        for (WindowRef ref : TheWorld().windows.Handles())
            if (LiveWindow(ref)->port == port)
                window = ref;
        if (!window)
            return paramErr;
    }
    bool released = false;
    if (!StepMouse(released))
        released = true;
    if (outPoint)
        *outPoint = window ? LocalMouse(window) : TheWorld().mouse;
    if (outResult)
        *outResult = released ? kMouseTrackingMouseUp : kMouseTrackingMouseDragged;
    return noErr;
}

} // namespace tbx
