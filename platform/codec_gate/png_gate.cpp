// PNG: the chunks that FFmpeg's decoder reads beyond the image, and its image stream's size.
#include <array>
#include <cstring>

#include <zlib.h>

#include "platform/codec_gate/gate_rows.h"
#include "platform/codec_gate/inflate.h"

namespace tbx::gate {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
constexpr uint8_t kMngSignature[8] = {0x8A, 'M', 'N', 'G', 13, 10, 26, 10};
// A deflate stream gives at most this many bytes a byte.
constexpr uint64_t kMostInflation = 1040;
// What an image stream may inflate to beyond twice its rows before it is refused.
constexpr uint64_t kSpareInflation = uint64_t(1) << 20;

bool Is(const uint8_t* tag, const char* name) {
    return tag[0] == uint8_t(name[0]) && tag[1] == uint8_t(name[1]) && tag[2] == uint8_t(name[2]) &&
           tag[3] == uint8_t(name[3]);
}

struct Header {
    uint64_t width = 0, height = 0;
    unsigned bits = 0; // a pixel's
    bool interlaced = false;
};

bool ReadHeader(const uint8_t* data, uint32_t length, Header& header) {
    static constexpr unsigned kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    if (length != 13 || data[9] > 6 || kChannels[data[9]] == 0)
        return false;
    header.width = Be32(data);
    header.height = Be32(data + 4);
    header.bits = kChannels[data[9]] * data[8];
    header.interlaced = data[12] != 0;
    return true;
}

// The filtered rows an image stream inflates to, with their filter bytes.
uint64_t RowBytes(const Header& h) {
    auto rows = [&](uint64_t w, uint64_t lines) {
        return w == 0 || lines == 0 ? 0 : lines * (1 + (w * h.bits + 7) / 8);
    };
    if (!h.interlaced)
        return rows(h.width, h.height);
    // The seven passes: first column and row, then their steps.
    static constexpr std::array<std::array<uint64_t, 4>, 7> kPasses{{{0, 0, 8, 8},
                                                                     {4, 0, 8, 8},
                                                                     {0, 4, 4, 8},
                                                                     {2, 0, 4, 4},
                                                                     {0, 2, 2, 4},
                                                                     {1, 0, 2, 2},
                                                                     {0, 1, 1, 2}}};
    uint64_t total = 0;
    for (const auto& [x, y, dx, dy] : kPasses)
        total += rows(h.width > x ? (h.width - x + dx - 1) / dx : 0,
                      h.height > y ? (h.height - y + dy - 1) / dy : 0);
    return total;
}

} // namespace

Gated PngImage(const Packet& packet) {
    const uint8_t* d = packet.data;
    const std::size_t size = packet.size;
    Gated plain;
    plain.work = size + Pixels(packet);
    if (size < 8 ||
        (std::memcmp(d, kPngSignature, 8) != 0 && std::memcmp(d, kMngSignature, 8) != 0))
        return plain; // the decoder reads nothing further
    Rewrite out(packet);
    Header header;
    bool headed = false;
    std::vector<std::pair<std::size_t, uint32_t>> image;
    uint64_t imageBytes = 0;
    // The chunks as the decoder walks them, up to the first it cannot take whole or the end.
    for (std::size_t at = 8; size - at >= 12;) {
        const uint32_t length = Be32(d + at);
        if (length > 0x7FFFFFFF || length > size - at - 12)
            break;
        const uint8_t* tag = d + at + 4;
        if (Is(tag, "IEND"))
            break;
        if (Is(tag, "IHDR") && !headed)
            headed = ReadHeader(tag + 4, length, header);
        else if (Is(tag, "IDAT"))
            image.emplace_back(at + 8, length), imageBytes += length;
        else if (Is(tag, "tEXt") || Is(tag, "zTXt") || Is(tag, "iCCP")) {
            // The second letter's case marks a private chunk, which it passes over; the
            // checksum is made anew for readers that check it.
            const uint8_t renamed[4] = {tag[0], uint8_t(tag[1] ^ 0x20), tag[2], tag[3]};
            uLong crc = crc32(crc32(0, renamed, 4), tag + 4, length);
            out.Set(at + 5, renamed[1]);
            for (int i = 0; i < 4; ++i)
                out.Set(at + 8 + length + std::size_t(i), uint8_t(crc >> (24 - 8 * i)));
        }
        at += 12 + std::size_t(length);
    }
    uint64_t work = size;
    if (headed && header.width * header.height <= packet.maxPixels) {
        const uint64_t rows = RowBytes(header);
        work += header.width * header.height + rows;
        const uint64_t most = 2 * rows + kSpareInflation;
        uint64_t inflated = 0;
        if (imageBytes * kMostInflation > most && InflatesBeyond(d, image, most, &inflated))
            return Refused(size + inflated);
    }
    return out.Done(work);
}

} // namespace tbx::gate
