// Throughput of text output through the data-fork stream.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

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

} // namespace
