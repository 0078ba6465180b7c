// Helpers of the SWF tests: byte vectors, writing objects and reading them back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/base/swf_tag.h"
#include "swf/records/rect.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace swftest {

using Bytes = std::vector<uint8_t>;

inline std::string Hex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// Bytes an object writes into a fresh stream of `version`; `reported` gets its return value.
inline Bytes WriteBytes(ravuz::CBK_SwfObj& object, uint8_t version = 6,
                        uint32_t* reported = nullptr) {
    ravuz::CBK_SwfStream stream(version);
    const uint32_t n = object.Write(&stream);
    if (reported)
        *reported = n;
    return stream.GetStream();
}

// A reader over `bytes` as read from a movie of `version`, the tag length covering them.
inline std::unique_ptr<ravuz::CBK_SwfReader> ReaderOver(const Bytes& bytes, uint8_t version = 6) {
    auto reader = std::make_unique<ravuz::CBK_SwfReader>();
    reader->CreateFromBytes(bytes.data(), bytes.size(), version);
    return reader;
}

// The payload of a tag written with a short or long header, header skipped.
inline Bytes Payload(const Bytes& tag) {
    if (tag.size() < 2)
        return {};
    const std::size_t header = (tag[0] & 0x3F) == 0x3F ? 6 : 2;
    return Bytes(tag.begin() + static_cast<std::ptrdiff_t>(std::min(header, tag.size())),
                 tag.end());
}

// Reads a tag's payload (header skipped) into `tag`, the reader's tag length set to it.
inline uint32_t ReadTag(ravuz::CBK_SwfObj& tag, const Bytes& written, uint8_t version = 6) {
    auto reader = ReaderOver(Payload(written), version);
    return tag.Read(reader.get());
}

// A whole uncompressed movie: header (frame rectangle in twips, rate 12 unless given, frame
// count) and the tags' bytes as they write them.
inline std::string Movie(uint8_t version, int32_t width, int32_t height, uint16_t frames,
                         const std::vector<ravuz::CBK_SwfTag*>& tags, uint16_t rate88 = 12 << 8) {
    ravuz::CBK_SwfStream body(version);
    for (ravuz::CBK_SwfTag* tag : tags)
        tag->Write(&body);
    ravuz::CBK_SwfStream head(version);
    ravuz::CBK_SwfRect frame(0, 0, width, height);
    head.Add(&frame);
    head.Add(rate88);
    head.Add(frames);
    const Bytes& h = head.GetStream();
    const Bytes& b = body.GetStream();
    ravuz::CBK_SwfStream file(version);
    file.AddBytes("FWS", 3);
    file.Add(version);
    file.Add(static_cast<uint32_t>(8 + h.size() + b.size()));
    file.Add(h);
    file.Add(b);
    const Bytes& bytes = file.GetStream();
    return std::string(bytes.begin(), bytes.end());
}

} // namespace swftest
