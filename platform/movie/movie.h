// The movie stand-in: one open movie, sound or picture file with its time scale, duration,
// frame at a time and sound as PCM. Still pictures open as one-frame movies.
//
// Times: the movie has one timeline, in units of its time scale (600 per second unless set).
// Time 0 is the earliest start of its picture and sound streams; each stream keeps its offset
// from it, so sound that starts before the first frame plays before it, and sound that starts
// later is preceded by silence. Times before the first frame show the first frame, times past
// the end the last. Streams whose starts lie further apart than a minute are taken to start
// together.
//
// Sound: PCM is read by time range in the form set by SetPcmForm. Ranges map to whole output
// samples, so that consecutive ranges join into exactly what one range over the same time
// gives; a packet that fails to decode leaves silence of its length in its place.
//
// Durations are the content's: where a container's index claims more than its streams hold,
// the duration comes from the packets at the end of the file and, for sound, from what decodes
// once decoding has reached the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/movie/movie_types.h"

namespace tbx {

namespace movie {
class VideoTrack;
class SoundTrack;
} // namespace movie

class Movie;
// Reports of a long operation on a movie (an export): the message, the operation, the
// fraction done as 16.16 and the reference given with the procedure.
using MovieProgressProcPtr = OSErr (*)(Movie* movie, SInt16 message, SInt16 operation,
                                       SInt32 percentDone, void* refCon);

class Movie {
public:
    // Null when the file is missing or holds neither a decodable picture nor sound.
    static std::unique_ptr<Movie> Open(const std::string& path);
    ~Movie();
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    TimeScale GetTimeScale() const { return _scale; }
    // Scales of 0 or below are refused. The current time keeps its instant, playing or not.
    void SetTimeScale(TimeScale scale);
    // The end of the longer stream, in units of the time scale, rounded up and held to the
    // 32-bit range.
    TimeValue GetDuration() const;
    // The current time; while playing, where the wall clock has taken it since Start.
    TimeValue GetTime() const;
    void SetTime(TimeValue time);

    // Playback against the clock: the time runs from where it stands until the end.
    void Start();
    void Stop();
    // Started and not yet at the end.
    bool IsPlaying() const;
    bool IsDone() const;

    bool HasVideo() const { return _video != nullptr; }
    bool HasSound() const { return _sound != nullptr; }
    bool IsStill() const;
    // Where playing time comes from: microseconds that never go back. A steady clock unless
    // one is given (an empty one gives it back); the current time is kept across the change.
    void SetClock(std::function<int64_t()> clock);
    // The file the movie was opened from.
    const std::string& GetPath() const { return _path; }
    // For those that keep a pointer to the movie: expires when the movie goes.
    std::weak_ptr<const void> Lifetime() const { return _lifetime; }
    void SetProgressProc(MovieProgressProcPtr proc, void* refCon) {
        _progress = proc;
        _progressRefCon = refCon;
    }
    MovieProgressProcPtr GetProgressProc() const { return _progress; }
    void* GetProgressRefCon() const { return _progressRefCon; }
    // The picture's display size; 0 × 0 for sound only.
    void GetNaturalSize(int32_t& width, int32_t& height) const;

    // The frame at `time` scaled to width × height into a target of targetBytes, rows rowBytes
    // apart. Nothing outside the rows' pixels is written. A packed target (rowBytes = width ×
    // pixel size) with kFrameRenderRoom bytes to spare after its last row is rendered into
    // straight; any other goes through a buffer of the movie's own and a copy.
    bool RenderFrame(TimeValue time, FramePixels pixels, uint8_t* target, std::size_t targetBytes,
                     int32_t rowBytes, int32_t width, int32_t height);

    bool GetImageDescription(ImageDescription& description) const;
    bool GetSoundDescription(SoundDescription& description) const;
    double AverageFrameRate() const;
    // Samples of the picture stream, counted without decoding; 0 without one.
    int64_t CountVideoSamples() const;

    // The form of later PCM reads. 0 fields take the source's values: its rate and channel
    // count, and 8 bits for 8-bit sound, else 16. False without sound or for a form out of
    // range (rates up to 768 kHz, 1 to 16 channels, 8, 16, 24 or 32 bits).
    bool SetPcmForm(const PcmForm& form);
    // Where `bytes` bytes of PCM go; null fails the read.
    using PcmPlace = std::function<uint8_t*(std::size_t bytes)>;
    // PCM of the range [start, start + length) in movie units: output samples
    // [floor(start × rate / scale), floor((start + length) × rate / scale)), held to the
    // movie's end. Where the picture lasts longer than the sound, silence follows the sound.
    // `place` is called once with the byte count (unless there are none) and the samples are
    // copied where it points, so that a caller can take a whole sound without a second copy.
    // A range that starts where the last one ended, or up to a second before, continues the
    // decoding; one elsewhere seeks where the sound's container gives exact times (MP3, Ogg,
    // FLAC, CAF, PCM in WAV, AIFF and QuickTime files, AAC and ALAC in MP4) or, in another
    // container, by an index of its packets (read whole at the opening of sound alone, and as
    // far as reads need for a movie's sound); otherwise it decodes again from the start. The
    // samples are the same either way, but for the noise that AAC codes some bands as, Opus of
    // more than two channels and WMA whose frames hold several blocks, which no decoder
    // restores after a seek.
    bool ReadPcm(TimeValue start, TimeValue length, const PcmPlace& place);
    // The same, appended to `out`.
    bool ReadPcm(TimeValue start, TimeValue length, std::vector<uint8_t>& out);

private:
    Movie() = default;
    int64_t _Duration64() const;
    // Output samples of PCM to the movie's end: the sound's own end when it ends last.
    int64_t _PcmEnd();
    int64_t _Elapsed() const;
    int64_t _Now() const;

    std::string _path;
    std::unique_ptr<movie::VideoTrack> _video;
    std::unique_ptr<movie::SoundTrack> _sound;
    TimeScale _scale = kMovieDefaultTimeScale;
    // The current time in units of _scale.
    int64_t _timeValue = 0;
    bool _playing = false;
    int64_t _playStartMicros = 0;
    std::function<int64_t()> _clock;
    std::shared_ptr<const char> _lifetime = std::make_shared<const char>('\0');
    MovieProgressProcPtr _progress = nullptr;
    void* _progressRefCon = nullptr;
};

} // namespace tbx
