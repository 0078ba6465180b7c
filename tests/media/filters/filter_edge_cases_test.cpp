// The cases each filter and routine is known by, with results worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/deinterlace_filter.h"
#include "media/filters/distort_filters.h"
#include "media/filters/fade_edge_filter.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/pixel_routines.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"

namespace {

using Bytes = std::vector<uint8_t>;

CBK_Image Make(int w, int h, const Bytes& bytes) {
    CBK_Image image;
    EXPECT_TRUE(
        image.Create(uint32_t(w), uint32_t(h), 24, const_cast<uint8_t*>(bytes.data()), true));
    return image;
}

Bytes Of(const CBK_Image& image) {
    return Bytes(image.GetData(), image.GetData() + image.GetSize());
}

Bytes Filtered(CBK_ImageFilter&& filter, int w, int h, const Bytes& bytes, bool expected = true) {
    CBK_Image image = Make(w, h, bytes);
    EXPECT_EQ(filter.Filter(image), expected);
    return Of(image);
}

Bytes Grey(int w, int h, uint8_t value) {
    return Bytes(size_t(w) * h * 3, value);
}

TEST(FilterEdgeCaseTest, ToneFilters) {
    EXPECT_EQ(Filtered(CBK_ImageFilterSolarize(), 1, 1, {50, 51, 200}), (Bytes{50, 204, 55}));
    EXPECT_EQ(Filtered(CBK_ImageFilterSepia(), 2, 1, {0, 0, 0, 255, 255, 255}),
              (Bytes{49, 0, 0, 255, 241, 199}));
    EXPECT_EQ(
        Filtered(CBK_ImageFilterBlackWhite(), 3, 1, {100, 100, 100, 101, 101, 101, 255, 0, 50}),
        (Bytes{0, 0, 0, 255, 255, 255, 255, 255, 255}));
    CBK_ImageFilterBlackWhite black;
    black.SetThreshold(255);
    EXPECT_EQ(Filtered(std::move(black), 1, 1, {255, 255, 255}), Grey(1, 1, 0));
    auto brightness = [](int b, int c, Bytes bytes) {
        CBK_ImageFilterBrightness f;
        f.SetBrightnessThreshold(b);
        f.SetContrastThreshold(c);
        return Filtered(std::move(f), 1, 1, bytes);
    };
    EXPECT_EQ(brightness(0, 0, {0, 77, 255}), (Bytes{0, 77, 255}));
    EXPECT_EQ(brightness(100, 0, {0, 200, 128}), (Bytes{127, 255, 255}));
    EXPECT_EQ(brightness(0, -100, {0, 200, 255}), (Bytes{127, 127, 127}));
    EXPECT_EQ(brightness(-50, 0, {127, 127, 127}), (Bytes{63, 63, 63}));
    EXPECT_EQ(brightness(0, 100, {100, 200, 127}), (Bytes{73, 255, 127}));
    EXPECT_EQ(Filtered(CBK_ImageFilterGrayscale(), 2, 1, {255, 255, 255, 9, 0, 0}),
              (Bytes{255, 255, 255, 3, 3, 3}));
    EXPECT_EQ(Filtered(CBK_ImageFilterContrast(), 1, 1, {1, 2, 3}), (Bytes{1, 2, 3}));
}

TEST(FilterEdgeCaseTest, Blurs) {
    EXPECT_EQ(Filtered(CBK_ImageFilterBlur(), 1, 1, {9, 8, 7}), (Bytes{9, 8, 7}));
    EXPECT_EQ(Filtered(CBK_ImageFilterBlur(), 2, 1, {10, 10, 10, 21, 21, 21}), Grey(2, 1, 15));
    Bytes uniform = Grey(9, 7, 77);
    CBK_ImageFilterGaussianBlur gaussian;
    gaussian.SetRadius(7);
    EXPECT_EQ(Filtered(std::move(gaussian), 9, 7, uniform), uniform);
    Bytes bar = Grey(9, 1, 0);
    bar[12] = bar[13] = bar[14] = 250; // pixel 4
    CBK_ImageFilterGaussianBlur small;
    small.SetRadius(0.9);
    EXPECT_EQ(Filtered(std::move(small), 9, 1, bar), bar);
    // Motion blur keeps weights 0 and 1 at (0, 0): about 94 percent of a lone pixel.
    const std::vector<double> kernel = CBK_ImageFilterMotionBlur::GetMotionBlurKernel(41, 1.0);
    EXPECT_NEAR(kernel[0] + kernel[1], 0.94, 0.01);
    EXPECT_EQ(CBK_ImageFilterMotionBlur::GetMotionBlurKernel(0, 1.0).size(), 3u);
    const Bytes dark = Filtered(CBK_ImageFilterMotionBlur(), 3, 3, Grey(3, 3, 200));
    EXPECT_EQ(dark[(2 * 3 + 2) * 3], uint8_t(200 * (kernel[0] + kernel[1])));
}

TEST(FilterEdgeCaseTest, EdgeEmbossMedian) {
    // A zero response on a uniform picture.
    EXPECT_EQ(Filtered(CBK_ImageFilterEdge(), 4, 4, Grey(4, 4, 90)), Grey(4, 4, 0));
    CBK_ImageFilterEdge wide;
    wide.SetRadius(10);
    Bytes dot = Grey(5, 3, 0);
    dot[(1 * 5 + 2) * 3] = 10;
    // Cut to a 3 × 3 kernel: 8 × 10 at the dot, 0 around it.
    const Bytes edged = Filtered(std::move(wide), 5, 3, dot);
    EXPECT_EQ(edged[(1 * 5 + 2) * 3], 80);
    EXPECT_EQ(edged[(1 * 5 + 1) * 3], 0);
    EXPECT_EQ(Filtered(CBK_ImageFilterEmboss(), 12, 12, Grey(12, 12, 5)),
              Filtered(CBK_ImageFilterEmboss(), 12, 12, Grey(12, 12, 5)));
    EXPECT_EQ(Filtered(CBK_ImageFilterEmboss(), 10, 12, Grey(10, 12, 5)), Grey(10, 12, 5));
    Bytes outlier = Grey(5, 5, 40);
    outlier[(2 * 5 + 2) * 3 + 1] = 255;
    EXPECT_EQ(Filtered(CBK_ImageFilterMedian(), 5, 5, outlier), Grey(5, 5, 40));
    outlier.resize(4 * 5 * 3);
    EXPECT_EQ(Filtered(CBK_ImageFilterMedian(), 4, 5, outlier, false), outlier);
    Bytes speck = Grey(3, 3, 0);
    speck[12] = speck[13] = speck[14] = 255;
    EXPECT_EQ(Filtered(CBK_ImageFilterReduceNoise(), 3, 3, speck), Grey(3, 3, 0));
    EXPECT_EQ(Filtered(CBK_ImageFilterSharpen(), 4, 6, Grey(4, 6, 3)), Grey(4, 6, 3));
}

TEST(FilterEdgeCaseTest, Despeckle) {
    // A lone pixel within 64 (root mean square) of its surroundings merges at level 1; one
    // farther away stays.
    Bytes near = Grey(5, 5, 100);
    near[(2 * 5 + 2) * 3 + 0] = near[(2 * 5 + 2) * 3 + 1] = near[(2 * 5 + 2) * 3 + 2] = 164;
    EXPECT_EQ(Filtered(CBK_ImageFilterDespeckle(), 5, 5, near), Grey(5, 5, 100));
    Bytes far = Grey(5, 5, 100);
    for (int c = 0; c < 3; ++c)
        far[(2 * 5 + 2) * 3 + c] = 255;
    EXPECT_EQ(Filtered(CBK_ImageFilterDespeckle(), 5, 5, far), far);
    // Candidates left, right, up, down: the most similar wins.
    Bytes cross = Grey(3, 3, 0);
    const uint8_t values[9] = {0, 30, 0, 20, 50, 40, 0, 45, 0};
    for (int i = 0; i < 9; ++i)
        cross[i * 3] = cross[i * 3 + 1] = cross[i * 3 + 2] = values[i];
    const Bytes merged = Filtered(CBK_ImageFilterDespeckle(), 3, 3, cross);
    EXPECT_EQ(merged[4 * 3], 45);
    EXPECT_EQ(Filtered(CBK_ImageFilterDespeckle(), 6, 4, Grey(6, 4, 9)), Grey(6, 4, 9));
    // One pass on its own: level 1 merges the lone pixel; a level below 1 leaves it.
    for (const int32_t level : {-3, 0, 1}) {
        Bytes pass = near;
        despeckle_iteration(level, 3.0, 5, 5, pass.data());
        EXPECT_EQ(pass, level == 1 ? Grey(5, 5, 100) : near);
    }
}

// Plays back a fixed list of raw random values.
struct Scripted : imagemagick::RandomSource {
    std::vector<int32_t> values;
    size_t next = 0;
    int32_t Next() override { return values[next++ % values.size()]; }
};

TEST(FilterEdgeCaseTest, NoiseFromAScriptedSource) {
    Scripted impulse;
    impulse.values = {0x7FFFFFFF / 50, 0x7FFFFFFF, 0x7FFFFFFF / 2}; // α 0.02, 1.0, 0.5
    CBK_ImageFilterAddNoise noise;
    noise.SetNoiseType(imagemagick::ImpulseNoise);
    noise.SetRandomSource(&impulse);
    EXPECT_EQ(Filtered(std::move(noise), 1, 1, {100, 100, 100}), (Bytes{0, 255, 100}));
    Scripted zero;
    zero.values = {0}; // α 0 is taken as 1.0
    EXPECT_EQ(imagemagick::GenerateNoise(100, imagemagick::UniformNoise, zero), 102);
    EXPECT_EQ(imagemagick::GenerateNoise(100, 17, zero), 102);
    Scripted half;
    half.values = {0x7FFFFFFF / 4}; // α = 0.25: 100 + 10 ln 0.5 = 93.07
    EXPECT_EQ(imagemagick::GenerateNoise(100, imagemagick::LaplacianNoise, half), 93);
    Scripted poisson;
    poisson.values = {0x7FFFFFFF / 2}; // 0.5, 0.25, 0.125: below e^−2.5 = 0.082 after 3
    EXPECT_EQ(imagemagick::GenerateNoise(50, imagemagick::PoissonNoise, poisson), 60);
}

TEST(FilterEdgeCaseTest, ReliefFilters) {
    EXPECT_EQ(Filtered(CBK_ImageFilterShade(), 4, 3, Grey(4, 3, 33)), Grey(4, 3, 87));
    Bytes board = Grey(4, 4, 100);
    CBK_ImageFilterRaiseBorders one;
    one.SetWidth(1);
    const Bytes r = Filtered(std::move(one), 4, 4, board);
    const uint8_t hi = (100 * 190 + 16575) / 255, ac = (100 * 135 + 30600) / 255,
                  sh = 100 * 190 / 255, tr = 100 * 135 / 255;
    const uint8_t expected[16] = {ac, ac,  ac,  ac, hi, 100, 100, sh,
                                  hi, 100, 100, sh, hi, tr,  tr,  sh};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(r[i * 3], expected[i]) << i;
    // Wider than half the picture: held to it, nothing written outside.
    CBK_ImageFilterRaiseBorders wide;
    wide.SetWidth(10);
    EXPECT_EQ(Filtered(std::move(wide), 3, 1, Grey(3, 1, 100)), Grey(3, 1, 100));
    CBK_Image empty;
    EXPECT_TRUE(CBK_ImageFilterRaiseBorders().Filter(empty));
}

TEST(FilterEdgeCaseTest, SwirlImplodeFadeEdge) {
    Bytes picture(7 * 5 * 3);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint8_t(i * 37);
    CBK_ImageFilterSwirl still;
    still.SetAngle(0);
    EXPECT_EQ(Filtered(std::move(still), 7, 5, picture), picture);
    CBK_ImageFilterImplode none;
    none.SetAmount(0);
    EXPECT_EQ(Filtered(std::move(none), 7, 5, picture), picture);
    // 100 × 50: the corners lie outside the ellipse.
    Bytes wide(100 * 50 * 3);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = uint8_t(i * 13 + i / 300);
    const Bytes imploded = Filtered(CBK_ImageFilterImplode(), 100, 50, wide);
    EXPECT_NE(imploded, wide);
    for (int i : {0, 99, 49 * 100, 49 * 100 + 99})
        EXPECT_EQ(imploded[i * 3 + 1], wide[i * 3 + 1]) << i;

    CBK_ImageFilterFadeEdge fade;
    fade._MakeAlphaMap(60, 50, 20);
    const std::vector<uint8_t>& map = fade.GetAlphaMap();
    EXPECT_EQ(map[25 * 60 + 30], 0);
    EXPECT_GT(map[0], map[25 * 60 + 3]);
    EXPECT_GT(map[25 * 60 + 3], map[25 * 60 + 10]);
    const Bytes faded = Filtered(CBK_ImageFilterFadeEdge(), 60, 50, Grey(60, 50, 40));
    const double m = map[0];
    EXPECT_EQ((Bytes{faded[0], faded[1], faded[2]}),
              (Bytes{uint8_t(m + 40 * (255 - m) / 255), uint8_t(40 * (255 - m) / 255),
                     uint8_t(40 * (255 - m) / 255)}));
    EXPECT_EQ(faded[(25 * 60 + 30) * 3], 40);
    // A band wider than the picture covers it, and stays inside it.
    CBK_ImageFilterFadeEdge huge;
    huge.SetBorderSize(1000000);
    huge.SetFadeColor(0x00FF00);
    EXPECT_EQ(Filtered(std::move(huge), 3, 2, Grey(3, 2, 9)),
              (Bytes{0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0}));
}

TEST(FilterEdgeCaseTest, Deinterlace) {
    auto column = [](std::vector<uint8_t> rows) {
        Bytes bytes;
        for (uint8_t v : rows)
            for (int i = 0; i < 6; ++i) // two pixels per row, three bytes each
                bytes.push_back(v);
        return bytes;
    };
    EXPECT_EQ(Filtered(CBK_ImageFilterDeinterlace(), 2, 2, column({10, 200})), column({10, 200}));
    // 10 levels above both neighbours: D = 1000, marked, and the pair keeps each other.
    EXPECT_EQ(Filtered(CBK_ImageFilterDeinterlace(), 2, 3, column({10, 20, 13})),
              column({10, 11, 13}));
    // 5 levels: D = 250, kept.
    EXPECT_EQ(Filtered(CBK_ImageFilterDeinterlace(), 2, 3, column({10, 15, 10})),
              column({10, 15, 10}));
    // Halfway between its neighbours: D is negative, the pixel is kept.
    EXPECT_EQ(Filtered(CBK_ImageFilterDeinterlace(), 2, 3, column({0, 100, 200})),
              column({0, 100, 200}));
    // A lone mark is dropped.
    Bytes lone = column({10, 10, 10});
    lone[6 * 1 + 0] = lone[6 * 1 + 1] = lone[6 * 1 + 2] = 60;
    EXPECT_EQ(Filtered(CBK_ImageFilterDeinterlace(), 2, 3, lone), lone);
    // 32-bit frames average all four bytes of a marked pixel.
    CBK_Image rgba;
    Bytes four = {10, 10, 10, 0,   10, 10, 10, 0,  40, 40, 40, 100,
                  40, 40, 40, 100, 13, 13, 13, 50, 13, 13, 13, 50};
    ASSERT_TRUE(rgba.Create(2, 3, 32, four.data(), true));
    EXPECT_TRUE(CBK_ImageFilterDeinterlace().Filter(rgba));
    EXPECT_EQ((Bytes{rgba.GetData()[8], rgba.GetData()[11]}), (Bytes{11, 25}));
}

TEST(FilterEdgeCaseTest, PixelRoutines) {
    using namespace imagemagick;
    EXPECT_EQ(GetOptimalKernelWidth1D(0.5, 0.5), 3);
    EXPECT_EQ(GetOptimalKernelWidth1D(2.0, 1.0), 5);
    EXPECT_EQ(GetOptimalKernelWidth1D(0.0, 0.5), 3);
    EXPECT_EQ(GetOptimalKernelWidth1D(5.0, 1.0), 11);
    EXPECT_EQ(GetOptimalKernelWidth2D(0.0, 1.0), 5);
    EXPECT_EQ(GetOptimalKernelWidth1D(1e300, 1.0), 2001);
    PixelPacket white{255, 255, 255, 0}, red{255, 0, 0, 0};
    EXPECT_EQ(PixelIntensityToQuantum(&white), 255);
    EXPECT_EQ(PixelIntensityToQuantum(&red), 76);
    Quantum r, g, b;
    HSLTransform(0.3, 0.0, 0.5, &r, &g, &b);
    EXPECT_EQ((Bytes{r, g, b}), (Bytes{128, 128, 128}));
    double hue, saturation, luminosity;
    TransformHSL(255, 0, 0, &hue, &saturation, &luminosity);
    HSLTransform(hue, saturation, luminosity, &r, &g, &b);
    EXPECT_EQ((Bytes{r, g, b}), (Bytes{255, 0, 0}));
    r = g = b = 200;
    Contrast(1, &r, &g, &b);
    EXPECT_GT(r, 200);

    CBK_Image image = Make(4, 4, Grey(4, 4, 50));
    const double even[16] = {};
    EXPECT_FALSE(ConvolveImage(image, 4, even));
    CBK_Image narrow = Make(4, 6, Grey(4, 6, 50));
    const double k25[25] = {};
    EXPECT_FALSE(ConvolveImage(narrow, 5, k25));
    // A kernel summing to 0.5 is applied as it is; one summing to 2 is halved.
    const double half[9] = {0, 0, 0, 0, 0.5, 0, 0, 0, 0};
    EXPECT_TRUE(ConvolveImage(image, 3, half));
    EXPECT_EQ(image.GetData()[0], 25);
    const double twice[9] = {0, 0, 0, 0, 2.0, 0, 0, 0, 0};
    EXPECT_TRUE(ConvolveImage(image, 3, twice));
    EXPECT_EQ(image.GetData()[0], 25);

    EXPECT_EQ(ScaleLongToQuantum(0xFFFFFFFFu), 255);
    EXPECT_EQ(ScaleQuantumToShort(255), 65535);
    EXPECT_EQ(ScaleShortToQuantum(514), 2);
    // One hull step on a single inner pixel with the offset to the right: raised towards
    // the brighter right neighbour, then again where the left one is brighter still.
    uint8_t fPlane[9] = {0, 0, 0, 0, 10, 20, 0, 0, 0}, gPlane[9] = {0, 0, 0, 30, 0, 20, 0, 0, 0};
    Hull(1, 0, 1, 1, fPlane, gPlane, 1);
    EXPECT_EQ(gPlane[4], 11);
    EXPECT_EQ(fPlane[4], 12);
    Hull(1, 0, 1, 1, fPlane, gPlane, -1);
    EXPECT_EQ(gPlane[4], 12); // 20 is not at or below 10

    // Fetches past the edges repeat the edge pixels.
    Bytes ramp = {0, 0, 0, 90, 90, 90, 30, 30, 30, 120, 120, 120};
    CBK_Image square = Make(2, 2, ramp);
    auto block = AcquireImagePixels(square, -1, -1, 4, 4);
    EXPECT_EQ(block[0].red, 0);
    EXPECT_EQ(block[3].red, 90);
    EXPECT_EQ(block[15].red, 120);
    PixelPacket p{7, 7, 7, 0};
    EXPECT_FALSE(AcquireOnePixel(square, 2, 0, p));
    EXPECT_EQ(p.red, 7);
    // Left of the picture the edge pixel is taken, as right of it.
    InterpolateColor(square, -0.5, 0, p);
    EXPECT_EQ(p.red, 0);
    InterpolateColor(square, 0.5, 0, p);
    EXPECT_EQ(p.red, 45);
    InterpolateColor(square, 1.5, 1.0, p);
    EXPECT_EQ(p.red, 120);
    InterpolateColor(square, 1e30, -1e30, p);
    EXPECT_EQ(p.red, 90);
}

} // namespace
