// Parsing a 100 MB movie of video and sound tags into tag objects, from memory and from a
// file; from a file beside its peer, read() of the same file into one buffer, in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

#include "bench/side_by_side.h"
#include "core/paths/path.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"
#include "swf/writer/swf_file_writer.h"

namespace {

using namespace ravuz;
namespace fs = std::filesystem;

constexpr std::size_t kMovieBytes = 100u << 20;

fs::path MoviePath() {
    const fs::path folder =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return folder / ("stravel-bench-" + std::to_string(getpid()) + "-reader.swf");
}

// A 25 fps movie: per frame a 4 KiB video frame and a 418-byte MP3 sound block.
const std::vector<uint8_t>& Movie() {
    static const std::vector<uint8_t> bytes = [] {
        std::mt19937 rng(7);
        std::vector<uint8_t> video(4096), sound(422);
        for (auto& b : video)
            b = static_cast<uint8_t>(rng());
        for (auto& b : sound)
            b = static_cast<uint8_t>(rng());
        sound[0] = 0x40; // sample count and seek
        sound[1] = 0x04;
        sound[2] = sound[3] = 0;
        sound[4] = 0xFF; // an MP3 frame header: MPEG-1 layer III, 128 kbit/s, 44.1 kHz
        sound[5] = 0xFB;
        sound[6] = 0x90;
        sound[7] = 0x00;
        CBK_SwfFileWriter writer;
        writer.Create(6400, 4800, 25.0f, 6);
        writer.Open(CBK_Path(MoviePath().wstring()), true);
        std::size_t written = 0;
        for (uint16_t frame = 0; written < kMovieBytes; ++frame) {
            video[0] = 1;
            video[2] = static_cast<uint8_t>(frame);
            video[3] = static_cast<uint8_t>(frame >> 8);
            auto* v = new CBK_SwfTagUnknown(kSwfTagVideoFrame, 0);
            v->SetPayload(video);
            auto* s = new CBK_SwfTagUnknown(kSwfTagSoundStreamBlock, 0);
            s->SetPayload(sound);
            written += writer.Add(v) + writer.Add(s) + writer.Add(new CBK_SwfShowFrame);
        }
        writer.Add(new CBK_SwfEnd);
        writer.Close();
        const fs::path path = MoviePath();
        std::vector<uint8_t> out(fs::file_size(path));
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, out.data(), out.size()) != ssize_t(out.size()))
            std::abort();
        ::close(fd);
        return out;
    }();
    return bytes;
}

// The peer: read() of the whole file into one buffer of its size.
bool ReadIntoOneBuffer(std::size_t size) {
    std::vector<uint8_t> buffer(size);
    const int fd = ::open(MoviePath().c_str(), O_RDONLY | O_CLOEXEC);
    std::size_t done = 0;
    while (fd >= 0 && done < size) {
        const ssize_t n = ::read(fd, buffer.data() + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (fd >= 0)
        ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
    return done == size;
}

void BM_ParseFromMemory(benchmark::State& state) {
    const std::vector<uint8_t>& movie = Movie();
    for (auto _ : state) {
        CBK_SwfReader reader;
        reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true);
        state.counters["tags"] = double(reader.GetTags().size());
        reader.Destroy(true);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * movie.size()));
}
BENCHMARK(BM_ParseFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ours and the peer round by round, on the thread's CPU time (the kernel's copying and
// page faults included).
void BM_ParseFromFile(benchmark::State& state) {
    const std::size_t size = Movie().size();
    const CBK_Path path(MoviePath().wstring());
    bench::SideBySide rounds(state, "read", "ms");
    for (auto _ : state) {
        rounds.Ours([&] {
            CBK_SwfReader reader;
            if (!reader.Open(path, true, 0, true))
                state.SkipWithError("cannot open the movie");
            state.counters["tags"] = double(reader.GetTags().size());
            reader.Destroy(true);
        });
        rounds.Peer([&] {
            if (!ReadIntoOneBuffer(size))
                state.SkipWithError("short read");
        });
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ParseFromFile)->Unit(benchmark::kMillisecond)->UseManualTime();

// Tag by tag through the streaming reader.
void BM_StreamTags(benchmark::State& state) {
    const std::size_t size = Movie().size();
    const CBK_Path path(MoviePath().wstring());
    bench::SideBySide rounds(state, "read", "ms");
    for (auto _ : state) {
        rounds.Ours([&] {
            CBK_SwfFileReader reader;
            if (!reader.Open(path, true))
                state.SkipWithError("cannot open the movie");
            double tags = 0;
            for (;; ++tags) {
                CBK_SwfTag* tag = reader.ReadTag();
                const bool end = tag->GetTagId() == kSwfTagEnd;
                delete tag;
                if (end)
                    break;
            }
            state.counters["tags"] = tags + 1;
        });
        rounds.Peer([&] {
            if (!ReadIntoOneBuffer(size))
                state.SkipWithError("short read");
        });
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_StreamTags)->Unit(benchmark::kMillisecond)->UseManualTime();

struct RemoveMovie {
    ~RemoveMovie() { fs::remove(MoviePath()); }
} removeMovie;

} // namespace
