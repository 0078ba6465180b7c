// Writing a movie to a file: the streaming writer against one write() per tag of the same
// bytes, and whole-file compression.
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

constexpr int kTags = 100000;
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

CBK_SwfTagUnknown VideoSizedTag() {
    std::vector<uint8_t> payload(kPayload);
    std::mt19937 rng(1);
    for (auto& b : payload)
        b = static_cast<uint8_t>(rng());
    CBK_SwfTagUnknown tag(kSwfTagVideoFrame, 0);
    tag.SetPayload(std::move(payload));
    return tag;
}

void BM_StreamingWriter(benchmark::State& state) {
    const fs::path path = Scratch(state.range(0), "-writer.swf");
    CBK_SwfTagUnknown tag = VideoSizedTag();
    uint64_t bytes = 0;
    for (auto _ : state) {
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

// The floor: the same tag bytes, one write() each, then fsync as the writer does.
void BM_OneWritePerTag(benchmark::State& state) {
    const fs::path path = Scratch(state.range(0), "-raw.swf");
    CBK_SwfTagUnknown tag = VideoSizedTag();
    CBK_SwfStream stream(6);
    tag.Write(&stream);
    const std::vector<uint8_t> encoded = stream.GetStream();
    uint64_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            state.SkipWithError("cannot open the file");
            break;
        }
        for (int i = 0; i < kTags; ++i) {
            if (::write(fd, encoded.data(), encoded.size()) != ssize_t(encoded.size())) {
                state.SkipWithError("write failed");
                break;
            }
        }
        ::fsync(fd);
        ::close(fd);
        bytes += uint64_t(kTags) * encoded.size();
    }
    fs::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_OneWritePerTag)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Compressing a finished 16 MiB movie into a second file, at level 9.
void BM_CompressSwf(benchmark::State& state) {
    const fs::path source = Scratch(0, "-plain.swf"), target = Scratch(0, "-packed.swf");
    {
        CBK_SwfTagUnknown tag = VideoSizedTag();
        std::vector<uint8_t> half(kPayload / 2);
        std::mt19937 rng(2);
        for (auto& b : half) // half noise, half a few repeated values: video-like entropy
            b = static_cast<uint8_t>(rng() % 8);
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 25.0f, 6);
        writer.Open(CBK_Path(source.wstring()), true);
        for (int i = 0; i < 4096; ++i) {
            std::vector<uint8_t> payload = tag.GetPayload();
            std::copy(half.begin(), half.end(), payload.begin() + (i % 2) * half.size());
            auto* frame = new CBK_SwfTagUnknown(kSwfTagVideoFrame, 0);
            frame->SetPayload(std::move(payload));
            writer.Add(frame);
        }
        writer.Close();
    }
    const auto size = static_cast<int64_t>(fs::file_size(source));
    for (auto _ : state) {
        if (!CBK_SwfCompressor::CompressSwf(CBK_Path(source.wstring()), CBK_Path(target.wstring()),
                                            true)) {
            state.SkipWithError("compression failed");
            break;
        }
    }
    fs::remove(source);
    fs::remove(target);
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_CompressSwf)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
