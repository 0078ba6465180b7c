// Frame-path image operations at 640 × 480, 24 bits, and what the resampler holds in memory.
// The resampler's peers are ImageMagick's triangle-filter resize on one thread, bytes in and
// bytes out, on the same frame, and swscale's bilinear scaling of packed RGB side by side
// (bench/side_by_side.h), frame after frame from one context, in its exact and its fast mode.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <random>
#include <thread>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include <magick/MagickCore.h>

#include "bench/side_by_side.h"
#include "media/image/image.h"
#include "media/image/resample.h"

// Every heap block of this program is counted, so that a benchmark can report the most bytes
// that one call held at once and what it left behind.
namespace {
std::atomic<int64_t> gHeld{0};
std::atomic<int64_t> gPeak{0};

__attribute__((noinline)) void* Counted(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (p) {
        const int64_t held = gHeld += int64_t(malloc_usable_size(p));
        int64_t peak = gPeak.load(std::memory_order_relaxed);
        while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
        }
    }
    return p;
}

__attribute__((noinline)) void Uncounted(void* p) {
    if (p) {
        gHeld -= int64_t(malloc_usable_size(p));
        std::free(p);
    }
}
} // namespace

void* operator new(std::size_t size) {
    if (void* p = Counted(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Counted(size);
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Uncounted(p);
}

namespace {

std::vector<uint8_t> Frame(int w, int h, int channels) {
    std::vector<uint8_t> pixels(size_t(w) * h * channels);
    std::mt19937 rng(7);
    // Smooth content with some noise, like a video frame.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(size_t(y) * w + x) * channels + c] =
                    uint8_t((x * (c + 1) + y * 2 + (rng() & 15)) & 0xFF);
    return pixels;
}

constexpr double kMiB = 1024.0 * 1024.0;

// The first call of sw × sh to tw × th on a thread of its own, so that nothing is cached:
// the most bytes it held at once and what it kept, in MiB and as a multiple of the source.
void CountFirstCall(benchmark::State& state, const std::vector<uint8_t>& src, int sw, int sh,
                    int tw, int th, std::vector<uint8_t>& out) {
    double peak = 0, kept = 0;
    std::thread([&] {
        const int64_t before = gHeld.load();
        gPeak = before;
        BK_ResizeImageInto(src.data(), sw, sh, tw, th, 24, out.data());
        peak = double(gPeak.load() - before);
        kept = double(gHeld.load() - before);
    }).join();
    state.counters["peak_MiB"] = peak / kMiB;
    state.counters["peak_per_source_bytes"] = peak / double(src.size());
    state.counters["kept_MiB"] = kept / kMiB;
}

void Resize(benchmark::State& state, int tw, int th) {
    const int sw = 640, sh = 480;
    auto src = Frame(sw, sh, 3);
    std::vector<uint8_t> out(size_t(tw) * th * 3);
    CountFirstCall(state, src, sw, sh, tw, th, out);
    for (auto _ : state) {
        BK_ResizeImageInto(src.data(), sw, sh, tw, th, 24, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void BM_Resize640x480To320x240(benchmark::State& state) {
    Resize(state, 320, 240);
}
void BM_Resize640x480To1280x960(benchmark::State& state) {
    Resize(state, 1280, 960);
}

// The peer: bytes into an image, a triangle-filter resize, bytes out.
void MagickResize(benchmark::State& state, int tw, int th) {
    const int sw = 640, sh = 480;
    auto src = Frame(sw, sh, 3);
    std::vector<uint8_t> out(size_t(tw) * th * 3);
    MagickCoreGenesis(nullptr, MagickFalse);
    SetMagickResourceLimit(ThreadResource, 1);
    ExceptionInfo* exception = AcquireExceptionInfo();
    for (auto _ : state) {
        Image* image =
            ConstituteImage(size_t(sw), size_t(sh), "RGB", CharPixel, src.data(), exception);
        Image* resized = ResizeImage(image, size_t(tw), size_t(th), TriangleFilter, 1.0, exception);
        if (!image || !resized) {
            state.SkipWithError("ImageMagick failed");
            break;
        }
        ExportImagePixels(resized, 0, 0, size_t(tw), size_t(th), "RGB", CharPixel, out.data(),
                          exception);
        benchmark::DoNotOptimize(out.data());
        DestroyImage(resized);
        DestroyImage(image);
    }
    DestroyExceptionInfo(exception);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void BM_Magick640x480To320x240(benchmark::State& state) {
    MagickResize(state, 320, 240);
}
void BM_Magick640x480To1280x960(benchmark::State& state) {
    MagickResize(state, 1280, 960);
}

// Frame after frame of one size, ours beside swscale scaling the same frame with `flags`
// (its context made once, as our tables are kept), alternating round by round.
void VersusSwscale(benchmark::State& state, int sw, int sh, int tw, int th, int flags) {
    const auto src = Frame(sw, sh, 3);
    std::vector<uint8_t> out(size_t(tw) * th * 3), theirs(out.size());
    SwsContext* context = sws_getContext(sw, sh, AV_PIX_FMT_RGB24, tw, th, AV_PIX_FMT_RGB24, flags,
                                         nullptr, nullptr, nullptr);
    if (!context) {
        state.SkipWithError("swscale failed");
        return;
    }
    const uint8_t* in[4] = {src.data()};
    const int inStride[4] = {sw * 3};
    uint8_t* outPlanes[4] = {theirs.data()};
    const int outStride[4] = {tw * 3};
    bench::SideBySide rounds(state, "swscale", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { BK_ResizeImageInto(src.data(), sw, sh, tw, th, 24, out.data()); });
        benchmark::DoNotOptimize(out.data());
        rounds.Peer([&] { sws_scale(context, in, inStride, 0, sh, outPlanes, outStride); });
        benchmark::DoNotOptimize(theirs.data());
    }
    rounds.Report();
    sws_freeContext(context);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

// Arguments: source width and height, target width and height, 1 for swscale's fast mode.
void BM_VersusSwscale(benchmark::State& state) {
    VersusSwscale(state, int(state.range(0)), int(state.range(1)), int(state.range(2)),
                  int(state.range(3)), state.range(4) ? SWS_FAST_BILINEAR : SWS_BILINEAR);
}

// One row of twenty million pixels to one pixel: the single target sample reads them all.
void BM_Resize20000000x1To1x1(benchmark::State& state) {
    const int sw = 20000000;
    std::vector<uint8_t> src(size_t(sw) * 3, 90);
    std::vector<uint8_t> out(3);
    CountFirstCall(state, src, sw, 1, 1, 1, out);
    for (auto _ : state) {
        BK_ResizeImageInto(src.data(), sw, 1, 1, 1, 24, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

// Doubling a 320 × 240 frame and a 3840 × 2160 one, round by round: the time per output
// pixel of each and their ratio (large / small), so that a large picture costs no more per
// pixel than its memory traffic asks.
void BM_DoubleSmallAndLarge(benchmark::State& state) {
    const int sizes[2][2] = {{320, 240}, {3840, 2160}};
    std::vector<uint8_t> src[2], out[2];
    for (int k = 0; k < 2; ++k) {
        src[k] = Frame(sizes[k][0], sizes[k][1], 3);
        out[k].resize(size_t(sizes[k][0]) * sizes[k][1] * 3 * 4);
    }
    bench::SideBySide rounds(state, "small", "ns_per_pixel");
    for (auto _ : state) {
        for (int k = 1; k >= 0; --k) {
            const int w = sizes[k][0], h = sizes[k][1];
            auto resize = [&] {
                BK_ResizeImageInto(src[k].data(), w, h, 2 * w, 2 * h, 24, out[k].data());
                benchmark::DoNotOptimize(out[k].data());
            };
            if (k == 1)
                rounds.Ours(resize);
            else
                rounds.Peer(resize, 64);
        }
    }
    // Per output pixel; the "peer" here is the small picture, the speed-up small / large.
    const double large = rounds.OursMedian() / (4.0 * 3840 * 2160) * 1e9;
    const double small = rounds.PeerMedian() / (4.0 * 320 * 240) * 1e9;
    state.counters["large_ns_per_pixel"] = large;
    state.counters["small_ns_per_pixel"] = small;
    state.counters["large_over_small"] = large / small;
}

// The frame path as the conversion runs it: a fresh frame into the image, then Resize.
void BM_ImageCreateAndResize(benchmark::State& state) {
    auto src = Frame(640, 480, 3);
    CBK_Image image;
    for (auto _ : state) {
        image.Create(640, 480, 24, src.data(), true);
        image.Resize(320, 240);
        benchmark::DoNotOptimize(image.GetData());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void BM_AlphaBlend(benchmark::State& state) {
    auto a = Frame(640, 480, 3), b = Frame(640, 480, 3);
    CBK_Image target, source;
    target.Create(640, 480, 24, a.data(), true);
    source.Create(640, 480, 24, b.data(), true);
    int alpha = 0;
    for (auto _ : state) {
        BK_AlphaBlendImage(target, source, alpha++ & 0xFF);
        benchmark::DoNotOptimize(target.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.size()));
}

void BM_FlipVerticalAndHorizontal(benchmark::State& state) {
    auto a = Frame(640, 480, 3);
    CBK_Image image;
    image.Create(640, 480, 24, a.data(), true);
    for (auto _ : state) {
        image.FlipVertical();
        image.FlipHorizontal();
        benchmark::DoNotOptimize(image.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.size()));
}

} // namespace

BENCHMARK(BM_Resize640x480To320x240)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick640x480To320x240)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resize640x480To1280x960)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick640x480To1280x960)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VersusSwscale)
    ->ArgNames({"sw", "sh", "tw", "th", "fast"})
    ->ArgsProduct({{640}, {480}, {320}, {240}, {0, 1}})
    ->ArgsProduct({{1920}, {1080}, {960}, {540}, {0, 1}})
    ->ArgsProduct({{3840}, {2160}, {1920}, {1080}, {0, 1}})
    ->ArgsProduct({{640}, {480}, {1280}, {960}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resize20000000x1To1x1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageCreateAndResize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoubleSmallAndLarge)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlphaBlend);
BENCHMARK(BM_FlipVerticalAndHorizontal);
