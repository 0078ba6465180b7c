// Pictures as the controls use them: OpenCPicture starts recording on the current port and
// ClosePicture keeps what was drawn inside the picture's frame, as 32-bit pixels. Handles are
// checked: a picture that was killed, or never made, is ignored.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"

namespace tbx {

struct OpaquePicture;
using PicHandle = OpaquePicture*;

struct OpenCPicParams {
    Rect srcRect;
    SInt32 hRes = 0; // 16.16
    SInt32 vRes = 0;
    SInt16 version = -2;
    SInt16 reserved1 = 0;
    SInt32 reserved2 = 0;
};

// Null when no 32-bit port is current or a picture is already open.
PicHandle OpenCPicture(const OpenCPicParams* params);
void ClosePicture();
void KillPicture(PicHandle picture);
// The 'PICT' resource of that id from the resource chain, decoded; null when there is none or
// it cannot be read. Each call makes a new picture, freed with KillPicture.
PicHandle GetPicture(SInt16 id);
// Draws the picture scaled into `destination` on the current port.
void DrawPicture(PicHandle picture, const Rect* destination);
// The picture's frame; false for a dead picture.
bool QDGetPictureBounds(PicHandle picture, Rect* frame);
Boolean IsValidPicture(PicHandle picture);

namespace test {
// False for a dead picture.
bool PictureFrame(PicHandle picture, Rect& frame);
// The recorded pixel (x, y) of the frame as ARGB; 0 outside it or for a dead picture.
uint32_t PicturePixel(PicHandle picture, int x, int y);
int LivePictures();
} // namespace test

} // namespace tbx
