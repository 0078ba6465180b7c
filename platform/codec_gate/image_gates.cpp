// Still-image codecs whose decoders read metadata in a form of their own: WebP's EXIF chunk and
// OpenEXR's attributes, and OpenEXR's blocks, every channel of which is decompressed.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/codec_gate/gate_rows.h"

namespace tbx::gate {
namespace {

// Each attribute it keeps is set after a search of those kept before, over names of up to 255
// bytes: in pixels' worth a pair.
constexpr uint64_t kAttributePairWork = 8;

uint64_t PlainWork(const Packet& packet) {
    return packet.size + Pixels(packet);
}

// What an OpenEXR picture's blocks decompress to beyond this many bytes a pixel of the picture
// (64 half or 32 full channels) and the spare is refused: channels that are not drawn are
// decompressed all the same, in every block, however many blocks name the same bytes.
constexpr uint64_t kExrBytesPerPixel = 128;
constexpr uint64_t kExrSpare = uint64_t(1) << 24;

// The lines of a block of each compression, the decoder's way.
uint64_t LinesPerBlock(uint8_t compression) {
    static constexpr uint16_t kLines[] = {1, 1, 1, 16, 32, 16, 32, 32, 32, 256};
    return compression < std::size(kLines) ? kLines[compression] : 0;
}

// What all of an OpenEXR picture's blocks decompress to, as its header tells: each block in
// full, of every channel. 0 where the header does not tell it (the decoder then refuses it).
uint64_t ExrBlockBytes(const Packet& packet, uint64_t& pixels) {
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    if (size < 8 || Le32(d) != 20000630u)
        return 0;
    const bool tiled = d[5] & 0x02;
    uint64_t sampleBytes = 0; // a pixel's, over every channel
    int64_t box[4] = {0, 0, -1, -1};
    uint64_t lines = 0, tileWidth = 0, tileHeight = 0;
    bool boxed = false;
    std::size_t at = 8;
    auto text = [&](std::string_view& out) {
        const void* end = std::memchr(d + at, 0, size - at);
        if (!end)
            return false;
        out = std::string_view(reinterpret_cast<const char*>(d + at),
                               std::size_t(static_cast<const uint8_t*>(end) - (d + at)));
        at += out.size() + 1;
        return true;
    };
    while (at < size && d[at] != 0) {
        std::string_view name, type;
        if (!text(name) || !text(type) || size - at < 4)
            return 0;
        const uint32_t length = Le32(d + at);
        at += 4;
        if (length > size - at)
            return 0;
        const uint8_t* value = d + at;
        if (name == "channels" && type == "chlist") {
            for (std::size_t c = 0; c < length && value[c] != 0;) {
                const void* end = std::memchr(value + c, 0, length - c);
                if (!end)
                    return 0;
                c = std::size_t(static_cast<const uint8_t*>(end) - value) + 1;
                if (length - c < 16)
                    return 0;
                sampleBytes += Le32(value + c) == 1 ? 2 : 4;
                c += 16;
            }
        } else if (name == "compression" && type == "compression" && length >= 1) {
            lines = LinesPerBlock(value[0]);
        } else if (name == "dataWindow" && type == "box2i" && length >= 16) {
            for (int i = 0; i < 4; ++i)
                box[i] = int32_t(Le32(value + 4 * i));
            boxed = true;
        } else if (name == "tiles" && type == "tiledesc" && length >= 9) {
            tileWidth = Le32(value);
            tileHeight = Le32(value + 4);
        }
        at += length;
    }
    if (!boxed || box[2] < box[0] || box[3] < box[1] || lines == 0 || sampleBytes == 0)
        return 0;
    const uint64_t width = uint64_t(box[2] - box[0] + 1), height = uint64_t(box[3] - box[1] + 1);
    pixels = width * height;
    if (pixels > packet.maxPixels)
        return 0; // refused by the decoder
    if (tiled) {
        if (tileWidth == 0 || tileHeight == 0)
            return 0;
        const uint64_t tiles =
            ((width + tileWidth - 1) / tileWidth) * ((height + tileHeight - 1) / tileHeight);
        return tiles * std::min(tileWidth, width) * std::min(tileHeight, height) * sampleBytes;
    }
    const uint64_t blocks = (height + lines - 1) / lines;
    return blocks * width * std::min(lines, height) * sampleBytes;
}

} // namespace

Gated WebpImage(const Packet& packet) {
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    Rewrite out(packet);
    if (size < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WEBP", 4) != 0)
        return out.Done(PlainWork(packet));
    // Its chunks as the decoder walks them; an "EXIF" one renamed, so that it is passed over.
    for (std::size_t at = 12; size - at > 8;) {
        uint64_t length = Le32(d + at + 4);
        if (length == UINT32_MAX)
            break;
        length += length & 1;
        if (size - at - 8 < length)
            break;
        if (std::memcmp(d + at, "EXIF", 4) == 0)
            out.Set(at, 'e');
        at += 8 + std::size_t(length);
    }
    return out.Done(PlainWork(packet));
}

Gated ExrImage(const Packet& packet) {
    // Every attribute typed "string" whose name it does not know goes into metadata; counted
    // wherever such a type could be read, as that takes its header's walk.
    static constexpr char kStringType[] = "\0string"; // with its terminator, 8 bytes
    uint64_t strings = 0;
    for (std::size_t at = 0; packet.size >= 8 && at <= packet.size - 8; ++at)
        strings += std::memcmp(packet.data + at, kStringType, 8) == 0;
    uint64_t pixels = 0;
    const uint64_t blocks = ExrBlockBytes(packet, pixels);
    if (blocks > kExrBytesPerPixel * pixels + kExrSpare)
        return Refused(packet.size);
    Gated gated;
    gated.work = PlainWork(packet) + blocks + pixels + strings * strings * kAttributePairWork;
    return gated;
}

} // namespace tbx::gate
