// The Control Manager's state of one control: visibility, activation, values, title, font
// style, data tags and properties.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"
#include "platform/windows/windows.h"

namespace tbx {

using namespace windows_detail;

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
    FamilyOf(*c).Drawn(control);
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
    if (FamilyOf(*c).ShowsText())
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
    *outTitle = new CFString(FamilyOf(*c).ShowsText() ? c->text : c->title);
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

OSStatus SetControlData(ControlRef control, ControlPartCode, OSType tag, UInt32 size,
                        const void* data) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (tag == kControlFontStyleTag)
        return ReadValue(data, size, c->fontStyle);
    return FamilyOf(*c).SetData(*c, tag, size, data);
}

OSStatus GetControlData(ControlRef control, ControlPartCode, OSType tag, UInt32 bufferSize,
                        void* data, UInt32* actualSize) {
    Control* c = LiveControl(control);
    if (!c)
        return errUnknownControl;
    if (tag == kControlFontStyleTag)
        return WriteValue(c->fontStyle, bufferSize, data, actualSize);
    return FamilyOf(*c).GetData(*c, tag, bufferSize, data, actualSize);
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

} // namespace tbx
