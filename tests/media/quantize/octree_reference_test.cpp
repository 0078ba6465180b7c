// The pruning shortcuts of the octree against the plain algorithm: every pass over the whole
// tree, thresholds counted up one by one.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "media/quantize/octree_quantizer.h"
#include "tests/media/media_test_support.h"

namespace {

struct RefNode {
    bool leaf = false;
    std::unique_ptr<RefNode> child[8];
    uint64_t count = 0, sum[3] = {};
};

class RefTree {
public:
    explicit RefTree(uint32_t maxNodes) : _max(maxNodes), _root(std::make_unique<RefNode>()) {}

    void Add(int c0, int c1, int c2) {
        RefNode* node = _root.get();
        for (int mask = 128;; mask >>= 1) {
            ++node->count;
            node->sum[0] += uint64_t(c0);
            node->sum[1] += uint64_t(c1);
            node->sum[2] += uint64_t(c2);
            if (node->leaf)
                break;
            int i = ((c0 & mask) ? 4 : 0) + ((c1 & mask) ? 2 : 0) + ((c2 & mask) ? 1 : 0);
            if (!node->child[i]) {
                node->child[i] = std::make_unique<RefNode>();
                node->child[i]->leaf = mask == 2;
                ++nodes;
                leaves += mask == 2;
            }
            node = node->child[i].get();
        }
        for (uint64_t t = 1; nodes > _max; ++t)
            Reduce(_root.get(), t);
    }

    int Palette(BK_RGBQUAD* palette, int n) {
        for (uint64_t t = 1; leaves > uint32_t(n); ++t)
            Reduce(_root.get(), t);
        int index = 0;
        Pick(_root.get(), palette, n, index);
        return index;
    }

    uint32_t nodes = 1, leaves = 0;

private:
    void Reduce(RefNode* node, uint64_t t) {
        bool allLeaves = true;
        for (auto& c : node->child)
            if (c && !c->leaf) {
                Reduce(c.get(), t);
                allLeaves = allLeaves && c->leaf;
            }
        if (allLeaves && node->count <= t) {
            for (auto& c : node->child)
                if (c) {
                    c.reset();
                    --nodes;
                    --leaves;
                }
            node->leaf = true;
            ++leaves;
            return;
        }
        for (auto& c : node->child)
            if (c && c->leaf && c->count <= t) {
                const uint64_t count = c->count, s0 = c->sum[0], s1 = c->sum[1], s2 = c->sum[2];
                c.reset();
                --nodes;
                --leaves;
                for (RefNode* target = First(node); target; target = First(target)) {
                    target->count += count;
                    target->sum[0] += s0;
                    target->sum[1] += s1;
                    target->sum[2] += s2;
                    if (target->leaf)
                        break;
                }
            }
    }

    static RefNode* First(RefNode* node) {
        for (auto& c : node->child)
            if (c)
                return c.get();
        return nullptr;
    }

    void Pick(const RefNode* node, BK_RGBQUAD* palette, int n, int& index) {
        if (node->leaf) {
            if (index < n) {
                palette[index].rgbBlue = uint8_t((node->count / 2 + node->sum[0]) / node->count);
                palette[index].rgbGreen = uint8_t((node->count / 2 + node->sum[1]) / node->count);
                palette[index].rgbRed = uint8_t((node->count / 2 + node->sum[2]) / node->count);
                ++index;
            }
            return;
        }
        for (auto& c : node->child)
            if (c)
                Pick(c.get(), palette, n, index);
    }

    uint32_t _max;
    std::unique_ptr<RefNode> _root;
};

TEST(OctreeReferenceTest, PruningMatchesThePlainAlgorithmStepByStep) {
    struct Case {
        uint32_t maxNodes;
        int pixels, wanted;
        bool noise;
    };
    const Case cases[] = {{64, 3000, 16, true},
                          {300, 5000, 256, true},
                          {1000, 8000, 64, true},
                          {200, 6000, 32, false},
                          {40, 2000, 8, false}};
    unsigned seed = 1;
    for (const Case& k : cases) {
        auto rgb = k.noise ? mediatest::Noise(k.pixels, 1, 3, seed++)
                           : mediatest::Smooth(k.pixels / 40, 40, 3, seed++);
        KOctree tree(k.maxNodes);
        RefTree ref(k.maxNodes);
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
            ASSERT_TRUE(tree.AddColor(rgb[i + 2], rgb[i + 1], rgb[i]));
            ref.Add(rgb[i + 2], rgb[i + 1], rgb[i]);
            ASSERT_EQ(tree.GetNodeCount(), ref.nodes) << "sample " << i / 3;
            ASSERT_EQ(tree.GetLeafCount(), ref.leaves) << "sample " << i / 3;
        }
        std::vector<BK_RGBQUAD> ours(size_t(k.wanted)), theirs(size_t(k.wanted));
        std::vector<uint64_t> counts(size_t(k.wanted));
        const int n = tree.GenPalette(ours.data(), counts.data(), k.wanted);
        ASSERT_EQ(n, ref.Palette(theirs.data(), k.wanted));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(ours[size_t(i)].rgbRed, theirs[size_t(i)].rgbRed) << i;
            EXPECT_EQ(ours[size_t(i)].rgbGreen, theirs[size_t(i)].rgbGreen) << i;
            EXPECT_EQ(ours[size_t(i)].rgbBlue, theirs[size_t(i)].rgbBlue) << i;
        }
    }
}

} // namespace
