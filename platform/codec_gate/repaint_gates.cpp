// Decoders that paint the whole frame, or a tile as large as it, for a chunk of a few bytes:
// FLIC's clearing chunks and Go2Meeting's tiles, cursors and display changes.
#include <algorithm>

#include "platform/codec_gate/gate_rows.h"

namespace tbx::gate {
namespace {

uint32_t Le32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

uint32_t Be32(const uint8_t* at) {
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

uint64_t Pixels(const Packet& packet) {
    return uint64_t(packet.width > 0 ? packet.width : 0) *
           uint64_t(packet.height > 0 ? packet.height : 0);
}

// A frame needs clearing once; past this it repaints nothing that the first did not.
constexpr uint64_t kMostClears = 4;
// Go2Meeting: what a frame may paint beyond this many frames' worth (a cursor's shape and
// the room for its tiles) before it is refused.
constexpr uint64_t kMostPaints = 4;
constexpr uint64_t kPaintSpare = uint64_t(1) << 20;

} // namespace

Gated FlicFrame(const Packet& packet) {
    // The decoder takes the chunks one after another by their sizes (each cut to what is left
    // of the frame), from the frame's header of 16 bytes up to its stated count; a "black"
    // chunk of six bytes sets every pixel of the frame. Its other chunks paint no more than
    // their bytes reach, save one per frame that may walk every row before it runs out.
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    const uint64_t area = Pixels(packet);
    uint64_t clears = 0;
    if (size >= 16) {
        uint64_t left = std::min<uint64_t>(Le32(d), size);
        uint32_t chunks = uint32_t(d[6]) | uint32_t(d[7]) << 8;
        left = left >= 16 ? left - 16 : 0;
        for (std::size_t at = 16; left > 0 && chunks > 0 && size - at >= 4; --chunks) {
            const uint64_t chunk = std::min<uint64_t>(Le32(d + at), left);
            clears += size - at >= 6 && (uint32_t(d[at + 4]) | uint32_t(d[at + 5]) << 8) == 13;
            if (chunk < 6)
                break; // read past its end: the decoder stops there
            at += std::size_t(chunk);
            left -= chunk;
        }
    }
    if (clears > kMostClears)
        return Refused(size);
    Gated gated;
    gated.work = size + area * (1 + clears) + uint64_t(packet.height > 0 ? packet.height : 0);
    return gated;
}

Gated G2mFrame(const Packet& packet) {
    // Chunks one after another by their sizes. A display chunk sets the frame's size and sets
    // aside zeroed room for tiles of the size it states, each time; a tile chunk of six bytes
    // may fill its tile, as large as the frame, with one colour; a cursor chunk paints a shape
    // of up to 256 × 256. The frame is then copied out whole and the cursor painted on it.
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    constexpr uint64_t kCursor = 256 * 256;
    uint64_t frame = Pixels(packet), tile = frame, painted = 0;
    if (size >= 12 && (Be32(d) & ~0xFu) == 0x47324D30u) { // "G2M0" and its versions
        for (std::size_t at = 4; size - at > 5;) {
            const uint32_t chunk = Le32(d + at) - 1;
            const uint8_t type = d[at + 4];
            const std::size_t start = at + 5;
            if (chunk > size - start)
                break;
            const uint8_t* c = d + start;
            if (type == 0xC8 && chunk >= 21) {
                const uint64_t width = Be32(c), height = Be32(c + 4);
                const uint64_t tileWidth = Be32(c + 12), tileHeight = Be32(c + 16);
                if (width * height <= packet.maxPixels) {
                    painted += width * height > frame ? width * height : 0; // zeroed as it grows
                    frame = std::max(frame, width * height);
                }
                if (tileWidth * tileHeight <= packet.maxPixels) {
                    painted += 2 * tileWidth * tileHeight; // four buffers of tiles, zeroed
                    tile = std::min(tileWidth * tileHeight, frame);
                }
            } else if (type == 0xC9) {
                painted += std::min(tile, frame);
            } else if (type == 0xCB && chunk >= 8) {
                painted += 2 * uint64_t(std::max<uint8_t>(c[4], 1)) * std::max<uint8_t>(c[5], 1);
            }
            at = start + chunk;
        }
    }
    if (painted > kMostPaints * frame + kPaintSpare)
        return Refused(size);
    Gated gated;
    gated.work = size + frame + kCursor + painted;
    return gated;
}

} // namespace tbx::gate
