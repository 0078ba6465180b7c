#include <gtest/gtest.h>

#include <list>
#include <random>

#include "platform/memory.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_stream.h"
#include "swf/tags/tag_unknown.h"
#include "tests/swf/swf_test_support.h"

namespace {

using ravuz::CBK_SwfStream;
using swftest::Bytes;

TEST(SwfStreamBits, PacksFieldsMostSignificantBitFirst) {
    CBK_SwfStream s(6);
    s.Add(5u, 3);
    s.Add(uint8_t(0xFF));
    EXPECT_EQ(s.GetStream(), (Bytes{0xA0, 0xFF}));

    CBK_SwfStream t(6);
    t.Add(static_cast<uint32_t>(-3), 4); // 1101
    EXPECT_EQ(t.GetStream(), (Bytes{0xD0}));

    CBK_SwfStream u(6);
    u.Add(0x12345u, 0);
    u.Add(0xFFFFFFFFu, 2); // bits above the width are ignored
    u.Add(0x1u, 40);       // 39 zero bits, then the 1
    EXPECT_EQ(u.GetBitSize(), 42u);
    EXPECT_EQ(u.GetStream(), (Bytes{0xC0, 0, 0, 0, 0, 0x40}));
}

TEST(SwfStreamBits, AFullPendingByteStaysPendingUntilTheNextAdd) {
    CBK_SwfStream s(6);
    s.Add(0xABu, 8);
    EXPECT_EQ(s.GetByteCount(), 0u);
    EXPECT_EQ(s.GetRealSize(), 1u);
    EXPECT_EQ(s.GetBitSize(), 8u);
    s.Add(uint16_t(0x0102));
    EXPECT_EQ(s.GetStream(), (Bytes{0xAB, 0x02, 0x01}));

    CBK_SwfStream t(6);
    for (int i = 0; i < 12; ++i)
        t.Add(1u, 1);
    EXPECT_EQ(t.GetByteCount(), 1u);
    EXPECT_EQ(t.GetRealSize(), 2u);
    EXPECT_EQ(t.GetBitSize(), 12u);
    t.ByteAlign();
    EXPECT_EQ(t.GetStream(), (Bytes{0xFF, 0xF0}));
}

TEST(SwfStreamBits, MatchesAReferencePackerOverRandomFields) {
    std::mt19937 rng(20240607);
    for (int round = 0; round < 200; ++round) {
        CBK_SwfStream s(6);
        std::vector<bool> bits;
        // Every tenth stream outgrows the buffer's first block.
        const int fields = round % 10 == 0 ? 5000 : 60;
        for (int f = 0; f < fields; ++f) {
            const int kind = static_cast<int>(rng() % 4);
            if (kind == 0) {
                const uint32_t value = rng();
                const int bytes = 1 << (rng() % 3);
                if (bytes == 1)
                    s.Add(static_cast<uint8_t>(value));
                else if (bytes == 2)
                    s.Add(static_cast<uint16_t>(value));
                else
                    s.Add(value);
                while (bits.size() % 8)
                    bits.push_back(false);
                for (int b = 0; b < bytes; ++b) // least significant byte first
                    for (int i = 7; i >= 0; --i)
                        bits.push_back((value >> (8 * b + i)) & 1);
            } else {
                const auto n = static_cast<int32_t>(rng() % 33);
                const uint32_t value = rng();
                s.Add(value, n);
                for (int i = n - 1; i >= 0; --i)
                    bits.push_back((value >> i) & 1);
            }
            ASSERT_EQ(s.GetBitSize(), bits.size());
        }
        const auto& out = s.GetStream();
        ASSERT_EQ(out.size(), (bits.size() + 7) / 8);
        for (std::size_t i = 0; i < bits.size(); ++i)
            ASSERT_EQ(((out[i / 8] >> (7 - i % 8)) & 1) != 0, bits[i]) << "bit " << i;
    }
}

TEST(SwfStreamBytes, AddsLittleEndianNumbersAndContainers) {
    CBK_SwfStream s(6);
    s.Add(int16_t(-2));
    s.Add(uint32_t(0x11223344));
    std::vector<uint8_t> v{1, 2};
    s.Add(v);
    s.Add(&v);
    std::list<uint8_t> l{9, 8};
    s.Add(l);
    EXPECT_TRUE(l.empty());
    s.Add(std::string("ab"));
    s.Add(std::wstring());
    s.Add(static_cast<const std::vector<uint8_t>*>(nullptr));
    EXPECT_EQ(s.GetStream(),
              (Bytes{0xFE, 0xFF, 0x44, 0x33, 0x22, 0x11, 1, 2, 1, 2, 9, 8, 'a', 'b'}));
}

TEST(SwfStreamBytes, AddsHandlesAndOtherStreams) {
    CBK_SwfStream s(6);
    tbx::Handle h = tbx::NewHandle(3);
    (*h)[0] = 1;
    (*h)[1] = 2;
    (*h)[2] = 3;
    s.Add(h);
    tbx::DisposeHandle(h);
    s.Add(static_cast<char**>(nullptr));
    tbx::Handle empty = tbx::NewHandle(0);
    s.Add(empty);
    tbx::DisposeHandle(empty);

    CBK_SwfStream other(6);
    other.Add(3u, 2); // 11
    s.Add(&other);    // flushes the other's bits
    EXPECT_EQ(other.GetByteCount(), 1u);
    s.Add(&s); // appending itself doubles it
    EXPECT_EQ(s.GetStream(), (Bytes{1, 2, 3, 0xC0, 1, 2, 3, 0xC0}));
}

TEST(SwfStreamBytes, BitStreamsJoinAtTheCurrentBitPosition) {
    CBK_SwfStream other(6);
    other.Add(0xABu, 8);
    other.Add(5u, 3); // 101
    CBK_SwfStream s(6);
    s.Add(1u, 1);
    s.AddBitStream(&other);
    EXPECT_EQ(s.GetBitSize(), 12u);
    EXPECT_EQ(s.GetStream(), (Bytes{0xD5, 0xD0})); // 1 10101011 101

    CBK_SwfStream first(6);
    first.Add(1u, 1);
    first.AddBitStreamBits(&other, 12); // 10101011 1010
    EXPECT_EQ(first.GetStream(), (Bytes{0xD5, 0xD0}));

    CBK_SwfStream aligned(6);
    aligned.AddBitStreamBits(&other, 100); // held to what the other stream has
    EXPECT_EQ(aligned.GetBitSize(), 16u);
    EXPECT_EQ(aligned.GetStream(), (Bytes{0xAB, 0xA0}));

    CBK_SwfStream self(6);
    self.Add(5u, 3);
    self.AddBitStream(&self); // its own bits, not its padding
    EXPECT_EQ(self.GetBitSize(), 6u);
    self.AddBitStreamBits(&self, 4);
    EXPECT_EQ(self.GetStream(), (Bytes{0xB6, 0xC0})); // 101101 1011
}

TEST(MinimumBits, CountsSignificantBitsAndTheSign) {
    EXPECT_EQ(ravuz::MinimumBits(0, false), 0u);
    EXPECT_EQ(ravuz::MinimumBits(0, true), 1u);
    EXPECT_EQ(ravuz::MinimumBits(5, true), 4u);
    EXPECT_EQ(ravuz::MinimumBits(0xFFFFFFFFu, false), 32u);
    EXPECT_EQ(ravuz::MinimumBits(ravuz::Magnitude(INT32_MIN), true), 33u);
    EXPECT_EQ(ravuz::SaturateSigned(100, 5), 15);
    EXPECT_EQ(ravuz::SaturateSigned(-100, 5), -16);
    EXPECT_EQ(ravuz::OffsetU16(65500, 100), 65535);
    EXPECT_EQ(ravuz::OffsetU16(5, -10), 0);
}

TEST(SwfTagHeader, ShortUpTo62BytesLongFrom63) {
    ravuz::CBK_SwfTagUnknown tag(77, 0);
    EXPECT_EQ(tag.GetHeader(62, false), (Bytes{0x7E, 0x13}));
    EXPECT_EQ(tag.GetHeader(63, false), (Bytes{0x7F, 0x13, 63, 0, 0, 0}));
    EXPECT_EQ(tag.GetHeader(0, true), (Bytes{0x7F, 0x13, 0, 0, 0, 0}));
    for (std::size_t n : {0, 1, 62, 63, 300}) {
        tag.SetPayload(Bytes(n, 0x5A));
        uint32_t reported = 0;
        const Bytes out = swftest::WriteBytes(tag, 6, &reported);
        EXPECT_EQ(out.size(), n + (n <= 62 ? 2 : 6));
        EXPECT_EQ(reported, out.size());
        EXPECT_EQ(swftest::Payload(out), Bytes(n, 0x5A));
    }
}

TEST(SwfTagUnknown, ReadsBackItsPayloadAndStopsAtTheEndOfTheData) {
    const Bytes payload{1, 2, 3, 4, 5};
    ravuz::CBK_SwfTagUnknown tag(928, 5);
    auto reader = swftest::ReaderOver(payload);
    EXPECT_EQ(tag.Read(reader.get()), 5u);
    const Bytes out = swftest::WriteBytes(tag);
    EXPECT_EQ(out, (Bytes{0x05, 0xE8, 1, 2, 3, 4, 5}));

    // A length of 4 GiB over five bytes reads the five and allocates no more.
    ravuz::CBK_SwfTagUnknown huge(40, 0xFFFFFFFFu);
    auto again = swftest::ReaderOver(payload);
    EXPECT_EQ(huge.Read(again.get()), 5u);
    EXPECT_EQ(huge.GetPayload(), payload);
}

} // namespace
