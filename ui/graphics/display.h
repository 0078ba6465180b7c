// The main display's size and depth.
#pragma once

#include <cstdint>

bool BK_GetDisplaySize(int32_t& width, int32_t& height);
// Bits per pixel of the main device.
int32_t BK_GetDisplayDepth();

class CBK_Display {
public:
    static bool GetSize(int32_t& width, int32_t& height) {
        return BK_GetDisplaySize(width, height);
    }
    static int32_t GetDepth() { return BK_GetDisplayDepth(); }
    // False when the main device has no such depth.
    static bool SetDepth(int32_t depth);
    // The display's size is not ours to change.
    static bool SetSize(int32_t, int32_t) { return false; }
};
