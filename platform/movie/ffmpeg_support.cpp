#include "platform/movie/ffmpeg_support.h"

#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

namespace tbx::movie {

namespace {

// Movies, sound files and still pictures; no playlists, concatenation or network formats.
constexpr const char* kContainerWhitelist =
    "mov,mp4,m4a,3gp,3g2,mj2,avi,matroska,webm,flv,mpeg,mpegts,mpegvideo,m4v,h264,hevc,"
    "asf,dv,mp3,wav,aiff,au,ogg,flac,aac,ac3,caf,w64,amr,"
    "image2,png_pipe,jpeg_pipe,bmp_pipe,gif,gif_pipe,tiff_pipe";

constexpr const char* kStillFormats[] = {"image2",   "png_pipe", "jpeg_pipe",
                                         "bmp_pipe", "gif_pipe", "tiff_pipe"};

} // namespace

FormatPtr OpenMediaFile(const std::string& path) {
    // Damaged files are answered by results; the library's own messages stay quiet.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return nullptr;
    raw->format_whitelist = av_strdup(kContainerWhitelist);
    raw->protocol_whitelist = av_strdup("file");
    AVDictionary* options = nullptr;
    // A picture name holding "%d" must not open a numbered sequence of other files.
    av_dict_set(&options, "pattern_type", "none", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const std::string url = "file:" + path;
    int result = avformat_open_input(&raw, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0)
        return nullptr; // avformat_open_input freed the context
    FormatPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return nullptr;
    return format;
}

int FindVideoStream(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->codecpar->width > 0 &&
            stream->codecpar->height > 0)
            return int(i);
    }
    return -1;
}

int FindSoundStream(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
            format->streams[i]->codecpar->sample_rate > 0)
            return int(i);
    return -1;
}

CodecPtr OpenDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return nullptr;
    decoder->thread_count = 1;
    // Pictures beyond this are refused by the decoder rather than allocated.
    decoder->max_pixels = 1 << 27;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

bool IsStillPictureFormat(const AVFormatContext* format) {
    for (const char* name : kStillFormats)
        if (std::strcmp(format->iformat->name, name) == 0)
            return true;
    return false;
}

bool ReceiveFrame(AVFormatContext* format, AVCodecContext* decoder, int index, AVPacket* packet,
                  AVFrame* frame, bool& draining) {
    for (;;) {
        int result = avcodec_receive_frame(decoder, frame);
        if (result == 0)
            return true;
        if (result != AVERROR(EAGAIN) || draining)
            return false;
        result = av_read_frame(format, packet);
        if (result < 0) {
            draining = true;
            avcodec_send_packet(decoder, nullptr);
            continue;
        }
        if (packet->stream_index == index)
            avcodec_send_packet(decoder, packet); // refused packets are skipped
        av_packet_unref(packet);
    }
}

} // namespace tbx::movie
