// Throughput of text output through the data-fork stream, small movies written whole
// through the atomic writer beside raw write() and fsync, saves that keep a file's attributes
// beside a plain save, attributes copied beside asking each value's size first, and walks
// through a file's named forks (alone, many in turn, of many files, while forks change, many
// abandoned, many left open) beside the system calls that do their work.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <linux/limits.h>
#include <linux/magic.h>
#include <malloc.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "bench/side_by_side.h"
#include "core/files/atomic_file.h"
#include "core/files/fork_utilities.h"
#include "core/paths/path.h"
#include "core/streams/of_stream.h"
#include "core/strings/locale.h"
#include "platform/files/fs_attributes.h"
#include "platform/files/fs_catalog.h"

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

// A file of `forks` one-byte named forks in memory (only a memory file system holds thousands
// of attributes), or "" with the benchmark skipped; `index` tells several apart. Each
// attribute's name is "user.f0000" and so on, padded with dots to `width` bytes when longer.
std::string ForkedFile(benchmark::State& state, int forks, int index = 0, std::size_t width = 0) {
    const std::string file =
        "/dev/shm/stravel-bench-" + std::to_string(getpid()) + "-" + std::to_string(index) + ".swf";
    std::ofstream(file) << "data";
    for (int i = 0; i < forks; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "user.f%04d", i);
        const std::string name = std::string(number).append(width > 10 ? width - 10 : 0, '.');
        if (setxattr(file.c_str(), name.c_str(), "x", 1, 0) != 0) {
            std::filesystem::remove(file);
            state.SkipWithError("/dev/shm holds too few user attributes");
            return {};
        }
    }
    return file;
}

tbx::FSRef RefOf(const std::string& file) {
    tbx::FSRef ref;
    tbx::FSPathMakeRef(reinterpret_cast<const tbx::UInt8*>(file.c_str()), &ref, nullptr);
    return ref;
}

// The sizes of all forks of a file with `forks` one-byte named forks in a memory folder (only
// a memory file system holds thousands of attributes), counted through the fork walk. The peer
// lists the attributes once and asks each user attribute's size.
void BM_NamedForkWalk(benchmark::State& state) {
    const int forks = int(state.range(0));
    const std::string file = ForkedFile(state, forks);
    if (file.empty())
        return;
    const tbx::FSRef ref = RefOf(file);
    bench::SideBySide rounds(state, "listxattr", "ms");
    tbx::UInt64 ours = 0, theirs = 0;
    bool ok = true;
    std::vector<char> names;
    for (auto _ : state) {
        rounds.Ours(
            [&] { ok = ok && FSGetTotalForkSizes(&ref, &ours, nullptr, nullptr) == tbx::noErr; });
        rounds.Peer([&] {
            theirs = std::filesystem::file_size(file);
            names.resize(std::size_t(std::max<ssize_t>(listxattr(file.c_str(), nullptr, 0), 0)));
            const ssize_t got = listxattr(file.c_str(), names.data(), names.size());
            for (ssize_t at = 0; at < got; at += ssize_t(std::strlen(&names[at])) + 1)
                if (std::strncmp(&names[at], "user.", 5) == 0)
                    theirs += tbx::UInt64(getxattr(file.c_str(), &names[at], nullptr, 0));
        });
    }
    rounds.Report();
    std::filesystem::remove(file);
    if (!ok || ours != theirs || ours != tbx::UInt64(forks) + 4)
        state.SkipWithError("the sizes differ");
    state.SetItemsProcessed(state.iterations() * forks);
}
BENCHMARK(BM_NamedForkWalk)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(5900)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// `walks` walks through a file of `forks` named forks, stepped in turn until all are done,
// beside as many walks each run alone to its end. Equal times mean a step costs the same
// however many walks are open.
void BM_ForkWalksInTurn(benchmark::State& state) {
    const std::size_t walks = std::size_t(state.range(0));
    const int forks = int(state.range(1));
    const std::string file = ForkedFile(state, forks);
    if (file.empty())
        return;
    const tbx::FSRef ref = RefOf(file);
    bench::SideBySide rounds(state, "alone", "ms");
    std::size_t given = 0, alone = 0;
    for (auto _ : state) {
        rounds.Ours([&] {
            given = 0;
            std::vector<tbx::CatPositionRec> positions(walks);
            for (std::size_t left = walks; left > 0;)
                for (tbx::CatPositionRec& position : positions)
                    if (position.initialize >= 0 &&
                        FSIterateForks(&ref, &position, nullptr, nullptr, nullptr) == tbx::noErr)
                        ++given;
                    else if (position.initialize >= 0)
                        position.initialize = -1, --left;
        });
        rounds.Peer([&] {
            alone = 0;
            for (std::size_t w = 0; w < walks; ++w) {
                tbx::CatPositionRec position;
                while (FSIterateForks(&ref, &position, nullptr, nullptr, nullptr) == tbx::noErr)
                    ++alone;
            }
        });
    }
    rounds.Report();
    std::filesystem::remove(file);
    if (given != alone || given != walks * std::size_t(forks + 1))
        state.SkipWithError("the walks gave different forks");
    state.SetItemsProcessed(int64_t(state.iterations() * given));
}
BENCHMARK(BM_ForkWalksInTurn)
    ->ArgsProduct({{16, 17, 64}, {5000}})
    ->ArgNames({"walks", "forks"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Walks stepped in turn until all have ended: the forks they gave, and how many failed.
std::pair<std::size_t, std::size_t> WalkInTurn(const std::vector<tbx::FSRef>& refs) {
    std::vector<tbx::CatPositionRec> positions(refs.size());
    std::size_t given = 0, failed = 0;
    for (std::size_t left = refs.size(); left > 0;)
        for (std::size_t w = 0; w < refs.size(); ++w) {
            if (positions[w].initialize < 0)
                continue;
            const tbx::OSErr error =
                FSIterateForks(&refs[w], &positions[w], nullptr, nullptr, nullptr);
            if (error == tbx::noErr) {
                ++given;
                continue;
            }
            failed += error != tbx::errFSNoMoreItems;
            positions[w].initialize = -1;
            --left;
        }
    return {given, failed};
}

// The same walks each run alone to its end, one after another.
std::pair<std::size_t, std::size_t> WalkAlone(const std::vector<tbx::FSRef>& refs) {
    std::pair<std::size_t, std::size_t> total;
    for (const tbx::FSRef& ref : refs) {
        const auto [given, failed] = WalkInTurn({ref});
        total.first += given;
        total.second += failed;
    }
    return total;
}

// One walk through each of `files` files of `forks` named forks (names `width` bytes long),
// stepped in turn until all are done, beside each file's walk run alone to its end. Equal times
// mean a step costs the same however many files are walked at once; 300 files of 60 KiB of
// names take more listings than are kept, so that the walks left longest list again. Counter:
// walks that ended early.
void BM_ForkWalksOfManyFilesInTurn(benchmark::State& state) {
    const int files = int(state.range(0)), forks = int(state.range(1));
    const std::size_t width = std::size_t(state.range(2));
    std::vector<std::string> paths;
    for (int f = 0; f < files && (f == 0 || !paths.back().empty()); ++f)
        paths.push_back(ForkedFile(state, forks, f, width));
    std::vector<tbx::FSRef> refs;
    for (const std::string& path : paths)
        refs.push_back(RefOf(path));
    bench::SideBySide rounds(state, "alone", "ms");
    std::pair<std::size_t, std::size_t> inTurn, alone;
    for (auto _ : state) {
        rounds.Ours([&] { inTurn = WalkInTurn(refs); });
        rounds.Peer([&] { alone = WalkAlone(refs); });
    }
    for (const std::string& path : paths)
        if (!path.empty())
            std::filesystem::remove(path);
    if (paths.back().empty())
        return; // skipped: too few attributes
    rounds.Report();
    state.counters["ended_early"] = double(inTurn.second);
    if (inTurn.second == 0 &&
        (inTurn != alone || inTurn.first != std::size_t(files) * std::size_t(forks + 1)))
        state.SkipWithError("the walks gave different forks");
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(inTurn.first));
}
BENCHMARK(BM_ForkWalksOfManyFilesInTurn)
    ->ArgsProduct({{16, 17, 64}, {1000, 5000}, {0}})
    ->Args({300, 300, 200})
    ->ArgNames({"files", "forks", "width"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Until `stop`, adds forks to the file as fast as it can until it made 512, then removes them,
// and so on.
void ChangeForks(const std::string& file, int forks, const std::atomic<bool>& stop) {
    std::deque<std::string> made;
    bool growing = true;
    for (unsigned n = 0; !stop; ++n) {
        growing = made.empty() || (growing && made.size() < 512);
        if (growing) {
            made.push_back("user.f" + std::to_string(n % unsigned(forks)) + "-" +
                           std::to_string(n));
            setxattr(file.c_str(), made.back().c_str(), "c", 1, 0);
        } else {
            removexattr(file.c_str(), made.front().c_str());
            made.pop_front();
        }
    }
}

// 64 walks through a file of 3,000 named forks, stepped in turn while another thread changes its
// forks, beside the same walks each run alone to its end on the file left unchanged.
void BM_ForkWalksWhileForksChange(benchmark::State& state) {
    constexpr int kForks = 3000, kWalks = 64;
    const std::string file = ForkedFile(state, kForks);
    if (file.empty())
        return;
    const std::vector<tbx::FSRef> refs(kWalks, RefOf(file));
    bench::SideBySide rounds(state, "alone", "ms");
    std::pair<std::size_t, std::size_t> changing, alone;
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread changer(ChangeForks, std::cref(file), kForks, std::cref(stop));
        rounds.Ours([&] { changing = WalkInTurn(refs); });
        stop = true;
        changer.join();
        rounds.Peer([&] { alone = WalkAlone(refs); });
    }
    rounds.Report();
    std::filesystem::remove(file);
    if (changing.second != 0 || alone.second != 0)
        state.SkipWithError("a walk failed");
    else if (changing.first < std::size_t(kWalks) * (kForks + 1))
        state.SkipWithError("a walk missed forks");
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(changing.first));
}
BENCHMARK(BM_ForkWalksWhileForksChange)->UseManualTime()->Unit(benchmark::kMillisecond);

// 100,000 walks each begun at the first named fork of a file of three and left there, while the
// table of open walks is full and each pushes out the oldest; beside the system calls that find
// the first named fork at once: the file's status, its attributes' names and the first one's
// size.
void BM_AbandonedForkWalks(benchmark::State& state) {
    constexpr int kWalks = 100'000;
    const std::string file = ForkedFile(state, 3);
    if (file.empty())
        return;
    const tbx::FSRef ref = RefOf(file);
    auto begin = [&] {
        tbx::CatPositionRec position;
        bool ok = true;
        for (int step = 0; step < 3; ++step)
            ok = ok && FSIterateForks(&ref, &position, nullptr, nullptr, nullptr) == tbx::noErr;
        return ok;
    };
    bool ok = true;
    for (int i = 0; i < 2048; ++i)
        ok = ok && begin();
    bench::SideBySide rounds(state, "syscalls", "ms");
    std::vector<char> names(4096);
    for (auto _ : state) {
        rounds.Ours([&] {
            for (int i = 0; i < kWalks; ++i)
                ok = ok && begin();
        });
        rounds.Peer([&] {
            for (int i = 0; i < kWalks; ++i) {
                struct stat info;
                ok = ok && stat(file.c_str(), &info) == 0 &&
                     listxattr(file.c_str(), names.data(), names.size()) > 0 &&
                     getxattr(file.c_str(), names.data(), nullptr, 0) == 1;
            }
        });
    }
    rounds.Report();
    std::filesystem::remove(file);
    if (!ok)
        state.SkipWithError("a walk failed");
    state.SetItemsProcessed(int64_t(state.iterations()) * kWalks);
}
BENCHMARK(BM_AbandonedForkWalks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Bytes the heap holds now.
double HeapBytes() {
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd);
}

// 1,000 walks through a file of 64 KiB of fork names, each begun after a fork is added (and the
// one added before it removed), stepped twice and left; beside the system calls that find each
// walk's first named fork: the file's status, its attributes' names and the first one's size.
// Counters: the most heap the walks left open held, and what they hold at the end, in MiB.
void BM_ForkWalksLeftOpen(benchmark::State& state) {
    constexpr int kWalks = 1000;
    const std::string file = ForkedFile(state, 5900);
    if (file.empty())
        return;
    const tbx::FSRef ref = RefOf(file);
    std::string added;
    unsigned changes = 0;
    auto change = [&] {
        const std::string previous =
            std::exchange(added, "user.a" + std::to_string(changes++ % 10000));
        return setxattr(file.c_str(), added.c_str(), "", 0, 0) == 0 &&
               (previous.empty() || removexattr(file.c_str(), previous.c_str()) == 0);
    };
    std::vector<tbx::CatPositionRec> positions(kWalks);
    bool ok = true;
    // Returns after `each` (if given) has been called after every walk.
    auto leave = [&](const std::function<void()>& each) {
        for (tbx::CatPositionRec& position : positions) {
            position = tbx::CatPositionRec();
            ok = ok && change();
            for (int step = 0; step < 2; ++step)
                ok = ok && FSIterateForks(&ref, &position, nullptr, nullptr, nullptr) == tbx::noErr;
            if (each)
                each();
        }
    };
    // Walks of a small file push the walks left open out of the table.
    const std::string small = ForkedFile(state, 3, 1);
    const tbx::FSRef smallRef = RefOf(small);
    auto pushOut = [&] {
        for (int i = 0; i < 1024; ++i) {
            tbx::CatPositionRec position;
            for (int step = 0; step < 3; ++step)
                FSIterateForks(&smallRef, &position, nullptr, nullptr, nullptr);
        }
    };
    pushOut();
    const double before = HeapBytes();
    double peak = 0;
    leave([&] { peak = std::max(peak, HeapBytes() - before); });
    const double open = HeapBytes() - before;
    pushOut();

    bench::SideBySide rounds(state, "syscalls", "ms");
    std::vector<char> names(XATTR_LIST_MAX);
    for (auto _ : state) {
        rounds.Ours([&] { leave({}); });
        pushOut();
        rounds.Peer([&] {
            for (int i = 0; i < kWalks; ++i) {
                struct stat info;
                ok = ok && change() && stat(file.c_str(), &info) == 0 &&
                     listxattr(file.c_str(), names.data(), names.size()) > 0 &&
                     getxattr(file.c_str(), names.data(), nullptr, 0) >= 0;
            }
        });
    }
    rounds.Report();
    state.counters["peak_MiB"] = peak / double(1 << 20);
    state.counters["open_MiB"] = open / double(1 << 20);
    std::filesystem::remove(file);
    std::filesystem::remove(small);
    if (!ok)
        state.SkipWithError("a walk failed");
    state.SetItemsProcessed(int64_t(state.iterations()) * kWalks);
}
BENCHMARK(BM_ForkWalksLeftOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Copies every attribute of `from` onto the open file `to` as most code does: the list's size
// and each value's size are asked before it is read, and a value that grows in between is lost.
bool CopyAttributesSizeFirst(const std::string& from, int to) {
    std::vector<char> names(std::size_t(std::max<ssize_t>(listxattr(from.c_str(), nullptr, 0), 0)));
    const ssize_t listed = listxattr(from.c_str(), names.data(), names.size());
    std::vector<char> value;
    bool ok = listed >= 0;
    for (ssize_t at = 0; at < listed; at += ssize_t(std::strlen(&names[at])) + 1) {
        const ssize_t size = getxattr(from.c_str(), &names[at], nullptr, 0);
        value.resize(std::size_t(std::max<ssize_t>(size, 0)));
        const ssize_t got = getxattr(from.c_str(), &names[at], value.data(), value.size());
        ok = ok && got >= 0 && fsetxattr(to, &names[at], value.data(), std::size_t(got), 0) == 0;
    }
    return ok;
}

// The bytes of a file's attribute names.
ssize_t ListedBytes(const std::string& file) {
    std::vector<char> names(XATTR_LIST_MAX);
    return listxattr(file.c_str(), names.data(), names.size());
}

// The `attributes` one-byte user attributes of a file in memory copied onto another file, as
// saves and tree copies copy them; beside the usual way, which asks the list's size and each
// value's size before reading it (and loses a value that grows in between).
void BM_CopyAttributesBesideSizeFirst(benchmark::State& state) {
    const int attributes = int(state.range(0));
    const std::string from = ForkedFile(state, attributes);
    if (from.empty())
        return;
    const std::string ours = from + ".ours", peer = from + ".peer";
    std::ofstream(ours) << "data";
    std::ofstream(peer) << "data";
    const int oursFd = ::open(ours.c_str(), O_WRONLY | O_CLOEXEC);
    const int peerFd = ::open(peer.c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = oursFd >= 0 && peerFd >= 0;
    bench::SideBySide rounds(state, "size_first", "ms");
    for (auto _ : state) {
        rounds.Ours([&] { ok = ok && tbx::FSCopyAttributes(from, oursFd, tbx::FSAnyAttribute); });
        rounds.Peer([&] { ok = ok && CopyAttributesSizeFirst(from, peerFd); });
    }
    rounds.Report();
    const bool same =
        ListedBytes(ours) == ListedBytes(from) && ListedBytes(peer) == ListedBytes(from);
    ::close(oursFd);
    ::close(peerFd);
    for (const std::string& file : {from, ours, peer})
        std::filesystem::remove(file);
    if (!ok)
        state.SkipWithError("a copy failed");
    else if (!same)
        state.SkipWithError("the copies differ");
    state.SetItemsProcessed(int64_t(state.iterations()) * attributes);
}
BENCHMARK(BM_CopyAttributesBesideSizeFirst)
    ->Arg(100)
    ->Arg(5900)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A file of 16 KiB with `attributes` user attributes of 10 bytes saved over whole, through the
// atomic writer; beside a plain save of the same bytes that copies the attributes as most code
// does, asking each list's and value's size before reading it: a temporary file written,
// attributes copied, mode set, synced and renamed over the target. In memory, where thousands of
// attributes fit.
void BM_SaveBesidePlainCopy(benchmark::State& state) {
    const int attributes = int(state.range(0));
    const std::string target = "/dev/shm/stravel-bench-" + std::to_string(getpid()) + ".xml";
    const std::string peer = target + ".peer";
    const std::string bytes(16 << 10, 'x');
    bool ok = true;
    for (const std::string& file : {target, peer}) {
        std::ofstream(file) << bytes;
        for (int i = 0; i < attributes; ++i)
            ok = ok && setxattr(file.c_str(), ("user.n" + std::to_string(i)).c_str(), "0123456789",
                                10, 0) == 0;
    }
    if (!ok) {
        state.SkipWithError("/dev/shm holds too few user attributes");
        return;
    }
    auto plainSave = [&] {
        const std::string temporary = peer + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ok = ok && fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        ok = ok && CopyAttributesSizeFirst(peer, fd) && ::fchmod(fd, 0644) == 0 &&
             ::fsync(fd) == 0 && ::rename(temporary.c_str(), peer.c_str()) == 0;
        ::close(fd);
    };
    bench::SideBySide rounds(state, "plain", "us");
    for (auto _ : state) {
        rounds.Ours([&] { ok = ok && BK_WriteFileAtomically(target, bytes); });
        rounds.Peer(plainSave);
    }
    rounds.Report();
    const ssize_t ours = ListedBytes(target);
    const bool same = ours == ListedBytes(peer) && ours > 0 && SameBytes(target, peer);
    std::filesystem::remove(target);
    std::filesystem::remove(peer);
    if (!ok)
        state.SkipWithError("a save failed");
    else if (!same)
        state.SkipWithError("the saves differ");
    state.SetItemsProcessed(int64_t(state.iterations()) * attributes);
}
BENCHMARK(BM_SaveBesidePlainCopy)
    ->Arg(2)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
