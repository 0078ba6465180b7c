// Writing SWF: bit fields into a stream and whole tags, the per-frame path of every movie.
#include <benchmark/benchmark.h>

#include "bench/plain_bit_writer.h"
#include "bench/side_by_side.h"

#include <random>
#include <vector>

#include "swf/actions/action_branch.h"
#include "swf/actions/action_push.h"
#include "swf/actions/do_action.h"
#include "swf/records/matrix.h"
#include "swf/stream/swf_stream.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "swf/tags/tag_unknown.h"

namespace {

using namespace ravuz;

// Bit fields of mixed widths into a reused buffer, beside the plain writer of the same bytes
// into its own reused buffer, round by round.
void BM_SwfBitFields(benchmark::State& state) {
    const auto fields = bench::MixedFields();
    const uint64_t bits = bench::TotalBits(fields);
    CBK_SwfStream stream(6);
    stream.Reserve(bits / 8 + 16);
    bench::PlainBitWriter plain(bits / 8 + 16);
    bench::SideBySide rounds(state, "plain", "us");
    for (auto _ : state) {
        rounds.Ours(
            [&] {
                stream.Destroy();
                for (const auto& [value, n] : fields)
                    stream.Add(value, n);
                stream.ByteAlign();
                benchmark::DoNotOptimize(stream.GetByteCount());
            },
            bench::kFieldRepeats);
        rounds.Peer(
            [&] {
                plain.Clear();
                bench::WriteFields(plain, fields);
                benchmark::DoNotOptimize(plain.Data());
            },
            bench::kFieldRepeats);
    }
    rounds.Report();
    if (stream.GetStream() != plain.Bytes())
        state.SkipWithError("the two writers differ");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bits / 8));
}
BENCHMARK(BM_SwfBitFields)->UseManualTime();

// Byte-aligned numbers, as headers and record fields write them.
void BM_AlignedNumbers(benchmark::State& state) {
    CBK_SwfStream stream(6);
    stream.Reserve(4096 * 7);
    for (auto _ : state) {
        stream.Destroy();
        for (uint32_t i = 0; i < 4096; ++i) {
            stream.Add(static_cast<uint8_t>(i));
            stream.Add(static_cast<uint16_t>(i));
            stream.Add(i);
        }
        benchmark::DoNotOptimize(stream.GetByteCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4096 * 7);
}
BENCHMARK(BM_AlignedNumbers);

// A video-sized payload (long header) per frame.
void BM_LargeTag(benchmark::State& state) {
    CBK_SwfTagUnknown tag(61, 0);
    tag.SetPayload(std::vector<uint8_t>(static_cast<std::size_t>(state.range(0)), 0x5A));
    CBK_SwfStream stream(6);
    stream.Reserve(static_cast<std::size_t>(state.range(0)) * 64 + 1024);
    int frames = 0;
    for (auto _ : state) {
        if (++frames == 64) {
            stream.Destroy();
            frames = 0;
        }
        benchmark::DoNotOptimize(tag.Write(&stream));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_LargeTag)->Arg(8 * 1024)->Arg(64 * 1024);

// The small tags of one frame: a placement with a matrix, a removal, a show-frame.
void BM_FrameTags(benchmark::State& state) {
    CBK_SwfPlaceObject2 place;
    place.SetCharacterId(12);
    place.SetDepth(3);
    place.SetMatrix(CBK_SwfMatrix::CreateMatrix(2000, -400, 1.5, 0.75, 0, 0));
    CBK_SwfRemoveObject2 remove(3);
    CBK_SwfShowFrame show;
    CBK_SwfStream stream(6);
    stream.Reserve(1 << 20);
    int64_t bytes = 0;
    for (auto _ : state) {
        if (stream.GetByteCount() > (1 << 20) - 64)
            stream.Destroy();
        bytes += remove.Write(&stream);
        bytes += place.Write(&stream);
        bytes += show.Write(&stream);
    }
    state.SetItemsProcessed(state.iterations() * 3);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_FrameTags);

// A script of a few hundred records with branches, written as a DoAction tag.
void BM_DoAction(benchmark::State& state) {
    CBK_SwfDoAction list;
    for (int i = 0; i < 100; ++i) {
        list.AddAction(new CBK_SwfActionBranchIfTrue(0));
        auto* push = new CBK_SwfActionPush(L"_root.player.video");
        push->AddDWord(i);
        list.AddAction(push);
        list.AddAction(new CBK_SwfActionEval);
        list.AddEndIf();
    }
    CBK_SwfStream stream(6);
    int64_t bytes = 0;
    for (auto _ : state) {
        stream.Destroy();
        bytes += list.Write(&stream);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.GetActionCount()));
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DoAction);

} // namespace
