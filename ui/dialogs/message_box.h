// Message boxes: a title, a formatted message, one of seven button sets and one of four icons,
// answered by a four-character result. With a parent window the box is a sheet on it;
// without one it is an application-modal alert.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

// Flags: at most one button set and one icon.
constexpr int32_t kBK_MB_OK = 0x1;
constexpr int32_t kBK_MB_OKCANCEL = 0x2;
constexpr int32_t kBK_MB_RETRYCANCEL = 0x4;
constexpr int32_t kBK_MB_YESNO = 0x8;
constexpr int32_t kBK_MB_YESNOCANCEL = 0x10;
constexpr int32_t kBK_MB_SAVE = 0x20;
constexpr int32_t kBK_MB_ABORTRETRYIGNORE = 0x40;
constexpr int32_t kBK_MB_ICONSTOP = 0x100;
constexpr int32_t kBK_MB_ICONCAUTION = 0x200;
constexpr int32_t kBK_MB_ICONNOTE = 0x400;

constexpr int32_t kBK_NoteBoxFlags = 0x401;
constexpr int32_t kBK_WarningBoxFlags = 0x201;
constexpr int32_t kBK_ErrorBoxFlags = 0x101;

// Results: the first (default) button, Cancel or any failure to show the box, and No.
constexpr int32_t kBK_IDOK = static_cast<int32_t>(tbx::FourCC("ok  "));
constexpr int32_t kBK_IDCANCEL = static_cast<int32_t>(tbx::FourCC("not!"));
constexpr int32_t kBK_IDNO = static_cast<int32_t>(tbx::FourCC("No!!"));

// The formatted message is shown as it stands; a message that cannot be formatted is shown
// as its format text.
int32_t BK_MessageBox(tbx::WindowRef parent, int32_t flags, const wchar_t* title,
                      const wchar_t* format, ...);
int32_t BK_NoteBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...);
int32_t BK_WarningBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...);
int32_t BK_ErrorBox(tbx::WindowRef parent, const wchar_t* title, const wchar_t* format, ...);

// The same with the title and the format given by string id; a missing id gives an empty
// text, except in BK_ErrorBox, where it gives "Error".
int32_t BK_MessageBox(tbx::WindowRef parent, int32_t flags, int32_t titleId, int32_t formatId, ...);
int32_t BK_NoteBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...);
int32_t BK_WarningBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...);
int32_t BK_ErrorBox(tbx::WindowRef parent, int32_t titleId, int32_t formatId, ...);

// "Err: <code>" and "Type: <code>" in an error box; the flag is not used.
int32_t BK_ErrorCodeBox(tbx::WindowRef parent, int32_t code, bool unused = false);

// The sheet form: shown on `window` (the front window when null) until a button is hit.
int32_t BK_MacMessageBoxOSXSheet(tbx::WindowRef window, int32_t flags, const wchar_t* title,
                                 const wchar_t* text);
// The sheet's control-hit handler; `userData` is the result word it fills.
tbx::OSStatus BK_MacMessageBoxOSXHandler(tbx::EventHandlerCallRef call, tbx::EventRef event,
                                         void* userData);

// Nothing in the toolkit sets it: always 0.
int32_t BK_GetLastError();

struct BK_ENTRY_INFO;
// Sets the arrow cursor; true.
bool BK_InitEntry(BK_ENTRY_INFO* info);
void BK_KillEntry();
