// Owners of FFmpeg's objects and the guarded way of opening a media file. Internal to the
// movie stand-in; its callers never see FFmpeg.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tbx::movie {

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResamplerFree {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;

// Opens a local file with the file protocol only and a whitelist of movie, sound and picture
// containers, so that a playlist or concat file can reach neither other files nor the
// network. Null when the file cannot be opened or its streams cannot be read.
FormatPtr OpenMediaFile(const std::string& path);

// The first video stream that is not attached cover art, or -1.
int FindVideoStream(const AVFormatContext* format);
// The first audio stream, or -1.
int FindSoundStream(const AVFormatContext* format);

// An opened single-threaded decoder for the stream, or null.
CodecPtr OpenDecoder(const AVStream* stream);

// True for containers that hold one still picture.
bool IsStillPictureFormat(const AVFormatContext* format);

// Reads the next packet of stream `index` and feeds it to the decoder; at the end of the file
// the decoder is drained. False once the decoder has nothing more to give. A packet the
// decoder refuses is skipped.
bool ReceiveFrame(AVFormatContext* format, AVCodecContext* decoder, int index, AVPacket* packet,
                  AVFrame* frame, bool& draining);

} // namespace tbx::movie
