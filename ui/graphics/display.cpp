#include "ui/graphics/display.h"

#include "platform/windows/screen.h"

bool BK_GetDisplaySize(int32_t& width, int32_t& height) {
    tbx::Rect bounds;
    if (!tbx::GetDeviceRect(tbx::GetMainDevice(), &bounds))
        return false;
    width = bounds.right - bounds.left;
    height = bounds.bottom - bounds.top;
    return true;
}

int32_t BK_GetDisplayDepth() {
    return tbx::GetDevicePixelSize(tbx::GetMainDevice());
}

bool CBK_Display::SetDepth(int32_t depth) {
    tbx::GDHandle device = tbx::GetMainDevice();
    if (depth < 1 || depth > 32 || !tbx::HasDepth(device, static_cast<tbx::SInt16>(depth), 1, 1))
        return false;
    return tbx::SetDepth(device, static_cast<tbx::SInt16>(depth), 1, 1) == tbx::noErr;
}
