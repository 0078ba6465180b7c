// Where decoding finds its place: seeks with a pre-roll, and a new form of output made from the
// frames decoded last.
#include "platform/movie/sound_track.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <numeric>

namespace tbx::movie {

namespace {

// The resampler's filter taps at the source rate when it does not shrink the band.
constexpr int64_t kResamplerTaps = 32;

// Tries at a seek, each with a pre-roll four times the last.
constexpr int kSeekTries = 3;

} // namespace

double SoundTrack::_PrerollSeconds() const {
    switch (_codecId) {
    case AV_CODEC_ID_MP1:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
        return 1; // the bit reservoir and the filter bank's overlap span a few frames
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3:
        return 0.1; // a frame's overlap
    case AV_CODEC_ID_VORBIS:
        return std::max(1.0, 16384.0 / _rate); // two of the longest blocks
    case AV_CODEC_ID_OPUS:
        return 2; // its state fades rather than ends
    case AV_CODEC_ID_AAC:
        return 0.25; // a frame settles it, but for the noise that some bands are coded as
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
        return 0.25;
    case AV_CODEC_ID_FLAC:
    case AV_CODEC_ID_ALAC:
        return 0; // each packet decodes on its own
    default:
        return IsPcm(_codecId) ? 0 : -1;
    }
}

void SoundTrack::_SeekWith(double seconds) {
    _seekable = true;
    _preroll = int64_t(seconds * _rate);
    // Opus's pre-roll holds only where two agree. Streams of more channels never settle to a
    // whole decoding's samples, so they take the longer pre-roll alone.
    _settles = _codecId == AV_CODEC_ID_OPUS && _channels <= 2;
}

void SoundTrack::_ChooseSeeking() {
    const AVFormatContext* format = _probe.get();
    const bool ogg = IsContainer(format, "ogg"), mov = IsContainer(format, "mov");
    const bool pcm = IsPcm(_codecId);
    const bool lossless = pcm || _codecId == AV_CODEC_ID_FLAC || _codecId == AV_CODEC_ID_ALAC;
    // Containers whose packets' times count their samples exactly.
    bool exact = false;
    if (IsContainer(format, "mp3"))
        exact = _codecId == AV_CODEC_ID_MP3 || _codecId == AV_CODEC_ID_MP2 ||
                _codecId == AV_CODEC_ID_MP1;
    else if (ogg)
        exact = _codecId == AV_CODEC_ID_VORBIS || _codecId == AV_CODEC_ID_OPUS || lossless;
    else if (mov) // AAC is placed by the count of its sample tables; ALAC's do not size it
        exact = lossless;
    else if (IsContainer(format, "caf") || IsContainer(format, "flac"))
        exact = lossless;
    else
        exact = pcm && (IsContainer(format, "wav") || IsContainer(format, "w64") ||
                        IsContainer(format, "aiff") || IsContainer(format, "au"));
    const double seconds = exact ? _PrerollSeconds() : -1;
    if (seconds < 0)
        return; // other containers seek by an index of their packets, where one is built
    _SeekWith(seconds);
    if (ogg) {
        _lastPage = 0;
        const AVStream* stream = format->streams[_index];
        _granules = std::make_unique<GranuleCheck>(stream->codecpar, stream->time_base, _index);
        _take = [this](AVPacket* packet) { return _Take(packet); };
    }
    // Sound files that state no start begin their packets' times at 0.
    if (_start == AV_NOPTS_VALUE && _audioOnly)
        _start = _origin = 0;
}

bool SoundTrack::_Indexable() const {
    const AVInputFormat* container = _known.container;
    if (_seekable || !container || _PrerollSeconds() < 0)
        return false;
    // An MP4 file's sample tables size AAC's packets.
    if (IsContainer(container, "mov"))
        return _codecId == AV_CODEC_ID_AAC;
    for (const char* name :
         {"matroska", "asf", "avi", "mpeg", "mpegts", "ac3", "eac3", "aac", "flv", "ogg"})
        if (IsContainer(container, name))
            return true;
    return false;
}

bool SoundTrack::_UseIndex() {
    _indexTried = true;
    if (_audioOnly) {
        // The pass reads the context opened first to its end; declined, decoding reads from a
        // context at the start.
        FormatPtr pass = _probe ? std::move(_probe) : OpenMediaFile(_path, &_known);
        _packets = _StartIndex(std::move(pass));
        if (!_packets || !_packets->ReachSample(INT64_MAX) || !_packets->CheckEnd(_path, _known)) {
            _packets.reset();
            _probe = OpenMediaFile(_path, &_known);
            return false;
        }
        _start = _origin = 0;
        _indexLead = 0;
    } else {
        _packets = _StartIndex(OpenMediaFile(_path, &_known));
        if (!_packets)
            return false;
        // The stream starts where its first times that bear each other out put it.
        const int64_t own = _packets->FirstOwnTime(), opening = _packets->FirstTime();
        if (_start != AV_NOPTS_VALUE && own != AV_NOPTS_VALUE && opening != AV_NOPTS_VALUE &&
            own != opening && std::llabs(opening - own) < INT64_MAX / 4 &&
            std::llabs(_start) < INT64_MAX / 4) {
            _start += opening - own;
            SetOrigin(StreamTime{_origin, _timeBase});
        }
        _PlaceIndex();
    }
    _take = [this](AVPacket* packet) { return _Take(packet); };
    _SeekWith(_PrerollSeconds());
    return true;
}

std::unique_ptr<SoundIndex> SoundTrack::_StartIndex(FormatPtr pass) const {
    // An MP4 file lists every packet in its sample tables: no pass need read them.
    return IsContainer(_known.container, "mov")
               ? SoundIndex::FromTable(std::move(pass), _index)
               : SoundIndex::Start(std::move(pass), _index, _timeline);
}

void SoundTrack::_DropGranules() {
    _granules.reset();
    _granulesLeft = false;
    _seekable = false;
    _lastPage = -1;
    _TakeByTimes();
    _stale = true;
    _sampleCount = -1;
    _UseIndex();
}

bool SoundTrack::_SeekPage(int64_t at) {
    // A granule is taken for a place where the stretch before it, as long as any lie may run,
    // agrees with the count: the seek reads that stretch's pages, without decoding them, unless
    // reading found it agrees already, and goes on from the page before the place.
    const AVRational perSample{1, _rate};
    const int64_t own = SamplesAt(_origin, 0, _timeBase, _rate) + at;
    const int64_t settle = SoundIndex::kSettleSeconds * _rate;
    _takeFrom = own;
    AVFormatContext* format = _format.get();
    if (_granules->Agrees(own - settle, own) || !format->pb) {
        _granules->Restart();
        return av_seek_frame(format, _index, _origin + av_rescale_q(at, perSample, _timeBase),
                             AVSEEK_FLAG_BACKWARD) >= 0;
    }
    // A little before the stretch: the page that the seek lands in is not weighed.
    const int64_t before = at - settle - 2 * _rate;
    int64_t restart = 0;
    if (av_seek_frame(format, _index, _origin + av_rescale_q(before, perSample, _timeBase),
                      AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    if (!_granules->WeighPages(format->pb, own, own, restart)) {
        _granulesLeft = true;
        return false;
    }
    _granules->Restart();
    return av_seek_frame(format, _index, restart, AVSEEK_FLAG_BYTE) >= 0;
}

Taken SoundTrack::_TakePage(AVPacket* packet) {
    if (!_granules->Weigh(packet)) {
        _granulesLeft = true;
        return Taken::kStop;
    }
    // After a seek that reads a stretch before its pre-roll only to weigh it, the packets of that
    // stretch are not decoded.
    const int64_t end = _granules->End();
    return end != AV_NOPTS_VALUE && end <= _takeFrom ? Taken::kPass : Taken::kTake;
}

void SoundTrack::_PlaceIndex() {
    // The first frame lies where placing by times puts it: at its time, but for jitter, and
    // after no more silence than the stream's lead. WMA's decoder holds two packets back, which
    // it gives nothing for: their time passes before its first sample.
    _indexLead = 0;
    const int64_t priming = _codecId == AV_CODEC_ID_WMAV1 || _codecId == AV_CODEC_ID_WMAV2
                                ? _packets->FirstPriming()
                                : 0;
    if (const int64_t first = SamplesAt(_packets->FirstTime(), _origin, _timeBase, _rate);
        first != AV_NOPTS_VALUE) {
        const int64_t at = first + _packets->FirstSkip() + priming;
        const int64_t jitter = std::max<int64_t>(_packets->FirstSamples() / 2, _rate / 200);
        _indexLead = at > jitter ? std::min(at, _lead + priming) : 0;
    }
}

void SoundTrack::_DropIndex() {
    _packets.reset();
    _TakeByTimes();
    _indexLost = false;
    _seekable = false;
    _stale = true;
    _sampleCount = -1; // counted again without it
}

void SoundTrack::_Remember(const AVFrame* frame, int64_t at, int64_t samples) {
    // The queue's second of look-back, with room for the resampler's lead-in.
    const int64_t keep = _rate * 3 / 2;
    while (!_history.empty() &&
           _history.front().at + _history.front().samples < at + samples - keep) {
        av_frame_unref(_history.front().frame.get());
        _spare = std::move(_history.front().frame);
        _history.pop_front();
    }
    FramePtr held = _spare ? std::move(_spare) : FramePtr(av_frame_alloc());
    if (!held || av_frame_ref(held.get(), frame) < 0) {
        _history.clear();
        return;
    }
    _history.push_back(Decoded{std::move(held), at, samples});
}

void SoundTrack::_Keep(const AVFrame* frame, int64_t at) {
    const int64_t first = std::clamp(_keepFrom, at, at + frame->nb_samples) - at;
    const int64_t end = std::clamp(_keepTo, at, at + frame->nb_samples) - at;
    if (first >= end)
        return;
    const auto [planes, step] = LayoutOf(frame);
    for (int c = 0; c < planes; ++c)
        _kept->insert(_kept->end(), frame->extended_data[c] + first * step,
                      frame->extended_data[c] + end * step);
}

int64_t SoundTrack::_ResamplingFrom(int64_t first) const {
    const int64_t in = _rate, out = _form.rate;
    const int64_t period = in / std::gcd(in, out);
    const int64_t history = in == out ? 0 : 2 * kResamplerTaps * (in / out + 1) + 64;
    const int64_t from = av_rescale_rnd(first, in, out, AV_ROUND_DOWN) - history;
    return from >= 0 ? from / period * period : -1;
}

bool SoundTrack::_Reform(int64_t first) {
    // Frames decoded after a seek hold the sound from where it started to convert.
    const int64_t from = _ResamplingFrom(first);
    if (from < 0 || _history.empty() || from < std::max(_history.front().at, _feedFrom) ||
        from >= _placed)
        return false;
    // The frames from there on must follow each other up to where decoding stands.
    auto start = _history.begin();
    while (start != _history.end() && start->at + start->samples <= from)
        ++start;
    if (start == _history.end())
        return false;
    for (auto it = start; it != _history.end(); ++it) {
        const auto next = std::next(it);
        if (it->frame->sample_rate != _rate ||
            it->at + it->samples != (next == _history.end() ? _placed : next->at))
            return false;
    }
    _queue.Clear();
    _resampler.reset();
    _inRate = 0;
    _inFormat = -1;
    _inChannels = 0;
    _queueFirst = av_rescale(from, _form.rate, _rate);
    for (auto it = start; it != _history.end(); ++it) {
        if (!_Resampler(it->frame.get()))
            return false;
        _ConvertFrom(it->frame.get(), std::max<int64_t>(0, from - it->at));
    }
    if (_ended) {
        // Decoding had reached the end: the new resampler gives its last samples too.
        _Convert(nullptr, 0);
        _finished = false;
    }
    return true;
}

void SoundTrack::_IndexMovie() {
    if (!_audioOnly && !_indexTried && _Indexable())
        _UseIndex();
}

bool SoundTrack::_Position(int64_t first) {
    _IndexMovie();
    // A new form of output starts again from the sound decoded last, where it reaches back far
    // enough; the decoder keeps its place.
    if (_reform && !_stale && !_Reform(first))
        _stale = true;
    _reform = false;
    const int64_t held = _queueFirst + int64_t(_queue.Size() / std::size_t(_FrameBytes()));
    const bool behind = first < _queueFirst;
    // Decoding on up to a place costs less than a seek's pre-roll while it is near.
    const int64_t cost = _preroll * (_settles ? 3 : 1) + _rate;
    const bool far = first > held && av_rescale(first, _rate, _form.rate) - _placed > cost;
    if (!_stale && !behind && !far)
        return true;
    if (_seekable) {
        const Seek seek = _Seek(first);
        if (seek == Seek::kDone || _granulesLeft)
            return true; // (a read then places the sound by an index)
        if (seek == Seek::kFailed)
            return _Restart();
    }
    return _stale || behind ? _Restart() : true;
}

SoundTrack::Seek SoundTrack::_Seek(int64_t first) {
    const int64_t from = _ResamplingFrom(first);
    if ((_origin == AV_NOPTS_VALUE && !_packets) || _lastPage == 0 ||
        from - 4 * _preroll - _rate <= _lead)
        return Seek::kNear;
    if (!_format && !_Restart())
        return Seek::kFailed;
    std::vector<uint8_t> early, late;
    for (int64_t preroll = _preroll, tries = 0; tries < kSeekTries; preroll *= 4, ++tries) {
        if (preroll > from - _lead)
            break;
        // Two decodings from places a pre-roll apart must give the same samples before the
        // place wanted: the decoder's state has then settled to the one a whole decoding has.
        // Both may land on one long page, which proves nothing.
        const int64_t keep = preroll / 2;
        if (_settles) {
            if (!_SeekTo(from, 2 * preroll, INT64_MAX, keep, &early))
                continue;
            const int64_t landed = _landed;
            if (!_SeekTo(from, preroll, from, keep, &late) || _landed == landed || early.empty() ||
                early != late)
                continue;
        }
        if (_granulesLeft)
            return Seek::kFailed;
        if (!_settles && !_SeekTo(from, preroll, from, 0, nullptr)) {
            if (_granulesLeft)
                return Seek::kFailed;
            preroll = std::max<int64_t>(preroll, _rate);
            continue;
        }
        _queueFirst = av_rescale(from, _form.rate, _rate);
        return Seek::kDone;
    }
    return Seek::kFailed;
}

bool SoundTrack::_SeekTo(int64_t from, int64_t preroll, int64_t feed, int64_t keep,
                         std::vector<uint8_t>* kept) {
    _Reset();
    _anchor = true;
    _feedFrom = feed;
    if (kept) {
        kept->clear();
        _kept = kept;
        _keepFrom = from - keep;
        _keepTo = from;
    }
    if (_packets) {
        // Decoding starts with the packet that holds the pre-roll's first sample; a decoder that
        // adds noise from its table starts afresh where a whole decoding's table stands at its
        // start, up to a cycle of the table before.
        _takeFrom = from - preroll - _indexLead;
        _noiseAligned = !_NoiseCarries();
        if (!_noiseAligned)
            _takeFrom -= 2 * PacketSamples::kNoiseSteps;
        if (!_packets->ReachSample(std::max<int64_t>(_takeFrom, 0))) {
            _indexLost = true;
            return false;
        }
        // A place past the sound's end (in a movie's silence after it) decodes its last
        // pre-roll, to find where it ends.
        if (_packets->Complete())
            _takeFrom = std::min(_takeFrom, _packets->Samples() - preroll);
        if (!_packets->Seek(_format.get(), _takeFrom, _cursor))
            return false;
    } else {
        const int64_t target =
            _origin + av_rescale_q(from - preroll, AVRational{1, _rate}, _timeBase);
        if (_chain      ? !_chain->Seek(_format, _index, target)
            : _granules ? !_SeekPage(from - preroll)
                        : av_seek_frame(_format.get(), _index, target, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
    }
    // A decoder made afresh: some keep what a flush leaves (a DVD's samples cut at the end of
    // the last packet, WMA's place in its noise table).
    _decoder = _chain ? _chain->OpenDecoder(_format->streams[_index]->time_base)
                      : OpenDecoder(_format->streams[_index]);
    if (!_decoder)
        return false;
    if (_packets)
        _decoder->pkt_timebase = AVRational{1, _rate};
    int64_t page = -1;
    while (_placed < from && _Produce())
        if (page < 0)
            page = _frame->pkt_pos;
    _kept = nullptr;
    // Sound that ends before the place wanted has found its end: silence follows.
    const bool ended = _ended && !_cursor.lost && !_indexLost && !_granulesLeft;
    if (_anchor || (_placed < from && !ended) || _lastRate != _rate) {
        if (!_anchor && _lastRate != _rate)
            _seekable = false; // the decoder's rate is not the stream's: times do not map
        return false;
    }
    // Half the pre-roll at least (a decoder may give nothing for its first packet), and not on
    // an Ogg stream's last page.
    return _landed <= from - preroll / 2 && (_lastPage < 0 || page < _lastPage);
}

} // namespace tbx::movie
