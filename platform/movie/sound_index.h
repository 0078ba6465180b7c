// Where the samples of each packet of a sound stream begin in a whole decoding, counted from the
// packets without decoding them, for containers whose times do not tell it exactly
// (milliseconds, a 90 kHz clock, or times that a raw stream's reader estimates). A packet's place
// is where counting the samples of the packets before it puts it; the container's times serve
// only to find sound that is missing, a step ahead that the packets after it bear out. A pass of
// its own reads the packets as far as they are needed and keeps a checkpoint every few packets.
// A reader that seeks finds a checkpoint's packet by the place in the file that its packets are
// read from and its order among them, never by bytes or times that many packets share (digital
// silence, lying times), and counts the packets on from there, so that every frame it decodes
// carries the place that a whole decoding gives it. Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/packet_samples.h"
#include "platform/movie/timeline.h"

namespace tbx::movie {

class SoundIndex {
public:
    // Times that leave where counting puts their packets and stay this long stand (a loss, or a
    // step back): longer than any run of packets that one lying time carries (a Matroska
    // cluster's blocks lie within 33 s of its time).
    static constexpr int64_t kSettleSeconds = 40;
    // The place in the file of the unit (a data packet, a block, a PES) that the packets read
    // last came from, and the order of the last among them; -1 before the first. A packet
    // without a place of its own came from where the one before it did.
    struct Origin {
        int64_t from = -1;
        int64_t order = -1;
        void Follow(const AVPacket* packet) {
            if (packet->pos >= 0 && packet->pos != from) {
                from = packet->pos;
                order = 0;
            } else {
                ++order;
            }
        }
    };
    // Where one reading context stands in the packets.
    struct Cursor {
        int64_t next = 0;     // the packet that it reads next
        int64_t place = 0;    // where that packet's samples begin, but for a loss before it
        int64_t sought = -1;  // the checkpoint's packet that a seek looks for; -1 once found
        int64_t searched = 0; // packets read while looking for it
        int64_t told = 0;     // the samples of the packet taken last
        int64_t noise = 0;    // where the decoder's noise table stands at that packet, -1 unknown
        int64_t nextNoise = 0;
        Origin origin;
        bool lost = false; // the packets read no longer follow the index
        bool past = false; // the packet read lies past a complete index's last: the sound ends
        std::unique_ptr<PacketSamples> samples;
    };

    // Starts the index of sound stream `stream` over `pass`, a context of the file standing at
    // its start, which the index keeps to read on. Decodes the first packets to check what they
    // deliver against what their headers say. Null where a packet's samples cannot be told or
    // decoding does not bear them out. A movie's sound follows the movie's `timeline`: its times
    // are moved as their parts say before they are weighed, and a step that is no restart of the
    // timeline's is a loss or a lie, however long; sound alone takes a step further than a
    // restart's, where times may restart, as one.
    static std::unique_ptr<SoundIndex> Start(FormatPtr pass, int stream,
                                             std::shared_ptr<const Timeline> timeline = nullptr);
    // The same from the container's own table of every packet (an MP4 file's sample tables),
    // which tells their places without a pass: each packet's samples follow from its size, those
    // that an edit leaves out deliver nothing, and those that the file does not hold whole are
    // none. Null where the table does not tell them, or lists packets out of the file's order.
    static std::unique_ptr<SoundIndex> FromTable(FormatPtr format, int stream);
    ~SoundIndex();

    // Reads on until the places of the packets up to `packet` are settled (a jump of the times
    // before them told a loss or a lie), or to the end. False once the index is given up: a
    // packet whose samples cannot be told.
    bool ReachPacket(int64_t packet);
    // The same until the settled packets reach sample `sample`.
    bool ReachSample(int64_t sample);
    // How the times of the packets read from `pos` in the file stand to where the index places
    // them, in samples of the stream's times, where a packet's `time` (in those samples) moved
    // with them; where `read`, reads on until the packets up to there are settled, else none
    // where they are not yet.
    std::optional<Moved> MovedAt(int64_t pos, int64_t time, bool read);
    bool Complete() const { return _complete; }
    // For a complete index: decodes the last packets after a seek, in a context opened as
    // `known` says; takes what a last packet cut short delivers, and what draining gives. False
    // where decoding does not bear the index out. A table's index needs no such check.
    bool CheckEnd(const std::string& path, const KnownFile& known);
    // Samples per channel that a whole decoding delivers, once complete; before, where the
    // packets settled so far end.
    int64_t Samples() const { return _end + (_complete ? _drained : 0); }
    // The first packet: its time in the stream's time base as the times after it bear it out
    // (OpeningTime; AV_NOPTS_VALUE without one), whether they bear it out exactly, the samples
    // that it skips and those that it delivers.
    int64_t FirstTime() const { return _firstTime; }
    bool FirstTimeExact() const { return _firstTimeExact; }
    int64_t FirstOwnTime() const { return _firstOwnTime; }
    int64_t FirstSkip() const { return _firstSkip; }
    int64_t FirstSamples() const { return _firstSamples; }
    // The samples stored in the first packets that only prime the decoder (WMA's first two,
    // Vorbis's first block), which deliver nothing though nothing marks them to skip.
    int64_t FirstPriming() const { return _firstPriming; }

    // A reader of a context that stands at the stream's start, as one opened afresh does.
    void Rewind(Cursor& cursor) const;
    // Seeks `format` to the last checkpoint at or before sample `sample` (which the index must
    // have reached) and has the cursor look for its packet. False where the container refuses.
    bool Seek(AVFormatContext* format, int64_t sample, Cursor& cursor) const;
    // Which packet of the stream one read by the cursor's context is, or -1 for one before the
    // checkpoint sought. The packet is stamped in samples from the stream's first: its time is
    // its place less what the decoder skips, so that the frame it decodes to carries its place.
    // Sets `lost` where the packets read no longer follow the index (and reads on to settle
    // places where the index is not complete).
    int64_t Take(AVPacket* packet, Cursor& cursor);

private:
    struct Checkpoint {
        // Where the packet comes from: the place in the file of the unit that the container
        // read it from (a data packet, a block, a PES), and its order among the packets read
        // from there. -1 before the first packet with a place: found only from the start.
        int64_t from = -1;
        int64_t order = 0;
        int64_t seekPos = -1; // a place before it, where reading finds it whole
        int64_t seekTime = AV_NOPTS_VALUE;
        int64_t sample = 0; // where its samples begin
        int32_t told = 0;   // its samples
        int32_t size = 0;   // its size and bytes, which it must have when found
        uint32_t hash = 0;
        bool hashed = false; // a table's packets are known by their place alone
        int32_t noise = -1;
    };
    // A packet read by the pass whose place waits on the packets after it.
    struct Unplaced {
        int64_t ordinal = 0;
        Checkpoint mark;
        int64_t told = 0;
        int64_t noiseSteps = 0;
        int64_t counted = 0;           // the samples of the packets before it, as they are stored
        int64_t time = AV_NOPTS_VALUE; // its own, in samples
    };

    SoundIndex() = default;
    // `listed`: the index is read from the container's table, whose times are its packets'
    // places.
    static std::unique_ptr<SoundIndex> _Start(FormatPtr pass, int stream, bool listed,
                                              std::shared_ptr<const Timeline> timeline);
    // Reads the pass's next packet of the stream; false at the end.
    bool _Step();
    // Moves a packet's times read by the pass as the timeline's parts say.
    void _Follow(AVPacket* packet);
    // Places the table's packets after those that the start read, up to the first that a file of
    // `size` bytes does not hold whole.
    bool _List(const AVStream* stream, int64_t size);
    // What a packet of `raw` samples delivers: the decoder carries a skip at the start on into the
    // packets after the one marked, and a packet marked to discard delivers nothing.
    int64_t _Delivered(const AVPacket* packet, int64_t raw);
    int64_t _Delivered(int64_t raw, int64_t skip, int64_t discard, bool dropped);
    // The same as a reader tells it from the packet alone.
    static int64_t _Alone(const AVPacket* packet, int64_t raw);
    // Takes a packet read by the pass with its samples, after what it skips and discards.
    void _Add(const AVPacket* packet, int64_t raw, int64_t told, int64_t noiseSteps);
    // Weighs a packet's time, as how far it lies from where counting puts it, against the times
    // before it; `unit`: the packet is the first of its unit.
    void _Weigh(int64_t deviation, int64_t ordinal, bool unit);
    // Keeps the run of held packets, whose times came back, as a run that lied.
    void _Lied();
    // Settles the times that have left the base: the last step they took stands (a loss where it
    // is ahead); the packets before it lied.
    void _Settle();
    void _PlaceBefore(int64_t ordinal);
    void _Place(Unplaced& unplaced);
    void _Finish();
    bool _SeekPacket(AVFormatContext* format, int64_t packet, Cursor& cursor) const;
    // Whether the packet, come from `origin`, is the checkpoint's.
    static bool _Matches(const Checkpoint& mark, const AVPacket* packet, const Origin& origin);
    const Checkpoint* _CheckpointOf(int64_t packet) const;
    // What the first check found that a packet delivers, or -1.
    int64_t _Told(int64_t packet) const;
    int64_t _LostBefore(int64_t packet) const;
    int64_t _Adjust(int64_t packet) const;

    // The movie's timeline, and the part that the pass's last packet came from.
    std::shared_ptr<const Timeline> _timeline;
    std::size_t _part = 0;
    // The stream's parameters, which outlive the pass's context.
    ParametersPtr _parameters;
    FormatPtr _pass;
    PacketPtr _packet;
    std::unique_ptr<PacketSamples> _samplesOf;
    int _stream = -1;
    int _rate = 0;
    AVRational _timeBase{1, 1};
    bool _byBytes = false;     // seeks go to a place in the file, not to a time
    int64_t _farStep = 0;      // samples beyond which a step ahead of the times loses nothing
    bool _restartable = false; // the container's times may restart
    bool _complete = false;
    bool _failed = false;

    bool _listed = false;  // read from the container's table of its packets
    int64_t _skipLeft = 0; // of the pass's packets, as the decoder carries it
    int64_t _oneSize = -1; // the samples of every packet so far, 0 where they differ

    std::vector<Checkpoint> _checkpoints; // the packets 0, _stride, 2 × _stride, ...
    int64_t _stride = 0;
    // Samples missing before a packet, as the container's times show: (packet, samples).
    std::vector<std::pair<int64_t, int64_t>> _lost;
    // Packets that deliver other than a reader tells from each alone, as decoding them found or a
    // skip carried on from the packets before them: (packet, samples).
    std::vector<std::pair<int64_t, int64_t>> _told;
    // How far the first frames' times lie from their packets' places, for the decoder's delay.
    std::vector<int64_t> _adjust;
    int64_t _drained = 0;
    int64_t _firstTime = AV_NOPTS_VALUE;
    int64_t _firstOwnTime = AV_NOPTS_VALUE;
    bool _firstTimeExact = false;
    int64_t _firstSkip = 0;
    int64_t _firstSamples = 0;
    int64_t _firstPriming = 0;

    // The pass: packets read, where the settled ones end, and those waiting for their place.
    int64_t _count = 0;
    int64_t _end = 0;
    int64_t _settled = 0;
    std::deque<Unplaced> _unplaced;
    int64_t _noise = 0; // where a whole decoding's noise table stands after the placed packets
    // The times. Samples stored in the packets read so far, and the longest packet; the base:
    // how far times lie from where counting puts their packets (their start, and every loss
    // so far). Times that leave it start a run of packets held unplaced, from `_runFrom` on,
    // until they come back (a lie, however many packets it spans) or stay: the last step of
    // the run, from `_stepFrom` on, to `_stepFirst` and since kept to `_step`, holding
    // `_stepTimes` units' times and `_stepSamples` samples so far.
    int64_t _counted = 0;
    int64_t _longest = 0;
    int64_t _base = AV_NOPTS_VALUE;
    int64_t _firstBase = AV_NOPTS_VALUE; // the base where the times begin
    int64_t _runFrom = -1;
    int64_t _stepFrom = -1;
    int64_t _stepFirst = 0;
    int64_t _step = 0;
    int64_t _stepTimes = 0;
    int64_t _stepSamples = 0;
    // The runs whose times lied, from the place in the file of their first packet's unit to that
    // of the unit that came back, and how far ahead of their places they lied; from where the
    // times stepped other than by sound lost, how far ahead of their places they stand; and the
    // place of the last packet settled.
    struct Run {
        int64_t from = 0, to = 0, by = 0;
    };
    std::vector<Run> _lies;
    std::vector<std::pair<int64_t, int64_t>> _moves;
    int64_t _settledFrom = -1;
    // Where the pass's packets come from, and the last three places in the file that they came
    // from.
    Origin _origin;
    int64_t _places[3] = {-1, -1, -1};
};

} // namespace tbx::movie
