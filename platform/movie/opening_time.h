// Where a stream's sound begins by its first packets' times: a packet's time counts only where
// the next unit's (the next PES, tag or block that packets are read from) bears it out, so that
// the time of a first unit that lies alone does not place the whole sound. Internal to the movie
// stand-in.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/movie/ffmpeg_support.h"

namespace tbx::movie {

// The time, in the stream's time base, at which the first of `packets` (the stream's first, in
// order) begins: its own where the next unit's time bears it out, else that of the first unit
// whose time the unit after it bears out, less the samples before it (`samples`: each packet's,
// as stored). The first packet's own time where none is borne out; AV_NOPTS_VALUE without one.
int64_t OpeningTime(const std::vector<PacketPtr>& packets, const std::vector<int64_t>& samples,
                    AVRational timeBase, int rate);

} // namespace tbx::movie
