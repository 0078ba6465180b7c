// The watermark on every output frame: a 320 × 240 picture whose transparent colour gives it
// soft-edged alpha, blended at alpha 200 onto a 640 × 480 frame, beside ImageMagick's
// composite-over (MagickCore, one thread) of the same picture with the same per-pixel alpha as
// its alpha channel. Each round runs ours and then the peer on the same frame; the counters
// give both times per frame in milliseconds and the speed-up (peer time / our time).
// The scaling runs only when the size changes: its own case resizes the picture to a new
// size each round, beside the peer's triangle-filter resize of the same picture.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "media/watermark/image_watermark.h"

// After our headers: the library's macros would rename names declared in them.
#include <magick/MagickCore.h>

namespace {

constexpr int kFrameWidth = 640, kFrameHeight = 480, kMarkWidth = 320, kMarkHeight = 240;
constexpr uint32_t kKey = 0x00FF00; // green is the transparent colour
constexpr int32_t kAlpha = 200;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> FramePixels() {
    std::vector<uint8_t> p(size_t(kFrameWidth) * kFrameHeight * 3);
    std::mt19937 rng(3);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            for (int c = 0; c < 3; ++c)
                p[(size_t(y) * kFrameWidth + x) * 3 + c] = uint8_t((x + y * (c + 1) + rng() % 5));
    return p;
}

// A picture with a ring of the transparent colour around a disc.
CBK_Image MarkPicture() {
    CBK_Image image;
    image.Create(kMarkWidth, kMarkHeight, 24, nullptr, false);
    for (int y = 0; y < kMarkHeight; ++y)
        for (int x = 0; x < kMarkWidth; ++x) {
            uint8_t* p = image.GetDataAt(x, y);
            const int dx = x - kMarkWidth / 2, dy = y - kMarkHeight / 2;
            const bool clear = dx * dx + dy * dy > 100 * 100;
            p[0] = clear ? 0 : uint8_t(x);
            p[1] = clear ? 255 : uint8_t(y);
            p[2] = clear ? 0 : uint8_t(x + y);
        }
    return image;
}

struct Setup {
    Setup() {
        MagickCoreGenesis("bench_media_watermark", MagickFalse);
        SetMagickResourceLimit(ThreadResource, 1);
        exception = AcquireExceptionInfo();
        frame = FramePixels();
        picture = MarkPicture();
        mark.Init(picture, 0, 0, kKey);
        mark.SetUseTransparentColor(true);
        mark.SetAlpha(kAlpha);
        mark.SetPos(200, 150);
        // The peer's overlay: the same pixels with our per-pixel weight as alpha.
        std::vector<uint8_t> rgba(size_t(kMarkWidth) * kMarkHeight * 4);
        for (size_t i = 0; i < size_t(kMarkWidth) * kMarkHeight; ++i) {
            std::memcpy(&rgba[i * 4], mark.GetData() + i * 3, 3);
            rgba[i * 4 + 3] = uint8_t(std::max(0, mark.GetAlphaMap()[i] + kAlpha - 255));
        }
        peerFrame =
            ConstituteImage(kFrameWidth, kFrameHeight, "RGB", CharPixel, frame.data(), exception);
        peerMark =
            ConstituteImage(kMarkWidth, kMarkHeight, "RGBA", CharPixel, rgba.data(), exception);
        peerPicture = ConstituteImage(kMarkWidth, kMarkHeight, "RGB", CharPixel, picture.GetData(),
                                      exception);
    }
    ExceptionInfo* exception;
    std::vector<uint8_t> frame;
    CBK_Image picture;
    CBK_ImageWatermark mark;
    Image* peerFrame;
    Image* peerMark;
    Image* peerPicture;
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

void Report(benchmark::State& state, double ours, double theirs, int64_t pixels) {
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1e3;
    state.counters["magick_ms"] = theirs / n * 1e3;
    state.counters["speedup"] = theirs / ours;
    state.SetItemsProcessed(int64_t(state.iterations()) * pixels);
}

void BM_BlendOnto640x480(benchmark::State& state) {
    Setup& s = Shared();
    CBK_Image frame;
    frame.Create(kFrameWidth, kFrameHeight, 24, s.frame.data(), true);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        std::memcpy(frame.GetData(), s.frame.data(), s.frame.size());
        const auto t0 = Clock::now();
        s.mark.Draw(frame);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(frame.GetData());
        ours += std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());

        Image* work = CloneImage(s.peerFrame, 0, 0, MagickTrue, s.exception);
        const auto t2 = Clock::now();
        CompositeImage(work, OverCompositeOp, s.peerMark, 200, 150);
        const auto t3 = Clock::now();
        theirs += std::chrono::duration<double>(t3 - t2).count();
        DestroyImage(work);
    }
    Report(state, ours, theirs, int64_t(kMarkWidth) * kMarkHeight);
}

// A new size each round: the picture and its map are resampled once, then every frame of
// that size draws without resampling.
void BM_ScaleOnSizeChange(benchmark::State& state) {
    Setup& s = Shared();
    CBK_ImageWatermark mark;
    mark.Init(s.picture, 0, 0, kKey);
    mark.SetKeepAspectRatio(false);
    double ours = 0, theirs = 0;
    bool large = false;
    for (auto _ : state) {
        large = !large;
        const int w = large ? 400 : 240, h = large ? 300 : 180;
        const auto t0 = Clock::now();
        mark.SetDimensions(w, h);
        const auto t1 = Clock::now();
        ours += std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());

        const auto t2 = Clock::now();
        Image* resized =
            ResizeImage(s.peerPicture, size_t(w), size_t(h), TriangleFilter, 1.0, s.exception);
        const auto t3 = Clock::now();
        theirs += std::chrono::duration<double>(t3 - t2).count();
        DestroyImage(resized);
    }
    Report(state, ours, theirs, int64_t(kMarkWidth) * kMarkHeight);
}

} // namespace

BENCHMARK(BM_BlendOnto640x480)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleOnSizeChange)->UseManualTime()->Unit(benchmark::kMicrosecond);
