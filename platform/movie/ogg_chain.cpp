#include "platform/movie/ogg_chain.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/intreadwrite.h>
}

namespace tbx::movie {

namespace {

// A look reads the pages at the file's quarters, besides its first and last: another link's
// stream shows in the last; links of one stream number show where a quarter's page numbers lower
// than one before it.
constexpr int kLooks = 4;
// Bytes searched for a page where a look lands: the largest page.
constexpr int64_t kPageSpan = OggPage::kHeader + 255 + 255 * 255;
// Pages with a granule kept for seeks, every other one once they reach this many.
constexpr std::size_t kMostPages = std::size_t(1) << 20;
// The header packets that a link's pages may take, and their bytes.
constexpr int kMostHeaderPages = 64;
constexpr std::size_t kMostHeaderBytes = std::size_t(1) << 20;
// Links and rates beyond these are not a chain's to place.
constexpr std::size_t kMostLinks = 4096;
constexpr int kMostRate = 768000;

using Pages = std::vector<std::pair<int64_t, int64_t>>;

// The first of the pages from `from` to `to` that begins at `pos` or after it.
Pages::const_iterator PageFrom(Pages::const_iterator from, Pages::const_iterator to, int64_t pos) {
    return std::lower_bound(from, to, pos, [](const std::pair<int64_t, int64_t>& page, int64_t at) {
        return page.first < at;
    });
}

// Whether a time lies where a sound's could (a granule far beyond is damage).
bool Near(int64_t time) {
    return time != AV_NOPTS_VALUE && time > -kFarSamples && time < kFarSamples;
}

} // namespace

OggChain::~OggChain() = default;

std::unique_ptr<OggChain> OggChain::Find(AVFormatContext* format, int stream,
                                         const std::string& path) {
    // The demuxer changes links only in a file of one stream.
    if (!format || format->nb_streams != 1 || stream != 0)
        return nullptr;
    const AVStream* sound = format->streams[stream];
    const AVCodecParameters* parameters = sound->codecpar;
    if ((parameters->codec_id != AV_CODEC_ID_VORBIS && parameters->codec_id != AV_CODEC_ID_OPUS &&
         parameters->codec_id != AV_CODEC_ID_FLAC) ||
        parameters->sample_rate <= 0 || sound->time_base.num != 1 ||
        sound->time_base.den != parameters->sample_rate)
        return nullptr;
    std::unique_ptr<OggChain> chain(new OggChain);
    chain->_codec = parameters->codec_id;
    chain->_file = OggFile::Open(path);
    if (!chain->_file || !chain->_Joined())
        return nullptr;
    chain->_path = path;
    chain->_known = DescribeFile(format);
    chain->_parameters.reset(avcodec_parameters_alloc());
    if (!chain->_parameters || avcodec_parameters_copy(chain->_parameters.get(), parameters) < 0)
        return nullptr;
    if (!chain->_Walk() || chain->_links.size() < 2 ||
        chain->_links[0].rate != parameters->sample_rate)
        return nullptr;
    // Decoding across the links reads a context of its own, from the start: the first link's
    // first frame.
    FormatPtr own = OpenMediaFile(path, &chain->_known);
    if (!own || FindSoundStream(own.get()) != stream)
        return nullptr;
    chain->_firstTime = FirstFrameTime(own.get(), stream);
    if (!chain->_Measure(own.get(), stream))
        return nullptr;
    chain->_end = chain->_links.back().ends;
    return chain;
}

bool OggChain::_Joined() {
    OggPage first;
    if (!_file->PageAt(0, first) || !(first.flags & OggPage::kFirst))
        return false;
    std::vector<OggPage> seen;
    const int64_t size = _file->Size();
    for (int i = 1; i < kLooks; ++i)
        if (OggPage page; _file->PageFrom(size * i / kLooks, kPageSpan, page, false))
            seen.push_back(page);
    if (OggPage last; _file->LastPage(last))
        seen.push_back(last);
    // Within one stream, pages number on and granules grow: another stream, a stream's first
    // page, or a number or granule that goes back shows another link.
    uint32_t sequence = first.sequence;
    int64_t granule = 0, at = 0;
    for (const OggPage& page : seen) {
        if (page.pos <= at)
            continue;
        at = page.pos;
        if (page.serial != first.serial || (page.flags & OggPage::kFirst) ||
            page.sequence < sequence || (page.granule >= 0 && page.granule < granule))
            return true;
        sequence = page.sequence;
        granule = std::max(granule, page.granule);
    }
    return false;
}

bool OggChain::_Walk() {
    const int64_t size = _file->Size();
    _file->ReadAhead(std::size_t(256) << 10);
    OggPage page;
    std::vector<uint8_t> body;
    int64_t count = 0;
    bool headersOnly = false; // the page before began a link
    for (int64_t pos = 0; pos < size; pos = page.pos + page.bytes) {
        // Bytes that hold no whole page: the demuxer looks for the next one.
        if (!_file->PageAt(pos, page) && !_file->PageFrom(pos + 1, size, page))
            break;
        if (page.flags & OggPage::kFirst) {
            // A link of several streams, or of another codec, is one that the demuxer stops at.
            if (headersOnly || !_file->PageAt(page.pos, page, &body))
                break;
            Link link;
            const uint8_t* head = body.data();
            if (_codec == AV_CODEC_ID_VORBIS && body.size() >= 16 &&
                std::memcmp(head, "\x01vorbis", 7) == 0) {
                link.channels = head[11];
                link.rate = int(AV_RL32(head + 12));
            } else if (_codec == AV_CODEC_ID_OPUS && body.size() >= 19 &&
                       std::memcmp(head, "OpusHead", 8) == 0) {
                link.channels = head[9];
                link.preskip = AV_RL16(head + 10);
                link.rate = 48000; // whatever the rate it was made from
            } else if (_codec == AV_CODEC_ID_FLAC && body.size() >= 51 && head[0] == 0x7F &&
                       std::memcmp(head + 1, "FLAC", 4) == 0 &&
                       std::memcmp(head + 9, "fLaC", 4) == 0) {
                // The stream information block after the mapping's header and its own.
                link.rate = int(AV_RB24(head + 27) >> 4);
                link.channels = ((head[29] >> 1) & 7) + 1;
            } else {
                break;
            }
            if (link.rate <= 0 || link.rate > kMostRate || link.channels <= 0)
                break;
            // So many links cost more to measure than a file of sound is worth: it is read as
            // one of a single link.
            if (_links.size() >= kMostLinks)
                return false;
            if (!_links.empty())
                _links.back().end = page.pos;
            link.bos = page.pos;
            link.end = size;
            link.serial = page.serial;
            _links.push_back(link);
            headersOnly = true;
            continue;
        }
        headersOnly = false;
        if (_links.empty())
            return false;
        Link& link = _links.back();
        // A page of no stream known: the demuxer ends there.
        if (page.serial != link.serial) {
            link.end = page.pos;
            break;
        }
        if (link.firstAudio == 0 && page.granule != 0)
            link.firstAudio = page.pos;
        if (link.firstAudio != 0 && page.granule >= 0) {
            link.lastPage = page.pos;
            link.lastGranule = page.granule;
            if (count++ % _stride == 0) {
                _pages.emplace_back(page.pos, page.granule);
                if (_pages.size() >= kMostPages)
                    KeepEveryOther(_pages, _stride);
            }
        }
    }
    // A last link of headers alone gives no sound; one amid the others is not played as one.
    while (!_links.empty() && _links.back().lastPage == 0)
        _links.pop_back();
    if (!_links.empty())
        _links.back().end = std::min(_links.back().end, size);
    for (const Link& link : _links)
        if (link.lastPage == 0)
            return false;
    _file->ReadAhead(std::size_t(8) << 10);
    for (const Link& link : _links)
        _oneForm = _oneForm && link.rate == _links[0].rate &&
                   (_codec == AV_CODEC_ID_OPUS || link.channels == _links[0].channels);
    return true;
}

std::size_t OggChain::_LinkAt(int64_t pos) const {
    const auto after = std::upper_bound(_links.begin(), _links.end(), pos,
                                        [](int64_t p, const Link& link) { return p < link.bos; });
    return after == _links.begin() ? 0 : std::size_t(after - _links.begin()) - 1;
}

int64_t OggChain::_InFirstRate(const Link& link, int64_t time) const {
    const int rate = _links[0].rate;
    return link.rate == rate ? time : av_rescale(time, rate, link.rate);
}

bool OggChain::_Headers(std::size_t k, std::vector<std::vector<uint8_t>>& headers) {
    headers.clear();
    const Link& link = _links[k];
    OggPage page;
    std::vector<uint8_t> body, packet;
    int64_t pos = link.bos;
    for (int pages = 0; headers.size() < 3 && pages < kMostHeaderPages && pos < link.end; ++pages) {
        if (!_file->PageAt(pos, page, &body))
            return false;
        pos = page.pos + page.bytes;
        if (page.serial != link.serial)
            continue;
        if (!AssemblePackets(page, body, packet, kMostHeaderBytes, [&](std::vector<uint8_t>& got) {
                headers.push_back(std::move(got));
                return headers.size() < 3;
            }))
            break;
    }
    return headers.size() == 3 && !headers[0].empty() && headers[0][0] == 1 &&
           !headers[1].empty() && headers[1][0] == 3 && !headers[2].empty() && headers[2][0] == 5;
}

CodecPtr OggChain::_Decoder(std::size_t k, AVRational timeBase) {
    CodecPtr decoder = movie::OpenDecoder(_parameters.get(), timeBase);
    if (!decoder || _codec != AV_CODEC_ID_VORBIS)
        return decoder;
    // A Vorbis decoder takes a link's headers with its packets, as a read in order gives them.
    if (_headersOf != k) {
        _headersOf = SIZE_MAX;
        if (!_Headers(k, _headers))
            return nullptr;
        _headersOf = k;
    }
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return nullptr;
    for (const std::vector<uint8_t>& header : _headers) {
        if (av_new_packet(packet.get(), int(header.size())) < 0)
            return nullptr;
        std::memcpy(packet->data, header.data(), header.size());
        const int sent = avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
        }
        if (sent < 0)
            return nullptr;
    }
    return decoder;
}

CodecPtr OggChain::OpenDecoder(AVRational timeBase) {
    return _Decoder(_sought, timeBase);
}

bool OggChain::_Measure(AVFormatContext* format, int stream) {
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    const AVRational timeBase = format->streams[stream]->time_base;
    for (std::size_t k = 0; k < _links.size();) {
        Link& link = _links[k];
        // From the page before the link's last one, where the demuxer stands in this link (the
        // first one, or the one that the look before went on into): the frames of the page
        // that reading lands on are not placed by their times. A first link of one page is read
        // whole: a read in order places its first frame by its time.
        const auto before = PageFrom(_pages.begin(), _pages.end(), link.lastPage);
        int64_t from = before == _pages.begin() ? link.firstAudio : std::prev(before)->first;
        from = std::max(from, link.firstAudio);
        const bool whole = k == 0 && link.lastPage == link.firstAudio;
        if (whole)
            from = 0;
        int64_t framePos = from;
        CodecPtr decoder = _Decoder(k, timeBase);
        if (!decoder || av_seek_frame(format, stream, from, AVSEEK_FLAG_BYTE) < 0)
            return false;
        // On to the first frame of a later link that a read in order places by its time: the
        // samples of the links before it, of one page each, and of its own before that frame.
        int64_t lastTime = whole && _firstTime != INT64_MAX ? _firstTime : AV_NOPTS_VALUE;
        int64_t after = 0, timedAt = AV_NOPTS_VALUE;
        std::vector<int64_t> out(1, 0);
        std::size_t timed = 0;
        for (int64_t packetPos = -1; !timed && av_read_frame(format, packet.get()) >= 0;) {
            if (packet->stream_index != stream) {
                av_packet_unref(packet.get());
                continue;
            }
            // A later link's packets keep their times only on a page's first, as Take leaves
            // them.
            if (packet->pos == packetPos && _LinkAt(packet->pos) > 0)
                packet->pts = packet->dts = AV_NOPTS_VALUE;
            packetPos = packet->pos;
            avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            while (!timed && avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
                const int64_t pos = frame->pkt_pos;
                const std::size_t m = std::max(k, _LinkAt(pos));
                const int64_t time = frame->best_effort_timestamp;
                const bool placed = pos != framePos && time != AV_NOPTS_VALUE;
                framePos = pos;
                if (placed && !Near(time))
                    return false;
                if (out.size() <= m - k)
                    out.resize(m - k + 1, 0);
                if (m == k) {
                    if (placed && !whole)
                        lastTime = time, after = 0;
                    after += frame->nb_samples;
                } else if (placed && pos > _links[m].firstAudio) {
                    _links[m].timedFrom = pos;
                    timedAt = time;
                    timed = m;
                } else {
                    out[m - k] += frame->nb_samples;
                }
            }
        }
        if (!Near(lastTime) || !Near(after))
            return false;
        link.ends = link.offset + _InFirstRate(link, lastTime + after);
        // Links between, whose frames are none placed by their times (one page of sound each),
        // end where decoding them whole puts them.
        const std::size_t next = timed ? timed : _links.size();
        out.resize(std::max(out.size(), next - k + 1), 0);
        for (std::size_t m = k + 1; m < next; ++m) {
            Link& between = _links[m];
            if (!Near(between.lastGranule))
                return false;
            between.ends = _links[m - 1].ends + _InFirstRate(between, out[m - k]);
            between.offset =
                between.ends - _InFirstRate(between, between.lastGranule - between.preskip);
        }
        if (!timed)
            break;
        _links[next].offset = _links[next - 1].ends + _InFirstRate(_links[next], out[next - k]) -
                              _InFirstRate(_links[next], timedAt);
        k = next;
    }
    return true;
}

Taken OggChain::Take(AVPacket* packet) {
    const bool first = packet->pos != _lastPos;
    _lastPos = packet->pos;
    const std::size_t k = _LinkAt(packet->pos);
    if (k == 0)
        return Taken::kTake;
    const Link& link = _links[k];
    // Where only the demuxer's reckoning of its first link's packets times a packet, it carries
    // no time; nor an end, which times alone would put beyond the sound.
    packet->duration = 0;
    if (!first || packet->pos < link.timedFrom || !Near(packet->pts))
        packet->pts = packet->dts = AV_NOPTS_VALUE;
    else
        packet->pts = packet->dts = link.offset + _InFirstRate(link, packet->pts);
    return Taken::kTake;
}

bool OggChain::Seek(FormatPtr& format, int stream, int64_t time) {
    std::size_t k = 0;
    while (k + 1 < _links.size() && _links[k].ends <= time)
        ++k;
    const Link& link = _links[k];
    // The last page of the link whose granule lies at or before the time.
    const int64_t rate = _links[0].rate;
    const int64_t granule =
        (link.rate == rate ? time - link.offset : av_rescale(time - link.offset, link.rate, rate)) +
        link.preskip;
    const auto first = PageFrom(_pages.begin(), _pages.end(), link.firstAudio);
    const auto last = PageFrom(first, _pages.end(), link.end);
    const auto after =
        std::partition_point(first, last, [&](const auto& page) { return page.second <= granule; });
    const int64_t landing = after == first ? link.firstAudio : std::prev(after)->first;
    FormatPtr opened = OpenMediaFile(_path, &_known, true, link.bos);
    if (!opened || FindSoundStream(opened.get()) != stream ||
        av_seek_frame(opened.get(), stream, landing, AVSEEK_FLAG_BYTE) < 0)
        return false;
    format = std::move(opened);
    _sought = k;
    _lastPos = -1;
    return true;
}

} // namespace tbx::movie
