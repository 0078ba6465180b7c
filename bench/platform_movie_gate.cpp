// Movies and pictures whose decoders would do far more than their bytes suggest, opened with
// their first frame drawn (or refused) here, beside FFmpeg decoding the same bytes to their first
// frame (a format context read ahead as ffmpeg's command line reads it, one decoding thread):
// samples that all name one PNG inflating 2 MB past its rows, TDSC packets of a 2048 x 2048
// picture that do not decode, FLIC frames that clear the frame for each six-byte chunk,
// Go2Meeting frames that repaint a frame-sized tile for each chunk or set aside room for
// 4096 x 4096 tiles over and over, screen captures cleared or moved whole over and over,
// animations whose segments each fill the whole frame, and OpenEXR pictures (in a QuickDraw
// picture) of 4,000 channels that nothing draws whose blocks all name one chunk; each beside its
// plain twin. The hostile inputs are smaller than the tests'
// where FFmpeg would take tens of seconds on those.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "bench/side_by_side.h"
#include "platform/movie/movie.h"
#include "platform/pict/pict_codecs.h"
#include "platform/pict/pict_decode.h"
#include "tests/platform/pict/repaint_bombs.h"

namespace {

using picturetest::QuickTimeMovie;

struct Input {
    const char* what;
    std::string bytes;
    const char* codec; // a QuickDraw picture's compressed image of this codec; null: a movie
    int side;          // the image's size as its picture describes it
};

std::vector<Input> Inputs() {
    using namespace picturetest;
    return {
        {"PNG, 1,000 samples", QuickTimeMovie("png ", 8, 8, {BlackPng(72)}, 1000), nullptr, 0},
        {"PNG inflating 2 MB past its rows, 1,000 samples",
         QuickTimeMovie("png ", 8, 8, {BlackPng((std::size_t(2) << 20) + 72)}, 1000), nullptr, 0},
        {"TDSC 2048x2048, 1,000 packets that do not decode",
         QuickTimeMovie("TDSC", 2048, 2048, {std::string(16, '\xFF')}, 1000), nullptr, 0},
        {"FLIC 1024x1024", QuickTimeMovie("flic", 1024, 1024, {FlicClears(1)}), nullptr, 0},
        {"FLIC cleared 10,000 times", QuickTimeMovie("flic", 1024, 1024, {FlicClears(10000)}),
         nullptr, 0},
        {"G2M 1024x1024", QuickTimeMovie("G2M4", 1024, 1024, {G2mFrame(1024, 1024, 1024, 1, 1)}),
         nullptr, 0},
        {"G2M tile painted 1,000 times",
         QuickTimeMovie("G2M4", 1024, 1024, {G2mFrame(1024, 1024, 1024, 1, 1000)}), nullptr, 0},
        {"G2M room for 4096x4096 tiles 20 times",
         QuickTimeMovie("G2M4", 1024, 1024, {G2mFrame(1024, 1024, 4096, 20, 1)}), nullptr, 0},
        {"RASC 1024x1024", QuickTimeMovie("RASC", 1024, 1024, {RascFrame(1024, 1024, 0, 0)}),
         nullptr, 0},
        {"RASC cleared 1,000 times",
         QuickTimeMovie("RASC", 1024, 1024, {RascFrame(1024, 1024, 1000, 0)}), nullptr, 0},
        {"RASC 3,000 moves", QuickTimeMovie("RASC", 1024, 1024, {RascFrame(1024, 1024, 0, 3000)}),
         nullptr, 0},
        {"ARBC 1024x1024", QuickTimeMovie("ARBC", 1024, 1024, {ArbcFrame(1)}), nullptr, 0},
        {"ARBC filled whole 400 times", QuickTimeMovie("ARBC", 1024, 1024, {ArbcFrame(400)}),
         nullptr, 0},
        {"OpenEXR 16x16384", ExrBlocks(0, 1024, false), "exr ", 64},
        {"OpenEXR 4,000 channels, 100 blocks naming one chunk", ExrBlocks(4000, 100, true), "exr ",
         64},
        {"FLIC picture 1024x1024", FlicClears(1), "flic", 1024},
        {"FLIC picture cleared 10,000 times", FlicClears(10000), "flic", 1024},
    };
}

// The image description of the input's compressed image.
std::string Description(const Input& input) {
    std::string description(86, '\0');
    description.replace(0, 8, std::string("\0\0\0\x56", 4) + input.codec);
    description.replace(
        32, 4, picturetest::Be(uint32_t(input.side), 2) + picturetest::Be(uint32_t(input.side), 2));
    return description;
}

// A version 2 picture of 8 x 8 holding one compressed image.
std::string Picture(const Input& input) {
    std::string p;
    auto w = [&](uint32_t v) { p += picturetest::Be(v, 2); };
    auto l = [&](uint32_t v) { p += picturetest::Be(v, 4); };
    w(0), w(0), w(0), w(8), w(8), w(0x0011), w(0x02FF), w(0x0C00);
    p += std::string(24, '\0');
    const std::string description = Description(input);
    w(0x8200);
    l(uint32_t(2 + 36 + 30 + description.size() + input.bytes.size()));
    w(0);
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        l(m);
    l(0), w(0), w(0), w(0), w(0), w(0), w(0), w(0), w(0), w(0), l(0), l(0);
    p += description + input.bytes;
    if (p.size() % 2)
        p += '\0';
    w(0xFF);
    return p;
}

// FFmpeg's first frame of the file's video stream.
bool FfmpegFirstFrame(const std::string& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return false;
    bool got = false;
    const AVCodec* codec = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const int index = avformat_find_stream_info(format, nullptr) < 0
                          ? -1
                          : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index >= 0 && (decoder = avcodec_alloc_context3(codec)) &&
        avcodec_parameters_to_context(decoder, format->streams[index]->codecpar) >= 0) {
        decoder->thread_count = 1;
        if (avcodec_open2(decoder, codec, nullptr) >= 0) {
            while (!got && av_read_frame(format, packet) >= 0) {
                if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
                    got = avcodec_receive_frame(decoder, frame) == 0;
                av_packet_unref(packet);
            }
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return got;
}

bool OurFirstFrame(const std::string& path) {
    std::unique_ptr<tbx::Movie> movie = tbx::Movie::Open(path);
    std::vector<uint8_t> rgb(8 * 8 * 3 + tbx::kFrameRenderRoom);
    return movie &&
           movie->RenderFrame(0, tbx::FramePixels::Rgb24, rgb.data(), rgb.size(), 24, 8, 8);
}

void BM_HostileBesideFfmpeg(benchmark::State& state) {
    av_log_set_level(AV_LOG_QUIET);
    const Input input = Inputs().at(std::size_t(state.range(0)));
    state.SetLabel(input.what);
    char name[] = "/tmp/stravel-bench-XXXXXX";
    const std::filesystem::path dir = mkdtemp(name);
    const std::string path = (dir / "movie.mov").string();
    std::ofstream(path, std::ios::binary) << input.bytes;
    const std::string picture = input.codec ? Picture(input) : std::string();
    const std::string description = input.codec ? Description(input) : std::string();
    auto ours = [&] {
        if (!input.codec)
            return OurFirstFrame(path);
        tbx::DecodedPicture out;
        return tbx::DecodePicture(reinterpret_cast<const uint8_t*>(picture.data()), picture.size(),
                                  out);
    };
    auto peer = [&] {
        if (!input.codec)
            return FfmpegFirstFrame(path);
        tbx::pict::DecodedImage image;
        return tbx::pict::DecodeWithCodec(reinterpret_cast<const uint8_t*>(description.data()),
                                          description.size(),
                                          reinterpret_cast<const uint8_t*>(input.bytes.data()),
                                          input.bytes.size(), std::size_t(1) << 24, image);
    };
    bench::SideBySide rounds(state, "ffmpeg", "ms");
    bool drawn = false;
    for (auto _ : state) {
        rounds.Ours([&] { drawn = ours(); });
        rounds.Peer([&] { benchmark::DoNotOptimize(peer()); });
    }
    state.counters["drawn"] = drawn;
    rounds.Report();
    std::filesystem::remove_all(dir);
}

} // namespace

// Argument: the input (0 to 16); the peer takes seconds on some, hence the fixed rounds.
BENCHMARK(BM_HostileBesideFfmpeg)
    ->DenseRange(0, 16)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
