// Angles and distances between points and lines in the plane.
#pragma once

#include <cstdint>

// Degrees between the lines (x1,y1)-(x2,y2) and (x3,y3)-(x4,y4), 0 to 180, negated when
// y2 > y4. A line of zero length gives 0.
double BK_AngleBetween2Lines(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                             int32_t x4, int32_t y4);

// Signed distance of (px,py) from the line through (x1,y1) and (x2,y2); when the two points
// coincide, the plain distance from that point.
double BK_DistanceBetweenPointAndLine(double px, double py, double x1, double y1, double x2,
                                      double y2);
