#include "platform/pict/pict_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace tbx::pict {
namespace {

constexpr int kEndOfList = 0x7FFF;

Spans Empty(int top) {
    Spans s;
    s.top = top;
    return s;
}

// The rows [from, to) cut to the clip, made empty.
Spans Rows(int from, int to, RowClip clip) {
    Spans s;
    s.top = std::max(from, clip.top);
    const int bottom = std::min(to, clip.bottom);
    if (bottom > s.top)
        s.rows.resize(std::size_t(bottom - s.top));
    return s;
}

// The first pixel of the row of an oval `width` wide from `left`, `dy` from its centre row
// and half `halfHeight` high; false when the row misses the oval. The last pixel mirrors it.
bool OvalLeft(int left, int width, double dy, double halfHeight, int& x0) {
    const double q = 1.0 - (dy / halfHeight) * (dy / halfHeight);
    if (q <= 0)
        return false;
    const double halfWidth = width / 2.0 * std::sqrt(q);
    x0 = std::max(left, int(std::ceil(left + width / 2.0 - halfWidth - 0.5)));
    return true;
}

void AddSpan(Spans::Row& row, int x0, int x1) {
    if (x0 < x1)
        row.emplace_back(x0, x1);
}

Spans::Row SubtractRow(const Spans::Row& a, const Spans::Row& b) {
    Spans::Row out;
    std::size_t j = 0;
    for (auto [x0, x1] : a) {
        while (j < b.size() && b[j].second <= x0)
            ++j;
        int at = x0;
        for (std::size_t k = j; k < b.size() && b[k].first < x1; ++k) {
            AddSpan(out, at, std::min(x1, b[k].first));
            at = std::max(at, b[k].second);
        }
        AddSpan(out, at, x1);
    }
    return out;
}

Spans::Row IntersectRow(const Spans::Row& a, const Spans::Row& b) {
    Spans::Row out;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        AddSpan(out, std::max(a[i].first, b[j].first), std::min(a[i].second, b[j].second));
        if (a[i].second < b[j].second)
            ++i;
        else
            ++j;
    }
    return out;
}

const Spans::Row* RowAt(const Spans& s, int y) {
    if (y < s.top || y - s.top >= int(s.rows.size()))
        return nullptr;
    return &s.rows[std::size_t(y - s.top)];
}

} // namespace

Spans RectSpans(const Rect& r, RowClip clip) {
    if (r.left >= r.right)
        return Empty(r.top);
    Spans s = Rows(r.top, r.bottom, clip);
    for (auto& row : s.rows)
        row.emplace_back(r.left, r.right);
    return s;
}

Spans OvalSpans(const Rect& r, RowClip clip) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return Empty(r.top);
    Spans s = Rows(r.top, r.bottom, clip);
    const double centre = (r.top + r.bottom) / 2.0;
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        int x0 = 0;
        if (OvalLeft(r.left, width, s.top + int(i) + 0.5 - centre, height / 2.0, x0))
            AddSpan(s.rows[i], x0, r.left + r.right - x0);
    }
    return s;
}

Spans RoundRectSpans(const Rect& r, int ovalWidth, int ovalHeight, RowClip clip) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int ow = std::min(ovalWidth, width), oh = std::min(ovalHeight, height);
    if (ow <= 0 || oh <= 0)
        return RectSpans(r, clip);
    if (width <= 0 || height <= 0)
        return Empty(r.top);
    Spans s = Rows(r.top, r.bottom, clip);
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const int y = s.top + int(i);
        double dy = 0;
        if (2 * (y - r.top) + 1 < oh)
            dy = y + 0.5 - (r.top + oh / 2.0);
        else if (2 * (r.bottom - y) - 1 < oh)
            dy = y + 0.5 - (r.bottom - oh / 2.0);
        int x0 = r.left;
        if (dy == 0 || OvalLeft(r.left, ow, dy, oh / 2.0, x0))
            AddSpan(s.rows[i], x0, r.left + r.right - x0);
    }
    return s;
}

namespace {

// The first x of [lo, hi) at which `reached` holds, it being false before and true after
// along [lo, hi); hi when it never holds. Looks first at `guess`, then in widening steps.
template <class Reached>
int FirstReached(int lo, int hi, int guess, Reached&& reached) {
    if (lo >= hi)
        return hi;
    guess = std::clamp(guess, lo, hi - 1);
    int from = lo, to = hi; // not reached before `from`; reached at `to` (or it is hi)
    if (reached(guess)) {
        to = guess;
        for (int step = 1;; step *= 2) {
            if (to - lo < step)
                break;
            if (!reached(to - step)) {
                from = to - step + 1;
                break;
            }
            to -= step;
        }
    } else {
        from = guess + 1;
        for (int step = 1;; step *= 2) {
            if (hi - from < step) // (from - 1) + step lies at or past hi
                break;
            if (reached(from - 1 + step)) {
                to = from - 1 + step;
                break;
            }
            from += step;
        }
    }
    while (from < to) {
        const int mid = from + (to - from) / 2;
        if (reached(mid))
            to = mid;
        else
            from = mid + 1;
    }
    return to;
}

// Which pixels of a row lie in an arc. A pixel is in when its angle, taken from `from` and
// brought into [0, 360), is below the arc's. Along a row that angle moves one way on each side
// of the centre column, so only the pixels where it passes a multiple of 360 or one plus the
// arc are looked at, found from where the two angles' lines meet the row.
class ArcRow {
public:
    ArcRow(const Rect& r, double from, int arc)
        : _cx((r.left + r.right) / 2.0), _halfWidth((r.right - r.left) / 2.0), _from(from),
          _arc(arc), _bounds{0, double(arc), 360, 360.0 + arc, 720, 720.0 + arc, 1080} {
        std::sort(_bounds.begin(), _bounds.end());
        for (std::size_t k = 0; k < _bounds.size(); ++k)
            _slopes[k] = std::tan((_bounds[k] + from - 720.0) * (M_PI / 180.0));
    }

    // The runs of [lo, hi) in the arc on the row whose centre lies `up` half heights above
    // the oval's centre.
    void Runs(double up, int lo, int hi, Spans::Row& out) {
        _up = up;
        // x + 0.5 - cx is exact: left of the centre column, on it, right of it.
        const double centre = _cx - 0.5;
        const int first = int(std::clamp(std::ceil(centre), double(lo), double(hi)));
        Piece(lo, first, out);
        if (first < hi && double(first) == centre) {
            Piece(first, first + 1, out);
            Piece(first + 1, hi, out);
        } else {
            Piece(first, hi, out);
        }
    }

private:
    // The angle as the pixel's own test takes it, before it is brought into [0, 360).
    double Turn(int x) const {
        const double right = (x + 0.5 - _cx) / _halfWidth;
        const double angle = std::atan2(right, _up) * (180.0 / M_PI);
        return angle - _from + 720.0;
    }
    bool In(double turn) const { return std::fmod(turn, 360.0) < _arc; }

    // Pixels [lo, hi) on one side of the centre, where the turn only grows (above the centre)
    // or only shrinks (below it).
    void Piece(int lo, int hi, Spans::Row& out) {
        if (lo >= hi)
            return;
        const bool growing = _up > 0;
        int x = lo;
        double turn = Turn(x);
        const double last = Turn(hi - 1);
        while (x < hi) {
            const bool in = In(turn);
            // The next bound the turn passes in this piece, if any, and the first pixel past it.
            const auto above = std::upper_bound(_bounds.begin(), _bounds.end(), turn);
            auto bound = _bounds.end();
            if (growing && above != _bounds.end() && !(last < *above))
                bound = above;
            else if (!growing && above != _bounds.begin() && last < above[-1])
                bound = above - 1;
            int next = hi;
            if (bound != _bounds.end()) {
                const double b = *bound;
                const double at =
                    _cx - 0.5 + _up * _slopes[std::size_t(bound - _bounds.begin())] * _halfWidth;
                const int guess =
                    int(std::isfinite(at) ? std::clamp(std::ceil(at), double(x), double(hi))
                                          : double(x));
                next = FirstReached(x + 1, hi, guess, [&](int p) {
                    const double t = Turn(p);
                    return growing ? !(t < b) : t < b;
                });
            }
            if (in)
                AddSpan(out, x, next);
            if (next < hi)
                turn = Turn(next);
            x = next;
        }
    }

    double _cx, _halfWidth, _from;
    int _arc;
    double _up = 0;
    // Where In() changes: the turn at multiples of 360 and at the arc past each.
    std::array<double, 7> _bounds, _slopes{};
};

} // namespace

Spans Wedge(const Spans& shape, const Rect& r, int startAngle, int arcAngle, RowClip clip) {
    Spans out = Empty(shape.top);
    out.rows.resize(shape.rows.size());
    if (arcAngle == 0 || r.right <= r.left || r.bottom <= r.top)
        return out;
    if (arcAngle <= -360 || arcAngle >= 360)
        arcAngle = 360;
    if (arcAngle < 0) {
        startAngle += arcAngle;
        arcAngle = -arcAngle;
    }
    const double from = std::fmod(std::fmod(double(startAngle), 360.0) + 360.0, 360.0);
    const double cy = (r.top + r.bottom) / 2.0, halfHeight = (r.bottom - r.top) / 2.0;
    ArcRow arc(r, from, arcAngle);
    Spans::Row runs;
    for (std::size_t i = 0; i < shape.rows.size(); ++i) {
        const Spans::Row& row = shape.rows[i];
        if (row.empty())
            continue;
        const int lo = std::max(row.front().first, clip.left);
        const int hi = std::min(row.back().second, clip.right);
        if (lo >= hi)
            continue;
        runs.clear();
        arc.Runs(-(shape.top + int(i) + 0.5 - cy) / halfHeight, lo, hi, runs);
        out.rows[i] = IntersectRow(row, runs);
    }
    return out;
}

namespace {

// A polygon side, with the rows [first, last) of the clip whose centres it crosses.
struct Side {
    int first, last;
    int x1, y1, x2, y2;
};

std::vector<Side> Sides(const std::vector<std::pair<int, int>>& points, RowClip clip) {
    std::vector<Side> sides;
    for (std::size_t e = 0; e < points.size(); ++e) {
        const auto [x1, y1] = points[e];
        const auto [x2, y2] = points[(e + 1) % points.size()];
        // The centre of row y lies at y + 0.5: a side crosses the rows from its upper end's
        // down to (not including) its lower end's.
        const int first = std::max(std::min(y1, y2), clip.top);
        const int last = std::min(std::max(y1, y2), clip.bottom);
        if (first < last)
            sides.push_back({first, last, x1, y1, x2, y2});
    }
    return sides;
}

// The pixels of one row between the crossings `xs` (already cut to the clip's columns) by the
// even-odd rule: sorted and paired, or, where they crowd together, counted in place.
void FillRow(std::vector<int>& xs, std::vector<uint8_t>& flips, Spans::Row& row) {
    if (xs.empty())
        return;
    const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
    const int from = *lo;
    const std::size_t range = std::size_t(int64_t(*hi) - from) + 1;
    if (range > xs.size() * 16) {
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            AddSpan(row, xs[k], xs[k + 1]);
        return;
    }
    flips.assign(range, 0);
    for (int x : xs)
        flips[std::size_t(x - from)] ^= 1;
    bool in = false;
    int start = from;
    for (std::size_t k = 0; k < range; ++k) {
        if (!flips[k])
            continue;
        if (in)
            AddSpan(row, start, from + int(k));
        start = from + int(k);
        in = !in;
    }
}

} // namespace

uint64_t PolygonWork(const std::vector<std::pair<int, int>>& points, RowClip clip) {
    // A crossing (a division, a place in its row) takes about as long as two pixels filled.
    uint64_t work = points.size();
    for (const Side& side : Sides(points, clip))
        work += 2 * uint64_t(side.last - side.first);
    return work;
}

Spans PolygonSpans(const std::vector<std::pair<int, int>>& points, RowClip clip) {
    std::vector<Side> sides = points.size() < 2 ? std::vector<Side>{} : Sides(points, clip);
    if (sides.empty() || clip.left >= clip.right)
        return Empty(clip.top);
    std::sort(sides.begin(), sides.end(),
              [](const Side& a, const Side& b) { return a.first < b.first; });
    int bottom = sides[0].last;
    for (const Side& side : sides)
        bottom = std::max(bottom, side.last);
    Spans s = Rows(sides[0].first, bottom, clip);
    // Only the sides that cross a row are visited on it, and only what lies in the clip's
    // columns is kept: crossings left of it count by where they fall, at its left edge.
    std::vector<const Side*> active;
    std::vector<int> xs;
    std::vector<uint8_t> flips;
    std::size_t next = 0;
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const int row = s.top + int(i);
        const double cy = row + 0.5;
        std::erase_if(active, [&](const Side* side) { return side->last <= row; });
        for (; next < sides.size() && sides[next].first <= row; ++next)
            active.push_back(&sides[next]);
        xs.clear();
        for (const Side* e : active) {
            const double x = e->x1 + (cy - e->y1) * (e->x2 - e->x1) / double(e->y2 - e->y1);
            xs.push_back(
                int(std::clamp(std::ceil(x - 0.5), double(clip.left), double(clip.right))));
        }
        FillRow(xs, flips, s.rows[i]);
    }
    return s;
}

Spans LineSpans(int x1, int y1, int x2, int y2, int penWidth, int penHeight, RowClip clip) {
    if (penWidth <= 0 || penHeight <= 0)
        return Empty(clip.top);
    // The leftmost and rightmost point of the line on each of its rows; along a line both
    // move one way only, so over any run of rows they are extreme at the run's ends.
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    std::vector<std::pair<int, int>> extent(std::size_t(bottom - top) + 1, {INT32_MAX, INT32_MIN});
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy, x = x1, y = y1;
    for (;;) {
        auto& e = extent[std::size_t(y - top)];
        e = {std::min(e.first, x), std::max(e.second, x)};
        if (x == x2 && y == y2)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    Spans s = Rows(top, bottom + penHeight, clip);
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const int row = s.top + int(i);
        const int lo = std::max(top, row - penHeight + 1), hi = std::min(bottom, row);
        const auto& a = extent[std::size_t(lo - top)];
        const auto& b = extent[std::size_t(hi - top)];
        AddSpan(
            s.rows[i], std::min(a.first, b.first),
            int(std::min<int64_t>(int64_t(std::max(a.second, b.second)) + penWidth, INT32_MAX)));
    }
    return s;
}

bool RegionSpans(const Rect& bounds, const uint8_t* data, std::size_t size, RowClip clip,
                 Spans& out) {
    out = Empty(bounds.top);
    if (size == 0) { // a rectangular region
        out = RectSpans(bounds, clip);
        return true;
    }
    auto word = [&](std::size_t& at, int& v) {
        if (size - at < 2)
            return false;
        v = int16_t(uint16_t(data[at] << 8 | data[at + 1]));
        at += 2;
        return true;
    };
    out = Rows(bounds.top, bounds.bottom, clip);
    std::vector<int> inside, next, changes; // x coordinates where the row goes in or out
    std::size_t at = 0;
    int y = 0, lastY = INT32_MIN;
    if (!word(at, y))
        return false;
    while (y != kEndOfList) {
        if (y <= lastY || y < bounds.top || y > bounds.bottom)
            return false;
        changes.clear();
        int x = 0;
        if (!word(at, x))
            return false;
        while (x != kEndOfList) {
            if ((!changes.empty() && x <= changes.back()) || x < bounds.left || x > bounds.right)
                return false;
            changes.push_back(x);
            if (!word(at, x))
                return false;
        }
        if (changes.size() % 2)
            return false;
        next.clear();
        std::set_symmetric_difference(inside.begin(), inside.end(), changes.begin(), changes.end(),
                                      std::back_inserter(next));
        inside.swap(next);
        lastY = y;
        if (!word(at, y))
            return false;
        // The rows from this scan line to the next are alike.
        const int until = y == kEndOfList ? bounds.bottom : y;
        for (int row = std::max(lastY, out.top); row < until; ++row) {
            if (row - out.top >= int(out.rows.size()))
                break;
            for (std::size_t k = 0; k + 1 < inside.size(); k += 2)
                AddSpan(out.rows[std::size_t(row - out.top)], std::max(inside[k], clip.left),
                        std::min(inside[k + 1], clip.right));
        }
    }
    return inside.empty() && at == size;
}

Spans Subtract(const Spans& a, const Spans& b) {
    Spans out = a;
    for (std::size_t i = 0; i < out.rows.size(); ++i)
        if (const Spans::Row* cut = RowAt(b, a.top + int(i)))
            out.rows[i] = SubtractRow(a.rows[i], *cut);
    return out;
}

Spans Offset(Spans spans, int dh, int dv) {
    spans.top += dv;
    if (dh != 0)
        for (auto& row : spans.rows)
            for (auto& [x0, x1] : row) {
                x0 += dh;
                x1 += dh;
            }
    return spans;
}

Spans Erode(const Spans& spans, int dh, int dv) {
    Spans narrow = spans;
    for (auto& row : narrow.rows) {
        Spans::Row kept;
        for (auto [x0, x1] : row)
            AddSpan(kept, x0 + dh, x1 - dh);
        row.swap(kept);
    }
    Spans out = Empty(spans.top);
    out.rows.resize(spans.rows.size());
    for (std::size_t i = 0; i < out.rows.size(); ++i) {
        if (int64_t(i) < dv || int64_t(i) + dv >= int64_t(out.rows.size()))
            continue;
        Spans::Row row = narrow.rows[i - std::size_t(dv)];
        for (std::size_t k = i - std::size_t(dv) + 1; k <= i + std::size_t(dv) && !row.empty(); ++k)
            row = IntersectRow(row, narrow.rows[k]);
        out.rows[i].swap(row);
    }
    return out;
}

} // namespace tbx::pict
