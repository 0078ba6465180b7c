// Parsing a 100 MB movie of video and sound tags into tag objects, from memory and from a
// file; from a file beside its peer, read() of the same file into one buffer, in the same run.
// The same movie compressed, beside zlib inflating it into one buffer. Action lists of many
// long branches beside the same bytes with no branch among them. (Movies that compress past
// any ratio, and compression bombs: swf_read_bounds.cpp.)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "bench/side_by_side.h"
#include "core/paths/path.h"
#include "swf/header/swf_compressor.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/tag_unknown.h"
#include "swf/writer/swf_file_writer.h"
#include "tests/swf/reader/zlib_bombs.h"

namespace {

using namespace ravuz;
namespace fs = std::filesystem;

constexpr std::size_t kMovieBytes = 100u << 20;

fs::path BenchPath(const std::string& name) {
    const fs::path folder =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return folder / ("stravel-bench-" + std::to_string(getpid()) + "-" + name);
}

fs::path MoviePath() {
    return BenchPath("reader.swf");
}

fs::path PackedPath() {
    return BenchPath("packed.swf");
}

// A 25 fps movie: per frame a 4 KiB video frame and a 418-byte MP3 sound block, each frame's
// bytes random, so that the movie compresses no better than real video does.
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
            for (auto& b : video) // every frame its own, as in a real movie
                b = static_cast<uint8_t>(rng());
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

// Our side: the whole movie read into tags, then freed.
void ReadWhole(benchmark::State& state, const CBK_Path& path) {
    CBK_SwfReader reader;
    if (!reader.Open(path, true, 0, true))
        state.SkipWithError("cannot open the movie");
    state.counters["tags"] = double(reader.GetTags().size());
    reader.Destroy(true);
}

// Ours and the peer round by round, on the thread's CPU time (the kernel's copying and
// page faults included).
void BM_ParseFromFile(benchmark::State& state) {
    const std::size_t size = Movie().size();
    const CBK_Path path(MoviePath().wstring());
    bench::SideBySide rounds(state, "read", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { ReadWhole(state, path); });
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

// The movie compressed, made once.
std::size_t PackedMovie() {
    static const std::size_t size = [] {
        Movie();
        CBK_SwfCompressor::CompressSwf(CBK_Path(MoviePath().wstring()),
                                       CBK_Path(PackedPath().wstring()), true);
        return std::size_t(fs::file_size(PackedPath()));
    }();
    return size;
}

// The peer: zlib inflating the compressed file into one buffer of the length it states.
bool InflateIntoOneBuffer() {
    std::FILE* file = std::fopen(PackedPath().c_str(), "rb");
    if (!file)
        return false;
    std::vector<uint8_t> in(fs::file_size(PackedPath()));
    const bool read = std::fread(in.data(), 1, in.size(), file) == in.size();
    std::fclose(file);
    const uint32_t length =
        uint32_t(in[4]) | uint32_t(in[5]) << 8 | uint32_t(in[6]) << 16 | uint32_t(in[7]) << 24;
    std::vector<uint8_t> out(length - 8);
    uLongf made = out.size();
    const int status = uncompress(out.data(), &made, in.data() + 8, uLong(in.size() - 8));
    benchmark::DoNotOptimize(out.data());
    return read && status == Z_OK && made == out.size();
}

void BM_ParseCompressedFile(benchmark::State& state) {
    const std::size_t size = PackedMovie();
    const CBK_Path path(PackedPath().wstring());
    bench::SideBySide rounds(state, "inflate", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { ReadWhole(state, path); });
        rounds.Peer([&] {
            if (!InflateIntoOneBuffer())
                state.SkipWithError("inflate failed");
        });
    }
    rounds.Report();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ParseCompressedFile)->Unit(benchmark::kMillisecond)->UseManualTime();

// A movie of one DoAction: `units` pairs of a branch reaching 32 KiB, forward (If over what
// follows) or backward (Jump back over what precedes), and a Play. With `branches` false the
// branches are GotoFrame records of the same length, which span nothing.
std::vector<uint8_t> BranchMovie(int64_t units, bool backward, bool branches) {
    using namespace swfbomb;
    const uint8_t code = branches ? (backward ? 0x99 : 0x9D) : 0x81;
    const Bytes branch{code, 0x02, 0x00, uint8_t(backward ? 0x00 : 0xFF),
                       uint8_t(backward ? 0x80 : 0x7F)};
    const Bytes play{0x06};
    const Bytes unit = backward ? play + branch : branch + play;
    const uint32_t length = static_cast<uint32_t>(unit.size() * units + 1);
    Bytes movie{'F', 'W', 'S', 6, 0, 0, 0, 0};
    movie = movie + HeaderFields(1) +
            Bytes{0x3F, 0x03, uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), 0};
    for (int64_t i = 0; i < units; ++i)
        movie.insert(movie.end(), unit.begin(), unit.end());
    movie = movie + Bytes{0x00, 0x40, 0x00, 0x00, 0x00};
    for (int i = 0; i < 4; ++i)
        movie[4 + i] = static_cast<uint8_t>(movie.size() >> (8 * i));
    return movie;
}

// Reads the movie; `heldMiB`, when given, gets the heap its tags hold once read.
bool ParseBuffer(const std::vector<uint8_t>& movie, double* heldMiB = nullptr) {
    const std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    CBK_SwfReader reader;
    const bool read = reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true) &&
                      reader.GetTags().size() == 3;
    if (heldMiB)
        *heldMiB = double(mallinfo2().uordblks + mallinfo2().hblkhd - before) / (1 << 20);
    reader.Destroy(true);
    return read;
}

// range(0): the pairs; range(1): 1 for backward branches.
void BM_ReadBranches(benchmark::State& state) {
    const std::vector<uint8_t> ours = BranchMovie(state.range(0), state.range(1), true);
    const std::vector<uint8_t> peer = BranchMovie(state.range(0), state.range(1), false);
    bench::SideBySide rounds(state, "nobranch", "ms");
    for (auto _ : state) {
        rounds.Ours([&] {
            if (!ParseBuffer(ours))
                state.SkipWithError("the movie was not read");
        });
        rounds.Peer([&] { ParseBuffer(peer); });
    }
    rounds.Report();
    double held = 0;
    ParseBuffer(ours, &held);
    state.counters["ours_held_MiB"] = held;
    ParseBuffer(peer, &held);
    state.counters["nobranch_held_MiB"] = held;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ours.size()));
}
BENCHMARK(BM_ReadBranches)
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

struct RemoveMovie {
    ~RemoveMovie() {
        fs::remove(MoviePath());
        fs::remove(PackedPath());
    }
} removeMovie;

} // namespace
