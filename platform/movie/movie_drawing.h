// A movie's frame drawn into a 32-bit port.
#pragma once

#include "platform/movie/movie.h"
#include "platform/quickdraw/qd_types.h"

namespace tbx {

// The frame at `time` scaled to `box` (in the port's coordinates), clipped to the port. False
// without a picture, for a port that is not 32 bits deep, or a box too large to render.
bool DrawMovieFrame(Movie& movie, TimeValue time, CGrafPtr port, const Rect& box);

} // namespace tbx
