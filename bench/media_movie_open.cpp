// Opening a large movie, and a first jump in one just opened, through the movie reader beside
// libavformat opening the same file as ffprobe does (and seeking to the same place, decoding a
// picture and half a second of sound there), in the same process and thread. Counters: the median
// milliseconds of each side in thread CPU time, the speed ratio peer / ours, and the megabytes
// that each side read from the file (from /proc/self/io). The movies are made once, by ffmpeg, in
// the folder that STRAVEL_BENCH_MEDIA names (a new one in /tmp without it), so that a reader built
// from another tree can be measured on the same files in the same run (movie_open_beside.sh).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "bench/run_quietly.h"
#include "bench/side_by_side.h"
#include "platform/movie/movie.h"
#include "tests/platform/movie/sound_oracle.h"

namespace {

using soundtest::BytesRead;

std::filesystem::path Folder() {
    static const std::filesystem::path folder = [] {
        if (const char* named = std::getenv("STRAVEL_BENCH_MEDIA")) {
            std::filesystem::create_directories(named);
            return std::filesystem::path(named);
        }
        char name[] = "/tmp/stravel_bench_open_XXXXXX";
        return std::filesystem::path(mkdtemp(name));
    }();
    return folder;
}

std::string Made(const std::string& name, std::vector<std::string> args) {
    const std::filesystem::path path = Folder() / name;
    if (!std::filesystem::exists(path)) {
        // Made under another name first, so that a run cut short leaves no half of one.
        const std::filesystem::path part = Folder() / ("part-" + name);
        args.insert(args.begin(), {"ffmpeg", "-y", "-v", "error"});
        args.push_back(part.string());
        if (bench::RunQuietly(args))
            std::filesystem::rename(part, path);
    }
    return path.string();
}

// 0: 240 MB of transport stream, 150 s of a still picture and then 150 s of motion; 1: 300 MB of
// transport stream of motion throughout; 2: the same 300 MB as an MP4 file of H.264 and AAC; 3:
// 60 MB of FLV whose sound lasts 2 s longer than its picture.
std::string LargeMovie(int kind) {
    const std::string motion = "testsrc2=s=1280x720:r=25:d=";
    switch (kind) {
    case 0:
        return Made("uneven.ts", {"-f",
                                  "lavfi",
                                  "-i",
                                  "color=c=gray:s=1280x720:r=25:d=150",
                                  "-f",
                                  "lavfi",
                                  "-i",
                                  motion + "150",
                                  "-f",
                                  "lavfi",
                                  "-i",
                                  "sine=f=440:r=48000:d=300",
                                  "-filter_complex",
                                  "[0][1]concat=n=2:v=1:a=0[v]",
                                  "-map",
                                  "[v]",
                                  "-map",
                                  "2:a",
                                  "-c:v",
                                  "mpeg2video",
                                  "-q:v",
                                  "2",
                                  "-c:a",
                                  "mp2",
                                  "-b:a",
                                  "192k"});
    case 1:
        return Made("ordinary.ts",
                    {"-f",       "lavfi",      "-i",       motion + "300",
                     "-f",       "lavfi",      "-i",       "sine=f=440:r=48000:d=300",
                     "-c:v",     "mpeg2video", "-b:v",     "7800k",
                     "-maxrate", "7800k",      "-bufsize", "4M",
                     "-c:a",     "mp2",        "-b:a",     "192k"});
    case 2:
        return Made("ordinary.mp4", {"-f",       "lavfi",   "-i",       motion + "300",
                                     "-f",       "lavfi",   "-i",       "sine=f=440:r=48000:d=300",
                                     "-c:v",     "libx264", "-preset",  "ultrafast",
                                     "-b:v",     "7800k",   "-maxrate", "7800k",
                                     "-bufsize", "4M",      "-pix_fmt", "yuv420p",
                                     "-c:a",     "aac"});
    default:
        return Made("longer-sound.flv", {"-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=120", "-f",
                                         "lavfi", "-i", "sine=f=440:r=44100:d=122", "-c:v", "flv1",
                                         "-q:v", "3", "-c:a", "libmp3lame"});
    }
}

struct FormatClose {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};

// The peer: the file opened and its streams read ahead as ffprobe does; for a jump, a seek to the
// middle, the first picture decoded there and half a second of sound.
bool PeerOpen(const std::string& path, bool jump) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        return false;
    std::unique_ptr<AVFormatContext, FormatClose> format(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return false;
    benchmark::DoNotOptimize(raw->duration);
    if (!jump)
        return true;
    if (av_seek_frame(raw, -1, raw->start_time + raw->duration / 2, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    const int picture = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int sound = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* decoders[2] = {};
    for (int i = 0; i < 2; ++i) {
        const AVStream* stream = raw->streams[i == 0 ? picture : sound];
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        decoders[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoders[i], stream->codecpar);
        decoders[i]->thread_count = 1;
        avcodec_open2(decoders[i], codec, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool shown = false;
    int64_t samples = 0;
    const int rate = raw->streams[sound]->codecpar->sample_rate;
    while ((!shown || samples < rate / 2) && av_read_frame(raw, packet) >= 0) {
        const int i = packet->stream_index == picture ? 0 : packet->stream_index == sound ? 1 : -1;
        if (i >= 0 && avcodec_send_packet(decoders[i], packet) >= 0)
            while (avcodec_receive_frame(decoders[i], frame) == 0) {
                shown = shown || i == 0;
                samples += i == 1 ? frame->nb_samples : 0;
            }
        av_packet_unref(packet);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext*& decoder : decoders)
        avcodec_free_context(&decoder);
    return shown;
}

// Ours: the movie opened and its length asked (which counts its sound); for a jump, the picture
// in the middle and half a second of sound there.
bool OursOpen(const std::string& path, bool jump) {
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(path);
    if (!movie || movie->GetDuration() <= 0)
        return false;
    if (!jump)
        return true;
    const tbx::TimeValue middle = movie->GetDuration() / 2;
    std::vector<uint8_t> rgb(320 * 180 * 3 + tbx::kFrameRenderRoom), pcm;
    return movie->RenderFrame(middle, tbx::FramePixels::Rgb24, rgb.data(), rgb.size(), 320 * 3, 320,
                              180) &&
           movie->ReadPcm(middle, movie->GetTimeScale() / 2, pcm);
}

void BM_MovieOpen(benchmark::State& state) {
    const std::string path = LargeMovie(int(state.range(0)));
    const bool jump = state.range(1) != 0;
    bench::SideBySide rounds(state, "libav", "ms");
    int64_t ours = 0, theirs = 0;
    for (auto _ : state) {
        bool ok = true;
        rounds.Ours([&] {
            const int64_t before = BytesRead();
            ok = OursOpen(path, jump);
            ours = BytesRead() - before;
        });
        if (!ok) {
            state.SkipWithError("the movie does not open");
            return;
        }
        rounds.Peer([&] {
            const int64_t before = BytesRead();
            PeerOpen(path, jump);
            theirs = BytesRead() - before;
        });
    }
    rounds.Report();
    state.counters["file_mb"] = double(std::filesystem::file_size(path)) / 1e6;
    state.counters["ours_mb"] = double(ours) / 1e6;
    state.counters["libav_mb"] = double(theirs) / 1e6;
}

} // namespace

BENCHMARK(BM_MovieOpen)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"kind", "jump"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
