// Frame-path image operations at 640 × 480, 24 bits.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "media/image/image.h"
#include "media/image/resample.h"

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

void Resize(benchmark::State& state, int tw, int th) {
    const int sw = 640, sh = 480;
    auto src = Frame(sw, sh, 3);
    std::vector<uint8_t> out(size_t(tw) * th * 3);
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

BENCHMARK(BM_Resize640x480To320x240);
BENCHMARK(BM_Resize640x480To1280x960);
BENCHMARK(BM_ImageCreateAndResize);
BENCHMARK(BM_AlphaBlend);
BENCHMARK(BM_FlipVerticalAndHorizontal);
