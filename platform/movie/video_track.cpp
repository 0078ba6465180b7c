#include "platform/movie/video_track.h"

#include <algorithm>
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace tbx::movie {

std::unique_ptr<VideoTrack> VideoTrack::Open(const std::string& path) {
    std::unique_ptr<VideoTrack> track(new VideoTrack);
    track->_path = path;
    if (!track->_Load())
        return nullptr;
    const AVStream* stream = track->_format->streams[track->_index];
    track->_timeBase = stream->time_base;
    track->_codecId = stream->codecpar->codec_id;
    track->_codecTag = stream->codecpar->codec_tag;
    track->_start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    track->_still = IsStillPictureFormat(track->_format.get());
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        track->_durationValue = stream->duration;
        track->_durationBase = stream->time_base;
    } else if (track->_format->duration != AV_NOPTS_VALUE && track->_format->duration > 0) {
        track->_durationValue = track->_format->duration;
        track->_durationBase = AVRational{1, AV_TIME_BASE};
    } else {
        // A single-frame GIF has no duration: it is a still picture.
        track->_still = true;
    }
    int32_t width = stream->codecpar->width;
    int32_t height = stream->codecpar->height;
    AVRational aspect = av_guess_sample_aspect_ratio(
        track->_format.get(), track->_format->streams[track->_index], nullptr);
    if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
        width = int32_t(std::clamp<int64_t>(av_rescale(width, aspect.num, aspect.den), 1, 32767));
    track->_width = std::min(width, 32767);
    track->_height = std::min(height, 32767);

    // The first frame must decode: it is the answer for every time before it.
    if (!track->_Decode(track->_current.get(), track->_currentPts))
        return nullptr;
    track->_haveCurrent = true;
    track->_firstPts = track->_currentPts;
    if (track->_still) {
        track->_format.reset(); // decoded once; nothing more to read
        track->_decoder.reset();
    }
    return track;
}

bool VideoTrack::_Load() {
    _format = OpenMediaFile(_path);
    if (!_format)
        return false;
    _index = FindVideoStream(_format.get());
    if (_index < 0)
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

int64_t VideoTrack::Duration(int32_t scale) const {
    if (_still || _durationValue <= 0 || scale <= 0)
        return 0;
    return av_rescale_rnd(_durationValue, int64_t(_durationBase.num) * scale, _durationBase.den,
                          AV_ROUND_UP);
}

bool VideoTrack::_Decode(AVFrame* frame, int64_t& pts) {
    if (!_format || !_decoder)
        return false;
    av_frame_unref(frame);
    if (!ReceiveFrame(_format.get(), _decoder.get(), _index, _packet.get(), frame, _draining))
        return false;
    int64_t stamp = frame->best_effort_timestamp;
    if (stamp == AV_NOPTS_VALUE)
        stamp = _haveCurrent ? _currentPts + 1 : _start;
    pts = stamp;
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
    const int64_t second = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, _timeBase));
    int64_t back = target;
    int64_t step = second;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const bool toStart = attempt == 7 || back <= _firstPts;
        _haveCurrent = _haveNext = false;
        if (av_seek_frame(_format.get(), _index, toStart ? _firstPts : back, AVSEEK_FLAG_BACKWARD) <
            0) {
            // Unseekable: read again from the start.
            if (!_Load())
                return false;
        } else {
            avcodec_flush_buffers(_decoder.get());
            _draining = false;
        }
        if (_Decode(_current.get(), _currentPts) &&
            (toStart || _currentPts <= target || _currentPts <= _firstPts)) {
            _haveCurrent = true;
            return _Advance(target);
        }
        // The demuxer landed after the time (or on nothing): go further back.
        back = std::min(back, _haveCurrent ? _currentPts : back) - step;
        step *= 2;
    }
    return false;
}

bool VideoTrack::_Position(int64_t target) {
    if (_still)
        return _haveCurrent;
    target = std::max(target, _firstPts);
    if (_haveCurrent && target >= _currentPts) {
        if (_haveNext && target < _nextPts)
            return true;
        // A key frame between here and the time: seeking is cheaper than decoding up to it.
        AVStream* stream = _format->streams[_index];
        const AVIndexEntry* key =
            avformat_index_get_entry_from_timestamp(stream, target, AVSEEK_FLAG_BACKWARD);
        const int64_t reached = _haveNext ? _nextPts : _currentPts;
        if (key && (key->flags & AVINDEX_KEYFRAME) && key->timestamp > reached)
            return _SeekTo(target);
        return _Advance(target);
    }
    return _SeekTo(target);
}

bool VideoTrack::Render(int64_t time, int32_t scale, FramePixels pixels, uint8_t* target,
                        int32_t rowBytes, int32_t width, int32_t height) {
    if (!target || width <= 0 || height <= 0 || scale <= 0 || time < 0)
        return false;
    const int64_t stamp =
        _start + av_rescale_rnd(time, _timeBase.den, int64_t(_timeBase.num) * scale, AV_ROUND_DOWN);
    if (!_Position(stamp) || !_haveCurrent)
        return false;
    const AVFrame* frame = _current.get();
    const AVPixelFormat format = pixels == FramePixels::Argb32 ? AV_PIX_FMT_ARGB : AV_PIX_FMT_RGB24;
    _scaler.reset(sws_getCachedContext(_scaler.release(), frame->width, frame->height,
                                       AVPixelFormat(frame->format), width, height, format,
                                       SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!_scaler)
        return false;
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    // The scaler's vector paths write whole groups of pixels, past the end of a row whose
    // width is no multiple of 16: such rows go through a padded buffer of our own.
    const bool direct = width % 16 == 0;
    const int32_t stride = direct ? rowBytes : (width + 32) * bytes;
    if (!direct)
        _padded.resize(std::size_t(stride) * (height + 1));
    uint8_t* planes[4] = {direct ? target : _padded.data(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    if (sws_scale(_scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) !=
        height)
        return false;
    if (!direct)
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(target + std::size_t(y) * rowBytes,
                        _padded.data() + std::size_t(y) * stride, std::size_t(width) * bytes);
    return true;
}

int64_t VideoTrack::CountSamples() const {
    if (_still)
        return 1;
    FormatPtr format = OpenMediaFile(_path);
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
    if (stream->nb_frames > 0 && _durationValue > 0)
        return double(stream->nb_frames) * _durationBase.den /
               (double(_durationValue) * _durationBase.num);
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
