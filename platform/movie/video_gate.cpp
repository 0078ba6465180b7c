#include "platform/movie/video_gate.h"

#include <algorithm>
#include <cstring>

#include "platform/codec_gate/codec_gate.h"

namespace tbx::movie {

namespace {

// The most a frame's decoding may take, in pixels' worth: a picture of the decoder's largest
// size in several progressive scans.
constexpr uint64_t kFrameWork = uint64_t(1) << 30;
// What looking for a stream's first picture may read.
constexpr int64_t kFirstPictureBudget = int64_t(64) << 20;
// The gating work that looking for a first picture may take before the packet that gives it,
// beside a few times the picture's own: a packet's decoding, the gate's look at it, or its
// refusal (in pixels' worth).
constexpr int64_t kFirstPictureWork = int64_t(1) << 24;
// What handing one packet over costs beside its work: reading it and the decoder's call.
constexpr int64_t kPacketWork = 4096;

bool IsWatchedVideo(const AVCodecParameters* parameters) {
    return parameters->codec_type == AVMEDIA_TYPE_VIDEO && gate::Watched(parameters->codec_id);
}

} // namespace

const char* ProbingDecoders() {
    static const std::string names = [] {
        std::string list;
        void* at = nullptr;
        while (const AVCodec* codec = av_codec_iterate(&at))
            if (av_codec_is_decoder(codec) && !gate::Watched(codec->id))
                list.append(list.empty() ? "" : ",").append(codec->name);
        return list;
    }();
    return names.c_str();
}

void DescribeWatchedStreams(AVFormatContext* format, const std::string& path) {
    const KnownFile known = DescribeFile(format);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVCodecParameters* parameters = format->streams[i]->codecpar;
        if (!IsWatchedVideo(parameters) ||
            (format->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        FormatPtr reading = OpenMediaFile(path, &known, false);
        CodecPtr decoder = reading ? OpenDecoder(format->streams[i]) : nullptr;
        PacketPtr packet(av_packet_alloc());
        FramePtr frame(av_frame_alloc());
        if (!decoder || !packet || !frame)
            continue;
        static_cast<ReadBudget*>(reading->opaque)->limit = kFirstPictureBudget;
        BoundFirstPicture(reading.get(), parameters->width, parameters->height);
        bool draining = false;
        if (!ReceiveFrame(reading.get(), decoder.get(), int(i), packet.get(), frame.get(),
                          draining))
            continue;
        if (parameters->width <= 0 || parameters->height <= 0) {
            parameters->width = frame->width;
            parameters->height = frame->height;
        }
        parameters->format = frame->format;
        if (frame->sample_aspect_ratio.num > 0 && frame->sample_aspect_ratio.den > 0)
            parameters->sample_aspect_ratio = frame->sample_aspect_ratio;
    }
}

Taken GatePacket(const AVCodecContext* decoder, AVPacket* packet, ReadBudget* budget) {
    if (decoder->codec_type != AVMEDIA_TYPE_VIDEO || !gate::Watched(decoder->codec_id))
        return Taken::kTake;
    if (budget->gateLimit >= 0 && budget->gated > budget->gateLimit)
        return Taken::kStop;
    const gate::Packet bytes{packet->data, std::size_t(packet->size), decoder->width,
                             decoder->height, uint64_t(decoder->max_pixels)};
    gate::Gated gated = gate::Gate(decoder->codec_id, bytes, budget->refused);
    budget->gated += int64_t(std::min<uint64_t>(gated.work, kFrameWork)) + kPacketWork;
    if (gated.verdict == gate::Gated::Verdict::kRefuse || gated.work > kFrameWork)
        return Taken::kPass;
    if (gated.verdict == gate::Gated::Verdict::kCopy) {
        AVBufferRef* copy = av_buffer_alloc(gated.copy.size() + AV_INPUT_BUFFER_PADDING_SIZE);
        if (!copy)
            return Taken::kPass;
        std::memcpy(copy->data, gated.copy.data(), gated.copy.size());
        std::memset(copy->data + gated.copy.size(), 0, AV_INPUT_BUFFER_PADDING_SIZE);
        av_buffer_unref(&packet->buf);
        packet->buf = copy;
        packet->data = copy->data;
    }
    return Taken::kTake;
}

void BoundFirstPicture(AVFormatContext* format, int width, int height) {
    ReadBudget* budget = static_cast<ReadBudget*>(format->opaque);
    const int64_t pixels =
        std::min<int64_t>(int64_t(std::max(width, 0)) * std::max(height, 0), int64_t(1) << 32);
    budget->gated = 0;
    budget->gateLimit = kFirstPictureWork + 4 * pixels;
}

void Unbound(AVFormatContext* format) {
    static_cast<ReadBudget*>(format->opaque)->gateLimit = -1;
}

} // namespace tbx::movie
