#include "media/filters/despeckler.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

namespace {

constexpr int32_t kNone = INT32_MAX;

int32_t SquaredError(uint32_t a, uint32_t b) {
    const int32_t d0 = int32_t(a & 0xFF) - int32_t(b & 0xFF);
    const int32_t d1 = int32_t((a >> 8) & 0xFF) - int32_t((b >> 8) & 0xFF);
    const int32_t d2 = int32_t(a >> 16) - int32_t(b >> 16);
    return d0 * d0 + d1 * d1 + d2 * d2;
}

// `yes` when the condition holds, else `no`, by masks: a compiler may turn a plain choice into
// a branch, which colours that follow no pattern would mispredict half the time.
template <typename T>
inline T Choose(bool condition, T yes, T no) {
    const T mask = T(0) - T(condition);
    return (yes & mask) | (no & ~mask);
}

// For the pixels 1 to count of a row (of `colour` in memory): the most similar of each one's
// right neighbour in the row, its upper neighbour in `above` and its lower one in `below`,
// the first of them on a tie, with its squared error; its colour carries 1 << 24 when none
// of the three has the pixel's colour. What the left neighbour adds depends on the pixel
// before, and is left to the caller. Every pixel on its own, so the loop is vectorised.
__attribute__((target_clones("avx2", "default"))) void
BestOfThree(const uint32_t* colour, const uint32_t* above, const uint32_t* below, int32_t count,
            int32_t* bestError, uint32_t* bestColour) {
    for (int32_t x = 1; x <= count; ++x) {
        const uint32_t c = colour[x], right = colour[x + 1], up = above[x], down = below[x];
        const int32_t er = SquaredError(c, right), eu = SquaredError(c, up);
        const int32_t ed = SquaredError(c, down);
        int32_t best = er;
        uint32_t chosen = right;
        chosen = eu < best ? up : chosen;
        best = eu < best ? eu : best;
        chosen = ed < best ? down : chosen;
        best = ed < best ? ed : best;
        const uint32_t alone = uint32_t(right != c) & uint32_t(up != c) & uint32_t(down != c);
        bestError[x] = best;
        bestColour[x] = chosen | alone << 24;
    }
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

// The region waits for the first pass after this one whose size limit it is below. Until
// then it is left alone: passes it is too large for leave it as it is.
inline void CBK_Despeckler::Wait(int32_t r) {
    const int32_t below = int32_t(std::bit_width(uint32_t(_regions[std::size_t(r)].size)));
    _waiting[std::size_t(std::min(std::max(below, _level + 1), kLevels - 1))].push_back(r);
}

// Joins pixel i, whose colour is final, with its left neighbour when of its colour, each cell
// pointing to an earlier one of its region; an upper neighbour of its colour is noted for
// _Build, so that no branch depends on the colours, which follow no pattern. The count of
// noted pixels travels in a register: kept in the object, every store of a cell would
// reload it.
struct CBK_Despeckler::Linker {
    const uint32_t* colours;
    int32_t* up;
    int32_t* upward;
    int32_t width;
    int32_t count = 0;

    explicit Linker(CBK_Despeckler& d)
        : colours(d._colour.data()), up(d._label.data()), upward(d._upward.data()), width(d._w) {}
    void Link(int32_t i, int32_t x, int32_t y) {
        up[i] = x > 0 && colours[i - 1] == colours[i] ? up[i - 1] : i;
        upward[count] = i;
        count += y > 0 && colours[i - width] == colours[i];
    }
    // The same for a pixel of colour `colour` inside a row below the first, given its left
    // neighbour's colour and cell; answers its own cell.
    int32_t LinkAfter(int32_t i, uint32_t colour, uint32_t left, int32_t leftCell) {
        const int32_t cell = Choose(left == colour, leftCell, i);
        up[i] = cell;
        upward[count] = i;
        count += colours[i - width] == colour;
        return cell;
    }
};

void CBK_Despeckler::Reset(int32_t width, int32_t height, uint8_t* pixels) {
    _Load(width, height, pixels);
    Linker linker(*this);
    for (int32_t y = 0, i = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x, ++i)
            linker.Link(i, x, y);
    _upwardCount = linker.count;
    _Build();
}

void CBK_Despeckler::ResetWithFirstPass(int32_t width, int32_t height, uint8_t* pixels,
                                        double factor) {
    _Load(width, height, pixels);
    const int32_t maxError = MaxError(int32_t(256 / (1 + factor)));
    uint32_t* colours = _colour.data();
    Linker linker(*this);
    _threeError.resize(std::size_t(width));
    _threeColour.resize(std::size_t(width));
    int32_t* threeError = _threeError.data();
    uint32_t* threeColour = _threeColour.data();
    // A pixel on the picture's edge, with the neighbours it has.
    auto edge = [&](int32_t x, int32_t y) {
        const int32_t i = y * width + x;
        const uint32_t colour = colours[i];
        uint32_t result = colour;
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
        colours[i] = result;
        linker.Link(i, x, y);
    };
    for (int32_t y = 0; y < height; ++y) {
        if (y == 0 || y + 1 == height || width < 3) {
            for (int32_t x = 0; x < width; ++x)
                edge(x, y);
            continue;
        }
        edge(0, y);
        // The left neighbour, just done, and its cell's pointer stay in registers: each
        // pixel waits for the one before it, and a trip through memory would lengthen that.
        const int32_t row = y * width;
        BestOfThree(colours + row, colours + row - width, colours + row + width, width - 2,
                    threeError, threeColour);
        uint32_t left = colours[row];
        int32_t leftCell = linker.up[row];
        for (int32_t x = 1; x + 1 < width; ++x) {
            const int32_t i = row + x;
            const uint32_t colour = colours[i];
            // Without branches on the colours, which follow no pattern. The left neighbour,
            // first in order, wins a tie.
            const int32_t leftError = SquaredError(colour, left);
            const uint32_t three = threeColour[x];
            const bool alone = (three >> 24) & (left != colour);
            const bool takeLeft = leftError <= threeError[x];
            const uint32_t bestColour = Choose(takeLeft, left, three & 0xFFFFFF);
            const int32_t bestError = std::min(leftError, threeError[x]);
            const uint32_t result = Choose(alone & (bestError <= maxError), bestColour, colour);
            colours[i] = result;
            leftCell = linker.LinkAfter(i, result, left, leftCell);
            left = result;
        }
        edge(width - 1, y);
    }
    _upwardCount = linker.count;
    _Build();
}

void CBK_Despeckler::Pass(int32_t level, double factor) {
    const int64_t limit = int64_t(1) << std::min(level, 40);
    _maxError = MaxError(int32_t(256 / (1 + factor * level)));
    ++_passId;
    _level = level;
    _limit = limit;
    _events.assign(std::size_t(_w) * _h / 64 + 1, 0);
    if (!ScheduleWaiting(limit))
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
    std::vector<uint32_t>& colours = _final;
    colours.resize(_regions.size());
    for (std::size_t r = 0; r < _regions.size(); ++r)
        colours[r] = _regions[std::size_t(Find(int32_t(r)))].colour;
    // Read once: stores of bytes may alias anything, which would reload them at every step.
    const uint32_t* colour = colours.data();
    const int32_t* label = _label.data();
    uint8_t* p = _pixels;
    for (std::size_t i = 0, n = _label.size(); i < n; ++i, p += 3) {
        const uint32_t c = colour[std::size_t(label[i])];
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
    }
}

void CBK_Despeckler::_Load(int32_t width, int32_t height, uint8_t* pixels) {
    _w = width;
    _h = height;
    _pixels = pixels;
    _passId = 0;
    const std::size_t n = std::size_t(width) * height;
    _colour.resize(n);
    _label.resize(n);
    _upward.resize(n);
    _upwardCount = 0;
    uint32_t* colour = _colour.data();
    for (std::size_t i = 0; i < n; ++i, pixels += 3)
        colour[i] = uint32_t(pixels[0]) | uint32_t(pixels[1]) << 8 | uint32_t(pixels[2]) << 16;
}

// Regions and their state from the linked pixels, every region waiting, each with the list
// of the regions beside it. A list is built from the pairs of cells of two regions side by
// side, in place in one array: one sweep counts the pairs, the next one files them. Repeats
// stay until the region's first search drops them.
void CBK_Despeckler::_Build() {
    const int32_t width = _w, height = _h;
    const std::size_t n = _colour.size();
    const uint32_t* colours = _colour.data();
    int32_t* label = _label.data();
    _regions.clear();
    // The trees of pixels noted as joining their upper neighbours become one, the larger
    // root pointing to the smaller, so that the root stays the region's first pixel.
    int32_t* up = label;
    auto root = [up](int32_t j) {
        while (up[j] != j) {
            up[j] = up[up[j]];
            j = up[j];
        }
        return j;
    };
    for (int32_t k = 0; k < _upwardCount; ++k) {
        const int32_t i = _upward[std::size_t(k)];
        const int32_t a = root(i), b = root(i - width);
        if (a != b)
            up[std::max(a, b)] = std::min(a, b);
    }
    for (std::vector<int32_t>& waiting : _waiting)
        waiting.clear();
    _level = 0;
    // Pointers become region ids in reading order of the regions' first pixels; a cell's
    // pointer leads to an earlier cell of its region, whose id is already known.
    for (int32_t i = 0; i < int32_t(n); ++i) {
        if (label[i] == i) {
            const int32_t id = int32_t(_regions.size());
            _regions.push_back({colours[i], 0, 0, i, kNone, 0, 0, 0});
            label[i] = id;
        } else {
            label[i] = label[label[i]];
        }
        ++_regions[std::size_t(label[i])].size;
    }
    const std::size_t count = _regions.size();
    _lists.assign(count, {-1, 0});
    _parent.resize(count);
    for (std::size_t r = 0; r < count; ++r)
        _parent[r] = int32_t(r);
    // Each pair of cells of two regions side by side gives each region the other, in reading
    // order; an entry that repeats the one just before it in the same list is left out, which
    // changes no search (a search drops repeats, keeping first places). One sweep counts the
    // entries, the next one files them in place in one array.
    _last.resize(count);
    auto pairs = [&](auto take) {
        std::fill(_last.begin(), _last.end(), -1);
        int32_t* last = _last.data();
        for (int32_t y = 0, i = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x, ++i) {
                const int32_t a = label[i];
                if (x > 0 && label[i - 1] != a) {
                    take(last, a, label[i - 1]);
                    take(last, label[i - 1], a);
                }
                if (y > 0 && label[i - width] != a) {
                    take(last, a, label[i - width]);
                    take(last, label[i - width], a);
                }
            }
    };
    List* lists = _lists.data();
    pairs([lists](int32_t* last, int32_t a, int32_t b) {
        lists[a].tail += last[a] != b;
        last[a] = b;
    });
    _segments.resize(count);
    Segment* segments = _segments.data();
    int32_t total = 0;
    for (std::size_t r = 0; r < count; ++r) {
        segments[r] = {total, total, -1};
        total += lists[r].tail;
    }
    _neighbours.resize(std::size_t(total));
    int32_t* neighbours = _neighbours.data();
    pairs([segments, neighbours](int32_t* last, int32_t a, int32_t b) {
        if (last[a] != b)
            neighbours[segments[a].end++] = b;
        last[a] = b;
    });
    for (std::size_t r = 0; r < _regions.size(); ++r) {
        const int32_t list = segments[r].end > segments[r].begin ? int32_t(r) : -1;
        _lists[r].head = _lists[r].tail = list;
    }
    for (int32_t r = 0; r < int32_t(_regions.size()); ++r)
        Wait(r);
    // The walks' marks stay valid from picture to picture while the count goes on.
    if (_gathered.size() != n) {
        _gathered.assign(n, 0);
        _walk = 0;
    }
    _visit = 0;
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
    const int32_t* around = _around.data();
    for (std::size_t k = 0; k < _aroundCount; ++k) {
        const uint32_t other = _regions[std::size_t(around[k])].colour;
        const int32_t error = SquaredError(colour, other);
        const bool better = error < bestError;
        tie = !better && (tie || (error == bestError && other != bestColour));
        bestColour = better ? other : bestColour;
        bestError = better ? error : bestError;
    }
    if (_aroundCount == 0 || bestError > _maxError) {
        region.clean = 1; // no neighbour, or none near enough: the region stays
        KeepNeighbours(root, around, _aroundCount);
        return;
    }
    if (tie)
        bestColour = WalkForBest(root, p % _w, p / _w, bestError);
    Recolour(root, bestColour, p);
}

// Turns for the regions that wait for this pass or an earlier one, neither known to stay
// nor too large, each once; a region that has grown too large waits again for the pass that
// can take it. False when no region has a turn.
bool CBK_Despeckler::ScheduleWaiting(int64_t limit) {
    ++_visit;
    bool any = false;
    for (int32_t level = 0; level <= std::min(_level, kLevels - 1); ++level) {
        _due.swap(_waiting[std::size_t(level)]);
        for (int32_t r : _due) {
            r = Find(r);
            Region& region = _regions[std::size_t(r)];
            if (region.clean || region.seen == _visit)
                continue;
            region.seen = _visit;
            if (region.size < limit) {
                Schedule(region.first);
                any = true;
            } else {
                Wait(r);
            }
        }
        _due.clear();
    }
    return any;
}

void CBK_Despeckler::Schedule(int32_t start) {
    if (start != kNone)
        _events[std::size_t(start) / 64] |= uint64_t(1) << (start % 64);
}

int32_t CBK_Despeckler::Find(int32_t r) {
    int32_t* parent = _parent.data();
    while (parent[r] != r) {
        parent[r] = parent[parent[r]];
        r = parent[r];
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
    List& intoList = _lists[std::size_t(a)];
    const List& fromList = _lists[std::size_t(b)];
    _parent[std::size_t(b)] = a;
    into.size += from.size;
    into.first = std::min(into.first, from.first);
    if (fromList.head != -1) {
        if (intoList.head == -1)
            intoList.head = fromList.head;
        else
            _segments[std::size_t(intoList.tail)].next = fromList.head;
        intoList.tail = fromList.tail;
    }
    return a;
}

// The region's neighbours into _around, each once.
void CBK_Despeckler::GatherNeighbours(int32_t root) {
    const List& list = _lists[std::size_t(root)];
    Segment* segments = _segments.data();
    int32_t* neighbours = _neighbours.data();
    Region* regions = _regions.data();
    const int32_t* parent = _parent.data();
    const int32_t visit = ++_visit;
    regions[root].seen = visit;
    // Without branches on the entries, which follow no pattern: two steps up the tree reach
    // the root nearly always, and every entry is written, counted only when new.
    std::size_t count = 0;
    for (int32_t s = list.head; s != -1; s = segments[s].next) {
        // Room for every entry; the storage only ever grows, uncleared.
        const std::size_t room = count + std::size_t(segments[s].end - segments[s].begin);
        if (_around.size() < room)
            _around.resize(std::max(room, 2 * _around.size()));
        int32_t* around = _around.data();
        for (int32_t k = segments[s].begin; k < segments[s].end; ++k) {
            int32_t r = parent[parent[neighbours[k]]];
            if (parent[r] != r) [[unlikely]]
                r = Find(r);
            around[count] = r;
            count += regions[r].seen != visit;
            regions[r].seen = visit;
        }
    }
    _aroundCount = count;
}

// The region's list of neighbours becomes the given regions, in the first places of the list,
// which has room for them all.
void CBK_Despeckler::KeepNeighbours(int32_t root, const int32_t* kept, std::size_t count) {
    List& list = _lists[std::size_t(root)];
    if (count == 0) {
        list.head = list.tail = -1;
        return;
    }
    Segment* segments = _segments.data();
    int32_t* neighbours = _neighbours.data();
    int32_t s = list.head, k = segments[s].begin;
    for (std::size_t j = 0; j < count; ++j) {
        while (k == segments[s].end) {
            s = segments[s].next;
            k = segments[s].begin;
        }
        neighbours[k++] = kept[j];
    }
    segments[s].end = k;
    segments[s].next = -1;
    list.tail = s;
}

// The neighbour search's own walk from (x, y), for when colours tie: a cell of another
// region is a candidate; a cell of the region extends to its run, whose outer neighbours are
// candidates, is gathered, and leads on to the cells above and below each of its cells in
// turn. The first candidate of the smallest error, known from the neighbours, wins: the walk
// ends there.
uint32_t CBK_Despeckler::WalkForBest(int32_t root, int32_t x, int32_t y, int32_t smallest) {
    const int32_t w = _w, h = _h;
    if (_walk == UINT32_MAX) {
        std::fill(_gathered.begin(), _gathered.end(), 0);
        _walk = 0;
    }
    uint32_t* gathered = _gathered.data();
    const int32_t* label = _label.data();
    const uint32_t stamp = ++_walk;
    const uint32_t colour = _regions[std::size_t(root)].colour;
    bool found = false;
    uint32_t bestColour = 0;
    auto inside = [&](int32_t i) { return Find(label[i]) == root; };
    auto candidate = [&](int32_t i) {
        const uint32_t other = _regions[std::size_t(Find(label[i]))].colour;
        if (!found && SquaredError(colour, other) == smallest) {
            found = true;
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
    while (!found && !_stack.empty()) {
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
    std::size_t kept = 0; // the neighbours that stay neighbours, at the front of _around
    for (std::size_t k = 0; k < _aroundCount; ++k) {
        const int32_t r = _around[k];
        Region& other = _regions[std::size_t(r)];
        if (other.colour == to) {
            _joined.push_back(r);
            start = std::min(start, Start(r, position));
            continue;
        }
        _around[kept++] = r;
        // A region known to stay keeps staying while its new neighbour's colour is beyond
        // the tightness too, which only falls from pass to pass. Any other is waiting for a
        // pass already, or has its turn in this one.
        if (other.clean) {
            if (SquaredError(other.colour, to) > _maxError)
                continue;
            other.clean = 0;
            Wait(r);
        }
        if (other.size < _limit) {
            Schedule(Start(r, position));
        } else {
            // Its turn would find it too large: it has had it.
            other.joinedPass = _passId;
            other.start = kNone;
        }
    }
    KeepNeighbours(root, _around.data(), kept);
    int32_t merged = root;
    for (const int32_t r : _joined)
        merged = Join(merged, r);
    Region& region = _regions[std::size_t(merged)];
    region.colour = to;
    region.clean = 0;
    region.joinedPass = _passId;
    region.start = region.size < _limit ? start : kNone; // a larger one has had its turn
    if (region.queued != _passId) {
        region.queued = _passId;
        Wait(merged);
    }
    Schedule(region.start);
}
