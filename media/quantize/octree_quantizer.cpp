#include "media/quantize/octree_quantizer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "media/image/image_size.h"

namespace {

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
constexpr std::size_t kChunk = 4096;

KNode* FirstChild(const KNode* node) {
    for (KNode* c : node->child)
        if (c)
            return c;
    return nullptr;
}

} // namespace

void KNode::PickLeaves(BK_RGBQUAD* palette, uint64_t* counts, int32_t n, int32_t& index) const {
    if (leaf) {
        if (index >= n || count == 0)
            return;
        uint8_t bytes[3];
        for (int k = 0; k < 3; ++k)
            bytes[k] = uint8_t((count / 2 + sum[k]) / count);
        palette[index].rgbBlue = bytes[0];
        palette[index].rgbGreen = bytes[1];
        palette[index].rgbRed = bytes[2];
        palette[index].rgbReserved = 0;
        counts[index] = count;
        ++index;
        return;
    }
    for (const KNode* c : child)
        if (c)
            c->PickLeaves(palette, counts, n, index);
}

void KNode::RemoveAll(KOctree& tree) {
    // Eight levels at most: recursion is shallow.
    for (KNode*& c : child)
        if (c) {
            c->RemoveAll(tree);
            tree.FreeNode(c);
            c = nullptr;
        }
}

KOctree::KOctree(uint32_t maxNodes) : _maxNodes(maxNodes) {
    _root = NewNode(false);
}

KOctree::~KOctree() = default;

KNode* KOctree::NewNode(bool leaf) {
    if (_free.empty()) {
        std::unique_ptr<KNode[]> chunk(new (std::nothrow) KNode[kChunk]);
        if (!chunk)
            return nullptr;
        try {
            // Room for every node of every chunk, so that freeing never allocates.
            _free.reserve((_chunks.size() + 1) * kChunk);
            _chunks.push_back(std::move(chunk));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        KNode* nodes = _chunks.back().get();
        for (std::size_t i = kChunk; i-- > 0;)
            _free.push_back(&nodes[i]);
    }
    KNode* node = _free.back();
    _free.pop_back();
    *node = KNode{};
    node->leaf = leaf;
    node->minLeaf = kNever;
    ++_nodes;
    if (leaf)
        ++_leaves;
    return node;
}

void KOctree::FreeNode(KNode* node) {
    --_nodes;
    if (node->leaf)
        --_leaves;
    _free.push_back(node); // room was reserved when the node's chunk was made
}

bool KOctree::AddColor(uint8_t c0, uint8_t c1, uint8_t c2) {
    if (!_root)
        return false;
    KNode* path[9];
    int depth = 0;
    bool newLeaf = false;
    KNode* node = _root;
    for (unsigned mask = 128;; mask >>= 1) {
        path[depth++] = node;
        ++node->count;
        node->sum[0] += c0;
        node->sum[1] += c1;
        node->sum[2] += c2;
        if (node->leaf || mask == 0)
            break;
        const int index = ((c0 & mask) ? 4 : 0) | ((c1 & mask) ? 2 : 0) | ((c2 & mask) ? 1 : 0);
        if (!node->child[index]) {
            KNode* made = NewNode(mask == 2);
            if (!made)
                return false;
            node->child[index] = made;
            newLeaf = newLeaf || made->leaf;
        }
        node = node->child[index];
    }
    // A grown leaf leaves the bounds above it low enough; a new one, of count 1, lowers them.
    if (newLeaf)
        for (int i = 0; i + 1 < depth; ++i)
            path[i]->minLeaf = 1;
    PruneUntil(_maxNodes, true);
    return true;
}

void KOctree::PruneUntil(uint64_t limit, bool byNodes) {
    // A pass that changes nothing is followed by the first threshold at which one could (the
    // smallest leaf count), which gives the same tree as trying every threshold in between.
    uint64_t t = 1;
    while ((byNodes ? _nodes : _leaves) > limit) {
        if (Reduce(_root, t)) {
            ++t;
            continue;
        }
        if (_root->leaf || _root->minLeaf == kNever)
            break;
        t = std::max(t + 1, _root->minLeaf);
    }
}

// Every change of a pass starts at a leaf whose count is at most the threshold: counts only
// grow during a pass, so a subtree without such a leaf is left as it is and need not be
// visited. The visited nodes are handled in the same order as a full walk would handle them.
bool KOctree::Reduce(KNode* node, uint64_t threshold) {
    bool changed = false;
    bool allLeaves = true;
    for (KNode* c : node->child)
        if (c && !c->leaf) {
            if (c->minLeaf <= threshold)
                changed = Reduce(c, threshold) || changed;
            allLeaves = allLeaves && c->leaf;
        }
    if (allLeaves && node->count <= threshold && !node->leaf) {
        node->RemoveAll(*this);
        node->leaf = true;
        ++_leaves;
        return true;
    }
    bool any = false;
    uint64_t smallest = kNever;
    for (KNode*& c : node->child) {
        if (c && c->leaf && c->count <= threshold) {
            const KNode removed = *c;
            FreeNode(c);
            c = nullptr;
            Merge(node, removed);
            changed = true;
        }
        any = any || c;
    }
    for (const KNode* c : node->child)
        if (c)
            smallest = std::min(smallest, c->leaf ? c->count : c->minLeaf);
    node->minLeaf = smallest;
    // A node whose last child went keeps that colour as a leaf of its own.
    if (!any && !node->leaf) {
        node->leaf = true;
        ++_leaves;
        changed = true;
    }
    return changed;
}

void KOctree::Merge(KNode* node, const KNode& source) {
    for (KNode* target = FirstChild(node); target; target = FirstChild(target)) {
        target->count += source.count;
        for (int k = 0; k < 3; ++k)
            target->sum[k] += source.sum[k];
        if (target->leaf)
            break;
    }
}

void KOctree::ReduceLeaves(int32_t n) {
    PruneUntil(uint64_t(std::max(n, 0)), false);
}

int32_t KOctree::GenPalette(BK_RGBQUAD* palette, uint64_t* counts, int32_t n) {
    ReduceLeaves(n);
    int32_t index = 0;
    if (_root)
        _root->PickLeaves(palette, counts, n, index);
    return index;
}

uint8_t KColorMatch::ColorMatch(int32_t c0, int32_t c1, int32_t c2) const {
    c0 = std::clamp(c0, 0, 255);
    c1 = std::clamp(c1, 0, 255);
    c2 = std::clamp(c2, 0, 255);
    int32_t best = 0x7FFFFFFF;
    int32_t found = 0;
    for (int32_t i = 0; i < _count; ++i) {
        const BK_RGBQUAD& e = _palette[i];
        int32_t d = (e.rgbBlue - c0) * (e.rgbBlue - c0);
        if (d > best)
            continue;
        d += (e.rgbGreen - c1) * (e.rgbGreen - c1);
        if (d > best)
            continue;
        d += (e.rgbRed - c2) * (e.rgbRed - c2);
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return uint8_t(found);
}

namespace {

// The palette entries that can be nearest to some colour of a cube of 8 × 8 × 8 colours:
// those whose least distance to the cube is no more than the least, over all entries, of the
// greatest distance. Any other entry is strictly farther from every colour of the cube than
// that one, so searching the candidates in palette order finds what a search of the whole
// palette finds, ties included.
class CandidateGrid {
public:
    explicit CandidateGrid(const BK_RGBQUAD* palette, int32_t count)
        : _palette(palette), _count(count), _first(kCells, -1), _size(kCells, 0) {}

    uint8_t Find(int32_t c0, int32_t c1, int32_t c2) {
        const int32_t cell = (c0 >> 3) << 10 | (c1 >> 3) << 5 | (c2 >> 3);
        if (_first[size_t(cell)] < 0)
            Build(cell);
        const uint8_t* list = _candidates.data() + _first[size_t(cell)];
        int32_t best = 0x7FFFFFFF;
        uint8_t found = list[0];
        for (int32_t k = 0; k < _size[size_t(cell)]; ++k) {
            const BK_RGBQUAD& e = _palette[list[k]];
            const int32_t d = (e.rgbBlue - c0) * (e.rgbBlue - c0) +
                              (e.rgbGreen - c1) * (e.rgbGreen - c1) +
                              (e.rgbRed - c2) * (e.rgbRed - c2);
            if (d < best) {
                best = d;
                found = list[k];
            }
        }
        return found;
    }

private:
    static constexpr size_t kCells = 32 * 32 * 32;

    static int32_t Near(int32_t v, int32_t lo) {
        const int32_t d = v < lo ? lo - v : (v > lo + 7 ? v - lo - 7 : 0);
        return d * d;
    }
    static int32_t Far(int32_t v, int32_t lo) {
        const int32_t d = std::max(std::abs(v - lo), std::abs(v - lo - 7));
        return d * d;
    }

    void Build(int32_t cell) {
        const int32_t lo0 = (cell >> 10) << 3, lo1 = ((cell >> 5) & 31) << 3,
                      lo2 = (cell & 31) << 3;
        int32_t bound = 0x7FFFFFFF;
        for (int32_t i = 0; i < _count; ++i) {
            const BK_RGBQUAD& e = _palette[i];
            bound =
                std::min(bound, Far(e.rgbBlue, lo0) + Far(e.rgbGreen, lo1) + Far(e.rgbRed, lo2));
        }
        _first[size_t(cell)] = int32_t(_candidates.size());
        for (int32_t i = 0; i < _count; ++i) {
            const BK_RGBQUAD& e = _palette[i];
            if (Near(e.rgbBlue, lo0) + Near(e.rgbGreen, lo1) + Near(e.rgbRed, lo2) <= bound)
                _candidates.push_back(uint8_t(i));
        }
        _size[size_t(cell)] = int32_t(_candidates.size()) - _first[size_t(cell)];
    }

    const BK_RGBQUAD* _palette;
    int32_t _count;
    std::vector<int32_t> _first;
    std::vector<int32_t> _size;
    std::vector<uint8_t> _candidates;
};

// The nearest entry of every distinct colour, found once.
class MatchMemo {
public:
    MatchMemo(CandidateGrid& grid, std::size_t pixels) : _grid(grid) {
        const std::size_t distinct = std::min<std::size_t>(pixels, std::size_t(1) << 24);
        std::size_t capacity = 1024;
        _shift = 64 - 10;
        while (capacity < distinct * 2) {
            capacity *= 2;
            --_shift;
        }
        _mask = capacity - 1;
        _keys.assign(capacity, kEmpty);
        _values.resize(capacity);
    }

    uint8_t Find(uint32_t colour) {
        std::size_t slot = std::size_t((uint64_t(colour) * 0x9E3779B97F4A7C15ull) >> _shift);
        for (;; slot = (slot + 1) & _mask) {
            if (_keys[slot] == colour)
                return _values[slot];
            if (_keys[slot] == kEmpty)
                break;
        }
        const uint8_t index = _grid.Find(int32_t(colour & 0xFF), int32_t((colour >> 8) & 0xFF),
                                         int32_t(colour >> 16));
        _keys[slot] = colour;
        _values[slot] = index;
        return index;
    }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    CandidateGrid& _grid;
    std::size_t _mask;
    unsigned _shift;
    std::vector<uint32_t> _keys;
    std::vector<uint8_t> _values;
};

} // namespace

uint8_t* BK_QuantizeImage(const uint8_t* pixels, int32_t width, int32_t height, uint16_t,
                          int32_t wantedColours, BK_RGBQUAD* palette, int32_t* colourCount) {
    std::size_t bytes;
    if (!pixels || !palette || !colourCount || width <= 0 || height <= 0 || wantedColours < 1 ||
        !BK_ImageByteSize(width, height, 3, bytes))
        return nullptr;
    // An index is one byte.
    const int32_t wanted = std::min(wantedColours, 256);
    const std::size_t count = bytes / 3;
    try {
        KOctree tree;
        for (std::size_t i = 0; i < count; ++i) {
            const uint8_t* p = pixels + i * 3;
            if (!tree.AddColor(p[2], p[1], p[0]))
                return nullptr;
        }
        std::vector<uint64_t> counts(std::size_t(wanted), 0);
        const int32_t colours = tree.GenPalette(palette, counts.data(), wanted);
        *colourCount = colours;

        std::unique_ptr<uint8_t[]> indexes(new (std::nothrow) uint8_t[count]);
        if (!indexes)
            return nullptr;
        if (colours < 1)
            return nullptr;
        CandidateGrid grid(palette, colours);
        MatchMemo memo(grid, count);
        for (std::size_t i = 0; i < count; ++i) {
            const uint8_t* p = pixels + i * 3;
            // Blue in the low byte, as entry byte 0 is blue.
            indexes[i] = memo.Find(uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16));
        }
        return indexes.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
