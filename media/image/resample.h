// Separable tent-filter resampling of packed pixel buffers (rows then columns).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace bk_imageresize {

// The weights of one target sample over the source samples Left to Right (inclusive).
struct ContributionType {
    std::vector<double> Weights; // Right - Left + 1 entries, the first for Left
    int32_t Left = 0;
    int32_t Right = 0;
};

// The contributions of every target sample of one line length.
struct LineContribType {
    std::vector<ContributionType> ContribRow;
    uint32_t WindowSize = 0; // the most samples that one target sample reads
    uint32_t LineLength = 0;
};

// The table for `lineSize` target samples from `srcSize` source samples at scale
// lineSize / srcSize; null for a zero size. Freed by _FreeContribs.
LineContribType* _CalcContribs(uint32_t lineSize, uint32_t srcSize, double scale);
void _FreeContribs(LineContribType* contribs);

} // namespace bk_imageresize

// A new buffer (owned by the caller, freed with delete[]) of the target size: the source
// pixels (24 bits: three bytes; any other depth: four) resampled along rows, then along
// columns, each pass rounding to bytes. Only the sizes of the rectangles count. Null when both
// sizes are equal, when a size is zero or negative, or when a buffer would be too large.
uint8_t* BK_ResizeImageBilinear(const uint8_t* pixels, const tbx::Rect& source,
                                const tbx::Rect& target, uint16_t bitsPerPixel);

// The same into `out` (target width × height pixels); false, writing nothing, where the
// function above gives null (and false, with `out` partly written, when working memory runs
// out). Weight tables and working memory are kept per thread between calls, so resampling
// frame after frame allocates nothing; working memory beyond that of frame sizes is kept only
// while the calls keep its size.
bool BK_ResizeImageInto(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight,
                        int32_t targetWidth, int32_t targetHeight, uint16_t bitsPerPixel,
                        uint8_t* out);

// The same for pixels of `channels` bytes (1, 3 or 4), each byte filtered on its own; false for
// any other count.
bool BK_ResizeChannelsInto(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight,
                           int32_t targetWidth, int32_t targetHeight, uint32_t channels,
                           uint8_t* out);

// Frees what this thread keeps between calls (tables and working memory).
void BK_ResizeReleaseMemory();

// The code that resamples on this thread: plain loops over one value at a time, or the
// channels of a pixel at once in vectors of doubles, built for any x86-64 processor (SSE2) or
// for one with AVX2. Each gives the same bytes. A thread starts with the widest its processor
// runs; false, changing nothing, for code it cannot run.
enum class BK_ResizeKernels { Plain, Sse2, Avx2 };
bool BK_ResizeUseKernels(BK_ResizeKernels kernels);
