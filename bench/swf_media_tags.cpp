// The per-frame tags of a movie with video and sound: 10,000 VideoFrame and SoundStreamBlock
// tags written into one stream, and the same read back tag by tag.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "swf/sound/sound_stream_block.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/video/video_frame.h"

namespace {

using namespace ravuz;

constexpr int kFrames = 10000;
constexpr std::size_t kSoundBlock = 1337; // 128 kbit/s MP3 at 12 frames a second

std::vector<uint8_t> Filled(std::size_t n, uint8_t seed) {
    std::vector<uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(seed + i * 7);
    return out;
}

// A frame and a block of the given sizes, as an encoder hands them over.
struct FrameTags {
    explicit FrameTags(std::size_t videoBytes) {
        frame.SetStreamId(1);
        auto* payload = new CBK_SwfStream(6);
        payload->Add(Filled(videoBytes, 3));
        frame.SetPayload(payload);
        const auto sound = Filled(kSoundBlock, 5);
        block.SetData(sound.data(), sound.size());
    }
    CBK_SwfVideoFrame frame;
    CBK_SwfSoundStreamBlock block;
};

void WriteAll(FrameTags& tags, CBK_SwfStream& stream) {
    for (int i = 0; i < kFrames; ++i) {
        tags.frame.Create(static_cast<uint16_t>(i));
        tags.frame.Write(&stream);
        tags.block.Write(&stream);
    }
}

void BM_WriteVideoAndSound(benchmark::State& state) {
    FrameTags tags(static_cast<std::size_t>(state.range(0)));
    CBK_SwfStream stream(6);
    std::size_t bytes = 0;
    for (auto _ : state) {
        stream.Destroy();
        WriteAll(tags, stream);
        bytes = stream.GetByteCount();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2 * kFrames);
}
BENCHMARK(BM_WriteVideoAndSound)->Arg(2048)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_ReadVideoAndSound(benchmark::State& state) {
    FrameTags tags(static_cast<std::size_t>(state.range(0)));
    CBK_SwfStream stream(6);
    WriteAll(tags, stream);
    const auto& bytes = stream.GetStream();
    CBK_SwfReader reader;
    reader.CreateFromBytes(bytes.data(), bytes.size(), 6);
    const auto size = static_cast<uint32_t>(bytes.size());
    for (auto _ : state) {
        reader.SetBufPos(0);
        uint64_t payload = 0;
        while (reader.GetBufPos() < size) {
            const uint16_t word = reader.GetWord();
            uint32_t length = word & 0x3F;
            if (length == 0x3F)
                length = reader.GetDWord();
            reader.SetCurrentTagLength(length);
            const uint32_t end = reader.GetBufPos() + length;
            if ((word >> 6) == kSwfTagVideoFrame) {
                CBK_SwfVideoFrame frame(length);
                frame.Read(&reader);
                payload += frame.GetPayload()->GetRealSize();
            } else {
                CBK_SwfSoundStreamBlock block;
                block.Read(&reader);
                payload += block.GetData().size();
            }
            reader.SetBufPos(end);
        }
        benchmark::DoNotOptimize(payload);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2 * kFrames);
}
BENCHMARK(BM_ReadVideoAndSound)->Arg(2048)->Arg(16384)->Unit(benchmark::kMillisecond);

} // namespace
