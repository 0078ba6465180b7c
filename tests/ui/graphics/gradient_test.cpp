#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/tools.h"
#include "ui/graphics/gradient.h"

namespace {

using Record = CBK_Gradient::GRADIENT_RECORD;

std::vector<float> Positions(const CBK_Gradient& g) {
    std::vector<float> out;
    for (std::size_t i = 0; i < g.GetRecordCount(); ++i)
        out.push_back(g.GetRecord(i)->fPosition);
    return out;
}

TEST(Gradient, BlackToWhiteRampIsTheIdentity) {
    CBK_Gradient g;
    const std::vector<uint32_t> ramp = g.BuildRamp(256);
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_EQ(ramp[i], i * 0x010101u) << i;
    // A falling channel reaches its end value too.
    g.Create(0x0000FF, 0x000000);
    const std::vector<uint32_t> down = g.BuildRamp(256);
    EXPECT_EQ(down.front(), 0xFFu);
    EXPECT_EQ(down[128], 127u);
    EXPECT_EQ(down.back(), 0u);
}

TEST(Gradient, EqualNeighboursFillTheirSpanAndStopsOutsideTheAxisStayInside) {
    CBK_Gradient g;
    g.Create(0x00FF00, 0x0000FF);
    g.AddRecord(0.5f, 0x00FF00);
    const std::vector<uint32_t> ramp = g.BuildRamp(100);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(ramp[i], 0x00FF00u) << i;
    EXPECT_EQ(ramp[99], 0x0000FFu);
    // Written past the ramp before; ASan watches these.
    g.AddRecord(7.5f, 0xFFFFFF);
    g.AddRecord(-3.0f, 0x123456);
    const std::vector<uint32_t> wide = g.BuildRamp(10);
    EXPECT_EQ(wide.size(), 10u);
    EXPECT_EQ(wide[0], 0x00FF00u); // the stops at -3 and 0 both land on entry 0
    EXPECT_EQ(wide[9], 0x0000FFu);
}

TEST(Gradient, RecordsStaySortedAndAtLeastTwo) {
    CBK_Gradient g;
    Record* exact = g.AddRecord(1.0f, 0x00FF00);
    EXPECT_EQ(g.GetRecordCount(), 2u); // recoloured, nothing added
    EXPECT_EQ(exact->nColor, 0x00FF00u);
    Record* mid = g.AddRecord(0.5f);
    EXPECT_EQ(mid->nColor, 0x007F00u);
    Record* quarter = g.AddRecord(0.25f, 0x0000FF);
    EXPECT_EQ(Positions(g), (std::vector<float>{0.0f, 0.25f, 0.5f, 1.0f}));
    EXPECT_EQ(g.RemoveRecord(mid), quarter);
    Record* before = g.RemoveRecord(g.GetRecord(0));
    EXPECT_EQ(before, g.GetRecord(0));
    EXPECT_EQ(g.GetRecordCount(), 2u);
    before = g.RemoveRecord(g.GetRecord(1));
    EXPECT_EQ(before, g.GetRecord(0));
    EXPECT_EQ(g.GetRecordCount(), 2u);

    std::mt19937 random(141);
    std::uniform_real_distribution<float> position(0.0f, 1.0f);
    CBK_Gradient copy;
    for (int i = 0; i < 20; ++i)
        g.AddRecord(position(random), random() & 0xFFFFFF);
    copy = g;
    g = g; // keeps its stops
    EXPECT_EQ(Positions(copy), Positions(g));
    EXPECT_EQ(copy.BuildRamp(300), g.BuildRamp(300));
    for (std::size_t i = 1; i < g.GetRecordCount(); ++i)
        EXPECT_LE(g.GetRecord(i - 1)->fPosition, g.GetRecord(i)->fPosition);

    CBK_Gradient empty;
    empty.Destroy();
    EXPECT_EQ(empty.AddRecord(0.3f)->nColor, 0u); // no stop to take a colour from
}

TEST(Gradient, RadialEndsAreExactAndAnEmptyRampDrawsNothing) {
    CBK_Gradient g;
    g.Create(0x102030, 0xA0B0C0);
    std::vector<unsigned char> pixels(40 * 40 * 4, 7);
    g.Draw(pixels.data(), 160, tbx::Rect{0, 0, 40, 40}, false);
    auto at = [&](int x, int y) {
        const unsigned char* p = &pixels[std::size_t(y * 160 + x * 4)];
        return uint32_t(p[1]) | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16;
    };
    EXPECT_EQ(at(20, 20), 0x102030u);
    EXPECT_EQ(at(0, 0), 0xA0B0C0u);
    EXPECT_EQ(pixels[0], 255);
    std::vector<unsigned char> one(4 * 4, 7);
    g.Draw(one.data(), 4, tbx::Rect{0, 0, 4, 1}, false); // one pixel wide: L = 0
    EXPECT_EQ(one, std::vector<unsigned char>(16, 7));
}

TEST(Gradient, LinearRampMatchesImageMagick) {
    STRAVEL_REQUIRE_TOOL("compare");
    STRAVEL_REQUIRE_TOOL("convert");
    CBK_Gradient g;
    const int width = 256, height = 4;
    std::vector<unsigned char> argb(std::size_t(width * height * 4));
    g.DrawLinear(argb.data(), width * 4, tbx::Rect{0, 0, height, width}, 0.0, 1.0, 0, 0);
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (std::size_t i = 0; i < argb.size(); i += 4)
        ppm.append(reinterpret_cast<const char*>(&argb[i + 1]), 3);
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "ramp.ppm", ppm);
    // ImageMagick's ramp runs top to bottom; turned, it runs left to right. One level of
    // difference (the ramp starts half a pixel in) is within the 1% fuzz.
    const auto made = stravel::testing::RunTool(
        {"convert", "-size", std::to_string(height) + "x" + std::to_string(width),
         "gradient:black-white", "-rotate", "-90", (dir / "magick.png").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto result = stravel::testing::RunTool({"compare", "-metric", "AE", "-fuzz", "1%",
                                                   (dir / "ramp.ppm").string(),
                                                   (dir / "magick.png").string(), "null:"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "0");
}

} // namespace
