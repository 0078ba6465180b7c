// A movie played at a rate by a clock of the caller's, its sound heard through the default
// sound device at that rate too: resampled, so that speed and pitch change together.
//
// The playback is the movie's clock while it lives. That clock runs with the caller's clock
// times the rate, except while the device holds sound still to be heard: then it is where
// the device has got to, so that the picture keeps in step with what is heard. A device that
// plays what it gets at once holds nothing, and the caller's clock leads. Without a device,
// or without sound, the movie plays by the clock alone, silently.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/movie/movie.h"

namespace tbx {

namespace movie {
class SoundOutput;
} // namespace movie

class MoviePlayback {
public:
    // Seconds, never going back.
    using Clock = std::function<double()>;

    MoviePlayback(Movie& movie, Clock clock);
    // Gives the movie the steady clock back, if the movie is still there.
    ~MoviePlayback();
    MoviePlayback(const MoviePlayback&) = delete;
    MoviePlayback& operator=(const MoviePlayback&) = delete;

    // The movie, or null once it has gone.
    Movie* GetMovie() const;
    // 0 stops; a positive rate plays on from where the movie stands. False for a rate below 0
    // or one that is not a number, and once the movie has gone.
    bool Play(double rate);
    // The rate while the movie plays, else 0.
    double GetRate() const;
    // Keeps the device fed while the movie plays, restarting the sound where the movie's time
    // has jumped or its rate changed, and lets the device go once the movie stops. Called at
    // least every tenth of a second while playing.
    void Task();

private:
    struct Sound;
    int64_t _Now();
    void _Anchor(int64_t base, int64_t clock);
    int64_t _BaseMicros() const;
    bool _OpenDevice(Movie& movie);
    // Gives the reader the rate that plays the sound at the playing rate; false when none can.
    bool _Pace();
    void _Feed(Movie& movie);
    void _Silence();

    Movie* _movie;
    std::weak_ptr<const void> _alive;
    Clock _clock;
    double _rate = 1.0;
    // The clock is _anchorClock at _anchorBase of the caller's clock (microseconds).
    int64_t _anchorBase = 0;
    int64_t _anchorClock = 0;
    int64_t _last = 0;
    // Whether a device was looked for since playing last started.
    bool _deviceTried = false;
    std::unique_ptr<Sound> _sound;
};

} // namespace tbx
