#include "media/filters/despeckler.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int32_t kNone = INT32_MAX;

int32_t SquaredError(uint32_t a, uint32_t b) {
    int32_t error = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t d = int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF);
        error += d * d;
    }
    return error;
}

// The root-mean-square difference per byte.
double Rms(int32_t squaredError) {
    return std::sqrt(squaredError / 3.0);
}

// The largest squared error whose root-mean-square is within the tightness (−1 when none).
// The root never falls as the error grows, so comparing an error with this decides as
// comparing its root with the tightness would.
int32_t MaxError(double tightness) {
    int32_t within = -1, beyond = 3 * 255 * 255 + 1;
    while (beyond - within > 1) {
        const int32_t middle = within + (beyond - within) / 2;
        (Rms(middle) <= tightness ? within : beyond) = middle;
    }
    return within;
}

} // namespace

void CBK_Despeckler::Reset(int32_t width, int32_t height, uint8_t* pixels) {
    _Load(width, height, pixels);
    _Build();
}

void CBK_Despeckler::ResetWithFirstPass(int32_t width, int32_t height, uint8_t* pixels,
                                        double factor) {
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
            colours[i] = result;
        }
    _Build();
}

void CBK_Despeckler::Pass(int32_t level, double factor) {
    const int64_t limit = int64_t(1) << std::min(level, 40);
    _maxError = MaxError(int32_t(256 / (1 + factor * level)));
    ++_passId;
    _events.assign(std::size_t(_w) * _h / 64 + 1, 0);
    bool any = false;
    for (int32_t r : Unsettled())
        if (_regions[std::size_t(r)].size < limit) {
            Schedule(_regions[std::size_t(r)].first);
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

void CBK_Despeckler::Store() {
    // Each region's colour once, then the pixels by their labels.
    std::vector<uint32_t>& colours = _colour;
    colours.resize(_regions.size());
    for (std::size_t r = 0; r < _regions.size(); ++r)
        colours[r] = _regions[std::size_t(Find(int32_t(r)))].colour;
    for (std::size_t i = 0; i < _label.size(); ++i) {
        const uint32_t colour = colours[std::size_t(_label[i])];
        uint8_t* p = _pixels + i * 3;
        p[0] = uint8_t(colour);
        p[1] = uint8_t(colour >> 8);
        p[2] = uint8_t(colour >> 16);
    }
}

void CBK_Despeckler::_Load(int32_t width, int32_t height, uint8_t* pixels) {
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
void CBK_Despeckler::_Build() {
    const int32_t width = _w, height = _h;
    const std::size_t n = _colour.size();
    const uint32_t* colours = _colour.data();
    // Pixels of one colour side by side into one tree, each cell pointing to an earlier one
    // of its region, so that the root is the region's first pixel.
    _label.resize(n);
    int32_t* up = _label.data();
    auto root = [up](int32_t i) {
        while (up[i] != i) {
            up[i] = up[up[i]];
            i = up[i];
        }
        return i;
    };
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t i = y * width + x;
            up[i] = x > 0 && colours[i - 1] == colours[i] ? up[i - 1] : i;
            if (y > 0 && colours[i - width] == colours[i]) {
                const int32_t a = root(i), b = root(i - width);
                if (a != b)
                    up[std::max(a, b)] = std::min(a, b);
            }
        }
    // Pointers become region ids in reading order of the regions' first pixels; a cell's
    // pointer leads to an earlier cell of its region, whose id is already known.
    _regions.clear();
    _unsettled.clear();
    for (std::size_t i = 0; i < n; ++i) {
        if (up[i] == int32_t(i)) {
            const int32_t id = int32_t(_regions.size());
            _regions.push_back({id, 0, int32_t(i), kNone, 0, 0, -1, -1, colours[i], 0});
            _unsettled.push_back(id);
            up[i] = id;
        } else {
            up[i] = up[up[i]];
        }
        ++_regions[std::size_t(up[i])].size;
    }
    _gathered.assign(n, 0);
    _walk = 0;
    _visit = 0;
    _BuildNeighbours();
}

// Each region's neighbours from the pairs of cells of two regions side by side, a pair
// repeating the one before it for the same region left out; in place in one array.
void CBK_Despeckler::_BuildNeighbours() {
    const int32_t width = _w, height = _h;
    const int32_t* label = _label.data();
    Region* regions = _regions.data();
    auto pairs = [&](auto note) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t i = y * width + x;
                const int32_t a = label[i];
                if (x + 1 < width && label[i + 1] != a) {
                    note(a, label[i + 1]);
                    note(label[i + 1], a);
                }
                if (y + 1 < height && label[i + width] != a) {
                    note(a, label[i + width]);
                    note(label[i + width], a);
                }
            }
    };
    // The seen field holds the last neighbour noted, the tail the count and then the next
    // free link.
    for (Region& r : _regions) {
        r.seen = -1;
        r.tail = 0;
    }
    pairs([&](int32_t a, int32_t b) {
        if (regions[a].seen != b) {
            regions[a].seen = b;
            ++regions[a].tail;
        }
    });
    int32_t total = 0;
    for (Region& r : _regions) {
        r.head = total;
        total += r.tail;
        r.tail = r.head;
        r.seen = -1;
    }
    _links.resize(std::size_t(total));
    Link* links = _links.data();
    pairs([&](int32_t a, int32_t b) {
        if (regions[a].seen != b) {
            regions[a].seen = b;
            const int32_t at = regions[a].tail++;
            links[at] = {b, at + 1};
        }
    });
    for (Region& r : _regions) {
        r.seen = 0;
        if (r.tail == r.head) {
            r.head = r.tail = -1;
            continue;
        }
        --r.tail;
        links[r.tail].next = -1;
    }
}

// Where the region's turn comes in this pass, kNone once it has had it. A region joined in
// this pass keeps its own; any other has its turn at its first pixel.
int32_t CBK_Despeckler::Start(int32_t root, int32_t position) const {
    const Region& r = _regions[std::size_t(root)];
    if (r.joinedPass == _passId)
        return r.start;
    return r.first > position ? r.first : kNone;
}

void CBK_Despeckler::Visit(int32_t p, int64_t limit) {
    const int32_t root = Find(_label[std::size_t(p)]);
    Region& region = _regions[std::size_t(root)];
    // Stale: the region was joined since, or had its turn.
    if (region.joinedPass == _passId ? region.start != p : region.first != p)
        return;
    region.start = kNone;
    region.joinedPass = _passId;
    if (region.size >= limit || region.clean)
        return; // as if measured and cleared, or searched and kept
    GatherNeighbours(root);
    const uint32_t colour = region.colour;
    int32_t bestError = INT32_MAX; // above any error of three bytes
    uint32_t bestColour = 0;
    bool tie = false;
    for (const int32_t r : _around) {
        const uint32_t other = _regions[std::size_t(r)].colour;
        const int32_t error = SquaredError(colour, other);
        if (error < bestError) {
            bestError = error;
            bestColour = other;
            tie = false;
        } else if (error == bestError && other != bestColour) {
            tie = true;
        }
    }
    if (_around.empty() || bestError > _maxError) {
        region.clean = 1; // no neighbour, or none near enough: the region stays
        return;
    }
    if (tie)
        bestColour = WalkForBest(root, p % _w, p / _w);
    Recolour(root, bestColour, p);
}

// Regions neither known to stay nor searched yet, each once.
const std::vector<int32_t>& CBK_Despeckler::Unsettled() {
    ++_visit;
    std::size_t kept = 0;
    for (int32_t r : _unsettled) {
        r = Find(r);
        Region& region = _regions[std::size_t(r)];
        if (region.clean || region.seen == _visit)
            continue;
        region.seen = _visit;
        _unsettled[kept++] = r;
    }
    _unsettled.resize(kept);
    return _unsettled;
}

void CBK_Despeckler::Schedule(int32_t start) {
    if (start != kNone)
        _events[std::size_t(start) / 64] |= uint64_t(1) << (start % 64);
}

int32_t CBK_Despeckler::Find(int32_t r) {
    Region* regions = _regions.data();
    while (regions[r].parent != r) {
        regions[r].parent = regions[regions[r].parent].parent;
        r = regions[r].parent;
    }
    return r;
}

// Joins two regions and their lists of neighbours; answers the joined region's root.
int32_t CBK_Despeckler::Join(int32_t a, int32_t b) {
    a = Find(a);
    b = Find(b);
    if (a == b)
        return a;
    if (_regions[std::size_t(a)].size < _regions[std::size_t(b)].size)
        std::swap(a, b);
    Region& into = _regions[std::size_t(a)];
    Region& from = _regions[std::size_t(b)];
    from.parent = a;
    into.size += from.size;
    into.first = std::min(into.first, from.first);
    if (from.head != -1) {
        if (into.head == -1)
            into.head = from.head;
        else
            _links[std::size_t(into.tail)].next = from.head;
        into.tail = from.tail;
    }
    return a;
}

// The region's neighbours into _around, each once; its list keeps just these.
void CBK_Despeckler::GatherNeighbours(int32_t root) {
    Region& region = _regions[std::size_t(root)];
    Link* links = _links.data();
    ++_visit;
    region.seen = _visit;
    _around.clear();
    int32_t kept = -1;
    for (int32_t at = region.head; at != -1;) {
        const int32_t next = links[at].next;
        const int32_t r = Find(links[at].region);
        Region& other = _regions[std::size_t(r)];
        if (other.seen != _visit) {
            other.seen = _visit;
            _around.push_back(r);
            // The kept links take the first places of the chain, at or before this one.
            kept = kept == -1 ? region.head : links[kept].next;
            links[kept].region = r;
        }
        at = next;
    }
    if (kept == -1) {
        region.head = region.tail = -1;
        return;
    }
    links[kept].next = -1;
    region.tail = kept;
}

// The neighbour search's own walk from (x, y), for when colours tie: a cell of another
// region is a candidate; a cell of the region extends to its run, whose outer neighbours are
// candidates, is gathered, and leads on to the cells above and below each of its cells in
// turn. The first candidate of the smallest error wins.
uint32_t CBK_Despeckler::WalkForBest(int32_t root, int32_t x, int32_t y) {
    const int32_t w = _w, h = _h;
    uint32_t* gathered = _gathered.data();
    const int32_t* label = _label.data();
    const uint32_t stamp = ++_walk;
    const uint32_t colour = _regions[std::size_t(root)].colour;
    int32_t bestError = INT32_MAX;
    uint32_t bestColour = 0;
    auto inside = [&](int32_t i) { return Find(label[i]) == root; };
    auto candidate = [&](int32_t i) {
        const uint32_t other = _regions[std::size_t(Find(label[i]))].colour;
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
        const int32_t row = cy * w;
        if (gathered[row + cx] == stamp)
            return;
        if (!inside(row + cx)) {
            candidate(row + cx);
            return;
        }
        int32_t left = cx, right = cx;
        while (left > 0 && inside(row + left - 1))
            --left;
        while (right + 1 < w && inside(row + right + 1))
            ++right;
        if (left > 0)
            candidate(row + left - 1);
        if (right + 1 < w)
            candidate(row + right + 1);
        for (int32_t k = row + left; k <= row + right; ++k)
            gathered[k] = stamp;
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
    return bestColour;
}

// The region takes the colour `to` and joins the regions of that colour beside it; the
// regions beside it that may now change are searched again, in this pass when their turn is
// still to come.
void CBK_Despeckler::Recolour(int32_t root, uint32_t to, int32_t position) {
    _joined.clear();
    int32_t start = kNone;
    for (const int32_t r : _around) {
        Region& other = _regions[std::size_t(r)];
        if (other.colour == to) {
            _joined.push_back(r);
            start = std::min(start, Start(r, position));
            continue;
        }
        // A region known to stay keeps staying while its new neighbour's colour is beyond
        // the tightness too, which only falls from pass to pass.
        if (other.clean && SquaredError(other.colour, to) > _maxError)
            continue;
        other.clean = 0;
        _unsettled.push_back(r);
        Schedule(Start(r, position));
    }
    int32_t merged = root;
    for (const int32_t r : _joined)
        merged = Join(merged, r);
    Region& region = _regions[std::size_t(merged)];
    region.colour = to;
    region.clean = 0;
    region.joinedPass = _passId;
    region.start = start;
    _unsettled.push_back(merged);
    Schedule(start);
}
