#include "platform/movie/sound_times.h"

#include <algorithm>
#include <cstdlib>

#include "platform/movie/packet_samples.h"

namespace tbx::movie {

namespace {

// A unit's first time, as how far it lies from where counting the samples before it puts it,
// and those samples.
struct Unit {
    int64_t deviation = 0, counted = 0, time = 0;
};

// The units of packets read in order.
class Units {
public:
    Units(AVRational timeBase, int rate) : _timeBase(timeBase), _rate(rate) {}

    void Add(const AVPacket* packet, int64_t samples) {
        const bool starts = (packet->pos >= 0 && packet->pos != _from) || _counted < 0;
        _counted = std::max<int64_t>(_counted, 0);
        if (packet->pos >= 0)
            _from = packet->pos;
        const int64_t at = SamplesAt(PacketTime(packet), 0, _timeBase, _rate);
        if (starts && at != AV_NOPTS_VALUE)
            _units.push_back(Unit{at - _counted, _counted, PacketTime(packet)});
        _counted += samples;
    }
    const std::vector<Unit>& List() const { return _units; }

    // Whether the units from `first` on lie where counting puts them, to within the rounding of
    // times.
    bool Exact(std::size_t first) const {
        if (_units.size() < first + 2)
            return false;
        const auto [low, high] = std::minmax_element(
            _units.begin() + std::ptrdiff_t(first), _units.end(),
            [](const Unit& a, const Unit& b) { return a.deviation < b.deviation; });
        return high->deviation - low->deviation <= TimesRounding(_timeBase, _rate);
    }

private:
    AVRational _timeBase;
    int _rate;
    std::vector<Unit> _units;
    int64_t _counted = -1; // -1 before the first packet
    int64_t _from = -2;
};

} // namespace

int64_t TimesRounding(AVRational timeBase, int rate) {
    return std::max(av_rescale_q(2, timeBase, AVRational{1, rate}), av_rescale(2, rate, 1000)) + 1;
}

Opening OpeningTime(const std::vector<PacketPtr>& packets, const std::vector<int64_t>& samples,
                    AVRational timeBase, int rate) {
    if (packets.empty() || rate <= 0)
        return Opening{};
    Units units(timeBase, rate);
    for (std::size_t i = 0; i < packets.size() && i < samples.size(); ++i)
        units.Add(packets[i].get(), samples[i]);
    const std::vector<Unit>& list = units.List();
    const int64_t own = PacketTime(packets.front().get());
    // A unit's time is borne out by the next one's to within the times' rounding: one that lies
    // by less than a packet lies too.
    const int64_t rounding = TimesRounding(timeBase, rate);
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        if (std::llabs(list[i + 1].deviation - list[i].deviation) <= rounding)
            return Opening{i == 0 ? own
                                  : list[i].time - av_rescale_q(list[i].counted,
                                                                AVRational{1, rate}, timeBase),
                           i == 0 && units.Exact(0)};
    return Opening{own, false};
}

int64_t ExactEnd(AVFormatContext* format, int index, int64_t declaredEnd, bool trimmed) {
    const AVStream* stream = format->streams[index];
    const int rate = stream->codecpar->sample_rate;
    if (rate <= 0)
        return AV_NOPTS_VALUE;
    PacketSamples samplesOf(stream->codecpar);
    Units units(stream->time_base, rate);
    int64_t first = -2;
    bool counting = false, told = true;
    const int64_t end =
        ContentEnd(format, index, declaredEnd, nullptr, trimmed, [&](const AVPacket* packet) {
            const int64_t samples = samplesOf(packet);
            // Reading may begin inside the first unit: the count starts with the next.
            if (!counting) {
                if (first == -2)
                    first = packet->pos;
                counting = packet->pos >= 0 && packet->pos != first;
            }
            if (!counting)
                return;
            told = told && samples >= 0;
            units.Add(packet, samples);
        });
    return end != AV_NOPTS_VALUE && told && units.Exact(0) ? end : AV_NOPTS_VALUE;
}

} // namespace tbx::movie
