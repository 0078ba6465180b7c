// Throughput of text output through the data-fork stream, and small movies written whole
// through the atomic writer beside raw write() and fsync.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/magic.h>
#include <string>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

#include "bench/side_by_side.h"
#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "core/streams/of_stream.h"
#include "core/strings/locale.h"

namespace {

std::wstring ScratchFile() {
    const auto path = std::filesystem::temp_directory_path() /
                      ("stravel-bench-" + std::to_string(getpid()) + ".txt");
    return BK_FileSystemNameToWide(path.string());
}

// 10 MB in lines of 80 bytes, the way XML and HTML are written.
void BM_StreamWriteLines(benchmark::State& state) {
    const std::wstring path = ScratchFile();
    const std::string line(79, 'x');
    constexpr int kLines = 10 * 1024 * 1024 / 80;
    for (auto _ : state) {
        CBK_OFStream stream(CBK_Locale::GetCodePage());
        stream.Open(path.c_str(), std::ios_base::out, CBK_Locale::GetCodePage());
        for (int i = 0; i < kLines; ++i) {
            stream.write(line.data(), std::streamsize(line.size()));
            stream.put('\n');
        }
        stream.close();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kLines) * 80);
    std::filesystem::remove(BK_WideToFileSystemName(path));
}
BENCHMARK(BM_StreamWriteLines)->Unit(benchmark::kMillisecond);

// Wide text converted to UTF-8 on the way.
void BM_StreamWriteWideText(benchmark::State& state) {
    const std::wstring path = ScratchFile();
    const std::wstring text = L"<item name=\"Vidéo 中\" value=\"12345\" />\n";
    constexpr int kItems = 100000;
    for (auto _ : state) {
        CBK_OFStream stream(CBK_Locale::GetCodePage());
        stream.Open(path.c_str(), std::ios_base::out, CBK_Locale::GetCodePage());
        for (int i = 0; i < kItems; ++i)
            stream << text.c_str();
        stream.close();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kItems) *
                            int64_t(BK_WideToFileSystemName(text).size()));
    std::filesystem::remove(BK_WideToFileSystemName(path));
}
BENCHMARK(BM_StreamWriteWideText)->Unit(benchmark::kMillisecond);

// Argument 1 of the movie benchmark: 0 a memory-backed folder, 1 a folder on disk (the one
// that holds this program), or nothing when that is memory-backed too.
std::filesystem::path MovieFolder(int64_t where) {
    std::filesystem::path folder = "/dev/shm";
    if (where == 1) {
        folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        struct statfs info;
        if (statfs(folder.c_str(), &info) != 0 || info.f_type == TMPFS_MAGIC)
            return {};
    }
    return folder;
}

constexpr std::size_t kChunk = 1 << 20;

bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream one(a, std::ios::binary), two(b, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(one), {}) ==
           std::string(std::istreambuf_iterator<char>(two), {});
}

// A movie of `mib` MiB written as the movie writers write one: in 1 MiB pieces, the header's
// length patched at the end, the Finder type set, then committed over the last one. The peer
// writes the same bytes with write() into its own file, fsyncs and closes it.
void BM_SmallMovieToDisk(benchmark::State& state) {
    const std::filesystem::path folder = MovieFolder(state.range(1));
    if (folder.empty()) {
        state.SkipWithError("no folder on disk here");
        return;
    }
    const std::string ours = folder / ("stravel-bench-" + std::to_string(getpid()) + ".swf");
    const std::string peer = folder / ("stravel-bench-" + std::to_string(getpid()) + "-raw.swf");
    const std::size_t chunks = std::size_t(state.range(0));
    std::vector<char> chunk(kChunk);
    for (std::size_t i = 0; i < kChunk; ++i)
        chunk[i] = char((i * 2654435761u) >> 13);
    bench::SideBySide rounds(state, "raw", "us");
    bool ok = true;
    for (auto _ : state) {
        rounds.Ours([&] {
            CBK_AtomicFile file;
            ok = ok && file.Open(ours);
            file.SetFileTypes(0x53574632, 0x5357464C); // 'SWF2', 'SWFL'
            for (std::size_t i = 0; i < chunks; ++i)
                ok = ok && file.Write(chunk.data(), kChunk);
            ok = ok && file.WriteAt(4, chunk.data() + 4, 4) && file.Commit();
        });
        rounds.Peer([&] {
            const int fd = ::open(peer.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            for (std::size_t i = 0; i < chunks; ++i)
                ok = ok && ::write(fd, chunk.data(), kChunk) == ssize_t(kChunk);
            ok = ok && ::fsync(fd) == 0 && ::close(fd) == 0;
        });
    }
    rounds.Report();
    if (!ok)
        state.SkipWithError("a write failed");
    else if (!SameBytes(ours, peer))
        state.SkipWithError("the two files differ");
    std::filesystem::remove(ours);
    std::filesystem::remove(peer);
    state.SetBytesProcessed(int64_t(state.iterations() * chunks * kChunk));
}
BENCHMARK(BM_SmallMovieToDisk)
    ->ArgsProduct({{1, 16}, {0, 1}})
    ->ArgNames({"MiB", "disk"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
