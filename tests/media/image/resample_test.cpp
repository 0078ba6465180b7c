#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "media/image/resample.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/tools.h"

namespace {

using bk_imageresize::_CalcContribs;
using bk_imageresize::_FreeContribs;
using bk_imageresize::LineContribType;
using stravel::testing::AllocationMeter;

tbx::Rect Size(int width, int height) {
    tbx::Rect r;
    r.right = static_cast<int16_t>(width);
    r.bottom = static_cast<int16_t>(height);
    return r;
}

std::unique_ptr<uint8_t[]> Resize(const std::vector<uint8_t>& pixels, int sw, int sh, int tw,
                                  int th, uint16_t bpp) {
    return std::unique_ptr<uint8_t[]>(
        BK_ResizeImageBilinear(pixels.data(), Size(sw, sh), Size(tw, th), bpp));
}

// The tent filter as a formula over the whole source line: target sample i of n from m
// samples is centred on i × m / n and weighs sample j by max(0, 1 − |centre − j| / reach),
// the reach being 1, or m / n when shrinking; the weights are then normalised.
std::vector<double> TentWeights(int i, int n, int m) {
    const double scale = double(n) / double(m);
    const double reach = scale < 1.0 ? 1.0 / scale : 1.0;
    const double centre = double(i) / scale;
    std::vector<double> w(size_t(m), 0.0);
    double total = 0.0;
    for (int j = 0; j < m; ++j) {
        w[size_t(j)] = std::max(0.0, 1.0 - std::fabs(centre - j) / reach);
        total += w[size_t(j)];
    }
    for (double& x : w)
        x /= total;
    return w;
}

// A line of samples laid along x (three rows alike) or along y (two columns alike), so that
// one pass does all the work; the other dimension stays as it is.
struct Line {
    bool alongX;
    int channels;
};

std::vector<uint8_t> Lay(const Line& line, const std::vector<uint8_t>& samples, int& w, int& h) {
    const int m = int(samples.size());
    w = line.alongX ? m : 2;
    h = line.alongX ? 3 : m;
    std::vector<uint8_t> pixels(size_t(w) * h * line.channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < line.channels; ++c)
                pixels[(size_t(y) * w + x) * line.channels + c] =
                    samples[size_t(line.alongX ? x : y)];
    return pixels;
}

// The n samples along the line after resizing, each checked to be alike across the other
// dimension and across channels.
std::vector<uint8_t> ResizeLine(const Line& line, const std::vector<uint8_t>& samples, int n) {
    int w, h;
    auto pixels = Lay(line, samples, w, h);
    const int tw = line.alongX ? n : w, th = line.alongX ? h : n;
    auto out = Resize(pixels, w, h, tw, th, uint16_t(line.channels * 8));
    std::vector<uint8_t> result(static_cast<size_t>(n));
    if (!out) {
        ADD_FAILURE() << "no result";
        return result;
    }
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x)
            for (int c = 0; c < line.channels; ++c) {
                const uint8_t v = out[(size_t(y) * tw + x) * line.channels + c];
                const int i = line.alongX ? x : y;
                if ((line.alongX ? y : x) == 0 && c == 0)
                    result[size_t(i)] = v;
                else
                    EXPECT_EQ(v, result[size_t(i)]) << x << "," << y << "," << c;
            }
    return result;
}

const Line kLines[] = {{true, 3}, {true, 4}, {false, 3}, {false, 4}};

std::vector<uint8_t> Random(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng());
    return v;
}

TEST(ResampleTest, DoublingTwoColumnsToFour) {
    LineContribType* t = _CalcContribs(4, 2, 2.0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->WindowSize, 3u);
    EXPECT_EQ(t->LineLength, 4u);
    // Target column 1: the mean of source columns 0 and 1; column 3: source column 1 alone.
    EXPECT_EQ(t->ContribRow[1].Left, 0);
    EXPECT_EQ(t->ContribRow[1].Right, 1);
    EXPECT_DOUBLE_EQ(t->ContribRow[1].Weights[0], 0.5);
    EXPECT_DOUBLE_EQ(t->ContribRow[1].Weights[1], 0.5);
    EXPECT_EQ(t->ContribRow[3].Left, 0);
    EXPECT_EQ(t->ContribRow[3].Right, 1);
    EXPECT_EQ(t->ContribRow[3].Weights[0], 0.0);
    EXPECT_EQ(t->ContribRow[3].Weights[1], 1.0);
    _FreeContribs(t);

    // One grey row 10, 21 becomes 10, 16 (15.5 rounded up), 21, 21.
    std::vector<uint8_t> row = {10, 10, 10, 21, 21, 21};
    auto out = Resize(row, 2, 1, 4, 1, 24);
    ASSERT_NE(out, nullptr);
    const uint8_t expected[4] = {10, 16, 21, 21};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(out[i * 3 + c], expected[i]) << i;
}

TEST(ResampleTest, HalvingFourColumnsToTwo) {
    LineContribType* t = _CalcContribs(2, 4, 0.5);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->WindowSize, 5u);
    const auto& first = t->ContribRow[0];
    EXPECT_EQ(first.Left, 0);
    EXPECT_EQ(first.Right, 2);
    EXPECT_DOUBLE_EQ(first.Weights[0], 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(first.Weights[1], 1.0 / 3.0);
    EXPECT_EQ(first.Weights[2], 0.0);
    const auto& second = t->ContribRow[1];
    EXPECT_EQ(second.Left, 0);
    EXPECT_EQ(second.Right, 3);
    EXPECT_DOUBLE_EQ(second.Weights[1], 0.25);
    EXPECT_DOUBLE_EQ(second.Weights[2], 0.5);
    EXPECT_DOUBLE_EQ(second.Weights[3], 0.25);
    _FreeContribs(t);

    std::vector<uint8_t> row;
    for (uint8_t v : {30, 90, 0, 200})
        for (int c = 0; c < 4; ++c)
            row.push_back(v);
    auto out = Resize(row, 4, 1, 2, 1, 32);
    ASSERT_NE(out, nullptr);
    // 30 × 2/3 + 90 × 1/3 = 50; 90/4 + 0/2 + 200/4 = 72.5 → 73. Alpha is filtered alike.
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(out[c], 50);
        EXPECT_EQ(out[4 + c], 73);
    }
}

TEST(ResampleTest, RefusesEqualZeroNegativeAndHugeSizes) {
    std::vector<uint8_t> px(4 * 4 * 3, 7);
    EXPECT_EQ(Resize(px, 4, 4, 4, 4, 24), nullptr);
    EXPECT_EQ(Resize(px, 4, 4, 0, 4, 24), nullptr);
    EXPECT_EQ(Resize(px, 4, 4, 4, 0, 24), nullptr);
    EXPECT_EQ(Resize(px, 4, 4, -2, 3, 24), nullptr);
    EXPECT_EQ(Resize(px, 0, 4, 2, 2, 24), nullptr);
    EXPECT_EQ(BK_ResizeImageBilinear(nullptr, Size(4, 4), Size(2, 2), 24), nullptr);
    // 32767 × 32767 × 4 bytes is past the cap: refused without an attempt.
    EXPECT_EQ(Resize(px, 4, 4, 32767, 32767, 32), nullptr);
    uint8_t out[12];
    EXPECT_FALSE(BK_ResizeImageInto(px.data(), 4, 4, 4, 4, 24, out));
    EXPECT_EQ(_CalcContribs(0, 4, 0.0), nullptr);
}

TEST(ResampleTest, AnImpulseGivesTheTentsOwnWeights) {
    // Up and down, by whole and by odd factors, along both passes at both depths.
    const int sizes[][2] = {{7, 16}, {16, 7}, {12, 4}, {10, 25}, {33, 10}, {5, 2}, {3, 11}};
    for (const Line& line : kLines)
        for (const auto& size : sizes) {
            const int m = size[0], n = size[1];
            for (int p = 0; p < m; ++p) {
                std::vector<uint8_t> samples(size_t(m), 0);
                samples[size_t(p)] = 240;
                auto out = ResizeLine(line, samples, n);
                for (int i = 0; i < n; ++i) {
                    const double expected = 240.0 * TentWeights(i, n, m)[size_t(p)];
                    ASSERT_NEAR(out[size_t(i)], expected, 0.5 + 1e-9)
                        << m << " -> " << n << ", impulse at " << p << ", target " << i
                        << (line.alongX ? " across" : " down") << " at " << line.channels;
                }
            }
        }
}

TEST(ResampleTest, ARampStaysARampInside) {
    // Enlarging interpolates linearly at any factor; shrinking by a whole factor centres a
    // symmetric tent on a sample. Both give back the ramp wherever the tent lies inside it.
    const int sizes[][2] = {{7, 16}, {10, 25}, {3, 11}, {40, 41}, {12, 4}, {30, 10}, {24, 12}};
    for (const Line& line : kLines)
        for (const auto& size : sizes) {
            const int m = size[0], n = size[1];
            const int step = 200 / (m - 1);
            std::vector<uint8_t> samples(static_cast<size_t>(m));
            for (int j = 0; j < m; ++j)
                samples[size_t(j)] = uint8_t(j * step);
            auto out = ResizeLine(line, samples, n);
            const double reach = n < m ? double(m) / n : 1.0;
            int inside = 0;
            for (int i = 0; i < n; ++i) {
                const double centre = double(i) * m / n;
                if (centre - reach <= -1.0 || centre + reach >= m)
                    continue;
                ++inside;
                ASSERT_NEAR(out[size_t(i)], centre * step, 0.5 + 1e-9)
                    << m << " -> " << n << ", target " << i << (line.alongX ? " across" : " down")
                    << " at " << line.channels;
            }
            EXPECT_GT(inside, 0) << m << " -> " << n;
        }
}

TEST(ResampleTest, TablesAreRebuiltAlikeAfterTheCacheTurnsOver) {
    // More distinct line lengths than the cache keeps, visited twice.
    auto src = Random(40 * 30 * 3, 99);
    std::vector<std::vector<uint8_t>> first;
    for (int round = 0; round < 2; ++round)
        for (int t = 5; t < 20; ++t) {
            auto out = Resize(src, 40, 30, t * 3, t * 2, 24);
            ASSERT_NE(out, nullptr);
            std::vector<uint8_t> bytes(out.get(), out.get() + size_t(t * 3) * t * 2 * 3);
            if (round == 0)
                first.push_back(bytes);
            else
                ASSERT_EQ(bytes, first[size_t(t - 5)]) << t;
        }
}

TEST(ResampleTest, FlatPicturesStayFlat) {
    const int sizes[][4] = {{23, 17, 61, 5}, {61, 5, 23, 17}, {640, 480, 352, 288}, {9, 9, 4, 30}};
    for (const auto& k : sizes)
        for (uint16_t bpp : {24, 32})
            for (uint8_t level : {0, 1, 127, 254, 255}) {
                std::vector<uint8_t> src(size_t(k[0]) * k[1] * bpp / 8, level);
                auto out = Resize(src, k[0], k[1], k[2], k[3], bpp);
                ASSERT_NE(out, nullptr);
                for (size_t i = 0; i < size_t(k[2]) * k[3] * bpp / 8; ++i)
                    ASSERT_EQ(out[i], level) << k[0] << "x" << k[1] << " at " << bpp;
            }
}

TEST(ResampleTest, VectorCodeGivesThePlainLoopsBytes) {
    // Down and up by whole and odd factors (17 to 8 makes sums whose bytes change with the
    // order of their terms), single pixels, row counts that are not a multiple of four, a line
    // resampled in blocks, and rows too long to widen.
    const int sizes[][4] = {{640, 480, 320, 240}, {37, 23, 101, 9}, {101, 9, 37, 23},
                            {1, 1, 5, 3},         {5, 3, 1, 1},     {13, 7, 1, 7},
                            {1, 6, 9, 1},         {17, 9, 8, 18},   {2000, 5, 9000, 3},
                            {6000, 3, 2999, 2}};
    for (uint32_t channels : {1u, 3u, 4u})
        for (const auto& k : sizes) {
            const auto src = Random(size_t(k[0]) * k[1] * channels, unsigned(k[0] + channels));
            std::vector<uint8_t> plain(size_t(k[2]) * k[3] * channels), out(plain.size());
            ASSERT_TRUE(BK_ResizeUseKernels(BK_ResizeKernels::Plain));
            ASSERT_TRUE(
                BK_ResizeChannelsInto(src.data(), k[0], k[1], k[2], k[3], channels, plain.data()));
            for (BK_ResizeKernels kernels : {BK_ResizeKernels::Sse2, BK_ResizeKernels::Avx2}) {
                if (!BK_ResizeUseKernels(kernels))
                    continue; // not on this processor
                ASSERT_TRUE(BK_ResizeChannelsInto(src.data(), k[0], k[1], k[2], k[3], channels,
                                                  out.data()));
                ASSERT_EQ(out, plain) << k[0] << "x" << k[1] << " -> " << k[2] << "x" << k[3]
                                      << " at " << channels << " by " << int(kernels);
            }
        }
    ASSERT_TRUE(BK_ResizeUseKernels(BK_ResizeKernels::Avx2) ||
                BK_ResizeUseKernels(BK_ResizeKernels::Sse2));
}

TEST(ResampleTest, AHugeShrinkHoldsLittleMoreThanItsSourceAndKeepsNothing) {
    STRAVEL_REQUIRE(AllocationMeter::Available(),
                    "allocations are counted only under AddressSanitizer");
    // One row of two million pixels to one pixel: the single target sample reads them all.
    const int32_t width = 2000000;
    std::vector<uint8_t> src(size_t(width) * 3, 90);
    uint8_t out[3] = {};
    size_t peak, held;
    {
        AllocationMeter meter;
        ASSERT_TRUE(BK_ResizeImageInto(src.data(), width, 1, 1, 1, 24, out));
        peak = meter.Peak();
        held = meter.Held();
    }
    EXPECT_EQ(out[0], 90);
    EXPECT_LT(peak, 3 * src.size());
    EXPECT_LT(held, size_t(1) << 20);
    // The same along columns (a length of its own, so that no table is shared).
    {
        AllocationMeter meter;
        ASSERT_TRUE(BK_ResizeImageInto(src.data(), 1, width - 1, 1, 1, 24, out));
        EXPECT_LT(meter.Peak(), 3 * src.size());
        EXPECT_LT(meter.Held(), size_t(1) << 20);
    }
    EXPECT_EQ(out[2], 90);
}

TEST(ResampleTest, ALargeWorkingPictureServesItsSizeUntilAnotherComes) {
    STRAVEL_REQUIRE(AllocationMeter::Available(),
                    "allocations are counted only under AddressSanitizer");
    // Rows enlarged and columns halved through a 17 MiB working picture, beyond a frame's;
    // one byte a pixel (the mask form) keeps the work small.
    const int32_t sw = 64, sh = 2100, tw = 8100, th = 1050;
    const size_t working = size_t(tw) * sh;
    const std::vector<uint8_t> src = Random(size_t(sw) * sh, 5);
    std::vector<uint8_t> out(size_t(tw) * th), first(out.size());
    const uint8_t small[4] = {1, 2, 3, 4};
    uint8_t tiny[9];
    BK_ResizeReleaseMemory(); // nothing from earlier tests
    ASSERT_TRUE(BK_ResizeChannelsInto(small, 2, 2, 3, 3, 1, tiny)); // the thread's cache exists
    AllocationMeter meter;
    for (int call = 0; call < 2; ++call) {
        ASSERT_TRUE(BK_ResizeChannelsInto(src.data(), sw, sh, tw, th, 1, out.data()));
        EXPECT_GE(meter.Held(), working) << "kept for the next call of its size";
        EXPECT_LT(meter.Peak(), working + (working >> 2)) << "and used again, not doubled";
        if (call == 0)
            std::copy(out.begin(), out.end(), first.begin());
    }
    EXPECT_EQ(out, first);
    // A call of another size lets it go; so does a request.
    ASSERT_TRUE(BK_ResizeChannelsInto(small, 2, 2, 3, 3, 1, tiny));
    EXPECT_LT(meter.Held(), size_t(1) << 20);
    ASSERT_TRUE(BK_ResizeChannelsInto(src.data(), sw, sh, tw, th, 1, out.data()));
    EXPECT_GE(meter.Held(), working);
    BK_ResizeReleaseMemory();
    EXPECT_EQ(meter.Held(), 0u);
    EXPECT_EQ(out, first);
}

TEST(ResampleTest, AHugeEnlargementHoldsLittleBeyondItsOutput) {
    STRAVEL_REQUIRE(AllocationMeter::Available(),
                    "allocations are counted only under AddressSanitizer");
    // Two pixels to a line of two million, along rows and along columns: the weights of every
    // target sample would take several times the output.
    const uint8_t src[6] = {10, 20, 30, 210, 220, 230};
    const int32_t length = 2000000;
    std::vector<uint8_t> out(size_t(length) * 3);
    for (bool alongX : {true, false}) {
        AllocationMeter meter;
        ASSERT_TRUE(BK_ResizeImageInto(src, alongX ? 2 : 1, alongX ? 1 : 2, alongX ? length : 1,
                                       alongX ? 1 : length, 24, out.data()));
        EXPECT_LT(meter.Peak(), size_t(1) << 20) << alongX;
        // Source sample 1 sits at target 1000000; halfway to it, the mean.
        EXPECT_EQ(out[500000 * 3], 110);
        EXPECT_EQ(out[size_t(length - 1) * 3 + 2], 230);
    }
}

} // namespace
