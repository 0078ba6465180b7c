// Reading a tag body through a reader that holds only the tag's bytes, so that no count or
// offset in the body can take a read past the tag's declared end.
#pragma once

#include <cstdint>
#include <utility>

#include "swf/stream/bounded_read.h"

namespace ravuz {

// Runs `body` over a reader of the bytes from the reader's position to the end of the current
// tag (its version kept), then moves the reader past what the body consumed (a partly read
// last byte counts as read). Returns the bytes consumed.
template <class Body>
uint32_t SwfReadTagBody(CBK_SwfReader* reader, Body&& body) {
    return CBK_SwfBoundedRead(reader).Within(std::forward<Body>(body));
}

} // namespace ravuz
