// Helpers of the sound, video, bitmap and button tests: tables of golden tag encodings
// checked both ways, byte builders, whole movies assembled from tags, and FLV tag bodies.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/records/rect.h"
#include "tests/swf/swf_test_support.h"

namespace mediatest {

using swftest::Bytes;

// One encoding of a tag: the object that writes it and a blank one that reads it back.
struct TagVector {
    const char* name;
    Bytes bytes;
    std::function<std::unique_ptr<ravuz::CBK_SwfTag>()> make;
    std::function<std::unique_ptr<ravuz::CBK_SwfTag>()> blank;
};

template <class T, class... Args>
std::function<std::unique_ptr<ravuz::CBK_SwfTag>()> Blank(Args... args) {
    return [=] { return std::make_unique<T>(args...); };
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// n bytes counting up from `first`.
inline Bytes Ramp(std::size_t n, uint8_t first = 0) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(first + i);
    return out;
}

inline Bytes U16(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

inline Bytes U32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

// A record header in the short form (length up to 62) or the long one.
inline Bytes Header(uint16_t code, uint32_t length) {
    if (length <= 62)
        return U16(static_cast<uint32_t>(code << 6) | length);
    return Concat({U16(static_cast<uint32_t>(code << 6) | 0x3F), U32(length)});
}

// Each object writes its bytes and reports their number.
inline void ExpectWrites(const std::vector<TagVector>& vectors, uint8_t version = 6) {
    for (const TagVector& v : vectors) {
        auto tag = v.make();
        uint32_t reported = 0;
        const Bytes out = swftest::WriteBytes(*tag, version, &reported);
        EXPECT_EQ(swftest::Hex(out), swftest::Hex(v.bytes)) << v.name;
        EXPECT_EQ(reported, out.size()) << v.name;
    }
}

// A blank object reads each payload whole and writes it back to the same bytes.
inline void ExpectReadsBack(const std::vector<TagVector>& vectors, uint8_t version = 6) {
    for (const TagVector& v : vectors) {
        auto tag = v.blank();
        const uint32_t consumed = swftest::ReadTag(*tag, v.bytes, version);
        EXPECT_EQ(consumed, swftest::Payload(v.bytes).size()) << v.name;
        EXPECT_EQ(swftest::Hex(swftest::WriteBytes(*tag, version)), swftest::Hex(v.bytes))
            << v.name;
        swftest::ExpectFactoryReadsBack(v.name, v.bytes, version, tag.get());
    }
}

// Reads `tag` from `payload` followed by `after` (the bytes of a next tag), the reader's tag
// length covering the payload only. Returns the bytes consumed.
inline uint32_t ReadFollowedBy(ravuz::CBK_SwfTag& tag, const Bytes& payload, const Bytes& after,
                               uint8_t version = 6) {
    const Bytes all = Concat({payload, after});
    auto reader = swftest::ReaderOver(all, version);
    reader->SetCurrentTagLength(static_cast<uint32_t>(payload.size()));
    return tag.Read(reader.get());
}

using swftest::Movie;

// The tags of an FLV file as (type, body) pairs, body without the tag header.
struct FlvBody {
    uint8_t type;
    Bytes body;
};

inline std::vector<FlvBody> FlvBodies(const std::string& file) {
    std::vector<FlvBody> out;
    if (file.size() < 13 || file.compare(0, 3, "FLV") != 0)
        return out;
    auto at = [&](std::size_t i) { return static_cast<uint8_t>(file[i]); };
    std::size_t p = (uint32_t(at(5)) << 24 | uint32_t(at(6)) << 16 | uint32_t(at(7)) << 8 | at(8));
    p += 4; // the size of the tag before the first
    while (p + 11 <= file.size()) {
        const std::size_t size =
            std::size_t(at(p + 1)) << 16 | std::size_t(at(p + 2)) << 8 | at(p + 3);
        if (p + 11 + size > file.size())
            break;
        out.push_back({at(p), Bytes(file.begin() + static_cast<std::ptrdiff_t>(p + 11),
                                    file.begin() + static_cast<std::ptrdiff_t>(p + 11 + size))});
        p += 11 + size + 4;
    }
    return out;
}

} // namespace mediatest

namespace mediatest {

// The tags of an uncompressed movie as (code, payload) pairs, in file order.
struct SwfTagBytes {
    uint16_t code;
    Bytes payload;
};

inline std::vector<SwfTagBytes> MovieTags(const std::string& movie) {
    std::vector<SwfTagBytes> out;
    if (movie.size() < 9 || movie.compare(0, 3, "FWS") != 0)
        return out;
    auto at = [&](std::size_t i) { return static_cast<uint8_t>(movie[i]); };
    const std::size_t rectBits = 5 + 4 * std::size_t(at(8) >> 3);
    std::size_t p = 8 + (rectBits + 7) / 8 + 4;
    while (p + 2 <= movie.size()) {
        const uint16_t word = static_cast<uint16_t>(at(p) | at(p + 1) << 8);
        std::size_t length = word & 0x3F;
        p += 2;
        if (length == 0x3F) {
            if (p + 4 > movie.size())
                break;
            length = std::size_t(at(p)) | std::size_t(at(p + 1)) << 8 |
                     std::size_t(at(p + 2)) << 16 | std::size_t(at(p + 3)) << 24;
            p += 4;
        }
        if (p + length > movie.size())
            break;
        out.push_back({static_cast<uint16_t>(word >> 6),
                       Bytes(movie.begin() + static_cast<std::ptrdiff_t>(p),
                             movie.begin() + static_cast<std::ptrdiff_t>(p + length))});
        p += length;
    }
    return out;
}

// Reads one tag from its payload as a reader that has just passed its header would.
inline void ReadPayload(ravuz::CBK_SwfTag& tag, const Bytes& payload, uint8_t version = 6) {
    auto reader = swftest::ReaderOver(payload, version);
    tag.Read(reader.get());
}

} // namespace mediatest
