#include <gtest/gtest.h>

#include <random>

#include "ui/graphics/affine.h"
#include "ui/graphics/color_functions.h"

namespace {

// A double-precision reference: the 3x3 matrix of a transform, row vector convention.
struct M {
    double a[3][3];
};
M FromTri(double x0, double y0, double x1, double y1, double x2, double y2) {
    return {{{x1 - x0, y1 - y0, 0}, {x2 - x0, y2 - y0, 0}, {x0, y0, 1}}};
}
M Mul(const M& p, const M& q) {
    M r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r.a[i][j] += p.a[i][k] * q.a[k][j];
    return r;
}
M Inverse(const M& m) {
    const double det = m.a[0][0] * m.a[1][1] - m.a[1][0] * m.a[0][1];
    M r{};
    r.a[0][0] = m.a[1][1] / det;
    r.a[0][1] = -m.a[0][1] / det;
    r.a[1][0] = -m.a[1][0] / det;
    r.a[1][1] = m.a[0][0] / det;
    r.a[2][0] = -(m.a[2][0] * r.a[0][0] + m.a[2][1] * r.a[1][0]);
    r.a[2][1] = -(m.a[2][0] * r.a[0][1] + m.a[2][1] * r.a[1][1]);
    r.a[2][2] = 1;
    return r;
}
void ExpectNear(const BK_XFORM& t, const M& m) {
    const double got[6] = {t.m11, t.m12, t.m21, t.m22, t.dx, t.dy};
    const double want[6] = {m.a[0][0], m.a[0][1], m.a[1][0], m.a[1][1], m.a[2][0], m.a[2][1]};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-4 * std::max(1.0, std::abs(want[i]))) << i;
}

TEST(Affine, InvertCombineAndMapTriAgreeWithDoublePrecision) {
    std::mt19937 random(18);
    std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
    int tested = 0;
    while (tested < 200) {
        double p[12];
        for (double& v : p)
            v = std::round(coordinate(random) * 4) / 4; // exact in single precision
        const M s = FromTri(p[0], p[1], p[2], p[3], p[4], p[5]);
        const M d = FromTri(p[6], p[7], p[8], p[9], p[10], p[11]);
        const double detS = s.a[0][0] * s.a[1][1] - s.a[1][0] * s.a[0][1];
        const double detD = d.a[0][0] * d.a[1][1] - d.a[1][0] * d.a[0][1];
        if (std::abs(detS) < 50 || std::abs(detD) < 50)
            continue; // well-conditioned triangles only
        ++tested;
        CBK_Affine a;
        ASSERT_TRUE(
            a.MapTri(float(p[0]), float(p[1]), float(p[2]), float(p[3]), float(p[4]), float(p[5])));
        ExpectNear(a.GetTransform(), s);
        ASSERT_TRUE(a.Invert());
        ExpectNear(a.GetTransform(), Inverse(s));
        CBK_Affine b;
        ASSERT_TRUE(b.MapTri(float(p[6]), float(p[7]), float(p[8]), float(p[9]), float(p[10]),
                             float(p[11])));
        ASSERT_TRUE(a.Combine(b.GetTransform()));
        ExpectNear(a.GetTransform(), Mul(Inverse(s), d));
        CBK_Affine c;
        ASSERT_TRUE(c.MapTri(float(p[0]), float(p[1]), float(p[2]), float(p[3]), float(p[4]),
                             float(p[5]), float(p[6]), float(p[7]), float(p[8]), float(p[9]),
                             float(p[10]), float(p[11])));
        ExpectNear(c.GetTransform(), Mul(Inverse(s), d));
    }
}

TEST(Affine, SingularInputsAreRefusedAndChangeNothing) {
    CBK_Affine a;
    a.Translate(3, 4);
    EXPECT_FALSE(a.Combine(BK_XFORM{1, 2, 2, 4, 0, 0}));
    EXPECT_FALSE(a.SetTransform(BK_XFORM{0, 0, 0, 0, 1, 1}));
    EXPECT_FALSE(a.Scale(0, 2));
    EXPECT_EQ(a.GetTransform().dx, 3.0f);
    EXPECT_EQ(a.GetTransform().m11, 1.0f);
    EXPECT_FALSE(a.MapTri(0, 0, 1, 1, 2, 2));
    EXPECT_FALSE(a.Invert());
}

TEST(Affine, RotateAndScaleApplyAfterTheCurrentTransform) {
    CBK_Affine a;
    a.Translate(10, 0);
    a.Rotate(90, 0, 0);
    a.Scale(2, 3);
    const BK_XFORM& t = a.GetTransform();
    // (1, 0) -> translate (11, 0) -> rotate (0, 11) -> scale (0, 33)
    EXPECT_NEAR(1 * t.m11 + 0 * t.m21 + t.dx, 0.0, 1e-4);
    EXPECT_NEAR(1 * t.m12 + 0 * t.m22 + t.dy, 33.0, 1e-4);
    int32_t lo, hi;
    CBK_Affine::MinMax(4, -2, 9, 0, lo, hi);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 9);
    const tbx::Point corners[3] = {{1, 2}, {3, 4}, {5, 6}};
    CBK_ReverseAffine r(corners);
    r.ClampX(0, 100);
    r.ClampX(-5, 50);
    EXPECT_EQ(r.GetMinX(), 0);
    EXPECT_EQ(r.GetMaxX(), 50);
    EXPECT_EQ(r.GetPointX(2), 6); // Point is (v, h)
}

TEST(ColorFunctions, HexTextAndBrightening) {
    wchar_t text[8];
    EXPECT_EQ(BK_ColorToHexString(0x0000FF, text, 8), 7);
    EXPECT_STREQ(text, L"#ff0000");
    BK_ColorToHexString(0x123456, text, 8);
    EXPECT_STREQ(text, L"#563412");
    EXPECT_LT(BK_ColorToHexString(0x123456, text, 4), 0);
    uint32_t color = 0x80FF10;
    EXPECT_EQ(BK_BrightenColor(color, -100), 0x018000u);
    EXPECT_EQ(color, 0x018000u);
    color = 0x80FF10;
    EXPECT_EQ(BK_BrightenColor(color, 100), 0xFFFF8Fu);
    color = 0x101010;
    EXPECT_EQ(BK_BrightenColor(color, 50), 0x4F4F4Fu); // floor(63.5) = 63
}

} // namespace
