#include "media/controls/fit_rect.h"

tbx::Rect BK_FitImageRect(int32_t w, int32_t h, int32_t cw, int32_t ch) {
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0)
        return tbx::Rect{};
    int32_t fh = w > cw ? int32_t(double(cw) * h / w + 0.5) : h;
    int32_t fw = w < cw ? w : cw;
    if (fh > ch) {
        fw = int32_t(double(fw) * ch / fh + 0.5);
        fh = ch;
    }
    const int32_t left = cw / 2 - fw / 2, top = ch / 2 - fh / 2;
    return tbx::Rect{int16_t(top), int16_t(left), int16_t(top + fh), int16_t(left + fw)};
}
