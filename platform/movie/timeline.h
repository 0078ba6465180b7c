// A movie's one timeline: where its times restart (recordings joined end to end, a recorder
// resuming after a dropped connection), found once and followed by its picture and its sound
// alike, so that neither decides on its own where a part begins. Each part after a restart goes
// on from where the one before ended, as FFmpeg's own command line continues its timeline: a
// packet whose time steps back, or jumps more than ten seconds either way, from where its
// stream's last packet ended moves the times of every packet after it, of every stream, by the
// difference; where the other stream then steps back from where it stood, the part moves on
// until it no longer does. A step counts only where the picture and the sound both take it (or
// the one stream there is keeps to it): a step in one stream alone is a time that lies. Only
// containers whose times may restart (MPEG transport and program streams, FLV) are looked at,
// and a file is read through for its parts only where a look at a few places finds its times out
// of order: going back, or jumping ahead between two packets further than a restart's step.
// A step ahead that no look finds is time that passes, for the picture and the sound alike.
// Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/movie/ffmpeg_support.h"

namespace tbx::movie {

// How the times of the sound's packets read from a place in the file stand to where the sound is
// placed, in a time base: `by` ahead of their places (behind where negative: times that lied and
// came back, or stepped back for good while the sound counts on), the sound there being placed
// at `placed` of its stream's times.
struct Moved {
    int64_t by = 0, placed = 0;
    // Whether a picture read from the same place has its time moved with the sound's, rather
    // than keeping to where the sound is placed.
    bool Holds(int64_t time) const {
        return by != 0 && std::llabs(time - by - placed) < std::llabs(time - placed);
    }
};
// The same for a place in the file, in a time base, where a picture's `time` moved with the sound's
// there, as far as the sound has read already or, with `read`, may read on to tell.
using MovedAt =
    std::function<std::optional<Moved>(int64_t pos, int64_t time, AVRational base, bool read)>;

class Timeline {
public:
    // A part: the place in the file of its first packet and what its times are moved by, in the
    // picture stream's time base.
    struct Part {
        int64_t pos = 0;
        int64_t shift = 0;
    };
    // A key picture: its place in the file and its time, moved.
    struct Key {
        int64_t pos = 0;
        int64_t time = 0;
    };

    // The timeline of the movie that `format` (whose picture stream is `picture`) has opened.
    // Looks at a few places of the file through `format`, which is left anywhere, where its
    // container lets times restart; reads the file through in a context of its own only where
    // their times are out of order. `contentEnd`: the picture's end by its last packets.
    static std::shared_ptr<const Timeline> Find(const std::string& path, const KnownFile& known,
                                                AVFormatContext* format, int picture,
                                                int64_t contentEnd);

    // Whether the times restart: there are parts after the first.
    bool Restarts() const { return _parts.size() > 1; }
    // Moves a packet's times, in the time base `base` of its stream, as the part it was read
    // from says. A packet without a place in the file belongs where the one before it of its
    // stream did (`part`).
    void Shift(AVPacket* packet, AVRational base, std::size_t& part) const;
    // The picture stream's end, moved, in its time base; AV_NOPTS_VALUE without parts.
    int64_t End() const { return _end; }
    // The picture's end by its last packets, in its time base (AV_NOPTS_VALUE where they do not
    // tell), and that time base.
    int64_t PictureEnd() const { return _pictureEnd; }
    AVRational Base() const { return _base; }
    // The last key picture whose time is at or before `time`, or the first; null without any.
    const Key* KeyBefore(int64_t time) const;
    // The key picture before `key`, or null.
    const Key* Previous(const Key* key) const;

private:
    Timeline() = default;
    // Reads the file through for its parts; false where it found none.
    bool _Read(const std::string& path, const KnownFile& known, int picture);
    void _AddKey(int64_t pos, int64_t time);

    AVRational _base{1, 1};
    std::vector<Part> _parts{Part{}};
    std::vector<Key> _keys;
    std::size_t _keyStride = 1; // every so many key pictures are kept
    std::size_t _keysSeen = 0;
    int64_t _end = AV_NOPTS_VALUE;
    int64_t _pictureEnd = AV_NOPTS_VALUE;
};

} // namespace tbx::movie
