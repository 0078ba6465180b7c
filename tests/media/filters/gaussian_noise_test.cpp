#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "media/filters/gaussian_noise.h"

namespace {

using namespace imagemagick;

// Draws that sit at the forms' seams (ends, the switch near 1, table edges, quarter turns)
// and a random sample of the rest.
std::vector<int32_t> Draws() {
    std::vector<int32_t> draws = {0, 1, 2, 3, 2147483646, 2147483647};
    for (double at : {1.0 - 1.0 / 256, 0.5, 0.25, 0.75, 1.0 / 8, 1.0 / 3})
        for (int d = -2; d <= 2; ++d)
            draws.push_back(int32_t(at * kRandomMax) + d);
    std::mt19937 rng(5);
    for (int i = 0; i < 200000; ++i)
        draws.push_back(int32_t(rng() >> 1));
    return draws;
}

TEST(GaussianNoiseTest, ShortFormsStayWithinTheErrorsTheRoundingMarginAllows) {
    const gaussian_noise::Tables& tables = gaussian_noise::GetTables();
    for (int32_t r : Draws()) {
        if (r > 0) {
            const double tau = std::sqrt(-2.0 * std::log(r / kRandomMax));
            ASSERT_LE(std::fabs(gaussian_noise::FastTau(r, tables) - tau),
                      gaussian_noise::kTauError)
                << r;
        }
        double sine, cosine, fastSine, fastCosine;
        ::sincos(2.0 * M_PI * (r / kRandomMax), &sine, &cosine);
        gaussian_noise::FastSinCos(r, fastSine, fastCosine);
        ASSERT_LE(std::fabs(fastSine - sine), gaussian_noise::kTrigError) << r;
        ASSERT_LE(std::fabs(fastCosine - cosine), gaussian_noise::kTrigError) << r;
    }
}

TEST(GaussianNoiseTest, BatchesEqualTheBytewiseExpression) {
    // Every byte value many times over, across several batches; a draw of 0 in one batch
    // sends that batch down the exact road.
    std::vector<uint8_t> bytes(256 * 300 + 77);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 256);
    std::vector<uint8_t> expected = bytes;
    struct Scripted : RandomSource {
        std::minstd_rand engine{123};
        int count = 0;
        int32_t Next() override { return ++count == 999 ? 0 : int32_t(engine()); }
    } batched, bytewise;
    AddGaussianNoise(bytes.data(), bytes.size(), batched);
    for (uint8_t& b : expected)
        b = GenerateNoise(b, GaussianNoise, bytewise);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(batched.count, bytewise.count);
}

} // namespace
