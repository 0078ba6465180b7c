// How a sound stream's times stand to the samples of its packets, unit by unit (the PES, tag,
// block or data packet that packets are read from): where its first times that bear each other
// out put its start, and whether its first and last times bear out the samples between them
// closely enough to tell its end without counting every packet. Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/movie/ffmpeg_support.h"

namespace tbx::movie {

// Where a stream's sound begins by its first packets.
struct Opening {
    // The time, in the stream's time base, at which the first packet begins: its own where the
    // next unit's time bears it out, else that of the first unit whose time the unit after it
    // bears out, less the samples before it. A time that lies alone thus does not place the
    // whole sound. The first packet's own time where none is borne out; AV_NOPTS_VALUE without
    // one.
    int64_t time = AV_NOPTS_VALUE;
    // Whether every unit's time lies where counting the samples puts it, to within the times'
    // rounding: the first packet's own time too.
    bool exact = false;
};

// The rounding of a stream's times, in samples at `rate`: two ticks of the time base, as the
// index allows for it, but no less than two milliseconds, the clock of most containers, whose
// times a copy into a finer one keeps; and a sample.
int64_t TimesRounding(AVRational timeBase, int rate);

// The opening of `packets`, the stream's first in order, each holding `samples` as stored.
Opening OpeningTime(const std::vector<PacketPtr>& packets, const std::vector<int64_t>& samples,
                    AVRational timeBase, int rate);

// The end of stream `index`'s sound in its time base by its last packets (ContentEnd, and
// `trimmed` as there), where every unit read there, after the first, lies where counting the
// samples of the packets before it puts it, to within the times' rounding. AV_NOPTS_VALUE where
// they do not (a time that lies, times that drift from the samples), fewer than two units are
// read, or a packet's samples cannot be told.
int64_t ExactEnd(AVFormatContext* format, int index, int64_t declaredEnd, bool trimmed);

} // namespace tbx::movie
