#include <gtest/gtest.h>

#include <cstring>

#include "media/image/image.h"

namespace {

TEST(AlphaBlendTest, HalfwayExample) {
    CBK_Image target, source;
    target.Create(1, 1, 24, nullptr, false);
    source.Create(1, 1, 24, nullptr, false);
    std::memset(target.GetData(), 200, 3);
    std::memset(source.GetData(), 100, 3);
    // 200 × 128 / 255 + 100 × 127 / 255 = 150.20, truncated.
    ASSERT_TRUE(BK_AlphaBlendImage(target, source, 128));
    EXPECT_EQ(target.GetData()[0], 150);
    EXPECT_EQ(target.GetData()[2], 150);
    EXPECT_EQ(source.GetData()[0], 100);
}

// Every target byte, source byte and alpha, against the double-precision formula.
TEST(AlphaBlendTest, EqualsTheDoubleFormulaForAllInputs) {
    CBK_Image target, source;
    ASSERT_TRUE(target.Create(256, 256, 24, nullptr, false));
    ASSERT_TRUE(source.Create(256, 256, 24, nullptr, false));
    for (int a = 0; a < 256; ++a) {
        for (int t = 0; t < 256; ++t)
            for (int s = 0; s < 256; ++s)
                for (int k = 0; k < 3; ++k) {
                    target.GetDataAt(s, t)[k] = uint8_t(t);
                    source.GetDataAt(s, t)[k] = uint8_t(s);
                }
        ASSERT_TRUE(BK_AlphaBlendImage(target, source, a));
        const double alpha = a;
        for (int t = 0; t < 256; ++t)
            for (int s = 0; s < 256; ++s) {
                const double exact = t * alpha / 255.0 + s * (255.0 - alpha) / 255.0;
                const uint8_t* p = target.GetDataAt(s, t);
                ASSERT_EQ(p[0], uint8_t(exact)) << "t=" << t << " s=" << s << " a=" << a;
                ASSERT_EQ(p[1], p[0]);
                ASSERT_EQ(p[2], p[0]);
            }
    }
}

TEST(AlphaBlendTest, EndsKeepTargetOrSourceAndAlphaBytesStay) {
    CBK_Image target, source;
    target.Create(2, 1, 32, nullptr, false);
    source.Create(2, 1, 32, nullptr, false);
    const uint8_t t[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    const uint8_t s[8] = {90, 91, 92, 93, 94, 95, 96, 97};
    std::memcpy(target.GetData(), t, 8);
    std::memcpy(source.GetData(), s, 8);
    ASSERT_TRUE(BK_AlphaBlendImage(target, source, 255));
    EXPECT_EQ(std::memcmp(target.GetData(), t, 8), 0);
    ASSERT_TRUE(BK_AlphaBlendImage(target, source, 0));
    const uint8_t expected[8] = {90, 91, 92, 40, 94, 95, 96, 80};
    EXPECT_EQ(std::memcmp(target.GetData(), expected, 8), 0);
    // Out of range alphas are held to the ends.
    ASSERT_TRUE(BK_AlphaBlendImage(target, source, 1000));
    EXPECT_EQ(std::memcmp(target.GetData(), expected, 8), 0);
}

TEST(AlphaBlendTest, RefusesImagesThatDoNotMatch) {
    CBK_Image a, b, c, empty;
    a.Create(2, 2, 24, nullptr, false);
    b.Create(2, 3, 24, nullptr, false);
    c.Create(2, 2, 32, nullptr, false);
    a.Fill(0x010101);
    EXPECT_FALSE(BK_AlphaBlendImage(a, b, 10));
    EXPECT_FALSE(BK_AlphaBlendImage(a, c, 10));
    EXPECT_FALSE(BK_AlphaBlendImage(a, empty, 10));
    EXPECT_FALSE(BK_AlphaBlendImage(empty, empty, 10));
    EXPECT_EQ(a.GetData()[0], 1);
}

} // namespace
