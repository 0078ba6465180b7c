#include "core/system/images.h"

bool BK_LoadImage(int32_t id, tbx::PicHandle& picture) {
    picture = id >= INT16_MIN && id <= INT16_MAX ? tbx::GetPicture(tbx::SInt16(id)) : nullptr;
    return picture != nullptr;
}

bool BK_DrawImage(tbx::PicHandle& picture, int32_t x, int32_t y) {
    tbx::Rect frame;
    if (!tbx::QDGetPictureBounds(picture, &frame))
        return false;
    const int32_t width = frame.right - frame.left, height = frame.bottom - frame.top;
    const tbx::Rect at{tbx::SInt16(y), tbx::SInt16(x), tbx::SInt16(y + height),
                       tbx::SInt16(x + width)};
    tbx::DrawPicture(picture, &at);
    return true;
}
