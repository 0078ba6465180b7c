// The offscreen port behind a GWorldPtr, for the QuickDraw stand-in's own use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/quickdraw/qd_types.h"

namespace tbx::qd {

enum PortKind : unsigned {
    kPortHandle = 1,
    kPixMapHandle = 2,
    kBitMapHandle = 3,
};
constexpr unsigned kPortKinds = 1u << kPortHandle;
constexpr unsigned kPixMapKinds = 1u << kPixMapHandle;
constexpr unsigned kBitMapKinds = 1u << kBitMapHandle;

// Pixels: 32 bits as the bytes alpha, red, green, blue; 1 bit with the most significant bit
// leftmost and a set bit black. Rows lie rowBytes apart, the top row first.
struct Port {
    Rect bounds;
    SInt16 depth = 32;
    std::size_t rowBytes = 0;
    std::unique_ptr<UInt8[]> pixels;
    RGBColor fore{0, 0, 0};
    RGBColor back{0xFFFF, 0xFFFF, 0xFFFF};
    // Text state: family 0 is the system font and size 0 the default size.
    SInt16 textFont = 0;
    SInt16 textSize = 0;
    Style textFace = 0;
    Point pen; // where text is drawn next, port coordinates

    int Width() const { return bounds.right - bounds.left; }
    int Height() const { return bounds.bottom - bounds.top; }
    // Row of the port coordinate v.
    UInt8* Row(int v) const { return pixels.get() + std::size_t(v - bounds.top) * rowBytes; }
};

Port* FindPort(const void* handle, unsigned kinds);
// Registers a port; the port handle, or 0 when the registry is full.
std::uintptr_t AddPort(std::unique_ptr<Port> port);

// A pixel as alpha, red, green, blue bytes; h and v are port coordinates inside the bounds.
void ReadPixel(const Port& port, int h, int v, UInt8 argb[4]);
void WritePixel(const Port& port, int h, int v, const UInt8 argb[4]);

// The colour as the bytes 0xFF, red, green, blue (the high byte of each channel).
void ColorToBytes(const RGBColor& color, UInt8 argb[4]);

// The intersection of two rectangles; empty (all zero) when they do not meet.
Rect Intersect(const Rect& a, const Rect& b);
bool IsEmpty(const Rect& r);

} // namespace tbx::qd
