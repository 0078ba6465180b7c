// Compressed movies of repeated bytes, gigabytes of them in a few kilobytes, made without
// holding what they inflate to: for the tests and benchmarks of compression bombs.
#pragma once

#include <cstdint>
#include <vector>
#include <zlib.h>

namespace swfbomb {

using Bytes = std::vector<uint8_t>;

inline constexpr uint64_t MiB = 1 << 20;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Deflated(z_stream& zs, const Bytes& in, int flush) {
    Bytes out(deflateBound(&zs, in.size()) + 64);
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, flush);
    out.erase(out.end() - zs.avail_out, out.end());
    return out;
}

// The zlib stream of `head`, `unit` `count` times, then `tail`, made without holding the
// repeats: they are deflated a block of about 1 MiB at a time from a reset state (a full
// flush), so one block's bytes stand for every block.
inline Bytes ZlibOfRepeats(const Bytes& head, const Bytes& unit, uint64_t count,
                           const Bytes& tail) {
    const uint64_t perBlock = MiB / unit.size(), blocks = count / perBlock;
    Bytes block, rest;
    for (uint64_t i = 0; i < perBlock; ++i)
        block.insert(block.end(), unit.begin(), unit.end());
    for (uint64_t i = 0; i < count % perBlock; ++i)
        rest.insert(rest.end(), unit.begin(), unit.end());
    rest.insert(rest.end(), tail.begin(), tail.end());
    z_stream zs{};
    deflateInit(&zs, 9);
    const Bytes first = Deflated(zs, head, Z_FULL_FLUSH);
    const Bytes repeated = Deflated(zs, block, Z_FULL_FLUSH);
    Bytes last = Deflated(zs, rest, Z_FINISH);
    deflateEnd(&zs);
    uLong adler = adler32(1, head.data(), static_cast<uInt>(head.size()));
    const uLong blockAdler = adler32(1, block.data(), static_cast<uInt>(block.size()));
    Bytes out = first;
    out.reserve(first.size() + blocks * repeated.size() + last.size());
    for (uint64_t i = 0; i < blocks; ++i) {
        out.insert(out.end(), repeated.begin(), repeated.end());
        adler = adler32_combine(adler, blockAdler, static_cast<z_off_t>(block.size()));
    }
    if (!rest.empty()) // no bytes: zlib gives its initial check
        adler = adler32(adler, rest.data(), static_cast<uInt>(rest.size()));
    for (int i = 0; i < 4; ++i) // the trailer holds the check of everything
        last[last.size() - 4 + i] = static_cast<uint8_t>(adler >> (24 - 8 * i));
    return out + last;
}

// The fields after the length: an empty rectangle, 12 fps, the frame count.
inline Bytes HeaderFields(uint16_t frames) {
    return {0x00, 0x00, 0x0C, static_cast<uint8_t>(frames), static_cast<uint8_t>(frames >> 8)};
}

// A compressed movie of version 6 whose body (after its first 8 bytes) is `head`, `unit`
// `count` times and `tail`; its header states that length, or 4 GiB unless `truthful`.
inline Bytes CompressedMovie(const Bytes& head, const Bytes& unit, uint64_t count,
                             const Bytes& tail, bool truthful) {
    const uint64_t length =
        truthful ? 8 + head.size() + unit.size() * count + tail.size() : UINT32_MAX;
    Bytes file{'C', 'W', 'S', 6};
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<uint8_t>(length >> (8 * i)));
    return file + ZlibOfRepeats(head, unit, count, tail);
}

} // namespace swfbomb
