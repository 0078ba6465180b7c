#include "platform/movie/export_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace tbx::movie {

namespace {

constexpr int kIoBufferSize = 1 << 16;

// The sink as FFmpeg's output: writes go where the muxer has sought, which is never past the
// end.
struct SinkIo {
    ExportSink* sink = nullptr;
    uint64_t position = 0;
    bool failed = false;

    static int Write(void* opaque, uint8_t* bytes, int size) {
        SinkIo* io = static_cast<SinkIo*>(opaque);
        const uint64_t end = io->sink->Size();
        const std::size_t count = std::size_t(std::max(size, 0));
        const std::size_t inside =
            io->position > end ? 0 : std::size_t(std::min<uint64_t>(end - io->position, count));
        const bool written = io->position <= end &&
                             (inside == 0 || io->sink->WriteAt(io->position, bytes, inside)) &&
                             (inside == count || io->sink->Write(bytes + inside, count - inside));
        if (!written) {
            io->failed = true;
            return AVERROR(EIO);
        }
        io->position += count;
        return size;
    }

    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        SinkIo* io = static_cast<SinkIo*>(opaque);
        const int64_t size = int64_t(io->sink->Size());
        int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            base = int64_t(io->position);
            break;
        case SEEK_END:
            base = size;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (base + offset < 0)
            return AVERROR(EINVAL);
        io->position = uint64_t(base + offset);
        return int64_t(io->position);
    }
};

struct IoFree {
    void operator()(AVIOContext* context) const {
        av_freep(&context->buffer);
        avio_context_free(&context);
    }
};
struct OutputFree {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};

struct Encoding {
    CodecPtr codec;
    AVStream* stream = nullptr;
};

// The muxer's flags that an encoder must follow.
void Prepare(AVFormatContext* format, AVCodecContext* codec) {
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

bool AddStream(AVFormatContext* format, Encoding& encoding) {
    encoding.stream = avformat_new_stream(format, nullptr);
    if (!encoding.stream ||
        avcodec_parameters_from_context(encoding.stream->codecpar, encoding.codec.get()) < 0)
        return false;
    encoding.stream->time_base = encoding.codec->time_base;
    return true;
}

bool OpenVideo(AVFormatContext* format, const VideoPlan& plan, Encoding& encoding) {
    encoding.codec.reset(avcodec_alloc_context3(plan.encoder));
    AVCodecContext* codec = encoding.codec.get();
    if (!codec)
        return false;
    codec->width = plan.width;
    codec->height = plan.height;
    codec->pix_fmt = plan.pixels;
    codec->sample_aspect_ratio = AVRational{1, 1};
    codec->framerate = plan.rate;
    codec->time_base = av_inv_q(plan.rate);
    if (plan.gop > 0)
        codec->gop_size = plan.gop;
    // 0 … 1023 onto each codec's own scale, best quality at 1023.
    if (plan.encoder->id == AV_CODEC_ID_H264) {
        av_opt_set_double(codec->priv_data, "crf", 40.0 - plan.quality * 30.0 / 1023.0, 0);
    } else if (plan.encoder->id == AV_CODEC_ID_MPEG4 || plan.encoder->id == AV_CODEC_ID_MJPEG) {
        codec->flags |= AV_CODEC_FLAG_QSCALE;
        codec->global_quality = FF_QP2LAMBDA * (31 - plan.quality * 29 / 1023);
    }
    Prepare(format, codec);
    return avcodec_open2(codec, plan.encoder, nullptr) >= 0 && AddStream(format, encoding);
}

bool OpenSound(AVFormatContext* format, const SoundPlan& plan, Encoding& encoding) {
    const AVCodec* encoder = avcodec_find_encoder(plan.codec);
    encoding.codec.reset(encoder ? avcodec_alloc_context3(encoder) : nullptr);
    AVCodecContext* codec = encoding.codec.get();
    if (!codec)
        return false;
    codec->sample_fmt = AV_SAMPLE_FMT_S16;
    codec->sample_rate = plan.rate;
    av_channel_layout_default(&codec->ch_layout, plan.channels);
    codec->time_base = AVRational{1, plan.rate};
    Prepare(format, codec);
    return avcodec_open2(codec, encoder, nullptr) >= 0 && AddStream(format, encoding);
}

class Writer {
public:
    Writer(const ExportPlan& plan, Movie& source, ExportSink& sink) : _plan(plan), _source(source) {
        _io.sink = &sink;
    }
    OSErr Run(int64_t start, int64_t end, const ExportReport& report);

private:
    OSErr _Open();
    // Sends a frame (null: the end) and writes every packet that comes out.
    OSErr _Encode(Encoding& encoding, AVFrame* frame);
    OSErr _Picture(int64_t time, int64_t index);
    OSErr _Sound(int64_t from, int64_t to);
    OSErr _Failed() const { return _io.failed ? OSErr(ioErr) : OSErr(noCodecErr); }

    const ExportPlan& _plan;
    Movie& _source;
    SinkIo _io;
    // The muxer goes before its output.
    std::unique_ptr<AVIOContext, IoFree> _output;
    std::unique_ptr<AVFormatContext, OutputFree> _format;
    Encoding _video;
    Encoding _sound;
    PacketPtr _packet{av_packet_alloc()};
    FramePtr _frame{av_frame_alloc()};
    ScalerPtr _converter;
    std::vector<uint8_t> _rgb;
    std::vector<uint8_t> _pcm;
    int64_t _samples = 0;
};

OSErr Writer::_Open() {
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, _plan.muxer, nullptr) < 0 || !raw)
        return noCodecErr;
    _format.reset(raw);
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    _output.reset(buffer ? avio_alloc_context(buffer, kIoBufferSize, 1, &_io, nullptr,
                                              SinkIo::Write, SinkIo::Seek)
                         : nullptr);
    if (!_output) {
        av_free(buffer);
        return memFullErr;
    }
    _format->pb = _output.get();
    _format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (!_packet || !_frame)
        return memFullErr;
    if (_plan.video) {
        const VideoPlan& picture = _plan.picture;
        if (!OpenVideo(_format.get(), picture, _video))
            return noCodecErr;
        _rgb.resize(std::size_t(picture.width) * picture.height * 3 + kFrameRenderRoom);
        _converter.reset(sws_getContext(picture.width, picture.height, AV_PIX_FMT_RGB24,
                                        picture.width, picture.height, picture.pixels, SWS_BILINEAR,
                                        nullptr, nullptr, nullptr));
        if (!_converter)
            return noCodecErr;
    }
    if (_plan.sound) {
        PcmForm form;
        form.rate = _plan.audio.rate;
        form.channels = _plan.audio.channels;
        if (!_source.SetPcmForm(form) || !OpenSound(_format.get(), _plan.audio, _sound))
            return noCodecErr;
    }
    return avformat_write_header(_format.get(), nullptr) < 0 ? _Failed() : OSErr(noErr);
}

OSErr Writer::_Encode(Encoding& encoding, AVFrame* frame) {
    if (avcodec_send_frame(encoding.codec.get(), frame) < 0)
        return noCodecErr;
    for (;;) {
        const int result = avcodec_receive_packet(encoding.codec.get(), _packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return noErr;
        if (result < 0)
            return noCodecErr;
        // A picture lasts one frame, the last one included.
        if (_packet->duration == 0 && &encoding == &_video)
            _packet->duration = 1;
        av_packet_rescale_ts(_packet.get(), encoding.codec->time_base, encoding.stream->time_base);
        _packet->stream_index = encoding.stream->index;
        if (av_interleaved_write_frame(_format.get(), _packet.get()) < 0)
            return _Failed();
    }
}

OSErr Writer::_Picture(int64_t time, int64_t index) {
    const VideoPlan& picture = _plan.picture;
    if (!_source.RenderFrame(TimeValue(time), FramePixels::Rgb24, _rgb.data(), _rgb.size(),
                             picture.width * 3, picture.width, picture.height))
        return invalidMovie;
    AVFrame* frame = _frame.get();
    av_frame_unref(frame);
    frame->format = picture.pixels;
    frame->width = picture.width;
    frame->height = picture.height;
    if (av_frame_get_buffer(frame, 0) < 0)
        return memFullErr;
    const uint8_t* rows[1] = {_rgb.data()};
    const int stride[1] = {picture.width * 3};
    sws_scale(_converter.get(), rows, stride, 0, picture.height, frame->data, frame->linesize);
    frame->pts = index;
    frame->quality = _video.codec->global_quality;
    return _Encode(_video, frame);
}

OSErr Writer::_Sound(int64_t from, int64_t to) {
    if (!_plan.sound || to <= from)
        return noErr;
    _pcm.clear();
    if (!_source.ReadPcm(TimeValue(from), TimeValue(to - from), _pcm))
        return invalidMovie;
    const int count = int(_pcm.size() / (2 * std::size_t(_plan.audio.channels)));
    if (count == 0)
        return noErr;
    AVFrame* frame = _frame.get();
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = _plan.audio.rate;
    frame->nb_samples = count;
    if (av_channel_layout_copy(&frame->ch_layout, &_sound.codec->ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0)
        return memFullErr;
    std::memcpy(frame->data[0], _pcm.data(), std::size_t(count) * 2 * _plan.audio.channels);
    frame->pts = _samples;
    _samples += count;
    return _Encode(_sound, frame);
}

OSErr Writer::Run(int64_t start, int64_t end, const ExportReport& report) {
    if (OSErr error = _Open())
        return error;
    const int64_t scale = _source.GetTimeScale();
    // Frame i begins at start + i × scale × den / num; as many frames as cover the range, and
    // sound in one-second pieces without pictures.
    const AVRational rate = _plan.video ? _plan.picture.rate : AVRational{1, 1};
    const int64_t step = scale * rate.den;
    const int64_t steps = std::max<int64_t>(1, ((end - start) * rate.num + step - 1) / step);
    for (int64_t i = 0; i < steps; ++i) {
        const int64_t from = start + i * step / rate.num;
        const int64_t to = std::min(end, start + (i + 1) * step / rate.num);
        if (_plan.video)
            if (OSErr error = _Picture(from, i))
                return error;
        if (OSErr error = _Sound(std::min(from, end), to))
            return error;
        if (OSErr error = report(double(i + 1) / double(steps)))
            return error;
    }
    if (_plan.video)
        if (OSErr error = _Encode(_video, nullptr))
            return error;
    if (_plan.sound)
        if (OSErr error = _Encode(_sound, nullptr))
            return error;
    if (av_write_trailer(_format.get()) < 0)
        return _Failed();
    avio_flush(_output.get());
    return _io.failed || _output->error < 0 ? OSErr(ioErr) : OSErr(noErr);
}

} // namespace

OSErr WriteExport(const ExportPlan& plan, Movie& source, int64_t start, int64_t end,
                  ExportSink& sink, const ExportReport& report) {
    if (end <= start)
        return paramErr;
    Writer writer(plan, source, sink);
    return writer.Run(start, end, report);
}

} // namespace tbx::movie
