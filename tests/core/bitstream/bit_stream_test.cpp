#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "core/bitstream/bit_stream.h"
#include "core/paths/path.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tools.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Aligned(CBK_BitStream& s) {
    const auto& bytes = s.GetStream(true);
    return Bytes(bytes.begin(), bytes.end());
}

TEST(BitStreamTest, BitFieldsThenAnAlignedByte) {
    CBK_BitStream s;
    s.Add(0x5u, 3);
    s.AddByte(0xFF);
    EXPECT_EQ(s.GetTotalBits(), 16u);
    EXPECT_EQ(Aligned(s), (Bytes{0xA0, 0xFF}));
}

TEST(BitStreamTest, AFullPendingByteStaysPendingUntilFlushed) {
    CBK_BitStream s;
    for (int i = 0; i < 8; ++i)
        s.Add(static_cast<uint32_t>(i & 1), 1);
    uint8_t pending = 0;
    EXPECT_TRUE(s.GetStream(false, &pending).empty());
    EXPECT_EQ(pending, 0x55);
    EXPECT_EQ(s.GetTotalBytes(), 1u);
    EXPECT_EQ(s.GetTotalBits(), 8u);
    EXPECT_EQ(s.GetStream(true, &pending), (Bytes{0x55}));
    EXPECT_EQ(pending, 0);
}

TEST(BitStreamTest, ByteOrderOfEachClass) {
    CBK_BitStream base;
    CBK_BitStreamLittleEndian little;
    CBK_BitStreamBigEndian big;
    for (CBK_BitStream* s :
         {&base, static_cast<CBK_BitStream*>(&little), static_cast<CBK_BitStream*>(&big)}) {
        s->AddWord(0x1234);
        s->Add(static_cast<int16_t>(-2));
        s->AddDWord(0x01020304);
        s->Add(1.0f);
        s->Add(-2.0);
        s->Add(true);
        s->Add('x');
    }
    EXPECT_EQ(Aligned(base), (Bytes{0x34, 0x12, 0xFE, 0xFF, 4, 3, 2, 1, 0x3F, 0x80, 0,
                                    0,    0xC0, 0,    0,    0, 0, 0, 0, 0,    1,    'x'}));
    EXPECT_EQ(Aligned(little), (Bytes{0x34, 0x12, 0xFE, 0xFF, 4, 3, 2, 1, 0,    0, 0x80,
                                      0x3F, 0,    0,    0,    0, 0, 0, 0, 0xC0, 1, 'x'}));
    EXPECT_EQ(Aligned(big), (Bytes{0x12, 0x34, 0xFF, 0xFE, 1, 2, 3, 4, 0x3F, 0x80, 0,
                                   0,    0xC0, 0,    0,    0, 0, 0, 0, 0,    1,    'x'}));
}

TEST(BitStreamTest, WholeByteAddsAlignFirst) {
    CBK_BitStreamBigEndian s;
    s.Add(1u, 1);
    s.Add(static_cast<uint32_t>(0xABCDEF01u));
    s.Add(3u, 2);
    const uint8_t block[] = {9, 8};
    s.AddMemBlock(block, 2);
    EXPECT_EQ(Aligned(s), (Bytes{0x80, 0xAB, 0xCD, 0xEF, 0x01, 0xC0, 9, 8}));
}

TEST(BitStreamTest, WidthsBeyondThirtyTwoBitsAddZeroBits) {
    CBK_BitStream s;
    s.Add(0xFFFFFFFFu, 40);
    s.Add(0xFFu, 0);
    s.Add(0xFFu, -3);
    EXPECT_EQ(s.GetTotalBits(), 40u);
    EXPECT_EQ(Aligned(s), (Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(BitStreamTest, RandomMixesKeepTheCountsAndCopyBitForBit) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        CBK_BitStreamBigEndian s;
        std::vector<bool> bits; // what the stream must hold, in order
        auto pushBits = [&](uint64_t v, int n) {
            for (int i = n - 1; i >= 0; --i)
                bits.push_back(v >> i & 1);
        };
        auto align = [&] {
            while (bits.size() % 8)
                bits.push_back(false);
        };
        // Every tenth stream outgrows the buffer's first block.
        const int ops = static_cast<int>(round % 10 == 0 ? 5000 : random() % 40);
        for (int k = 0; k < ops; ++k) {
            const uint32_t v = random();
            switch (random() % 4) {
            case 0: {
                const int n = static_cast<int>(random() % 33);
                s.Add(v, n);
                pushBits(v, n);
                break;
            }
            case 1:
                s.AddByte(static_cast<uint8_t>(v));
                align();
                pushBits(v & 0xFF, 8);
                break;
            case 2:
                s.AddWord(static_cast<uint16_t>(v));
                align();
                pushBits(v & 0xFFFF, 16);
                break;
            default:
                s.Add(v);
                align();
                pushBits(v, 32);
                break;
            }
            ASSERT_EQ(s.GetTotalBits(), bits.size());
            ASSERT_EQ(s.GetTotalBytes(), (bits.size() + 7) / 8);
        }
        CBK_BitStream copy;
        copy.Add(s);
        ASSERT_EQ(copy.GetTotalBits(), s.GetTotalBits());
        CBK_BitStream prefix;
        const uint32_t cut = bits.empty() ? 0 : static_cast<uint32_t>(random() % bits.size());
        prefix.Add(s, cut);
        ASSERT_EQ(prefix.GetTotalBits(), cut);
        const Bytes all = Aligned(copy);
        const Bytes first = Aligned(prefix);
        for (std::size_t i = 0; i < bits.size(); ++i) {
            ASSERT_EQ(static_cast<bool>(all[i / 8] >> (7 - i % 8) & 1), bits[i]) << i;
            if (i < cut) {
                ASSERT_EQ(static_cast<bool>(first[i / 8] >> (7 - i % 8) & 1), bits[i]) << i;
            }
        }
    }
}

TEST(BitStreamTest, AppendingCannotReadPastTheOtherStream) {
    CBK_BitStream other;
    other.AddByte(0xAB);
    other.Add(0x3u, 2);
    CBK_BitStream s;
    s.Add(other, 1000);
    EXPECT_EQ(s.GetTotalBits(), 10u);
    EXPECT_EQ(Aligned(s), (Bytes{0xAB, 0xC0}));
    // A stream appended to itself doubles what it held.
    CBK_BitStream self;
    self.Add(0x5u, 3);
    self.Add(self);
    EXPECT_EQ(self.GetTotalBits(), 6u);
    EXPECT_EQ(Aligned(self), (Bytes{0xB4}));
    // Its own bytes as a block, read from where growing the buffer moves them.
    CBK_BitStream block;
    for (uint8_t i = 1; i <= 8; ++i)
        block.AddByte(i);
    block.AddMemBlock(block.GetStream(true).data(), 8);
    EXPECT_EQ(Aligned(block), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(BitStreamTest, BitCountsPastHalfAGibibyte) {
    // Untouched anonymous pages read as zeros without taking memory of their own.
    constexpr std::size_t kSize = (std::size_t(512) << 20) + 1;
    void* zeros = mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    CBK_BitStream s;
    s.Add(1u, 3);
    s.AddMemBlock(static_cast<const uint8_t*>(zeros), static_cast<uint32_t>(kSize));
    munmap(zeros, kSize);
    EXPECT_EQ(s.GetTotalBits(), uint64_t(kSize + 1) * 8);
    EXPECT_EQ(s.GetTotalBytes(), kSize + 1);
}

TEST(BitStreamTest, StringsAreLengthPrefixedAndCut) {
    CBK_BitStreamBigEndian s;
    const std::string longText(70000, 'q');
    s.AddBigPascalStringFromCString(longText.c_str());
    const auto& bytes = s.GetStream(true);
    ASSERT_EQ(bytes.size(), 2u + 65535u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFF);

    CBK_BitStream little;
    little.Add(1u, 1);
    little.AddBigPascalStringFromCString(L"\u00e9t\u00e9");
    const unsigned char pascal[] = {3, 'a', 'b', 'c'};
    little.AddPascalString(pascal);
    // Mac Roman is the 8-bit encoding: é is 0x8E.
    EXPECT_EQ(Aligned(little), (Bytes{0x80, 3, 0, 0x8E, 't', 0x8E, 3, 'a', 'b', 'c'}));
}

TEST(BitStreamTest, PatchesStayInsideTheBuffer) {
    std::vector<std::unique_ptr<CBK_BitStream>> streams;
    streams.push_back(std::make_unique<CBK_BitStream>());
    streams.push_back(std::make_unique<CBK_BitStreamBigEndian>());
    streams.push_back(std::make_unique<CBK_BitStreamLittleEndian>());
    for (auto& s : streams) {
        for (int i = 0; i < 6; ++i)
            s->AddByte(0);
        EXPECT_TRUE(s->Write(static_cast<int32_t>(0x11223344), 2));
        EXPECT_EQ(s->GetStream(true), (Bytes{0, 0, 0x44, 0x33, 0x22, 0x11}));
        EXPECT_FALSE(s->Write(static_cast<uint32_t>(1), 3));
        EXPECT_FALSE(s->Write(static_cast<uint16_t>(1), 0xFFFFFFFFu));
        EXPECT_TRUE(s->Write(static_cast<uint16_t>(0xBEEF), 4));
        EXPECT_TRUE(s->Write(true, 0));
        EXPECT_EQ(s->GetStream(true), (Bytes{1, 0, 0x44, 0x33, 0xEF, 0xBE}));
        s->Destroy();
        EXPECT_EQ(s->GetTotalBits(), 0u);
    }
}

TEST(BitStreamTest, WritesItsBytesToAFile) {
    stravel::testing::TempDir dir;
    CBK_BitStream s;
    s.AddDWord(0x64636261);
    s.Add(1u, 1); // pending bits are not written
    EXPECT_TRUE(s.WriteToFile(CBK_Path((dir.Path() / "out.bin").wstring())));
    EXPECT_EQ(stravel::testing::ReadFileBytes(dir / "out.bin"), "abcd");
    EXPECT_FALSE(s.WriteToFile(CBK_Path((dir.Path() / "no/such.bin").wstring())));
    EXPECT_FALSE(s.WriteToFile(CBK_Path(L"/dev/full")));

    // Beside the application.
    const std::wstring name = L"stravel_bit_stream_dump_" + std::to_wstring(getpid()) + L".bin";
    ASSERT_TRUE(s.Dump(name.c_str()));
    CBK_Path beside;
    ASSERT_TRUE(beside.MakeAppLevelPath(name.c_str()));
    const std::filesystem::path dumped(BK_WideToFileSystemName(beside.GetFullPathString()));
    EXPECT_EQ(stravel::testing::ReadFileBytes(dumped), "abcd");
    std::filesystem::remove(dumped);
    EXPECT_FALSE(s.Dump(nullptr));
}

TEST(BitStreamTest, AFailedFileWriteKeepsTheOldFile) {
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "out.bin", "keep");
    CBK_BitStream s;
    for (uint32_t i = 0; i < (1u << 18); ++i)
        s.AddDWord(i);
    const CBK_Path path((dir.Path() / "out.bin").wstring());
    EXPECT_FALSE(
        stravel::testing::UnderFileSizeLimit(64 * 1024, [&] { return s.WriteToFile(path); }));
    EXPECT_TRUE(stravel::testing::ReadFileBytes(dir / "out.bin") == "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
