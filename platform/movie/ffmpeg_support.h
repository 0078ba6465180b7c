// Owners of FFmpeg's objects and the guarded way of opening a media file. Internal to the
// movie stand-in; its callers never see FFmpeg.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "platform/codec_gate/codec_gate.h"

namespace tbx::movie {

// A limit on the bytes that a context may read while it is set, so that a look at the end of
// a file cannot turn into reading the whole of it. Every context from OpenMediaFile owns one,
// through its opaque field.
struct ReadBudget {
    AVFormatContext* format = nullptr;
    int64_t limit = -1; // bytes_read beyond which reads are interrupted; -1: no limit
    // The packets of the context that the codec gate refused, and the gating work that
    // decoding has taken; ReceiveFrame stops reading once it passes `gateLimit` (-1: no limit).
    gate::Refusals refused;
    int64_t gated = 0;
    int64_t gateLimit = -1;
};

struct FormatCloser {
    void operator()(AVFormatContext* context) const {
        ReadBudget* budget = static_cast<ReadBudget*>(context->opaque);
        // A reader of the file that the context was given (opened from within the file) is
        // its own to close.
        AVIOContext* given = (context->flags & AVFMT_FLAG_CUSTOM_IO) ? context->pb : nullptr;
        avformat_close_input(&context);
        avio_closep(&given);
        delete budget;
    }
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
struct ParametersFree {
    void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersFree>;

// A time as a count of units of a time base.
struct StreamTime {
    int64_t value = 0;
    AVRational base{1, 1};
};

// What the first opening of a file found: its container, and the codec of each stream with the
// rate and channels that reading its first packets settled (a header may state others) and the
// samples of a frame, which a header may not state at all.
struct KnownFile {
    struct Stream {
        AVCodecID codec = AV_CODEC_ID_NONE;
        int rate = 0;
        int channels = 0;
        int frameSize = 0;
    };
    const AVInputFormat* container = nullptr;
    std::vector<Stream> streams;
};
KnownFile DescribeFile(const AVFormatContext* format);

// Opens a local file with the file protocol only and a whitelist of movie, sound and picture
// containers, so that a playlist or concat file can reach neither other files nor the
// network. Null when the file cannot be opened or its streams cannot be read. A file opened
// before (`known`) is taken as its container without probing, and its streams are not read
// ahead again where the header describes them, nor at all without `readStreams`. The container
// is read from place `start` of the file on, as though the file began there (the start of a
// later link of Ogg files joined end to end).
FormatPtr OpenMediaFile(const std::string& path, const KnownFile* known = nullptr,
                        bool readStreams = true, int64_t start = 0);

// The first video stream that is not attached cover art, or -1.
int FindVideoStream(const AVFormatContext* format);
// The first audio stream, or -1.
int FindSoundStream(const AVFormatContext* format);

// An opened single-threaded decoder for the stream, or null.
CodecPtr OpenDecoder(const AVStream* stream);
// The same for a stream of these parameters and time base.
CodecPtr OpenDecoder(const AVCodecParameters* parameters, AVRational timeBase);

// True for containers that hold one still picture.
bool IsStillPictureFormat(const AVFormatContext* format);

// Reads the next packet of stream `index` and feeds it to the decoder; at the end of the file
// the decoder is drained. False once the decoder has nothing more to give. A packet that fails
// to decode is skipped and decoding goes on with the next. `reorder`, when given, keeps the
// most that a packet's presentation time lies after its decoding time; `end` the furthest
// PacketEnd of the stream's packets read so far.
// `take`, when given, sees each packet of the stream first and may change it, pass it over, or
// end the stream there.
enum class Taken { kTake, kPass, kStop };
using PacketFilter = std::function<Taken(AVPacket*)>;
bool ReceiveFrame(AVFormatContext* format, AVCodecContext* decoder, int index, AVPacket* packet,
                  AVFrame* frame, bool& draining, int64_t* reorder = nullptr,
                  int64_t* end = nullptr, const PacketFilter& take = {});

// How a sound frame lays out its samples: in `planes` arrays (one per channel, or one holding
// every channel interleaved), a sample taking `step` bytes of each.
struct FrameLayout {
    int planes = 0;
    int64_t step = 0;
};
FrameLayout LayoutOf(const AVFrame* frame);

// The sample format in which a sound stream's packets hold their samples as they are, in this
// machine's byte order (so that they need no decoder), or AV_SAMPLE_FMT_NONE.
AVSampleFormat RawSampleFormat(const AVCodecParameters* parameters);

// ReceiveFrame for such a stream: the frame holds the next packet's whole samples as they are,
// valid until `packet` is read into again. A packet short of one sample a channel is skipped, as
// a decoder refuses it. `end` as for ReceiveFrame.
bool ReceiveRawFrame(AVFormatContext* format, int index, AVPacket* packet, AVFrame* frame,
                     int64_t* end = nullptr, const PacketFilter& take = {});

// Times this far from the start in samples, or this many hours past a stream's stated end, are
// no sound's: they are damage.
constexpr int64_t kFarSamples = int64_t(1) << 48;
constexpr int64_t kFarHours = 4;
// In a container whose times may restart (AVFMT_TS_DISCONT), a step of the times further than
// this either way is a restart, as FFmpeg's command line takes it.
constexpr int64_t kRestartSeconds = 10;
// The largest picture, in pixels, that a decoder may allocate.
constexpr int64_t kMostDecodedPixels = int64_t(1) << 27;

// `time` of a stream with `timeBase`, counted from `from`, in samples at `rate`; AV_NOPTS_VALUE
// where it is none or one that no sound could have.
int64_t SamplesAt(int64_t time, int64_t from, AVRational timeBase, int rate);

// The samples that a packet's side data marks to skip at the start and to discard at the end.
std::pair<int64_t, int64_t> Trimmed(const AVPacket* packet);

// A packet's time: its presentation time, else its decoding time.
int64_t PacketTime(const AVPacket* packet);

// Where a sound packet's samples end in its stream's time base: its time and duration, less the
// samples that the container marks to discard at the end. AV_NOPTS_VALUE without a time.
int64_t PacketEnd(const AVStream* stream, const AVPacket* packet);

// The stream's own start in its time base: its first time, or 0 when the container has none.
int64_t StreamStart(const AVStream* stream);

// The end that the container declares for the stream (its start and duration, else the whole
// file's) in the stream's time base, or AV_NOPTS_VALUE when it declares none.
int64_t DeclaredEnd(const AVFormatContext* format, const AVStream* stream);

// The end (pts + duration) of stream `index`'s content in its time base, read from the packets
// after the key point a second or more before `declaredEnd` (from the file's last megabytes where
// it is AV_NOPTS_VALUE), within a few tens of megabytes of reading. AV_NOPTS_VALUE when the
// container cannot seek there or no packet of the stream follows. The context is left wherever
// reading stopped. `last`, when given, receives the file position of the stream's last packet read.
// `trimmed`: each packet's end less the samples that the container marks to discard at the end
// (PacketEnd). `seen`, when given, sees in order each packet of the stream that the end is
// reckoned from.
int64_t ContentEnd(AVFormatContext* format, int index, int64_t declaredEnd, int64_t* last = nullptr,
                   bool trimmed = false, const std::function<void(const AVPacket*)>& seen = {});

// The time (in the stream's time base) of the first packet of stream `index` that the
// container's index of every packet (an MP4 file's sample tables) lists and the file does not
// hold whole, as a file cut short; AV_NOPTS_VALUE where it holds them all or keeps no such index.
int64_t HeldEnd(AVFormatContext* format, int index);

// Whether stream `index` of the file holds `count` packets or more, found within a few tens of
// megabytes of its start.
bool HoldsPackets(const std::string& path, const KnownFile& known, int index, int count);

// The time of the first frame that decoding stream `index` from where the context stands
// delivers, or INT64_MAX when none has a time. Reads on from there.
int64_t FirstFrameTime(AVFormatContext* format, int index);

// Seeks stream `index` back to its start; false when the container cannot.
bool Rewind(AVFormatContext* format, int index);

// Gives stream `index` of `to` the index entries (places of packets) that `from` holds for it.
void CopyIndex(const AVFormatContext* from, AVFormatContext* to, int index);

// True when the file was read as the container of this name (one of FFmpeg's names: "ogg",
// "flac", "mp3", "caf", "wav", "aiff", "mov", ...).
bool IsContainer(const AVFormatContext* format, std::string_view name);
bool IsContainer(const AVInputFormat* container, std::string_view name);

// The last packet of stream `index`, read after the key point a second or more before
// `declaredEnd`: its time (in the stream's time base) and the samples that decoding it alone
// delivers. For codecs whose packets decode each on its own. False when the container cannot
// seek there or the packet does not decode; the context is left at the end.
bool DecodeLastPacket(AVFormatContext* format, int index, int64_t declaredEnd, int64_t& at,
                      int64_t& samples);

// Samples per channel that decoding sound stream `index` delivers, counted from its packets
// without decoding them: each packet's samples, less those that the container marks to skip at
// the start or discard at the end. Reads the file to its end. -1 as soon as a packet's samples
// are not stated both by the codec and, in agreement, by the container: only decoding then
// tells (a decoder's own delay, ends that the container has trimmed already).
int64_t CountPacketSamples(AVFormatContext* format, int index);

// The same from the container's index of every packet (an MP4 file's sample tables), where each
// packet's samples follow from its size: the packets that it marks to discard, and those that the
// file does not hold whole, left out, and what the first packet marks to skip. Reads only the
// packets up to the first that is kept. -1 where the index or a packet's size does not tell.
int64_t CountIndexedSamples(AVFormatContext* format, int index);

// Keeps every other mark of a list that reached its cap, so that marks kept at a stride cover
// the whole file in bounded room; the stride doubles.
template <typename Mark, typename Stride>
void KeepEveryOther(std::vector<Mark>& marks, Stride& stride) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < marks.size(); i += 2)
        marks[kept++] = marks[i];
    marks.resize(kept);
    stride *= 2;
}

// True for the codecs of plain samples (PCM of every size, order and header).
bool IsPcm(AVCodecID id);

// True for sound stored as samples of a fixed size (PCM, the companded forms, simple ADPCM), whose
// timestamps after a seek are exact.
bool HasFixedSampleSize(const AVCodecParameters* parameters);

// The bits of an integer PCM sample of this codec (8, 16, 24, 32), or 0 for compressed and
// floating-point sound.
int IntegerPcmBits(const AVCodecParameters* parameters);

} // namespace tbx::movie
