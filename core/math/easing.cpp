#include "core/math/easing.h"

namespace {

double EaseInSquare(double t, double b, double c, double d) {
    if (d == 0.0)
        return b + c;
    const double s = t / d;
    return c * (s * s) + b;
}

double EaseOutSquare(double t, double b, double c, double d) {
    if (d == 0.0)
        return b + c;
    const double s = t / d;
    return -c * s * (s - 2.0) + b;
}

} // namespace

// The ease-in curves all share the square form.
double BK_EaseInLinear(double t, double b, double c, double d) {
    return EaseInSquare(t, b, c, d);
}

double BK_EaseOutLinear(double t, double b, double c, double d) {
    if (d == 0.0)
        return b + c;
    return c * t / d + b;
}

double BK_EaseInCubic(double t, double b, double c, double d) {
    return EaseInSquare(t, b, c, d);
}
double BK_EaseOutCubic(double t, double b, double c, double d) {
    return EaseOutSquare(t, b, c, d);
}

double BK_EaseInQuadratic(double t, double b, double c, double d) {
    return EaseInSquare(t, b, c, d);
}
double BK_EaseOutQuadratic(double t, double b, double c, double d) {
    return EaseOutSquare(t, b, c, d);
}
