#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "media/image/resample.h"

namespace {

using bk_imageresize::_CalcContribs;
using bk_imageresize::_FreeContribs;
using bk_imageresize::LineContribType;

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

// The two passes written out the plain way: every weight of the window, target sample by
// target sample, the vertical pass column by column.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& src, int sw, int sh, int tw, int th,
                               int channels) {
    std::vector<uint8_t> middle(size_t(tw) * sh * channels);
    if (tw == sw) {
        middle = src;
    } else {
        LineContribType* t = _CalcContribs(tw, sw, double(tw) / double(sw));
        for (int y = 0; y < sh; ++y)
            for (int i = 0; i < tw; ++i)
                for (int c = 0; c < channels; ++c) {
                    const auto& row = t->ContribRow[i];
                    double sum = 0.0;
                    for (int j = row.Left; j <= row.Right; ++j)
                        sum += row.Weights[j - row.Left] * src[(size_t(y) * sw + j) * channels + c];
                    middle[(size_t(y) * tw + i) * channels + c] = uint8_t(sum + 0.5);
                }
        _FreeContribs(t);
    }
    if (th == sh)
        return middle;
    std::vector<uint8_t> out(size_t(tw) * th * channels);
    LineContribType* t = _CalcContribs(th, sh, double(th) / double(sh));
    for (int x = 0; x < tw; ++x)
        for (int i = 0; i < th; ++i)
            for (int c = 0; c < channels; ++c) {
                const auto& row = t->ContribRow[i];
                double sum = 0.0;
                for (int j = row.Left; j <= row.Right; ++j)
                    sum += row.Weights[j - row.Left] * middle[(size_t(j) * tw + x) * channels + c];
                out[(size_t(i) * tw + x) * channels + c] = uint8_t(sum + 0.5);
            }
    _FreeContribs(t);
    return out;
}

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

TEST(ResampleTest, MatchesThePlainTwoPassSumsExactly) {
    struct Case {
        int sw, sh, tw, th;
    };
    const Case cases[] = {{640, 480, 320, 240}, {64, 48, 128, 96}, {37, 23, 100, 9},
                          {17, 31, 17, 8},      {9, 13, 30, 13},   {1, 1, 5, 3},
                          {5, 3, 1, 1},         {3, 200, 2, 7},    {101, 7, 303, 21},
                          {640, 480, 352, 288}, {33, 33, 32, 34},  {2, 2, 3, 3}};
    unsigned seed = 1;
    for (const Case& k : cases)
        for (uint16_t bpp : {24, 32}) {
            const int channels = bpp == 24 ? 3 : 4;
            auto src = Random(size_t(k.sw) * k.sh * channels, seed++);
            auto out = Resize(src, k.sw, k.sh, k.tw, k.th, bpp);
            ASSERT_NE(out, nullptr);
            auto expected = Reference(src, k.sw, k.sh, k.tw, k.th, channels);
            ASSERT_EQ(std::memcmp(out.get(), expected.data(), expected.size()), 0)
                << k.sw << "x" << k.sh << " -> " << k.tw << "x" << k.th << " at " << bpp;
        }
}

TEST(ResampleTest, StaysExactWhileTheTableCacheTurnsOver) {
    // More distinct line lengths than the cache keeps, visited twice.
    auto src = Random(40 * 30 * 3, 99);
    for (int round = 0; round < 2; ++round)
        for (int t = 5; t < 20; ++t) {
            auto out = Resize(src, 40, 30, t * 3, t * 2, 24);
            ASSERT_NE(out, nullptr);
            auto expected = Reference(src, 40, 30, t * 3, t * 2, 3);
            ASSERT_EQ(std::memcmp(out.get(), expected.data(), expected.size()), 0) << t;
        }
}

TEST(ResampleTest, FlatPicturesStayFlat) {
    for (uint8_t level : {0, 1, 127, 254, 255}) {
        std::vector<uint8_t> src(23 * 17 * 3, level);
        auto out = Resize(src, 23, 17, 61, 5, 24);
        ASSERT_NE(out, nullptr);
        for (size_t i = 0; i < size_t(61 * 5 * 3); ++i)
            ASSERT_EQ(out[i], level);
    }
}

} // namespace
