// Easing curves for animated transitions: t elapsed time, b start value, c total change,
// d duration. Each gives b at t = 0 and b + c at t = d; a duration of 0 gives b + c.
#pragma once

double BK_EaseInLinear(double t, double b, double c, double d);
double BK_EaseOutLinear(double t, double b, double c, double d);
double BK_EaseInCubic(double t, double b, double c, double d);
double BK_EaseOutCubic(double t, double b, double c, double d);
double BK_EaseInQuadratic(double t, double b, double c, double d);
double BK_EaseOutQuadratic(double t, double b, double c, double d);
