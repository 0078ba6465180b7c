#include "ui/graphics/color_functions.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

int BK_ColorToHexString(uint32_t color, wchar_t* buffer, int32_t size) {
    if (!buffer || size <= 0)
        return -1;
    return std::swprintf(buffer, size_t(size), L"#%02x%02x%02x", unsigned(color & 0xFF),
                         unsigned((color >> 8) & 0xFF), unsigned((color >> 16) & 0xFF));
}

uint32_t BK_BrightenColor(uint32_t& color, int32_t percent) {
    const int k = int(std::floor(percent * 0.01 * 127.0));
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = std::clamp(int((color >> shift) & 0xFF) + k, 0, 255);
        result |= uint32_t(channel) << shift;
    }
    color = result;
    return color;
}
