#include "core/system/mouse.h"

#include <algorithm>

#include "platform/windows/cursors.h"

bool BK_ShowMouse(bool show) {
    if (show)
        tbx::ShowCursor();
    else
        tbx::HideCursor();
    return true;
}

bool BK_HideMouse() {
    return BK_ShowMouse(false);
}

bool BK_SetMousePos(const tbx::Point& point) {
    tbx::WarpMouse(point);
    return true;
}

bool BK_SetMousePos(int32_t x, int32_t y) {
    auto clamp = [](int32_t value) {
        return int16_t(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
    };
    tbx::Point point;
    point.h = clamp(x);
    point.v = clamp(y);
    return BK_SetMousePos(point);
}
