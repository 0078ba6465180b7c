// Sound tags: golden encodings both ways, the format-byte fields, stream blocks, event sounds
// from stored records, sound styles with their envelopes, and short or lying tags.
#include <gtest/gtest.h>

#include "swf/sound/define_sound.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/sound/start_sound.h"
#include "tests/swf/media_test_support.h"

namespace {

using namespace ravuz;
using namespace mediatest;

std::unique_ptr<CBK_SwfTag> Block(const Bytes& data) {
    auto tag = std::make_unique<CBK_SwfSoundStreamBlock>();
    tag->SetData(data.data(), data.size());
    return tag;
}

std::unique_ptr<CBK_SwfTag> Sound(uint16_t id, uint8_t flags, uint32_t samples, const Bytes& data) {
    auto tag = std::make_unique<CBK_SwfDefineSound>(id, flags, samples);
    tag->SetPayload(data.data(), data.size(), false);
    return tag;
}

std::unique_ptr<CBK_SwfTag> StartWithEnvelope() {
    auto tag = std::make_unique<CBK_SwfStartSound>(9);
    CBK_SwfSoundInfo& info = tag->GetSoundInfo();
    info.HasEnvelope(true);
    for (uint16_t i = 0; i < 3; ++i) {
        SOUNDENVELOPE* point = info.AddEnvelopeRecord();
        point->position = 0x10000u * i;
        point->leftLevel = static_cast<uint16_t>(0x8000 >> i);
        point->rightLevel = static_cast<uint16_t>(i);
    }
    return tag;
}

std::unique_ptr<CBK_SwfTag> StartWithPoints() {
    auto tag = std::make_unique<CBK_SwfStartSound>(2);
    CBK_SwfSoundInfo& info = tag->GetSoundInfo();
    info.HasInPoint(true);
    info.HasOutPoint(true);
    info.HasLoops(true);
    info.HasSyncNoMultiple(true);
    info.SetInPoint(44100);
    info.SetOutPoint(0x01020304);
    info.SetLoopCount(3);
    return tag;
}

const std::vector<TagVector>& Vectors() {
    static const std::vector<TagVector> vectors = {
        {"SoundStreamHead MP3, playback byte FF", Concat({Header(18, 4), {0x0F, 0x2A, 0x40, 0x02}}),
         Blank<CBK_SwfSoundStreamHead>(uint8_t(0xFF), uint8_t(0x2A), uint16_t(576)),
         Blank<CBK_SwfSoundStreamHead>()},
        {"SoundStreamHead2", Concat({{0x44, 0x0B}, {0x0A, 0x2A, 0x2D, 0x07}}),
         Blank<CBK_SwfSoundStreamHead2>(uint8_t(0x0A), uint8_t(0x2A), uint16_t(1837)),
         Blank<CBK_SwfSoundStreamHead2>()},
        {"SoundStreamBlock short", Concat({Header(19, 5), {0x40, 0x02, 0x00, 0x00, 0xFF}}),
         [] {
             return Block({0x40, 0x02, 0x00, 0x00, 0xFF});
         },
         Blank<CBK_SwfSoundStreamBlock>()},
        {"SoundStreamBlock empty",
         {0xC0, 0x04},
         [] { return Block({}); },
         Blank<CBK_SwfSoundStreamBlock>()},
        {"SoundStreamBlock 62 bytes", Concat({{0xFE, 0x04}, Ramp(62)}),
         [] { return Block(Ramp(62)); }, Blank<CBK_SwfSoundStreamBlock>()},
        {"SoundStreamBlock 63 bytes", Concat({{0xFF, 0x04, 63, 0, 0, 0}, Ramp(63)}),
         [] { return Block(Ramp(63)); }, Blank<CBK_SwfSoundStreamBlock>()},
        {"DefineSound 55-byte payload, short header",
         Concat({{0xBE, 0x03}, {0x04, 0x00, 0x2E}, U32(4410), Ramp(55)}),
         [] { return Sound(4, 0x2E, 4410, Ramp(55)); }, Blank<CBK_SwfDefineSound>()},
        {"DefineSound 56-byte payload, long header",
         Concat({{0xBF, 0x03, 63, 0, 0, 0}, {0x04, 0x00, 0x2E}, U32(4410), Ramp(56)}),
         [] { return Sound(4, 0x2E, 4410, Ramp(56)); }, Blank<CBK_SwfDefineSound>()},
        {"StartSound sync stop", Concat({Header(15, 3), {0x07, 0x00, 0x20}}),
         [] {
             auto tag = std::make_unique<CBK_SwfStartSound>(7);
             tag->GetSoundInfo().SetFlags(CBK_SwfSoundInfo::SYNC_STOP);
             return tag;
         },
         Blank<CBK_SwfStartSound>()},
        {"StartSound three envelope points",
         Concat({Header(15, 2 + 1 + 1 + 24),
                 {0x09, 0x00, 0x08, 0x03},
                 U32(0),
                 U16(0x8000),
                 U16(0),
                 U32(0x10000),
                 U16(0x4000),
                 U16(1),
                 U32(0x20000),
                 U16(0x2000),
                 U16(2)}),
         StartWithEnvelope, Blank<CBK_SwfStartSound>()},
        {"StartSound in, out, loops",
         Concat({Header(15, 2 + 1 + 4 + 4 + 2),
                 {0x02, 0x00, 0x17},
                 U32(44100),
                 U32(0x01020304),
                 U16(3)}),
         StartWithPoints, Blank<CBK_SwfStartSound>()},
    };
    return vectors;
}

TEST(SwfSoundVectors, WriteTheirBytes) {
    ExpectWrites(Vectors());
}

TEST(SwfSoundVectors, ReadBackToTheSameBytes) {
    ExpectReadsBack(Vectors());
}

TEST(SwfSoundFormat, EachSetterReplacesOnlyItsBits) {
    CBK_SwfSoundStreamHead head;
    head.SetStreamFormat(CBK_SwfSoundStreamHead::FORMAT_NELLYMOSER);
    head.SetStreamRate(3);
    head.SetStreamRate(1);
    head.SetStreamSize(1);
    head.SetStreamType(1);
    head.SetStreamType(0);
    EXPECT_EQ(head.GetStreamFormat(), 6);
    EXPECT_EQ(head.GetStreamRate(), 1);
    EXPECT_EQ(head.GetStreamSize(), 1);
    EXPECT_EQ(head.GetStreamType(), 0);
    EXPECT_EQ(head.GetStreamByte(), 0x66);
    head.SetPlaybackRate(CBK_SwfSoundStreamHead::RATE_44);
    head.SetPlaybackType(CBK_SwfSoundStreamHead::TYPE_STEREO);
    EXPECT_EQ(head.GetPlaybackByte(), 0x0D);
    EXPECT_EQ(head.GetPlaybackRate(), 3);
    EXPECT_EQ(head.GetPlaybackSize(), 0);

    CBK_SwfDefineSound sound(1, 0xFF, 0);
    sound.SetSoundFormat(CBK_SwfDefineSound::FORMAT_MP3);
    sound.SetSoundRate(CBK_SwfDefineSound::RATE_11);
    EXPECT_EQ(sound.GetFlags(), 0x27);
    EXPECT_EQ(sound.GetSoundSize(), 1);
    EXPECT_EQ(sound.GetSoundType(), 1);
}

TEST(SwfSoundStreamBlock, SampleCountAndDataFollowTheHead) {
    CBK_SwfSoundStreamBlock block;
    const Bytes three = {0x40, 0x02, 0x07};
    block.SetData(three.data(), three.size());
    CBK_SwfSoundStreamHead mp3(0, 0x20, 576), adpcm(0, 0x10, 0), raw(0, 0x00, 0);
    EXPECT_EQ(block.GetSampleCount(nullptr), 0u);
    EXPECT_EQ(block.GetSampleCount(&mp3), 576u);
    EXPECT_EQ(block.GetSampleCount(&adpcm), 1000u);
    EXPECT_EQ(block.GetSampleCount(&raw), 0u);
    Bytes out;
    block.GetSampleData(out, &mp3);
    EXPECT_TRUE(out.empty()); // shorter than the MP3 prefix
    block.GetSampleData(out, nullptr);
    EXPECT_TRUE(out.empty());
    block.GetSampleData(out, &raw);
    EXPECT_EQ(out, three);

    const Bytes frames = {0x40, 0x02, 0x00, 0x00, 0xFF, 0xFB, 0x90};
    block.SetData(frames.data(), frames.size());
    out = {0xAA};
    block.GetSampleData(out, &mp3);
    EXPECT_EQ(out, (Bytes{0xAA, 0xFF, 0xFB, 0x90}));
}

TEST(SwfDefineSound, CreateFromBufferTakesShortAndLongRecords) {
    const Bytes shortRecord = Concat({{0x8A, 0x03}, {0x05, 0x00, 0x22}, U32(1000), {1, 2, 3}});
    CBK_SwfDefineSound sound;
    sound.SetPayload(Bytes{9, 9}.data(), 2, false);
    ASSERT_TRUE(sound.CreateFromBuffer(reinterpret_cast<const char*>(shortRecord.data()),
                                       shortRecord.size()));
    EXPECT_EQ(sound.GetCharacterId(), 5);
    EXPECT_EQ(sound.GetFlags(), 0x22);
    EXPECT_EQ(sound.GetSampleCount(), 1000u);
    EXPECT_EQ(sound.GetPayload(), (Bytes{1, 2, 3}));

    // Unaligned sample count in a long record, and a buffer longer than the record.
    const Bytes longRecord =
        Concat({{0xBF, 0x03}, U32(7 + 70), {0x06, 0x00, 0x2F}, U32(0x01020304), Ramp(70), {0xEE}});
    ASSERT_TRUE(sound.CreateFromBuffer(reinterpret_cast<const char*>(longRecord.data()),
                                       longRecord.size()));
    EXPECT_EQ(sound.GetSampleCount(), 0x01020304u);
    EXPECT_EQ(sound.GetPayload(), Ramp(70));
    // The tag written again is the record.
    EXPECT_EQ(swftest::WriteBytes(sound), Bytes(longRecord.begin(), longRecord.end() - 1));
}

TEST(SwfDefineSound, CreateFromBufferRefusesRecordsItCannotHold) {
    CBK_SwfDefineSound sound(3, 0x20, 10);
    sound.SetPayload(Bytes{1}.data(), 1, false);
    const Bytes cut = Concat({{0x8A, 0x03}, {0x05, 0x00, 0x22}, U32(1000), {1, 2}});
    const Bytes headless = Concat({{0x85, 0x03}, {0x05, 0x00, 0x22, 0, 0}});
    const Bytes longCut = {0xBF, 0x03, 0xFF, 0xFF};
    const Bytes huge = Concat({{0xBF, 0x03}, U32(0xFFFFFFFF), Ramp(16)});
    for (const Bytes* record : {&cut, &headless, &longCut, &huge})
        EXPECT_FALSE(
            sound.CreateFromBuffer(reinterpret_cast<const char*>(record->data()), record->size()));
    EXPECT_FALSE(sound.CreateFromBuffer(nullptr, 10));
    EXPECT_EQ(sound.GetCharacterId(), 3);
    EXPECT_EQ(sound.GetPayload(), Bytes{1});
}

TEST(SwfDefineSound, PayloadReplacesOrAppends) {
    CBK_SwfDefineSound sound(1, 0, 0);
    const Bytes a = {1, 2}, b = {3};
    sound.SetPayload(a.data(), a.size(), false);
    sound.SetPayload(b.data(), b.size(), true);
    EXPECT_EQ(sound.GetPayload(), (Bytes{1, 2, 3}));
    sound.SetPayload(nullptr, 4, false);
    sound.SetPayload(b.data(), 0, false);
    EXPECT_EQ(sound.GetPayload(), (Bytes{1, 2, 3}));
    sound.SetPayload(b.data(), b.size(), false);
    EXPECT_EQ(sound.GetPayload(), Bytes{3});
    sound.SetDelay(-5);
    sound.Create(2, 0x20, 7);
    EXPECT_EQ(sound.GetDelay(), 0);
    EXPECT_TRUE(sound.GetPayload().empty());
}

TEST(SwfSoundTags, ShortTagsTakeNothingOfTheNextTag) {
    const Bytes next = {0x40, 0x00, 0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56, 0x78};
    CBK_SwfDefineSound sound;
    EXPECT_EQ(ReadFollowedBy(sound, {0x05, 0x00, 0x22}, next), 3u);
    EXPECT_EQ(sound.GetCharacterId(), 5);
    EXPECT_EQ(sound.GetSampleCount(), 0u);
    EXPECT_TRUE(sound.GetPayload().empty());

    CBK_SwfSoundStreamBlock block;
    EXPECT_EQ(ReadFollowedBy(block, {1, 2}, next), 2u);
    EXPECT_EQ(block.GetData(), (Bytes{1, 2}));

    CBK_SwfSoundStreamHead head;
    EXPECT_EQ(ReadFollowedBy(head, {0x0A, 0x2A}, next), 2u);
    EXPECT_EQ(head.GetSampleCount(), 0);

    CBK_SwfStartSound start;
    EXPECT_EQ(ReadFollowedBy(start, {0x01, 0x00, 0x0F, 0x10, 0x00}, next), 5u);
    EXPECT_EQ(start.GetSoundInfo().GetInPoint(), 0u);
    EXPECT_EQ(start.GetSoundInfo().GetEnvelopeSize(), 0u);
}

TEST(SwfSoundInfo, EnvelopeCountIsHeldToThePointsPresent) {
    // 200 points announced, two present: two are read, and nothing is allocated for more.
    const Bytes payload = Concat({{0x01, 0x00, 0x08, 200}, Ramp(16)});
    CBK_SwfStartSound start;
    ASSERT_EQ(swftest::ReadTag(start, Concat({Header(15, 20), payload})), 20u);
    EXPECT_EQ(start.GetSoundInfo().GetEnvelopeCount(), 200);
    EXPECT_EQ(start.GetSoundInfo().GetEnvelopeSize(), 2u);
    const Bytes again = swftest::Payload(swftest::WriteBytes(start));
    EXPECT_EQ(again[3], 2);
}

TEST(SwfSoundInfo, ReadingReplacesWhatTheRecordHeld) {
    const Bytes bytes = Concat({Header(15, 12), {0x01, 0x00, 0x08, 0x01}, U32(5), U16(6), U16(7)});
    CBK_SwfStartSound start;
    swftest::ReadTag(start, bytes);
    swftest::ReadTag(start, bytes);
    ASSERT_EQ(start.GetSoundInfo().GetEnvelopeSize(), 1u);
    EXPECT_EQ(start.GetSoundInfo().GetEnvelopeRecord(0)->position, 5u);
    EXPECT_EQ(swftest::WriteBytes(start), bytes);
}

TEST(SwfSoundInfo, EnvelopeHoldsWhatItsCountByteCanSay) {
    CBK_SwfSoundInfo info;
    info.HasEnvelope(true);
    for (int i = 0; i < 255; ++i)
        ASSERT_NE(info.AddEnvelopeRecord(), nullptr);
    EXPECT_EQ(info.AddEnvelopeRecord(), nullptr);
    CBK_SwfStream stream(6);
    EXPECT_EQ(info.Write(&stream), 2u + 255 * 8);
    EXPECT_EQ(stream.GetStream()[1], 255);

    EXPECT_FALSE(info.DeleteEnvelopeRecord(255));
    info.GetEnvelopeRecord(1)->position = 77;
    EXPECT_TRUE(info.DeleteEnvelopeRecord(0));
    EXPECT_EQ(info.GetEnvelopeSize(), 254u);
    EXPECT_EQ(info.GetEnvelopeRecord(0)->position, 77u);

    CBK_SwfSoundInfo copy(info);
    copy.GetEnvelopeRecord(0)->position = 1;
    EXPECT_EQ(info.GetEnvelopeRecord(0)->position, 77u);
    info.Create();
    EXPECT_EQ(info.GetEnvelopeSize(), 0u);
    EXPECT_FALSE(info.HasEnvelope());
}

TEST(SwfSoundTags, OffsetsMoveIds) {
    CBK_SwfDefineSound sound(10, 0, 0);
    CBK_SwfStartSound start(sound);
    EXPECT_EQ(start.GetSoundId(), 10);
    sound.OffsetInfo(5, 100, 0);
    start.OffsetInfo(5, 100, 0);
    EXPECT_EQ(sound.GetCharacterId(), 15);
    EXPECT_EQ(start.GetSoundId(), 15);
    CBK_SwfSoundStreamHead head;
    head.SetCharacterId(3);
    head.OffsetInfo(2, 0, 0);
    EXPECT_EQ(head.GetCharacterId(), 5);
    EXPECT_EQ(swftest::Payload(swftest::WriteBytes(head)).size(), 4u);
}

} // namespace
