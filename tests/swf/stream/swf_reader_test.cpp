#include <gtest/gtest.h>

#include "core/paths/path.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "tests/support/tools.h"
#include "tests/swf/swf_test_support.h"

namespace {

using swftest::Bytes;
using swftest::ReaderOver;

TEST(SwfReaderBits, ReadsSignedAndUnsignedFields) {
    auto r = ReaderOver({0xD5, 0x50}); // 1101 0101 0101
    EXPECT_EQ(r->GetBits(4, true), -3);
    EXPECT_EQ(r->GetBits(4, true), 5);
    EXPECT_EQ(r->GetBits(0, true), 0);
    EXPECT_EQ(r->GetBits(4, false), 5u);
    EXPECT_EQ(r->GetBufPos(), 1u);
    EXPECT_EQ(r->GetBitPos(), 4u);
}

TEST(SwfReaderBits, AByteReadSkipsTheRestOfAPartlyReadByte) {
    auto r = ReaderOver({0xFF, 0x42});
    EXPECT_EQ(r->GetBits(3, false), 7);
    EXPECT_EQ(r->PeekByte(), 0x42);
    EXPECT_EQ(r->GetByte(), 0x42);
    EXPECT_EQ(r->GetRemaining(), 0u);
}

TEST(SwfReaderBits, WideFieldsKeepTheirLow32BitsAndTheEndReadsAsZero) {
    auto r = ReaderOver({0xFF, 0x00, 0x00, 0x00, 0x01, 0x80});
    // 40 bits: the top 8 (all ones) drop out.
    EXPECT_EQ(static_cast<uint32_t>(r->GetBits(40, false)), 0x00000001u);
    EXPECT_EQ(r->GetBits(1, true), -1);
    // Past the end: zero bits, and the position stays at the end.
    EXPECT_EQ(r->GetBits(16, false), 0);
    EXPECT_EQ(r->GetBits(60000, true), 0);
    EXPECT_EQ(r->GetBufPos(), 6u);
    EXPECT_EQ(r->GetByte(), 0);
    EXPECT_EQ(r->GetBufPos(), 6u);
}

TEST(SwfReaderBytes, ShortDataReturnsZeroAndStaysPut) {
    auto r = ReaderOver({0x01, 0x02, 0x03});
    EXPECT_EQ(r->GetByte(), 1);
    EXPECT_EQ(r->GetDWord(), 0u);
    EXPECT_EQ(r->GetBufPos(), 1u);
    EXPECT_EQ(r->GetWord(), 0x0302);
    EXPECT_EQ(r->GetWord(), 0);
    EXPECT_EQ(r->GetBufPos(), 3u);
    r->SetBufPos(1000);
    EXPECT_EQ(r->GetBufPos(), 3u);
    r->SetBufPos(1);
    r->OffsetBufPos(0xFFFFFFF0u);
    EXPECT_EQ(r->GetBufPos(), 3u);
    Bytes out;
    r->SetBufPos(1);
    EXPECT_EQ(r->GetBytes(out, 100), 2u);
    EXPECT_EQ(out, (Bytes{2, 3}));
}

TEST(SwfReaderStrings, ZeroTerminatedFixedAndUnterminated) {
    auto r = ReaderOver({'a', 'b', 'c', 0, 'x', 'y', 0, 'z', 'q'});
    std::wstring s = L"old";
    r->GetString(s, 0, false);
    EXPECT_EQ(s, L"abc");
    EXPECT_EQ(r->GetBufPos(), 4u);
    r->GetString(s, 3, true); // the trailing zero read as part of the length goes
    EXPECT_EQ(s, L"xy");
    EXPECT_EQ(r->GetBufPos(), 7u);
    r->GetString(s, 0, false); // no terminator before the end
    EXPECT_EQ(s, L"zq");
    EXPECT_EQ(r->GetBufPos(), 9u);
    r->GetString(s, 5, false);
    EXPECT_EQ(s, L"");

    auto latin = ReaderOver({0xE9, 0}, 5);
    latin->GetString(s, 0, false);
    EXPECT_EQ(s, L"\u00E9");
    auto utf8 = ReaderOver({0xC3, 0xA9, 0}, 6);
    utf8->GetString(s, 0, false);
    EXPECT_EQ(s, L"\u00E9");
}

TEST(SwfReaderCreate, LoadsAStreamWithItsPendingBitsAndVersion) {
    ravuz::CBK_SwfStream stream(7);
    stream.Add(uint8_t(9));
    stream.Add(5u, 3); // 101
    ravuz::CBK_SwfReader reader;
    EXPECT_TRUE(reader.Create(&stream, false));
    EXPECT_EQ(reader.GetVersion(), 7);
    EXPECT_EQ(reader.GetCurrentTagLength(), 2u);
    EXPECT_EQ(reader.GetByte(), 9);
    EXPECT_EQ(reader.GetBits(3, false), 5);
    EXPECT_EQ(reader.GetTagEnd(0), 2u);
    reader.Create();
    EXPECT_EQ(reader.GetDataSize(), 0u);
    EXPECT_EQ(reader.PeekByte(), 0);
}

TEST(SwfFileReader, ReadsStraightFromTheFileAndPeeksForReal) {
    stravel::testing::TempDir dir;
    Bytes bytes(200000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    bytes[100001] = 0;
    stravel::testing::WriteFileBytes(dir / "movie.bin", std::string(bytes.begin(), bytes.end()));

    ravuz::CBK_SwfFileReader reader;
    EXPECT_FALSE(reader.AttachFile(CBK_Path((dir / "absent.bin").wstring())));
    ASSERT_TRUE(reader.AttachFile(CBK_Path((dir / "movie.bin").wstring())));
    EXPECT_EQ(reader.GetDataSize(), bytes.size());
    EXPECT_EQ(reader.GetByte(), bytes[0]);
    EXPECT_EQ(reader.GetBits(3, false), bytes[1] >> 5);
    EXPECT_EQ(reader.GetWord(), bytes[2] | (bytes[3] << 8));
    reader.SetBufPos(100000);
    EXPECT_EQ(reader.PeekByte(), bytes[100000]);
    EXPECT_EQ(reader.GetByte(), bytes[100000]);
    EXPECT_EQ(reader.PeekByte(), 0);
    reader.SetBufPos(65530); // across the window's edge
    const uint32_t d = reader.GetDWord();
    EXPECT_EQ(d, bytes[65530] | (bytes[65531] << 8) | (bytes[65532] << 16) |
                     (uint32_t(bytes[65533]) << 24));
    Bytes tail;
    reader.SetBufPos(static_cast<uint32_t>(bytes.size()) - 3);
    EXPECT_EQ(reader.GetBytes(tail, 10), 3u);
    EXPECT_EQ(tail, Bytes(bytes.end() - 3, bytes.end()));
    EXPECT_EQ(reader.GetByte(), 0);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

} // namespace
