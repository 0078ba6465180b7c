// Writing and reading shapes with many edges, as glyph outlines and traced pictures make.
#include <benchmark/benchmark.h>

#include <random>

#include "swf/fonts/define_font2.h"
#include "swf/shapes/define_shape.h"
#include "swf/stream/swf_reader.h"

namespace {

using namespace ravuz;

// A filled, outlined DefineShape3 of `edges` edges, a third of them curves, deltas of up to
// `reach` twips.
std::unique_ptr<CBK_SwfDefineShape3> ManyEdges(int edges, int32_t reach) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> delta(-reach, reach);
    auto tag = std::make_unique<CBK_SwfDefineShape3>();
    tag->SetCharacterId(1);
    tag->CreateBox(0, 0, 1000, 1000,
                   new CBK_SwfFillStyle(new CBK_SwfColorAlpha(10, 20, 30, 255), true),
                   new CBK_SwfLineStyle(20, new CBK_SwfColorAlpha(0, 0, 0, 255), true));
    CBK_SwfShapeWithStyle* shape = tag->GetShape();
    shape->Destroy();
    shape->SetFillStyles(new CBK_SwfFillStyleArray(true));
    shape->GetFillStyles()->AddFillStyle(
        new CBK_SwfFillStyle(new CBK_SwfColorAlpha(10, 20, 30, 255), true));
    auto* move = new CBK_SwfStyleChangeShapeRecord(100, 100, shape);
    move->SetFillStyle(1, 1);
    move->CompileFlags();
    shape->AddRecord(move);
    for (int i = 0; i < edges; ++i) {
        if (i % 3 == 0)
            shape->AddCurve(delta(rng), delta(rng), delta(rng), delta(rng));
        else if (i % 3 == 1)
            shape->AddGeneralLine(delta(rng), delta(rng));
        else
            shape->AddHorizontalLine(delta(rng));
    }
    shape->AddRecord(new CBK_SwfEndOfShapeRecord);
    return tag;
}

void WriteEdges(benchmark::State& state, int32_t reach) {
    const auto edges = static_cast<int>(state.range(0));
    auto tag = ManyEdges(edges, reach);
    CBK_SwfStream stream(6);
    tag->Write(&stream);
    const std::size_t size = stream.GetStream().size();
    stream.Reserve(size + 64);
    for (auto _ : state) {
        stream.Destroy();
        tag->Write(&stream);
        benchmark::DoNotOptimize(stream.GetByteCount());
    }
    state.SetItemsProcessed(state.iterations() * edges);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// Glyph-sized deltas: every edge fits one record.
void BM_WriteShapeEdges(benchmark::State& state) {
    WriteEdges(state, 2000);
}
BENCHMARK(BM_WriteShapeEdges)->Arg(1000)->Arg(100000);

// Deltas of up to 200000 twips: most edges are split into pieces that fit.
void BM_WriteLongShapeEdges(benchmark::State& state) {
    WriteEdges(state, 200000);
}
BENCHMARK(BM_WriteLongShapeEdges)->Arg(1000);

void BM_ReadShapeEdges(benchmark::State& state) {
    const auto edges = static_cast<int>(state.range(0));
    auto tag = ManyEdges(edges, 2000);
    CBK_SwfStream stream(6);
    tag->Write(&stream);
    const auto& bytes = stream.GetStream();
    CBK_SwfReader reader;
    reader.CreateFromBytes(bytes.data() + 6, bytes.size() - 6, 6);
    for (auto _ : state) {
        reader.SetBufPos(0);
        CBK_SwfDefineShape3 back;
        benchmark::DoNotOptimize(back.Read(&reader));
    }
    state.SetItemsProcessed(state.iterations() * edges);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadShapeEdges)->Arg(100000);

// A font of 256 glyph outlines of 40 edges each, with layout.
void BM_WriteFont2(benchmark::State& state) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int32_t> delta(-400, 400);
    CBK_SwfDefineFont2 font(L"Bench", 1, 0);
    for (int code = 0; code < 256; ++code) {
        auto* glyph = new CBK_SwfShape;
        glyph->Create(1, 0);
        for (int i = 0; i < 40; ++i)
            glyph->AddCurve(delta(rng), delta(rng), delta(rng), delta(rng));
        glyph->AddRecord(new CBK_SwfEndOfShapeRecord);
        font.AddEntry(static_cast<uint16_t>(code), glyph, 600, new CBK_SwfRect(0, -800, 600, 200));
    }
    font.SetTextMetrics(880, 144, 0);
    CBK_SwfStream stream(6);
    font.Write(&stream);
    const std::size_t size = stream.GetStream().size();
    for (auto _ : state) {
        stream.Destroy();
        font.Write(&stream);
        benchmark::DoNotOptimize(stream.GetByteCount());
    }
    state.SetItemsProcessed(state.iterations() * 256 * 40);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_WriteFont2);

} // namespace
