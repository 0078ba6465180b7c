#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <vector>

#include "media/quantize/octree_quantizer.h"
#include "tests/media/media_test_support.h"

namespace {

struct Result {
    std::unique_ptr<uint8_t[]> indexes;
    std::vector<BK_RGBQUAD> palette;
    int32_t count = -1;
};

Result Quantize(const std::vector<uint8_t>& rgb, int w, int h, int wanted = 256) {
    Result r;
    r.palette.resize(size_t(std::max(wanted, 1)));
    r.indexes.reset(BK_QuantizeImage(rgb.data(), w, h, 24, wanted, r.palette.data(), &r.count));
    return r;
}

// Every entry compared in order, the earliest of the nearest kept.
int BruteNearest(const std::vector<BK_RGBQUAD>& palette, int count, const uint8_t* p) {
    int best = -1, bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const int dr = palette[size_t(i)].rgbRed - p[0];
        const int dg = palette[size_t(i)].rgbGreen - p[1];
        const int db = palette[size_t(i)].rgbBlue - p[2];
        const int d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

uint64_t LeafCountSum(const KNode* node, size_t& leaves) {
    if (node->leaf) {
        ++leaves;
        return node->count;
    }
    uint64_t sum = 0;
    for (const KNode* c : node->child)
        if (c)
            sum += LeafCountSum(c, leaves);
    return sum;
}

TEST(QuantizerTest, OneColourGivesOneExactEntry) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 12; ++i)
        rgb.insert(rgb.end(), {201, 13, 77});
    auto r = Quantize(rgb, 4, 3);
    ASSERT_NE(r.indexes, nullptr);
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(r.palette[0].rgbRed, 201);
    EXPECT_EQ(r.palette[0].rgbGreen, 13);
    EXPECT_EQ(r.palette[0].rgbBlue, 77);
    EXPECT_EQ(r.palette[0].rgbReserved, 0);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(r.indexes[size_t(i)], 0);
}

TEST(QuantizerTest, TwoHundredFiftySixDistinctColoursAreKeptExactly) {
    std::vector<uint8_t> rgb;
    std::set<uint32_t> colours;
    for (int i = 0; i < 256; ++i) {
        // Distinct in the seven high bits of red or green; each appears twice.
        const uint8_t r = uint8_t((i & 15) * 16 + 3), g = uint8_t((i >> 4) * 16 + 1), b = 200;
        colours.insert(uint32_t(r) << 16 | uint32_t(g) << 8 | b);
        for (int k = 0; k < 2; ++k)
            rgb.insert(rgb.end(), {r, g, b});
    }
    auto r = Quantize(rgb, 32, 16);
    ASSERT_NE(r.indexes, nullptr);
    ASSERT_EQ(r.count, 256);
    std::set<uint32_t> entries;
    for (const auto& e : r.palette)
        entries.insert(uint32_t(e.rgbRed) << 16 | uint32_t(e.rgbGreen) << 8 | e.rgbBlue);
    EXPECT_EQ(entries, colours);
    for (size_t i = 0; i < 512; ++i) {
        const BK_RGBQUAD& e = r.palette[r.indexes[i]];
        EXPECT_EQ(e.rgbRed, rgb[i * 3]);
        EXPECT_EQ(e.rgbGreen, rgb[i * 3 + 1]);
    }
}

TEST(QuantizerTest, TiesGoToTheEarliestEntry) {
    BK_RGBQUAD palette[4];
    palette[0].rgbRed = 10;
    palette[1].rgbRed = 30;
    palette[2].rgbRed = 30;
    palette[3].rgbRed = 10;
    KColorMatch match(palette, 4);
    EXPECT_EQ(match.ColorMatch(0, 0, 30), 1);  // exactly entry 1 and 2
    EXPECT_EQ(match.ColorMatch(0, 0, 20), 0);  // halfway between 10 and 30
    EXPECT_EQ(match.ColorMatch(0, 0, -50), 0); // clamped to 0
    EXPECT_EQ(match.ColorMatch(0, 0, 500), 1); // clamped to 255
    KColorMatch none(palette, 0);
    EXPECT_EQ(none.ColorMatch(1, 2, 3), 0);
}

TEST(QuantizerTest, EveryIndexIsTheBruteForceNearestEntry) {
    struct Case {
        int w, h, wanted;
        bool noise;
        unsigned seed;
    };
    const Case cases[] = {{64, 48, 256, false, 1}, {160, 120, 256, true, 2}, {50, 40, 16, true, 3},
                          {31, 17, 7, false, 4},   {300, 300, 256, true, 5}, {8, 8, 256, true, 6}};
    for (const Case& k : cases) {
        auto rgb = k.noise ? mediatest::Noise(k.w, k.h, 3, k.seed)
                           : mediatest::Smooth(k.w, k.h, 3, k.seed);
        auto r = Quantize(rgb, k.w, k.h, k.wanted);
        ASSERT_NE(r.indexes, nullptr);
        ASSERT_GE(r.count, 1);
        ASSERT_LE(r.count, k.wanted);
        for (size_t i = 0; i < size_t(k.w) * size_t(k.h); ++i)
            ASSERT_EQ(r.indexes[i], BruteNearest(r.palette, r.count, &rgb[i * 3]))
                << k.w << "x" << k.h << " pixel " << i;
    }
}

TEST(QuantizerTest, TreeStaysBoundedAndKeepsEverySample) {
    KOctree tree;
    std::mt19937 rng(9);
    const int samples = 200000;
    for (int i = 0; i < samples; ++i) {
        ASSERT_TRUE(tree.AddColor(uint8_t(rng()), uint8_t(rng()), uint8_t(rng())));
        ASSERT_LE(tree.GetNodeCount(), KOctree::kMaxNodes);
    }
    size_t leaves = 0;
    EXPECT_EQ(tree.GetRoot()->count, uint64_t(samples));
    EXPECT_EQ(LeafCountSum(tree.GetRoot(), leaves), uint64_t(samples));
    EXPECT_EQ(leaves, tree.GetLeafCount());
    tree.ReduceLeaves(100);
    leaves = 0;
    EXPECT_EQ(LeafCountSum(tree.GetRoot(), leaves), uint64_t(samples));
    EXPECT_LE(tree.GetLeafCount(), 100u);
    EXPECT_EQ(leaves, tree.GetLeafCount());
}

TEST(QuantizerTest, SumsDoNotWrapAboveSixteenMillionPixels) {
    // 17.3 million white pixels: a 32-bit sum of 255s would wrap and darken the entry.
    const int w = 4160, h = 4160;
    std::vector<uint8_t> rgb(size_t(w) * h * 3, 255);
    rgb[0] = 0; // one black pixel keeps a second colour
    auto r = Quantize(rgb, w, h, 2);
    ASSERT_NE(r.indexes, nullptr);
    ASSERT_EQ(r.count, 2);
    const BK_RGBQUAD& white = r.palette[r.indexes[1]];
    EXPECT_EQ(white.rgbRed, 255);
    EXPECT_EQ(white.rgbGreen, 255);
    EXPECT_EQ(white.rgbBlue, 255);
}

TEST(QuantizerTest, RefusesBadArgumentsAndCapsThePalette) {
    std::vector<uint8_t> rgb = mediatest::Noise(4, 4, 3, 1);
    BK_RGBQUAD palette[300];
    int32_t count = -1;
    EXPECT_EQ(BK_QuantizeImage(nullptr, 4, 4, 24, 256, palette, &count), nullptr);
    EXPECT_EQ(BK_QuantizeImage(rgb.data(), 0, 4, 24, 256, palette, &count), nullptr);
    EXPECT_EQ(BK_QuantizeImage(rgb.data(), 4, -1, 24, 256, palette, &count), nullptr);
    EXPECT_EQ(BK_QuantizeImage(rgb.data(), 4, 4, 24, 0, palette, &count), nullptr);
    EXPECT_EQ(BK_QuantizeImage(rgb.data(), 4, 4, 24, 256, nullptr, &count), nullptr);
    EXPECT_EQ(count, -1);
    auto big = mediatest::Noise(40, 40, 3, 2);
    std::unique_ptr<uint8_t[]> out(BK_QuantizeImage(big.data(), 40, 40, 24, 300, palette, &count));
    ASSERT_NE(out, nullptr);
    EXPECT_LE(count, 256);
}

} // namespace
