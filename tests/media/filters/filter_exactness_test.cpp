// Every filter against its literal form, byte for byte, on random pictures from 1 × 1 to
// 40 × 40 across its whole setting range (and past it, where settings are held).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/deinterlace_filter.h"
#include "media/filters/distort_filters.h"
#include "media/filters/fade_edge_filter.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"
#include "reference_filters.h"

namespace {

using reference::Picture;
using std::size_t;

struct Case {
    const char* name;
    std::vector<double> settings;
    // The filter configured with the setting, and the literal form.
    std::function<std::unique_ptr<CBK_ImageFilter>(double)> make;
    std::function<bool(Picture&, double)> literal;
};

template <typename F>
std::function<std::unique_ptr<CBK_ImageFilter>(double)> Plain() {
    return [](double) { return std::make_unique<F>(); };
}

int32_t NextSeeded(void* state) {
    return int32_t((*static_cast<std::minstd_rand*>(state))());
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    auto add = [&](Case c) { cases.push_back(std::move(c)); };
    add({"Deinterlace", {0}, Plain<CBK_ImageFilterDeinterlace>(), [](Picture& p, double) {
             return reference::Deinterlace(p);
         }});
    add({"BlackWhite",
         {-5, 0, 1, 100, 128, 254, 255, 300},
         [](double s) {
             auto f = std::make_unique<CBK_ImageFilterBlackWhite>();
             f->SetThreshold(int32_t(s));
             return f;
         },
         [](Picture& p, double s) { return reference::BlackWhite(p, int(s)), true; }});
    for (int contrast : {-150, -100, -37, 0, 50, 100, 101})
        add({"Brightness",
             {-120, -100, -50, -1, 0, 33, 100, 200},
             [contrast](double s) {
                 auto f = std::make_unique<CBK_ImageFilterBrightness>();
                 f->SetBrightnessThreshold(int32_t(s));
                 f->SetContrastThreshold(contrast);
                 return f;
             },
             [contrast](Picture& p, double s) {
                 return reference::Brightness(p, int(s), contrast), true;
             }});
    add({"Grayscale", {0}, Plain<CBK_ImageFilterGrayscale>(), [](Picture& p, double) {
             return reference::Grayscale(p), true;
         }});
    add({"Sepia", {0}, Plain<CBK_ImageFilterSepia>(), [](Picture& p, double) {
             return reference::Sepia(p), true;
         }});
    add({"Solarize", {0}, Plain<CBK_ImageFilterSolarize>(), [](Picture& p, double) {
             return reference::Solarize(p), true;
         }});
    add({"Blur", {0}, Plain<CBK_ImageFilterBlur>(), [](Picture& p, double) {
             return reference::BoxBlur(p), true;
         }});
    auto stack = [](auto maker) {
        return [maker](double s) {
            auto f = maker();
            f->SetRadius(s);
            return std::unique_ptr<CBK_ImageFilter>(std::move(f));
        };
    };
    const std::vector<double> radii = {-3, 0, 0.9, 1, 2.5, 3, 5, 7.99, 10, 1e4};
    add({"GaussianBlur", radii,
         stack([] { return std::make_unique<CBK_ImageFilterGaussianBlur>(); }),
         [](Picture& p, double s) { return reference::StackBlur(p, s), true; }});
    add({"FastBlur",
         {1, 4},
         stack([] { return std::make_unique<CBK_ImageFilterFastBlur>(); }),
         [](Picture& p, double s) { return reference::StackBlur(p, s), true; }});
    add({"MotionBlur", {0}, Plain<CBK_ImageFilterMotionBlur>(), [](Picture& p, double) {
             return reference::MotionBlur(p), true;
         }});
    add({"Edge", radii, stack([] { return std::make_unique<CBK_ImageFilterEdge>(); }),
         [](Picture& p, double s) { return reference::Edge(p, s); }});
    add({"Emboss", {0}, Plain<CBK_ImageFilterEmboss>(), [](Picture& p, double) {
             return reference::Emboss(p);
         }});
    add({"Sharpen", {0}, Plain<CBK_ImageFilterSharpen>(), [](Picture& p, double) {
             return reference::Sharpen(p);
         }});
    auto threshold = [](auto maker) {
        return [maker](double s) {
            auto f = maker();
            f->SetThreshold(int32_t(s));
            return std::unique_ptr<CBK_ImageFilter>(std::move(f));
        };
    };
    const std::vector<double> hundred = {-1, 0, 10, 11, 20, 35, 50, 77, 100, 1000000};
    add({"Median", hundred, threshold([] { return std::make_unique<CBK_ImageFilterMedian>(); }),
         [](Picture& p, double s) { return reference::Median(p, int(s)); }});
    add({"ReduceNoise", {0}, Plain<CBK_ImageFilterReduceNoise>(), [](Picture& p, double) {
             return reference::ReduceNoise(p), true;
         }});
    add({"OilPaint", hundred, threshold([] { return std::make_unique<CBK_ImageFilterOilPaint>(); }),
         [](Picture& p, double s) { return reference::OilPaint(p, int(s)), true; }});
    add({"RaiseBorders",
         {-4, 1, 2, 5, 9, 10, 25},
         [](double s) {
             auto f = std::make_unique<CBK_ImageFilterRaiseBorders>();
             f->SetWidth(int32_t(s));
             return f;
         },
         [](Picture& p, double s) { return reference::RaiseBorders(p, int(s)), true; }});
    add({"Shade", {0}, Plain<CBK_ImageFilterShade>(), [](Picture& p, double) {
             return reference::Shade(p), true;
         }});
    add({"Swirl",
         {-30, 0, 1, 45, 90, 180, 270, 359, 500},
         [](double s) {
             auto f = std::make_unique<CBK_ImageFilterSwirl>();
             CBK_XmlDomNode none;
             f->SetAngle(int32_t(s) % 360);
             return f;
         },
         [](Picture& p, double s) { return reference::Swirl(p, int(s) % 360), true; }});
    add({"Implode",
         {-10, 0, 1, 20, 50, 99, 100, 5000},
         [](double s) {
             auto f = std::make_unique<CBK_ImageFilterImplode>();
             f->SetAmount(int32_t(s));
             return f;
         },
         [](Picture& p, double s) { return reference::Implode(p, int(s)), true; }});
    for (uint32_t colour : {0x0000FFu, 0x336699u})
        add({"FadeEdge",
             {-3, 0, 1, 2, 5, 20, 33, 60},
             [colour](double s) {
                 auto f = std::make_unique<CBK_ImageFilterFadeEdge>();
                 f->SetBorderSize(int32_t(s));
                 f->SetFadeColor(colour);
                 return f;
             },
             [colour](Picture& p, double s) {
                 return reference::FadeEdge(p, int(s), colour), true;
             }});
    add({"Despeckle", {0}, Plain<CBK_ImageFilterDespeckle>(), [](Picture& p, double) {
             return reference::Despeckle(p), true;
         }});
    for (int type = -1; type <= 6; ++type)
        add({"AddNoise",
             {double(type)},
             [](double s) {
                 auto f = std::make_unique<CBK_ImageFilterAddNoise>();
                 f->SetNoiseType(int32_t(s));
                 return f;
             },
             [](Picture& p, double s) {
                 std::minstd_rand engine(77);
                 return reference::AddNoise(p, int(s), NextSeeded, &engine), true;
             }});
    return cases;
}

// Noise, smooth ramps or a few flat colours (runs, ties and specks).
Picture RandomPicture(std::mt19937& rng) {
    Picture p;
    p.w = int(rng() % 40) + 1;
    p.h = int(rng() % 40) + 1;
    p.p.resize(size_t(p.w) * p.h * 3);
    const int kind = int(rng() % 4);
    // Blocks of nearby colours, each block's size drawn anew: regions of every size.
    uint8_t shades[6][3];
    for (auto& shade : shades)
        for (uint8_t& b : shade)
            b = uint8_t(100 + rng() % 40);
    const int block = int(rng() % 6) + 1;
    const uint8_t palette[3][3] = {{200, 10, 40}, {190, 30, 60}, {20, 20, 20}};
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const int colour = (rng() % 8 == 0) ? int(rng() % 3) : (x / 5 + y / 7) % 3;
            for (int c = 0; c < 3; ++c) {
                uint8_t& b = p.at(x, y, c);
                if (kind == 0)
                    b = uint8_t(rng());
                else if (kind == 1)
                    b = uint8_t(x * 6 + y * 3 * c + rng() % 9);
                else if (kind == 3)
                    b = shades[(rng() % 5 == 0 ? rng() : x / block * 7 + y / block * 3) % 6][c];
                else
                    b = palette[colour][c];
            }
        }
    return p;
}

TEST(FilterExactnessTest, EveryFilterEqualsItsLiteralForm) {
    std::mt19937 rng(20261207);
    for (const Case& c : Cases())
        for (double setting : c.settings)
            for (int round = 0; round < std::max<int>(6, 60 / int(c.settings.size())); ++round) {
                Picture picture = RandomPicture(rng);
                if (round == 0)
                    picture.w = picture.h = 1, picture.p.resize(3);
                CBK_Image image;
                ASSERT_TRUE(image.Create(uint32_t(picture.w), uint32_t(picture.h), 24,
                                         picture.p.data(), true));
                std::unique_ptr<CBK_ImageFilter> filter = c.make(setting);
                std::minstd_rand engine(77);
                struct Seeded : imagemagick::RandomSource {
                    std::minstd_rand* e;
                    int32_t Next() override { return int32_t((*e)()); }
                } source;
                source.e = &engine;
                if (auto* noise = dynamic_cast<CBK_ImageFilterAddNoise*>(filter.get()))
                    noise->SetRandomSource(&source);
                const bool done = filter->Filter(image);
                const bool expected = c.literal(picture, setting);
                SCOPED_TRACE(std::string(c.name) + " setting " + std::to_string(setting) +
                             " size " + std::to_string(picture.w) + "x" +
                             std::to_string(picture.h));
                EXPECT_EQ(done, expected);
                ASSERT_EQ(std::vector<uint8_t>(image.GetData(), image.GetData() + picture.p.size()),
                          picture.p);
                // A second run on the same input reuses what the first kept.
                if (round % 5 == 4 && done && std::string(c.name) != "AddNoise") {
                    Picture again = RandomPicture(rng);
                    again.w = picture.w, again.h = picture.h;
                    again.p.resize(picture.p.size());
                    ASSERT_TRUE(image.Create(uint32_t(again.w), uint32_t(again.h), 24,
                                             again.p.data(), true));
                    filter->Filter(image);
                    c.literal(again, setting);
                    ASSERT_EQ(
                        std::vector<uint8_t>(image.GetData(), image.GetData() + again.p.size()),
                        again.p);
                }
            }
}

// Despeckle on pictures large enough for regions of thousands of pixels, so that the later
// passes merge too: gradients with light noise, as in video, and patches of near shades.
TEST(FilterExactnessTest, DespeckleEqualsItsLiteralFormOnLargerPictures) {
    std::mt19937 rng(7);
    CBK_ImageFilterDespeckle filter; // one filter throughout, as a movie uses it
    for (int round = 0; round < 6; ++round) {
        Picture picture;
        picture.w = 64 + int(rng() % 64);
        picture.h = 48 + int(rng() % 48);
        picture.p.resize(size_t(picture.w) * picture.h * 3);
        const int block = 2 + round;
        for (int y = 0; y < picture.h; ++y)
            for (int x = 0; x < picture.w; ++x)
                for (int c = 0; c < 3; ++c)
                    picture.at(x, y, c) =
                        round % 2 ? uint8_t(100 + (x / block * 7 + y / block * 3 + c) % 5 * 3 +
                                            (rng() % 6 == 0 ? rng() % 4 : 0))
                                  : uint8_t((x * (c + 1) / 3 + y / 2 + int(rng() % 7)) % 256);
        CBK_Image image;
        ASSERT_TRUE(
            image.Create(uint32_t(picture.w), uint32_t(picture.h), 24, picture.p.data(), true));
        ASSERT_TRUE(filter.Filter(image));
        const std::vector<uint8_t> before = picture.p;
        reference::Despeckle(picture);
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_NE(picture.p, before);
        ASSERT_EQ(std::vector<uint8_t>(image.GetData(), image.GetData() + picture.p.size()),
                  picture.p);
    }
}

} // namespace
