#include "platform/movie/ffmpeg_support.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/log.h>
}

#include "platform/movie/video_gate.h"

namespace tbx::movie {

namespace {

// Movies, sound files and still pictures; no playlists, concatenation or network formats.
constexpr const char* kContainerWhitelist =
    "mov,mp4,m4a,3gp,3g2,mj2,avi,matroska,webm,flv,mpeg,mpegts,mpegvideo,m4v,h264,hevc,"
    "asf,dv,mp3,wav,aiff,au,ogg,flac,aac,ac3,eac3,caf,w64,amr,"
    "image2,png_pipe,jpeg_pipe,bmp_pipe,gif,gif_pipe,tiff_pipe,psd_pipe";

constexpr const char* kStillFormats[] = {"image2",   "png_pipe",  "jpeg_pipe", "bmp_pipe",
                                         "gif_pipe", "tiff_pipe", "psd_pipe"};

// What a look at the end of a file may read: a group of pictures of a large movie fits.
constexpr int64_t kContentEndBudget = int64_t(64) << 20;

// Decode failures in a row before the next packet is fed (or, when draining, before the
// decoder is taken as finished).
constexpr int kMaxFailures = 64;

int Interrupt(void* opaque) {
    const ReadBudget* budget = static_cast<const ReadBudget*>(opaque);
    return budget->limit >= 0 && budget->format && budget->format->pb &&
           budget->format->pb->bytes_read > budget->limit;
}

// True when the header has described every stream as the first opening found it. A header's
// rate may not be the codec's (Opus from low-rate input in Matroska states the input's), and
// the demuxer reckons the samples to discard in the rate that it holds.
bool Described(const AVFormatContext* format, const KnownFile& known) {
    if ((format->ctx_flags & AVFMTCTX_NOHEADER) || format->nb_streams != known.streams.size())
        return false;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* parameters = format->streams[i]->codecpar;
        const KnownFile::Stream& stream = known.streams[i];
        if (parameters->codec_id != stream.codec ||
            (parameters->codec_type == AVMEDIA_TYPE_VIDEO &&
             (parameters->width <= 0 || parameters->height <= 0)) ||
            (parameters->codec_type == AVMEDIA_TYPE_AUDIO &&
             (parameters->sample_rate <= 0 || parameters->sample_rate != stream.rate ||
              parameters->ch_layout.nb_channels != stream.channels)))
            return false;
    }
    return true;
}

} // namespace

KnownFile DescribeFile(const AVFormatContext* format) {
    KnownFile known;
    known.container = format->iformat;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* parameters = format->streams[i]->codecpar;
        known.streams.push_back(KnownFile::Stream{parameters->codec_id, parameters->sample_rate,
                                                  parameters->ch_layout.nb_channels,
                                                  parameters->frame_size});
    }
    return known;
}

FormatPtr OpenMediaFile(const std::string& path, const KnownFile* known, bool readStreams,
                        int64_t start) {
    // Damaged files are answered by results; the library's own messages stay quiet.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    std::unique_ptr<ReadBudget> budget(new (std::nothrow) ReadBudget);
    AVFormatContext* raw = budget ? avformat_alloc_context() : nullptr;
    if (!raw)
        return nullptr;
    raw->format_whitelist = av_strdup(kContainerWhitelist);
    raw->protocol_whitelist = av_strdup("file");
    // Pictures that the codec gate watches are decoded through it alone.
    raw->codec_whitelist = av_strdup(ProbingDecoders());
    // The file's reader takes the callback when it is opened; the context owns the budget.
    budget->format = raw;
    raw->interrupt_callback = AVIOInterruptCB{Interrupt, budget.get()};
    raw->opaque = budget.get();
    AVDictionary* options = nullptr;
    // A picture name holding "%d" must not open a numbered sequence of other files.
    av_dict_set(&options, "pattern_type", "none", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // An MP3 seeks through the frames it has read, whose times are exact, never by the
    // encoder's table or the file's size.
    av_dict_set(&options, "usetoc", "0", 0);
    const std::string url = "file:" + path;
    AVIOContext* given = nullptr;
    if (start > 0) {
        AVDictionary* reading = nullptr;
        av_dict_set(&reading, "protocol_whitelist", "file", 0);
        const int opened =
            avio_open2(&given, url.c_str(), AVIO_FLAG_READ, &raw->interrupt_callback, &reading);
        av_dict_free(&reading);
        if (opened < 0 || avio_seek(given, start, SEEK_SET) != start) {
            avio_closep(&given);
            av_dict_free(&options);
            avformat_free_context(raw);
            return nullptr;
        }
        raw->pb = given;
        raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    int result =
        avformat_open_input(&raw, url.c_str(), known ? known->container : nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        avio_closep(&given);
        return nullptr; // avformat_open_input freed the context
    }
    budget.release();
    FormatPtr format(raw);
    // Reading ahead to describe the streams costs as much as a large part of a short sound.
    if (known && (!readStreams || Described(format.get(), *known))) {
        for (unsigned i = 0; i < format->nb_streams; ++i)
            if (format->streams[i]->codecpar->frame_size == 0)
                format->streams[i]->codecpar->frame_size = known->streams[i].frameSize;
        return format;
    }
    // The decoders that describing the streams runs draw no larger pictures than ours do.
    std::vector<AVDictionary*> decoding(format->nb_streams, nullptr);
    for (AVDictionary*& options : decoding)
        av_dict_set_int(&options, "max_pixels", kMostDecodedPixels, 0);
    const int described = avformat_find_stream_info(format.get(), decoding.data());
    for (AVDictionary*& options : decoding)
        av_dict_free(&options);
    if (described < 0)
        return nullptr;
    DescribeWatchedStreams(format.get(), path);
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
    return OpenDecoder(stream->codecpar, stream->time_base);
}

CodecPtr OpenDecoder(const AVCodecParameters* parameters, AVRational timeBase) {
    const AVCodecID id = parameters->codec_id;
    // MPEG audio layers I and II decode in floating point, as layer III does: the integer
    // decoders carry their rounding from frame to frame, so that no seek ever lands on a whole
    // decoding's samples.
    const AVCodec* codec = id == AV_CODEC_ID_MP2   ? avcodec_find_decoder_by_name("mp2float")
                           : id == AV_CODEC_ID_MP1 ? avcodec_find_decoder_by_name("mp1float")
                                                   : nullptr;
    if (!codec)
        codec = avcodec_find_decoder(id);
    if (!codec)
        return nullptr;
    CodecPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), parameters) < 0)
        return nullptr;
    decoder->thread_count = 1;
    // Pictures beyond this are refused by the decoder rather than allocated.
    decoder->max_pixels = kMostDecodedPixels;
    decoder->pkt_timebase = timeBase;
    AVDictionary* options = nullptr;
    // AC-3's dither is drawn from each frame's own bits, not from all the frames before it, so
    // that sound reached by a seek is the sound that a whole decoding has there.
    if (codec->id == AV_CODEC_ID_AC3 || codec->id == AV_CODEC_ID_EAC3)
        av_dict_set(&options, "cons_noisegen", "1", 0);
    const int opened = avcodec_open2(decoder.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0)
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
                  AVFrame* frame, bool& draining, int64_t* reorder, int64_t* end,
                  const PacketFilter& take) {
    int failures = 0;
    for (;;) {
        int result = avcodec_receive_frame(decoder, frame);
        if (result == 0)
            return true;
        if (result == AVERROR_EOF)
            return false;
        // A frame that failed to decode: the ones after it may be sound.
        if (result != AVERROR(EAGAIN) && ++failures <= kMaxFailures)
            continue;
        if (draining)
            return false;
        failures = 0;
        result = av_read_frame(format, packet);
        const Taken taken = result < 0 || packet->stream_index != index ? Taken::kPass
                            : take                                      ? take(packet)
                                                                        : Taken::kTake;
        // The gate may end the reading too, where looking for a frame has taken its work.
        const Taken gated =
            taken == Taken::kTake
                ? GatePacket(decoder, packet, static_cast<ReadBudget*>(format->opaque))
                : taken;
        if (result < 0 || gated == Taken::kStop) {
            av_packet_unref(packet);
            draining = true;
            avcodec_send_packet(decoder, nullptr);
            continue;
        }
        if (taken == Taken::kTake) {
            if (reorder && packet->pts != AV_NOPTS_VALUE && packet->dts != AV_NOPTS_VALUE)
                *reorder = std::max(*reorder, packet->pts - packet->dts);
            if (const int64_t stop = PacketEnd(format->streams[index], packet);
                end && stop != AV_NOPTS_VALUE)
                *end = *end == AV_NOPTS_VALUE ? stop : std::max(*end, stop);
            if (gated == Taken::kTake)
                avcodec_send_packet(decoder, packet); // refused packets are skipped
        }
        av_packet_unref(packet);
    }
}

namespace {

// A packet's duration, 0 when unknown. FFmpeg can give the last packet of a short Ogg stream a
// negative duration wrapped into 32 bits, which would put its end days after its start.
int64_t Duration(const AVPacket* packet) {
    return packet->duration > 0 && packet->duration <= INT32_MAX ? packet->duration : 0;
}

} // namespace

int64_t SamplesAt(int64_t time, int64_t from, AVRational timeBase, int rate) {
    int64_t since = 0;
    if (time == AV_NOPTS_VALUE || from == AV_NOPTS_VALUE || rate <= 0 ||
        __builtin_sub_overflow(time, from, &since))
        return AV_NOPTS_VALUE;
    // A time beyond what 64 bits hold in samples comes back as INT64_MIN.
    const int64_t at = av_rescale_q(since, timeBase, AVRational{1, rate});
    return at > -kFarSamples && at < kFarSamples ? at : AV_NOPTS_VALUE;
}

std::pair<int64_t, int64_t> Trimmed(const AVPacket* packet) {
    std::size_t size = 0;
    const uint8_t* data = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    return data && size >= 8 ? std::pair<int64_t, int64_t>(AV_RL32(data), AV_RL32(data + 4))
                             : std::pair<int64_t, int64_t>(0, 0);
}

FrameLayout LayoutOf(const AVFrame* frame) {
    const AVSampleFormat format = AVSampleFormat(frame->format);
    const int channels = frame->ch_layout.nb_channels;
    const int64_t bytes = av_get_bytes_per_sample(format);
    return av_sample_fmt_is_planar(format) ? FrameLayout{channels, bytes}
                                           : FrameLayout{1, bytes * channels};
}

AVSampleFormat RawSampleFormat(const AVCodecParameters* parameters) {
    if constexpr (std::endian::native != std::endian::little)
        return AV_SAMPLE_FMT_NONE;
    switch (parameters->codec_id) {
    case AV_CODEC_ID_PCM_U8:
        return AV_SAMPLE_FMT_U8;
    case AV_CODEC_ID_PCM_S16LE:
        return AV_SAMPLE_FMT_S16;
    case AV_CODEC_ID_PCM_S32LE:
        return AV_SAMPLE_FMT_S32;
    case AV_CODEC_ID_PCM_F32LE:
        return AV_SAMPLE_FMT_FLT;
    case AV_CODEC_ID_PCM_F64LE:
        return AV_SAMPLE_FMT_DBL;
    default:
        return AV_SAMPLE_FMT_NONE;
    }
}

bool ReceiveRawFrame(AVFormatContext* format, int index, AVPacket* packet, AVFrame* frame,
                     int64_t* end, const PacketFilter& take) {
    const AVStream* stream = format->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    const AVSampleFormat sampleFormat = RawSampleFormat(parameters);
    const int channels = parameters->ch_layout.nb_channels;
    const int sampleBytes = av_get_bytes_per_sample(sampleFormat) * channels;
    av_frame_unref(frame);
    av_packet_unref(packet);
    while (av_read_frame(format, packet) >= 0) {
        const Taken taken = packet->stream_index != index ? Taken::kPass
                            : take                        ? take(packet)
                                                          : Taken::kTake;
        if (taken == Taken::kStop) {
            av_packet_unref(packet);
            break;
        }
        if (taken == Taken::kTake && packet->size >= sampleBytes && sampleBytes > 0) {
            if (const int64_t stop = PacketEnd(stream, packet); end && stop != AV_NOPTS_VALUE)
                *end = *end == AV_NOPTS_VALUE ? stop : std::max(*end, stop);
            frame->format = sampleFormat;
            frame->sample_rate = parameters->sample_rate;
            frame->nb_samples = packet->size / sampleBytes;
            frame->data[0] = packet->data;
            frame->extended_data = frame->data;
            frame->linesize[0] = frame->nb_samples * sampleBytes;
            frame->best_effort_timestamp = PacketTime(packet);
            return av_channel_layout_copy(&frame->ch_layout, &parameters->ch_layout) >= 0;
        }
        av_packet_unref(packet);
    }
    return false;
}

int64_t PacketTime(const AVPacket* packet) {
    return packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
}

int64_t PacketEnd(const AVStream* stream, const AVPacket* packet) {
    // A time so far out that its end would not fit is damage.
    if (packet->pts == AV_NOPTS_VALUE || packet->pts > INT64_MAX / 2 ||
        packet->pts < INT64_MIN / 2 || stream->codecpar->sample_rate <= 0)
        return AV_NOPTS_VALUE;
    return packet->pts + Duration(packet) -
           av_rescale_q(Trimmed(packet).second, AVRational{1, stream->codecpar->sample_rate},
                        stream->time_base);
}

int64_t StreamStart(const AVStream* stream) {
    return stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
}

int64_t DeclaredEnd(const AVFormatContext* format, const AVStream* stream) {
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return StreamStart(stream) + stream->duration;
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
        const int64_t start = format->start_time != AV_NOPTS_VALUE ? format->start_time : 0;
        return av_rescale_q(start + format->duration, AVRational{1, AV_TIME_BASE},
                            stream->time_base);
    }
    return AV_NOPTS_VALUE;
}

namespace {

// The start of the first FLV tag at least `tail` bytes before the file's end, found by walking
// back over the size that follows each tag; -1 where the sizes do not lead back.
int64_t FlvTagBefore(AVIOContext* io, int64_t tail) {
    const int64_t size = avio_size(io);
    int64_t found = -1;
    // A tag: its type, its data's size (24 bits), its time (32), its stream (24), the data, and
    // then its own size again.
    constexpr int64_t kHeader = 11;
    for (int64_t at = size; at - 4 > kHeader && size - at < tail;) {
        if (avio_seek(io, at - 4, SEEK_SET) < 0)
            break;
        const int64_t whole = avio_rb32(io);
        const int64_t tag = at - 4 - whole;
        if (whole <= kHeader || tag < 9 || avio_seek(io, tag, SEEK_SET) < 0)
            break;
        const int type = avio_r8(io) & 0x1F;
        if ((type != 8 && type != 9 && type != 18) || avio_rb24(io) + kHeader != whole)
            break;
        found = at = tag;
    }
    return found;
}

// Seeks to where reading finds what a stream holds from `near` (a time of stream `index`) on,
// reading as little of the file as its container allows. A container with an index of its
// pictures only seeks by it, as seeking the sound would read through the file. An FLV file keeps
// no index at all, and its reader finds no tag from a byte between them: reading starts at the
// tag `tail` bytes before its end, where its tags lead back from there (not in a file cut short);
// `byTag` says so, for a wider tail may then find packets of the stream where this one did not.
bool SeekNear(AVFormatContext* format, int index, int64_t near, int64_t tail, bool& byTag) {
    const AVStream* stream = format->streams[index];
    byTag = false;
    if (near == AV_NOPTS_VALUE) {
        // No end stated (a file cut short, or one whose end was never written): the last bytes,
        // where the container finds packets from any byte.
        if (!format->pb || (format->iformat->flags & AVFMT_NO_BYTE_SEEK))
            return Rewind(format, index);
        byTag = true;
        return av_seek_frame(format, -1, std::max<int64_t>(0, avio_size(format->pb) - tail),
                             AVSEEK_FLAG_BYTE) >= 0;
    }
    if (IsContainer(format, "flv") && format->pb)
        if (const int64_t tag = FlvTagBefore(format->pb, tail); tag >= 0) {
            byTag = true;
            return av_seek_frame(format, index, tag, AVSEEK_FLAG_BYTE) >= 0;
        }
    if (IsContainer(format, "matroska"))
        return av_seek_frame(format, -1, av_rescale_q(near, stream->time_base, AV_TIME_BASE_Q),
                             AVSEEK_FLAG_BACKWARD) >= 0;
    return av_seek_frame(format, index, near, AVSEEK_FLAG_BACKWARD) >= 0;
}

} // namespace

int64_t ContentEnd(AVFormatContext* format, int index, int64_t declaredEnd, int64_t* last,
                   bool trimmed, const std::function<void(const AVPacket*)>& seen) {
    PacketPtr packet(av_packet_alloc());
    ReadBudget* budget = static_cast<ReadBudget*>(format->opaque);
    if (!packet || !budget)
        return AV_NOPTS_VALUE;
    const AVStream* stream = format->streams[index];
    // A second before the end: sound of fixed sample size lands exactly where it is sent.
    const int64_t near =
        declaredEnd == AV_NOPTS_VALUE
            ? AV_NOPTS_VALUE
            : std::max(StreamStart(stream),
                       declaredEnd - av_rescale_q(1, AVRational{1, 1}, stream->time_base));
    budget->limit = format->pb ? format->pb->bytes_read + kContentEndBudget : -1;
    // A few seconds of the file's bytes, and more where the stream ends before its last ones.
    const int64_t seconds = format->duration > 0 ? format->duration / AV_TIME_BASE + 1 : 1;
    int64_t tail =
        near == AV_NOPTS_VALUE
            ? int64_t(1) << 20
            : (format->pb ? std::max<int64_t>(0, avio_size(format->pb)) : 0) / seconds * 4 +
                  (int64_t(64) << 10);
    // Times hours past the stated end, or years from the start where none is stated, are damage:
    // they end no stream.
    auto inBase = [&](int64_t count) {
        const int64_t value = av_rescale_q(count, AVRational{1, 1}, stream->time_base);
        return value < 0 || value > INT64_MAX / 4 ? INT64_MAX / 4 : value; // overflow: INT64_MIN
    };
    const int64_t hours = inBase(kFarHours * 3600);
    const int64_t far = near == AV_NOPTS_VALUE || declaredEnd > INT64_MAX / 4 - hours
                            ? inBase(int64_t(1) << 32)
                            : std::max<int64_t>(declaredEnd + hours, hours);
    int64_t end = AV_NOPTS_VALUE;
    // A packet that has only its decoding time is shown as much later as those with both are.
    int64_t reorder = 0;
    for (bool byTag = false;; tail *= 8) {
        if (!SeekNear(format, index, near, tail, byTag))
            break;
        while (av_read_frame(format, packet.get()) >= 0) {
            const int64_t at = PacketTime(packet.get());
            if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE &&
                packet->dts != AV_NOPTS_VALUE && packet->pts - packet->dts < far)
                reorder = std::max(reorder, packet->pts - packet->dts);
            if (packet->stream_index == index && at != AV_NOPTS_VALUE && at > -far && at < far) {
                int64_t stop =
                    at + Duration(packet.get()) + (packet->pts == AV_NOPTS_VALUE ? reorder : 0);
                if (trimmed && packet->pts != AV_NOPTS_VALUE)
                    stop = PacketEnd(stream, packet.get());
                end = end == AV_NOPTS_VALUE ? stop : std::max(end, stop);
                if (last)
                    *last = packet->pos;
                if (seen)
                    seen(packet.get());
            }
            av_packet_unref(packet.get());
        }
        if (end != AV_NOPTS_VALUE || !byTag || Interrupt(budget) || tail > kContentEndBudget)
            break;
    }
    const bool interrupted = Interrupt(budget);
    budget->limit = -1;
    // Cut short, the packets read need not be the last ones.
    return interrupted ? AV_NOPTS_VALUE : end;
}

int64_t HeldEnd(AVFormatContext* format, int index) {
    AVStream* stream = format->streams[index];
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    if (size < 0 || !IsContainer(format, "mov"))
        return AV_NOPTS_VALUE;
    // The index holds decoding times: pictures held back for reordering are shown as much later.
    const AVRational rate = stream->avg_frame_rate;
    const int64_t delay =
        rate.num > 0 && rate.den > 0
            ? av_rescale_q(stream->codecpar->video_delay, av_inv_q(rate), stream->time_base)
            : 0;
    for (int i = 0, count = avformat_index_get_entries_count(stream); i < count; ++i)
        if (const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
            entry && entry->pos + entry->size > size)
            return entry->timestamp + delay;
    return AV_NOPTS_VALUE;
}

bool HoldsPackets(const std::string& path, const KnownFile& known, int index, int count) {
    FormatPtr format = OpenMediaFile(path, &known);
    PacketPtr packet(av_packet_alloc());
    ReadBudget* budget = format ? static_cast<ReadBudget*>(format->opaque) : nullptr;
    if (!format || !packet || !budget || index >= int(format->nb_streams))
        return false;
    budget->limit = format->pb ? format->pb->bytes_read + kContentEndBudget : -1;
    for (int found = 0; av_read_frame(format.get(), packet.get()) >= 0;) {
        found += packet->stream_index == index;
        av_packet_unref(packet.get());
        if (found >= count)
            return true;
    }
    return false;
}

int64_t FirstFrameTime(AVFormatContext* format, int index) {
    CodecPtr decoder = OpenDecoder(format->streams[index]);
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    bool draining = false;
    while (decoder && packet && frame &&
           ReceiveFrame(format, decoder.get(), index, packet.get(), frame.get(), draining))
        if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
            return frame->best_effort_timestamp;
    return INT64_MAX;
}

bool Rewind(AVFormatContext* format, int index) {
    return av_seek_frame(format, index, StreamStart(format->streams[index]),
                         AVSEEK_FLAG_BACKWARD) >= 0;
}

void CopyIndex(const AVFormatContext* from, AVFormatContext* to, int index) {
    AVStream* source = from->streams[index];
    AVStream* stream = to->streams[index];
    for (int i = 0, count = avformat_index_get_entries_count(source); i < count; ++i)
        if (const AVIndexEntry* entry = avformat_index_get_entry(source, i))
            av_add_index_entry(stream, entry->pos, entry->timestamp, entry->size,
                               entry->min_distance, entry->flags);
}

bool IsContainer(const AVFormatContext* format, std::string_view name) {
    return IsContainer(format->iformat, name);
}

bool IsContainer(const AVInputFormat* container, std::string_view name) {
    // FFmpeg names some containers by a list: "mov,mp4,m4a,3gp,3g2,mj2".
    std::string_view names = container->name;
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        if (names.substr(0, comma) == name)
            return true;
        names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    }
    return false;
}

bool DecodeLastPacket(AVFormatContext* format, int index, int64_t declaredEnd, int64_t& at,
                      int64_t& samples) {
    PacketPtr packet(av_packet_alloc()), last(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    const AVStream* stream = format->streams[index];
    const int64_t near = std::max(
        StreamStart(stream), declaredEnd - av_rescale_q(1, AVRational{1, 1}, stream->time_base));
    if (!packet || !last || !frame || av_seek_frame(format, index, near, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    bool found = false;
    for (; av_read_frame(format, packet.get()) >= 0; av_packet_unref(packet.get()))
        if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE) {
            av_packet_unref(last.get());
            av_packet_move_ref(last.get(), packet.get());
            found = true;
        }
    CodecPtr decoder = found ? OpenDecoder(stream) : nullptr;
    if (!decoder || avcodec_send_packet(decoder.get(), last.get()) < 0)
        return false;
    avcodec_send_packet(decoder.get(), nullptr);
    at = last->pts;
    samples = 0;
    while (avcodec_receive_frame(decoder.get(), frame.get()) == 0)
        samples += frame->nb_samples;
    return samples > 0;
}

int64_t CountPacketSamples(AVFormatContext* format, int index) {
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return 0;
    const AVStream* stream = format->streams[index];
    const AVRational perSample{1, stream->codecpar->sample_rate};
    int64_t count = 0, skip = 0;
    for (; av_read_frame(format, packet.get()) >= 0; av_packet_unref(packet.get())) {
        if (packet->stream_index != index)
            continue;
        int64_t samples = av_get_audio_frame_duration2(stream->codecpar, packet->size);
        if (samples <= 0 || packet->duration <= 0 ||
            av_rescale_q(packet->duration, stream->time_base, perSample) != samples) {
            av_packet_unref(packet.get());
            return -1;
        }
        // A skip at the start may reach into the packets after the one that carries it.
        const auto [start, end] = Trimmed(packet.get());
        if (start > 0)
            skip = start;
        const int64_t skipped = std::min(skip, samples);
        skip -= skipped;
        samples -= skipped;
        count += samples - std::min(samples, end);
    }
    return count;
}

int64_t CountIndexedSamples(AVFormatContext* format, int index) {
    AVStream* stream = format->streams[index];
    const int count = avformat_index_get_entries_count(stream);
    PacketPtr packet(av_packet_alloc());
    if (count <= 0 || !packet)
        return -1;
    // A packet that the file does not hold whole (one cut short, as a partial download is)
    // delivers nothing.
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!entry)
            return -1;
        if ((entry->flags & AVINDEX_DISCARD_FRAME) ||
            (size >= 0 && entry->pos + entry->size > size))
            continue;
        const int samples = av_get_audio_frame_duration2(stream->codecpar, entry->size);
        if (samples <= 0)
            return -1;
        total += samples;
    }
    // The stream's first packet marks what the decoder skips: the encoder's delay and, where an
    // edit starts the stream later, the packets marked to discard and a part of the first kept.
    int64_t skip = -1, discarded = 0;
    for (; av_read_frame(format, packet.get()) >= 0; av_packet_unref(packet.get())) {
        if (packet->stream_index != index)
            continue;
        const auto [start, end] = Trimmed(packet.get());
        if (skip < 0)
            skip = start;
        if (packet->flags & AV_PKT_FLAG_DISCARD) {
            discarded += av_get_audio_frame_duration2(stream->codecpar, packet->size);
            continue;
        }
        return end == 0 ? std::max<int64_t>(0, total - std::max<int64_t>(0, skip - discarded)) : -1;
    }
    return -1;
}

bool IsPcm(AVCodecID id) {
    return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

bool HasFixedSampleSize(const AVCodecParameters* parameters) {
    return av_get_exact_bits_per_sample(parameters->codec_id) > 0;
}

int IntegerPcmBits(const AVCodecParameters* parameters) {
    switch (parameters->codec_id) {
    case AV_CODEC_ID_PCM_S8:
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S8_PLANAR:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_U16LE:
    case AV_CODEC_ID_PCM_U16BE:
    case AV_CODEC_ID_PCM_S16LE_PLANAR:
    case AV_CODEC_ID_PCM_S16BE_PLANAR:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_U24LE:
    case AV_CODEC_ID_PCM_U24BE:
    case AV_CODEC_ID_PCM_S24LE_PLANAR:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_U32LE:
    case AV_CODEC_ID_PCM_U32BE:
    case AV_CODEC_ID_PCM_S32LE_PLANAR:
        return av_get_bits_per_sample(parameters->codec_id);
    default:
        return 0;
    }
}

} // namespace tbx::movie
