// The picture stream of a movie: the frame shown at a time, decoded forward from where the
// decoder stands and seeking only when the time lies behind or a key frame lies between.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/frames/frame_scaler.h"
#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/movie_types.h"
#include "platform/movie/timeline.h"

namespace tbx::movie {

class VideoTrack {
public:
    // Null when the file has no decodable picture stream. The facts come from `probe`, a
    // context of the file opened in full; the track reads through a context of its own.
    static std::unique_ptr<VideoTrack> Open(const std::string& path, const AVFormatContext* probe);
    // A still picture of width × height pixels, rows of 32-bit values 0xAARRGGBB (the alpha
    // is not used), described as a picture of the given type. Null when it cannot be held.
    static std::unique_ptr<VideoTrack> FromPixels(int32_t width, int32_t height,
                                                  const uint32_t* pixels, OSType type);

    // The display size: the width honours the sample aspect ratio, and a quarter turn of the
    // display matrix swaps the two.
    int32_t Width() const { return _width; }
    int32_t Height() const { return _height; }
    bool IsStill() const { return _still; }
    // The stream's own start.
    StreamTime Start() const { return StreamTime{_startPts, _timeBase}; }
    // Movie time 0: the stream's own start unless the movie says otherwise.
    void SetOrigin(const StreamTime& origin);
    // The end of the stream on the movie's timeline in units of `scale`, rounded up; 0 for a
    // still picture or when neither the container nor the content tells. Where the container's
    // index and the content disagree, the content's end counts.
    int64_t Duration(int32_t scale) const;

    // Renders the last frame whose time is at or before time / scale seconds of movie time
    // (before the first frame the first, past the end the last) scaled to width × height.
    bool Render(int64_t time, int32_t scale, FramePixels pixels, uint8_t* target,
                std::size_t targetBytes, int32_t rowBytes, int32_t width, int32_t height);

    // The movie's timeline, which its sound follows too: where the file's times restart, each
    // part after a restart goes on where the one before ended.
    const std::shared_ptr<const Timeline>& Parts() const { return _timeline; }
    // Where the movie's sound found its times lying or stepping: pictures read from the same
    // places whose times moved with it are placed as the sound is.
    void SetMoved(MovedAt moved) { _moved = std::move(moved); }

    // Samples (packets) of the stream, counted without decoding; 1 for a still picture.
    int64_t CountSamples() const;
    // Frames per second over the stream, 0 when unknown.
    double AverageFrameRate() const;
    void Describe(ImageDescription& description) const;

private:
    VideoTrack() = default;
    // Decodes one frame into `frame`; false at the end.
    bool _Decode(AVFrame* frame, int64_t& pts);
    // Sees each packet read first: moves its times as the timeline says, and counts those after a
    // seek that bring their own.
    Taken _Take(AVPacket* packet);
    int64_t _LongestGroup() const;
    // Whether the key pictures that the reader's index lists about `time` stand further apart
    // than `longer`: the index was gathered in pieces.
    bool _IndexGapAt(int64_t time, int64_t longer) const;
    // The reader has sought, for a picture shown at `target`.
    void _Sought(int64_t target);
    // Places a packet whose time lies: hours from the times before it, it has none; where it
    // moved with the sound's packets read from its place, as the sound is placed. The sound tells
    // where the packet's time leaves those before it by more than a second, or after a seek where
    // it has read that far or the packet lands far from where the seek was sent.
    void _Unlie(AVPacket* packet);
    bool _SeekTo(int64_t target);
    // Seeks to the key pictures before `target` that the timeline of a file whose times
    // restart knows.
    bool _SeekToKey(int64_t target);
    bool _Restart(int64_t target);
    bool _Advance(int64_t target);
    bool _Position(int64_t target);
    bool _Load();
    // The content's end when the container's declaration of it is wrong; reading it loses the
    // decoder's place. Gives the end that the last packets tell (AV_NOPTS_VALUE where none).
    int64_t _CheckEnd();

    KnownFile _known;
    // Where the file's times restart, and the part that the packet read last came from.
    std::shared_ptr<const Timeline> _timeline;
    bool _restarts = false;
    std::size_t _part = 0;
    PacketFilter _take;
    // Whether the reader estimates the times after a seek; whether it still does since the last
    // seek, how many packets brought their own since (two at most) and how many were read after
    // the second.
    bool _timesSettle = false;
    bool _settling = false;
    // Whether the reader's index holds only the key pictures read so far (FLV).
    bool _gathersIndex = false;
    // The sound's times that lie; the latest time of the packets read since the last seek, and
    // the time that the seek was sent to (AV_NOPTS_VALUE until a packet has a time).
    MovedAt _moved;
    int64_t _flow = AV_NOPTS_VALUE;
    int64_t _landing = AV_NOPTS_VALUE;
    // The longest group of pictures, from one key picture to the next, that a seek may land
    // before where it was sent.
    int64_t _group = 0;
    int _timed = 0;
    int64_t _settled = 0;
    FormatPtr _format;
    CodecPtr _decoder;
    PacketPtr _packet;
    FramePtr _current;
    FramePtr _next;
    frames::FrameScaler _scaler;
    frames::Orientation _orientation;
    int _index = -1;
    AVRational _timeBase{1, 1};
    int64_t _second = 1; // a second in the time base, at least a tick
    int64_t _startPts = 0;
    int64_t _origin = 0;
    int64_t _firstPts = 0;
    int64_t _currentPts = 0;
    // The time of the frame decoded last, and how long it lasts.
    int64_t _lastStamp = AV_NOPTS_VALUE;
    int64_t _lastDuration = 1;
    int64_t _nextPts = 0;
    // The most that a frame's display time lies after its decoding time, as seen so far.
    int64_t _reorder = 0;
    // The end of the stream's content in its time base; AV_NOPTS_VALUE when unknown.
    int64_t _end = AV_NOPTS_VALUE;
    bool _endFromContent = false;
    bool _haveCurrent = false;
    bool _haveNext = false;
    bool _lost = false; // the decoder's place is unknown: the next frame needs a seek
    bool _draining = false;
    bool _still = false;
    int32_t _width = 0;
    int32_t _height = 0;
    std::string _path;
    AVCodecID _codecId = AV_CODEC_ID_NONE;
    uint32_t _codecTag = 0;
};

} // namespace tbx::movie
