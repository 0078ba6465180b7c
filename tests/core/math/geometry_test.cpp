#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "core/math/geometry.h"

namespace {

TEST(AngleBetween2LinesTest, ParallelLinesGiveZero) {
    // Rounding must not push the cosine of (1,1) against (2,2) past 1.
    EXPECT_EQ(BK_AngleBetween2Lines(0, 0, 1, 1, 0, 0, 2, 2), 0.0);
    EXPECT_EQ(BK_AngleBetween2Lines(5, 5, 6, 6, 1, 1, 4, 4), 0.0);
    EXPECT_EQ(BK_AngleBetween2Lines(0, 0, 3, 7, 10, 20, 16, 34), 0.0);
    for (int32_t k = 1; k < 200; ++k) {
        const double angle = BK_AngleBetween2Lines(0, 0, 7, 3, 0, 0, 7 * k, 3 * k);
        ASSERT_FALSE(std::isnan(angle)) << k;
        ASSERT_NEAR(angle, 0.0, 1e-6) << k;
    }
}

TEST(AngleBetween2LinesTest, RightAnglesAndSign) {
    // Horizontal against a vertical line that rises (y4 > y2).
    EXPECT_DOUBLE_EQ(BK_AngleBetween2Lines(0, 0, 10, 0, 0, 0, 0, 10), 90.0);
    // The sign follows y2 > y4.
    EXPECT_DOUBLE_EQ(BK_AngleBetween2Lines(0, 0, 0, 10, 0, 0, 10, 0), -90.0);
    EXPECT_DOUBLE_EQ(BK_AngleBetween2Lines(0, 0, 10, 0, 0, 0, -10, 0), 180.0);
    EXPECT_NEAR(BK_AngleBetween2Lines(0, 0, 10, 0, 0, 0, 10, 10), 45.0, 1e-12);
    EXPECT_NEAR(BK_AngleBetween2Lines(0, 0, 10, 10, 0, 0, 10, 0), -45.0, 1e-12);
}

TEST(AngleBetween2LinesTest, ZeroLengthLineGivesZero) {
    EXPECT_EQ(BK_AngleBetween2Lines(3, 3, 3, 3, 0, 0, 5, 1), 0.0);
    EXPECT_EQ(BK_AngleBetween2Lines(0, 0, 5, 1, 4, 4, 4, 4), 0.0);
}

TEST(AngleBetween2LinesTest, ExtremeCoordinatesStayFinite) {
    const double angle = BK_AngleBetween2Lines(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX,
                                               INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    EXPECT_DOUBLE_EQ(angle, -180.0); // opposite directions, negated since y2 > y4
    EXPECT_EQ(BK_AngleBetween2Lines(INT32_MIN, 0, INT32_MAX, 0, INT32_MIN, 0, INT32_MAX, 0), 0.0);
}

TEST(DistanceBetweenPointAndLineTest, SignedDistance) {
    // Line along the x axis from (0,0) to (10,0): points above have negative distance.
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(5, 3, 0, 0, 10, 0), 3.0);
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(5, -3, 0, 0, 10, 0), -3.0);
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(7, 0, 0, 0, 10, 0), 0.0);
    // Reversing the line flips the sign.
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(5, 3, 10, 0, 0, 0), -3.0);
    // Diagonal line y = x: (0, 2) lies sqrt(2) away.
    EXPECT_NEAR(BK_DistanceBetweenPointAndLine(0, 2, 0, 0, 1, 1), std::sqrt(2.0), 1e-6);
    // A 3-4-5 line gives an exact length.
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(4, 0, 0, 0, 3, 4), -16.0 / 5.0);
}

TEST(DistanceBetweenPointAndLineTest, CoincidentPointsGiveDistanceToThatPoint) {
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(4, 5, 1, 1, 1, 1), 5.0);
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(1, 1, 1, 1, 1, 1), 0.0);
    EXPECT_DOUBLE_EQ(BK_DistanceBetweenPointAndLine(-2, 1, 1, 5, 1, 5), 5.0);
}

} // namespace
