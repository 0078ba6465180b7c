// Gaussian noise over many bytes at once, equal byte for byte to GenerateNoise.
//
// The log, square root, sine and cosine of the C library dominate the per-byte cost. A byte
// only needs its value to the nearest whole number, so each value is first computed with
// short table-and-polynomial forms of log, sine and cosine. Over every value a draw can take
// these differ from the library's by less than kTauError and kTrigError (checked over all
// draws when the forms were written; the tests check samples), which moves the value by far
// less than kMargin. Only a value within kMargin of a rounding boundary (a half) is computed
// again through GenerateNoise's own expression.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "media/filters/noise.h"

namespace imagemagick::gaussian_noise {

// Largest differences from the library's results over all 2^31 draws (measured: 1.4e-13 and
// 7e-12), and what they can move a value by: |τ| ≤ 6.56 and the coefficients of τ add up
// to at most 4 √255 + 20 < 84.
inline constexpr double kTauError = 1e-11;
inline constexpr double kTrigError = 1e-10;
inline constexpr double kMargin = 1e-6;
static_assert(84 * (kTauError + 6.6 * kTrigError) + 1e-12 < kMargin / 10);

struct Tables {
    double logCentre[256]; // log(1 + i / 256)
    double inverse[256];   // 1 / (1 + i / 256)
    double root[256];      // sqrt(i), as the exact expression computes it
};
const Tables& GetTables();

// log(1 + x) for |x| ≤ 1 / 256.
inline double LogSeries(double x) {
    return x * (1.0 + x * (-1.0 / 2 + x * (1.0 / 3 + x * (-1.0 / 4 + x * (1.0 / 5)))));
}

// sqrt(−2 log(r / kRandomMax)) for a draw r of 1 … 2147483647.
inline double FastTau(int32_t r, const Tables& t) {
    const double alpha = r * (1.0 / kRandomMax);
    double log;
    if (alpha > 1.0 - 1.0 / 256) {
        // Near 1 the log is small and τ magnifies its error: take it from alpha − 1 (exact).
        log = LogSeries(alpha - 1.0);
    } else {
        const uint64_t bits = std::bit_cast<uint64_t>(alpha);
        const int exponent = int(bits >> 52) - 1023;
        const std::size_t index = std::size_t(bits >> 44) & 0xFF;
        const double mantissa =
            std::bit_cast<double>((bits & 0xFFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
        log = exponent * 0.69314718055994530942 + t.logCentre[index] +
              LogSeries(mantissa * t.inverse[index] - 1.0);
    }
    return std::sqrt(std::max(0.0, -2.0 * log));
}

// sin and cos of 2π r / kRandomMax for a draw r of 0 … 2147483647, without branches so that
// a batch of them vectorises.
inline void FastSinCos(int32_t r, double& sine, double& cosine) {
    const double quarters = r * (4.0 / kRandomMax);
    const int quadrant = int(quarters + 0.5);
    const double f = (quarters - quadrant) * 1.57079632679489661923; // |f| ≤ π / 4
    const double f2 = f * f;
    const double s =
        f * (1.0 + f2 * (-1.0 / 6 +
                         f2 * (1.0 / 120 +
                               f2 * (-1.0 / 5040 + f2 * (1.0 / 362880 + f2 * (-1.0 / 39916800))))));
    const double c =
        1.0 + f2 * (-1.0 / 2 +
                    f2 * (1.0 / 24 +
                          f2 * (-1.0 / 720 + f2 * (1.0 / 40320 + f2 * (-1.0 / 3628800 +
                                                                       f2 * (1.0 / 479001600))))));
    // Turned by quadrant quarter turns.
    const bool odd = quadrant & 1;
    const double a = odd ? c : s, b = odd ? s : c;
    sine = (quadrant & 2) ? -a : a;
    cosine = ((quadrant + 1) & 2) ? -b : b;
}

// GenerateNoise's own expression for the draws a (then b).
inline uint8_t ExactNoisyByte(uint8_t pixel, int32_t a, int32_t b) {
    double alpha = a / kRandomMax;
    if (alpha == 0.0)
        alpha = 1.0;
    return NoiseToByte(GaussianNoiseValue(pixel, alpha, b / kRandomMax));
}

} // namespace imagemagick::gaussian_noise

namespace imagemagick {

// Every byte through GenerateNoise(byte, GaussianNoise, random), in order.
template <typename Source>
void AddGaussianNoise(uint8_t* bytes, std::size_t count, Source& random) {
    using namespace gaussian_noise;
    const Tables& tables = GetTables();
    constexpr std::size_t kBatch = 256;
    int32_t a[kBatch], b[kBatch];
    double tau[kBatch], sine[kBatch], cosine[kBatch];
    for (std::size_t start = 0; start < count; start += kBatch) {
        const std::size_t n = std::min(kBatch, count - start);
        bool valid = true;
        for (std::size_t k = 0; k < n; ++k) {
            a[k] = random.Next();
            b[k] = random.Next();
            valid &= a[k] > 0 && b[k] >= 0;
        }
        uint8_t* out = bytes + start;
        if (!valid) { // draws outside the source's range: the exact expression alone
            for (std::size_t k = 0; k < n; ++k)
                out[k] = ExactNoisyByte(out[k], a[k], b[k]);
            continue;
        }
        for (std::size_t k = 0; k < n; ++k)
            tau[k] = FastTau(a[k], tables);
        for (std::size_t k = 0; k < n; ++k)
            FastSinCos(b[k], sine[k], cosine[k]);
        for (std::size_t k = 0; k < n; ++k) {
            const double p = out[k];
            const double value =
                p + tables.root[out[k]] * 4.0 * tau[k] * cosine[k] + 20.0 * tau[k] * sine[k];
            const double shifted = value + 0.5;
            const double whole = std::floor(shifted);
            const double part = shifted - whole;
            out[k] = part > kMargin && part < 1.0 - kMargin ? uint8_t(std::clamp(whole, 0.0, 255.0))
                                                            : ExactNoisyByte(out[k], a[k], b[k]);
        }
    }
}

} // namespace imagemagick
