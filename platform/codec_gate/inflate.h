// zlib streams as the decoders inflate them, at a cost in proportion to what they give rather
// than to the room a decoder sets aside for them. Internal to the gate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tbx::gate {

// Whether the stream in `parts` (pieces of `data` at their offsets) inflates to more than
// `most` bytes, inflating it to its end as a decoder that takes all of it does; `inflated`,
// when given, receives how much was inflated to find out.
bool InflatesBeyond(const uint8_t* data, const std::vector<std::pair<std::size_t, uint32_t>>& parts,
                    uint64_t most, uint64_t* inflated = nullptr);

// The whole of one stream, as zlib's uncompress gives it into `room` bytes: false where it is
// damaged, cut short or needs more room. `out` grows with what the stream gives, so a stream
// that fails early costs little however large the room.
bool InflateWhole(const uint8_t* data, std::size_t size, uint64_t room, std::vector<uint8_t>& out);

} // namespace tbx::gate
