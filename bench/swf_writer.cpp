// Writing a movie to a file: the streaming writer against raw large write()s of the same
// bytes, and whole-file compression. Figures are in MiB/s (bytes_per_second).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

#include "swf/header/swf_compressor.h"
#include "swf/stream/swf_stream.h"
#include "swf/tags/tag_unknown.h"
#include "swf/writer/swf_file_writer.h"

namespace {

using namespace ravuz;
namespace fs = std::filesystem;

// 400 writes of 256 video-sized tags: about 420 MB.
constexpr int kTagsPerChunk = 256;
constexpr int kTags = 400 * kTagsPerChunk;
constexpr std::size_t kPayload = 4096;

// Argument 0: a memory-backed folder, which shows the cost of the code; 1: the temporary
// folder on disk.
fs::path Folder(int64_t where) {
    if (where == 0 && fs::is_directory("/dev/shm"))
        return "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

fs::path Scratch(int64_t where, const char* name) {
    return Folder(where) / (std::string("stravel-bench-") + std::to_string(getpid()) + name);
}

std::vector<uint8_t> Noise(std::size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    std::mt19937 rng(seed);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

CBK_SwfTagUnknown VideoSizedTag() {
    CBK_SwfTagUnknown tag(kSwfTagVideoFrame, 0);
    tag.SetPayload(Noise(kPayload, 1));
    return tag;
}

// Each side starts every run on a fresh file: removing the last run's 420 MB is not timed.
void FreshFile(benchmark::State& state, const fs::path& path) {
    state.PauseTiming();
    fs::remove(path);
    state.ResumeTiming();
}

// The streaming writer, against raw 1 MiB write()s of the same tag bytes
// (BM_RawLargeWrites, same argument): compare their MiB/s.
void BM_StreamingWriter(benchmark::State& state) {
    const fs::path path = Scratch(state.range(0), "-writer.swf");
    CBK_SwfTagUnknown tag = VideoSizedTag();
    uint64_t bytes = 0;
    for (auto _ : state) {
        FreshFile(state, path);
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 25.0f, 6);
        if (!writer.Open(CBK_Path(path.wstring()), true)) {
            state.SkipWithError("cannot open the movie");
            break;
        }
        for (int i = 0; i < kTags; ++i)
            writer.Add(&tag, true);
        const uint32_t length = writer.Close();
        if (length == 0) {
            state.SkipWithError("writing failed");
            break;
        }
        bytes += length;
    }
    fs::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_StreamingWriter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peer: 256 encoded tags (1.0 MiB) per write(), then fsync as the writer does.
void BM_RawLargeWrites(benchmark::State& state) {
    const fs::path path = Scratch(state.range(0), "-raw.swf");
    CBK_SwfTagUnknown tag = VideoSizedTag();
    CBK_SwfStream stream(6);
    for (int i = 0; i < kTagsPerChunk; ++i)
        tag.Write(&stream);
    const auto& written = stream.GetStream();
    const std::vector<uint8_t> chunk(written.begin(), written.end());
    uint64_t bytes = 0;
    for (auto _ : state) {
        FreshFile(state, path);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            state.SkipWithError("cannot open the file");
            break;
        }
        for (int i = 0; i < kTags / kTagsPerChunk; ++i) {
            if (::write(fd, chunk.data(), chunk.size()) != ssize_t(chunk.size())) {
                state.SkipWithError("write failed");
                break;
            }
        }
        ::fsync(fd);
        ::close(fd);
        bytes += uint64_t(kTags / kTagsPerChunk) * chunk.size();
    }
    fs::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_RawLargeWrites)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Compressing a finished 16 MiB movie into a second file at level 9. Argument 0: tags whose
// payloads are half noise, half a few repeated values (roughly video-like); 1: noise only,
// as already compressed video and sound are. Every tag has payload bytes of its own.
void BM_CompressSwf(benchmark::State& state) {
    const fs::path source = Scratch(0, "-plain.swf"), target = Scratch(0, "-packed.swf");
    {
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 25.0f, 6);
        writer.Open(CBK_Path(source.wstring()), true);
        std::mt19937 rng(2);
        for (int i = 0; i < 4096; ++i) {
            std::vector<uint8_t> payload = Noise(kPayload, static_cast<uint32_t>(i + 10));
            if (state.range(0) == 0)
                for (std::size_t k = 0; k < kPayload / 2; ++k)
                    payload[k] = static_cast<uint8_t>(rng() % 8);
            auto* frame = new CBK_SwfTagUnknown(kSwfTagVideoFrame, 0);
            frame->SetPayload(std::move(payload));
            writer.Add(frame);
        }
        writer.Close();
    }
    const auto size = static_cast<int64_t>(fs::file_size(source));
    for (auto _ : state) {
        FreshFile(state, target);
        if (!CBK_SwfCompressor::CompressSwf(CBK_Path(source.wstring()), CBK_Path(target.wstring()),
                                            true)) {
            state.SkipWithError("compression failed");
            break;
        }
    }
    state.counters["ratio"] = double(fs::file_size(target)) / double(size);
    fs::remove(source);
    fs::remove(target);
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_CompressSwf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
