// The Control Manager's tree: controls embedded in a window's root control, found by id,
// hit by a point, moved and disposed of.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/menus.h"
#include "platform/windows/windows.h"

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
        if (c->ownsMenu)
            DisposeMenu(c->menu);
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
    return FamilyOf(*c).PartAt(*c, p);
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

} // namespace

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
    if (!FamilyOf(*parent).Embeds(*parent))
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

} // namespace tbx
