// What reading a compressed movie costs against the bound its file's size sets (128 MiB, and
// 1 KiB a byte of file), beside python3's zlib inflating the same bytes: movies real
// tools make that compress past any ratio or hold millions of objects, each to be read whole;
// and floods of the cheapest objects in files of 100 kB and of 1.1 MB, read or refused. Every
// side runs in a child of its own, timed on its processor time, its peak memory measured.
// The whole-file reader keeps every tag; the streaming reader's caller frees each at once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/child_cost.h"
#include "core/paths/path.h"
#include "swf/stream/read_budget.h"
#include "swf/stream/swf_file_reader.h"
#include "tests/swf/reader/plausible_movies.h"
#include "tests/swf/reader/zlib_bombs.h"

namespace {

using namespace ravuz;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path BenchPath(const std::string& name) {
    const fs::path folder =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return folder / ("stravel-bounds-" + std::to_string(getpid()) + "-" + name);
}

struct Target {
    std::string name;
    std::function<Bytes()> make;
};

const std::vector<Target>& Movies() {
    using namespace swfmovies;
    static const std::vector<Target> movies = {
        {"timeline of 65,535 frames, 16 moves a frame", [] { return Timeline(65535, 16); }},
        {"20 minutes of MP3 silence", [] { return Mp3Silence(20); }},
        {"10 minutes of PCM silence", [] { return PcmSilence(10); }},
        {"two flat 2048 x 2048 bitmaps", [] { return FlatBitmaps(2, 2048); }},
        {"22-minute cartoon", [] { return Cartoon(22); }},
        {"DefineFont3 of 65,535 glyphs", [] { return Font(75, 65535); }},
        {"DefineFont2 of 65,535 glyphs", [] { return Font(48, 65535); }},
        {"script table of 400,000 entries", [] { return ScriptTable(400000); }},
    };
    return movies;
}

// The flood of a kind in the largest file of at most `fileBytes`.
Bytes FloodWithin(const swfbomb::FloodKind& kind, uint64_t fileBytes) {
    // The deflated repeats grow linearly with the units: measured at two sizes, then
    // stepped down to the limit.
    const uint64_t small = swfbomb::UnitsFor(kind, 16 << 20), large = 4 * small;
    const double a = double(swfbomb::FloodMovie(kind, small).size());
    const double b = double(swfbomb::FloodMovie(kind, large).size());
    const double perUnit = (b - a) / double(large - small);
    auto units =
        static_cast<uint64_t>((double(fileBytes) - (a - perUnit * double(small))) / perUnit);
    // No more than a stated length of 32 bits holds.
    units = std::min(units, swfbomb::UnitsFor(kind, (uint64_t(1) << 32) - 64));
    Bytes movie = swfbomb::FloodMovie(kind, units);
    while (movie.size() > fileBytes) {
        units -= units / 100 + 1;
        movie = swfbomb::FloodMovie(kind, units);
    }
    return movie;
}

// Each file made once per run, on first use.
const fs::path& FileOf(const std::string& key, const std::function<Bytes()>& make,
                       std::size_t& size) {
    static std::map<std::string, std::pair<fs::path, std::size_t>> made;
    auto found = made.find(key);
    if (found == made.end()) {
        const Bytes bytes = make();
        const fs::path path = BenchPath(std::to_string(made.size()) + ".swf");
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        found = made.emplace(key, std::make_pair(path, bytes.size())).first;
    }
    size = found->second.second;
    return found->second.first;
}

// The tags read by the whole-file reader; -1 when it refuses the movie.
long ReadWhole(const CBK_Path& path) {
    CBK_SwfReader reader;
    const bool read = reader.Open(path, true, 0, true);
    const long tags = read ? long(reader.GetTags().size()) : -1;
    reader.Destroy(true);
    return tags;
}

// The tags read one by one, each freed at once; -1 when the reading ends refused.
long ReadTagByTag(const CBK_Path& path) {
    CBK_SwfFileReader reader;
    if (!reader.Open(path, true))
        return -1;
    long tags = 0;
    for (bool end = false; !end; ++tags) {
        CBK_SwfTag* tag = reader.ReadTag();
        end = tag->GetTagId() == kSwfTagEnd;
        delete tag;
    }
    return reader.GetLastError() == 0 ? tags : -1;
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Both readers and python3 on one file, round by round.
void Measure(benchmark::State& state, const fs::path& file, std::size_t size) {
    const CBK_Path path(file.wstring());
    const fs::path peak = BenchPath("python-peak");
    const bench::ChildCost idle = bench::PythonInChild("import zlib", "-", peak);
    std::vector<double> whole, wholePeak, stream, streamPeak, python, pythonPeak;
    long tags = 0, streamed = 0;
    for (auto _ : state) {
        const bench::ChildCost w = bench::OursInChild([&] { return ReadWhole(path); });
        const bench::ChildCost s = bench::OursInChild([&] { return ReadTagByTag(path); });
        const bench::ChildCost p =
            bench::PythonInChild(swfmovies::kPythonInflateAll, file.string(), peak);
        whole.push_back(w.seconds);
        wholePeak.push_back(w.peakMiB);
        stream.push_back(s.seconds);
        streamPeak.push_back(s.peakMiB);
        python.push_back(p.seconds);
        pythonPeak.push_back(p.peakMiB - idle.peakMiB);
        tags = w.result;
        streamed = s.result;
        state.SetIterationTime(w.seconds);
    }
    state.counters["file_kB"] = double(size) / 1000.0;
    state.counters["bound_MiB"] = double(CBK_SwfReadBudget::LimitFor(size)) / (1 << 20);
    state.counters["whole_tags"] = double(tags); // -1: refused
    state.counters["whole_ms"] = Median(whole) * 1e3;
    state.counters["whole_peak_MiB"] = Median(wholePeak);
    state.counters["stream_tags"] = double(streamed);
    state.counters["stream_ms"] = Median(stream) * 1e3;
    state.counters["stream_peak_MiB"] = Median(streamPeak);
    state.counters["python_ms"] = Median(python) * 1e3;
    state.counters["python_peak_MiB"] = Median(pythonPeak);
}

void BM_PlausibleMovie(benchmark::State& state) {
    const Target& target = Movies()[std::size_t(state.range(0))];
    state.SetLabel(target.name);
    std::size_t size = 0;
    const fs::path& file = FileOf(target.name, target.make, size);
    Measure(state, file, size);
}
BENCHMARK(BM_PlausibleMovie)
    ->DenseRange(0, 7)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// range(0): the kind; range(1): the file's most bytes.
void BM_Flood(benchmark::State& state) {
    const swfbomb::FloodKind& kind = swfbomb::FloodKinds()[std::size_t(state.range(0))];
    const auto limit = static_cast<uint64_t>(state.range(1));
    state.SetLabel(kind.name);
    std::size_t size = 0;
    const fs::path& file = FileOf(
        std::string(kind.name) + std::to_string(limit), [&] { return FloodWithin(kind, limit); },
        size);
    Measure(state, file, size);
}

void FloodArgs(benchmark::internal::Benchmark* b) {
    for (int64_t kind = 0; kind < int64_t(swfbomb::FloodKinds().size()); ++kind)
        for (int64_t limit : {int64_t(100000), int64_t(1100000)})
            b->Args({kind, limit});
}
BENCHMARK(BM_Flood)
    ->Apply(FloodArgs)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

struct RemoveFiles {
    ~RemoveFiles() {
        for (const auto& entry : fs::directory_iterator(BenchPath("").parent_path()))
            if (entry.path().filename().string().rfind(
                    "stravel-bounds-" + std::to_string(getpid()) + "-", 0) == 0)
                fs::remove(entry.path());
    }
} removeFiles;

} // namespace
