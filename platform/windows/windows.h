// Window Manager: windows on a virtual 1440 x 900 main screen with a 22-pixel menu bar.
//
// A window's content bounds are in global coordinates; its structure adds a title bar above
// the content (22 pixels for document, modal and alert windows, 16 for utility and floating
// windows, none for sheets and plain windows) and no side frames. Each window has a 32-bit
// ARGB backing store of its content, filled with its background colour, and properties keyed
// by creator and tag. New windows are hidden and in front of the others.
#pragma once

#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

namespace tbx {

constexpr SInt16 kMainScreenWidth = 1440;
constexpr SInt16 kMainScreenHeight = 900;
constexpr SInt16 kMenuBarHeight = 22;

// errUnrecognizedWindowClass for an unknown class; paramErr for a null bounds or result.
OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect* contentBounds, WindowRef* outWindow);
// Disposes of the window with its controls and any sheet shown on it.
void DisposeWindow(WindowRef window);
Boolean IsValidWindowPtr(WindowRef window);

OSStatus GetWindowClass(WindowRef window, WindowClass* outClass);
OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);
OSStatus ChangeWindowAttributes(WindowRef window, WindowAttributes set, WindowAttributes clear);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
OSStatus ActivateWindow(WindowRef window, Boolean activate);
Boolean IsWindowActive(WindowRef window);
void SelectWindow(WindowRef window);
void BringToFront(WindowRef window);
void SendBehind(WindowRef window, WindowRef behindWindow);
// The front visible window (floating and utility windows excepted), or null.
WindowRef FrontWindow();
WindowRef FrontNonFloatingWindow();

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds);
OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds);
// The top-left corner of the content, in global coordinates.
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
void SizeWindow(WindowRef window, SInt16 width, SInt16 height, Boolean update);
OSStatus ZoomWindowIdeal(WindowRef window, WindowPartCode part, Point* ioIdealSize);
void ZoomWindow(WindowRef window, WindowPartCode part, Boolean front);
Boolean IsWindowInStandardState(WindowRef window, Point* idealSize, Rect* idealStandardState);
OSStatus CollapseWindow(WindowRef window, Boolean collapse);
Boolean IsWindowCollapsed(WindowRef window);
OSStatus RepositionWindow(WindowRef window, WindowRef parentWindow, UInt32 method);
OSStatus ConstrainWindowToScreen(WindowRef window, WindowRegionCode region, UInt32 options,
                                 const Rect* screenRect, Rect* outStructure);
// The main screen less the menu bar.
OSStatus GetAvailableWindowPositioningBounds(void* device, Rect* outBounds);

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
// The caller releases the copy.
OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle);
// From 0 (transparent) to 1 (opaque); paramErr outside that range. Nothing is blended: the
// backing store keeps what is drawn, and the test driver reads the alpha.
OSStatus SetWindowAlpha(WindowRef window, float alpha);
OSStatus SetThemeWindowBackground(WindowRef window, ThemeBrush brush, Boolean update);
OSStatus SetWindowContentColor(WindowRef window, const RGBColor* color);
OSStatus GetWindowContentColor(WindowRef window, RGBColor* color);

OSStatus SetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 size,
                           const void* buffer);
// errWindowPropertyNotFound for a missing property; paramErr when the buffer is too small.
OSStatus GetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 bufferSize,
                           UInt32* actualSize, void* buffer);
OSStatus RemoveWindowProperty(WindowRef window, OSType creator, OSType tag);

void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);
// Posts an update event for the window (at most one waits at a time).
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);

// The window's port: its backing store as a 32-bit offscreen port with bounds (0, 0, width,
// height); null for a window without area. Drawing goes there and the test driver reads it.
CGrafPtr GetWindowPort(WindowRef window);
// The window whose port this is; null for any other port.
WindowRef GetWindowFromPort(CGrafPtr port);
OSStatus SetPortWindowPort(WindowRef window);
// Makes the port current; true when the current port changed.
Boolean QDSwapPort(CGrafPtr newPort, CGrafPtr* oldPort);

// Sheets: shown on a parent window, which then takes no clicks until the sheet hides.
OSStatus ShowSheetWindow(WindowRef sheet, WindowRef parentWindow);
OSStatus HideSheetWindow(WindowRef sheet);
OSStatus GetSheetWindowParent(WindowRef sheet, WindowRef* outParent);

} // namespace tbx
