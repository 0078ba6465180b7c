// Tables of golden encodings checked both ways: each object writes its bytes, and a blank
// object reads them back (consuming all of them) and writes the same bytes again.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "swf/base/swf_tag.h"
#include "tests/swf/swf_test_support.h"

namespace swftest {

struct GoldenVector {
    std::string name;
    Bytes bytes;
    std::function<std::unique_ptr<ravuz::CBK_SwfObj>()> make;
    std::function<std::unique_ptr<ravuz::CBK_SwfObj>()> blank;
    uint8_t version = 6;
};

template <class T, class... Args>
std::function<std::unique_ptr<ravuz::CBK_SwfObj>()> BlankOf(Args... args) {
    return [=] { return std::make_unique<T>(args...); };
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Repeat(const Bytes& part, std::size_t times) {
    Bytes out;
    for (std::size_t i = 0; i < times; ++i)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Records (not tags): written into a stream and padded to a byte.
inline Bytes RecordBytes(ravuz::CBK_SwfObj& object, uint8_t version) {
    ravuz::CBK_SwfStream stream(version);
    object.Write(&stream);
    stream.ByteAlign();
    return BytesOf(stream.GetStream());
}

inline void CheckRecordVectors(const std::vector<GoldenVector>& vectors) {
    for (const GoldenVector& v : vectors) {
        auto object = v.make();
        EXPECT_EQ(Hex(RecordBytes(*object, v.version)), Hex(v.bytes)) << v.name;
        auto back = v.blank();
        auto reader = ReaderOver(v.bytes, v.version);
        back->Read(reader.get());
        reader->ByteAlign();
        EXPECT_EQ(reader->GetBufPos(), v.bytes.size()) << v.name << ": bytes left unread";
        EXPECT_EQ(Hex(RecordBytes(*back, v.version)), Hex(v.bytes)) << v.name << " read back";
    }
}

// Tags: the bytes include the record header; Write reports them all and Read consumes the
// whole payload.
inline void CheckTagVectors(const std::vector<GoldenVector>& vectors) {
    for (const GoldenVector& v : vectors) {
        auto tag = v.make();
        uint32_t reported = 0;
        const Bytes written = WriteBytes(*tag, v.version, &reported);
        EXPECT_EQ(Hex(written), Hex(v.bytes)) << v.name;
        EXPECT_EQ(reported, written.size()) << v.name;
        auto back = v.blank();
        EXPECT_EQ(ReadTag(*back, v.bytes, v.version), Payload(v.bytes).size()) << v.name;
        EXPECT_EQ(Hex(WriteBytes(*back, v.version)), Hex(v.bytes)) << v.name << " read back";
        ExpectFactoryReadsBack(v.name, v.bytes, v.version, back.get());
    }
}

} // namespace swftest
