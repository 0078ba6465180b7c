// Window geometry, titles and creation over the window manager. Positions are the content's
// top-left corner in global coordinates; sizes are the content's. Every call with a stale or
// null window does nothing and reports failure.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

// BK_CreateWindow flags.
enum : uint32_t {
    BK_WINDOW_VISIBLE = 1,
    BK_WINDOW_CLOSE_BOX = 4,
    BK_WINDOW_DOCUMENT = 16, // otherwise a modal window
    BK_WINDOW_RESIZABLE = 32,
};

bool BK_CreateWindow(tbx::WindowRef& window, int32_t x, int32_t y, uint32_t width, uint32_t height,
                     const wchar_t* title, uint32_t flags);
// Disposes of the window and clears the reference.
bool BK_DestroyWindow(tbx::WindowRef& window);
bool BK_ShowWindow(tbx::WindowRef window, bool show);
// The whole window with its frame, global coordinates.
bool BK_GetGlobalWindowBounds(tbx::WindowRef window, tbx::Rect& bounds);
// The content in its own coordinates: (0, 0, height, width).
bool BK_GetLocalWindowBounds(tbx::WindowRef window, tbx::Rect& bounds);

bool BK_SetWindowPos(tbx::WindowRef window, int32_t x, int32_t y);
bool BK_GetWindowPos(tbx::WindowRef window, int32_t& x, int32_t& y);
bool BK_SetWindowXPos(tbx::WindowRef window, int32_t x);
int32_t BK_GetWindowXPos(tbx::WindowRef window);
bool BK_SetWindowYPos(tbx::WindowRef window, int32_t y);
int32_t BK_GetWindowYPos(tbx::WindowRef window);

bool BK_SetWindowDimensions(tbx::WindowRef window, int32_t width, int32_t height, bool update);
bool BK_GetWindowDimensions(tbx::WindowRef window, int32_t& width, int32_t& height);
bool BK_SetWindowWidth(tbx::WindowRef window, int32_t width);
int32_t BK_GetWindowWidth(tbx::WindowRef window);
bool BK_SetWindowHeight(tbx::WindowRef window, int32_t height);
int32_t BK_GetWindowHeight(tbx::WindowRef window);

bool BK_InvalWindow(tbx::WindowRef window);
bool BK_SetWindowTitle(tbx::WindowRef window, const wchar_t* title);
// At most size - 1 characters, then the terminator.
bool BK_GetWindowTitle(tbx::WindowRef window, wchar_t* buffer, int32_t size);
// Puts the window's centre on the centre of the parent's content.
bool BK_CenterWindow(tbx::WindowRef window, tbx::WindowRef parent);
// Turns the rectangle about (cx, cy) by 90 (or -270), 180 (or -180) or 270 (or -90) degrees;
// any other angle leaves it.
void BK_Rotate90Rect(tbx::Rect& rect, double cx, double cy, int32_t degrees);
// There is no full-screen mode here.
inline void BK_MakeFullscreen(tbx::WindowRef) {}
