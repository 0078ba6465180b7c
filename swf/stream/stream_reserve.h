// Room for a large payload reserved before it is copied, growing geometrically so that a
// stream receiving one payload after another is not reallocated for each of them.
#pragma once

#include <algorithm>
#include <cstddef>

#include "swf/stream/swf_stream.h"

namespace ravuz {

inline void SwfReserveMore(CBK_SwfStream& stream, std::size_t extra) {
    const std::size_t need = std::size_t(stream.GetRealSize()) + extra;
    if (stream.Capacity() < need)
        stream.Reserve(std::max(need, stream.Capacity() * 2));
}

} // namespace ravuz
