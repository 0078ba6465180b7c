// Copies, fills and rotations of 32-bit offscreen pixel maps (bytes alpha, red, green, blue;
// rows of rowBytes, top row first), the port swap around drawing, and mouse tracking in a
// control's window.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

// Source-copy between ports, scaled when the rectangles differ.
void BK_BitBltPixmapToPixmap(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::GWorldPtr dst,
                             tbx::Rect& dstRect);
void BK_StretchBltPixmapToPixmap(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::GWorldPtr dst,
                                 tbx::Rect& dstRect);
// Into the window's port, clipped to the mask region when one is given.
void BK_BitBltPixmapToWindow(tbx::GWorldPtr src, tbx::Rect& srcRect, tbx::WindowRef window,
                             tbx::Rect& dstRect, tbx::RgnHandle mask);
// Through a mask; the destination comes first.
void BK_MaskBitBlt(tbx::GWorldPtr dst, tbx::Rect& dstRect, tbx::GWorldPtr src, tbx::Rect& srcRect,
                   tbx::GWorldPtr mask, tbx::Rect& maskRect);
inline void BK_BitBltPixmapToWindow2() {}
inline void BK_StretchBltPixmapToPixmap2() {}

// Fills width x height pixels from the base address. The raw forms never go past a row's
// `rowBytes`; the world forms stay inside the world's bounds.
void BK_FastFill32Black(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height);
void BK_FastFill32Black(tbx::GWorldPtr world, int32_t width, int32_t height);
void BK_FastFill32White(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height);
void BK_FastFill32White(tbx::GWorldPtr world, int32_t width, int32_t height);
void BK_FastFill32Gray(unsigned char* base, int32_t rowBytes, int32_t width, int32_t height,
                       unsigned char gray);
void BK_FastFill32Gray(tbx::GWorldPtr world, int32_t width, int32_t height, unsigned char gray);

// Rotates by an angle in radians about the centres. The rectangles give sizes only (pixels
// are addressed from each map's origin), cut to each map's bounds.
void BK_BltRotate(tbx::GWorldPtr& src, tbx::Rect& srcRect, tbx::GWorldPtr& dst, tbx::Rect& dstRect,
                  double angle);
// 90 or -270 turns clockwise, 180 or -180 half-turns, 270 or -90 turns counter-clockwise;
// other values copy nothing. Pixels that fall outside the destination are not written.
void BK_BltRotate90(tbx::GWorldPtr& src, tbx::Rect& srcRect, tbx::GWorldPtr& dst,
                    tbx::Rect& dstRect, int32_t degrees);

// Makes the window's port current; true when the current port changed.
bool BK_SwapPort(tbx::WindowRef window, tbx::GrafPtr* saved);
// The next mouse location (local to the control's window) and tracking result.
void BK_TrackMouseLocation(tbx::ControlRef control, tbx::Point* point, unsigned short* result);
