// Conversions between wide text (UTF-32) and system strings (UTF-16).
#pragma once

#include <cstdint>
#include <string>

#include "platform/cf_string.h"

// Surrogate pairs join into one character; an unpaired surrogate becomes U+FFFD.
std::wstring BK_WidenUnits(const char16_t* units, std::size_t count);
std::wstring BK_WidenCFString(tbx::CFStringRef string);
// Characters above U+FFFF become surrogate pairs; non-characters become U+FFFD.
std::u16string BK_NarrowToUnits(const wchar_t* text, std::size_t length);
// The text in a code page (a text encoding); false when the code page cannot hold it.
bool BK_WideToCodePage(const wchar_t* text, uint32_t codePage, std::string& bytes);
