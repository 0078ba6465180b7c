// Still-image codecs whose decoders read metadata in a form of their own: WebP's EXIF chunk and
// OpenEXR's attributes.
#include <cstring>

#include "platform/codec_gate/gate_rows.h"

namespace tbx::gate {
namespace {

// Each attribute it keeps is set after a search of those kept before, over names of up to 255
// bytes: in pixels' worth a pair.
constexpr uint64_t kAttributePairWork = 8;

uint64_t PlainWork(const Packet& packet) {
    return packet.size + uint64_t(packet.width > 0 ? packet.width : 0) *
                             uint64_t(packet.height > 0 ? packet.height : 0);
}

uint32_t Le32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
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
    Gated gated;
    gated.work = PlainWork(packet) + strings * strings * kAttributePairWork;
    return gated;
}

} // namespace tbx::gate
