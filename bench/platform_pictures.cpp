// Drawing pictures: 40 one-degree wedges of a 4096 x 4096 frame's oval (an arc, then the same
// arc 40 times) beside 40 rectangles filling the same frame, the cheapest shape per pixel.
// Each round decodes both pictures (bench/side_by_side.h); the budget refuses the rectangles
// after a dozen, so the peer's time is the most drawing a picture of that frame may ask for.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/side_by_side.h"
#include "platform/pict/pict_decode.h"

namespace {

constexpr int kSide = 4096;

// A version 2 picture of the frame with `op` and its operands repeated.
struct Picture {
    std::string b;
    Picture() {
        W(0).W(0).W(0).W(kSide).W(kSide).W(0x0011).W(0x02FF).W(0x0C00);
        b += std::string(24, '\0');
    }
    Picture& W(int v) {
        b += char(v >> 8);
        b += char(v);
        return *this;
    }
    std::string End() { return W(0xFF).b; }
};

bool Decode(const std::string& bytes) {
    tbx::DecodedPicture picture;
    return tbx::DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                              picture);
}

void BM_ThinWedgesBesideRectangles(benchmark::State& state) {
    Picture wedges, rectangles;
    wedges.W(0x61).W(0).W(0).W(kSide).W(kSide).W(0).W(1);
    for (int i = 0; i < 40; ++i) {
        wedges.W(0x69).W(0).W(1);
        rectangles.W(0x31).W(0).W(0).W(kSide).W(kSide);
    }
    const std::string ours = wedges.End(), peer = rectangles.End();
    bench::SideBySide rounds(state, "rectangles", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { benchmark::DoNotOptimize(Decode(ours)); });
        rounds.Peer([&] { benchmark::DoNotOptimize(Decode(peer)); });
    }
    rounds.Report();
}

} // namespace

BENCHMARK(BM_ThinWedgesBesideRectangles)->UseManualTime()->Unit(benchmark::kMillisecond);
