#include "platform/movie/sound_index.h"

#include <algorithm>
#include <cstdlib>

#include "platform/movie/sound_times.h"

namespace tbx::movie {

namespace {

// Packets decoded at each end to check the index: the first ones may deliver less than their
// headers say (a decoder's delay, a first block that only primes the next), the rest must not.
constexpr int64_t kChecked = 48;
constexpr int64_t kPriming = 8;

// A checkpoint every so many packets, twice as many apart whenever they reach the most kept,
// so that an index of any number of packets holds some tens of megabytes at most.
constexpr int64_t kFirstStride = 16;
constexpr std::size_t kMostCheckpoints = std::size_t(1) << 19;
// A stream of more losses than these is no stream to count: the index is given up.
constexpr std::size_t kMostLosses = std::size_t(1) << 16;
// Packets that the pass reads on at a time when a reader needs more.
constexpr int64_t kBatch = 256;
// Packets read after a seek while looking for the checkpoint's before the seek counts as failed
// (reading past its place in the file fails it sooner): a movie's container may seek to
// pictures many seconds apart.
constexpr int64_t kSearch = int64_t(1) << 16;
// The packets held while times that left the base may yet come back are at most so many.
constexpr std::size_t kMostUnplaced = std::size_t(1) << 15;

uint32_t Hash(const AVPacket* packet) {
    uint32_t hash = 2166136261u;
    for (int i = 0; i < packet->size; ++i)
        hash = (hash ^ packet->data[i]) * 16777619u;
    return hash;
}

// The samples of the frames that the decoder gives now; `adjust`, when given, receives how far
// the first frame's time lies from `at`.
int64_t Receive(AVCodecContext* decoder, AVFrame* frame, int64_t at = 0,
                int64_t* adjust = nullptr) {
    int64_t samples = 0;
    while (avcodec_receive_frame(decoder, frame) == 0) {
        if (adjust && samples == 0 && frame->best_effort_timestamp != AV_NOPTS_VALUE)
            *adjust = frame->best_effort_timestamp - at;
        samples += frame->nb_samples;
    }
    return samples;
}

} // namespace

SoundIndex::~SoundIndex() = default;

std::unique_ptr<SoundIndex> SoundIndex::Start(FormatPtr pass, int stream,
                                              std::shared_ptr<const Timeline> timeline) {
    return _Start(std::move(pass), stream, false, std::move(timeline));
}

std::unique_ptr<SoundIndex> SoundIndex::_Start(FormatPtr pass, int stream, bool listed,
                                               std::shared_ptr<const Timeline> timeline) {
    if (!pass || stream < 0 || stream >= int(pass->nb_streams))
        return nullptr;
    AVFormatContext* format = pass.get();
    const AVStream* sound = format->streams[stream];
    std::unique_ptr<SoundIndex> index(new SoundIndex);
    index->_parameters.reset(avcodec_parameters_alloc());
    if (!index->_parameters ||
        avcodec_parameters_copy(index->_parameters.get(), sound->codecpar) < 0)
        return nullptr;
    index->_stream = stream;
    index->_rate = sound->codecpar->sample_rate;
    index->_timeBase = sound->time_base;
    // A seek to a place in the file reads least (ASF without an index seeks a time by a search
    // through its packets); Matroska's reader finds no block from a byte between them.
    index->_byBytes =
        !IsContainer(format, "matroska") && !(format->iformat->flags & AVFMT_NO_BYTE_SEEK);
    index->_stride = kFirstStride;
    index->_listed = listed;
    index->_farStep = (format->iformat->flags & AVFMT_TS_DISCONT && !timeline ? kRestartSeconds
                                                                              : kFarHours * 3600) *
                      int64_t(index->_rate);
    index->_restartable = format->iformat->flags & AVFMT_TS_DISCONT;
    index->_timeline = std::move(timeline);
    index->_packet.reset(av_packet_alloc());
    index->_samplesOf = std::make_unique<PacketSamples>(index->_parameters.get());
    CodecPtr decoder = OpenDecoder(sound);
    FramePtr frame(av_frame_alloc());
    PacketPtr stamped(av_packet_alloc());
    if (index->_rate <= 0 || !index->_packet || !decoder || !frame || !stamped)
        return nullptr;
    decoder->pkt_timebase = AVRational{1, index->_rate};
    index->_pass = std::move(pass);
    // The pass reads the sound alone: a demuxer then passes over the other streams' packets.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (int(i) != stream)
            format->streams[i]->discard = AVDISCARD_ALL;

    // The first packets, decoded: they may deliver less than they say (a decoder's delay, a
    // block that only primes the next); the rest must deliver what they say.
    std::vector<PacketPtr> first;
    AVPacket* packet = index->_packet.get();
    while (int64_t(first.size()) < kChecked && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream) {
            index->_Follow(packet);
            first.emplace_back(av_packet_alloc());
            if (!first.back())
                return nullptr;
            av_packet_move_ref(first.back().get(), packet);
        }
        av_packet_unref(packet);
    }
    if (first.empty())
        return nullptr;
    const bool whole = int64_t(first.size()) < kChecked;
    std::vector<int64_t> raw, told, alone, got, steps;
    int64_t at = 0;
    for (const PacketPtr& p : first) {
        const int64_t samples = (*index->_samplesOf)(p.get());
        if (samples < 0)
            return nullptr;
        const int64_t skip = Trimmed(p.get()).first;
        raw.push_back(samples);
        told.push_back(index->_Delivered(p.get(), samples));
        alone.push_back(_Alone(p.get(), samples));
        steps.push_back(index->_samplesOf->NoiseSteps(p.get()));
        if (av_packet_ref(stamped.get(), p.get()) < 0)
            return nullptr;
        stamped->pts = stamped->dts = at - skip;
        int64_t adjust = 0;
        // A packet refused delivers nothing.
        const int64_t samplesGot = avcodec_send_packet(decoder.get(), stamped.get()) >= 0
                                       ? Receive(decoder.get(), frame.get(), at, &adjust)
                                       : 0;
        av_packet_unref(stamped.get());
        got.push_back(samplesGot);
        index->_adjust.push_back(adjust);
        at += samplesGot;
    }
    if (whole) {
        avcodec_send_packet(decoder.get(), nullptr);
        index->_drained = Receive(decoder.get(), frame.get());
    }
    int64_t settled = int64_t(got.size());
    while (settled > 0 && got[settled - 1] == told[settled - 1])
        --settled;
    if (!whole && settled > kPriming)
        return nullptr;
    for (std::size_t i = std::size_t(settled); i < index->_adjust.size(); ++i)
        if (index->_adjust[i] != 0 && got[i] > 0)
            return nullptr; // the decoder moves every frame's time
    index->_adjust.resize(std::size_t(settled));
    for (int64_t i = 0; i < int64_t(got.size()); ++i) {
        told[i] = got[i];
        if (got[i] != alone[i])
            index->_told.emplace_back(i, got[i]);
    }
    index->_firstOwnTime = PacketTime(first.front().get());
    const Opening opening = OpeningTime(first, raw, index->_timeBase, index->_rate);
    index->_firstTime = opening.time;
    index->_firstTimeExact = opening.exact;
    index->_firstSkip = Trimmed(first.front().get()).first;
    index->_firstSamples = got.front();
    // Packets that deliver nothing though nothing marks them to skip only prime the decoder.
    for (std::size_t i = 0; i < got.size() && got[i] == 0 && Trimmed(first[i].get()).first == 0 &&
                            !(first[i]->flags & AV_PKT_FLAG_DISCARD);
         ++i)
        index->_firstPriming += raw[i];
    // The times are weighed from where the first ones that bear each other out put the first
    // packet: one whose own time lies, ahead or behind, lied alone.
    index->_base = index->_firstBase = SamplesAt(opening.time, 0, index->_timeBase, index->_rate);
    for (std::size_t i = 0; i < first.size(); ++i)
        index->_Add(first[i].get(), raw[i], told[i], steps[i]);
    if (whole)
        index->_Finish();
    return index;
}

void SoundIndex::_Follow(AVPacket* packet) {
    if (_timeline)
        _timeline->Shift(packet, _timeBase, _part);
}

int64_t SoundIndex::_Delivered(const AVPacket* packet, int64_t raw) {
    const auto [skip, discard] = Trimmed(packet);
    return _Delivered(raw, skip, discard, packet->flags & AV_PKT_FLAG_DISCARD);
}

int64_t SoundIndex::_Delivered(int64_t raw, int64_t skip, int64_t discard, bool dropped) {
    if (skip > 0)
        _skipLeft = skip;
    if (dropped) {
        _skipLeft = std::max<int64_t>(0, _skipLeft - raw);
        return 0;
    }
    const int64_t skipped = std::min(_skipLeft, raw);
    _skipLeft -= skipped;
    return std::max<int64_t>(0, raw - skipped - discard);
}

int64_t SoundIndex::_Alone(const AVPacket* packet, int64_t raw) {
    const auto [skip, discard] = Trimmed(packet);
    return packet->flags & AV_PKT_FLAG_DISCARD ? 0 : std::max<int64_t>(0, raw - skip - discard);
}

void SoundIndex::_Add(const AVPacket* packet, int64_t raw, int64_t told, int64_t noiseSteps) {
    Unplaced unplaced;
    unplaced.ordinal = _count++;
    unplaced.told = told;
    unplaced.noiseSteps = noiseSteps;
    unplaced.counted = _counted;
    Checkpoint& mark = unplaced.mark;
    _origin.Follow(packet);
    if (_origin.order == 0) {
        _places[0] = _places[1];
        _places[1] = _places[2];
        _places[2] = _origin.from;
    }
    mark.from = _origin.from;
    mark.order = _origin.order;
    // Reading finds a unit's packets whole from two units before it: a parser may give a packet
    // the place of the unit after the one it starts in.
    mark.seekPos = _places[0];
    if (unplaced.ordinal % _stride == 0) {
        mark.size = packet->size;
        mark.hashed = true;
        mark.hash = Hash(packet);
    }
    mark.told = int32_t(std::min<int64_t>(told, INT32_MAX));
    _longest = std::max(_longest, raw);
    _oneSize = _oneSize < 0 || _oneSize == raw ? raw : 0;
    _counted += raw;
    unplaced.time = SamplesAt(PacketTime(packet), 0, _timeBase, _rate);
    _unplaced.push_back(unplaced);
    // A table's times are its packets' places: they neither lie nor tell of sound missing.
    if (unplaced.time != AV_NOPTS_VALUE && !_listed)
        _Weigh(unplaced.time - unplaced.counted, unplaced.ordinal, _origin.order == 0);
    if (_runFrom >= 0) {
        _stepSamples += raw;
        if (_stepSamples >= kSettleSeconds * _rate || _unplaced.size() > kMostUnplaced)
            _Settle();
    }
    _PlaceBefore(_runFrom >= 0 ? _runFrom : _count);
}

void SoundIndex::_Weigh(int64_t deviation, int64_t ordinal, bool unit) {
    // More than two of the longest packets: more than any rounding of the times accounts for.
    const int64_t slack = 2 * _longest + av_rescale_q(2, _timeBase, AVRational{1, _rate});
    // The base follows the times while they keep to it, as a clock that drifts from the samples'
    // does.
    if (_base == AV_NOPTS_VALUE || std::abs(deviation - _base) <= slack) {
        if (_runFrom >= 0)
            _Lied();
        _base = deviation;
        _runFrom = -1; // back where counting puts it: the times that left lied
        return;
    }
    if (_runFrom >= 0) {
        if (std::abs(deviation - _step) <= slack) {
            _step = deviation;
            _stepTimes += unit;
            return;
        }
        // The times step on rather than back: the step before stood.
        _Settle();
        if (std::abs(deviation - _base) <= slack) {
            _base = deviation;
            return;
        }
    }
    if (_runFrom < 0)
        _runFrom = ordinal;
    _stepFrom = ordinal;
    _stepFirst = _step = deviation;
    _stepTimes = 1;
    _stepSamples = 0;
}

void SoundIndex::_Lied() {
    // The held packets begin with the run's first; the last is the one that came back.
    if (_unplaced.size() < 2 || _lies.size() >= kMostLosses)
        return;
    _lies.push_back(Run{_unplaced.front().mark.from, _unplaced.back().mark.from,
                        (_moves.empty() ? 0 : _moves.back().second) + _step - _base});
}

void SoundIndex::_Settle() {
    _PlaceBefore(_stepFrom);
    // A step ahead is sound missing; a step back loses nothing; a step of hours is damage, and
    // where times may restart, a step further than a restart's is one. Where every packet holds
    // one number of samples and the step is some number of them to within the rounding of the
    // times (two ticks, or two milliseconds), whole packets are missing.
    int64_t step = _stepFirst - _base;
    const int64_t whole = _oneSize > 0 ? (step + _oneSize / 2) / _oneSize * _oneSize : step;
    if (std::abs(whole - step) <= TimesRounding(_timeBase, _rate))
        step = whole;
    if (step > 0 && step <= _farStep) {
        _lost.emplace_back(_stepFrom, step);
        if (_lost.size() > kMostLosses)
            _failed = true;
    } else if (!_unplaced.empty() && _moves.size() < kMostLosses) {
        // Counted on across the step: the times from there on stand that much further from their
        // places.
        _moves.emplace_back(_unplaced.front().mark.from,
                            (_moves.empty() ? 0 : _moves.back().second) + _step - _base);
        // Times that went back a second or more for good where they may restart did restart,
        // though the movie's timeline did not see it: from there on a step ahead further than a
        // restart's is one too, as ffmpeg takes it, rather than sound lost.
        if (_restartable && step < -_rate)
            _farStep = std::min<int64_t>(_farStep, kRestartSeconds * _rate);
    }
    _base = _step;
    _runFrom = -1;
}

void SoundIndex::_PlaceBefore(int64_t ordinal) {
    while (!_unplaced.empty() && _unplaced.front().ordinal < ordinal) {
        _Place(_unplaced.front());
        _unplaced.pop_front();
    }
}

void SoundIndex::_Place(Unplaced& unplaced) {
    int64_t place = _end;
    if (!_lost.empty() && _lost.back().first == unplaced.ordinal)
        place += _lost.back().second;
    Checkpoint& mark = unplaced.mark;
    mark.sample = place;
    _end = place + unplaced.told;
    if (unplaced.ordinal % _stride == 0) {
        mark.noise = int32_t(_noise);
        // A container that seeks by time is sent to where counting puts the packet, or to its own
        // time where that is earlier: a seek that lands after the time of a packet passes it over.
        // Counting from where the times began goes back before every step they took since: the
        // container's own index of times may not have taken them (a cluster's time that lies).
        if (_listed && unplaced.time != AV_NOPTS_VALUE) {
            mark.seekTime =
                av_rescale_q(unplaced.time - 2 * _longest, AVRational{1, _rate}, _timeBase);
        } else if (_base != AV_NOPTS_VALUE) {
            const int64_t slack = 2 * _longest;
            if (_firstBase == AV_NOPTS_VALUE)
                _firstBase = _base;
            int64_t at = unplaced.counted + std::min(_base, _firstBase) - slack;
            if (unplaced.time != AV_NOPTS_VALUE)
                at = std::min(at, unplaced.time);
            mark.seekTime = av_rescale_q(at, AVRational{1, _rate}, _timeBase);
        }
        _checkpoints.push_back(mark);
        if (_checkpoints.size() >= kMostCheckpoints)
            KeepEveryOther(_checkpoints, _stride);
    }
    _noise = _noise < 0 || unplaced.noiseSteps < 0
                 ? -1
                 : (_noise + unplaced.noiseSteps) % PacketSamples::kNoiseSteps;
    _settled = unplaced.ordinal + 1;
    _settledFrom = std::max(_settledFrom, mark.from);
}

void SoundIndex::_Finish() {
    // Times that left the base and never came back stand where more than one unit's bears the
    // step out; a last unit's time alone lied, and the times that a reader gives the other
    // packets of a unit only count on from it.
    if (_runFrom >= 0 && _stepTimes > 1)
        _Settle();
    _runFrom = -1;
    _PlaceBefore(_count);
    _complete = true;
    _pass.reset();
    _packet.reset();
}

bool SoundIndex::_Step() {
    AVPacket* packet = _packet.get();
    for (;;) {
        if (av_read_frame(_pass.get(), packet) < 0) {
            _Finish();
            return false;
        }
        if (packet->stream_index == _stream)
            break;
        av_packet_unref(packet);
    }
    _Follow(packet);
    const int64_t raw = (*_samplesOf)(packet);
    if (raw < 0) {
        _failed = true;
    } else {
        const int64_t told = _Delivered(packet, raw);
        if (told != _Alone(packet, raw))
            _told.emplace_back(_count, told);
        _Add(packet, raw, told, _samplesOf->NoiseSteps(packet));
    }
    av_packet_unref(packet);
    return !_failed;
}

bool SoundIndex::ReachPacket(int64_t packet) {
    while (!_complete && !_failed && _settled <= packet)
        for (int64_t i = 0; i < kBatch && _Step(); ++i) {
        }
    return !_failed;
}

std::optional<Moved> SoundIndex::MovedAt(int64_t pos, int64_t time, bool read) {
    auto after = [&] {
        return std::upper_bound(_checkpoints.begin(), _checkpoints.end(), pos,
                                [](int64_t p, const Checkpoint& c) { return p < c.from; });
    };
    if (!read && !_complete && (_settledFrom <= pos || after() == _checkpoints.end()))
        return std::nullopt;
    while (!_complete && !_failed && (_settledFrom <= pos || after() == _checkpoints.end()))
        for (int64_t i = 0; i < kBatch && _Step(); ++i) {
        }
    if (_failed || _firstBase == AV_NOPTS_VALUE)
        return std::nullopt;
    // Where the sound read from a place in the file is placed, and how far its times stand from
    // there.
    auto at = [&](const Checkpoint& mark) {
        Moved moved{0, mark.sample + _firstBase};
        auto run = std::upper_bound(_lies.begin(), _lies.end(), mark.from,
                                    [](int64_t p, const Run& r) { return p < r.from; });
        auto step = std::upper_bound(
            _moves.begin(), _moves.end(), mark.from,
            [](int64_t p, const std::pair<int64_t, int64_t>& m) { return p < m.first; });
        if (run != _lies.begin() && mark.from < (run - 1)->to)
            moved.by = (run - 1)->by;
        else if (step != _moves.begin())
            moved.by = (step - 1)->second;
        return moved;
    };
    // The sound read just before the place, or just after it where the place begins a part
    // whose first sound packet follows its first pictures. Before the first there is none: the
    // index before it wraps past the end.
    const std::size_t next = std::size_t(after() - _checkpoints.begin());
    for (const std::size_t mark : {next - 1, next})
        if (mark < _checkpoints.size())
            if (const Moved moved = at(_checkpoints[mark]); moved.Holds(time))
                return moved;
    return std::nullopt;
}

bool SoundIndex::ReachSample(int64_t sample) {
    while (!_complete && !_failed && _end <= sample)
        for (int64_t i = 0; i < kBatch && _Step(); ++i) {
        }
    return !_failed;
}

bool SoundIndex::CheckEnd(const std::string& path, const KnownFile& known) {
    if (!_complete)
        return false;
    // The first check decoded every packet; a table sizes every packet that the file holds whole
    // (of AAC, whose decoder gives nothing more when drained).
    if (_count <= kChecked || _listed)
        return true;
    FormatPtr format = OpenMediaFile(path, &known);
    CodecPtr decoder = format && FindSoundStream(format.get()) == _stream
                           ? OpenDecoder(format->streams[_stream])
                           : nullptr;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    const int64_t from = _count - kChecked;
    Cursor cursor;
    if (!decoder || !packet || !frame ||
        !_SeekPacket(format.get(), from / _stride * _stride, cursor))
        return false;
    decoder->pkt_timebase = AVRational{1, _rate};
    int64_t next = from;
    for (; av_read_frame(format.get(), packet.get()) >= 0; av_packet_unref(packet.get())) {
        if (packet->stream_index != _stream)
            continue;
        const int64_t at = Take(packet.get(), cursor);
        if (cursor.lost || (at >= from && at != next))
            return false;
        if (at < from)
            continue;
        ++next;
        const int64_t got = avcodec_send_packet(decoder.get(), packet.get()) >= 0
                                ? Receive(decoder.get(), frame.get())
                                : 0;
        if (at < from + kPriming || got == cursor.told)
            continue;
        // Only the last packet may deliver less: a file cut short ends in a part of one.
        if (at != _count - 1 || got > cursor.told)
            return false;
        if (!_told.empty() && _told.back().first == at)
            _told.back().second = got;
        else
            _told.emplace_back(at, got);
        _end -= cursor.told - got;
        if (at % _stride == 0 && at / _stride < int64_t(_checkpoints.size()))
            _checkpoints[std::size_t(at / _stride)].told = int32_t(got);
    }
    if (next != _count)
        return false;
    avcodec_send_packet(decoder.get(), nullptr);
    _drained = Receive(decoder.get(), frame.get());
    return true;
}

void SoundIndex::Rewind(Cursor& cursor) const {
    cursor = Cursor{};
    cursor.samples = std::make_unique<PacketSamples>(_parameters.get());
}

bool SoundIndex::Seek(AVFormatContext* format, int64_t sample, Cursor& cursor) const {
    auto after = std::upper_bound(_checkpoints.begin(), _checkpoints.end(), sample,
                                  [](int64_t s, const Checkpoint& c) { return s < c.sample; });
    const int64_t i = after == _checkpoints.begin() ? 0 : int64_t(after - _checkpoints.begin()) - 1;
    return _SeekPacket(format, i * _stride, cursor);
}

bool SoundIndex::_SeekPacket(AVFormatContext* format, int64_t packet, Cursor& cursor) const {
    const Checkpoint* mark = _CheckpointOf(packet);
    if (!mark)
        return false;
    cursor.sought = packet;
    cursor.searched = 0;
    cursor.lost = false;
    cursor.past = false;
    cursor.origin = Origin{};
    // A packet before the first with a place is counted from the start.
    if (mark->from < 0)
        return movie::Rewind(format, _stream);
    if (_byBytes && mark->seekPos >= 0)
        return av_seek_frame(format, _stream, mark->seekPos, AVSEEK_FLAG_BYTE) >= 0;
    // By time through the index of the file's main stream: a container may index only a
    // movie's pictures, and seeking a stream without one reads through the file.
    if (!_byBytes && mark->seekTime != AV_NOPTS_VALUE)
        return av_seek_frame(format, -1, av_rescale_q(mark->seekTime, _timeBase, AV_TIME_BASE_Q),
                             AVSEEK_FLAG_BACKWARD) >= 0;
    return movie::Rewind(format, _stream);
}

const SoundIndex::Checkpoint* SoundIndex::_CheckpointOf(int64_t packet) const {
    if (packet < 0 || packet % _stride != 0 || packet / _stride >= int64_t(_checkpoints.size()))
        return nullptr;
    return &_checkpoints[std::size_t(packet / _stride)];
}

bool SoundIndex::_Matches(const Checkpoint& mark, const AVPacket* packet, const Origin& origin) {
    return origin.from == mark.from && origin.order == mark.order && packet->size == mark.size &&
           (!mark.hashed || Hash(packet) == mark.hash);
}

int64_t SoundIndex::_Told(int64_t packet) const {
    auto found = std::lower_bound(
        _told.begin(), _told.end(), packet,
        [](const std::pair<int64_t, int64_t>& told, int64_t p) { return told.first < p; });
    return found != _told.end() && found->first == packet ? found->second : -1;
}

int64_t SoundIndex::_LostBefore(int64_t packet) const {
    auto found = std::lower_bound(
        _lost.begin(), _lost.end(), packet,
        [](const std::pair<int64_t, int64_t>& lost, int64_t p) { return lost.first < p; });
    return found != _lost.end() && found->first == packet ? found->second : 0;
}

int64_t SoundIndex::_Adjust(int64_t packet) const {
    return packet < int64_t(_adjust.size()) ? _adjust[std::size_t(packet)] : 0;
}

int64_t SoundIndex::Take(AVPacket* packet, Cursor& cursor) {
    if (cursor.lost)
        return -1;
    int64_t at = 0, place = 0, told = 0, noise = 0;
    const auto [skip, discard] = Trimmed(packet);
    if (cursor.sought >= 0) {
        // After a seek: packets before the checkpoint's are passed over, until reading has gone
        // beyond where it lies.
        const Checkpoint* mark = _CheckpointOf(cursor.sought);
        cursor.origin.Follow(packet);
        if (!mark || !_Matches(*mark, packet, cursor.origin)) {
            const Origin& origin = cursor.origin;
            if (!mark || ++cursor.searched > kSearch ||
                (origin.from >= 0 && origin.from > mark->from) ||
                (origin.from == mark->from && origin.order >= mark->order))
                cursor.lost = true;
            return -1;
        }
        at = cursor.sought;
        cursor.sought = -1;
        // Parsers that count a packet from the one before it start with this one.
        cursor.samples = std::make_unique<PacketSamples>(_parameters.get());
        (*cursor.samples)(packet);
        place = mark->sample;
        told = mark->told;
        noise = mark->noise;
    } else {
        at = cursor.next;
        if (!_complete && !ReachPacket(at)) {
            cursor.lost = true;
            return -1;
        }
        // A table leaves out what the file does not hold whole: the sound ends before it.
        if (_complete && at >= _count && _listed) {
            cursor.past = true;
            return -1;
        }
        const Checkpoint* mark = _CheckpointOf(at);
        const int64_t raw = at < _count ? (*cursor.samples)(packet) : -1;
        cursor.origin.Follow(packet);
        if (raw < 0 || (mark && !_Matches(*mark, packet, cursor.origin))) {
            cursor.lost = true;
            return -1;
        }
        const int64_t found = _Told(at);
        told = found >= 0 ? found : _Alone(packet, raw);
        place = cursor.place + _LostBefore(at);
        noise = cursor.nextNoise;
    }
    packet->pts = packet->dts = place - skip - _Adjust(at);
    packet->duration = told + skip + discard;
    const int64_t steps = cursor.samples->NoiseSteps(packet);
    cursor.noise = noise;
    cursor.nextNoise = noise < 0 || steps < 0 ? -1 : (noise + steps) % PacketSamples::kNoiseSteps;
    cursor.next = at + 1;
    cursor.place = place + told;
    cursor.told = told;
    return at;
}

} // namespace tbx::movie
