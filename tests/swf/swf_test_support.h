// Helpers of the SWF tests: byte vectors, writing objects and reading them back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/base/swf_tag.h"
#include "swf/header/swf_header.h"
#include "swf/records/rect.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace swftest {

using Bytes = std::vector<uint8_t>;

// A copy of what a stream holds.
inline Bytes BytesOf(const CBK_ByteBuffer& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

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
    return BytesOf(stream.GetStream());
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

// Where the model's reader, parsing a whole movie and writing it again, departs from its
// bytes: empty when it gives them back exactly.
inline std::string ReadBackDifference(const Bytes& movie) {
    ravuz::CBK_SwfReader reader;
    if (!reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true))
        return "not read";
    ravuz::CBK_SwfStream out(reader.GetHeader().GetVersion());
    reader.Write(&out);
    reader.Destroy(true);
    const auto& again = out.GetStream();
    if (again == movie)
        return {};
    std::size_t at = 0;
    while (at < again.size() && at < movie.size() && again[at] == movie[at])
        ++at;
    return "sizes " + std::to_string(movie.size()) + " and " + std::to_string(again.size()) +
           ", first difference at " + std::to_string(at);
}

// A movie of `version` holding the given tag bytes as they stand, then End.
inline Bytes MovieOfTagBytes(const Bytes& tags, uint8_t version) {
    ravuz::CBK_SwfHeader header;
    header.Create(0, 0, 2000, 2000, 12.0f, version);
    ravuz::CBK_SwfStream probe(version);
    header.Write(&probe);
    header.SetFileSize(static_cast<uint32_t>(probe.GetRealSize() + tags.size() + 2));
    ravuz::CBK_SwfStream file(version);
    header.Write(&file);
    file.Add(tags);
    file.Add(uint16_t(0));
    return BytesOf(file.GetStream());
}

// The tag bytes, in a movie of `version`, go through the reader's factory into an object of
// the class `expected` has (any class when null) and come back as they were.
inline void ExpectFactoryReadsBack(const std::string& name, const Bytes& tagBytes, uint8_t version,
                                   const ravuz::CBK_SwfObj* expected) {
    const Bytes movie = MovieOfTagBytes(tagBytes, version);
    EXPECT_EQ(ReadBackDifference(movie), "") << name << " in a movie";
    ravuz::CBK_SwfReader reader;
    ASSERT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    ASSERT_FALSE(reader.GetTags().empty()) << name;
    const ravuz::CBK_SwfTag& parsed = *reader.GetTags().front();
    if (expected) {
        EXPECT_EQ(typeid(parsed).name(), typeid(*expected).name()) << name;
    }
    reader.Destroy(true);
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
    const Bytes h = BytesOf(head.GetStream());
    const Bytes b = BytesOf(body.GetStream());
    ravuz::CBK_SwfStream file(version);
    file.AddBytes("FWS", 3);
    file.Add(version);
    file.Add(static_cast<uint32_t>(8 + h.size() + b.size()));
    file.Add(h);
    file.Add(b);
    const Bytes bytes = BytesOf(file.GetStream());
    // Every movie the tests make also proves that the reader gives it back byte for byte.
    EXPECT_EQ(ReadBackDifference(bytes), "");
    return std::string(bytes.begin(), bytes.end());
}

} // namespace swftest
