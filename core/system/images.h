// Pictures from the resource chain, drawn on the current port.
#pragma once

#include <cstdint>

#include "platform/pict/pictures.h"

// The 'PICT' resource of that id; false (and null) when there is none or it cannot be read.
// Free the picture with tbx::KillPicture.
bool BK_LoadImage(int32_t id, tbx::PicHandle& picture);
// Draws the picture at its own size with its top-left corner at (x, y); false for a dead
// picture.
bool BK_DrawImage(tbx::PicHandle& picture, int32_t x, int32_t y);
