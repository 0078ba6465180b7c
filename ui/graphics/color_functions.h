// Colours given as 0x00BBGGRR: hexadecimal text and brightening.
#pragma once

#include <cstdint>

// "#rrggbb" in lower case into a buffer of `size` wide characters; the formatter's result
// (negative when the buffer is too small).
int BK_ColorToHexString(uint32_t color, wchar_t* buffer, int32_t size);
// Adds floor(percent × 1.27) to each channel, held to 0..255; replaces and returns the colour.
uint32_t BK_BrightenColor(uint32_t& color, int32_t percent);
