// Bit packing: bit fields of mixed widths, and whole-byte values, into a growing stream.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/bitstream/bit_stream.h"

namespace {

void BM_BitFields(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int64_t bits = 0;
    for (auto _ : state) {
        CBK_BitStreamBigEndian stream;
        for (int i = 0; i < count; ++i)
            stream.Add(static_cast<uint32_t>(i * 2654435761u), 1 + i % 17);
        benchmark::DoNotOptimize(stream.GetStream(true).data());
        bits += stream.GetTotalBits();
    }
    state.SetBytesProcessed(bits / 8);
}
BENCHMARK(BM_BitFields)->Arg(1 << 16);

void BM_WholeValues(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int64_t bytes = 0;
    for (auto _ : state) {
        CBK_BitStreamBigEndian stream;
        for (int i = 0; i < count; ++i) {
            stream.AddByte(static_cast<uint8_t>(i));
            stream.AddDWord(static_cast<uint32_t>(i));
            stream.Add(static_cast<double>(i));
        }
        benchmark::DoNotOptimize(stream.GetStream(true).data());
        bytes += stream.GetTotalBytes();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_WholeValues)->Arg(1 << 16);

} // namespace
