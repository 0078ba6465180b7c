#include "platform/movie/granule_check.h"

#include <algorithm>
#include <cstdlib>

#include "platform/movie/ogg_pages.h"

namespace tbx::movie {

namespace {

// Stretches kept, the latest ones; an older one is read again when a seek needs it.
constexpr std::size_t kMostKept = 64;
// Bytes searched for a page's start where reading lands; bytes of pages weighed at most, and of
// one packet (beyond them, reading the packets weighs the rest).
constexpr std::size_t kSyncSearch = 65536;
constexpr int64_t kMostWeighed = int64_t(64) << 20;
constexpr std::size_t kMostPacket = std::size_t(1) << 20;

struct Page {
    OggPage header;
    std::vector<uint8_t> body;
};

// Reads the page that begins where the reader stands; false at the end, or where none begins.
bool ReadPage(AVIOContext* io, Page& page) {
    uint8_t bytes[OggPage::kHeader + 255];
    if (avio_read(io, bytes, int(OggPage::kHeader)) != int(OggPage::kHeader))
        return false;
    const int segments = bytes[OggPage::kHeader - 1];
    if (avio_read(io, bytes + OggPage::kHeader, segments) != segments ||
        !ParseOggPage(bytes, OggPage::kHeader + std::size_t(segments), page.header))
        return false;
    const int size = int(page.header.bytes) - int(OggPage::kHeader) - segments;
    page.body.resize(std::size_t(size));
    return avio_read(io, page.body.data(), size) == size;
}

} // namespace

GranuleCheck::GranuleCheck(const AVCodecParameters* parameters, AVRational timeBase, int stream)
    : _parameters(avcodec_parameters_alloc()), _timeBase(timeBase), _rate(parameters->sample_rate),
      _stream(stream) {
    if (_parameters)
        avcodec_parameters_copy(_parameters.get(), parameters);
    Restart();
}

GranuleCheck::~GranuleCheck() = default;

void GranuleCheck::Restart() {
    _Keep();
    _samples = _parameters ? std::make_unique<PacketSamples>(_parameters.get()) : nullptr;
    _landed = -1;
    _counting = true;
    _counted = 0;
    _base = _end = AV_NOPTS_VALUE;
}

void GranuleCheck::_Keep() {
    if (_stretch.second <= _stretch.first)
        return;
    if (_kept.size() >= kMostKept)
        _kept.erase(_kept.begin());
    _kept.push_back(_stretch);
    _stretch = {0, 0};
}

bool GranuleCheck::Agrees(int64_t from, int64_t to) const {
    auto within = [&](const std::pair<int64_t, int64_t>& s) {
        return s.first <= from && to <= s.second;
    };
    return within(_stretch) || std::any_of(_kept.begin(), _kept.end(), within);
}

bool GranuleCheck::_Agrees(int64_t time) {
    const int64_t deviation = time - _counted;
    const int64_t slack = std::max<int64_t>(2 * _longest, _rate / 100);
    if (_base == AV_NOPTS_VALUE) {
        _base = deviation;
        _stretch = {time, time};
        return true;
    }
    if (std::llabs(deviation - _base) > slack)
        return false;
    _stretch.second = time;
    return true;
}

bool GranuleCheck::Weigh(const AVPacket* packet) {
    const int64_t raw = _counting && _samples ? (*_samples)(packet) : -1;
    const int64_t time =
        SamplesAt(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts, 0, _timeBase, _rate);
    // The page read first may begin with the end of a packet, which the times of its packets
    // are reckoned without; the pages after it are timed exactly.
    if (_landed < 0)
        _landed = packet->pos;
    const bool agrees =
        !_counting || raw < 0 || time == AV_NOPTS_VALUE || packet->pos == _landed || _Agrees(time);
    if (raw < 0) {
        _counting = false; // nothing more to weigh
    } else {
        _counted += raw;
        _longest = std::max(_longest, raw);
    }
    if (time != AV_NOPTS_VALUE)
        _end = time + std::max<int64_t>(raw, 0);
    else if (_end != AV_NOPTS_VALUE && raw > 0)
        _end += raw;
    return agrees;
}

bool GranuleCheck::_FindSerial(AVIOContext* io) {
    // The streams' first pages begin the file, one for each, in the order of their numbers.
    if (_serial >= 0)
        return true;
    if (avio_seek(io, 0, SEEK_SET) < 0)
        return false;
    Page page;
    for (int found = 0; ReadPage(io, page) && (page.header.flags & OggPage::kFirst); ++found)
        if (found == _stream) {
            _serial = page.header.serial;
            return true;
        }
    return false;
}

bool GranuleCheck::WeighPages(AVIOContext* io, int64_t until, int64_t start, int64_t& restart) {
    Restart();
    int64_t at = avio_tell(io);
    restart = at;
    PacketPtr packet(av_packet_alloc());
    if (!packet || !_samples || !_FindSerial(io))
        return true;
    // Reading lands at a page's start, or a little before one.
    std::vector<uint8_t> near(kSyncSearch);
    if (avio_seek(io, at, SEEK_SET) < 0)
        return true;
    const int got = avio_read(io, near.data(), int(near.size()));
    const char sync[] = "OggS";
    const auto found = std::search(near.begin(), near.begin() + std::max(got, 0), sync, sync + 4);
    at += found - near.begin();
    if (found == near.begin() + std::max(got, 0) || avio_seek(io, at, SEEK_SET) < 0)
        return true;
    Page page;
    std::vector<uint8_t> assembled;
    bool whole = false; // the packet being assembled began on a page read here
    bool first = true;  // the page read first, whose packets only prime the count
    // Counts a packet that began on a page read here; false where nothing more is to be weighed.
    auto weigh = [&](std::vector<uint8_t>& bytes) {
        const bool counts = whole && !bytes.empty();
        whole = true;
        if (!counts)
            return true;
        packet->data = bytes.data();
        packet->size = int(bytes.size());
        const int64_t raw = (*_samples)(packet.get());
        packet->data = nullptr;
        packet->size = 0;
        if (raw < 0)
            return false;
        if (!first) {
            _counted += raw;
            _longest = std::max(_longest, raw);
        }
        return true;
    };
    // Up to the end, or damage that reading the packets will meet.
    for (int64_t place = at, from = at; at - from < kMostWeighed && ReadPage(io, page);
         place = at) {
        at += page.header.bytes;
        // The granule: where the last packet completed on the page ends (-1: none completes; 0:
        // a page of the stream's headers).
        const int64_t granule = page.header.granule;
        if (page.header.serial != _serial || granule == 0)
            continue;
        if (!(page.header.flags & OggPage::kContinued)) { // a page that continues no packet
            assembled.clear();
            whole = true;
        }
        if (!AssemblePackets(page.header, page.body, assembled, kMostPacket, weigh))
            return true;
        const int64_t time = granule > 0 ? SamplesAt(granule, 0, _timeBase, _rate) : AV_NOPTS_VALUE;
        if (time == AV_NOPTS_VALUE)
            continue;
        if (first)
            first = false;
        else if (!_Agrees(time))
            return false;
        if (time <= start)
            restart = place;
        if (time >= until)
            return true;
    }
    return true;
}

} // namespace tbx::movie
