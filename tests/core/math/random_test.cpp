#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>

#include "core/math/random.h"

namespace {

TEST(RandomTest, PlainDrawFollowsTheStandardGenerator) {
    std::srand(1234);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(1234);
    EXPECT_EQ(BK_Random(), first);
    EXPECT_EQ(BK_Random(), second);
    for (int i = 0; i < 1000; ++i) {
        const int32_t value = BK_Random();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RAND_MAX);
    }
}

TEST(RandomTest, RangeIsInclusiveInEitherOrder) {
    std::srand(99);
    std::set<int32_t> forward, backward;
    for (int i = 0; i < 4000; ++i) {
        const int32_t a = BK_Random(10, 3);
        const int32_t b = BK_Random(3, 10);
        ASSERT_GE(a, 3);
        ASSERT_LE(a, 10);
        ASSERT_GE(b, 3);
        ASSERT_LE(b, 10);
        forward.insert(a);
        backward.insert(b);
    }
    EXPECT_EQ(forward.size(), 8u); // every value from 3 to 10 came up
    EXPECT_EQ(backward.size(), 8u);
}

TEST(RandomTest, EqualAndNeighbouringBounds) {
    std::srand(7);
    std::set<int32_t> seen;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(BK_Random(5, 5), 5);
        ASSERT_EQ(BK_Random(-8, -8), -8);
        const int32_t pair = BK_Random(4, 5); // a = b - 1 once divided by zero
        ASSERT_TRUE(pair == 4 || pair == 5);
        seen.insert(pair);
    }
    EXPECT_EQ(seen.size(), 2u);
}

TEST(RandomTest, FullIntegerRangeStaysInBoundsAndCoversBothHalves) {
    std::srand(2024);
    bool negative = false, positive = false;
    for (int i = 0; i < 2000; ++i) {
        const int32_t value = BK_Random(INT32_MIN, INT32_MAX);
        negative |= value < 0;
        positive |= value > 0;
        const int32_t wide = BK_Random(INT32_MAX, INT32_MAX - 2);
        ASSERT_GE(wide, INT32_MAX - 2);
        const int32_t low = BK_Random(INT32_MIN + 1, INT32_MIN);
        ASSERT_LE(low, INT32_MIN + 1);
    }
    EXPECT_TRUE(negative);
    EXPECT_TRUE(positive);
}

TEST(RandomTest, SmallRangeIsRoughlyUniform) {
    std::srand(31);
    int counts[6] = {};
    const int draws = 60000;
    for (int i = 0; i < draws; ++i)
        ++counts[BK_Random(0, 5)];
    for (int count : counts) {
        EXPECT_GT(count, draws / 6 * 9 / 10);
        EXPECT_LT(count, draws / 6 * 11 / 10);
    }
}

} // namespace
