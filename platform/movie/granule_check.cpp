#include "platform/movie/granule_check.h"

#include <algorithm>
#include <cstdlib>

namespace tbx::movie {

namespace {

// Stretches kept, the latest ones; an older one is read again when a seek needs it.
constexpr std::size_t kMostKept = 64;

} // namespace

GranuleCheck::GranuleCheck(const AVCodecParameters* parameters, AVRational timeBase)
    : _parameters(avcodec_parameters_alloc()), _timeBase(timeBase), _rate(parameters->sample_rate) {
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

bool GranuleCheck::Weigh(const AVPacket* packet) {
    const int64_t raw = _counting && _samples ? (*_samples)(packet) : -1;
    const int64_t time =
        SamplesAt(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts, 0, _timeBase, _rate);
    bool agrees = true;
    // The page read first may begin with the end of a packet, which the times of its packets
    // are reckoned without; the pages after it are timed exactly.
    if (_landed < 0)
        _landed = packet->pos;
    if (_counting && raw >= 0 && time != AV_NOPTS_VALUE && packet->pos != _landed) {
        const int64_t deviation = time - _counted;
        const int64_t slack = std::max<int64_t>(2 * _longest, _rate / 100);
        if (_base == AV_NOPTS_VALUE) {
            _base = deviation;
            _stretch = {time, time};
        } else if (std::llabs(deviation - _base) > slack) {
            agrees = false;
        } else {
            _stretch.second = time;
        }
    }
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

} // namespace tbx::movie
