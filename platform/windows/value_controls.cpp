// Scroll bars, sliders and progress bars: a value between a minimum and a maximum.
#include <algorithm>

#include "platform/windows/control_family.h"
#include "platform/windows/controls.h"

namespace tbx {

using namespace windows_detail;

namespace {

ControlPartCode ScrollBarPart(const Control& c, Point p) {
    const Rect& b = c.bounds;
    const bool horizontal = (b.right - b.left) > (b.bottom - b.top);
    const int length = horizontal ? b.right - b.left : b.bottom - b.top;
    const int t = horizontal ? p.h - b.left : p.v - b.top;
    constexpr int arrow = 16;
    if (t < arrow)
        return kControlUpButtonPart;
    if (t >= length - arrow)
        return kControlDownButtonPart;
    const int track = length - 2 * arrow;
    if (c.maximum <= c.minimum || track <= 0)
        return kControlNoPart;
    const double range = double(c.maximum) - c.minimum;
    int thumb = c.viewSize > 0 ? int(track * (c.viewSize / (range + c.viewSize))) : arrow;
    thumb = std::clamp(thumb, std::min(arrow, track), track);
    const int start = arrow + int((track - thumb) * ((double(c.value) - c.minimum) / range));
    if (t < start)
        return kControlPageUpPart;
    if (t >= start + thumb)
        return kControlPageDownPart;
    return kControlIndicatorPart;
}

class Values final : public ControlFamily {
public:
    ControlPartCode PartAt(const Control& c, Point p) const override {
        if (c.kind == ControlKind::ScrollBar)
            return ScrollBarPart(c, p);
        return c.kind == ControlKind::Slider ? kControlIndicatorPart : kControlNoPart;
    }

    OSStatus SetData(Control& c, OSType tag, UInt32 size, const void* data) const override {
        if (c.kind != ControlKind::ProgressBar || tag != kControlProgressBarIndeterminateTag)
            return errDataNotSupported;
        Boolean flag = 0;
        OSStatus status = ReadValue(data, size, flag);
        if (status == noErr)
            c.indeterminate = flag;
        return status;
    }

    OSStatus GetData(const Control& c, OSType tag, UInt32 bufferSize, void* data,
                     UInt32* actualSize) const override {
        if (c.kind != ControlKind::ProgressBar || tag != kControlProgressBarIndeterminateTag)
            return errDataNotSupported;
        return WriteValue(Boolean(c.indeterminate), bufferSize, data, actualSize);
    }
};

OSStatus NewValueControl(WindowRef window, const Rect* bounds, ControlKind kind, SInt32 value,
                         SInt32 minimum, SInt32 maximum, ControlRef* outControl, Control** made) {
    OSStatus status = NewControl(window, bounds, kind, outControl, made);
    if (status == noErr) {
        (*made)->minimum = minimum;
        (*made)->maximum = maximum;
        (*made)->value = value;
        PinValue(**made);
    }
    return status;
}

} // namespace

namespace windows_detail {

const ControlFamily& ValueFamily() {
    static const Values family;
    return family;
}

} // namespace windows_detail

OSStatus CreateScrollBarControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                                SInt32 maximum, SInt32 viewSize, Boolean liveTracking,
                                ControlActionUPP action, ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewValueControl(window, bounds, ControlKind::ScrollBar, value, minimum,
                                      maximum, outControl, &c);
    if (status == noErr) {
        c->viewSize = viewSize;
        c->liveTracking = liveTracking;
        c->action = action;
    }
    return status;
}

OSStatus CreateSliderControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum,
                             SInt32 maximum, UInt16 orientation, UInt16 numTickMarks,
                             Boolean liveTracking, ControlActionUPP action,
                             ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewValueControl(window, bounds, ControlKind::Slider, value, minimum, maximum,
                                      outControl, &c);
    if (status == noErr) {
        c->sliderOrientation = orientation;
        c->tickMarks = numTickMarks;
        c->liveTracking = liveTracking;
        c->action = action;
    }
    return status;
}

OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value,
                                  SInt32 minimum, SInt32 maximum, Boolean indeterminate,
                                  ControlRef* outControl) {
    Control* c = nullptr;
    OSStatus status = NewValueControl(window, bounds, ControlKind::ProgressBar, value, minimum,
                                      maximum, outControl, &c);
    if (status == noErr)
        c->indeterminate = indeterminate;
    return status;
}

} // namespace tbx
