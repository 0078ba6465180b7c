// printf-style formatting of wide text, shared by every formatting call of the program.
#pragma once

#include <cstdarg>
#include <string>

// Formats into `out`. The work buffer starts at 256 characters and doubles while the text
// does not fit, up to kBK_MaxFormattedLength; each attempt gets its own copy of the
// arguments. False (and `out` empty) when the format fails or the text would be longer.
bool BK_FormatStringV(std::wstring& out, const wchar_t* format, va_list arguments);
bool BK_FormatString(std::wstring& out, const wchar_t* format, ...);

inline constexpr std::size_t kBK_MaxFormattedLength = 1u << 20;
