// The watermark on every output frame: a 320 × 240 picture whose transparent colour gives it
// soft-edged alpha, blended at alpha 200 onto a 640 × 480 frame, beside ImageMagick's
// composite-over (MagickCore, one thread) of the same picture with the same per-pixel alpha as
// its alpha channel. The scaling runs only when the size changes: its own case gives the
// picture a new size each round (as a user dragging the size does), beside swscale's bilinear
// scaling of the same picture with its coverage as alpha, from a new context for each size.
// Each round runs ours and then the peer on the same input (bench/side_by_side.h).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "bench/side_by_side.h"
#include "media/watermark/image_watermark.h"

extern "C" {
#include <libswscale/swscale.h>
}

// After our headers: the library's macros would rename names declared in them.
#include <magick/MagickCore.h>

namespace {

constexpr int kFrameWidth = 640, kFrameHeight = 480, kMarkWidth = 320, kMarkHeight = 240;
constexpr uint32_t kKey = 0x00FF00; // green is the transparent colour
constexpr int32_t kAlpha = 200;

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
        rgba.resize(size_t(kMarkWidth) * kMarkHeight * 4);
        for (size_t i = 0; i < size_t(kMarkWidth) * kMarkHeight; ++i) {
            std::memcpy(&rgba[i * 4], mark.GetData() + i * 3, 3);
            rgba[i * 4 + 3] = uint8_t(std::max(0, mark.GetAlphaMap()[i] + kAlpha - 255));
        }
        peerFrame =
            ConstituteImage(kFrameWidth, kFrameHeight, "RGB", CharPixel, frame.data(), exception);
        peerMark =
            ConstituteImage(kMarkWidth, kMarkHeight, "RGBA", CharPixel, rgba.data(), exception);
    }
    ExceptionInfo* exception;
    std::vector<uint8_t> frame;
    CBK_Image picture;
    CBK_ImageWatermark mark;
    std::vector<uint8_t> rgba; // the picture with its weight as alpha
    Image* peerFrame;
    Image* peerMark;
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

void BM_BlendOnto640x480(benchmark::State& state) {
    Setup& s = Shared();
    CBK_Image frame;
    frame.Create(kFrameWidth, kFrameHeight, 24, s.frame.data(), true);
    bench::SideBySide rounds(state, "magick", "ms");
    for (auto _ : state) {
        std::memcpy(frame.GetData(), s.frame.data(), s.frame.size());
        rounds.Ours([&] { s.mark.Draw(frame); });
        benchmark::DoNotOptimize(frame.GetData());
        Image* work = CloneImage(s.peerFrame, 0, 0, MagickTrue, s.exception);
        rounds.Peer([&] { CompositeImage(work, OverCompositeOp, s.peerMark, 200, 150); });
        DestroyImage(work);
    }
    rounds.Report();
    state.SetItemsProcessed(int64_t(state.iterations()) * kMarkWidth * kMarkHeight);
}

// The sizes a drag passes through, none repeated soon enough for a cached table to serve.
std::vector<std::pair<int, int>> DragSizes() {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 240; w <= 400; w += 10)
        sizes.emplace_back(w, w * 3 / 4);
    return sizes;
}

// A new size each round: ours resamples the picture and its map from the original once, so
// that every frame of that size draws without resampling.
void BM_ScaleOnSizeChange(benchmark::State& state) {
    Setup& s = Shared();
    CBK_ImageWatermark mark;
    mark.Init(s.picture, 0, 0, kKey);
    mark.SetKeepAspectRatio(false);
    const auto sizes = DragSizes();
    bench::SideBySide rounds(state, "swscale", "ms");
    std::size_t next = 0;
    for (auto _ : state) {
        const auto [w, h] = sizes[next++ % sizes.size()];
        rounds.Ours([&] { mark.SetDimensions(w, h); });
        benchmark::DoNotOptimize(mark.GetData());
        rounds.Peer([&] {
            SwsContext* context =
                sws_getContext(kMarkWidth, kMarkHeight, AV_PIX_FMT_RGBA, w, h, AV_PIX_FMT_RGBA,
                               SWS_BILINEAR, nullptr, nullptr, nullptr);
            std::vector<uint8_t> out(size_t(w) * size_t(h) * 4);
            const uint8_t* in[4] = {s.rgba.data()};
            const int inStride[4] = {kMarkWidth * 4};
            uint8_t* outPlanes[4] = {out.data()};
            const int outStride[4] = {w * 4};
            sws_scale(context, in, inStride, 0, kMarkHeight, outPlanes, outStride);
            sws_freeContext(context);
            benchmark::DoNotOptimize(out.data());
        });
    }
    rounds.Report();
    state.SetItemsProcessed(int64_t(state.iterations()) * kMarkWidth * kMarkHeight);
}

} // namespace

BENCHMARK(BM_BlendOnto640x480)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaleOnSizeChange)->UseManualTime()->Unit(benchmark::kMicrosecond);
