// Parsing a 100 MB movie of video and sound tags into tag objects, from memory and from a
// file; from a file beside its peer, read() of the same file into one buffer, in the same run.
// The same movie compressed, beside zlib inflating it into one buffer; and compression bombs
// refused, beside python3's zlib inflating the same bytes, in time and peak memory. Action
// lists of many long branches beside the same bytes with no branch among them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

extern char** environ;

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

fs::path BombPath() {
    return BenchPath("bomb.swf");
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

// What a child process cost: processor time, and the most memory it held beyond what it
// started with (for ours, the bench's own pages, which the child shares, left out).
struct ChildCost {
    double seconds = 0;
    double peakMiB = 0;
};

double Seconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

ChildCost OursInChild(const std::function<void()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        const long start = ResidentKiB();
        work();
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        const long grown = self.ru_maxrss - start;
        (void)!write(fds[1], &grown, sizeof grown);
        _exit(0);
    }
    close(fds[1]);
    long grown = 0;
    (void)!read(fds[0], &grown, sizeof grown);
    close(fds[0]);
    int status = 0;
    rusage used{};
    wait4(pid, &status, 0, &used);
    return {Seconds(used), double(grown) / 1024.0};
}

// python3 in a child; its peak is the memory its own program held at most (VmHWM), which the
// script writes to the file named by its last argument.
ChildCost PythonInChild(const std::string& script, const std::string& argument) {
    const fs::path peak = BenchPath("python-peak");
    std::vector<std::string> args{
        "python3", "-c",
        script + "\nimport sys\n"
                 "hwm = [l for l in open('/proc/self/status') if l.startswith('VmHWM')][0]\n"
                 "open(sys.argv[-1], 'w').write(hwm.split()[1])\n",
        argument, peak.string()};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "python3", nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    int status = 0;
    rusage used{};
    wait4(pid, &status, 0, &used);
    double kib = 0;
    if (std::FILE* f = std::fopen(peak.c_str(), "r")) {
        if (std::fscanf(f, "%lf", &kib) != 1)
            kib = 0;
        std::fclose(f);
    }
    fs::remove(peak);
    return {Seconds(used), kib / 1024.0};
}

// python3's zlib inflating the stream after the first 8 bytes, every byte of it, held a
// chunk at a time.
constexpr const char* kInflateAll =
    "import sys, zlib\n"
    "d, n = zlib.decompressobj(), 0\n"
    "with open(sys.argv[1], 'rb') as f:\n"
    "    f.seek(8)\n"
    "    for c in iter(lambda: f.read(1 << 16), b''):\n"
    "        n += len(d.decompress(c, 1 << 20))\n"
    "        while d.unconsumed_tail:\n"
    "            n += len(d.decompress(d.unconsumed_tail, 1 << 20))\n";

// Bombs: 0 is 256 MiB of ShowFrame in 261 kB, 1 is 16 MiB of them in 16 kB (within the
// floor, refused for its objects), 2 a shape of 11 million edges in 31 kB.
void BM_BombRefused(benchmark::State& state) {
    using namespace swfbomb;
    const Bytes movie = HeaderFields(1), showFrame{0x40, 0x00}, end{0, 0};
    const uint32_t n = 15 * MiB;
    const Bytes shape{
        0xBF, 0x00, uint8_t(n + 7), uint8_t((n + 7) >> 8), uint8_t((n + 7) >> 16), 0, 1, 0, 0, 0,
        0,    0};
    const Bytes edges{0xC2, 0xB8, 0x57, 0x0A, 0xE1, 0x5C, 0x2B, 0x85, 0x70, 0xAE, 0x15};
    const Bytes bomb =
        state.range(0) == 0 ? CompressedMovie(movie, showFrame, 128 * MiB, end, true)
        : state.range(0) == 1
            ? CompressedMovie(movie, showFrame, 8 * MiB - 4096, end, true)
            : CompressedMovie(movie + shape, edges, n / 11, Bytes(n % 11 + 1, 0) + end, true);
    if (std::FILE* f = std::fopen(BombPath().c_str(), "wb")) {
        std::fwrite(bomb.data(), 1, bomb.size(), f);
        std::fclose(f);
    }
    const CBK_Path path(BombPath().wstring());
    const ChildCost idle = PythonInChild("import zlib", "-");
    std::vector<double> ours, theirs, oursPeak, theirPeak;
    for (auto _ : state) {
        const ChildCost our = OursInChild([&] {
            CBK_SwfReader reader;
            if (reader.Open(path, true, 0, true) ||
                reader.GetLastError() != CBK_SwfReader::ERROR_NO_MEMORY)
                std::abort();
        });
        const ChildCost their = PythonInChild(kInflateAll, BombPath().string());
        ours.push_back(our.seconds);
        theirs.push_back(their.seconds);
        oursPeak.push_back(our.peakMiB);
        theirPeak.push_back(their.peakMiB - idle.peakMiB);
        state.SetIterationTime(our.seconds);
    }
    auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters["file_kB"] = double(bomb.size()) / 1000.0;
    state.counters["ours_ms"] = median(ours) * 1e3;
    state.counters["python_ms"] = median(theirs) * 1e3;
    state.counters["ours_peak_MiB"] = median(oursPeak);
    state.counters["python_peak_MiB"] = median(theirPeak);
    fs::remove(BombPath());
}
BENCHMARK(BM_BombRefused)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

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
