// The pixels of picture shapes as rows of spans. A pixel is the unit square right and below
// its grid point; a shape covers the pixels whose centres lie inside it (a rectangle its
// pixels from top-left to bottom-right, exclusive).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/quickdraw/qd_types.h"

namespace tbx::pict {

// Rows from `top` down, each a sorted list of disjoint half-open spans [x0, x1).
struct Spans {
    using Row = std::vector<std::pair<int, int>>;
    int top = 0;
    std::vector<Row> rows;
};

// Every shape is cut to the rows [top, bottom); the work each takes is bounded by those rows
// (and, for lines, by their length). Polygons and regions are cut to the columns [left, right)
// too, so that what they keep is bounded by the clip's area.
struct RowClip {
    int top = 0;
    int bottom = 0;
    int left = -32768;
    int right = 32768;
    bool operator==(const RowClip&) const = default;
};

Spans RectSpans(const Rect& r, RowClip clip);
// The oval inscribed in the rectangle, symmetric about both its axes.
Spans OvalSpans(const Rect& r, RowClip clip);
// The rectangle with corners rounded by quarters of an ovalWidth × ovalHeight oval.
Spans RoundRectSpans(const Rect& r, int ovalWidth, int ovalHeight, RowClip clip);
// The part of `shape` that lies in the arc of `arcAngle` degrees from `startAngle`, angles
// measured clockwise from 12 o'clock around the centre of `r`, on `r` as if it were a square
// (45 degrees is always its top-right corner); a negative arc runs anticlockwise. Cut to the
// clip's columns. Each row costs about as much as kWedgeRowWork pixels filled, whatever its
// width: only the pixels where the angles' lines cross it are looked at.
Spans Wedge(const Spans& shape, const Rect& r, int startAngle, int arcAngle, RowClip clip);
inline constexpr uint64_t kWedgeRowWork = 64;
// The polygon through the points, closed, filled by the even-odd rule.
Spans PolygonSpans(const std::vector<std::pair<int, int>>& points, RowClip clip);
// What building the polygon's spans takes: its points and its sides' crossings of the rows.
uint64_t PolygonWork(const std::vector<std::pair<int, int>>& points, RowClip clip);
// The pixels a width × height pen hanging right and below each point of the line covers.
Spans LineSpans(int x1, int y1, int x2, int y2, int penWidth, int penHeight, RowClip clip);

// A region's data: after its 10-byte header (size and bounding box), each scan line that
// changes gives its row and the x coordinates where the rows inside change, ended by 0x7FFF;
// 0x7FFF ends the list. False for data that is not of that form, rows or points out of order
// or outside the box.
bool RegionSpans(const Rect& bounds, const uint8_t* data, std::size_t size, RowClip clip,
                 Spans& out);

// Set operations on spans.
Spans Subtract(const Spans& a, const Spans& b);
// The spans moved by dh columns and dv rows.
Spans Offset(Spans spans, int dh, int dv);
// The pixels whose whole (2·dh+1) × (2·dv+1) neighbourhood lies in the spans.
Spans Erode(const Spans& spans, int dh, int dv);

} // namespace tbx::pict
