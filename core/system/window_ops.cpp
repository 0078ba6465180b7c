#include "core/system/window_ops.h"

#include <algorithm>
#include <cmath>

#include "core/strings/string_functions.h"
#include "platform/cf_base.h"
#include "platform/windows/windows.h"

namespace {

int16_t Coord(double v) {
    return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

bool Content(tbx::WindowRef window, tbx::Rect& r) {
    return window && tbx::IsValidWindowPtr(window) &&
           tbx::GetWindowBounds(window, tbx::kWindowContentRgn, &r) == tbx::noErr;
}

} // namespace

bool BK_CreateWindow(tbx::WindowRef& window, int32_t x, int32_t y, uint32_t width, uint32_t height,
                     const wchar_t* title, uint32_t flags) {
    window = nullptr;
    const tbx::Rect bounds{Coord(y), Coord(x), Coord(double(y) + height), Coord(double(x) + width)};
    tbx::WindowAttributes attributes = tbx::kWindowStandardHandlerAttribute;
    if (flags & BK_WINDOW_CLOSE_BOX)
        attributes |= tbx::kWindowCloseBoxAttribute;
    if (flags & BK_WINDOW_RESIZABLE)
        attributes |= tbx::kWindowResizableAttribute;
    const tbx::WindowClass kind =
        (flags & BK_WINDOW_DOCUMENT) ? tbx::kDocumentWindowClass : tbx::kMovableModalWindowClass;
    if (tbx::CreateNewWindow(kind, attributes, &bounds, &window) != tbx::noErr)
        return false;
    if (title)
        BK_SetWindowTitle(window, title);
    if (flags & BK_WINDOW_VISIBLE)
        tbx::ShowWindow(window);
    return true;
}

bool BK_DestroyWindow(tbx::WindowRef& window) {
    const bool valid = window && tbx::IsValidWindowPtr(window);
    if (valid)
        tbx::DisposeWindow(window);
    window = nullptr;
    return valid;
}

bool BK_ShowWindow(tbx::WindowRef window, bool show) {
    if (!window || !tbx::IsValidWindowPtr(window))
        return false;
    show ? tbx::ShowWindow(window) : tbx::HideWindow(window);
    return true;
}

bool BK_GetGlobalWindowBounds(tbx::WindowRef window, tbx::Rect& bounds) {
    return window && tbx::IsValidWindowPtr(window) &&
           tbx::GetWindowBounds(window, tbx::kWindowStructureRgn, &bounds) == tbx::noErr;
}

bool BK_GetLocalWindowBounds(tbx::WindowRef window, tbx::Rect& bounds) {
    tbx::Rect r;
    if (!Content(window, r))
        return false;
    bounds = tbx::Rect{0, 0, static_cast<int16_t>(r.bottom - r.top),
                       static_cast<int16_t>(r.right - r.left)};
    return true;
}

bool BK_SetWindowPos(tbx::WindowRef window, int32_t x, int32_t y) {
    tbx::Rect r;
    if (!Content(window, r))
        return false;
    tbx::MoveWindow(window, Coord(x), Coord(y), false);
    return true;
}

bool BK_GetWindowPos(tbx::WindowRef window, int32_t& x, int32_t& y) {
    tbx::Rect r;
    if (!Content(window, r))
        return false;
    x = r.left;
    y = r.top;
    return true;
}

bool BK_SetWindowXPos(tbx::WindowRef window, int32_t x) {
    return BK_SetWindowPos(window, x, BK_GetWindowYPos(window));
}

int32_t BK_GetWindowXPos(tbx::WindowRef window) {
    tbx::Rect r;
    return Content(window, r) ? r.left : 0;
}

bool BK_SetWindowYPos(tbx::WindowRef window, int32_t y) {
    return BK_SetWindowPos(window, BK_GetWindowXPos(window), y);
}

int32_t BK_GetWindowYPos(tbx::WindowRef window) {
    tbx::Rect r;
    return Content(window, r) ? r.top : 0;
}

bool BK_SetWindowDimensions(tbx::WindowRef window, int32_t width, int32_t height, bool update) {
    tbx::Rect r;
    if (!Content(window, r))
        return false;
    tbx::SizeWindow(window, Coord(width), Coord(height), update);
    return true;
}

bool BK_GetWindowDimensions(tbx::WindowRef window, int32_t& width, int32_t& height) {
    tbx::Rect r;
    if (!Content(window, r))
        return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    return true;
}

bool BK_SetWindowWidth(tbx::WindowRef window, int32_t width) {
    return BK_SetWindowDimensions(window, width, BK_GetWindowHeight(window), true);
}

int32_t BK_GetWindowWidth(tbx::WindowRef window) {
    tbx::Rect r;
    return Content(window, r) ? r.right - r.left : 0;
}

bool BK_SetWindowHeight(tbx::WindowRef window, int32_t height) {
    return BK_SetWindowDimensions(window, BK_GetWindowWidth(window), height, true);
}

int32_t BK_GetWindowHeight(tbx::WindowRef window) {
    tbx::Rect r;
    return Content(window, r) ? r.bottom - r.top : 0;
}

bool BK_InvalWindow(tbx::WindowRef window) {
    tbx::Rect local;
    return BK_GetLocalWindowBounds(window, local) &&
           tbx::InvalWindowRect(window, &local) == tbx::noErr;
}

bool BK_SetWindowTitle(tbx::WindowRef window, const wchar_t* title) {
    if (!window || !tbx::IsValidWindowPtr(window))
        return false;
    tbx::CFStringRef text = BK_MakeCFString(title ? title : L"");
    const bool done = text && tbx::SetWindowTitleWithCFString(window, text) == tbx::noErr;
    if (text)
        tbx::CFRelease(text);
    return done;
}

bool BK_GetWindowTitle(tbx::WindowRef window, wchar_t* buffer, int32_t size) {
    if (!buffer || size < 1 || !window || !tbx::IsValidWindowPtr(window))
        return false;
    tbx::CFStringRef title = nullptr;
    if (tbx::CopyWindowTitleAsCFString(window, &title) != tbx::noErr || !title)
        return false;
    const bool done = BK_CFStringGetCharacters(title, buffer, size);
    tbx::CFRelease(title);
    return done;
}

bool BK_CenterWindow(tbx::WindowRef window, tbx::WindowRef parent) {
    tbx::Rect own, outer;
    if (!Content(window, own) || !Content(parent, outer))
        return false;
    const double cx = (double(outer.left) + outer.right) / 2;
    const double cy = (double(outer.top) + outer.bottom) / 2;
    return BK_SetWindowPos(window, Coord(cx - (own.right - own.left) / 2.0),
                           Coord(cy - (own.bottom - own.top) / 2.0));
}

void BK_Rotate90Rect(tbx::Rect& rect, double cx, double cy, int32_t degrees) {
    int quarter = 0;
    if (degrees == 90 || degrees == -270)
        quarter = 1;
    else if (degrees == 180 || degrees == -180)
        quarter = 2;
    else if (degrees == 270 || degrees == -90)
        quarter = 3;
    else
        return;
    // Turn both corners, then order them again.
    auto turn = [&](double x, double y, double& ox, double& oy) {
        double dx = x - cx, dy = y - cy;
        for (int i = 0; i < quarter; ++i) {
            const double t = dx;
            dx = -dy;
            dy = t;
        }
        ox = cx + dx;
        oy = cy + dy;
    };
    double x0, y0, x1, y1;
    turn(rect.left, rect.top, x0, y0);
    turn(rect.right, rect.bottom, x1, y1);
    rect = tbx::Rect{Coord(std::min(y0, y1)), Coord(std::min(x0, x1)), Coord(std::max(y0, y1)),
                     Coord(std::max(x0, x1))};
}
