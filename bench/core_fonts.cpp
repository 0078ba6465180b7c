// Throughput of character and line metrics, as a SWF font record asks for them per glyph.
#include <benchmark/benchmark.h>

#include <string>

#include "core/fonts/font.h"

namespace {

const std::wstring& Sample() {
    static const std::wstring text =
        L"The quick brown fox jumps over the lazy dog 0123456789 \u00E9\u00E8\u00FC\u00DF"
        L"\u0416\u0438\u0432\u0435\u0442 \u20AC";
    return text;
}

void BM_CharAdvanceWidth(benchmark::State& state) {
    CBK_Font font;
    font.SetSize(int32_t(state.range(0)));
    if (font.GetCharWidth(L'A') < 0) {
        state.SkipWithError("no font is installed");
        return;
    }
    const std::wstring& text = Sample();
    for (auto _ : state)
        for (wchar_t c : text)
            benchmark::DoNotOptimize(font.GetTTCharAdvanceWidth(c));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_CharAdvanceWidth)->Arg(12)->Arg(72);

void BM_LineMetrics(benchmark::State& state) {
    CBK_Font font;
    for (auto _ : state) {
        benchmark::DoNotOptimize(font.GetTTAscent());
        benchmark::DoNotOptimize(font.GetTTDescent());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}
BENCHMARK(BM_LineMetrics);

} // namespace
