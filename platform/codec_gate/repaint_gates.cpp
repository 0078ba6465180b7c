// Decoders that paint the whole frame, or a tile as large as it, for a chunk of a few bytes:
// FLIC's clearing chunks, Go2Meeting's tiles, cursors and display changes, RemotelyAnywhere
// screen captures' clearing and moving chunks, and Gryphon's animations' tiles.
#include <algorithm>
#include <bit>

#include "platform/codec_gate/gate_rows.h"

namespace tbx::gate {
namespace {

// A frame needs clearing once; past this it repaints nothing that the first did not.
constexpr uint64_t kMostClears = 4;
// Go2Meeting: what a frame may paint beyond this many frames' worth (a cursor's shape and
// the room for its tiles) before it is refused.
constexpr uint64_t kMostPaints = 4;
constexpr uint64_t kPaintSpare = uint64_t(1) << 20;

// RemotelyAnywhere screen captures: the largest cursor drawn, whose every pixel may be matched
// against a whole palette for every frame, and the paints of a frame beyond this many frames'
// worth.
constexpr uint64_t kLargestCursor = 256 * 256;
constexpr uint64_t kMostRascPaints = 8;

// Gryphon's animations: a frame paints each pixel about once, coarse tiles then finer ones;
// past this many frames' worth it repaints what it has painted.
constexpr uint64_t kMostArbcPaints = 8;

constexpr uint32_t Tag(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
           uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24;
}

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

Gated RascFrame(const Packet& packet) {
    // Chunks of a type and a size, one after another; the size is passed over save after an
    // initialising chunk, which the decoder reads only as far as it understands it. Such a
    // chunk of eight bytes clears the picture and its reference; one that states a size sets
    // up and clears both at that size; a key frame inflates both; a move chunk may copy or
    // clear a region as large as the frame for each of as many moves as the frame has pixels,
    // inflated from a few bytes; a cursor is inflated, and drawn on every frame after.
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    uint64_t frame = Pixels(packet), painted = 0, cursor = 0;
    std::size_t at = 0;
    if (size >= 4 && Le32(d) == Tag("EMPT"))
        at = size; // nothing drawn
    while (size - at >= 8) {
        uint32_t type = Le32(d + at);
        at += 4;
        if (type == Tag("KBND") || type == Tag("BNDL")) {
            type = Le32(d + at);
            at += 4;
            if (size - at < 4)
                break;
        }
        const uint32_t length = Le32(d + at);
        at += 4;
        if (length > size - at)
            break;
        const uint8_t* c = d + at;
        const std::size_t left = size - at;
        auto initialise = [&] {
            // Only the first word tells a size apart from a clearing.
            if (left < 4 || Le32(c) != 0x65) {
                painted += 2 * frame;
                return std::size_t(0);
            }
            if (left < 72)
                return left;
            const uint64_t pixels = uint64_t(Le32(c + 8)) * Le32(c + 12);
            if (pixels <= packet.maxPixels)
                frame = std::max(frame, pixels);
            painted += 2 * frame;
            return std::size_t(72) + ((uint32_t(c[46]) | uint32_t(c[47]) << 8) == 8 ? 1024 : 0);
        };
        if (type == Tag("FINT") || type == Tag("INIT")) {
            at += std::min(initialise(), left);
            continue;
        }
        if (type == Tag("KFRM")) {
            initialise();
            painted += 2 * frame;
        } else if (type == Tag("MOVE") && length >= 12) {
            painted += std::min<uint64_t>(Le32(c + 8), frame) * frame;
        } else if (type == Tag("DLTA")) {
            painted += 3 * frame;
        } else if (type == Tag("MOUS") && length >= 16) {
            const uint64_t pixels = uint64_t(Le32(c + 8)) * Le32(c + 12);
            if (pixels > kLargestCursor)
                return Refused(size);
            cursor = std::max(cursor, pixels);
            painted += 3 * pixels;
        }
        at += length;
    }
    if (painted > kMostRascPaints * frame + kPaintSpare)
        return Refused(size);
    Gated gated;
    // The frame copied out, and the cursor drawn over it, each pixel matched against a palette
    // of 256 (a cursor from an earlier packet, no larger, is drawn at the same cost).
    gated.work = size + frame + 256 * cursor + painted;
    return gated;
}

Gated ArbcFrame(const Packet& packet) {
    // After eight bytes, a count of segments, each a colour and the sizes of tile it fills
    // (1024, 256, 64, 16 and 4 pixels square), each size with a count of tiles and, for each, its
    // place and a mask of the sixteen cells it fills: four bytes may fill a million pixels.
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    const uint64_t width = uint64_t(std::max(packet.width, 0));
    const uint64_t height = uint64_t(std::max(packet.height, 0));
    const uint64_t area = width * height;
    uint64_t painted = 0;
    std::size_t at = 10;
    const uint32_t segments = size >= 10 ? uint32_t(d[8]) | uint32_t(d[9]) << 8 : 0;
    if (size >= 10 && 7 * uint64_t(segments) <= size - 10) {
        for (uint32_t s = 0; s < segments && at < size; ++s) {
            const uint8_t sizes = size - at > 6 ? d[at + 6] : 0;
            at = std::min(size, at + 7);
            for (const uint64_t tile : {1024, 256, 64, 16, 4}) {
                const uint8_t bit = tile == 1024  ? 0x10
                                    : tile == 256 ? 0x08
                                    : tile == 64  ? 0x04
                                    : tile == 16  ? 0x02
                                                  : 0x01;
                if (!(sizes & bit))
                    continue;
                const uint64_t tiles =
                    size - at >= 2 ? uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 : 0;
                at = std::min(size, at + 2);
                if ((width / tile + 1) * (height / tile + 1) < tiles)
                    continue; // passed over
                // Records past the packet's end read as empty ones, each a pass over its cells.
                const uint64_t cell = std::min(tile * tile / 16, std::max<uint64_t>(area, 1));
                painted += 16 * tiles;
                uint64_t t = 0;
                for (; t < tiles && size - at >= 4; ++t, at += 4)
                    painted += cell * std::popcount(unsigned(d[at + 2]) | unsigned(d[at + 3]) << 8);
                at = std::size_t(std::min<uint64_t>(size, at + 4 * (tiles - t)));
            }
        }
    }
    if (painted > kMostArbcPaints * area + kPaintSpare)
        return Refused(size);
    Gated gated;
    gated.work = size + area + painted; // the frame before copied, then painted over
    return gated;
}

} // namespace tbx::gate
