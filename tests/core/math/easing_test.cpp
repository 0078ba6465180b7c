#include <gtest/gtest.h>

#include "core/math/easing.h"

namespace {

using Easing = double (*)(double, double, double, double);

struct NamedEasing {
    const char* name;
    Easing function;
};

const NamedEasing kEasings[] = {
    {"EaseInLinear", BK_EaseInLinear},       {"EaseOutLinear", BK_EaseOutLinear},
    {"EaseInCubic", BK_EaseInCubic},         {"EaseOutCubic", BK_EaseOutCubic},
    {"EaseInQuadratic", BK_EaseInQuadratic}, {"EaseOutQuadratic", BK_EaseOutQuadratic},
};

TEST(EasingTest, EveryCurveRunsFromStartToEnd) {
    const double cases[][3] = {{0, 1, 1}, {10, 5, 2.5}, {-3, -7, 40}, {100, -100, 0.125}};
    for (const auto& easing : kEasings) {
        for (const auto& c : cases) {
            const double b = c[0], change = c[1], d = c[2];
            EXPECT_DOUBLE_EQ(easing.function(0, b, change, d), b) << easing.name;
            EXPECT_DOUBLE_EQ(easing.function(d, b, change, d), b + change) << easing.name;
        }
    }
}

TEST(EasingTest, ZeroDurationGivesTheEndValue) {
    for (const auto& easing : kEasings) {
        EXPECT_EQ(easing.function(0, 3, 4, 0), 7) << easing.name;
        EXPECT_EQ(easing.function(2, 3, 4, 0), 7) << easing.name;
    }
}

TEST(EasingTest, MidpointValues) {
    EXPECT_DOUBLE_EQ(BK_EaseOutCubic(0.5, 0, 1, 1), 0.75);
    EXPECT_DOUBLE_EQ(BK_EaseOutQuadratic(0.5, 0, 1, 1), 0.75);
    EXPECT_DOUBLE_EQ(BK_EaseInLinear(0.5, 0, 1, 1), 0.25);
    EXPECT_DOUBLE_EQ(BK_EaseInCubic(0.5, 0, 1, 1), 0.25);
    EXPECT_DOUBLE_EQ(BK_EaseInQuadratic(0.5, 0, 1, 1), 0.25);
    EXPECT_DOUBLE_EQ(BK_EaseOutLinear(0.5, 0, 1, 1), 0.5);
    EXPECT_DOUBLE_EQ(BK_EaseOutLinear(1, 10, -20, 4), 5);
    EXPECT_DOUBLE_EQ(BK_EaseInCubic(3, 10, 16, 4), 19);
}

TEST(EasingTest, InCurvesRiseSlowlyAndOutCurvesQuickly) {
    for (double t = 0.05; t < 1; t += 0.05) {
        EXPECT_LT(BK_EaseInQuadratic(t, 0, 1, 1), t);
        EXPECT_GT(BK_EaseOutQuadratic(t, 0, 1, 1), t);
        EXPECT_LT(BK_EaseInQuadratic(t, 0, 1, 1), BK_EaseInQuadratic(t + 0.05, 0, 1, 1));
        EXPECT_LT(BK_EaseOutQuadratic(t, 0, 1, 1), BK_EaseOutQuadratic(t + 0.05, 0, 1, 1));
    }
}

} // namespace
