// Octree colour quantisation: a picture's colours reduced to a palette, each pixel mapped to
// its nearest entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/quantize/rgb_quad.h"

class KOctree;

// One node of the colour tree. Sums are 64-bit, so pictures of any size cannot wrap them.
struct KNode {
    bool leaf = false;
    KNode* child[8] = {};
    uint64_t count = 0;
    uint64_t sum[3] = {};
    // Never above the smallest leaf count below this node, so that a pruning pass can pass
    // over subtrees that it would leave as they are.
    uint64_t minLeaf = 0;

    // Depth first, in child order: each leaf gives one entry (its mean colour, rounded) while
    // entries remain; `index` counts the entries written.
    void PickLeaves(BK_RGBQUAD* palette, uint64_t* counts, int32_t n, int32_t& index) const;
    // Returns the node's whole subtree to the tree.
    void RemoveAll(KOctree& tree);
};

class KOctree {
public:
    static constexpr uint32_t kMaxNodes = 0x10000;

    // maxNodes other than kMaxNodes serves tests that make the tree prune early.
    explicit KOctree(uint32_t maxNodes = kMaxNodes);
    ~KOctree();
    KOctree(const KOctree&) = delete;
    KOctree& operator=(const KOctree&) = delete;

    // Adds one colour sample (components in the order kept in the sums), then prunes while
    // the tree has more than kMaxNodes nodes. False when no memory was to be had.
    bool AddColor(uint8_t c0, uint8_t c1, uint8_t c2);
    // One pruning pass below `node` for the threshold t; true when anything changed.
    bool Reduce(KNode* node, uint64_t threshold);
    // Prunes with thresholds 1, 2, 3 ... while more than n leaves remain.
    void ReduceLeaves(int32_t n);
    // Adds the source's count and sums down the path of first children below `node`.
    void Merge(KNode* node, const KNode& source);
    // At most n entries from the leaves; the number written.
    int32_t GenPalette(BK_RGBQUAD* palette, uint64_t* counts, int32_t n);

    uint32_t GetNodeCount() const { return _nodes; }
    uint32_t GetLeafCount() const { return _leaves; }
    const KNode* GetRoot() const { return _root; }

    KNode* NewNode(bool leaf);
    void FreeNode(KNode* node);

private:
    void PruneUntil(uint64_t limit, bool byNodes);

    uint32_t _maxNodes;
    KNode* _root = nullptr;
    uint32_t _nodes = 0;
    uint32_t _leaves = 0;
    std::vector<std::unique_ptr<KNode[]>> _chunks;
    std::vector<KNode*> _free;
};

// The nearest palette entry by squared distance, the earliest on ties.
class KColorMatch {
public:
    KColorMatch(const BK_RGBQUAD* palette, int32_t count) : _palette(palette), _count(count) {}
    // c0 is compared with entry byte 0, c1 with byte 1, c2 with byte 2.
    uint8_t ColorMatch(int32_t c0, int32_t c1, int32_t c2) const;

private:
    const BK_RGBQUAD* _palette;
    int32_t _count;
};

// Reduces width × height packed three-byte pixels to at most `wantedColours` (1 to 256)
// colours: fills the palette (room for wantedColours entries; bytes blue, green, red, 0 from
// red-green-blue pixels) and the colour count, and returns a new array (delete[] by the
// caller) of one palette index per pixel. Null for missing pixels, an empty picture or a
// colour count below 1. The depth argument is not consulted.
uint8_t* BK_QuantizeImage(const uint8_t* pixels, int32_t width, int32_t height,
                          uint16_t bitsPerPixel, int32_t wantedColours, BK_RGBQUAD* palette,
                          int32_t* colourCount);
