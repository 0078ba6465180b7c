#include "platform/movie/movie.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

#include "platform/movie/picture_file.h"
#include "platform/movie/sound_track.h"
#include "platform/movie/video_track.h"

namespace tbx {

namespace {

// A still picture lasts one second of movie time.
constexpr int64_t kStillSeconds = 1;

// Streams that start further apart than this are taken to start together: no real file holds
// a minute of silence before its sound or of the first frame before its picture.
constexpr int64_t kMaxStreamOffsetSeconds = 60;

int64_t NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TimeValue Clamp32(int64_t value) {
    return TimeValue(std::clamp<int64_t>(value, 0, INT32_MAX));
}

// floor(time × rate / scale) without overflow for any 32-bit time and rate.
int64_t SampleAt(int64_t time, int32_t rate, int32_t scale) {
    const __int128 product = __int128(time) * rate;
    __int128 quotient = product / scale;
    if (product % scale != 0 && product < 0)
        --quotient;
    return int64_t(quotient);
}

} // namespace

Movie::~Movie() = default;

std::unique_ptr<Movie> Movie::Open(const std::string& path) {
    std::unique_ptr<Movie> movie(new Movie);
    movie->_path = path;
    // Picture files that FFmpeg does not read go through the picture decoder.
    if (DecodedPicture picture; movie::ReadPictureFile(path, picture)) {
        const Rect& frame = picture.frame;
        movie->_video =
            movie::VideoTrack::FromPixels(frame.right - frame.left, frame.bottom - frame.top,
                                          picture.pixels.data(), FourCC("PICT"));
        return movie->_video ? std::move(movie) : nullptr;
    }
    // One full opening describes the file; each track then reads through a context of its own.
    movie::FormatPtr probe = movie::OpenMediaFile(path);
    if (!probe)
        return nullptr;
    if (movie::FindVideoStream(probe.get()) >= 0)
        movie->_video = movie::VideoTrack::Open(path, probe.get());
    // A still picture has no sound worth a decoder. A movie's sound follows the timeline that
    // its picture found.
    if (!movie->_video || !movie->_video->IsStill())
        movie->_sound = movie::SoundTrack::Open(path, std::move(probe),
                                                movie->_video ? movie->_video->Parts() : nullptr);
    if (!movie->_video && !movie->_sound)
        return nullptr;
    if (movie->_video && movie->_sound)
        movie->_video->SetMoved(
            [sound = movie->_sound.get()](int64_t pos, int64_t time, AVRational base, bool read) {
                return sound->MovedAt(pos, time, base, read);
            });
    if (movie->_video && movie->_sound && movie->_sound->Start()) {
        // One timeline from the earlier start.
        const movie::StreamTime video = movie->_video->Start();
        const movie::StreamTime sound = *movie->_sound->Start();
        const movie::StreamTime& origin =
            av_compare_ts(video.value, video.base, sound.value, sound.base) <= 0 ? video : sound;
        const movie::StreamTime& later = &origin == &video ? sound : video;
        const int64_t apart = av_rescale_q(later.value, later.base, AVRational{1, 1}) -
                              av_rescale_q(origin.value, origin.base, AVRational{1, 1});
        if (apart <= kMaxStreamOffsetSeconds) {
            movie->_video->SetOrigin(origin);
            movie->_sound->SetOrigin(origin);
        }
    }
    return movie;
}

int64_t Movie::_Now() const {
    return _clock ? _clock() : NowMicros();
}

int64_t Movie::_Elapsed() const {
    return _playing ? SampleAt(_Now() - _playStartMicros, _scale, 1000000) : 0;
}

void Movie::SetClock(std::function<int64_t()> clock) {
    // The time that playing has run so far belongs to the old clock.
    _timeValue += _Elapsed();
    _clock = std::move(clock);
    if (_playing)
        _playStartMicros = _Now();
}

void Movie::SetTimeScale(TimeScale scale) {
    if (scale <= 0 || scale == _scale)
        return;
    // The time that playing has run so far belongs to the old scale.
    _timeValue = SampleAt(_timeValue + _Elapsed(), scale, _scale);
    if (_playing)
        _playStartMicros = _Now();
    _scale = scale;
}

int64_t Movie::_Duration64() const {
    int64_t duration = 0;
    if (_video)
        duration = _video->IsStill() ? kStillSeconds * _scale : _video->Duration(_scale);
    if (_sound)
        duration = std::max(duration, _sound->Duration(_scale));
    return duration;
}

TimeValue Movie::GetDuration() const {
    return Clamp32(_Duration64());
}

TimeValue Movie::GetTime() const {
    return Clamp32(_timeValue + _Elapsed());
}

void Movie::SetTime(TimeValue time) {
    _timeValue = std::max<TimeValue>(time, 0);
    if (_playing)
        _playStartMicros = _Now();
}

void Movie::Start() {
    if (_playing)
        return;
    _playing = true;
    _playStartMicros = _Now();
}

void Movie::Stop() {
    if (!_playing)
        return;
    _timeValue = GetTime();
    _playing = false;
}

bool Movie::IsDone() const {
    const int64_t duration = _Duration64();
    return GetTime() >= duration;
}

bool Movie::IsPlaying() const {
    return _playing && !IsDone();
}

bool Movie::IsStill() const {
    return _video && _video->IsStill();
}

void Movie::GetNaturalSize(int32_t& width, int32_t& height) const {
    width = _video ? _video->Width() : 0;
    height = _video ? _video->Height() : 0;
}

bool Movie::RenderFrame(TimeValue time, FramePixels pixels, uint8_t* target,
                        std::size_t targetBytes, int32_t rowBytes, int32_t width, int32_t height) {
    const int32_t bytes = pixels == FramePixels::Argb32 ? 4 : 3;
    if (!_video || !target || width <= 0 || height <= 0 ||
        int64_t(rowBytes) < int64_t(width) * bytes ||
        targetBytes < std::size_t(height - 1) * std::size_t(rowBytes) + std::size_t(width) * bytes)
        return false;
    return _video->Render(std::max<TimeValue>(time, 0), _scale, pixels, target, targetBytes,
                          rowBytes, width, height);
}

bool Movie::GetImageDescription(ImageDescription& description) const {
    if (!_video)
        return false;
    _video->Describe(description);
    return true;
}

bool Movie::GetSoundDescription(SoundDescription& description) const {
    if (!_sound)
        return false;
    _sound->Describe(description);
    return true;
}

double Movie::AverageFrameRate() const {
    return _video ? _video->AverageFrameRate() : 0.0;
}

int64_t Movie::CountVideoSamples() const {
    return _video ? _video->CountSamples() : 0;
}

bool Movie::SetPcmForm(const PcmForm& form) {
    return _sound && _sound->SetForm(form);
}

int64_t Movie::_PcmEnd() {
    const int64_t sound = _sound->OutputCount();
    return _video ? std::max(sound, SampleAt(_video->Duration(_scale), _sound->Form().rate, _scale))
                  : sound;
}

bool Movie::ReadPcm(TimeValue start, TimeValue length, const PcmPlace& place) {
    if (!_sound || start < 0 || length < 0)
        return false;
    const PcmForm& form = _sound->Form();
    const int64_t first = SampleAt(start, form.rate, _scale);
    const int64_t end = SampleAt(int64_t(start) + length, form.rate, _scale);
    const std::size_t frameBytes = std::size_t(form.channels) * std::size_t(form.bits / 8);
    // The range runs to the movie's end, in silence past the sound's. Its length is taken once
    // the read has settled where the sound ends.
    auto wanted = [&] {
        return std::size_t(std::max<int64_t>(0, std::min(end, _PcmEnd()) - first)) * frameBytes;
    };
    bool placed = false;
    auto padded = [&](std::size_t bytes) -> uint8_t* {
        placed = true;
        const std::size_t total = std::max(bytes, wanted());
        uint8_t* to = place(total);
        if (to)
            std::memset(to + bytes, 0, total - bytes);
        return to;
    };
    // A sound that reads on past its count reads no further than the movie's end as it stands,
    // so that every read of it ends in one place, wherever its last times put its count.
    if (!_sound->Read(first, _sound->RunsPastCount() ? std::min(end, _PcmEnd()) : end, padded))
        return false;
    if (placed)
        return true;
    const std::size_t silence = wanted();
    if (silence == 0)
        return true;
    uint8_t* to = place(silence);
    if (to)
        std::memset(to, 0, silence);
    return to != nullptr;
}

bool Movie::ReadPcm(TimeValue start, TimeValue length, std::vector<uint8_t>& out) {
    return ReadPcm(start, length, [&out](std::size_t bytes) {
        const std::size_t old = out.size();
        out.resize(old + bytes);
        return out.data() + old;
    });
}

} // namespace tbx
