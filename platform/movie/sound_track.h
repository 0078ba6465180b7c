// The sound stream of a movie, decoded and resampled in one pass by one long-lived resampler
// into a queue of PCM in the requested form, so that sequential ranges tile exactly. Decoded
// frames are placed on the movie's timeline by their times: silence stands before the sound's
// start and where packets failed to decode. A read far from where decoding stands seeks, where
// the container's times are exact and the codec settles after a pre-roll, and restarts the
// resampler in step with a whole read's, so that every read holds the same samples as one
// read of the whole sound.
#pragma once

#include <bit>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/granule_check.h"
#include "platform/movie/movie_types.h"
#include "platform/movie/ogg_chain.h"
#include "platform/movie/pcm_queue.h"
#include "platform/movie/sound_index.h"
#include "platform/movie/timeline.h"

namespace tbx::movie {

class SoundTrack {
public:
    ~SoundTrack();
    // Where `bytes` bytes of PCM go; null fails the read.
    using Place = std::function<uint8_t*(std::size_t bytes)>;

    // Null when the file has no decodable sound stream. `probe` is a context of the file opened
    // in full: the track takes its facts from it and counts the sound with it. A movie's sound
    // follows the movie's `timeline` (null for sound alone): where its times restart, each part
    // goes on where the timeline puts it.
    static std::unique_ptr<SoundTrack> Open(const std::string& path, FormatPtr probe,
                                            std::shared_ptr<const Timeline> timeline = nullptr);

    int32_t SourceRate() const { return _rate; }
    int32_t SourceChannels() const { return _channels; }
    // The stored size of integer PCM (8, 16, 24 or 32); 16 for compressed and floating-point
    // sound.
    int32_t SourceBits() const { return _bits; }
    // The stream's own start, when the container knows it.
    std::optional<StreamTime> Start() const;
    // Movie time 0: the stream's own start unless the movie says otherwise.
    void SetOrigin(const StreamTime& origin);
    // Samples per channel at the source rate from movie time 0 to the sound's end. For sound
    // alone, the length that an Ogg, FLAC, CAF or MP4 container states exactly; else counted
    // from the packets (from the container's index for a movie, or for sound of fixed sample
    // size from the end of the file; for a movie's sound placed by the index of its packets,
    // from its last times where they and its first bear out the samples of their packets
    // exactly, else from that index; by decoding once where the packets do not state their
    // samples); settled by what decodes once decoding reaches the end.
    int64_t SampleCount();
    // A movie's sound placed by its index may run on past the count that its last times gave
    // it (times that stepped back between its first and last seconds): reads decode on to what
    // they ask for, and the count settles where decoding ends.
    bool RunsPastCount() const;
    // How the times of the sound's packets read from `pos` in the file stand to where the sound
    // is placed, in the time base `base`, where a packet's `time` moved with them (MovedAt); for a
    // movie's sound placed by an index.
    std::optional<Moved> MovedAt(int64_t pos, int64_t time, AVRational base, bool read);
    // The end of the sound on the movie's timeline in units of `scale`, rounded up.
    int64_t Duration(int32_t scale);
    void Describe(SoundDescription& description) const;

    // Chooses the form of later reads (0 fields take the source's values: its rate and
    // channels, and 8 bits for 8-bit sound, else 16). The same form again keeps what is
    // queued. A new one is made at the next read from the frames decoded last, the decoder
    // keeping its place, where they reach back far enough; sound that seeks seeks instead.
    bool SetForm(const PcmForm& form);
    const PcmForm& Form() const { return _form; }
    // Output samples in the chosen form.
    int64_t OutputCount();
    // The output samples [first, end) (held to the output count): `place` is called once with
    // their byte count (unless there are none) and they are copied where it points.
    bool Read(int64_t first, int64_t end, const Place& place);

private:
    SoundTrack();
    // Samples of the stream's content from its packets; -1 when only decoding can tell.
    int64_t _CountContent();
    // Samples of compressed sound alone as its container states them exactly; -1 where it
    // states none, or its last packets disagree.
    int64_t _CountStated(AVFormatContext* format, int64_t declared);
    // Decodes the whole sound once, placing its frames as reads will, without converting them.
    int64_t _CountByDecoding();
    // Chooses whether and with what pre-roll the sound seeks: where the container's times are
    // exact and the codec's output after a seek settles to what a whole decoding gives.
    void _ChooseSeeking();
    // The seconds of pre-roll that the codec needs to settle after a seek; -1 where it never
    // settles to a whole decoding's samples.
    double _PrerollSeconds() const;
    void _SeekWith(double seconds);
    // Sound in a container whose times are not exact, with a codec that settles after a
    // pre-roll: its samples can be placed by an index of its packets.
    bool _Indexable() const;
    // Starts the index that places the samples: for sound alone, read whole to count them; for
    // a movie's sound, read as far as reads need it. False where none could be built (the
    // sound then decodes from the start, placed by its times).
    bool _UseIndex();
    std::unique_ptr<SoundIndex> _StartIndex(FormatPtr pass) const;
    // A movie's sound is placed by its index from its opening on.
    void _IndexMovie();
    // Where the index's first sample lies on the movie's timeline.
    void _PlaceIndex();
    // Gives up an index whose packets a read found it did not follow.
    void _DropIndex();
    // Ogg files joined end to end: the samples of every link in turn, from the stream's start;
    // -1 for a file of one link.
    int64_t _CountChain(AVFormatContext* format);
    // Gives up placing an Ogg stream by its granules, where reading found one that leaves the
    // count of the samples before it: an index places the sound instead.
    void _DropGranules();
    // Whether a packet of an Ogg stream placed by its granules goes to the decoder.
    Taken _TakePage(AVPacket* packet);
    // Seeks such a stream to the timeline's sample `at`; false where the container refuses, or
    // a granule before it leaves the count.
    bool _SeekPage(int64_t at);
    // A decoder that adds noise from a table it walks on from frame to frame (WMA), so that it
    // starts afresh after a seek where a whole decoding's table stands at its start.
    bool _NoiseCarries() const {
        return _codecId == AV_CODEC_ID_WMAV1 || _codecId == AV_CODEC_ID_WMAV2;
    }
    // Whether a packet read goes to the decoder; packets of an indexed sound get their places,
    // others are moved as the timeline's parts say.
    Taken _Take(AVPacket* packet);
    // What reads the packets where neither an index nor granules place them.
    void _TakeByTimes();
    // The movie's times restart: the sound's last times are another part's, so only the count
    // of its packets tells its end.
    bool _Restarts() const { return _timeline && _timeline->Restarts(); }
    // Empties the queue and the resampler and forgets where decoding stands.
    void _Reset();
    bool _Restart();
    // Makes the output samples [first, end) held, or as many of them as the sound has.
    bool _Fetch(int64_t first, int64_t end);
    // The end of the output samples held, and dropping those before `first`.
    int64_t _Held() const;
    void _DropBefore(int64_t first);
    // Makes output sample `first` the next to come: decoding goes on where it is near ahead,
    // seeks where the sound allows it, and otherwise starts again from the start.
    bool _Position(int64_t first);
    enum class Seek { kNear, kDone, kFailed };
    // Seeks to a place before output sample `first` (kNear, untouched, when it lies so near the
    // start that decoding from there costs as little).
    Seek _Seek(int64_t first);
    // Seeks `preroll` samples before the timeline's sample `from` and decodes up to it,
    // converting from `feed` on and keeping the decoded samples of the `keep` samples before
    // `from` in `kept`; false when the seek lands late or decoding ends first.
    bool _SeekTo(int64_t from, int64_t preroll, int64_t feed, int64_t keep,
                 std::vector<uint8_t>* kept);
    // The source sample from which a new resampler gives output sample `first` as a whole
    // decoding's does: where the ratio of the rates repeats, so that its filter's phase is the
    // same, and early enough that its filter has real samples behind `first`. -1 before the
    // start.
    int64_t _ResamplingFrom(int64_t first) const;
    // Builds the queue in the new form from the frames decoded last; false where they do not
    // reach back far enough.
    bool _Reform(int64_t first);
    // Decodes one more frame into the queue; false at the end (the resampler is then flushed).
    bool _Produce();
    // Places a frame of `samples` at `at` on the timeline (AV_NOPTS_VALUE: where the last one
    // ended), silence before it where there is a gap, and converts it.
    bool _Place(const AVFrame* frame, int64_t at, int64_t samples);
    // Places the frame held back for its jump ahead: at its time for a loss, else on from the
    // last one.
    bool _PlaceHeld(bool lost);
    // Whether `gap` samples before a frame of `samples` are a gap rather than the times' jitter.
    bool _IsGap(int64_t gap, int64_t samples) const;
    // Converts a frame's samples after the first `skip` (at the source rate).
    void _ConvertFrom(const AVFrame* frame, int64_t skip);
    // Keeps a frame placed at `at` among the last ones decoded.
    void _Remember(const AVFrame* frame, int64_t at, int64_t samples);
    // Appends the part of a frame placed at `at` that lies in [_keepFrom, _keepTo) to _kept.
    void _Keep(const AVFrame* frame, int64_t at);
    // Silence for a gap of `gap` samples before a frame of `samples`, when it is a loss.
    void _Fill(int64_t gap, int64_t samples);
    // A time of the stream (of an indexed sound: its stamp) in samples from movie time 0;
    // AV_NOPTS_VALUE for one that no sound could have.
    int64_t _ToSamples(int64_t time) const;
    bool _Resampler(const AVFrame* frame);
    void _Convert(const uint8_t** in, int count);
    void _Append(const uint8_t* samples, int count);
    // Settles the count once decoding has reached the end.
    void _Finish();
    int _FrameBytes() const { return _form.channels * _form.bits / 8; }
    // 16-bit samples in this machine's byte order: what the resampler gives.
    bool _NativeForm() const {
        return _form.bits == 16 && _form.bigEndian == (std::endian::native == std::endian::big);
    }

    std::string _path;
    KnownFile _known;
    FormatPtr _probe; // the context opened first, until the count or the first read takes it
    FormatPtr _format;
    FormatPtr _framesRead; // an MP3 context that counting read to the end, for its index
    CodecPtr _decoder;
    PacketPtr _packet;
    FramePtr _frame;
    ResamplerPtr _resampler;
    std::vector<uint8_t> _scratch;
    std::vector<uint8_t> _converted;
    std::vector<uint8_t> _silence;
    int _index = -1;
    AVRational _timeBase{1, 1};
    bool _audioOnly = false;
    bool _draining = false;
    bool _ended = false;
    bool _finished = false;
    bool _stale = true;     // decoding must find its place again before the next read
    bool _counting = false; // decoding only to count the samples
    bool _raw = false;      // packets hold samples as they are
    bool _seekable = false;
    bool _settles = false; // the codec's state settles only in time: two pre-rolls must agree
    int64_t _preroll = 0;  // samples decoded before a place after a seek
    // After a seek: the next frame with a time places the timeline, and samples before
    // _feedFrom are placed but not converted. _landed is where the first frame was placed.
    bool _anchor = false;
    int64_t _feedFrom = 0;
    int64_t _landed = 0;
    // Where an Ogg stream's last page starts: the times of the page that a seek lands on are
    // reckoned back from its end, which the last page trims, so seeks land before it. 0 while
    // it is not known, which keeps the stream from seeking; -1 for other containers.
    int64_t _lastPage = -1;
    // Ogg: its granules place the sound where they agree with the count of its packets' samples,
    // as reading weighs them; once one is found that leaves it (a lie, or a loss), the sound is
    // placed by an index instead.
    std::unique_ptr<GranuleCheck> _granules;
    bool _granulesLeft = false;
    // Ogg files joined end to end, whose links the timeline places one after another.
    std::unique_ptr<OggChain> _chain;
    // Ogg: the page of the frame decoded last (kNoPage before the first).
    static constexpr int64_t kNoPage = INT64_MIN;
    bool _pageTimes = false;
    int64_t _page = kNoPage;
    // The frames decoded last, each where it was placed, for a change of form of sound that
    // does not seek.
    struct Decoded {
        FramePtr frame;
        int64_t at = 0, samples = 0;
    };
    std::deque<Decoded> _history;
    // A frame whose time jumped ahead, held until the next one tells a loss from a lie: where
    // its time places it and its samples (0: none held).
    FramePtr _held;
    int64_t _heldAt = 0;
    int64_t _heldSamples = 0;
    std::unique_ptr<SoundIndex> _packets;
    SoundIndex::Cursor _cursor; // where decoding stands in the index
    PacketFilter _take;         // _Take, for an indexed sound
    bool _indexTried = false;   // a movie's index is started once, at its opening
    bool _indexLost = false;    // decoding found packets that the index does not hold
    std::shared_ptr<const Timeline> _timeline;
    std::size_t _part = 0;  // the timeline's part of the packet read last
    int64_t _indexLead = 0; // where the index's first sample lies on the timeline
    // After a seek of an indexed sound, packets whose samples end before this place of the
    // index are passed over; a decoder whose noise must start where a whole decoding's stands
    // waits for a packet where it does.
    int64_t _takeFrom = INT64_MIN;
    bool _noiseAligned = true;
    FramePtr _spare;
    bool _reform = false; // the form has changed since the queue was made
    std::vector<uint8_t>* _kept = nullptr;
    int64_t _keepFrom = 0;
    int64_t _keepTo = 0;
    int32_t _rate = 0;
    int32_t _channels = 0;
    int32_t _bits = 16;
    AVCodecID _codecId = AV_CODEC_ID_NONE;
    uint32_t _codecTag = 0;
    PcmForm _form;
    // The stream's start, and movie time 0, in its time base; AV_NOPTS_VALUE when the
    // container does not know the start (the first decoded frame then sets both).
    int64_t _start = AV_NOPTS_VALUE;
    int64_t _origin = AV_NOPTS_VALUE;
    int64_t _lead = 0;         // samples of silence before the stream's start
    int64_t _sampleCount = -1; // counted on first use
    // Source samples placed on the timeline, decoded and filled with silence so far.
    int64_t _placed = 0;
    int64_t _decoded = 0;
    int64_t _filled = 0;
    // Where the next frame begins if none is lost, by the last frame's time; and the furthest end
    // of the packets read (in the stream's time base).
    int64_t _expected = 0;
    int64_t _packetEnd = AV_NOPTS_VALUE;
    // The last frame's rate, sample format, channels and samples at the source rate.
    int _lastRate = 0;
    int _lastFormat = -1;
    int _lastChannels = 0;
    int64_t _lastSamples = 0;
    // What the resampler was made for.
    int _inRate = 0;
    int _inFormat = -1;
    int _inChannels = 0;
    // Output samples [_queueFirst, _queueFirst + queue size / frame bytes) are held.
    PcmQueue _queue;
    int64_t _queueFirst = 0;
};

} // namespace tbx::movie
