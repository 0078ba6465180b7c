#include "platform/movie/opening_time.h"

#include <algorithm>
#include <cstdlib>

namespace tbx::movie {

int64_t OpeningTime(const std::vector<PacketPtr>& packets, const std::vector<int64_t>& samples,
                    AVRational timeBase, int rate) {
    if (packets.empty() || rate <= 0)
        return AV_NOPTS_VALUE;
    auto timeOf = [](const AVPacket* packet) {
        return packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    };
    // Each unit's first time, as how far it lies from where counting the samples before it puts
    // it, and those samples.
    struct Unit {
        int64_t deviation = 0, counted = 0, time = 0;
    };
    std::vector<Unit> units;
    int64_t counted = 0, longest = 0, from = -2;
    for (std::size_t i = 0; i < packets.size() && i < samples.size(); ++i) {
        const AVPacket* packet = packets[i].get();
        const bool starts = packet->pos >= 0 && packet->pos != from;
        if (packet->pos >= 0)
            from = packet->pos;
        const int64_t at = SamplesAt(timeOf(packet), 0, timeBase, rate);
        if ((starts || i == 0) && at != AV_NOPTS_VALUE)
            units.push_back(Unit{at - counted, counted, timeOf(packet)});
        counted += samples[i];
        longest = std::max(longest, samples[i]);
    }
    const int64_t own = timeOf(packets.front().get());
    // As the index weighs times: two of the longest packets and the times' rounding.
    const int64_t slack = 2 * longest + av_rescale_q(2, timeBase, AVRational{1, rate});
    for (std::size_t i = 0; i + 1 < units.size(); ++i)
        if (std::llabs(units[i + 1].deviation - units[i].deviation) <= slack)
            return i == 0 ? own
                          : units[i].time -
                                av_rescale_q(units[i].counted, AVRational{1, rate}, timeBase);
    return own;
}

} // namespace tbx::movie
