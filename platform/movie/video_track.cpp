#include "platform/movie/video_track.h"

#include <algorithm>
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "platform/movie/video_gate.h"

namespace tbx::movie {

namespace {

// Seeks, each reaching twice as far back as the one before, before reading from the start.
constexpr int kSeekAttempts = 6;
// Packets whose times FFmpeg's reader keeps to reckon those of the packets after them that have
// none: once as many have been read after a packet that brought its own, its estimates are those
// of a read in order.
constexpr int64_t kReaderTimes = 17;

} // namespace

std::unique_ptr<VideoTrack> VideoTrack::Open(const std::string& path,
                                             const AVFormatContext* probe) {
    std::unique_ptr<VideoTrack> track(new VideoTrack);
    track->_path = path;
    track->_known = DescribeFile(probe);
    track->_index = FindVideoStream(probe);
    if (track->_index < 0)
        return nullptr;
    AVStream* stream = probe->streams[track->_index];
    track->_timeBase = stream->time_base;
    track->_second = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, track->_timeBase));
    track->_codecId = stream->codecpar->codec_id;
    track->_codecTag = stream->codecpar->codec_tag;
    track->_still = IsStillPictureFormat(probe);
    track->_end = DeclaredEnd(probe, stream);
    // A stream without a stated end is a still where it holds one picture (a GIF of one frame);
    // else, cut short or never given its end, it ends with its last packet.
    if (!track->_still && track->_end == AV_NOPTS_VALUE &&
        !HoldsPackets(path, track->_known, track->_index, 2))
        track->_still = true;
    int32_t width = stream->codecpar->width;
    int32_t height = stream->codecpar->height;
    AVRational aspect =
        av_guess_sample_aspect_ratio(const_cast<AVFormatContext*>(probe), stream, nullptr);
    if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
        width = int32_t(std::clamp<int64_t>(av_rescale(width, aspect.num, aspect.den), 1, 32767));
    track->_orientation = frames::StreamOrientation(stream);
    if (track->_orientation.SwapsAxes())
        std::swap(width, height);
    track->_width = std::min(width, 32767);
    track->_height = std::min(height, 32767);

    // The first frame must decode: it is the answer for every time before it. Looking for it
    // ends after a bounded amount of work, as a file may hold any number of packets that the
    // gate refuses or that do not decode.
    if (!track->_Load())
        return nullptr;
    BoundFirstPicture(track->_format.get(), stream->codecpar->width, stream->codecpar->height);
    if (!track->_Decode(track->_current.get(), track->_currentPts))
        return nullptr;
    Unbound(track->_format.get());
    track->_haveCurrent = true;
    track->_firstPts = track->_currentPts;
    track->_startPts = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : track->_firstPts;
    track->_origin = track->_startPts;
    if (!track->_still) {
        const int64_t content = track->_CheckEnd();
        track->_timeline =
            Timeline::Find(path, track->_known, track->_format.get(), track->_index, content);
        track->_restarts = track->_timeline->Restarts();
        if (track->_restarts) {
            track->_end = track->_timeline->End();
            track->_endFromContent = true;
        }
    }
    track->_group = track->_LongestGroup();
    // A program stream's reader estimates the times of the pictures after a seek from the first
    // that it lands on, and misses by a field or more with B-pictures, until a packet brings its
    // own time once more.
    track->_timesSettle = IsContainer(probe, "mpeg");
    track->_gathersIndex = IsContainer(probe, "flv");
    track->_take = [t = track.get()](AVPacket* packet) { return t->_Take(packet); };
    // Pictures whose packets tell no end either (a raw stream without times) show the first.
    if (track->_end == AV_NOPTS_VALUE)
        track->_still = true;
    if (track->_still) {
        track->_format.reset(); // decoded once; nothing more to read
        track->_decoder.reset();
    }
    return track;
}

bool VideoTrack::_Load() {
    _settling = false; // read from the start: every time is the reader's own
    _flow = _landing = _lastStamp = AV_NOPTS_VALUE;
    _format = OpenMediaFile(_path, &_known);
    if (!_format || FindVideoStream(_format.get()) != _index)
        return false;
    _decoder = OpenDecoder(_format->streams[_index]);
    if (!_decoder)
        return false;
    if (!_packet)
        _packet.reset(av_packet_alloc());
    if (!_current)
        _current.reset(av_frame_alloc());
    if (!_next)
        _next.reset(av_frame_alloc());
    _draining = false;
    return _packet && _current && _next;
}

int64_t VideoTrack::_CheckEnd() {
    const int64_t content = ContentEnd(_format.get(), _index, _end);
    _haveNext = false;
    _lost = true;
    // An index that is out by less than this is taken at its word. An end that the stream does
    // not state is the file's, reckoned from the earliest stream's first time, which may lie;
    // one that the reader estimated from the times of the last packets it found leaves out the
    // last picture's time, or more.
    const AVStream* stream = _format->streams[_index];
    const int64_t tolerance = stream->duration != AV_NOPTS_VALUE && stream->duration > 0 &&
                                      _format->duration_estimation_method != AVFMT_DURATION_FROM_PTS
                                  ? _second
                                  : 0;
    if (content != AV_NOPTS_VALUE &&
        (_end == AV_NOPTS_VALUE || content > _end + tolerance || content < _end - tolerance)) {
        _end = content;
        _endFromContent = true;
    }
    // An index that lists pictures past the end of a file cut short: they are not there to show.
    if (const int64_t held = HeldEnd(_format.get(), _index);
        held != AV_NOPTS_VALUE && (_end == AV_NOPTS_VALUE || held < _end)) {
        _end = held;
        _endFromContent = true;
    }
    return content;
}

void VideoTrack::SetOrigin(const StreamTime& origin) {
    _origin = av_rescale_q(origin.value, origin.base, _timeBase);
}

int64_t VideoTrack::Duration(int32_t scale) const {
    if (_still || _end == AV_NOPTS_VALUE || _end <= _origin || scale <= 0)
        return 0;
    return av_rescale_rnd(_end - _origin, int64_t(_timeBase.num) * scale, _timeBase.den,
                          AV_ROUND_UP);
}

Taken VideoTrack::_Take(AVPacket* packet) {
    if (_restarts)
        _timeline->Shift(packet, _timeBase, _part);
    _Unlie(packet);
    if (_timed < 2)
        _timed += packet->pos >= 0 && packet->pts != AV_NOPTS_VALUE;
    else
        ++_settled;
    return Taken::kTake;
}

bool VideoTrack::_IndexGapAt(int64_t time, int64_t longer) const {
    AVStream* stream = _format->streams[_index];
    const int count = avformat_index_get_entries_count(stream);
    const int before = av_index_search_timestamp(stream, time, AVSEEK_FLAG_BACKWARD);
    return before >= 0 && before + 1 < count &&
           avformat_index_get_entry(stream, before + 1)->timestamp -
                   avformat_index_get_entry(stream, before)->timestamp >
               longer;
}

int64_t VideoTrack::_LongestGroup() const {
    AVStream* stream = _format->streams[_index];
    int64_t longest = -1, last = AV_NOPTS_VALUE;
    for (int i = 0, count = avformat_index_get_entries_count(stream); i < count; ++i)
        if (const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
            entry && (entry->flags & AVINDEX_KEYFRAME)) {
            if (last != AV_NOPTS_VALUE)
                longest = std::max(longest, entry->timestamp - last);
            last = entry->timestamp;
        }
    // Without an index, as long as encoders make them.
    return longest < 0 ? kRestartSeconds * _second : longest + _second / 2;
}

void VideoTrack::_Sought(int64_t target) {
    _settling = _timesSettle;
    _timed = 0;
    _settled = 0;
    _flow = _lastStamp = AV_NOPTS_VALUE;
    _landing = target;
}

void VideoTrack::_Unlie(AVPacket* packet) {
    const int64_t time = PacketTime(packet);
    if (time == AV_NOPTS_VALUE)
        return;
    if (_flow != AV_NOPTS_VALUE && std::llabs(time - _flow) > kFarHours * 3600 * _second) {
        packet->pts = packet->dts = AV_NOPTS_VALUE;
        return;
    }
    std::optional<Moved> moved;
    if (_moved && packet->pos >= 0) {
        if (_flow != AV_NOPTS_VALUE) {
            if (std::llabs(time - _flow) > _second)
                moved = _moved(packet->pos, time, _timeBase, true);
        } else if (_landing != AV_NOPTS_VALUE) {
            // A seek lands on a key picture at or before where it was sent, the longest group of
            // pictures that the container's index lists before at most.
            moved = _moved(packet->pos, time, _timeBase, false);
            if (!moved && (time > _landing + _second / 2 || time < _landing - _group))
                moved = _moved(packet->pos, time, _timeBase, true);
        }
    }
    if (moved) {
        if (packet->pts != AV_NOPTS_VALUE)
            packet->pts -= moved->by;
        if (packet->dts != AV_NOPTS_VALUE)
            packet->dts -= moved->by;
    }
    _flow = std::max(_flow == AV_NOPTS_VALUE ? INT64_MIN : _flow, PacketTime(packet));
}

bool VideoTrack::_Decode(AVFrame* frame, int64_t& pts) {
    if (!_format || !_decoder)
        return false;
    // After a seek, pictures whose times the reader estimated are decoded and passed over: those
    // decoded once a packet has brought its own time again, and the reader has read as many
    // packets after it as it reckons estimates from, have the times that a read in order gives
    // them.
    do {
        av_frame_unref(frame);
        if (!ReceiveFrame(_format.get(), _decoder.get(), _index, _packet.get(), frame, _draining,
                          &_reorder, nullptr, _take))
            return false;
        // A frame without a time follows the one decoded before it, by as long as that lasts.
        int64_t stamp = frame->best_effort_timestamp;
        if (stamp == AV_NOPTS_VALUE && _lastStamp != AV_NOPTS_VALUE)
            stamp = _lastStamp + _lastDuration;
        _lastStamp = stamp;
        _lastDuration = std::max<int64_t>(1, frame->pkt_duration);
        if (_settling && _timed >= 2 && _settled > kReaderTimes)
            _settling = false;
    } while (_settling);
    // One before any time (after a seek to a place in the file, a demuxer has none to count on
    // from until a packet brings one).
    pts = _lastStamp != AV_NOPTS_VALUE ? _lastStamp : _startPts;
    return true;
}

bool VideoTrack::_Advance(int64_t target) {
    for (;;) {
        if (!_haveNext) {
            if (!_Decode(_next.get(), _nextPts))
                return _haveCurrent; // the end: the last frame stays
            _haveNext = true;
        }
        if (_nextPts > target)
            return true;
        std::swap(_current, _next);
        _currentPts = _nextPts;
        _haveCurrent = true;
        _haveNext = false;
    }
}

bool VideoTrack::_SeekTo(int64_t target) {
    if (!_format || !_decoder)
        return _Restart(target);
    if (_restarts)
        return _SeekToKey(target);
    // An FLV file has no index of key pictures but what its reader gathers as it reads: after
    // the look at its end, a seek between those and the ones read near the start would land on
    // the last of these and decode on from there. A fresh reader seeks by reading on, without
    // decoding, to where it is sent.
    if (_gathersIndex && _IndexGapAt(target - _reorder, kRestartSeconds * _second) && !_Load())
        return _Restart(target);
    // Index times may be decoding times, which run ahead of display times by up to _reorder:
    // a key frame found this way is shown at or before the target.
    int64_t back = target - _reorder;
    int64_t step = _second;
    for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
        const int64_t at = std::max(back, _firstPts);
        _haveCurrent = _haveNext = false;
        if (av_seek_frame(_format.get(), _index, at, AVSEEK_FLAG_BACKWARD) < 0)
            break;
        _Sought(target);
        avcodec_flush_buffers(_decoder.get());
        _draining = false;
        _lost = false;
        const bool decoded = _Decode(_current.get(), _currentPts);
        if (decoded && _currentPts <= target) {
            _haveCurrent = true;
            return _Advance(target);
        }
        if (at <= _firstPts)
            break;
        // The demuxer landed after the time (or on nothing): go further back.
        back = std::min(at, decoded ? _currentPts : at) - step;
        step *= 2;
    }
    return _Restart(target);
}

bool VideoTrack::_SeekToKey(int64_t target) {
    // The times of the parts repeat one another: a key picture is found by its place in the file.
    const Timeline::Key* key = _timeline->KeyBefore(target);
    for (int attempt = 0; key && attempt < kSeekAttempts;
         ++attempt, key = _timeline->Previous(key)) {
        _haveCurrent = _haveNext = false;
        if (av_seek_frame(_format.get(), _index, key->pos, AVSEEK_FLAG_BYTE) < 0)
            break;
        _Sought(AV_NOPTS_VALUE);
        avcodec_flush_buffers(_decoder.get());
        _draining = false;
        _lost = false;
        if (_Decode(_current.get(), _currentPts) && _currentPts <= target) {
            _haveCurrent = true;
            return _Advance(target);
        }
    }
    return _Restart(target);
}

bool VideoTrack::_Restart(int64_t target) {
    // Read again from the start of the file, where the first frame comes first.
    _haveCurrent = _haveNext = false;
    if (!_Load() || !_Decode(_current.get(), _currentPts))
        return false;
    _lost = false;
    _haveCurrent = true;
    return _Advance(target);
}

bool VideoTrack::_Position(int64_t target) {
    if (_still)
        return _haveCurrent;
    target = std::max(target, _firstPts);
    if (!_format || !_decoder || _lost || !_haveCurrent || target < _currentPts)
        return _SeekTo(target);
    if (_haveNext && target < _nextPts)
        return true;
    // A key frame shown after the frames reached and at or before the time: seeking to it is
    // cheaper than decoding up to it. Index times may be decoding times, hence _reorder.
    const int64_t reached = _haveNext ? _nextPts : _currentPts;
    if (_restarts) {
        // Where key pictures come often, a second of decoding costs less than a seek.
        const Timeline::Key* key = _timeline->KeyBefore(target);
        return key && key->time > reached + _second ? _SeekTo(target) : _Advance(target);
    }
    AVStream* stream = _format->streams[_index];
    const AVIndexEntry* key =
        avformat_index_get_entry_from_timestamp(stream, target - _reorder, AVSEEK_FLAG_BACKWARD);
    if (key && (key->flags & AVINDEX_KEYFRAME) && key->timestamp > reached)
        return _SeekTo(target);
    return _Advance(target);
}

bool VideoTrack::Render(int64_t time, int32_t scale, FramePixels pixels, uint8_t* target,
                        std::size_t targetBytes, int32_t rowBytes, int32_t width, int32_t height) {
    if (!target || width <= 0 || height <= 0 || scale <= 0 || time < 0)
        return false;
    const int64_t stamp = _origin + av_rescale_rnd(time, _timeBase.den,
                                                   int64_t(_timeBase.num) * scale, AV_ROUND_DOWN);
    if (!_Position(stamp) || !_haveCurrent)
        return false;
    return _scaler.Scale(_current.get(), _orientation, pixels, target, targetBytes, rowBytes, width,
                         height);
}

int64_t VideoTrack::CountSamples() const {
    if (_still)
        return 1;
    FormatPtr format = OpenMediaFile(_path, &_known);
    PacketPtr packet(av_packet_alloc());
    if (!format || !packet)
        return 0;
    int64_t count = 0;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        count += packet->stream_index == _index;
        av_packet_unref(packet.get());
    }
    return count;
}

double VideoTrack::AverageFrameRate() const {
    if (_still || !_format)
        return 0.0;
    const AVStream* stream = _format->streams[_index];
    // A frame count from the same header as a wrong duration is no better than it.
    const int64_t span = _end - _startPts;
    if (!_endFromContent && stream->nb_frames > 0 && span > 0)
        return double(stream->nb_frames) * _timeBase.den / (double(span) * _timeBase.num);
    if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
        return av_q2d(stream->avg_frame_rate);
    return 0.0;
}

void VideoTrack::Describe(ImageDescription& description) const {
    description = ImageDescription{};
    description.width = int16_t(_width);
    description.height = int16_t(_height);
    const AVFrame* frame = _current.get();
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    description.depth = 24;
    if (pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA))
        description.depth = 32;
    else if (pixels && pixels->nb_components == 1 && !(pixels->flags & AV_PIX_FMT_FLAG_PAL))
        description.depth = int16_t(32 + pixels->comp[0].depth);
    std::string name;
    if (const AVCodecDescriptor* codec = avcodec_descriptor_get(_codecId))
        name = codec->long_name ? codec->long_name : codec->name;
    // "H.264 / AVC / ..." and "PNG (Portable ...)" read as "H.264" and "PNG".
    for (const char* cut : {" / ", " ("})
        if (std::size_t at = name.find(cut); at != std::string::npos)
            name.resize(at);
    name.resize(std::min<std::size_t>(name.size(), 31));
    description.name[0] = uint8_t(name.size());
    std::memcpy(description.name + 1, name.data(), name.size());
    description.cType = __builtin_bswap32(_codecTag); // FFmpeg keeps tags low byte first
}

} // namespace tbx::movie
