// Sprites: their timeline edits, their bytes both ways, deep copies and nested timelines.
#include <gtest/gtest.h>

#include <random>

#include "swf/actions/action_record.h"
#include "swf/shapes/define_shape.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sprites/define_sprite.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "swf/tags/tag_unknown.h"
#include "tests/swf/golden_vectors.h"
#include "tests/swf/writer/movie_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

std::vector<uint16_t> Codes(const CBK_SwfDefineSprite& sprite) {
    std::vector<uint16_t> codes;
    for (const auto& tag : sprite.GetTags())
        codes.push_back(tag->GetTagId());
    return codes;
}

CBK_SwfPlaceObject2* Placement(uint16_t depth) {
    auto* place = new CBK_SwfPlaceObject2;
    place->SetCharacterId(1);
    place->SetDepth(depth);
    return place;
}

TEST(SwfSpriteVectors, GoldenBytes) {
    using swftest::GoldenVector;
    swftest::CheckTagVectors({
        {"one frame",
         {0xC8, 0x09, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00},
         [] {
             auto sprite = std::make_unique<CBK_SwfDefineSprite>(5, 0);
             sprite->AddTag(new CBK_SwfShowFrame);
             return sprite;
         },
         swftest::BlankOf<CBK_SwfDefineSprite>()},
        {"placement and removal",
         {0xD3, 0x09, 0x07, 0x00, 0x01, 0x00, 0x85, 0x06, 0x02, 0x03, 0x00,
          0x01, 0x00, 0x02, 0x07, 0x03, 0x00, 0x40, 0x00, 0x00, 0x00},
         [] {
             auto sprite = std::make_unique<CBK_SwfDefineSprite>(7, 0);
             sprite->AddTag(Placement(3));
             sprite->AddTag(new CBK_SwfRemoveObject2(3));
             sprite->AddTag(new CBK_SwfShowFrame);
             sprite->AddTag(new CBK_SwfEnd);
             return sprite;
         },
         swftest::BlankOf<CBK_SwfDefineSprite>()},
    });
}

TEST(SwfSprite, TimelineEdits) {
    CBK_SwfDefineSprite sprite(2, 0);
    auto* label = new CBK_SwfFrameLabel(L"third");
    sprite.AddTagToFrame(label, 2);
    EXPECT_EQ(sprite.GetFrameCount(), 3);
    EXPECT_EQ(Codes(sprite), (std::vector<uint16_t>{1, 1, 43, 1}));

    CBK_SwfDefineShape shape;
    EXPECT_FALSE(sprite.AddTag(&shape));
    EXPECT_EQ(sprite.GetFrameCount(), 3);
    EXPECT_TRUE(sprite.AddTag(new CBK_SwfShowFrame));
    EXPECT_EQ(sprite.GetFrameCount(), 4);

    sprite.AddTag(new CBK_SwfEnd);
    sprite.AddTagToLastFrame(new CBK_SwfRemoveObject2(1));
    sprite.AddTagToFirstFrame(new CBK_SwfRemoveObject2(2), true);
    EXPECT_EQ(Codes(sprite), (std::vector<uint16_t>{28, 1, 1, 43, 1, 28, 1, 0}));
    // Padding past the end drops the End tag first; the written sprite gets one again.
    sprite.AddTagToFrame(nullptr, 4);
    EXPECT_EQ(Codes(sprite), (std::vector<uint16_t>{28, 1, 1, 43, 1, 28, 1, 1}));
    const Bytes once = swftest::WriteBytes(sprite);
    sprite.AddTag(new CBK_SwfEnd);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(sprite)), swftest::Hex(once));
}

TEST(SwfSprite, IgnoredAudioLeavesTheFramesAlone) {
    CBK_SwfDefineSprite sprite(2, 0);
    sprite.AddTag(new CBK_SwfSoundStreamBlock(0, 0, 0));
    sprite.AddTag(new CBK_SwfShowFrame);
    CBK_SwfStream stream(6);
    stream.IgnoreAudio(true);
    sprite.Write(&stream);
    EXPECT_EQ(swftest::Hex(swftest::BytesOf(stream.GetStream())), "C8 09 02 00 01 00 40 00 00 00");
}

TEST(SwfSprite, ReadDepthsAndCopiesAtTheSourceVersion) {
    CBK_SwfDefineSprite sprite(4, 0);
    auto* clip = Placement(7);
    auto* action = new CBK_SwfClipAction(0x40001); // a flag above the 16 bits of SWF 5
    action->AddAction(new CBK_SwfActionPlay);
    clip->AddClipAction(action);
    sprite.AddTag(clip);
    sprite.AddTag(Placement(3));
    auto* anchor = new CBK_SwfFrameLabel(L"here");
    anchor->SetNamedAnchor(1);
    sprite.AddTag(anchor);
    sprite.AddTag(new CBK_SwfShowFrame);
    const Bytes bytes = swftest::WriteBytes(sprite, 6);

    CBK_SwfDefineSprite read;
    swftest::ReadTag(read, bytes, 6);
    EXPECT_EQ(read.GetMinDepth(), 3);
    EXPECT_EQ(read.GetMaxDepth(), 7);
    EXPECT_EQ(read.GetFrameCount(), 1);

    CBK_SwfDefineSprite copy;
    copy = read;
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy, 6)), swftest::Hex(bytes));
    CBK_SwfDefineSprite built(sprite);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(built, 6)), swftest::Hex(bytes));
    auto& self = copy;
    copy = self;
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy, 6)), swftest::Hex(bytes));
}

// Such a sprite has no bytes to be copied through: its copy still keeps every tag.
TEST(SwfSprite, ACopyKeepsAScriptThatCannotBeEncoded) {
    swfmovie::Tags carriers = swfmovie::TagsWithUnencodableScripts();
    for (std::size_t i = carriers.size() - 2; i < carriers.size(); ++i) {
        auto& sprite = dynamic_cast<CBK_SwfDefineSprite&>(*carriers[i]);
        sprite.AddTagToFrame(Placement(3), 0);
        const CBK_SwfDefineSprite copy(sprite);
        EXPECT_EQ(Codes(copy), Codes(sprite));
        EXPECT_EQ(copy.GetMaxDepth(), 3);
    }
}

// Sprites nested far deeper than any timeline: read without exhausting the stack, the deep ones
// kept as stored, every byte given back.
TEST(SwfSprite, DeepNestingIsBoundedAndKept) {
    Bytes inner = {0x40, 0x00, 0x00, 0x00}; // ShowFrame, End
    for (int level = 0; level < 2000; ++level) {
        Bytes outer = {0xFF, 0x09};
        const uint32_t length = static_cast<uint32_t>(inner.size() + 6);
        for (int i = 0; i < 4; ++i)
            outer.push_back(static_cast<uint8_t>(length >> (8 * i)));
        outer.insert(outer.end(), {1, 0, 1, 0});
        outer.insert(outer.end(), inner.begin(), inner.end());
        outer.insert(outer.end(), {0x00, 0x00});
        inner = std::move(outer);
    }
    inner.insert(inner.end(), {0x40, 0x00}); // a ShowFrame after the outermost sprite
    const Bytes movie = swftest::MovieOfTagBytes(inner, 6);
    EXPECT_EQ(swftest::ReadBackDifference(movie), "");

    CBK_SwfReader reader;
    ASSERT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    ASSERT_EQ(reader.GetTags().size(), 3u);
    EXPECT_EQ(reader.GetTags()[1]->GetTagId(), kSwfTagShowFrame);
    const CBK_SwfTag* level = reader.GetTags()[0];
    uint32_t typed = 0;
    while (const auto* sprite = dynamic_cast<const CBK_SwfDefineSprite*>(level)) {
        ++typed;
        level = sprite->GetTags().front().get();
    }
    EXPECT_EQ(typed, CBK_SwfReader::kMaxNesting);
    EXPECT_NE(dynamic_cast<const CBK_SwfTagUnknown*>(level), nullptr);
    reader.Destroy(true);
}

TEST(SwfSprite, InnerTagsStopAtTheSpriteEnd) {
    // The inner PlaceObject claims 40 bytes; the sprite has 6 left after its id and count.
    const Bytes tags = {0xCA, 0x09, 9, 0, 1, 0, 0x28, 0x01, 1, 0, 2, 0, 0x40, 0x00, 0x00, 0x00};
    const Bytes movie = swftest::MovieOfTagBytes(tags, 6);
    CBK_SwfReader reader;
    ASSERT_TRUE(reader.CreateFromBuffer(movie.data(), movie.size(), true, 0, true));
    ASSERT_EQ(reader.GetTags().size(), 3u);
    EXPECT_EQ(reader.GetTags()[1]->GetTagId(), kSwfTagShowFrame);
    const auto& sprite = dynamic_cast<const CBK_SwfDefineSprite&>(*reader.GetTags()[0]);
    ASSERT_EQ(sprite.GetTags().size(), 1u);
    EXPECT_EQ(sprite.GetMaxDepth(), 2);
    reader.Destroy(true);
}

TEST(SwfSprite, RandomTimelinesRoundTrip) {
    std::mt19937 random(39);
    for (int round = 0; round < 50; ++round) {
        CBK_SwfDefineSprite sprite(static_cast<uint16_t>(random()), 0);
        const int count = static_cast<int>(random() % 20);
        for (int i = 0; i < count; ++i) {
            switch (random() % 4) {
            case 0:
                sprite.AddTag(new CBK_SwfShowFrame);
                break;
            case 1:
                sprite.AddTag(Placement(static_cast<uint16_t>(random())));
                break;
            case 2:
                sprite.AddTag(new CBK_SwfRemoveObject2(static_cast<uint16_t>(random())));
                break;
            default:
                sprite.AddTagToFrame(new CBK_SwfFrameLabel(L"f"), int32_t(random() % 5));
            }
        }
        const uint8_t version = static_cast<uint8_t>(4 + random() % 4);
        const Bytes bytes = swftest::WriteBytes(sprite, version);
        CBK_SwfDefineSprite read;
        swftest::ReadTag(read, bytes, version);
        EXPECT_EQ(read.GetFrameCount(), sprite.GetFrameCount());
        EXPECT_EQ(swftest::Hex(swftest::WriteBytes(read, version)), swftest::Hex(bytes));
    }
}

} // namespace
