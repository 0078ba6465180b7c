#include "core/math/geometry.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;
}

double BK_AngleBetween2Lines(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                             int32_t x4, int32_t y4) {
    const double ux = static_cast<double>(x2) - x1;
    const double uy = static_cast<double>(y2) - y1;
    const double vx = static_cast<double>(x4) - x3;
    const double vy = static_cast<double>(y4) - y3;
    const double uu = ux * ux + uy * uy;
    const double vv = vx * vx + vy * vy;
    if (uu == 0.0 || vv == 0.0)
        return 0.0;
    // One square root of the product keeps parallel integer lines at a cosine of exactly 1;
    // the clamp catches what rounding still pushes past it.
    const double cosine = std::clamp((ux * vx + uy * vy) / std::sqrt(uu * vv), -1.0, 1.0);
    const double angle = std::acos(cosine) * kDegreesPerRadian;
    return y2 > y4 ? -angle : angle;
}

double BK_DistanceBetweenPointAndLine(double px, double py, double x1, double y1, double x2,
                                      double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    // The length in single precision, which the gradient drawing expects.
    const double length = std::sqrt(static_cast<float>(dx * dx + dy * dy));
    if (length == 0.0)
        return std::hypot(px - x1, py - y1);
    return ((y1 - y2) * px + (x2 - x1) * py + (x1 * y2 - y1 * x2)) / length;
}
