#include "platform/movie/sound_index.h"

#include <algorithm>

extern "C" {
#include <libavcodec/vorbis_parser.h>
#include <libavutil/intreadwrite.h>
}

namespace tbx::movie {

namespace {

// Packets decoded at each end to check the index: the first ones may deliver less than their
// headers say (a decoder's delay, a first block that only primes the next), the rest must not.
constexpr int64_t kChecked = 48;
constexpr int64_t kPriming = 8;

// Packets beyond these (hours of sound in the shortest packets) are not indexed: a file made of
// countless tiny packets decodes from its start instead of costing memory in proportion.
constexpr std::size_t kMostPackets = std::size_t(1) << 22;

struct VorbisParserFree {
    void operator()(AVVorbisParseContext* context) const { av_vorbis_parse_free(&context); }
};
struct ParserFree {
    void operator()(AVCodecParserContext* context) const { av_parser_close(context); }
};

// The samples per channel that a packet's header says it holds, before what the container marks
// to skip or discard; -1 where the header does not tell.
class PacketSamples {
public:
    explicit PacketSamples(const AVCodecParameters* parameters) : _parameters(parameters) {
        const AVCodecID id = parameters->codec_id;
        if (id == AV_CODEC_ID_VORBIS)
            _vorbis.reset(av_vorbis_parse_init(parameters->extradata, parameters->extradata_size));
        else if (id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2)
            _wmaFrame = WmaFrameSamples(parameters);
        else if (av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(parameters), 0) <= 0) {
            _parser.reset(av_parser_init(id));
            _context.reset(avcodec_alloc_context3(nullptr));
            if (_parser && _context &&
                avcodec_parameters_to_context(_context.get(), parameters) >= 0)
                _parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
            else
                _parser.reset();
        }
    }

    int64_t operator()(const AVPacket* packet) {
        if (_vorbis) {
            int flags = 0;
            const int samples =
                av_vorbis_parse_frame_flags(_vorbis.get(), packet->data, packet->size, &flags);
            // Header packets carry no sound.
            return samples >= 0 ? samples : -1;
        }
        if (_wmaFrame != 0)
            return _wmaFrame;
        const int fixed =
            av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(_parameters), packet->size);
        if (fixed > 0)
            return fixed;
        if (!_parser)
            return -1;
        uint8_t* out = nullptr;
        int outSize = 0;
        av_parser_parse2(_parser.get(), _context.get(), &out, &outSize, packet->data, packet->size,
                         packet->pts, packet->dts, packet->pos);
        return outSize == packet->size && _parser->duration > 0 ? _parser->duration : -1;
    }

private:
    // Windows Media Audio 1 and 2 without the bit reservoir code one frame a packet; frames are
    // sized by the rate. With the reservoir, a packet's frames depend on the one before.
    static int64_t WmaFrameSamples(const AVCodecParameters* parameters) {
        const bool v1 = parameters->codec_id == AV_CODEC_ID_WMAV1;
        const int flagsAt = v1 ? 2 : 4;
        if (parameters->extradata_size < flagsAt + 2 ||
            (AV_RL16(parameters->extradata + flagsAt) & 2))
            return -1;
        const int rate = parameters->sample_rate;
        if (rate <= 16000)
            return 512;
        if (rate <= 22050 || (v1 && rate <= 32000))
            return 1024;
        return 2048;
    }

    const AVCodecParameters* _parameters;
    std::unique_ptr<AVVorbisParseContext, VorbisParserFree> _vorbis;
    std::unique_ptr<AVCodecParserContext, ParserFree> _parser;
    CodecPtr _context;
    int64_t _wmaFrame = 0;
};

int64_t TimeOf(const AVPacket* packet) {
    return packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
}

} // namespace

std::unique_ptr<SoundIndex> SoundIndex::Build(AVFormatContext* format, int stream,
                                              const std::string& path, const KnownFile& known) {
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return nullptr;
    std::unique_ptr<SoundIndex> index(new SoundIndex);
    index->_byBytes = !IsContainer(format, "matroska") && !IsContainer(format, "asf") &&
                      !(format->iformat->flags & AVFMT_NO_BYTE_SEEK);
    std::vector<int64_t> told; // each packet's samples as its header and side data say
    const AVStream* sound = format->streams[stream];
    PacketSamples samplesOf(sound->codecpar);
    // The container's times show where packets are missing: a time further ahead of the
    // samples before it than two of the longest packets (more than any rounding of the times,
    // or the container's view of where a packet's samples begin, can account for).
    const AVRational perSample{1, sound->codecpar->sample_rate};
    int64_t firstTime = AV_NOPTS_VALUE, counted = 0, longest = 0;
    for (; av_read_frame(format, packet.get()) >= 0; av_packet_unref(packet.get())) {
        if (packet->stream_index != stream)
            continue;
        int64_t samples = samplesOf(packet.get());
        // A packet without a place of its own (a frame that a parser found inside another
        // packet's data) follows the one before it.
        const int64_t pos = packet->pos >= 0           ? packet->pos
                            : !index->_entries.empty() ? index->_entries.back().pos
                                                       : -1;
        if (samples < 0 || pos < 0 || index->_entries.size() == kMostPackets ||
            (!index->_entries.empty() && pos < index->_entries.back().pos))
            return nullptr;
        const auto [skip, discard] = Trimmed(packet.get());
        const int64_t time = TimeOf(packet.get());
        if (time != AV_NOPTS_VALUE) {
            if (firstTime == AV_NOPTS_VALUE)
                firstTime = time;
            const int64_t ahead =
                av_rescale_q(time - firstTime, sound->time_base, perSample) - counted;
            longest = std::max(longest, samples);
            if (ahead > 2 * longest + av_rescale_q(2, sound->time_base, perSample)) {
                index->_lost.emplace_back(int64_t(told.size()), ahead);
                counted += ahead;
            }
        }
        counted += samples;
        index->_entries.push_back(Entry{pos, time, 0});
        told.push_back(std::max<int64_t>(0, samples - skip - discard));
    }
    packet.reset();
    const int64_t count = int64_t(told.size());
    if (count == 0)
        return nullptr;
    // The first packets, decoded, may deliver less than they say (a decoder's delay, a block
    // that only primes the next); the rest must deliver what they say.
    std::vector<int64_t> got;
    int64_t drained = 0;
    if (!index->_Decode(path, known, stream, 0, told.size(), got, drained))
        return nullptr;
    int64_t settled = int64_t(got.size());
    while (settled > 0 && got[settled - 1] == told[settled - 1])
        --settled;
    const bool whole = count == int64_t(got.size());
    if (!whole && settled > kPriming)
        return nullptr;
    for (std::size_t i = std::size_t(settled); i < index->_adjust.size(); ++i)
        if (index->_adjust[i] != 0 && got[i] > 0)
            return nullptr; // the decoder moves every frame's time
    std::copy(got.begin(), got.begin() + settled, told.begin());
    index->_adjust.resize(std::size_t(settled));
    // The same for the last ones after a seek, whose draining gives what a whole decoding's does.
    if (!whole) {
        index->_Place(told);
        std::vector<int64_t> last;
        const int64_t from = count - kChecked;
        if (!index->_Decode(path, known, stream, from, told.size(), last, drained))
            return nullptr;
        for (int64_t i = kPriming; i < int64_t(last.size()); ++i)
            if (last[i] != told[from + i])
                return nullptr;
    }
    index->_Place(told);
    index->_samples = index->_entries.back().sample + told.back() + drained;
    return index;
}

void SoundIndex::_Place(const std::vector<int64_t>& samples) {
    int64_t at = 0;
    auto lost = _lost.begin();
    for (std::size_t i = 0; i < _entries.size(); ++i) {
        for (; lost != _lost.end() && lost->first == int64_t(i); ++lost)
            at += lost->second;
        _entries[i].sample = at;
        at += samples[i];
    }
}

bool SoundIndex::Seek(AVFormatContext* format, int stream, int64_t at) {
    _last = -1;
    const Entry& entry = _entries[std::size_t(at)];
    return _byBytes ? av_seek_frame(format, stream, entry.pos, AVSEEK_FLAG_BYTE) >= 0
                    : av_seek_frame(format, stream, entry.time, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool SoundIndex::_Decode(const std::string& path, const KnownFile& known, int stream, int64_t from,
                         std::size_t total, std::vector<int64_t>& got, int64_t& drained) {
    FormatPtr format = OpenMediaFile(path, &known);
    CodecPtr decoder = format && FindSoundStream(format.get()) == stream
                           ? OpenDecoder(format->streams[stream])
                           : nullptr;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!decoder || !packet || !frame || (from > 0 && !Seek(format.get(), stream, from)))
        return false;
    decoder->pkt_timebase = AVRational{1, decoder->sample_rate > 0 ? decoder->sample_rate : 1};
    const int64_t end = std::min<int64_t>(int64_t(total), from + kChecked);
    // Where the samples of the packets fed so far end, as they decode.
    int64_t at = from > 0 ? _entries[std::size_t(from)].sample : 0;
    auto receive = [&](int64_t* adjust) {
        int64_t samples = 0;
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            if (adjust && samples == 0 && frame->best_effort_timestamp != AV_NOPTS_VALUE)
                *adjust = frame->best_effort_timestamp - at;
            samples += frame->nb_samples;
        }
        return samples;
    };
    _last = -1;
    int64_t next = from;
    for (; next < end && av_read_frame(format.get(), packet.get()) >= 0;
         av_packet_unref(packet.get())) {
        if (packet->stream_index != stream)
            continue;
        const int64_t which = Find(packet.get());
        if (which < next)
            continue; // before the packet wanted
        if (which != next)
            return false;
        const auto [skip, discard] = Trimmed(packet.get());
        packet->pts = packet->dts = at - skip;
        int64_t adjust = 0;
        // A packet refused delivers nothing: after a seek, a parser may give the first frame
        // cut short.
        const int64_t samples = avcodec_send_packet(decoder.get(), packet.get()) >= 0
                                    ? receive(from == 0 ? &adjust : nullptr)
                                    : 0;
        if (from == 0)
            _adjust.push_back(adjust);
        got.push_back(samples);
        at += samples;
        ++next;
    }
    av_packet_unref(packet.get());
    if (next < end)
        return false;
    if (end == int64_t(total)) {
        avcodec_send_packet(decoder.get(), nullptr);
        drained = receive(nullptr);
    }
    return true;
}

int64_t SoundIndex::Before(int64_t sample) const {
    auto after = std::upper_bound(_entries.begin(), _entries.end(), sample,
                                  [](int64_t s, const Entry& e) { return s < e.sample; });
    return after == _entries.begin() ? 0 : int64_t(after - _entries.begin()) - 1;
}

int64_t SoundIndex::Find(const AVPacket* packet) {
    const std::size_t next = std::size_t(_last + 1);
    const int64_t time = TimeOf(packet);
    auto matches = [&](std::size_t i) {
        return _entries[i].pos == packet->pos &&
               (time == AV_NOPTS_VALUE || _entries[i].time == time ||
                // The only packet at its place needs no time: a raw stream's are guesses after
                // a seek.
                ((i == 0 || _entries[i - 1].pos != packet->pos) &&
                 (i + 1 == _entries.size() || _entries[i + 1].pos != packet->pos)));
    };
    // The packet after the last one found, known by its time where it has one: after a seek a
    // parser may place the frames of a program stream's packet apart from how it first did.
    if (_last >= 0 && next < _entries.size()) {
        const Entry& entry = _entries[next];
        if (time != AV_NOPTS_VALUE ? entry.time == time
                                   : packet->pos < 0 && entry.pos == _entries[next - 1].pos)
            return _last = int64_t(next);
        if (packet->pos >= 0 && matches(next))
            return _last = int64_t(next);
    }
    if (packet->pos < 0)
        return -1;
    auto found = std::lower_bound(_entries.begin(), _entries.end(), packet->pos,
                                  [](const Entry& e, int64_t pos) { return e.pos < pos; });
    for (; found != _entries.end() && found->pos == packet->pos; ++found)
        if (matches(std::size_t(found - _entries.begin())))
            return _last = int64_t(found - _entries.begin());
    return -1;
}

int64_t SoundIndex::EndOf(int64_t at) const {
    const std::size_t next = std::size_t(at) + 1;
    return next < _entries.size() ? _entries[next].sample : _samples;
}

void SoundIndex::Stamp(AVPacket* packet, int64_t at) const {
    const auto [skip, discard] = Trimmed(packet);
    const std::size_t i = std::size_t(at);
    const int64_t adjust = i < _adjust.size() ? _adjust[i] : 0;
    packet->pts = packet->dts = _entries[i].sample - skip - adjust;
    packet->duration = std::max<int64_t>(0, EndOf(at) - _entries[i].sample) + skip + discard;
}

} // namespace tbx::movie
