#include "platform/codec_gate/inflate.h"

#include <algorithm>
#include <array>
#include <climits>

#include <zlib.h>

namespace tbx::gate {

bool InflatesBeyond(const uint8_t* data, const std::vector<std::pair<std::size_t, uint32_t>>& parts,
                    uint64_t most, uint64_t* inflated) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return true;
    std::array<uint8_t, 1 << 16> sink;
    bool beyond = false, ended = false;
    for (const auto& [at, length] : parts) {
        z.next_in = const_cast<uint8_t*>(data + at);
        z.avail_in = length;
        while (z.avail_in > 0 && !ended && !beyond) {
            z.next_out = sink.data();
            z.avail_out = uInt(sink.size());
            const int result = inflate(&z, Z_NO_FLUSH);
            beyond = z.total_out > most;
            if (result == Z_BUF_ERROR)
                break;              // wants the next part
            ended = result != Z_OK; // the stream's end, or data the decoder gives up on
        }
        if (ended || beyond)
            break;
    }
    if (inflated)
        *inflated = z.total_out;
    inflateEnd(&z);
    return beyond;
}

bool InflateWhole(const uint8_t* data, std::size_t size, uint64_t room, std::vector<uint8_t>& out) {
    out.clear();
    z_stream z{};
    if (size > UINT_MAX || inflateInit(&z) != Z_OK)
        return false;
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = uInt(size);
    int result = Z_OK;
    for (;;) {
        if (z.total_out == out.size()) {
            if (out.size() >= room)
                break; // full, and the stream goes on
            // Doubling: what is set aside stays within twice what the stream has given.
            out.resize(std::size_t(std::min<uint64_t>(
                room, std::min<uint64_t>(UINT_MAX, std::max<uint64_t>(4096, 2 * out.size())))));
        }
        z.next_out = out.data() + z.total_out;
        z.avail_out = uInt(out.size() - z.total_out);
        result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK && !(result == Z_BUF_ERROR && z.avail_out == 0))
            break;
        if (result == Z_OK && z.avail_out > 0 && z.avail_in == 0)
            break; // cut short
    }
    out.resize(z.total_out);
    inflateEnd(&z);
    return result == Z_STREAM_END;
}

} // namespace tbx::gate
