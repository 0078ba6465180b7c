#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/bitstream/bit_reader.h"
#include "core/paths/path.h"
#include "tests/support/tools.h"

namespace {

TEST(BitReaderTest, SignedFieldsAndShortValues) {
    const uint8_t data[] = {0xF0, 0x12};
    CBK_BitReader r;
    ASSERT_TRUE(r.Open(data, 2));
    EXPECT_EQ(r.GetBits(4, true), -1);
    EXPECT_EQ(r.GetBits(4, false), 0);
    EXPECT_EQ(r.PeekByte(), 0x12);
    EXPECT_EQ(r.GetWord(), 0); // one byte left
    EXPECT_EQ(r.GetBufPos(), 1u);
    EXPECT_EQ(r.GetByte(), 0x12);
    EXPECT_EQ(r.GetByte(), 0);
    EXPECT_EQ(r.PeekByte(), 0);
}

TEST(BitReaderTest, ValuesAreLittleEndianAndAligned) {
    const uint8_t data[] = {0x80, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB};
    CBK_BitReader r;
    ASSERT_TRUE(r.Open(data, sizeof data));
    EXPECT_EQ(r.GetBits(1, false), 1);
    EXPECT_EQ(r.PeekByte(), 0x34);
    EXPECT_EQ(r.GetWord(), 0x1234);
    EXPECT_EQ(r.GetDWord(), 0x12345678u);
    EXPECT_EQ(r.GetDWord(), 0u);
    r.OffSetBufPos(-100);
    EXPECT_EQ(r.GetBufPos(), 0u);
    r.SetBufPos(7);
    EXPECT_EQ(r.GetBits(8, true), static_cast<int32_t>(0xFFFFFFAB));
}

TEST(BitReaderTest, BitsPastTheEndAreZero) {
    const uint8_t data[] = {0xFF};
    CBK_BitReader r;
    ASSERT_TRUE(r.Open(data, 1));
    EXPECT_EQ(r.GetBits(12, false), 0xFF0);
    EXPECT_EQ(r.GetBits(32, false), 0);
    // More than 32 bits: the last 32 count.
    const uint8_t five[] = {0xFF, 0x80, 0, 0, 1};
    ASSERT_TRUE(r.Open(five, 5));
    EXPECT_EQ(r.GetBits(40, true), static_cast<int32_t>(0x80000001u));
    EXPECT_EQ(r.GetBufPos(), 4u);
    r.SetBufPos(0xFFFFFFF0u);
    EXPECT_EQ(r.GetBits(32, true), 0);
    EXPECT_EQ(r.GetByte(), 0);
    EXPECT_FALSE(r.Open(nullptr, 4));
    EXPECT_FALSE(r.Open(data, -1));
    EXPECT_EQ(r.GetSize(), 0u);
}

TEST(BitReaderTest, FileReaderAgreesWithTheBufferReader) {
    stravel::testing::TempDir dir;
    std::mt19937 random(7);
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(random());
    const auto file = dir / "bits.bin";
    stravel::testing::WriteFileBytes(file, bytes);
    const CBK_Path path(file.wstring());

    CBK_BitReader memory;
    CBK_BitFileReader disk;
    CBK_BitReader whole;
    ASSERT_TRUE(memory.Open(reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<int32_t>(bytes.size())));
    ASSERT_TRUE(disk.Open(path));
    ASSERT_TRUE(whole.Open(path));
    EXPECT_EQ(disk.GetSize(), 300u);
    EXPECT_EQ(whole.GetSize(), 300u);
    for (int k = 0; k < 2000; ++k) {
        const int op = static_cast<int>(random() % 7);
        int64_t a = 0, b = 0, c = 0;
        switch (op) {
        case 0: {
            const auto n = static_cast<uint16_t>(random() % 33);
            const bool sign = random() & 1;
            a = memory.GetBits(n, sign), b = disk.GetBits(n, sign), c = whole.GetBits(n, sign);
            break;
        }
        case 1:
            a = memory.GetByte(), b = disk.GetByte(), c = whole.GetByte();
            break;
        case 2:
            a = memory.GetWord(), b = disk.GetWord(), c = whole.GetWord();
            break;
        case 3:
            a = memory.GetDWord(), b = disk.GetDWord(), c = whole.GetDWord();
            break;
        case 4: {
            const uint32_t to = random() % 310;
            memory.SetBufPos(to), disk.SetBufPos(to), whole.SetBufPos(to);
            break;
        }
        case 5:
            a = memory.PeekByte(), b = disk.PeekByte(), c = whole.PeekByte();
            break;
        default:
            memory.ByteAlign(), disk.ByteAlign(), whole.ByteAlign();
            break;
        }
        ASSERT_EQ(a, b) << "operation " << k;
        ASSERT_EQ(a, c) << "operation " << k;
        ASSERT_EQ(memory.GetBufPos(), disk.GetBufPos()) << "operation " << k;
    }
    EXPECT_FALSE(disk.Open(CBK_Path((dir.Path() / "absent").wstring())));
    EXPECT_FALSE(whole.Open(CBK_Path((dir.Path() / "absent").wstring())));
}

} // namespace
