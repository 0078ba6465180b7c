#include "platform/movie/movie_playback.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/movie/sound_output.h"

namespace tbx {

namespace {

constexpr int64_t kMicros = 1000000;
// Sound written ahead of the clock: more than the longest wait between two tasks.
constexpr int64_t kLeadMicros = 200000;
// A difference between the movie's time and the sound's larger than this is a jump in the
// movie's time, and the sound starts again there.
constexpr int64_t kJumpMicros = 20000;

} // namespace

// The sound of the movie: a reader of its own (so that the movie's own PCM form and place are
// left alone), kept while the playback lives, and the device with the stream written to it,
// kept while the movie plays.
struct MoviePlayback::Sound {
    PcmForm form; // the device's: the track's own
    int frameBytes = 0;
    std::unique_ptr<Movie> reader; // one time unit per sample
    // The reader's samples to a second of the movie: the track's rate over the playing rate,
    // so that the device, taking them at the track's rate, plays them that much faster.
    int32_t rate = 0;
    int64_t samples = 0;
    std::unique_ptr<movie::SoundOutput> output;
    bool streaming = false;
    int64_t first = 0;         // the sample that the stream began with
    int64_t written = 0;       // samples the device has taken since
    int64_t streamClock = 0;   // the clock when the stream began
    bool buffered = false;     // the device held sound not yet heard when last asked
    std::vector<uint8_t> held; // read, not yet taken by the device
};

MoviePlayback::MoviePlayback(Movie& movie, Clock clock)
    : _movie(&movie), _alive(movie.Lifetime()), _clock(std::move(clock)) {
    _anchorBase = _BaseMicros();
    _anchorClock = _last = _anchorBase;
    movie.SetClock([this] { return _Now(); });
}

MoviePlayback::~MoviePlayback() {
    _Silence();
    if (Movie* movie = GetMovie())
        movie->SetClock({});
}

Movie* MoviePlayback::GetMovie() const {
    return _alive.expired() ? nullptr : _movie;
}

int64_t MoviePlayback::_BaseMicros() const {
    return _clock ? std::llround(_clock() * double(kMicros)) : 0;
}

void MoviePlayback::_Anchor(int64_t base, int64_t clock) {
    _anchorBase = base;
    _anchorClock = clock;
}

int64_t MoviePlayback::_Now() {
    const int64_t base = _BaseMicros();
    int64_t now = _anchorClock + std::llround(double(base - _anchorBase) * _rate);
    if (_sound && _sound->output && _sound->streaming) {
        Sound& sound = *_sound;
        const int64_t pending = sound.output->Pending();
        // A device that held sound and now holds none has played all it was given.
        if (pending > 0 || sound.buffered) {
            now = sound.streamClock + (sound.written - pending) * kMicros / sound.rate;
            _Anchor(base, now);
            sound.buffered = pending > 0;
        }
    }
    now = std::max(now, _last);
    _last = now;
    return now;
}

bool MoviePlayback::Play(double rate) {
    Movie* movie = GetMovie();
    if (!movie || !(rate >= 0) || !std::isfinite(rate))
        return false;
    if (rate == 0) {
        movie->Stop();
        _Silence();
        return true;
    }
    if (rate != _rate) {
        // The time run so far belongs to the old rate.
        const int64_t now = _Now();
        _Anchor(_BaseMicros(), now);
        _rate = rate;
        // The new rate may have sound where the old one had none.
        _deviceTried = false;
    }
    if (!movie->IsPlaying())
        _deviceTried = false;
    movie->Start();
    Task();
    return true;
}

double MoviePlayback::GetRate() const {
    const Movie* movie = GetMovie();
    return movie && movie->IsPlaying() ? _rate : 0.0;
}

void MoviePlayback::Task() {
    Movie* movie = GetMovie();
    if (!movie || !movie->IsPlaying() || !movie->HasSound()) {
        _Silence();
        return;
    }
    if (!_sound || !_sound->output) {
        if (_deviceTried)
            return;
        _deviceTried = true;
        if (!_OpenDevice(*movie))
            return;
    }
    if (!_Pace()) {
        // A rate whose sound no resampler gives: the movie plays on by the clock, silently.
        _Silence();
        return;
    }
    _Feed(*movie);
}

bool MoviePlayback::_OpenDevice(Movie& movie) {
    if (!_sound) {
        SoundDescription description;
        if (!movie.GetSoundDescription(description))
            return false;
        auto sound = std::make_unique<Sound>();
        sound->form.rate = int32_t(std::lround(description.sampleRate));
        sound->form.channels = description.numChannels;
        sound->form.bits = description.sampleSize;
        sound->frameBytes = sound->form.channels * sound->form.bits / 8;
        _sound = std::move(sound);
    }
    Sound& sound = *_sound;
    sound.output = movie::SoundOutput::Open(sound.form);
    if (sound.output && !sound.reader) {
        sound.reader = Movie::Open(movie.GetPath());
        sound.rate = 0;
    }
    if (!sound.reader)
        sound.output.reset();
    return sound.output != nullptr;
}

bool MoviePlayback::_Pace() {
    Sound& sound = *_sound;
    const double wanted = std::round(double(sound.form.rate) / _rate);
    if (!(wanted >= 1 && wanted <= INT32_MAX))
        return false;
    if (wanted == sound.rate)
        return true;
    PcmForm form = sound.form;
    form.rate = int32_t(wanted);
    if (!sound.reader->SetPcmForm(form))
        return false;
    sound.reader->SetTimeScale(form.rate);
    sound.samples = sound.reader->GetDuration();
    sound.rate = form.rate;
    // What the device holds was made for the old rate.
    sound.streaming = false;
    return true;
}

void MoviePlayback::_Feed(Movie& movie) {
    Sound& sound = *_sound;
    const int64_t rate = sound.rate;
    if (sound.output->Restarted())
        sound.streaming = false;
    const int64_t now = _Now();
    const int64_t at = int64_t(movie.GetTime()) * rate / movie.GetTimeScale();
    const int64_t expected = sound.first + (now - sound.streamClock) * rate / kMicros;
    if (!sound.streaming || std::llabs(expected - at) > kJumpMicros * rate / kMicros) {
        sound.output->Drop();
        sound.held.clear();
        sound.streaming = true;
        sound.buffered = false;
        sound.first = at;
        sound.written = 0;
        sound.streamClock = now;
    }
    const int64_t heldFrames = int64_t(sound.held.size()) / sound.frameBytes;
    const int64_t next = sound.first + sound.written + heldFrames;
    // The lead is the device's time: each sample read is one frame to the device.
    const int64_t target = std::min(sound.first + (now - sound.streamClock) * rate / kMicros +
                                        kLeadMicros * sound.form.rate / kMicros,
                                    sound.samples);
    if (target > next &&
        !sound.reader->ReadPcm(TimeValue(next), TimeValue(target - next), sound.held)) {
        _Silence();
        return;
    }
    const int64_t room = sound.output->Room();
    const int64_t count = std::min(room, int64_t(sound.held.size()) / sound.frameBytes);
    const int64_t taken = count > 0 ? sound.output->Write(sound.held.data(), count) : room;
    if (taken < 0) {
        // The device has failed for good: the movie plays on by the clock.
        _Silence();
        return;
    }
    if (count > 0) {
        sound.held.erase(sound.held.begin(), sound.held.begin() + taken * sound.frameBytes);
        sound.written += taken;
    }
}

void MoviePlayback::_Silence() {
    if (!_sound)
        return;
    _sound->output.reset();
    _sound->streaming = false;
    _sound->held.clear();
}

} // namespace tbx
