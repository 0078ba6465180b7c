#include "platform/movie/sound_track.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/movie/mp3_tags.h"
#include "platform/movie/sound_times.h"

namespace tbx::movie {

namespace {

// Channel counts and rates beyond these are refused rather than allocated for.
constexpr int32_t kMaxChannels = 16;
constexpr int32_t kMaxRate = 768000;

// Samples of silence given to the resampler at a time.
constexpr int kSilenceChunk = 4096;

void DefaultLayout(AVChannelLayout& layout, int channels) {
    av_channel_layout_uninit(&layout);
    av_channel_layout_default(&layout, channels);
}

} // namespace

SoundTrack::SoundTrack() = default;
SoundTrack::~SoundTrack() = default;

std::unique_ptr<SoundTrack> SoundTrack::Open(const std::string& path, FormatPtr probe,
                                             std::shared_ptr<const Timeline> timeline) {
    std::unique_ptr<SoundTrack> track(new SoundTrack);
    track->_path = path;
    track->_timeline = std::move(timeline);
    track->_probe = std::move(probe);
    if (!track->_probe)
        return nullptr;
    track->_known = DescribeFile(track->_probe.get());
    track->_index = FindSoundStream(track->_probe.get());
    if (track->_index < 0)
        return nullptr;
    const AVStream* stream = track->_probe->streams[track->_index];
    const AVCodecParameters* parameters = stream->codecpar;
    track->_rate = parameters->sample_rate;
    track->_channels = parameters->ch_layout.nb_channels;
    if (track->_rate <= 0 || track->_rate > kMaxRate || track->_channels <= 0 ||
        track->_channels > kMaxChannels || !OpenDecoder(stream))
        return nullptr;
    const int pcmBits = IntegerPcmBits(parameters);
    track->_bits = pcmBits > 0 ? pcmBits : 16;
    track->_codecId = parameters->codec_id;
    track->_codecTag = parameters->codec_tag;
    track->_raw = RawSampleFormat(parameters) != AV_SAMPLE_FMT_NONE;
    track->_timeBase = stream->time_base;
    track->_audioOnly = FindVideoStream(track->_probe.get()) < 0;
    track->_pageTimes = IsContainer(track->_probe.get(), "ogg");
    if (stream->start_time != AV_NOPTS_VALUE)
        track->_start = track->_origin = stream->start_time;
    track->_form.rate = track->_rate;
    track->_form.bits = 16;
    track->_form.channels = track->_channels;
    track->_TakeByTimes();
    track->_ChooseSeeking();
    // A movie's sound placed by an index starts where its first times that bear each other out
    // put it, which the movie's timeline takes from it.
    track->_IndexMovie();
    return track;
}

std::optional<StreamTime> SoundTrack::Start() const {
    if (_start == AV_NOPTS_VALUE)
        return std::nullopt;
    return StreamTime{_start, _timeBase};
}

void SoundTrack::SetOrigin(const StreamTime& origin) {
    if (_start == AV_NOPTS_VALUE)
        return; // the sound starts with its first frame
    _origin = av_rescale_q(origin.value, origin.base, _timeBase);
    _lead = std::max<int64_t>(0, av_rescale_q(_start - _origin, _timeBase, AVRational{1, _rate}));
    if (_packets && !_audioOnly)
        _PlaceIndex();
    _sampleCount = -1;
    _stale = true;
}

int64_t SoundTrack::_CountContent() {
    if (!_probe)
        _probe = OpenMediaFile(_path, &_known);
    AVFormatContext* format = _probe.get();
    if (!format || FindSoundStream(format) != _index) {
        _probe.reset();
        return 0;
    }
    if (_audioOnly && (_packets || (!_indexTried && _Indexable() && _UseIndex())))
        return _packets->Samples();
    // Ogg files joined end to end play every link in turn.
    if (_audioOnly && (_granules || _chain))
        if (const int64_t chained = _CountChain(format); chained >= 0) {
            _probe.reset();
            return chained;
        }
    // Sound whose index was declined (a file damaged in its first or last packets) is placed by
    // its times, gaps and all: only a decoding counts what reads will deliver.
    if (_audioOnly && _indexTried) {
        _probe.reset();
        return -1;
    }
    format = _probe.get();
    if (!format || FindSoundStream(format) != _index) {
        _probe.reset();
        return 0;
    }
    const AVStream* stream = format->streams[_index];
    const bool fixed = HasFixedSampleSize(stream->codecpar);
    const int64_t start = StreamStart(stream);
    const int64_t declared = DeclaredEnd(format, stream);
    // Sound alone, compressed: the length that the container states, where it states one;
    // else every packet counts, as decoding will deliver them (or decoding counts, where the
    // packets do not say). A movie's sound in an MP4 file has its packets in the sample tables
    // too, rather than its picture's end or an edit that ends within its last packet.
    const bool mov = IsContainer(format, "mov");
    if ((_audioOnly || mov) && !fixed && declared != AV_NOPTS_VALUE &&
        (IsContainer(format, "ogg") || IsContainer(format, "flac") || IsContainer(format, "caf") ||
         mov)) {
        const int64_t stated = _CountStated(format, declared);
        // Looking at the end has moved the context: what follows reads from the start.
        _probe = stated < 0 ? OpenMediaFile(_path, &_known) : nullptr;
        if (stated >= 0)
            return stated;
        format = _probe.get();
        if (!format || FindSoundStream(format) != _index) {
            _probe.reset();
            return 0;
        }
        stream = format->streams[_index];
    }
    // Without an end of its own the stream has the file's, which may be another stream's.
    const bool ownEnd = stream->duration != AV_NOPTS_VALUE && stream->duration > 0;
    // A movie's sound placed by its index ends where its last times put it where they, and its
    // first, bear out the samples of their packets exactly, in a container that states an end
    // and whose times run on through the file. Else it ends where the index's count of its
    // packets puts it, as sound alone does: its last times may lie, drift from the samples, or
    // belong to a part whose times restarted.
    const bool indexed = !_audioOnly && (_packets || _Indexable());
    int64_t exactEnd = AV_NOPTS_VALUE;
    bool looked = false;
    if (indexed) {
        _IndexMovie();
        // A decoder that holds packets back (WMA) ends where decoding the last ones tells.
        if (_packets && _packets->FirstTimeExact() && !_Restarts() && declared != AV_NOPTS_VALUE &&
            format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE &&
            _packets->FirstPriming() == 0) {
            exactEnd = ExactEnd(format, _index, declared, !ownEnd);
            looked = true;
            // Where the container states how long the movie lasts, its streams' last times reach
            // that far from where their first put the start: else the first lie (a first cluster
            // whose time lies ahead) and the sound is counted.
            const int64_t second = av_rescale_q(1, AVRational{1, 1}, _timeBase);
            int64_t reach = exactEnd;
            if (_timeline && _timeline->PictureEnd() != AV_NOPTS_VALUE)
                reach = std::max(
                    reach, av_rescale_q(_timeline->PictureEnd(), _timeline->Base(), _timeBase));
            if (exactEnd != AV_NOPTS_VALUE &&
                format->duration_estimation_method == AVFMT_DURATION_FROM_STREAM &&
                reach < declared - second)
                exactEnd = AV_NOPTS_VALUE;
        }
        // The index reads a context of its own. A look at the end has moved this one: the first
        // read opens another rather than start where the look stopped.
        if (_packets && exactEnd == AV_NOPTS_VALUE) {
            if (_packets->ReachSample(INT64_MAX) && _packets->CheckEnd(_path, _known)) {
                if (looked)
                    _probe.reset();
                return std::max<int64_t>(0, _indexLead + _packets->Samples() - _lead);
            }
            _DropIndex();
        }
    }
    if ((_audioOnly && !fixed) || declared == AV_NOPTS_VALUE) {
        // An MP3's tags tell, where FFmpeg has read them alike: no packet need be read, and the
        // context reads on from its start.
        Mp3Tags tags;
        const AVRational perSample{1, _rate};
        if (_audioOnly && _codecId == AV_CODEC_ID_MP3 && ReadMp3Tags(_path, tags) &&
            av_rescale_q(stream->duration, _timeBase, perSample) ==
                tags.frames * tags.frameSamples &&
            av_rescale_q(start, _timeBase, perSample) == tags.Skipped())
            return tags.DecodedSamples();
        // FFmpeg cuts the padding where the tags' count ends: times after it no longer place
        // the samples that a whole decoding gives, so the sound decodes from its start.
        if (tags.contradicted)
            _seekable = false;
        const int64_t count = CountPacketSamples(format, _index);
        // An MP3 seeks by the frames that it has read: having read them all, this context
        // lends their places to the first that reads.
        if (_seekable && IsContainer(format, "mp3"))
            _framesRead = std::move(_probe);
        _probe.reset();
        return count;
    }
    // A movie's index, or a file of fixed-size samples, is checked against its last packets.
    // Where the stream has no end of its own, its last packet ends it, less what the container
    // marks to discard (the padding of a compressed movie's last sound packet).
    const int64_t content = exactEnd != AV_NOPTS_VALUE
                                ? exactEnd
                                : ContentEnd(format, _index, declared, nullptr, !ownEnd);
    // A length that FFmpeg took from the last packet's time, as for a program stream, leaves
    // that packet out: only a length that the container states is kept over the packets'.
    const bool stated = format->duration_estimation_method != AVFMT_DURATION_FROM_PTS;
    const int frame = stream->codecpar->frame_size;
    // Fixed-size samples alone seek back exactly: the first read goes on with this context.
    if (!fixed || !_audioOnly || !Rewind(format, _index))
        _probe.reset();
    int64_t end = declared;
    if (content == AV_NOPTS_VALUE && fixed) {
        // Its end is not where the file says: count every packet.
        FormatPtr again = OpenMediaFile(_path, &_known);
        return again && FindSoundStream(again.get()) == _index
                   ? CountPacketSamples(again.get(), _index)
                   : 0;
    }
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, _timeBase);
    // A movie's sound that its packets carry past the stated end runs on to its last packet (an
    // AVI file whose index of packets was cut short states the end of the packets it lists).
    const bool longer = indexed && content > declared;
    if (content != AV_NOPTS_VALUE && (fixed || !ownEnd || !stated || longer ||
                                      content > declared + second || content < declared - second))
        end = content;
    // A movie's sound starts where its first times that bear each other out put it.
    const int64_t count =
        std::max<int64_t>(0, av_rescale_q(end - (_start != AV_NOPTS_VALUE ? _start : start),
                                          _timeBase, AVRational{1, _rate}));
    // A movie's times that a container keeps to the millisecond, or that a stream's reader
    // estimates, place its last packet to within a unit: with a codec whose frames all hold one
    // number of samples, the sound ends on their grid. An end far between two places of the grid
    // follows a step of the times by some part of a frame: the later one holds it.
    if (indexed && frame > 0 &&
        (_codecId == AV_CODEC_ID_MP1 || _codecId == AV_CODEC_ID_MP2 ||
         _codecId == AV_CODEC_ID_MP3 || _codecId == AV_CODEC_ID_AAC ||
         _codecId == AV_CODEC_ID_AC3 || _codecId == AV_CODEC_ID_EAC3))
        return (count + frame * 3 / 4) / frame * frame;
    return count;
}

int64_t SoundTrack::_CountStated(AVFormatContext* format, int64_t declared) {
    const AVStream* stream = format->streams[_index];
    const AVRational perSample{1, _rate};
    const int64_t start = StreamStart(stream);
    if ((IsContainer(format, "ogg") || IsContainer(format, "flac")) &&
        format->duration_estimation_method == AVFMT_DURATION_FROM_STREAM &&
        stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        // The last granule position, or the total that the stream's header gives; an Opus
        // stream's granules count its pre-skip as well. The last packets must end there too.
        const int64_t end = start + stream->duration -
                            av_rescale_q(stream->codecpar->initial_padding, perSample, _timeBase);
        // The sound begins with its first decoded sample, which a stream cut without decoding
        // has before the start that the container gives it, and one whose first page is lost
        // after it (the packet read first only primes the decoder).
        const int64_t first = FirstFrameTime(format, _index);
        int64_t last = -1;
        if (end <= start || ContentEnd(format, _index, end, &last) != end)
            return -1;
        if (IsContainer(format, "ogg"))
            _lastPage = std::max<int64_t>(last, 0);
        if (first != start && first != INT64_MAX && _start != AV_NOPTS_VALUE && _origin == _start)
            _start = _origin = first;
        return av_rescale_q(end - _start, _timeBase, perSample);
    }
    // An MP4 file's sample tables size every packet; where the codec's packets all hold one
    // frame, they count the sound.
    if (IsContainer(format, "mov"))
        if (const int64_t indexed = CountIndexedSamples(format, _index); indexed >= 0)
            return indexed;
    // ALAC packets hold the frames that the packet table gives, but the last, whose own header
    // tells.
    int64_t at = 0, samples = 0;
    if ((IsContainer(format, "caf") || IsContainer(format, "mov")) &&
        _codecId == AV_CODEC_ID_ALAC && DecodeLastPacket(format, _index, declared, at, samples) &&
        at >= start)
        return av_rescale_q(at - start, _timeBase, perSample) + samples;
    return -1;
}

int64_t SoundTrack::SampleCount() {
    if (_sampleCount < 0) {
        const int64_t content = _CountContent();
        _sampleCount = content >= 0 ? _lead + content : _CountByDecoding();
        if (_granulesLeft) {
            _DropGranules();
            return SampleCount();
        }
    }
    return _sampleCount;
}

int64_t SoundTrack::_CountByDecoding() {
    _counting = true;
    if (_Restart())
        while (_Produce()) {
        }
    _counting = false;
    _stale = true;
    return _placed;
}

std::optional<Moved> SoundTrack::MovedAt(int64_t pos, int64_t time, AVRational base, bool read) {
    const int64_t samples = SamplesAt(time, 0, base, _rate);
    const std::optional<Moved> moved = _packets && !_audioOnly && samples != AV_NOPTS_VALUE
                                           ? _packets->MovedAt(pos, samples, read)
                                           : std::nullopt;
    if (!moved)
        return std::nullopt;
    auto in = [&](int64_t samples) { return av_rescale_q(samples, AVRational{1, _rate}, base); };
    return Moved{in(moved->by), in(moved->placed)};
}

int64_t SoundTrack::Duration(int32_t scale) {
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
        chosen.bits = _bits == 8 ? 8 : 16;
    if (chosen.rate < 1 || chosen.rate > kMaxRate || chosen.channels < 1 ||
        chosen.channels > kMaxChannels ||
        (chosen.bits != 8 && chosen.bits != 16 && chosen.bits != 24 && chosen.bits != 32))
        return false;
    // The same form keeps what is queued.
    if (chosen.rate != _form.rate || chosen.channels != _form.channels ||
        chosen.bits != _form.bits || chosen.bigEndian != _form.bigEndian)
        _reform = true;
    _form = chosen;
    return true;
}

int64_t SoundTrack::OutputCount() {
    // The resampler gives a last sample for a part of one, as the length rounds up.
    return av_rescale_rnd(SampleCount(), _form.rate, _rate, AV_ROUND_UP);
}

void SoundTrack::_Reset() {
    _queue.Clear();
    _queueFirst = 0;
    _ended = false;
    _finished = false;
    _draining = false;
    _resampler.reset();
    _inRate = 0;
    _inFormat = -1;
    _inChannels = 0;
    _placed = _decoded = _filled = _expected = 0;
    _packetEnd = AV_NOPTS_VALUE;
    _part = 0;
    _anchor = false;
    _page = kNoPage;
    _feedFrom = 0;
    _takeFrom = INT64_MIN;
    _noiseAligned = true;
    _kept = nullptr;
    _reform = false;
    _history.clear();
    _heldSamples = 0;
    if (_held)
        av_frame_unref(_held.get());
    if (_start == AV_NOPTS_VALUE)
        _origin = AV_NOPTS_VALUE;
    _stale = false;
}

bool SoundTrack::_Restart() {
    _Reset();
    FormatPtr old = std::move(_format);
    _format = _probe ? std::move(_probe) : OpenMediaFile(_path, &_known);
    if (!_format || FindSoundStream(_format.get()) != _index)
        return false;
    _IndexMovie();
    // An MP3 seeks by the frames that it has read: the new context knows them too.
    if (_framesRead && !old)
        old = std::move(_framesRead);
    if (old && _seekable && IsContainer(old.get(), "mp3"))
        CopyIndex(old.get(), _format.get(), _index);
    if (_granules)
        _granules->Restart();
    _decoder = OpenDecoder(_format->streams[_index]);
    if (_decoder && _packets) {
        _decoder->pkt_timebase = AVRational{1, _rate}; // packets carry their places in samples
        _packets->Rewind(_cursor);
    }
    _packet.reset(av_packet_alloc());
    _frame.reset(av_frame_alloc());
    return _decoder && _packet && _frame;
}

void SoundTrack::_Append(const uint8_t* in, int samples) {
    if (samples <= 0)
        return;
    const std::size_t values = std::size_t(samples) * _form.channels;
    if (_NativeForm()) {
        _queue.Append(in, values * 2);
        return;
    }
    _converted.resize(values * (_form.bits / 8));
    uint8_t* out = _converted.data();
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
    _queue.Append(out, _converted.size());
}

void SoundTrack::_Convert(const uint8_t** in, int count) {
    const AVSampleFormat outFormat = _form.bits == 8    ? AV_SAMPLE_FMT_U8
                                     : _form.bits == 16 ? AV_SAMPLE_FMT_S16
                                                        : AV_SAMPLE_FMT_S32;
    const int outBytes = av_get_bytes_per_sample(outFormat) * _form.channels;
    for (;;) {
        const int room = swr_get_out_samples(_resampler.get(), count);
        if (room <= 0)
            return;
        // Samples in the resampler's own form go straight into the queue where it has the room.
        const std::size_t bytes = std::size_t(room) * outBytes;
        uint8_t* direct = _NativeForm() ? _queue.Tail(bytes) : nullptr;
        if (!direct)
            _scratch.resize(bytes);
        uint8_t* out[1] = {direct ? direct : _scratch.data()};
        const int made = swr_convert(_resampler.get(), out, room, in, count);
        if (made <= 0)
            return;
        if (direct)
            _queue.Commit(std::size_t(made) * outBytes);
        else
            _Append(_scratch.data(), made);
        if (in)
            return;
    }
}

bool SoundTrack::_Resampler(const AVFrame* frame) {
    if (_resampler && _inRate == frame->sample_rate && _inFormat == frame->format &&
        _inChannels == frame->ch_layout.nb_channels)
        return true;
    // A change of form mid-stream: finish the old resampler before starting a new one.
    if (_resampler)
        _Convert(nullptr, 0);
    const AVSampleFormat outFormat = _form.bits == 8    ? AV_SAMPLE_FMT_U8
                                     : _form.bits == 16 ? AV_SAMPLE_FMT_S16
                                                        : AV_SAMPLE_FMT_S32;
    AVChannelLayout in{}, out{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        DefaultLayout(in, frame->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &frame->ch_layout);
    DefaultLayout(out, _form.channels);
    SwrContext* made = nullptr;
    const int result =
        swr_alloc_set_opts2(&made, &out, outFormat, _form.rate, &in, AVSampleFormat(frame->format),
                            frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    _resampler.reset(made);
    if (result < 0 || !made || swr_init(made) < 0) {
        _resampler.reset();
        return false;
    }
    _inRate = frame->sample_rate;
    _inFormat = frame->format;
    _inChannels = frame->ch_layout.nb_channels;
    return true;
}

bool SoundTrack::_IsGap(int64_t gap, int64_t samples) const {
    // Times jitter by a little; a gap of half a frame or more is sound that did not decode (or
    // comes later than the movie's start). Places from an index are exact: every gap is one.
    return gap > (_packets ? 0 : std::max<int64_t>(samples / 2, _rate / 200));
}

void SoundTrack::_Fill(int64_t gap, int64_t samples) {
    // A gap is kept as silence so that what follows stays in time. Times that are not an
    // index's never put in more silence than the lead and the sound decoded so far.
    if (!_IsGap(gap, samples))
        return;
    const int64_t fill = _packets ? gap : std::min(gap, _lead + _decoded - _filled);
    if (av_rescale(fill, _lastRate, _rate) <= 0)
        return;
    // Before the place that a seek converts from, silence is placed only.
    int64_t left = av_rescale(_placed + fill - std::clamp(_feedFrom, _placed, _placed + fill),
                              _lastRate, _rate);
    if (left > 0 && !_counting && _resampler) {
        const AVSampleFormat format = AVSampleFormat(_lastFormat);
        uint8_t* planes[kMaxChannels] = {};
        int line = 0;
        const int size = av_samples_get_buffer_size(&line, _lastChannels, kSilenceChunk, format, 1);
        if (size <= 0)
            return;
        _silence.resize(std::size_t(size));
        av_samples_fill_arrays(planes, &line, _silence.data(), _lastChannels, kSilenceChunk, format,
                               1);
        av_samples_set_silence(planes, 0, kSilenceChunk, _lastChannels, format);
        for (; left > 0; left -= kSilenceChunk)
            _Convert(const_cast<const uint8_t**>(planes),
                     int(std::min<int64_t>(left, kSilenceChunk)));
    }
    _placed += fill;
    _filled += fill;
}

int64_t SoundTrack::_ToSamples(int64_t time) const {
    // An indexed sound's stamps are samples already, from the index's first.
    return _packets ? SamplesAt(time, -_indexLead, AVRational{1, _rate}, _rate)
                    : SamplesAt(time, _origin, _timeBase, _rate);
}

bool SoundTrack::_Produce() {
    if (_ended || !_format || !_decoder)
        return false;
    // An indexed sound's packets end where the index says; others where their times say.
    int64_t* end = _packets ? nullptr : &_packetEnd;
    // Samples stored as the resampler takes them need no decoder.
    const bool received =
        _raw ? ReceiveRawFrame(_format.get(), _index, _packet.get(), _frame.get(), end, _take)
             : ReceiveFrame(_format.get(), _decoder.get(), _index, _packet.get(), _frame.get(),
                            _draining, nullptr, end, _take);
    if (!received) {
        // A jump ahead that no time after it bears out was a lie.
        if (_heldSamples > 0 && !_PlaceHeld(false))
            return false;
        // Packets whose sound did not decode may end the stream too.
        if (_packetEnd != AV_NOPTS_VALUE && _origin != AV_NOPTS_VALUE && _lastRate > 0)
            if (const int64_t end = _ToSamples(_packetEnd); end != AV_NOPTS_VALUE)
                _Fill(end - _expected, _lastSamples);
        if (_resampler)
            _Convert(nullptr, 0);
        _ended = true;
        return false;
    }
    AVFrame* frame = _frame.get();
    if (frame->nb_samples <= 0 || frame->sample_rate <= 0 || frame->sample_rate > kMaxRate ||
        frame->ch_layout.nb_channels <= 0 || frame->ch_layout.nb_channels > kMaxChannels)
        return true; // nothing usable in this frame
    const int64_t samples = av_rescale(frame->nb_samples, _rate, frame->sample_rate);
    const int64_t pts = frame->best_effort_timestamp;
    bool timed = pts != AV_NOPTS_VALUE;
    if (_pageTimes) {
        // Only a page's first packet has an exact time, the granule of the page before; the
        // demuxer estimates the rest. Nor is the page a seek lands on known to start with one.
        timed = timed && frame->pkt_pos != _page && !(_anchor && _page == kNoPage);
        _page = frame->pkt_pos;
    }
    int64_t at = AV_NOPTS_VALUE;
    if (timed) {
        if (_origin == AV_NOPTS_VALUE && !_packets)
            _origin = pts;
        at = _ToSamples(pts);
        if (_anchor) {
            // The first frame after a seek: its time places the timeline, unless it is none
            // that a sound could have.
            if (at == AV_NOPTS_VALUE)
                return true;
            _anchor = false;
            _placed = _expected = _landed = at;
            _decoded = std::max<int64_t>(0, at - _lead);
            _filled = 0;
        }
    } else if (_anchor) {
        return true; // placed nowhere yet
    }
    if (_heldSamples > 0) {
        // This frame's time tells whether the one held jumped ahead over a loss (it follows the
        // held frame's time) or lied (it follows where the held frame belongs without one).
        const bool lost = at != AV_NOPTS_VALUE && std::llabs(at - (_heldAt + _heldSamples)) <
                                                      std::llabs(at - (_expected + _heldSamples));
        if (!_PlaceHeld(lost))
            return false;
    }
    // Times that are not exact may lie: a frame that jumps ahead waits for the next one to
    // tell, as silence put in could not be taken back.
    if (at != AV_NOPTS_VALUE && !_seekable && !_packets && _IsGap(at - _expected, samples)) {
        if (!_held)
            _held.reset(av_frame_alloc());
        if (!_held || av_frame_ref(_held.get(), frame) < 0)
            return _Place(frame, at, samples);
        _heldAt = at;
        _heldSamples = samples;
        return true;
    }
    return _Place(frame, at, samples);
}

bool SoundTrack::_PlaceHeld(bool lost) {
    const int64_t samples = _heldSamples;
    _heldSamples = 0;
    const bool placed = _Place(_held.get(), lost ? _heldAt : AV_NOPTS_VALUE, samples);
    av_frame_unref(_held.get());
    return placed;
}

bool SoundTrack::_Place(const AVFrame* frame, int64_t at, int64_t samples) {
    if (!_counting && !_Resampler(frame)) {
        _ended = true;
        return false;
    }
    _lastRate = frame->sample_rate;
    _lastFormat = frame->format;
    _lastChannels = frame->ch_layout.nb_channels;
    _lastSamples = samples;
    if (at != AV_NOPTS_VALUE) {
        // A gap is measured from where the last frame's own time says it ended: the decoder's
        // output runs on from there whatever its first time was.
        _Fill(at - _expected, samples);
        _expected = at;
    }
    _expected += samples;
    if (_kept)
        _Keep(frame, _placed);
    if (!_counting) {
        // After a seek, samples before the place wanted are decoded only to settle the decoder.
        _ConvertFrom(frame, std::clamp(_feedFrom, _placed, _placed + samples) - _placed);
        // Sound that seeks finds its place again by seeking; samples stored as they are stay
        // only in their packet.
        if (!_seekable && !_raw)
            _Remember(frame, _placed, samples);
    }
    _placed += samples;
    _decoded += samples;
    return true;
}

void SoundTrack::_TakeByTimes() {
    _take = {};
    if (_Restarts())
        _take = [this](AVPacket* packet) { return _Take(packet); };
}

Taken SoundTrack::_Take(AVPacket* packet) {
    if (_chain)
        return _chain->Take(packet);
    if (_granules)
        return _TakePage(packet);
    if (!_packets) {
        _timeline->Shift(packet, _timeBase, _part);
        return Taken::kTake;
    }
    const int64_t at = _packets->Take(packet, _cursor);
    if (_cursor.past)
        return Taken::kStop;
    if (_cursor.lost) {
        // Packets that the index does not hold: what it places cannot be trusted.
        _indexLost = _cursor.sought < 0;
        return Taken::kStop;
    }
    // Packets before the one a seek looks for, and those wholly before where it starts to
    // decode, are passed over.
    if (at < 0 || _cursor.place <= _takeFrom)
        return Taken::kPass;
    if (!_noiseAligned) {
        if (_cursor.noise > 0)
            return Taken::kPass;
        _noiseAligned = true;
    }
    _packetEnd = std::max(_packetEnd == AV_NOPTS_VALUE ? 0 : _packetEnd, _cursor.place);
    return Taken::kTake;
}

void SoundTrack::_ConvertFrom(const AVFrame* frame, int64_t skip) {
    if (skip <= 0) {
        _Convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        return;
    }
    const int64_t offset = av_rescale(skip, frame->sample_rate, _rate);
    if (offset >= frame->nb_samples)
        return;
    const auto [count, step] = LayoutOf(frame);
    const uint8_t* planes[kMaxChannels] = {};
    for (int c = 0; c < count; ++c)
        planes[c] = frame->extended_data[c] + offset * step;
    _Convert(planes, int(frame->nb_samples - offset));
}

void SoundTrack::_Finish() {
    _finished = true;
    // Decoding has reached the end: what it placed is the sound. A movie's does not end before
    // the length it stated at its opening: silence, given as it is read, stands in for what its
    // container counted.
    _sampleCount = _audioOnly ? _placed : std::max(_sampleCount, _placed);
    // The resampler's rounding may leave it a sample short of what decoded.
    const int64_t wanted = av_rescale_rnd(_placed, _form.rate, _rate, AV_ROUND_UP);
    const int64_t held = _Held();
    if (held < wanted)
        _queue.AppendZeros(std::size_t(wanted - held) * std::size_t(_FrameBytes()));
}

bool SoundTrack::RunsPastCount() const {
    return !_audioOnly && (_packets || (!_indexTried && _Indexable()));
}

bool SoundTrack::Read(int64_t first, int64_t end, const Place& place) {
    if (first < 0)
        return false;
    if ((RunsPastCount() ? end : std::min(end, OutputCount())) <= first)
        return true;
    bool fetched = _Fetch(first, end);
    if (_granulesLeft) {
        // Read again, placed by an index of the packets.
        _DropGranules();
        fetched = _Fetch(first, end);
    }
    if (_indexLost) {
        // Read again, placed by the packets' times, from the start.
        _DropIndex();
        fetched = _Fetch(first, end);
    }
    if (!fetched)
        return false;
    const int64_t held = _Held();
    if (!RunsPastCount() || _finished)
        end = std::min(end, OutputCount());
    if (!_finished)
        end = std::min(end, held);
    const std::size_t frameBytes = std::size_t(_FrameBytes());
    if (end > first) {
        const std::size_t bytes = std::size_t(end - first) * frameBytes;
        uint8_t* to = place(bytes);
        if (!to)
            return false;
        const std::size_t copied =
            held > first ? std::size_t(std::min(end, held) - first) * frameBytes : 0;
        if (copied > 0)
            _queue.CopyOut(std::size_t(first - _queueFirst) * frameBytes, copied, to);
        std::memset(to + copied, 0, bytes - copied); // past the sound's end, in a movie
    }
    // A second before the range's end stays for a request that starts a little earlier.
    _DropBefore(std::max(first, end - _form.rate));
    return true;
}

bool SoundTrack::_Fetch(int64_t first, int64_t end) {
    if (!RunsPastCount())
        end = std::min(end, OutputCount());
    if (!_Position(first))
        return false;
    _DropBefore(first);
    while (!_indexLost && !_granulesLeft && _Held() < end && _Produce())
        _DropBefore(first);
    if (_ended && !_finished && !_indexLost && !_granulesLeft)
        _Finish();
    return true;
}

int64_t SoundTrack::_Held() const {
    return _queueFirst + int64_t(_queue.Size() / std::size_t(_FrameBytes()));
}

void SoundTrack::_DropBefore(int64_t first) {
    const int64_t n = std::min(first, _Held()) - _queueFirst;
    if (n > 0) {
        _queue.DropFront(std::size_t(n) * std::size_t(_FrameBytes()));
        _queueFirst += n;
    }
}

} // namespace tbx::movie
