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

// A record header of the long form.
inline Bytes LongTag(uint16_t code, uint64_t length) {
    const uint16_t word = static_cast<uint16_t>(code << 6 | 0x3F);
    return {static_cast<uint8_t>(word),         static_cast<uint8_t>(word >> 8),
            static_cast<uint8_t>(length),       static_cast<uint8_t>(length >> 8),
            static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
}

inline Bytes Repeat(const Bytes& unit, std::size_t count) {
    Bytes out;
    out.reserve(unit.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

inline Bytes Word(uint16_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

// A movie of tiny objects repeated: `head`, `unit` so many times, `tail`, after the
// signature and length.
struct Flood {
    Bytes head, unit, tail;
};

// The kinds of objects a movie can hold the most of for its bytes, each made into a movie of
// `units` repeats (a unit is a tag, or the objects a tag holds).
struct FloodKind {
    const char* name;
    Flood (*make)(uint64_t units);
};

inline const std::vector<FloodKind>& FloodKinds() {
    static const Bytes kEnd{0, 0}, kMovie = HeaderFields(1);
    // A tag of `n` units of `unit` between `open` and `close`, as a whole unit of its own.
    static const auto inTags = [](uint16_t code, const Bytes& open, const Bytes& unit, uint64_t n,
                                  const Bytes& close) {
        return LongTag(code, open.size() + unit.size() * n + close.size()) + open +
               Repeat(unit, n) + close;
    };
    static const std::vector<FloodKind> kinds = {
        {"ShowFrame tags",
         [](uint64_t) {
             return Flood{kMovie, {0x40, 0x00}, kEnd};
         }},
        {"tags of one byte the model keeps as stored",
         [](uint64_t) {
             return Flood{kMovie, {0x01, 0x32, 0x00}, kEnd};
         }},
        {"empty DoAction tags",
         [](uint64_t) {
             return Flood{kMovie, {0x00, 0x03}, kEnd};
         }},
        {"PlaceObject2 tags of a depth alone",
         [](uint64_t) {
             return Flood{kMovie, {0x83, 0x06, 0x00, 0x01, 0x00}, kEnd};
         }},
        {"Push records of a null",
         [](uint64_t n) {
             return Flood{
                 kMovie + LongTag(12, 4 * n + 1), {0x96, 0x01, 0x00, 0x02}, Bytes{0} + kEnd};
         }},
        {"Play actions",
         [](uint64_t n) {
             return Flood{kMovie + LongTag(12, n + 1), {0x06}, Bytes{0} + kEnd};
         }},
        {"constant pool strings",
         [](uint64_t n) {
             const Bytes pool = Bytes{0x88} + Word(2 + 2000) + Word(1000) + Repeat({'a', 0}, 1000);
             return Flood{kMovie + LongTag(12, pool.size() * n + 1), pool, Bytes{0} + kEnd};
         }},
        {"export entries",
         [](uint64_t) {
             return Flood{kMovie, inTags(56, Word(20000), {1, 0, 0}, 20000, {}), kEnd};
         }},
        {"gradient fill styles",
         [](uint64_t) {
             // DefineShape3: id, empty bounds, 65,535 linear gradients of no records.
             return Flood{
                 kMovie,
                 inTags(32, Bytes{1, 0, 0, 0xFF, 0xFF, 0xFF}, {0x10, 0x00, 0x00}, 65535, {0, 0, 0}),
                 kEnd};
         }},
        {"line styles",
         [](uint64_t) {
             return Flood{kMovie,
                          inTags(32, Bytes{1, 0, 0, 0, 0xFF, 0xFF, 0xFF}, {1, 0, 0, 0, 0, 255},
                                 65535, {0, 0}),
                          kEnd};
         }},
        {"morph gradient fill styles",
         [](uint64_t) {
             // Id, two empty bounds, the offset, 65,535 gradients of two empty matrices.
             const uint32_t styles = 3 + 4 * 65535 + 1 + 2;
             return Flood{kMovie,
                          inTags(46,
                                 Bytes{1, 0, 0, 0, uint8_t(styles), uint8_t(styles >> 8),
                                       uint8_t(styles >> 16), 0, 0xFF, 0xFF, 0xFF},
                                 {0x10, 0x00, 0x00, 0x00}, 65535, {0, 0, 0, 0, 0}),
                          kEnd};
         }},
        {"button records",
         [](uint64_t) {
             // DefineButton2: each record up, a character, a depth, empty matrix and transform.
             return Flood{kMovie,
                          inTags(34, Bytes{1, 0, 0, 0, 0}, {0x01, 1, 0, 1, 0, 0, 0}, 20000, {0}),
                          kEnd};
         }},
        {"button conditions",
         [](uint64_t) {
             // No records, then conditions of no actions, each pointing at the next.
             return Flood{
                 kMovie,
                 inTags(34, Bytes{1, 0, 0, 3, 0, 0}, {5, 0, 1, 0, 0}, 20000, {0, 0, 1, 0, 0}),
                 kEnd};
         }},
        {"clip actions",
         [](uint64_t) {
             // PlaceObject2 at a depth with handlers of one event and no actions.
             return Flood{kMovie,
                          inTags(26, Bytes{0x80, 1, 0, 0, 0, 1, 0, 0, 0},
                                 {1, 0, 0, 0, 1, 0, 0, 0, 0}, 20000, {0, 0, 0, 0}),
                          kEnd};
         }},
        {"shape edges",
         [](uint64_t n) {
             // Eight straight edges of 11 bits each (2-bit steps) in 11 bytes.
             const Bytes edges{0xC2, 0xB8, 0x57, 0x0A, 0xE1, 0x5C, 0x2B, 0x85, 0x70, 0xAE, 0x15};
             return Flood{kMovie + LongTag(2, 11 * n + 7) + Bytes{1, 0, 0, 0, 0, 0}, edges,
                          Bytes{0} + kEnd};
         }},
        {"text glyphs of no bits",
         [](uint64_t n) {
             return Flood{
                 kMovie + LongTag(11, n + 7) + Bytes{1, 0, 0, 0, 0, 0}, {0x7F}, Bytes{0} + kEnd};
         }},
        {"text style records",
         [](uint64_t n) {
             return Flood{kMovie + LongTag(11, 2 * n + 7) + Bytes{1, 0, 0, 0, 0, 0},
                          {0x80, 0x00},
                          Bytes{0} + kEnd};
         }},
    };
    return kinds;
}

// The inflated size of a flood of `units`.
inline uint64_t FloodBytes(const Flood& f, uint64_t units) {
    return f.head.size() + f.unit.size() * units + f.tail.size();
}

// The most units of a kind whose movie inflates to no more than `bytes`.
inline uint64_t UnitsFor(const FloodKind& kind, uint64_t bytes) {
    const Flood probe = kind.make(1);
    return (bytes - probe.head.size() - probe.tail.size()) / probe.unit.size();
}

inline Bytes FloodMovie(const FloodKind& kind, uint64_t units) {
    const Flood f = kind.make(units);
    return CompressedMovie(f.head, f.unit, units, f.tail, true);
}

} // namespace swfbomb
