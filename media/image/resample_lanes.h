// Four doubles side by side for the resampler's passes, in vectors of the registers the code
// is built for: two of Double2 (SSE2, any x86-64 processor) or one of Double4 (AVX). GCC keeps
// a vector wider than the registers in memory, hence the choice. Only generic vector
// operations and SSE2 built-ins are used, so that the same code inlines into functions built
// for either. Each value is formed as a plain loop forms it: a product rounded to double,
// then a sum (no fused multiply-add), then + 0.5 truncated toward zero.
#pragma once

#if defined(__x86_64__)

#include <cstdint>
#include <cstring>

#include <emmintrin.h>

namespace bk_lanes {

typedef double Double2 __attribute__((vector_size(16)));
typedef double Double4 __attribute__((vector_size(32)));
typedef int32_t Int4 __attribute__((vector_size(16)));

#define BK_LANES_INLINE __attribute__((always_inline)) inline

template <typename V>
struct Four {
    static constexpr int kParts = 32 / sizeof(V);
    static constexpr int kLanes = 4 / kParts;
    V part[kParts];

    // p[0] to p[3], a register at a time (as a whole they would pass through memory).
    BK_LANES_INLINE void Load(const double* p) {
        for (int j = 0; j < kParts; ++j)
            std::memcpy(&part[j], p + j * kLanes, sizeof(V));
    }

    BK_LANES_INLINE void Clear() {
        for (V& p : part)
            p = V{};
    }

    // This += w × v.
    BK_LANES_INLINE void AddProduct(double w, const Four& v) {
        for (int j = 0; j < kParts; ++j)
            part[j] += w * v.part[j];
    }

    // Each value + 0.5, truncated toward zero, as four 32-bit integers.
    BK_LANES_INLINE __m128i Round() const {
        if constexpr (kParts == 1)
            return __m128i(__builtin_convertvector(part[0] + 0.5, Int4));
        else
            return _mm_unpacklo_epi64(_mm_cvttpd_epi32(__m128d(part[0] + 0.5)),
                                      _mm_cvttpd_epi32(__m128d(part[1] + 0.5)));
    }
};

// Four rounded values of 0 to 255 as four bytes, which saturating packs keep.
BK_LANES_INLINE uint32_t Bytes(__m128i ints) {
    const __m128i words = _mm_packs_epi32(ints, ints);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

#undef BK_LANES_INLINE

} // namespace bk_lanes

#endif
