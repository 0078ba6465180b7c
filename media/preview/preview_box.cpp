#include "media/preview/preview_box.h"

tbx::Rect BK_FitPictureBox(int32_t w, int32_t h, int32_t cw, int32_t ch, bool fit) {
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0)
        return tbx::Rect{};
    if (!fit)
        return tbx::Rect{0, 0, int16_t(ch), int16_t(cw)};
    if (cw < w) {
        h = int32_t(int64_t(h) * cw / w);
        w = cw;
    }
    int32_t top;
    if (h > ch) {
        w = int32_t(int64_t(w) * ch / h);
        h = ch;
        top = 0;
    } else {
        top = ch / 2 - h / 2;
    }
    const int32_t left = cw / 2 - w / 2;
    return tbx::Rect{int16_t(top), int16_t(left), int16_t(top + h), int16_t(left + w)};
}
