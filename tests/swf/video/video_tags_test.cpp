// Video tags: golden encodings both ways, the picture-header probe, screen-video packets and
// the bit parser, with short and lying inputs.
#include <gtest/gtest.h>

#include "swf/video/bit_stream_parser.h"
#include "swf/video/define_video_stream.h"
#include "swf/video/screen_video_packet.h"
#include "swf/video/video_frame.h"
#include "tests/swf/media_test_support.h"

namespace {

using namespace ravuz;
using namespace mediatest;

std::unique_ptr<CBK_SwfTag> Stream(uint32_t frames, uint16_t w, uint16_t h,
                                   void (*set)(CBK_SwfDefineVideoStream&) = nullptr) {
    auto tag = std::make_unique<CBK_SwfDefineVideoStream>();
    tag->Create(frames, w, h);
    if (set)
        set(*tag);
    return tag;
}

std::unique_ptr<CBK_SwfTag> Frame(uint16_t streamId, uint16_t number, const Bytes& payload) {
    auto tag = std::make_unique<CBK_SwfVideoFrame>();
    tag->SetStreamId(streamId);
    tag->Create(number);
    auto* stream = new CBK_SwfStream(6);
    stream->Add(payload);
    tag->SetPayload(stream);
    return tag;
}

const std::vector<TagVector>& Vectors() {
    static const std::vector<TagVector> vectors = {
        {"DefineVideoStream 250 frames 320x240",
         {0x0A, 0x0F, 0x00, 0x00, 0xFA, 0x00, 0x40, 0x01, 0xF0, 0x00, 0x01, 0x02},
         [] { return Stream(250, 320, 240); },
         Blank<CBK_SwfDefineVideoStream>()},
        {"DefineVideoStream screen video, deblocking 2, no smoothing",
         Concat({Header(60, 10), {0x03, 0x00, 0x01, 0x00, 0x10, 0x00, 0x20, 0x00, 0x04, 0x03}}),
         [] {
             return Stream(1, 16, 32, [](CBK_SwfDefineVideoStream& s) {
                 s.SetCharacterId(3);
                 s.SetDeblocking(2);
                 s.SetSmoothing(false);
                 s.SetCodecId(CBK_SwfDefineVideoStream::kCodecScreenVideo);
             });
         },
         Blank<CBK_SwfDefineVideoStream>()},
        {"DefineVideoStream of more frames than the field holds",
         Concat({Header(60, 10), {0x00, 0x00, 0xFF, 0xFF, 0x10, 0x00, 0x10, 0x00, 0x01, 0x02}}),
         [] { return Stream(70000, 16, 16); }, Blank<CBK_SwfDefineVideoStream>()},
        {"VideoFrame", Concat({Header(61, 9), {0x01, 0x00, 0x02, 0x00}, Ramp(5, 0xA0)}),
         [] { return Frame(1, 2, Ramp(5, 0xA0)); }, Blank<CBK_SwfVideoFrame>()},
        {"VideoFrame read with its record length",
         Concat({Header(61, 62), {0x01, 0x00, 0x02, 0x00}, Ramp(58)}),
         [] { return Frame(1, 2, Ramp(58)); }, Blank<CBK_SwfVideoFrame>(uint32_t(62))},
        {"VideoFrame long header", Concat({Header(61, 63), {0x07, 0x00, 0x34, 0x12}, Ramp(59)}),
         [] { return Frame(7, 0x1234, Ramp(59)); }, Blank<CBK_SwfVideoFrame>()},
        {"VideoFrame without payload", Concat({Header(61, 4), {0x01, 0x00, 0x00, 0x00}}),
         [] {
             auto tag = std::make_unique<CBK_SwfVideoFrame>();
             tag->SetStreamId(1);
             return tag;
         },
         Blank<CBK_SwfVideoFrame>()},
    };
    return vectors;
}

TEST(SwfVideoVectors, WriteTheirBytes) {
    ExpectWrites(Vectors());
}

TEST(SwfVideoVectors, ReadBackToTheSameBytes) {
    ExpectReadsBack(Vectors());
}

TEST(SwfDefineVideoStream, FlagsAndOffsets) {
    CBK_SwfDefineVideoStream stream;
    stream.Create(10, 2, 2);
    EXPECT_EQ(stream.GetFlags(), 0x01);
    stream.SetDeblocking(3);
    EXPECT_EQ(stream.GetFlags(), 0x07);
    EXPECT_EQ(stream.GetDeblocking(), 3);
    stream.SetDeblocking(0);
    EXPECT_EQ(stream.GetFlags(), 0x01);
    EXPECT_TRUE(stream.GetSmoothing());
    stream.SetCharacterId(4);
    stream.OffsetInfo(6, 0, 0);
    EXPECT_EQ(stream.GetCharacterId(), 10);

    CBK_SwfVideoFrame frame;
    frame.SetStreamId(4);
    frame.OffsetInfo(6, 0, 0);
    EXPECT_EQ(frame.GetStreamId(), 10);
}

TEST(SwfVideoFrame, QuantiserForQuality) {
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(0), 31u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(1), 31u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(2), 30u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(38), 20u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(50), 16u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(98), 2u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(100), 1u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(-7), 31u);
    EXPECT_EQ(CBK_SwfVideoFrame::GetQuant(1000), 1u);
    for (int q = 1; q <= 100; ++q)
        EXPECT_LE(CBK_SwfVideoFrame::GetQuant(q), CBK_SwfVideoFrame::GetQuant(q - 1));
}

// A picture header of the Flash H.263 flavour, padded to `padTo` bytes.
Bytes Picture(uint32_t sizeCode, uint32_t type, uint32_t quant, std::size_t padTo = 16) {
    CBK_SwfStream s(6);
    s.Add(1u, 17); // start code
    s.Add(0u, 5);  // version
    s.Add(9u, 8);  // temporal reference
    s.Add(sizeCode, 3);
    if (sizeCode == 0) {
        s.Add(0xFFu, 8);
        s.Add(0xFFu, 8);
    } else if (sizeCode == 1) {
        s.Add(0xFFFFu, 16);
        s.Add(0xFFFFu, 16);
    }
    s.Add(type, 2);
    s.Add(1u, 1);
    s.Add(quant, 5);
    Bytes bytes = swftest::BytesOf(s.GetStream());
    bytes.resize(std::max(bytes.size(), padTo), 0);
    return bytes;
}

uint32_t FrameTypeOf(const Bytes& payload, uint32_t* quant = nullptr) {
    auto tag = Frame(1, 0, payload);
    auto* frame = static_cast<CBK_SwfVideoFrame*>(tag.get());
    const uint32_t type = frame->GetFrameType();
    if (quant)
        *quant = frame->GetQuantiser();
    return type;
}

TEST(SwfVideoFrame, FrameTypeFromThePictureHeader) {
    uint32_t quant = 0;
    EXPECT_EQ(FrameTypeOf(Picture(2, 1, 12), &quant), 2u);
    EXPECT_EQ(quant, 12u);
    EXPECT_EQ(FrameTypeOf(Picture(0, 0, 5), &quant), 1u);
    EXPECT_EQ(quant, 5u);
    EXPECT_EQ(FrameTypeOf(Picture(1, 2, 31), &quant), 3u);
    EXPECT_EQ(quant, 31u);
    EXPECT_EQ(FrameTypeOf(Picture(6, 3, 1)), 0u);

    CBK_SwfVideoFrame empty;
    EXPECT_EQ(empty.GetFrameType(), 0u);
    EXPECT_FALSE(empty.IsKeyframe());
}

TEST(SwfVideoFrame, PayloadsShorterThanTheirHeaderAreNotProbed) {
    // The header's bits end exactly at the payload's end: still read.
    EXPECT_EQ(FrameTypeOf(Picture(1, 1, 3, 0)), 2u);
    for (uint32_t sizeCode : {0u, 1u, 2u}) {
        const Bytes whole = Picture(sizeCode, 1, 3, 0);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            // Cut inside the type and quantiser: nothing past the end is read.
            if (n * 8 < 41 + (sizeCode == 0 ? 16u : sizeCode == 1 ? 32u : 0u)) {
                EXPECT_EQ(FrameTypeOf(cut), 0u) << sizeCode << " " << n;
            }
        }
    }
}

TEST(SwfVideoFrame, ReadStopsAtTheTagAndTheRecordLength) {
    const Bytes next = Concat({Header(1, 0), Ramp(20)});
    CBK_SwfVideoFrame lying(100);
    EXPECT_EQ(ReadFollowedBy(lying, Concat({{1, 0, 2, 0}, Ramp(6)}), next), 10u);
    EXPECT_EQ(lying.GetPayload()->GetStream(), Ramp(6));

    CBK_SwfVideoFrame tiny(3);
    EXPECT_EQ(ReadFollowedBy(tiny, Concat({{1, 0, 2, 0}, Ramp(6)}), next), 4u);
    EXPECT_TRUE(tiny.GetPayload()->GetStream().empty());

    CBK_SwfVideoFrame cut;
    EXPECT_EQ(ReadFollowedBy(cut, {1, 0, 2}, next), 3u);
    EXPECT_EQ(cut.GetStreamId(), 1);
    EXPECT_EQ(cut.GetFrameNumber(), 0);

    CBK_SwfDefineVideoStream stream;
    EXPECT_EQ(ReadFollowedBy(stream, {1, 0, 2, 0, 3}, next), 5u);
    EXPECT_EQ(stream.GetWidth(), 0);
}

std::unique_ptr<CBK_SwfScreenVideoPacket> Packet(uint32_t bw, uint32_t bh, uint32_t w, uint32_t h,
                                                 std::size_t blocks, std::size_t emptyAt,
                                                 const Bytes& bytes = {0xAB}) {
    auto packet = std::make_unique<CBK_SwfScreenVideoPacket>(bw, bh, w, h);
    for (std::size_t i = 0; i < blocks; ++i) {
        auto* block = new CBK_SwfImageBlock;
        if (i != emptyAt)
            block->SetPayload(bytes.data(), bytes.size());
        packet->AddImageBlock(block);
    }
    return packet;
}

Bytes Written(const CBK_SwfScreenVideoPacket& packet, uint32_t* reported = nullptr) {
    CBK_SwfStream s(7);
    const uint32_t n = packet.Write(&s);
    if (reported)
        *reported = n;
    return swftest::BytesOf(s.GetStream());
}

TEST(SwfScreenVideoPacket, BlocksAndSizes) {
    // 100 x 60 in 32 x 32 blocks: 4 across, 2 down.
    auto inter = Packet(32, 32, 100, 60, 8, 3);
    EXPECT_FALSE(inter->IsKeyframe());
    uint32_t reported = 0;
    const Bytes bytes = Written(*inter, &reported);
    const Bytes filled = {0x00, 0x01, 0xAB};
    EXPECT_EQ(swftest::Hex(bytes), swftest::Hex(Concat({{0x23, 0x10, 0x64, 0x10, 0x3C},
                                                        filled,
                                                        filled,
                                                        filled,
                                                        {0x00, 0x00},
                                                        filled,
                                                        filled,
                                                        filled,
                                                        filled})));
    EXPECT_EQ(reported, bytes.size());

    auto key = Packet(32, 32, 100, 60, 8, 99);
    EXPECT_TRUE(key->IsKeyframe());
    EXPECT_EQ(Written(*key)[0], 0x13);

    // Widest block side and size fields, and a block's size written big-endian.
    auto wide = Packet(256, 16, 4095, 4095, 16 * 256, 16 * 256, Ramp(300));
    const Bytes w = Written(*wide);
    EXPECT_EQ(swftest::Hex(Bytes(w.begin(), w.begin() + 7)), "13 FF FF 0F FF 01 2C");

    CBK_SwfScreenVideoPacket none(16, 16, 0, 0);
    EXPECT_TRUE(none.IsKeyframe());
    EXPECT_EQ(swftest::Hex(Written(none)), "13 00 00 00 00");
}

TEST(SwfScreenVideoPacket, PacketsItsFieldsCannotHoldAreRefused) {
    struct Case {
        const char* name;
        std::unique_ptr<CBK_SwfScreenVideoPacket> packet;
    };
    Case cases[] = {
        {"image wider than 4095", Packet(256, 256, 4096, 16, 16, 99)},
        {"image taller than 4095", Packet(256, 256, 16, 4096, 16, 99)},
        {"block of 65536 bytes", Packet(16, 16, 16, 16, 1, 99, Bytes(65536, 1))},
        {"block width 8", Packet(8, 16, 16, 16, 2, 99)},
        {"block width 272", Packet(272, 16, 16, 16, 1, 99)},
        {"block height 20", Packet(16, 20, 16, 20, 1, 99)},
        {"too few blocks", Packet(32, 32, 100, 60, 7, 99)},
        {"too many blocks", Packet(32, 32, 100, 60, 9, 99)},
    };
    for (Case& c : cases) {
        CBK_SwfStream s(7);
        s.Add(uint8_t(0x55));
        EXPECT_EQ(c.packet->Write(&s), 0u) << c.name;
        EXPECT_EQ(s.GetStream(), Bytes{0x55}) << c.name;
    }
    // The largest block that fits is written.
    auto largest = Packet(16, 16, 16, 16, 1, 99, Bytes(65535, 1));
    EXPECT_EQ(Written(*largest).size(), 5u + 2 + 65535);
}

TEST(SwfScreenVideoPacket, BlocksHandedOutAreTheCallers) {
    CBK_SwfImageBlock* kept = nullptr;
    {
        auto packet = Packet(16, 16, 16, 16, 1, 99);
        std::vector<CBK_SwfImageBlock*>& blocks = packet->GetImageBlocks(true);
        ASSERT_EQ(blocks.size(), 1u);
        kept = blocks[0];
    }
    EXPECT_EQ(kept->GetPayload(), Bytes{0xAB}); // still alive: the packet did not free it
    delete kept;
}

TEST(BitStreamParser, BitsBytesAndTheEnd) {
    CBK_BitStreamParser parser;
    const Bytes bytes = {0xD5, 0x0F, 0x80};
    parser.Add(bytes.data(), bytes.size());
    EXPECT_EQ(parser.GetBits(4, true), 0xFFFFFFFDu); // 1101 is -3
    EXPECT_EQ(parser.GetBits(4, false), 5u);
    EXPECT_EQ(parser.GetBits(12, false), 0x0F8u);
    EXPECT_EQ(parser.BitsLeft(), 4u);
    EXPECT_EQ(parser.GetBits(8, false), 0u); // the missing bits read as zero
    EXPECT_EQ(parser.BitsLeft(), 0u);

    parser.Reset();
    parser.Add(bytes.data(), bytes.size());
    parser.GetBits(3, false);
    uint8_t out[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(parser.GetBits(out, 10), 10u);
    EXPECT_EQ(out[0], 0xA8); // 1010 1000
    EXPECT_EQ(out[1], 0x40); // 01 left-aligned
    parser.ByteAlign();
    EXPECT_EQ(parser.GetBits(out, 30), 8u); // stops at the last byte
    EXPECT_EQ(out[0], 0x80);
    EXPECT_EQ(parser.GetBits(out, 8), 0u);
    EXPECT_EQ(parser.GetBits(32, false), 0u);
}

} // namespace
