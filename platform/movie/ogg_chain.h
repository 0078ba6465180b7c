// Ogg files joined end to end, as `cat` joins them: links, each a stream of its own with its own
// headers and granules counted from 0, which FFmpeg's demuxer plays one after another. The links
// are put on one timeline: each link's sound begins where the one before ended in a decoding in
// order, so that its length is what the links hold and a jump lands where a read in order has
// the sound. A file of one link costs a look at a few pages spread through it. Internal to the
// movie stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/movie/ffmpeg_support.h"
#include "platform/movie/ogg_pages.h"

namespace tbx::movie {

class OggChain {
public:
    // Null unless sound stream `stream` of `format`, a context of the file at `path`, is the
    // first of several links of Vorbis, Opus or FLAC that the demuxer plays. Links after one of
    // another codec, or of several streams, are left out: the demuxer stops there. The context
    // is left where it stands.
    static std::unique_ptr<OggChain> Find(AVFormatContext* format, int stream,
                                          const std::string& path);
    ~OggChain();

    // The time of the first frame that decoding the first link gives (INT64_MAX: none).
    int64_t FirstTime() const { return _firstTime; }
    // Where the last link's sound ends on the timeline, in the stream's time base.
    int64_t End() const { return _end; }
    // Where the last link's last page begins.
    int64_t LastPage() const { return _links.back().lastPage; }
    // Whether every link decodes at the first one's rate and channels.
    bool OneForm() const { return _oneForm; }

    // Gives a packet read in order its time on the timeline: a later link's packets carry theirs
    // from where the links before end, but for those that only the demuxer's reckoning times
    // (on a link's first page, or after a page's first packet), which carry none.
    Taken Take(AVPacket* packet);
    // Has `format` read on from the page of the link before time `time` of the timeline, in the
    // stream's time base: a context of the file opened from the link's start, whose stream the
    // demuxer takes as the one it plays (after a seek it would take another link's stream as a
    // new one). False where it cannot.
    bool Seek(FormatPtr& format, int stream, int64_t time);
    // A decoder for reading after the last seek (or from the start): as a read in order has it,
    // the first link's, having taken the headers of the link sought where the codec takes them
    // with its packets.
    CodecPtr OpenDecoder(AVRational timeBase);

private:
    struct Link {
        int64_t bos = 0;        // where its first page begins
        int64_t firstAudio = 0; // its first page after its headers
        int64_t lastPage = 0;   // its last page with a granule, and that granule
        int64_t lastGranule = 0;
        int64_t end = 0; // where the next link begins, or the file ends
        uint32_t serial = 0;
        int rate = 0;
        int channels = 0;
        int64_t preskip = 0; // Opus: the samples that its granules count before its sound
        // Its first packet whose frame a read in order places by its time (INT64_MAX: none),
        // and how its times stand to the timeline's: timeline = offset + time (in its rate).
        int64_t timedFrom = INT64_MAX;
        int64_t offset = 0;
        // Where its sound ends on the timeline.
        int64_t ends = 0;
    };

    OggChain() = default;
    // A look at pages spread through the file: whether another stream or link shows.
    bool _Joined();
    // Reads every page: the links and their granules.
    bool _Walk();
    // Decodes across each link's end as a read in order does: where each link's sound ends and
    // how the next one's times stand to the timeline.
    bool _Measure(AVFormatContext* format, int stream);
    // The link that holds the file's place `pos`.
    std::size_t _LinkAt(int64_t pos) const;
    // A link's time in its own rate, in the first link's.
    int64_t _InFirstRate(const Link& link, int64_t time) const;
    // The header packets of link `k` that its decoder takes with its packets (Vorbis).
    bool _Headers(std::size_t k, std::vector<std::vector<uint8_t>>& headers);
    CodecPtr _Decoder(std::size_t k, AVRational timeBase);

    std::string _path;
    KnownFile _known;
    std::unique_ptr<OggFile> _file;
    ParametersPtr _parameters; // the first link's, which a decoder in order keeps
    AVCodecID _codec = AV_CODEC_ID_NONE;
    std::vector<Link> _links;
    // Pages with a granule, every `_stride`-th kept: (place, granule).
    std::vector<std::pair<int64_t, int64_t>> _pages;
    int64_t _stride = 1;
    int64_t _firstTime = INT64_MAX;
    int64_t _end = 0;
    bool _oneForm = true;
    std::size_t _sought = 0; // the link that the last seek went to
    int64_t _lastPos = -1;   // the place of the packet taken last
    std::size_t _headersOf = SIZE_MAX;
    std::vector<std::vector<uint8_t>> _headers; // of link _headersOf
};

} // namespace tbx::movie
