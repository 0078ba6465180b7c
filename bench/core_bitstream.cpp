// Bit packing: bit fields of mixed widths, and whole-byte values, into a growing stream.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/plain_bit_writer.h"
#include "bench/side_by_side.h"
#include "core/bitstream/bit_stream.h"

namespace {

// 4,096 fields of 1 to 20 bits into a new stream, beside the plain writer of the same bytes
// into a new buffer, round by round.
void BM_CoreBitFields(benchmark::State& state) {
    const auto fields = bench::MixedFields();
    const uint64_t bits = bench::TotalBits(fields);
    bench::SideBySide rounds(state, "plain", "us");
    for (auto _ : state) {
        rounds.Ours(
            [&] {
                CBK_BitStreamBigEndian stream;
                for (const auto& [value, n] : fields)
                    stream.Add(value, n);
                benchmark::DoNotOptimize(stream.GetStream(true).data());
            },
            bench::kFieldRepeats);
        rounds.Peer(
            [&] {
                bench::PlainBitWriter plain(bits / 8 + 16);
                bench::WriteFields(plain, fields);
                benchmark::DoNotOptimize(plain.Data());
            },
            bench::kFieldRepeats);
    }
    rounds.Report();
    CBK_BitStreamBigEndian stream;
    bench::PlainBitWriter plain(bits / 8 + 16);
    for (const auto& [value, n] : fields) {
        stream.Add(value, n);
        plain.Put(value, n);
    }
    plain.Align();
    if (stream.GetStream(true) != plain.Bytes())
        state.SkipWithError("the two writers differ");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bits / 8));
}
BENCHMARK(BM_CoreBitFields)->UseManualTime();

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
