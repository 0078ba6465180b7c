#include "platform/quickdraw/drawing.h"

#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/port.h"

namespace tbx {
namespace {

qd::Port* CurrentPort() {
    CGrafPtr port = nullptr;
    GetGWorld(&port, nullptr);
    return qd::FindPort(port, qd::kPortKinds);
}

} // namespace

bool ClassicColor(SInt32 number, RGBColor& color) {
    switch (number) {
    case whiteColor:
        color = {0xFFFF, 0xFFFF, 0xFFFF};
        return true;
    case blackColor:
        color = {0, 0, 0};
        return true;
    case yellowColor:
        color = {0xFFFF, 0xFFFF, 0};
        return true;
    case magentaColor:
        color = {0xFFFF, 0, 0xFFFF};
        return true;
    case redColor:
        color = {0xFFFF, 0, 0};
        return true;
    case cyanColor:
        color = {0, 0xFFFF, 0xFFFF};
        return true;
    case greenColor:
        color = {0, 0xFFFF, 0};
        return true;
    case blueColor:
        color = {0, 0, 0xFFFF};
        return true;
    default:
        return false;
    }
}

namespace {

OSErr Fill(const Rect* rect, bool foreground) {
    qd::Port* port = CurrentPort();
    if (!port || !rect)
        return paramErr;
    UInt8 argb[4];
    qd::ColorToBytes(foreground ? port->fore : port->back, argb);
    Rect area = qd::Intersect(*rect, port->bounds);
    for (int v = area.top; v < area.bottom; ++v)
        for (int h = area.left; h < area.right; ++h)
            qd::WritePixel(*port, h, v, argb);
    return noErr;
}

} // namespace

OSErr RGBForeColor(const RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    port->fore = *color;
    return noErr;
}

OSErr RGBBackColor(const RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    port->back = *color;
    return noErr;
}

OSErr GetForeColor(RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    *color = port->fore;
    return noErr;
}

OSErr GetBackColor(RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    *color = port->back;
    return noErr;
}

OSErr ForeColor(SInt32 number) {
    RGBColor color;
    if (!ClassicColor(number, color))
        return paramErr;
    return RGBForeColor(&color);
}

OSErr BackColor(SInt32 number) {
    RGBColor color;
    if (!ClassicColor(number, color))
        return paramErr;
    return RGBBackColor(&color);
}

OSErr PaintRect(const Rect* rect) {
    return Fill(rect, true);
}

OSErr EraseRect(const Rect* rect) {
    return Fill(rect, false);
}

OSErr SetCPixel(SInt16 h, SInt16 v, const RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    const Rect& b = port->bounds;
    if (h < b.left || h >= b.right || v < b.top || v >= b.bottom)
        return noErr;
    UInt8 argb[4];
    qd::ColorToBytes(*color, argb);
    qd::WritePixel(*port, h, v, argb);
    return noErr;
}

OSErr GetCPixel(SInt16 h, SInt16 v, RGBColor* color) {
    qd::Port* port = CurrentPort();
    if (!port || !color)
        return paramErr;
    const Rect& b = port->bounds;
    if (h < b.left || h >= b.right || v < b.top || v >= b.bottom) {
        *color = RGBColor{};
        return paramErr;
    }
    UInt8 argb[4];
    qd::ReadPixel(*port, h, v, argb);
    color->red = UInt16(argb[1] * 257);
    color->green = UInt16(argb[2] * 257);
    color->blue = UInt16(argb[3] * 257);
    return noErr;
}

OSErr MoveTo(SInt16 h, SInt16 v) {
    qd::Port* port = CurrentPort();
    if (!port)
        return paramErr;
    port->pen = Point{v, h};
    return noErr;
}

OSErr GetPen(Point* pen) {
    qd::Port* port = CurrentPort();
    if (!port || !pen)
        return paramErr;
    *pen = port->pen;
    return noErr;
}

} // namespace tbx
