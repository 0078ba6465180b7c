// Frame grabbing and sound reading through the movie importer, each timed beside its peer doing
// the same work on the same file in the same process and thread: libavcodec with libswscale
// (decoding every frame once and converting the wanted ones), libavcodec with libswresample
// (decoding and resampling the whole sound; seeking and decoding half a second of it) and
// libavformat opening a sound file for its stated duration. Counters: milliseconds per pass of
// ours and of the peer in thread CPU time (which holds on a busy machine) and wall-clock time,
// and the speed ratio peer / ours (1 is as fast as the peer, above 1 faster).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "bench/run_quietly.h"
#include "bench/side_by_side.h"
#include "media/image/image.h"
#include "media/importers/quicktime_importer.h"
#include "platform/frames/frame_scaler.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        char name[] = "/tmp/stravel_bench_movie_XXXXXX";
        return std::filesystem::path(mkdtemp(name));
    }();
    return folder;
}

std::string Made(const std::string& name, const std::vector<std::string>& args) {
    const std::string path = (Folder() / name).string();
    if (!std::filesystem::exists(path)) {
        std::vector<std::string> argv = {"ffmpeg", "-y"};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.push_back(path);
        bench::RunQuietly(argv);
    }
    return path;
}

// 20 s of 640 × 480 H.264 at 25 fps with B-frames and a key frame every 250 frames (kind 0), or
// of Motion-JPEG in a QuickTime movie, each of whose frames goes through the codec gate: 4:2:0
// at 640 × 480 (1) or at an odd width, 639 × 480, whose rows end inside a group of the
// converter's pixels (2); or 640 × 480 PNG pictures in a QuickTime movie, of 256 colours (3),
// as animations of palette pictures are decoded, or of 24-bit RGB (4).
std::string Clip(int kind = 0) {
    if (kind == 1)
        return Made("clip.mov", {"-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=20", "-c:v",
                                 "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p"});
    if (kind == 2)
        return Made("odd.mov", {"-f", "lavfi", "-i", "testsrc2=s=639x480:r=25:d=20,format=rgb24",
                                "-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p"});
    if (kind == 3 || kind == 4)
        return Made(kind == 3 ? "palette.mov" : "rgb.mov",
                    {"-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=20", "-c:v", "png", "-pix_fmt",
                     kind == 3 ? "pal8" : "rgb24"});
    return Made("clip.mp4", {"-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=20", "-c:v", "libx264",
                             "-g", "250", "-bf", "3", "-pix_fmt", "yuv420p"});
}

// Five minutes of stereo at 44.1 kHz, as MP3 or as 16-bit WAV.
std::string Sound(bool mp3) {
    const std::string source = "aevalsrc='sin(440*2*PI*t)|sin(550*2*PI*t)':s=44100:d=300";
    return mp3 ? Made("sound.mp3",
                      {"-f", "lavfi", "-i", source, "-c:a", "libmp3lame", "-b:a", "128k"})
               : Made("sound.wav", {"-f", "lavfi", "-i", source, "-c:a", "pcm_s16le"});
}

struct FormatClose {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct CodecClose {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};

// An opened file and a single-threaded decoder of its best stream of `type`.
struct PeerInput {
    std::unique_ptr<AVFormatContext, FormatClose> format;
    std::unique_ptr<AVCodecContext, CodecClose> decoder;
    int index = -1;

    bool Open(const std::string& path, AVMediaType type) {
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
            return false;
        format.reset(raw);
        if (avformat_find_stream_info(raw, nullptr) < 0)
            return false;
        const AVCodec* codec = nullptr;
        index = av_find_best_stream(raw, type, -1, -1, &codec, 0);
        if (index < 0)
            return false;
        decoder.reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoder.get(), raw->streams[index]->codecpar);
        decoder->thread_count = 1;
        decoder->pkt_timebase = raw->streams[index]->time_base;
        return avcodec_open2(decoder.get(), codec, nullptr) >= 0;
    }

    // Calls take(frame) for every decoded frame.
    template <typename Take>
    void Decode(Take take) {
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto drain = [&] {
            while (avcodec_receive_frame(decoder.get(), frame) == 0)
                take(frame);
        };
        while (av_read_frame(format.get(), packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet) >= 0)
                drain();
            av_packet_unref(packet);
        }
        avcodec_send_packet(decoder.get(), nullptr);
        drain();
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
};

// The peer: every frame decoded once, the one shown at each k / 15 s converted to RGB (24 bits)
// or ARGB (32).
void PeerFrames(const std::string& path, int width, int height, int count, int bits) {
    PeerInput input;
    if (!input.Open(path, AVMEDIA_TYPE_VIDEO))
        return;
    const AVRational base = input.format->streams[input.index]->time_base;
    SwsContext* scaler = nullptr;
    const int bytes = bits / 8;
    std::vector<uint8_t> rgb(std::size_t(width) * height * std::size_t(bytes));
    AVFrame* shown = av_frame_alloc();
    int k = 0;
    auto convert = [&](const AVFrame* frame) {
        scaler =
            sws_getCachedContext(scaler, frame->width, frame->height, AVPixelFormat(frame->format),
                                 width, height, bits == 32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24,
                                 SWS_BICUBIC, nullptr, nullptr, nullptr);
        uint8_t* planes[4] = {rgb.data()};
        int strides[4] = {width * bytes};
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
        benchmark::DoNotOptimize(rgb.data());
    };
    input.Decode([&](AVFrame* frame) {
        // Times up to this frame show the one before it.
        const int64_t pts = frame->best_effort_timestamp;
        while (k < count && shown->buf[0] && av_compare_ts(k, AVRational{1, 15}, pts, base) < 0) {
            convert(shown);
            ++k;
        }
        av_frame_unref(shown);
        av_frame_move_ref(shown, frame);
    });
    for (; k < count && shown->buf[0]; ++k)
        convert(shown);
    av_frame_free(&shown);
    sws_freeContext(scaler);
}

// Every frame at 15 fps, at the clip's size or scaled, into a 24-bit or 32-bit image. For
// Motion-JPEG the peer decodes the packets as they are: the difference is the codec gate's.
void BM_FrameGrab15Fps(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const std::string clip = Clip(int(state.range(2)));
    const int bits = int(state.range(3));
    CBK_Path path(std::filesystem::path(clip).wstring());
    constexpr int kFrames = 20 * 15;
    bench::SideBySide rounds(state, "libav", "ms");
    CBK_Image image;
    for (auto _ : state) {
        bool ok = true;
        rounds.Ours([&] {
            CBK_MediaImporterQuickTime importer;
            ok = importer.Init(path);
            importer.SetSize(width, height);
            for (int k = 0; ok && k < kFrames; ++k)
                ok = importer.GetRgbFrame(uint32_t(k * 600 / 15), image, nullptr, bits);
            benchmark::DoNotOptimize(image.GetData());
        });
        if (!ok) {
            state.SkipWithError("the clip does not play");
            return;
        }
        rounds.Peer([&] { PeerFrames(clip, width, height, kFrames, bits); });
    }
    rounds.Report();
}

struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// The first frame of a clip, as its decoder gives it; null when it has none.
FramePtr FirstFrame(const std::string& path) {
    PeerInput input;
    FramePtr first(av_frame_alloc());
    if (!first || !input.Open(path, AVMEDIA_TYPE_VIDEO))
        return nullptr;
    AVPacket* packet = av_packet_alloc();
    bool got = false;
    while (!got && av_read_frame(input.format.get(), packet) >= 0) {
        if (packet->stream_index == input.index &&
            avcodec_send_packet(input.decoder.get(), packet) >= 0)
            got = avcodec_receive_frame(input.decoder.get(), first.get()) == 0;
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return got ? std::move(first) : nullptr;
}

// The frame scaler alone: the first frame of a clip (kinds as Clip's) drawn again and again at
// w × h in 24 or 32 bits, beside swscale converting the same frame to the same size and form in
// one bicubic step, its context made once as the scaler keeps its plan.
void BM_FrameScaler(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const int bits = int(state.range(3));
    const FramePtr frame = FirstFrame(Clip(int(state.range(2))));
    if (!frame) {
        state.SkipWithError("the clip does not decode");
        return;
    }
    const std::size_t size = std::size_t(width) * height * std::size_t(bits / 8);
    std::vector<uint8_t> ours(size + tbx::kFrameRenderRoom), theirs(size);
    tbx::frames::FrameScaler scaler;
    const tbx::FramePixels pixels = bits == 32 ? tbx::FramePixels::Argb32 : tbx::FramePixels::Rgb24;
    SwsContext* peer = sws_getContext(
        frame->width, frame->height, AVPixelFormat(frame->format), width, height,
        bits == 32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    uint8_t* planes[4] = {theirs.data()};
    const int strides[4] = {width * bits / 8};
    bench::SideBySide rounds(state, "swscale", "ms");
    for (auto _ : state) {
        bool ok = false;
        rounds.Ours([&] {
            ok = scaler.Scale(frame.get(), {}, pixels, ours.data(), ours.size(), width * bits / 8,
                              width, height);
        });
        if (!ok || !peer) {
            state.SkipWithError("the frame is not drawn");
            break;
        }
        rounds.Peer([&] {
            sws_scale(peer, frame->data, frame->linesize, 0, frame->height, planes, strides);
        });
        benchmark::DoNotOptimize(theirs.data());
    }
    rounds.Report();
    sws_freeContext(peer);
}

// The peer: the whole sound decoded and resampled to 22,050 Hz mono 16-bit.
void PeerSound(const std::string& path) {
    PeerInput input;
    if (!input.Open(path, AVMEDIA_TYPE_AUDIO))
        return;
    SwrContext* resampler = nullptr;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    swr_alloc_set_opts2(&resampler, &mono, AV_SAMPLE_FMT_S16, 22050, &input.decoder->ch_layout,
                        input.decoder->sample_fmt, input.decoder->sample_rate, 0, nullptr);
    swr_init(resampler);
    std::vector<uint8_t> out;
    auto convert = [&](const uint8_t** in, int count) {
        const int room = swr_get_out_samples(resampler, count);
        out.resize(std::size_t(std::max(room, 1)) * 2);
        uint8_t* planes[1] = {out.data()};
        benchmark::DoNotOptimize(swr_convert(resampler, planes, room, in, count));
    };
    input.Decode([&](AVFrame* frame) {
        convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    });
    convert(nullptr, 0);
    swr_free(&resampler);
}

// 1,000 sequential ranges of a five-minute sound as 22,050 Hz mono 16-bit.
void BM_SoundRanges1000(benchmark::State& state) {
    const std::string sound = Sound(state.range(0) != 0);
    CBK_Path path(std::filesystem::path(sound).wstring());
    bench::SideBySide rounds(state, "libav", "ms");
    for (auto _ : state) {
        bool ok = true;
        rounds.Ours([&] {
            CBK_MediaImporterQuickTime importer;
            CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
            form.m_dRate = 22050;
            form.m_nChannels = 1;
            form.m_nBits = 16;
            ok = importer.Init(path) && importer.SetSoundExportDescription(form, nullptr);
            const uint32_t total = ok ? uint32_t(importer.GetTotalSamples()) : 0;
            uint32_t at = 0;
            for (int i = 0; ok && i < 1000; ++i) {
                const uint32_t end = uint32_t(uint64_t(total) * (i + 1) / 1000);
                uint32_t bytes = 0, next = 0;
                std::unique_ptr<uint8_t[]> pcm(
                    importer.GetSoundSamples(at, int32_t(end - at), bytes, &next));
                ok = pcm != nullptr || end == at;
                benchmark::DoNotOptimize(pcm.get());
                at = end;
            }
        });
        if (!ok) {
            state.SkipWithError("the sound does not play");
            return;
        }
        rounds.Peer([&] { PeerSound(sound); });
    }
    rounds.Report();
}

// Movies of an hour, a tiny picture at 2 frames a second beside a tone, copied together from
// one minute of it: 15 MPEG-4 and MP3 in AVI, 16 MPEG-4 and AAC in Matroska, 17 MPEG-2 and
// MP2 in a transport stream, 18 FLV's H.263 and MP3, 19 WMV 2 and WMA 2 in ASF, 20 VP8 and
// Vorbis in WebM.
std::string HourMovie(int kind) {
    const struct {
        const char* name;
        std::vector<std::string> codecs;
    } movies[] = {{"avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-b:a", "64k"}},
                  {"mkv", {"-c:v", "mpeg4", "-c:a", "aac", "-b:a", "64k"}},
                  {"ts", {"-c:v", "mpeg2video", "-c:a", "mp2"}},
                  {"flv", {"-c:v", "flv1", "-c:a", "libmp3lame"}},
                  {"asf", {"-c:v", "wmv2", "-c:a", "wmav2"}},
                  {"webm", {"-c:v", "libvpx", "-c:a", "libvorbis"}}};
    const auto& m = movies[std::size_t(kind - 15) % std::size(movies)];
    std::vector<std::string> minute = {"-f",  "lavfi", "-i", "testsrc=s=32x24:r=2:d=60",
                                       "-f",  "lavfi", "-i", "sine=f=440:r=44100:d=60",
                                       "-ac", "2"};
    minute.insert(minute.end(), m.codecs.begin(), m.codecs.end());
    // Matroska holds every pair of codecs, and its copies keep their times in any container.
    const std::string part = Made(std::string("minute-movie-") + m.name + ".mkv", minute);
    return Made(std::string("hour-movie.") + m.name,
                {"-stream_loop", "59", "-i", part, "-c", "copy"});
}

// An hour of stereo sound at 44.1 kHz (48 kHz for Opus and AC-3): 0 MP3, 1 Opus, 2 FLAC;
// then, copied together from one minute of a tone: 3 WAV, 4 ALAC in CAF, 5 AAC in MP4, 6 AAC,
// 7 Vorbis and 8 Opus in Matroska, 9 Opus in WebM, 10 WMA 2 in ASF, 11 MP2, 12 MP2 in an MPEG
// program stream, 13 AC-3, 14 VBR MP3; 15 to 20 the movies above. 21: three hours of Opus in
// 2.5 ms frames in Matroska, over 4 million packets. 22: E-AC-3, beside 13's AC-3. 23: Vorbis in
// Ogg, beside 7's in Matroska.
std::string Hour(int kind) {
    if (kind == 21) {
        const std::string minute =
            Made("minute-short.mka", {"-f", "lavfi", "-i", "sine=f=440:r=48000:d=60", "-c:a",
                                      "libopus", "-b:a", "32k", "-frame_duration", "2.5"});
        return Made("hours.mka", {"-stream_loop", "179", "-i", minute, "-c", "copy"});
    }
    if (kind == 22) {
        const std::string minute =
            Made("minute.eac3", {"-f", "lavfi", "-i", "sine=f=440:r=48000:d=60", "-ac", "2", "-c:a",
                                 "eac3", "-b:a", "128k"});
        return Made("hour.eac3", {"-stream_loop", "59", "-i", minute, "-c", "copy"});
    }
    if (kind == 23) {
        const std::string minute =
            Made("minute.ogg",
                 {"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60", "-ac", "2", "-c:a", "libvorbis"});
        return Made("hour.ogg", {"-stream_loop", "59", "-i", minute, "-c", "copy"});
    }
    if (kind >= 15)
        return HourMovie(kind);
    const std::string source =
        "aevalsrc='0.5*sin(440*2*PI*t)|0.4*sin(550*2*PI*t+t*t/100)':s=44100:d=3600";
    switch (kind) {
    case 0:
        return Made("hour.mp3",
                    {"-f", "lavfi", "-i", source, "-c:a", "libmp3lame", "-b:a", "128k"});
    case 1:
        return Made("hour.opus", {"-f", "lavfi", "-i", source, "-ar", "48000", "-c:a", "libopus",
                                  "-b:a", "96k"});
    case 2:
        return Made("hour.flac", {"-f", "lavfi", "-i", source, "-c:a", "flac"});
    default:
        break;
    }
    const struct {
        const char* name;
        std::vector<std::string> codec;
    } looped[] = {{"wav", {"-c:a", "pcm_s16le"}},
                  {"caf", {"-c:a", "alac"}},
                  {"m4a", {"-c:a", "aac", "-b:a", "64k"}},
                  {"mka", {"-c:a", "aac"}},
                  {"mka", {"-c:a", "libvorbis"}},
                  {"mka", {"-ar", "48000", "-c:a", "libopus"}},
                  {"webm", {"-ar", "48000", "-c:a", "libopus"}},
                  {"asf", {"-c:a", "wmav2"}},
                  {"mp2", {"-c:a", "mp2"}},
                  {"mpg", {"-c:a", "mp2", "-f", "mpeg"}},
                  {"ac3", {"-ar", "48000", "-c:a", "ac3"}},
                  {"mp3", {"-c:a", "libmp3lame", "-q:a", "6"}}};
    const auto& f = looped[std::size_t(kind - 3) % std::size(looped)];
    const std::string tag = std::to_string(kind) + "." + f.name;
    std::vector<std::string> minute = {"-f", "lavfi", "-i", "sine=f=440:r=44100:d=60", "-ac", "2"};
    minute.insert(minute.end(), f.codec.begin(), f.codec.end());
    return Made("hour" + tag,
                {"-stream_loop", "59", "-i", Made("minute" + tag, minute), "-c", "copy"});
}

// The peer: FFmpeg's own seek to `seconds` and decoding until `length` seconds after it are
// decoded, converted to 16-bit at `rate` (0: the sound's own) and the sound's channels.
void PeerJump(PeerInput& input, double seconds, double length, int rate = 0) {
    const AVStream* stream = input.format->streams[input.index];
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const int64_t at =
        start + av_rescale_q(int64_t(seconds * AV_TIME_BASE), AV_TIME_BASE_Q, stream->time_base);
    const int64_t end =
        at + av_rescale_q(int64_t(length * AV_TIME_BASE), AV_TIME_BASE_Q, stream->time_base);
    av_seek_frame(input.format.get(), input.index, at, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(input.decoder.get());
    SwrContext* resampler = nullptr;
    swr_alloc_set_opts2(&resampler, &input.decoder->ch_layout, AV_SAMPLE_FMT_S16,
                        rate ? rate : input.decoder->sample_rate, &input.decoder->ch_layout,
                        input.decoder->sample_fmt, input.decoder->sample_rate, 0, nullptr);
    swr_init(resampler);
    std::vector<uint8_t> out;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool done = false;
    while (!done && av_read_frame(input.format.get(), packet) >= 0) {
        if (packet->stream_index == input.index &&
            avcodec_send_packet(input.decoder.get(), packet) >= 0)
            while (avcodec_receive_frame(input.decoder.get(), frame) == 0) {
                out.resize(std::size_t(frame->nb_samples) * 2 * frame->ch_layout.nb_channels);
                uint8_t* planes[1] = {out.data()};
                benchmark::DoNotOptimize(swr_convert(
                    resampler, planes, frame->nb_samples,
                    const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples));
                done = done || frame->best_effort_timestamp >= end;
            }
        av_packet_unref(packet);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&resampler);
}

// The resident memory of this process in megabytes.
double ResidentMegabytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Half a second read in the middle or at the end of an hour of sound (three for kind 21): in a
// movie opened for the read (the first jump, fresh 1), or in one open, jumping from a third of
// the way in at the sound's own rate (fresh 0) or after a change to 22,050 Hz (fresh 2). The
// peer seeks and decodes the same range through FFmpeg on the same file, converting it to the
// same rate. Counter rss_mb: what the process's resident memory grew by over the first
// round, where a fresh importer built its index.
void BM_SoundJump(benchmark::State& state) {
    const int kind = int(state.range(0));
    const std::string sound = Hour(kind);
    const double hours = kind == 21 ? 3 : 1;
    const double seconds = state.range(1) ? hours * 3600 - 1 : hours * 1800;
    const bool fresh = state.range(2) == 1, rated = state.range(2) == 2;
    CBK_Path path(std::filesystem::path(sound).wstring());
    bench::SideBySide rounds(state, "libav", "ms");
    CBK_MediaImporterQuickTime open;
    CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION form;
    bool ok = open.Init(path) && open.SetSoundExportDescription(form, nullptr);
    PeerInput peer;
    ok = ok && peer.Open(sound, AVMEDIA_TYPE_AUDIO);
    auto read = [&](CBK_MediaImporterQuickTime& importer, double at) {
        uint32_t bytes = 0, next = 0;
        std::unique_ptr<uint8_t[]> pcm(
            importer.GetSoundSamples(uint32_t(at * 600), 300, bytes, &next));
        return pcm != nullptr && bytes > 0;
    };
    CBK_MediaImporter::SOUND_EXPORT_DESCRIPTION slower = form;
    slower.m_dRate = 22050;
    const double resident = ResidentMegabytes();
    bool first = true;
    for (auto _ : state) {
        if (!fresh) {
            ok = ok && open.SetSoundExportDescription(form, nullptr) && read(open, hours * 1200);
            PeerJump(peer, hours * 1200, 0.5);
        }
        rounds.Ours([&] {
            if (rated)
                ok = ok && open.SetSoundExportDescription(slower, nullptr);
            if (!fresh) {
                ok = ok && read(open, seconds);
                return;
            }
            CBK_MediaImporterQuickTime importer;
            ok = ok && importer.Init(path) && importer.SetSoundExportDescription(form, nullptr) &&
                 read(importer, seconds);
            if (first)
                state.counters["rss_mb"] = ResidentMegabytes() - resident;
            first = false;
        });
        if (!ok) {
            state.SkipWithError("the sound does not play");
            return;
        }
        rounds.Peer([&] {
            if (!fresh) {
                PeerJump(peer, seconds, 0.5, rated ? 22050 : 0);
                return;
            }
            PeerInput input;
            if (input.Open(sound, AVMEDIA_TYPE_AUDIO))
                PeerJump(input, seconds, 0.5);
        });
    }
    rounds.Report();
}

// Silent many-channel sound, the most samples to a byte: 0 ten minutes of 16-channel Opus in
// 120 ms frames, 1 ninety minutes of 7.1 FLAC at 192 kHz, 2 an hour of 16-channel Vorbis.
std::string Silent(int kind) {
    switch (kind) {
    case 0:
        return Made("silent16.opus", {"-f", "lavfi", "-i", "anullsrc=r=48000:cl=mono", "-t", "600",
                                      "-ac", "16", "-c:a", "libopus", "-mapping_family", "255",
                                      "-b:a", "16k", "-frame_duration", "120"});
    case 1:
        return Made("silent8.flac",
                    {"-f", "lavfi", "-i", "anullsrc=r=192000:cl=7.1", "-t", "5400", "-c:a", "flac",
                     "-frame_size", "65535", "-compression_level", "0"});
    default:
        return Made("silent16.ogg", {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=mono", "-t", "3600",
                                     "-ac", "16", "-c:a", "libvorbis", "-q:a", "-1"});
    }
}

// An hour of Vorbis as three Ogg files of twenty minutes joined end to end, as `cat` joins
// them: a file whose opening reads it once to find its links.
std::string JoinedHour() {
    const std::string joined = (Folder() / "joined-hour.ogg").string();
    if (std::filesystem::exists(joined))
        return joined;
    std::ofstream out(joined, std::ios::binary);
    for (int link = 0; link < 3; ++link) {
        const std::string minute = Made(
            "minute-" + std::to_string(link) + ".ogg",
            {"-f", "lavfi", "-i", "sine=f=" + std::to_string(440 + 110 * link) + ":r=44100:d=60",
             "-ac", "2", "-c:a", "libvorbis"});
        std::ifstream in(Made("twenty-" + std::to_string(link) + ".ogg",
                              {"-stream_loop", "19", "-i", minute, "-c", "copy"}),
                         std::ios::binary);
        out << in.rdbuf();
    }
    return joined;
}

// A sound file's duration, asked of a new importer (kinds 0 to 2: Silent's; 3: JoinedHour); the
// peer opens the file as ffprobe does and takes the length that the container states.
void BM_SoundDuration(benchmark::State& state) {
    const int kind = int(state.range(0));
    const std::string sound = kind < 3 ? Silent(kind) : JoinedHour();
    CBK_Path path(std::filesystem::path(sound).wstring());
    bench::SideBySide rounds(state, "libav", "ms");
    for (auto _ : state) {
        int32_t duration = 0;
        rounds.Ours([&] {
            CBK_MediaImporterQuickTime importer;
            duration = importer.Init(path) ? importer.GetTotalSamples() : 0;
        });
        if (duration <= 0) {
            state.SkipWithError("the sound does not open");
            return;
        }
        rounds.Peer([&] {
            PeerInput input;
            if (input.Open(sound, AVMEDIA_TYPE_AUDIO))
                benchmark::DoNotOptimize(input.format->streams[input.index]->duration);
        });
    }
    rounds.Report();
}

} // namespace

BENCHMARK(BM_FrameGrab15Fps)
    ->Args({640, 480, 0, 24})
    ->Args({320, 240, 0, 24})
    ->Args({640, 480, 1, 24})
    ->Args({640, 480, 1, 32})
    ->Args({639, 480, 2, 24})
    ->Args({639, 480, 2, 32})
    ->Args({320, 240, 0, 32})
    ->Args({1280, 960, 0, 24})
    ->Args({320, 240, 1, 24})
    ->Args({320, 240, 3, 24})
    ->ArgNames({"w", "h", "clip", "bits"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
// Arguments: size, clip (0: 4:2:0 from H.264, 3: a palette, 4: RGB), bits; the first at the
// frame's own size.
BENCHMARK(BM_FrameScaler)
    ->Args({640, 480, 0, 24})
    ->Args({320, 240, 0, 24})
    ->Args({320, 240, 0, 32})
    ->Args({8, 8, 0, 24})
    ->Args({1280, 960, 0, 24})
    ->Args({1280, 960, 0, 32})
    ->Args({320, 240, 3, 24})
    ->Args({8, 8, 3, 24})
    ->Args({1280, 960, 3, 32})
    ->Args({320, 240, 4, 24})
    ->Args({8, 8, 4, 24})
    ->ArgNames({"w", "h", "clip", "bits"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);
BENCHMARK(BM_SoundRanges1000)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("mp3")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_SoundJump)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 23, 1), {0, 1}, {1, 0, 2}})
    ->ArgNames({"kind", "end", "fresh"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(9);
BENCHMARK(BM_SoundDuration)
    ->DenseRange(0, 3)
    ->ArgName("kind")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
