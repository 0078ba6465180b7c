// Where the samples of each packet of a sound stream begin in a whole decoding, counted from
// the packets without decoding them, for containers whose times do not tell it exactly
// (milliseconds, a 90 kHz clock, or times that a raw stream's reader estimates). Decoding
// places its frames by the index, so that a read reached by a seek holds the samples that a
// whole read holds at the same place. Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/movie/ffmpeg_support.h"

namespace tbx::movie {

class SoundIndex {
public:
    // Reads every packet of sound stream `stream` from `format`, a context of the file at
    // `path` opened in full and standing at its start, then decodes the first and last packets
    // (in contexts opened as `known` says) to check what they deliver against what their
    // headers say. Null where a packet's samples cannot be told from its bytes, or decoding
    // does not bear them out.
    static std::unique_ptr<SoundIndex> Build(AVFormatContext* format, int stream,
                                             const std::string& path, const KnownFile& known);

    // Samples per channel that a whole decoding delivers.
    int64_t Samples() const { return _samples; }
    // The last packet whose samples begin at or before `sample`, and where they begin.
    int64_t Before(int64_t sample) const;
    // Where the samples of packet `at` end.
    int64_t EndOf(int64_t at) const;
    // Seeks so that packet `at` or one before it is read next.
    bool Seek(AVFormatContext* format, int stream, int64_t at);
    // Which packet one read from the file is, or -1 for one that the index does not hold.
    // Packets are found fastest in the order they were read.
    int64_t Find(const AVPacket* packet);
    // Gives packet `at` its place: its time becomes its first sample in units of one sample,
    // less what the decoder skips, so that the frame it decodes to carries its place.
    void Stamp(AVPacket* packet, int64_t at) const;

private:
    struct Entry {
        int64_t pos = 0;    // in the file
        int64_t time = 0;   // the container's
        int64_t sample = 0; // where its samples begin in a whole decoding
    };
    // Decodes the packets from `from` (all of them, or some dozens), each one's samples into
    // `got`; `drained` receives what draining the decoder gives when they reach the end.
    bool _Decode(const std::string& path, const KnownFile& known, int stream, int64_t from,
                 std::size_t total, std::vector<int64_t>& got, int64_t& drained);
    void _Place(const std::vector<int64_t>& samples);

    std::vector<Entry> _entries;
    // Samples missing before a packet, as the container's times show: (packet, samples).
    std::vector<std::pair<int64_t, int64_t>> _lost;
    // How far the first frames' times lie from their packets' places, for the decoder's delay.
    std::vector<int64_t> _adjust;
    int64_t _samples = 0;
    int64_t _last = -1;    // the packet found last
    bool _byBytes = false; // seeks go to a packet's place in the file, not to its time
};

} // namespace tbx::movie
