#include "platform/movie/sound_track.h"

#include <algorithm>
#include <cstring>

namespace tbx::movie {

namespace {

// Channel counts and rates beyond these are refused rather than allocated for.
constexpr int32_t kMaxChannels = 16;
constexpr int32_t kMaxRate = 768000;

void DefaultLayout(AVChannelLayout& layout, int channels) {
    av_channel_layout_uninit(&layout);
    av_channel_layout_default(&layout, channels);
}

// Samples per channel that decoding the stream delivers.
int64_t CountDecodedSamples(const std::string& path) {
    FormatPtr format = OpenMediaFile(path);
    if (!format)
        return 0;
    int index = FindSoundStream(format.get());
    if (index < 0)
        return 0;
    CodecPtr decoder = OpenDecoder(format->streams[index]);
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!decoder || !packet || !frame)
        return 0;
    bool draining = false;
    int64_t count = 0;
    while (ReceiveFrame(format.get(), decoder.get(), index, packet.get(), frame.get(), draining))
        count += frame->nb_samples;
    return count;
}

} // namespace

std::unique_ptr<SoundTrack> SoundTrack::Open(const std::string& path) {
    std::unique_ptr<SoundTrack> track(new SoundTrack);
    track->_path = path;
    FormatPtr format = OpenMediaFile(path);
    if (!format)
        return nullptr;
    int index = FindSoundStream(format.get());
    if (index < 0)
        return nullptr;
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    track->_rate = parameters->sample_rate;
    track->_channels = parameters->ch_layout.nb_channels;
    if (track->_rate <= 0 || track->_rate > kMaxRate || track->_channels <= 0 ||
        track->_channels > kMaxChannels || !OpenDecoder(format->streams[index]))
        return nullptr;
    const int stored = av_get_bits_per_sample(parameters->codec_id);
    track->_bits = stored > 0 ? stored : 16;
    track->_codecId = parameters->codec_id;
    track->_codecTag = parameters->codec_tag;
    track->_audioOnly = FindVideoStream(format.get()) < 0;
    const AVStream* stream = format->streams[index];
    if (!track->_audioOnly && stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        track->_sampleCount =
            av_rescale_q(stream->duration, stream->time_base, AVRational{1, track->_rate});
    track->_form.rate = track->_rate;
    track->_form.bits = 16;
    track->_form.channels = track->_channels;
    return track;
}

int64_t SoundTrack::SampleCount() const {
    if (_sampleCount < 0)
        _sampleCount = CountDecodedSamples(_path);
    return _sampleCount;
}

int64_t SoundTrack::Duration(int32_t scale) const {
    if (scale <= 0)
        return 0;
    return av_rescale_rnd(SampleCount(), scale, _rate, AV_ROUND_UP);
}

void SoundTrack::Describe(SoundDescription& description) const {
    description = SoundDescription{};
    description.numChannels = int16_t(_channels);
    description.sampleSize = int16_t(_bits);
    description.sampleRate = _rate;
    const AVCodecDescriptor* codec = avcodec_descriptor_get(_codecId);
    if (_codecId == AV_CODEC_ID_PCM_S16BE || _codecId == AV_CODEC_ID_PCM_S8)
        description.dataFormat = kSoundFormatTwos;
    else if (_codecId == AV_CODEC_ID_PCM_S16LE)
        description.dataFormat = kSoundFormatSowt;
    else
        description.dataFormat = __builtin_bswap32(_codecTag); // FFmpeg keeps tags low byte first
    if (codec && codec->long_name) {
        std::strncpy(description.name, codec->long_name, sizeof description.name - 1);
    }
}

bool SoundTrack::SetForm(const PcmForm& form) {
    PcmForm chosen = form;
    if (chosen.rate == 0)
        chosen.rate = _rate;
    if (chosen.channels == 0)
        chosen.channels = _channels;
    if (chosen.bits == 0)
        chosen.bits = _bits;
    if (chosen.rate < 1 || chosen.rate > kMaxRate || chosen.channels < 1 ||
        chosen.channels > kMaxChannels ||
        (chosen.bits != 8 && chosen.bits != 16 && chosen.bits != 24 && chosen.bits != 32))
        return false;
    _form = chosen;
    return _Restart();
}

int64_t SoundTrack::OutputCount() {
    return av_rescale_rnd(SampleCount(), _form.rate, _rate, AV_ROUND_DOWN);
}

bool SoundTrack::_Restart() {
    _cache.clear();
    _cacheSkip = 0;
    _cacheFirst = 0;
    _ended = false;
    _draining = false;
    _resampler.reset();
    _format = OpenMediaFile(_path);
    if (!_format)
        return false;
    _index = FindSoundStream(_format.get());
    if (_index < 0)
        return false;
    _decoder = OpenDecoder(_format->streams[_index]);
    _packet.reset(av_packet_alloc());
    _frame.reset(av_frame_alloc());
    return _decoder && _packet && _frame;
}

void SoundTrack::_Append(uint8_t* const* planes, int samples) {
    if (samples <= 0)
        return;
    const uint8_t* in = planes[0];
    const std::size_t values = std::size_t(samples) * _form.channels;
    const std::size_t old = _cache.size();
    _cache.resize(old + values * (_form.bits / 8));
    uint8_t* out = _cache.data() + old;
    switch (_form.bits) {
    case 8: // the resampler gives unsigned bytes; ours are signed
        for (std::size_t i = 0; i < values; ++i)
            out[i] = uint8_t(in[i] ^ 0x80);
        break;
    case 16:
        for (std::size_t i = 0; i < values; ++i) {
            uint16_t v;
            std::memcpy(&v, in + 2 * i, 2);
            out[2 * i + (_form.bigEndian ? 1 : 0)] = uint8_t(v);
            out[2 * i + (_form.bigEndian ? 0 : 1)] = uint8_t(v >> 8);
        }
        break;
    case 24: // the top three bytes of 32-bit samples
    case 32:
        for (std::size_t i = 0; i < values; ++i) {
            uint32_t v;
            std::memcpy(&v, in + 4 * i, 4);
            const int bytes = _form.bits / 8;
            for (int b = 0; b < bytes; ++b) {
                const uint8_t byte = uint8_t(v >> (8 * (4 - bytes + b)));
                out[bytes * i + (_form.bigEndian ? bytes - 1 - b : b)] = byte;
            }
        }
        break;
    }
}

bool SoundTrack::_Produce() {
    if (_ended || !_format)
        return false;
    const AVSampleFormat outFormat = _form.bits == 8    ? AV_SAMPLE_FMT_U8
                                     : _form.bits == 16 ? AV_SAMPLE_FMT_S16
                                                        : AV_SAMPLE_FMT_S32;
    const int outBytes = av_get_bytes_per_sample(outFormat) * _form.channels;
    auto convert = [&](const uint8_t** in, int count) {
        for (;;) {
            const int room = swr_get_out_samples(_resampler.get(), count);
            if (room <= 0)
                return;
            _scratch.resize(std::size_t(room) * outBytes);
            uint8_t* out[1] = {_scratch.data()};
            const int made = swr_convert(_resampler.get(), out, room, in, count);
            if (made <= 0)
                return;
            _Append(out, made);
            if (in)
                return;
        }
    };
    if (!ReceiveFrame(_format.get(), _decoder.get(), _index, _packet.get(), _frame.get(),
                      _draining)) {
        if (_resampler)
            convert(nullptr, 0);
        _ended = true;
        return false;
    }
    AVFrame* frame = _frame.get();
    if (frame->nb_samples <= 0 || frame->sample_rate <= 0 || frame->sample_rate > kMaxRate ||
        frame->ch_layout.nb_channels <= 0 || frame->ch_layout.nb_channels > kMaxChannels)
        return true; // nothing usable in this frame
    const bool same = _resampler && _inRate == frame->sample_rate && _inFormat == frame->format &&
                      _inChannels == frame->ch_layout.nb_channels;
    if (!same) {
        // A change of form mid-stream: finish the old resampler before starting a new one.
        if (_resampler)
            convert(nullptr, 0);
        AVChannelLayout in{}, out{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            DefaultLayout(in, frame->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&in, &frame->ch_layout);
        DefaultLayout(out, _form.channels);
        SwrContext* made = nullptr;
        const int result =
            swr_alloc_set_opts2(&made, &out, outFormat, _form.rate, &in,
                                AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        _resampler.reset(made);
        if (result < 0 || !made || swr_init(made) < 0) {
            _resampler.reset();
            _ended = true;
            return false;
        }
        _inRate = frame->sample_rate;
        _inFormat = frame->format;
        _inChannels = frame->ch_layout.nb_channels;
    }
    convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    return true;
}

bool SoundTrack::Read(int64_t first, int64_t end, std::vector<uint8_t>& out) {
    const int64_t total = OutputCount();
    end = std::min(end, total);
    if (first < 0 || first >= end)
        return first >= 0;
    if (first < _cacheFirst && !_Restart())
        return false;
    const std::size_t frameBytes = std::size_t(_FrameBytes());
    auto held = [&] { return _cacheFirst + int64_t((_cache.size() - _cacheSkip) / frameBytes); };
    auto drop = [&] {
        if (_cacheFirst >= first)
            return;
        const int64_t n = std::min(first, held()) - _cacheFirst;
        _cacheSkip += std::size_t(n) * frameBytes;
        _cacheFirst += n;
        if (_cacheSkip > (1u << 20) && _cacheSkip * 2 > _cache.size()) {
            _cache.erase(_cache.begin(), _cache.begin() + std::ptrdiff_t(_cacheSkip));
            _cacheSkip = 0;
        }
    };
    drop();
    while (held() < end && _Produce())
        drop();
    drop();
    if (held() < end) {
        if (!_ended)
            return false;
        // The resampler may give a few samples fewer than the exact count: silence. A
        // container that promised far more than its stream holds gets no such filling.
        if (end - held() <= _form.rate)
            _cache.resize(_cache.size() + std::size_t(end - held()) * frameBytes, 0);
        end = std::min(end, held());
        if (end <= first)
            return true;
    }
    const uint8_t* from =
        _cache.data() + _cacheSkip + std::size_t(first - _cacheFirst) * frameBytes;
    out.insert(out.end(), from, from + std::size_t(end - first) * frameBytes);
    return true;
}

} // namespace tbx::movie
