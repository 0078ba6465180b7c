// The bar of the standard movie controller along the bottom of its bounds: a play button at
// the left, the scrubber with its play head, and the current time at the right.
#pragma once

#include "platform/movie/movie_types.h"
#include "platform/types.h"

namespace tbx {

inline constexpr SInt16 kControllerBarHeight = 16;

struct ControllerBarLayout {
    Rect bar;
    Rect button;
    Rect track; // the groove the play head runs along; empty when the bar is too narrow
    Rect time;  // empty when the bar is too narrow for it
};

enum class ControllerBarPart { None, Button, Scrubber };

ControllerBarLayout LayOutControllerBar(const Rect& bar);
ControllerBarPart ControllerBarPartAt(const ControllerBarLayout& layout, Point local);
// Where a point along the scrubber puts the play head: 0 at the start, 1 at the end.
double ScrubberFraction(const ControllerBarLayout& layout, Point local);
// The column of the play head's middle for a fraction of the duration.
SInt16 PlayHeadColumn(const ControllerBarLayout& layout, double fraction);

// Draws the bar into the current port: the button shows pause while playing and play
// otherwise; the time is minutes and seconds.
void DrawControllerBar(const ControllerBarLayout& layout, bool playing, double fraction,
                       TimeValue time, TimeScale scale);

} // namespace tbx
