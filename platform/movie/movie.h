// The movie stand-in: one open movie, sound or picture file with its time scale, duration,
// frame at a time and sound as PCM. Still pictures open as one-frame movies.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/movie/movie_types.h"

namespace tbx {

namespace movie {
class VideoTrack;
class SoundTrack;
} // namespace movie

class Movie {
public:
    // Null when the file is missing or holds neither a decodable picture nor sound.
    static std::unique_ptr<Movie> Open(const std::string& path);
    ~Movie();
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    TimeScale GetTimeScale() const { return _scale; }
    // Scales of 0 or below are refused.
    void SetTimeScale(TimeScale scale);
    // In units of the time scale, rounded up and held to the 32-bit range.
    TimeValue GetDuration() const;
    TimeValue GetTime() const;
    void SetTime(TimeValue time);

    // Playback against the wall clock: the time runs from where it stands until the end.
    void Start();
    void Stop();
    bool IsPlaying() const;
    bool IsDone() const;

    bool HasVideo() const { return _video != nullptr; }
    bool HasSound() const { return _sound != nullptr; }
    bool IsStill() const;
    // The picture's display size; 0 × 0 for sound only.
    void GetNaturalSize(int32_t& width, int32_t& height) const;

    // The frame at `time` scaled to width × height, rows rowBytes apart.
    bool RenderFrame(TimeValue time, FramePixels pixels, uint8_t* target, int32_t rowBytes,
                     int32_t width, int32_t height);

    bool GetImageDescription(ImageDescription& description) const;
    bool GetSoundDescription(SoundDescription& description) const;
    double AverageFrameRate() const;
    // Samples of the picture stream, counted without decoding; 0 without one.
    int64_t CountVideoSamples() const;

    // The form of later PCM reads; 0 fields take the source's values.
    bool SetPcmForm(const PcmForm& form);
    // PCM of the range [start, start + length) in movie units: output samples
    // [floor(start × rate / scale), floor((start + length) × rate / scale)), held to the end.
    bool ReadPcm(TimeValue start, TimeValue length, std::vector<uint8_t>& out);

private:
    Movie() = default;
    int64_t _Duration64() const;

    std::string _path;
    std::unique_ptr<movie::VideoTrack> _video;
    std::unique_ptr<movie::SoundTrack> _sound;
    TimeScale _scale = kMovieDefaultTimeScale;
    // The current time in units of _scale.
    int64_t _timeValue = 0;
    bool _playing = false;
    int64_t _playStartMicros = 0;
};

} // namespace tbx
