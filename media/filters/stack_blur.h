// The stack blur: a triangle-weighted average over (2r + 1) samples, along the rows and then
// along the columns, edges repeated, each pass taking the floor of weighted sum / (r + 1)².
#pragma once

#include <cstdint>
#include <vector>

struct CBK_StackBlurScratch {
    std::vector<int32_t> plane;  // the horizontal pass's results
    std::vector<int32_t> sums;   // per column: weighted, incoming and outgoing sums
    std::vector<uint8_t> divide; // sum / (r + 1)² for every possible sum, small radii only
    int32_t divideRadius = -1;
};

// Radii above this are taken as it (the sums then still fit 32 bits).
constexpr int32_t kBK_StackBlurMaxRadius = 2047;

// Blurs `channels` interleaved channels of a width × height buffer in place; radius 0 or
// less leaves it.
void BK_StackBlur(uint8_t* pixels, int32_t width, int32_t height, int32_t channels, int32_t radius,
                  CBK_StackBlurScratch& scratch);
