// CBK_Despeckler: the passes of the despeckle filter over one picture, with the working
// memory kept from one picture to the next.
#pragma once

#include <algorithm>
#include <climits>
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
// - Instead of scanning every pixel, a pass visits the first pixels of the regions that may
//   change, in reading order: a region not touched in this pass has been passed exactly when
//   its first pixel lies before the current one.
// The neighbour search itself walks row runs over a stack on the heap, in the order of the
// recursion it replaces, since that order decides between candidates of equal error.
class CBK_Despeckler {
public:
    // Takes a picture of width × height pixels of three bytes, kept until the next Reset.
    void Reset(int32_t width, int32_t height, uint8_t* pixels) {
        _Load(width, height, pixels);
        _Build();
    }

    // Runs the pass of level 1 on the picture, then takes it as Reset does. That pass (size
    // limit 2) searches single pixels alone, which are exactly the pixels whose neighbours
    // all have other colours, and their candidates are the left, right, upper and lower
    // neighbours in that order: it needs no regions, only the colours as they change.
    void ResetWithFirstPass(int32_t width, int32_t height, uint8_t* pixels, double factor) {
        _Load(width, height, pixels);
        const int32_t maxError = MaxError(int32_t(256 / (1 + factor)));
        uint32_t* colours = _colour.data();
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t i = y * width + x;
                const uint32_t colour = colours[i];
                uint32_t result = colour;
                if (y > 0 && y + 1 < height && x > 0 && x + 1 < width) {
                    // Without branches on the colours, which follow no pattern.
                    const uint32_t around[4] = {colours[i - 1], colours[i + 1], colours[i - width],
                                                colours[i + width]};
                    int32_t bestError = INT32_MAX;
                    uint32_t bestColour = colour;
                    bool alone = true;
                    for (const uint32_t other : around) {
                        alone &= other != colour;
                        const int32_t error = SquaredError(colour, other);
                        const bool better = error < bestError;
                        bestError = better ? error : bestError;
                        bestColour = better ? other : bestColour;
                    }
                    result = alone && bestError <= maxError ? bestColour : colour;
                } else {
                    int32_t around[4], n = 0;
                    if (x > 0)
                        around[n++] = i - 1;
                    if (x + 1 < width)
                        around[n++] = i + 1;
                    if (y > 0)
                        around[n++] = i - width;
                    if (y + 1 < height)
                        around[n++] = i + width;
                    int32_t bestError = INT32_MAX;
                    bool alone = n > 0;
                    for (int32_t k = 0; k < n && alone; ++k) {
                        const uint32_t other = colours[around[k]];
                        alone = other != colour;
                        const int32_t error = SquaredError(colour, other);
                        if (error < bestError) {
                            bestError = error;
                            result = other;
                        }
                    }
                    if (!alone || bestError > maxError)
                        result = colour;
                }
                SetColour(i, result);
            }
        _Build();
    }

    void Pass(int32_t level, double factor) {
        const int64_t limit = int64_t(1) << std::min(level, 40);
        _maxError = MaxError(int32_t(256 / (1 + factor * level)));
        ++_passId;
        _events.assign(_colour.size() / 64 + 1, 0);
        bool any = false;
        for (int32_t r : Unsettled())
            if (_size[r] < limit) {
                Schedule(_first[r]);
                any = true;
            }
        if (!any)
            return; // every region is too large or known to stay: the pass changes nothing
        // Turns are only ever scheduled after the current pixel, so one sweep takes them all.
        for (std::size_t word = 0; word < _events.size(); ++word)
            while (_events[word]) {
                const int bit = __builtin_ctzll(_events[word]);
                _events[word] &= _events[word] - 1;
                Visit(int32_t(word * 64 + bit), limit);
            }
    }

private:
    void _Load(int32_t width, int32_t height, uint8_t* pixels) {
        _w = width;
        _h = height;
        _pixels = pixels;
        _passId = 0;
        const std::size_t n = std::size_t(width) * height;
        _colour.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            _colour[i] = uint32_t(pixels[i * 3]) | uint32_t(pixels[i * 3 + 1]) << 8 |
                         uint32_t(pixels[i * 3 + 2]) << 16;
    }

    // Regions and their state for the colours as they stand, every region unsettled.
    void _Build() {
        const int32_t width = _w, height = _h;
        const std::size_t n = _colour.size();
        _parent.resize(n);
        _size.assign(n, 1);
        _first.resize(n);
        _start.assign(n, kNone);
        _joinedPass.assign(n, 0);
        _clean.assign(n, 0);
        _seen.assign(n, 0);
        _gathered.assign(n, 0);
        _search = 0;
        _visit = 0;
        for (std::size_t i = 0; i < n; ++i)
            _parent[i] = int32_t(i);
        _first = _parent;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t i = y * width + x;
                if (x > 0 && _colour[i - 1] == _colour[i])
                    Unite(i - 1, i);
                if (y > 0 && _colour[i - width] == _colour[i])
                    Unite(i - width, i);
            }
        _unsettled.clear();
        for (std::size_t i = 0; i < n; ++i)
            if (_parent[i] == int32_t(i))
                _unsettled.push_back(int32_t(i));
    }

    static constexpr int32_t kNone = INT32_MAX;

    struct Frame {
        int32_t left, right, y, next;
        bool down;
    };

    // Where the region's turn comes in this pass, kNone once it has had it. A region joined
    // in this pass keeps its own; any other has its turn at its first pixel.
    int32_t Start(int32_t root, int32_t position) const {
        if (_joinedPass[root] == _passId)
            return _start[root];
        return _first[root] > position ? _first[root] : kNone;
    }

    void Visit(int32_t p, int64_t limit) {
        const int32_t root = Find(p);
        // Stale: the region was joined since, or had its turn.
        if (_joinedPass[root] == _passId ? _start[root] != p : _first[root] != p)
            return;
        _start[root] = kNone;
        _joinedPass[root] = _passId;
        if (_size[root] >= limit || _clean[root])
            return; // as if measured and cleared, or searched and kept
        const uint32_t colour = _colour[p];
        FindMostSimilarNeighbor(colour, p % _w, p / _w);
        if (!_hasBest) {
            _clean[root] = 1; // the region stays gathered
            return;
        }
        if (_bestError > _maxError) {
            _clean[root] = 1;
            return;
        }
        Recolour(root, colour, _bestColour, p);
    }

    // Regions neither known to stay nor searched yet, each once.
    const std::vector<int32_t>& Unsettled() {
        ++_visit;
        std::size_t kept = 0;
        for (int32_t r : _unsettled) {
            r = Find(r);
            if (_clean[r] || _seen[r] == _visit)
                continue;
            _seen[r] = _visit;
            _unsettled[kept++] = r;
        }
        _unsettled.resize(kept);
        return _unsettled;
    }

    void Schedule(int32_t start) {
        if (start != kNone)
            _events[std::size_t(start) / 64] |= uint64_t(1) << (start % 64);
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
        _first[a] = std::min(_first[a], _first[b]);
        return a;
    }

    void SetColour(int32_t cell, uint32_t colour) {
        _colour[std::size_t(cell)] = colour;
        uint8_t* p = _pixels + std::size_t(cell) * 3;
        p[0] = uint8_t(colour);
        p[1] = uint8_t(colour >> 8);
        p[2] = uint8_t(colour >> 16);
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
    // The largest squared error whose root-mean-square is within the tightness (−1 when
    // none). The root never falls as the error grows, so comparing an error with this
    // decides as comparing its root with the tightness would.
    static int32_t MaxError(double tightness) {
        int32_t within = -1, beyond = 3 * 255 * 255 + 1;
        while (beyond - within > 1) {
            const int32_t middle = within + (beyond - within) / 2;
            (Rms(middle) <= tightness ? within : beyond) = middle;
        }
        return within;
    }

    // From (x, y): a cell of another colour is a candidate; a cell of the colour extends to
    // its run, whose outer neighbours are candidates, is gathered, and leads on to the cells
    // above and below each of its cells in turn. Every candidate is kept as the region's
    // border for Recolour.
    void FindMostSimilarNeighbor(uint32_t colour, int32_t x, int32_t y) {
        const int32_t w = _w, h = _h;
        const uint32_t* colours = _colour.data();
        uint32_t* gathered = _gathered.data();
        const uint32_t stamp = ++_search;
        int32_t bestError = INT32_MAX; // above any error of three bytes
        uint32_t bestColour = 0;
        auto candidate = [&](int32_t i) {
            _border.push_back(i);
            const uint32_t other = colours[i];
            if (other == bestColour && bestError != INT32_MAX)
                return; // as good as the best, and no better
            const int32_t error = SquaredError(colour, other);
            if (error < bestError) {
                bestError = error;
                bestColour = other;
            }
        };
        auto enter = [&](int32_t cx, int32_t cy) {
            if (cy < 0 || cy >= h)
                return;
            const int32_t i = cy * w + cx;
            if (gathered[i] == stamp)
                return;
            if (colours[i] != colour) {
                candidate(i);
                return;
            }
            const uint32_t* row = colours + std::size_t(cy) * w;
            int32_t left = cx, right = cx;
            while (left > 0 && row[left - 1] == colour)
                --left;
            while (right + 1 < w && row[right + 1] == colour)
                ++right;
            if (left > 0)
                candidate(cy * w + left - 1);
            if (right + 1 < w)
                candidate(cy * w + right + 1);
            for (int32_t k = cy * w + left; k <= cy * w + right; ++k) {
                gathered[k] = stamp;
                _cells.push_back(k);
            }
            _stack.push_back({left, right, cy, left, false});
        };
        _stack.clear();
        _cells.clear();
        _border.clear();
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
        _hasBest = !_border.empty();
        _bestError = bestError;
        _bestColour = bestColour;
    }

    // The gathered region takes the colour `to` and joins the regions of that colour beside
    // it; the regions beside it that may now change are searched again, in this pass when
    // their turn is still to come.
    void Recolour(int32_t root, uint32_t from, uint32_t to, int32_t position) {
        ++_visit;
        _joined.clear();
        int32_t start = kNone;
        // The border holds every neighbour of another colour, so every region beside this one.
        for (const int32_t q : _border) {
            const int32_t r = Find(q);
            if (_seen[r] == _visit)
                continue;
            _seen[r] = _visit;
            if (_colour[q] == to) {
                _joined.push_back(q);
                start = std::min(start, Start(r, position));
                continue;
            }
            // A region known to stay keeps staying while its new neighbour's colour is
            // beyond the tightness too, which only falls from pass to pass.
            if (_clean[r] && SquaredError(_colour[q], to) > _maxError)
                continue;
            _clean[r] = 0;
            _unsettled.push_back(r);
            Schedule(Start(r, position));
        }
        (void)from;
        for (const int32_t cell : _cells)
            SetColour(cell, to);
        int32_t merged = root;
        for (int32_t q : _joined)
            merged = Unite(merged, q);
        _clean[merged] = 0;
        _unsettled.push_back(merged);
        _joinedPass[merged] = _passId;
        _start[merged] = start;
        Schedule(start);
    }

    int32_t _w = 0, _h = 0;
    uint8_t* _pixels = nullptr;
    std::vector<uint32_t> _colour;
    std::vector<int32_t> _parent;
    std::vector<int32_t> _size;
    std::vector<int32_t> _first;      // per region: its first pixel in reading order
    std::vector<int32_t> _start;      // per region joined in this pass: see Start
    std::vector<int32_t> _joinedPass; // per region: the pass that joined or visited it
    std::vector<uint8_t> _clean;      // per region: left as it was, nothing beside it changed
    std::vector<int32_t> _seen;
    std::vector<uint32_t> _gathered; // per pixel: the search that gathered it
    std::vector<Frame> _stack;
    std::vector<int32_t> _cells;  // the region being searched
    std::vector<int32_t> _border; // its neighbours of other colours, with repeats
    std::vector<int32_t> _joined;
    std::vector<uint64_t> _events;   // one bit per pixel at which a region has its turn
    std::vector<int32_t> _unsettled; // regions (by any of their cells) still to be searched
    int32_t _passId = 0;
    int32_t _visit = 0;
    uint32_t _search = 0;
    bool _hasBest = false;
    int32_t _bestError = 0;
    int32_t _maxError = -1; // of the current pass, see MaxError
    uint32_t _bestColour = 0;
};
