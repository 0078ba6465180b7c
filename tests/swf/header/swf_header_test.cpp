// Golden encodings of the SWF file header, read back field by field.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "swf/header/swf_header.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;
using swftest::Hex;

struct HeaderVector {
    const char* name;
    Bytes bytes;
    std::function<void(CBK_SwfHeader&)> make;
    int32_t xmin, xmax, ymin, ymax;
    float rate; // as read back
    uint16_t frames;
};

const std::vector<HeaderVector>& Vectors() {
    static const std::vector<HeaderVector> vectors = {
        {"320 x 240 at 29.97, 10 frames",
         {0x46, 0x57, 0x53, 0x06, 0xD2, 0x04, 0x00, 0x00, 0x70, 0x00,
          0x0C, 0x80, 0x00, 0x00, 0x96, 0x00, 0xF8, 0x1D, 0x0A, 0x00},
         [](CBK_SwfHeader& h) {
             h.Create(6400, 4800, 29.97f, 10, 6);
             h.SetFileSize(1234);
         },
         0,
         6400,
         0,
         4800,
         29.96875f,
         10},
        {"defaults of a one-pixel movie at 15",
         {0x46, 0x57, 0x53, 0x04, 0x20, 0x00, 0x00, 0x00, 0x30, 0x0A, 0x00, 0xA0, 0x00, 0x0F, 0x01,
          0x00},
         [](CBK_SwfHeader& h) {
             h.Create(0, 0, 20, 20, 15.0f, 4);
             h.SetFileSize(32);
             h.SetFrameCount(1);
         },
         0,
         20,
         0,
         20,
         15.0f,
         1},
        {"negative corners, frame count held at its largest",
         {0x46, 0x57, 0x53, 0x07, 0x00, 0x00, 0x00, 0x00, 0x87, 0xFF, 0x63,
          0x20, 0x07, 0xFE, 0xC2, 0x58, 0x00, 0x00, 0x0C, 0xFF, 0xFF},
         [](CBK_SwfHeader& h) {
             h.Create(-20, -40, 25600, 19200, 12.0f, 7);
             h.SetFileSize(0);
             h.SetFrameCount(70000);
         },
         -20,
         25600,
         -40,
         19200,
         12.0f,
         65535},
    };
    return vectors;
}

TEST(SwfHeaderTest, GoldenBytesBothWays) {
    for (const HeaderVector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        CBK_SwfHeader header;
        v.make(header);
        uint32_t reported = 0;
        const Bytes written = swftest::WriteBytes(header, 6, &reported);
        EXPECT_EQ(Hex(written), Hex(v.bytes));
        EXPECT_EQ(reported, v.bytes.size());

        auto reader = swftest::ReaderOver(v.bytes);
        CBK_SwfHeader back;
        EXPECT_EQ(back.Read(reader.get(), true), v.bytes.size());
        EXPECT_EQ(back.GetVersion(), v.bytes[3]);
        EXPECT_EQ(back.GetFileSize(), header.GetFileSize());
        EXPECT_EQ(back.GetRect().xmin, v.xmin);
        EXPECT_EQ(back.GetRect().xmax, v.xmax);
        EXPECT_EQ(back.GetRect().ymin, v.ymin);
        EXPECT_EQ(back.GetRect().ymax, v.ymax);
        EXPECT_EQ(back.GetFrameRate(), v.rate);
        EXPECT_EQ(back.GetFrameCount(), v.frames);
        EXPECT_EQ(Hex(swftest::WriteBytes(back)), Hex(v.bytes));
    }
}

TEST(SwfHeaderTest, ReadingStopsAtABadSignatureAndCanStartAtTheLength) {
    const Bytes good = Vectors()[0].bytes;
    Bytes bad = good;
    bad[1] = 'X';
    auto reader = swftest::ReaderOver(bad);
    CBK_SwfHeader header;
    EXPECT_EQ(header.Read(reader.get(), true), 0u);
    EXPECT_EQ(reader->GetBufPos(), 2u); // the differing byte was consumed
    Bytes compressed = good;
    compressed[0] = 'C';
    reader = swftest::ReaderOver(compressed);
    EXPECT_EQ(header.Read(reader.get(), true), 0u);

    // Without the signature the version stays as it was.
    CBK_SwfHeader fromLength;
    fromLength.SetVersion(9);
    reader = swftest::ReaderOver(Bytes(good.begin() + 4, good.end()));
    EXPECT_EQ(fromLength.Read(reader.get(), false), good.size() - 4);
    EXPECT_EQ(fromLength.GetVersion(), 9);
    EXPECT_EQ(fromLength.GetFileSize(), 1234u);
    EXPECT_EQ(fromLength.GetFrameCount(), 10);

    // Short data reads as zeros and never past its end.
    reader = swftest::ReaderOver(Bytes(good.begin(), good.begin() + 9));
    CBK_SwfHeader cut;
    EXPECT_EQ(cut.Read(reader.get(), true), 9u);
    EXPECT_EQ(cut.GetFrameCount(), 0);
    EXPECT_EQ(header.Read(nullptr, true), 0u);
}

TEST(SwfHeaderTest, FrameRatesAndSizes) {
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(29.97f), 0x1DF8);
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(15.0f), 0x0F00);
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(0.5f), 0x0080);
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(-3.0f), 0);
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(CBK_SwfHeader::EncodeFrameRate(300.0f), 0xFFFF);
    EXPECT_EQ(CBK_SwfHeader::DecodeFrameRate(0x1DF8), 29.96875f);

    CBK_SwfHeader header;
    EXPECT_EQ(header.GetVersion(), 4);
    EXPECT_EQ(header.GetFrameRate(), 12.0f);
    header.Create(20, 40, 6439, 4819, 12.0f, 6);
    EXPECT_EQ(header.GetWidth(), 6419);
    EXPECT_EQ(header.GetWidthPixels(), 320); // truncated
    EXPECT_EQ(header.GetHeightPixels(), 238);
    header.SetWidthPixels(100);
    EXPECT_EQ(header.GetRect().xmax, 2020);
    header.SetHeight(60);
    EXPECT_EQ(header.GetRect().ymax, 100);
    header.SetWidthPixels(INT32_MAX); // held to the 32-bit range
    EXPECT_EQ(header.GetRect().xmax, INT32_MAX);
    header.SetFrameCount(65535);
    EXPECT_EQ(header.GetFrameCount(), 65535);
    header.SetFrameCount(65536);
    EXPECT_EQ(header.GetFrameCount(), 65535);
}

} // namespace
