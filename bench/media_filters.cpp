// Every image filter at its default settings on a 640 × 480 frame, side by side with the
// nearest operation of ImageMagick's MagickCore on one thread. Each round runs ours and then
// the peer on the same input (bench/side_by_side.h); the counters give both times per frame
// in milliseconds and the speed-up (peer time / our time).
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "bench/side_by_side.h"
#include "media/filters/blur_filters.h"
#include "media/filters/convolution_filters.h"
#include "media/filters/deinterlace_filter.h"
#include "media/filters/distort_filters.h"
#include "media/filters/fade_edge_filter.h"
#include "media/filters/median_filters.h"
#include "media/filters/noise_filters.h"
#include "media/filters/relief_filters.h"
#include "media/filters/tone_filters.h"

// After our headers: the library's macros would rename names declared in them.
#include <magick/MagickCore.h>

namespace {

constexpr int kWidth = 640, kHeight = 480;

// Smooth gradients with light noise and a few flat patches, like a video frame.
const std::vector<uint8_t>& Frame() {
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3);
        std::mt19937 rng(7);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool flat = (x / 80 + y / 60) % 5 == 0;
                for (int c = 0; c < 3; ++c)
                    p[(size_t(y) * kWidth + x) * 3 + c] =
                        flat ? uint8_t(40 + 60 * c)
                             : uint8_t((x * (c + 1) / 3 + y / 2 + int(rng() % 7)) % 256);
            }
        return p;
    }();
    return pixels;
}

struct Magick {
    Magick() {
        MagickCoreGenesis("bench_media_filters", MagickFalse);
        SetMagickResourceLimit(ThreadResource, 1);
        exception = AcquireExceptionInfo();
        frame = ConstituteImage(kWidth, kHeight, "RGB", CharPixel, Frame().data(), exception);
    }
    ExceptionInfo* exception;
    Image* frame;
};

Magick& Peer() {
    static Magick magick;
    return magick;
}

// The peer either returns a new image (destroyed untimed) or works in place on a clone.
using PeerOperation = std::function<Image*(Image*, ExceptionInfo*)>;

void Compare(benchmark::State& state, std::function<CBK_ImageFilter*()> make, PeerOperation peer) {
    std::unique_ptr<CBK_ImageFilter> filter(make());
    CBK_Image image;
    image.Create(kWidth, kHeight, 24, const_cast<uint8_t*>(Frame().data()), true);
    Magick& magick = Peer();
    bench::SideBySide rounds(state, "magick", "ms");
    for (auto _ : state) {
        std::memcpy(image.GetData(), Frame().data(), Frame().size());
        rounds.Ours([&] { filter->Filter(image); });
        benchmark::DoNotOptimize(image.GetData());
        if (peer) {
            Image* work = CloneImage(magick.frame, 0, 0, MagickTrue, magick.exception);
            Image* result = nullptr;
            rounds.Peer([&] { result = peer(work, magick.exception); });
            if (result && result != work)
                DestroyImage(result);
            DestroyImage(work);
        }
    }
    rounds.Report();
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

template <typename F>
std::function<CBK_ImageFilter*()> Make() {
    return [] { return new F; };
}

// In-place peer operations answer the image they changed.
template <typename Op>
PeerOperation InPlace(Op op) {
    return [op](Image* image, ExceptionInfo*) {
        op(image);
        return image;
    };
}

const double kQuantum = QuantumRange;

void Register() {
    auto add = [](const char* name, std::function<CBK_ImageFilter*()> make, PeerOperation peer) {
        benchmark::RegisterBenchmark(name, Compare, make, peer)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
    };
    add("AddNoise/+noise_gaussian", Make<CBK_ImageFilterAddNoise>(),
        [](Image* i, ExceptionInfo* e) { return AddNoiseImage(i, GaussianNoise, e); });
    add("BlackWhite/-threshold", Make<CBK_ImageFilterBlackWhite>(),
        InPlace([](Image* i) { BilevelImage(i, 100.0 / 255 * kQuantum); }));
    add("Blur/-blur_1x1", Make<CBK_ImageFilterBlur>(),
        [](Image* i, ExceptionInfo* e) { return BlurImage(i, 1.0, 1.0, e); });
    add("Brightness/-brightness-contrast", Make<CBK_ImageFilterBrightness>(),
        InPlace([](Image* i) { BrightnessContrastImage(i, 0.0, 0.0); }));
    add("Despeckle/-despeckle", Make<CBK_ImageFilterDespeckle>(),
        [](Image* i, ExceptionInfo* e) { return DespeckleImage(i, e); });
    add("Edge/-edge_1", Make<CBK_ImageFilterEdge>(),
        [](Image* i, ExceptionInfo* e) { return EdgeImage(i, 1.0, e); });
    add("Emboss/-emboss_5x1", Make<CBK_ImageFilterEmboss>(),
        [](Image* i, ExceptionInfo* e) { return EmbossImage(i, 5.0, 1.0, e); });
    add("GaussianBlur/-blur_5x1", Make<CBK_ImageFilterGaussianBlur>(),
        [](Image* i, ExceptionInfo* e) { return BlurImage(i, 5.0, 1.0, e); });
    add("Grayscale/-colorspace_Gray", Make<CBK_ImageFilterGrayscale>(),
        InPlace([](Image* i) { TransformImageColorspace(i, GRAYColorspace); }));
    add("Implode/-implode_0.2", Make<CBK_ImageFilterImplode>(),
        [](Image* i, ExceptionInfo* e) { return ImplodeImage(i, 0.2, e); });
    add("Median/-median_5", Make<CBK_ImageFilterMedian>(),
        [](Image* i, ExceptionInfo* e) { return StatisticImage(i, MedianStatistic, 5, 5, e); });
    add("MotionBlur/-motion-blur_20x1+60", Make<CBK_ImageFilterMotionBlur>(),
        [](Image* i, ExceptionInfo* e) { return MotionBlurImage(i, 20.0, 1.0, 60.0, e); });
    add("OilPaint/-paint_5", Make<CBK_ImageFilterOilPaint>(),
        [](Image* i, ExceptionInfo* e) { return OilPaintImage(i, 5.0, e); });
    add("ReduceNoise/-median_3", Make<CBK_ImageFilterReduceNoise>(),
        [](Image* i, ExceptionInfo* e) { return StatisticImage(i, MedianStatistic, 3, 3, e); });
    add("Sepia/-sepia-tone_80%", Make<CBK_ImageFilterSepia>(),
        [](Image* i, ExceptionInfo* e) { return SepiaToneImage(i, 0.8 * kQuantum, e); });
    add("Shade/-shade_10x20", Make<CBK_ImageFilterShade>(),
        [](Image* i, ExceptionInfo* e) { return ShadeImage(i, MagickTrue, 10.0, 20.0, e); });
    add("Sharpen/-sharpen_0x1", Make<CBK_ImageFilterSharpen>(),
        [](Image* i, ExceptionInfo* e) { return SharpenImage(i, 0.0, 1.0, e); });
    add("Solarize/-solarize_20%", Make<CBK_ImageFilterSolarize>(),
        InPlace([](Image* i) { SolarizeImage(i, 0.2 * kQuantum); }));
    add("Swirl/-swirl_180", Make<CBK_ImageFilterSwirl>(),
        [](Image* i, ExceptionInfo* e) { return SwirlImage(i, 180.0, e); });
    add("RaiseBorders/-raise_5", Make<CBK_ImageFilterRaiseBorders>(), InPlace([](Image* i) {
            RectangleInfo border = {5, 5, 0, 0};
            RaiseImage(i, &border, MagickTrue);
        }));
    // No peer operation: our own time only.
    add("Deinterlace", Make<CBK_ImageFilterDeinterlace>(), nullptr);
    add("FadeEdge", Make<CBK_ImageFilterFadeEdge>(), nullptr);
}

const int kRegistered = (Register(), 0);

} // namespace
