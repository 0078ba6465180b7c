// CBK_Despeckler: the passes of the despeckle filter over one picture, with the working
// memory kept from one picture to the next.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Despeckle passes as described, region by region in reading order, with two shortcuts that
// change no result:
// - Region sizes come from connected components kept across the passes (union-find over
//   same-coloured 4-neighbours, joined again whenever a region is recoloured), so a region
//   at or above the pass's size limit is passed over without walking it twice.
// - A region that was last left as it was (its best neighbour too different, or none) stays
//   so while neither it nor any neighbour has changed, since the tightness only falls from
//   one pass to the next; it is not searched again.
// The neighbour search itself walks row runs over a stack on the heap, in the order of the
// recursion it replaces, since that order decides between candidates of equal error.
class CBK_Despeckler {
public:
    // Takes a picture of width × height pixels of three bytes, kept until the next Reset.
    void Reset(int32_t width, int32_t height, uint8_t* pixels) {
        _w = width;
        _h = height;
        _pixels = pixels;
        _passId = 0;
        const std::size_t n = std::size_t(width) * height;
        _colour.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            _colour[i] = uint32_t(pixels[i * 3]) | uint32_t(pixels[i * 3 + 1]) << 8 |
                         uint32_t(pixels[i * 3 + 2]) << 16;
        _parent.resize(n);
        _size.assign(n, 1);
        _done.assign(n, 0);
        _clean.assign(n, 0);
        _seen.assign(n, 0);
        _visit = 0;
        for (std::size_t i = 0; i < n; ++i)
            _parent[i] = int32_t(i);
        _unsettled = _parent;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t i = y * width + x;
                if (x > 0 && _colour[i - 1] == _colour[i])
                    Unite(i - 1, i);
                if (y > 0 && _colour[i - width] == _colour[i])
                    Unite(i - width, i);
            }
    }

    void Pass(int32_t level, double factor) {
        const int64_t limit = int64_t(1) << std::min(level, 40);
        const double tightness = int32_t(256 / (1 + factor * level));
        ++_passId;
        if (!AnyUnsettledBelow(limit))
            return; // every region is too large or known to stay: the pass changes nothing
        _mask.assign(_colour.size(), kUnvisited);
        for (int32_t y = 0, p = 0; y < _h; ++y)
            for (int32_t x = 0; x < _w; ++x, ++p)
                Visit(x, y, p, limit, tightness);
    }

private:
    enum : uint8_t { kUnvisited = 0, kGathered = 2, kDone = 3 };

    struct Frame {
        int32_t left, right, y, next;
        bool down;
    };

    struct Cell {
        int32_t index, x, y;
    };

    void Visit(int32_t x, int32_t y, int32_t p, int64_t limit, double tightness) {
        {
            if (_mask[p] != kUnvisited)
                return;
            // The left neighbour of the same region was passed over whole just before.
            if (x != 0 && _mask[p - 1] == kUnvisited && _colour[p - 1] == _colour[p])
                return;
            const int32_t root = Find(p);
            if (_done[root] == _passId)
                return;
            if (_size[root] >= limit || _clean[root]) {
                _done[root] = _passId; // as if measured and cleared, or searched and kept
                return;
            }
            const uint32_t colour = _colour[p];
            _hasBest = false;
            _cells.clear();
            FindMostSimilarNeighbor(colour, x, y);
            if (!_hasBest) {
                _clean[root] = 1; // the region stays gathered
                return;
            }
            for (const Cell& cell : _cells)
                _mask[cell.index] = kDone;
            if (Rms(_bestError) > tightness) {
                _clean[root] = 1;
                return;
            }
            Recolour(root, colour, _bestColour, tightness);
        }
    }

    // Keeps the list of regions that are neither known to stay nor searched yet, and tells
    // whether one of them is below the size limit.
    bool AnyUnsettledBelow(int64_t limit) {
        ++_visit;
        std::size_t kept = 0;
        bool below = false;
        for (int32_t r : _unsettled) {
            r = Find(r);
            if (_clean[r] || _seen[r] == _visit)
                continue;
            _seen[r] = _visit;
            _unsettled[kept++] = r;
            below = below || _size[r] < limit;
        }
        _unsettled.resize(kept);
        return below;
    }

    int32_t Find(int32_t i) {
        while (_parent[i] != i) {
            _parent[i] = _parent[_parent[i]];
            i = _parent[i];
        }
        return i;
    }

    int32_t Unite(int32_t a, int32_t b) {
        a = Find(a);
        b = Find(b);
        if (a == b)
            return a;
        if (_size[a] < _size[b])
            std::swap(a, b);
        _parent[b] = a;
        _size[a] += _size[b];
        return a;
    }

    static int32_t SquaredError(uint32_t a, uint32_t b) {
        int32_t error = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t d = int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF);
            error += d * d;
        }
        return error;
    }
    // The root-mean-square difference per byte.
    static double Rms(int32_t squaredError) { return std::sqrt(squaredError / 3.0); }
    static double Rms(uint32_t a, uint32_t b) { return Rms(SquaredError(a, b)); }

    void Candidate(uint32_t colour, int32_t i) {
        const uint32_t other = _colour[i];
        const int32_t error = SquaredError(colour, other);
        if (!_hasBest || error < _bestError) {
            _hasBest = true;
            _bestError = error;
            _bestColour = other;
        }
    }

    // From (x, y): a cell of another colour is a candidate; a cell of the colour extends to
    // its run, whose outer neighbours are candidates, is gathered, and leads on to the cells
    // above and below each of its cells in turn.
    void FindMostSimilarNeighbor(uint32_t colour, int32_t x, int32_t y) {
        auto enter = [&](int32_t cx, int32_t cy) {
            if (cy < 0 || cy >= _h)
                return;
            const int32_t i = cy * _w + cx;
            if (_mask[i] == kGathered)
                return;
            if (_colour[i] != colour) {
                Candidate(colour, i);
                return;
            }
            const uint32_t* row = _colour.data() + std::size_t(cy) * _w;
            int32_t left = cx, right = cx;
            while (left > 0 && row[left - 1] == colour)
                --left;
            while (right + 1 < _w && row[right + 1] == colour)
                ++right;
            if (left > 0)
                Candidate(colour, cy * _w + left - 1);
            if (right + 1 < _w)
                Candidate(colour, cy * _w + right + 1);
            for (int32_t k = left; k <= right; ++k) {
                _mask[cy * _w + k] = kGathered;
                _cells.push_back({cy * _w + k, k, cy});
            }
            _stack.push_back({left, right, cy, left, false});
        };
        _stack.clear();
        enter(x, y);
        while (!_stack.empty()) {
            Frame& frame = _stack.back();
            if (frame.next > frame.right) {
                _stack.pop_back();
                continue;
            }
            const int32_t cx = frame.next;
            int32_t cy = frame.y + 1;
            if (!frame.down) {
                frame.down = true;
                cy = frame.y - 1;
            } else {
                frame.down = false;
                ++frame.next;
            }
            enter(cx, cy); // may move the stack; the frame is not used after this
        }
    }

    // The gathered region takes the colour `to` and joins the regions of that colour beside
    // it; every region beside it must be searched again.
    void Recolour(int32_t root, uint32_t from, uint32_t to, double tightness) {
        ++_visit;
        _joined.clear();
        bool anyPending = false, anyDone = false;
        for (const Cell& c : _cells) {
            const int32_t cell = c.index;
            const int32_t around[4] = {c.x > 0 ? cell - 1 : -1, c.x + 1 < _w ? cell + 1 : -1,
                                       c.y > 0 ? cell - _w : -1, c.y + 1 < _h ? cell + _w : -1};
            for (int32_t q : around) {
                if (q < 0 || _colour[q] == from)
                    continue;
                const int32_t r = Find(q);
                if (_seen[r] == _visit)
                    continue;
                _seen[r] = _visit;
                if (_colour[q] != to) {
                    // A region known to stay keeps staying while its new neighbour's colour is
                    // beyond the tightness too, which only falls from pass to pass.
                    if (_clean[r] && Rms(_colour[q], to) > tightness)
                        continue;
                    _clean[r] = 0;
                    _unsettled.push_back(r);
                    continue;
                }
                _clean[r] = 0;
                _joined.push_back(q);
                (_done[r] == _passId ? anyDone : anyPending) = true;
            }
        }
        // A region passed over whole in this pass has its cells done; when it joins one
        // still to come, only the latter's cells may start the joined region's turn.
        if (anyDone && anyPending)
            for (int32_t q : _joined)
                if (_done[Find(q)] == _passId)
                    MarkDone(q, to);
        for (const Cell& c : _cells) {
            _colour[c.index] = to;
            uint8_t* p = _pixels + std::size_t(c.index) * 3;
            p[0] = uint8_t(to);
            p[1] = uint8_t(to >> 8);
            p[2] = uint8_t(to >> 16);
        }
        int32_t merged = root;
        for (int32_t q : _joined)
            merged = Unite(merged, q);
        _clean[merged] = 0;
        _unsettled.push_back(merged);
        _done[merged] = anyPending ? 0 : _passId;
    }

    // Every cell of the region of `colour` through `start` marked done.
    void MarkDone(int32_t start, uint32_t colour) {
        _flood.clear();
        _flood.push_back(start);
        _mask[start] = kDone;
        while (!_flood.empty()) {
            const int32_t cell = _flood.back();
            _flood.pop_back();
            const int32_t x = cell % _w, y = cell / _w;
            const int32_t around[4] = {x > 0 ? cell - 1 : -1, x + 1 < _w ? cell + 1 : -1,
                                       y > 0 ? cell - _w : -1, y + 1 < _h ? cell + _w : -1};
            for (int32_t q : around)
                if (q >= 0 && _colour[q] == colour && _mask[q] != kDone) {
                    _mask[q] = kDone;
                    _flood.push_back(q);
                }
        }
    }

    int32_t _w = 0, _h = 0;
    uint8_t* _pixels = nullptr;
    std::vector<uint32_t> _colour;
    std::vector<int32_t> _parent;
    std::vector<int32_t> _size;
    std::vector<int32_t> _done;  // per region: the pass that passed over it whole
    std::vector<uint8_t> _clean; // per region: left as it was, nothing beside it changed
    std::vector<int32_t> _seen;
    std::vector<uint8_t> _mask;
    std::vector<Frame> _stack;
    std::vector<Cell> _cells; // the region being searched
    std::vector<int32_t> _joined;
    std::vector<int32_t> _flood;
    std::vector<int32_t> _unsettled; // regions (by any of their cells) still to be searched
    int32_t _passId = 0;
    int32_t _visit = 0;
    bool _hasBest = false;
    int32_t _bestError = 0;
    uint32_t _bestColour = 0;
};
