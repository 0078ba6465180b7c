// Frame grabbing and sound reading through the movie importer, each timed beside ffmpeg doing
// the same decoding on the same file in the same run. Counters: our seconds and ffmpeg's per
// pass, wall clock and CPU time (the CPU figures hold on a busy machine), and their ratios
// (ours / ffmpeg; below 1 is faster).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "media/image/image.h"
#include "media/importers/quicktime_importer.h"

extern char** environ;

namespace {

// Runs a program (looked up on PATH) with its output thrown away; true when it exits with 0.
// `cpu` gets the seconds of CPU time it used.
bool Run(const std::vector<std::string>& args, double* cpu = nullptr) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    const bool ok = result == 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    if (cpu)
        *cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return ok;
}

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        char name[] = "/tmp/stravel_bench_movie_XXXXXX";
        return std::filesystem::path(mkdtemp(name));
    }();
    return folder;
}

// 20 s of 640 × 480 H.264 at 25 fps with a key frame every 250 frames.
const std::string& Clip() {
    static const std::string clip = [] {
        const std::string path = (Folder() / "clip.mp4").string();
        Run({"ffmpeg", "-y", "-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=20", "-c:v", "libx264",
             "-g", "250", "-pix_fmt", "yuv420p", path});
        return path;
    }();
    return clip;
}

// Five minutes of stereo MP3 at 44.1 kHz.
const std::string& Sound() {
    static const std::string sound = [] {
        const std::string path = (Folder() / "sound.mp3").string();
        Run({"ffmpeg", "-y", "-f", "lavfi", "-i",
             "aevalsrc='sin(440*2*PI*t)|sin(550*2*PI*t)':s=44100:d=300", "-c:a", "libmp3lame",
             "-b:a", "128k", path});
        return path;
    }();
    return sound;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double ThreadCpu() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

struct Totals {
    double ours = 0, theirs = 0, oursCpu = 0, theirsCpu = 0;
};

void Report(benchmark::State& state, const Totals& t, double items) {
    const double passes = double(state.iterations());
    state.counters["ours_s"] = t.ours / passes;
    state.counters["ffmpeg_s"] = t.theirs / passes;
    state.counters["ratio_wall"] = t.theirs > 0 ? t.ours / t.theirs : 0;
    state.counters["ours_cpu_s"] = t.oursCpu / passes;
    state.counters["ffmpeg_cpu_s"] = t.theirsCpu / passes;
    state.counters["ratio_cpu"] = t.theirsCpu > 0 ? t.oursCpu / t.theirsCpu : 0;
    state.counters["items_per_s"] = t.ours > 0 ? items * passes / t.ours : 0;
}

// Every frame at 15 fps into a 24-bit image, against ffmpeg decoding every frame to RGB.
void BM_FrameGrab15FpsVsFfmpeg(benchmark::State& state) {
    CBK_Path path(std::filesystem::path(Clip()).wstring());
    Totals t;
    CBK_Image image;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const double cpu = ThreadCpu();
        CBK_MediaImporterQuickTime importer;
        if (!importer.Init(path)) {
            state.SkipWithError("the clip does not open");
            return;
        }
        for (int k = 0; k < 20 * 15; ++k)
            importer.GetRgbFrame(uint32_t(k * 600 / 15), image, nullptr, 24);
        benchmark::DoNotOptimize(image.GetData());
        t.oursCpu += ThreadCpu() - cpu;
        t.ours += Seconds(start);
        state.SetIterationTime(Seconds(start));
        start = std::chrono::steady_clock::now();
        double theirs = 0;
        Run({"ffmpeg", "-threads", "1", "-i", Clip(), "-f", "rawvideo", "-pix_fmt", "rgb24", "-"},
            &theirs);
        t.theirsCpu += theirs;
        t.theirs += Seconds(start);
    }
    Report(state, t, 300);
}

// 1,000 sequential ranges of a five-minute MP3 as 22,050 Hz mono, against ffmpeg decoding and
// resampling the whole file.
void BM_SoundRanges1000VsFfmpeg(benchmark::State& state) {
    CBK_Path path(std::filesystem::path(Sound()).wstring());
    Totals t;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const double cpu = ThreadCpu();
        CBK_MediaImporterQuickTime importer;
        CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
        form.m_dRate = 22050;
        form.m_nChannels = 1;
        form.m_nBits = 16;
        if (!importer.Init(path) || !importer.SetSoundExportDescription(form, nullptr)) {
            state.SkipWithError("the sound does not open");
            return;
        }
        const uint32_t total = uint32_t(importer.GetTotalSamples());
        uint32_t at = 0;
        for (int i = 0; i < 1000; ++i) {
            const uint32_t end = uint32_t(uint64_t(total) * (i + 1) / 1000);
            uint32_t bytes = 0, next = 0;
            std::unique_ptr<uint8_t[]> pcm(
                importer.GetSoundSamples(at, int32_t(end - at), bytes, &next));
            benchmark::DoNotOptimize(pcm.get());
            at = end;
        }
        t.oursCpu += ThreadCpu() - cpu;
        t.ours += Seconds(start);
        state.SetIterationTime(Seconds(start));
        start = std::chrono::steady_clock::now();
        double theirs = 0;
        Run({"ffmpeg", "-threads", "1", "-i", Sound(), "-ar", "22050", "-ac", "1", "-f", "s16le",
             "-"},
            &theirs);
        t.theirsCpu += theirs;
        t.theirs += Seconds(start);
    }
    Report(state, t, 1000);
}

} // namespace

BENCHMARK(BM_FrameGrab15FpsVsFfmpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SoundRanges1000VsFfmpeg)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
