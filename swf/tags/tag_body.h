// Reading a tag body through a reader that holds only the tag's bytes, so that no count or
// offset in the body can take a read past the tag's declared end.
#pragma once

#include <cstdint>
#include <vector>

#include "swf/stream/swf_reader.h"

namespace ravuz {

// Runs `body` over a reader of the bytes from the reader's position to the end of the current
// tag (its version kept), then moves the reader past what the body consumed (a partly read
// last byte counts as read). Returns the bytes consumed.
template <class Body>
uint32_t SwfReadTagBody(CBK_SwfReader* reader, Body&& body) {
    reader->ByteAlign();
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    std::vector<uint8_t> bytes;
    reader->GetBytes(bytes, end > start ? end - start : 0);
    CBK_SwfReader bounded;
    bounded.CreateFromBytes(bytes.data(), bytes.size(), reader->GetVersion());
    body(bounded);
    bounded.ByteAlign();
    const uint32_t used = bounded.GetBufPos();
    reader->SetBufPos(start + used);
    return used;
}

} // namespace ravuz
