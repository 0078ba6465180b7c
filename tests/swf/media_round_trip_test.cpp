// Seeded random sound, video, bitmap and button tags: each written, read back into a blank
// object and written again gives the same bytes, and the read takes exactly the payload.
#include <gtest/gtest.h>

#include <random>

#include "swf/actions/action_frame.h"
#include "swf/actions/action_push.h"
#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/bitmaps/jpeg_tables.h"
#include "swf/buttons/define_button.h"
#include "swf/buttons/define_button_cxform.h"
#include "swf/buttons/define_button_sound.h"
#include "swf/sound/define_sound.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/sound/start_sound.h"
#include "swf/video/define_video_stream.h"
#include "swf/video/video_frame.h"
#include "tests/swf/media_test_support.h"

namespace {

using namespace ravuz;
using mediatest::Bytes;

constexpr int kRounds = 1000;

class Random {
public:
    explicit Random(uint32_t seed) : _rng(seed) {}
    uint32_t Next() { return _rng(); }
    uint32_t Below(uint32_t n) { return n ? _rng() % n : 0; }
    bool Coin() { return _rng() & 1; }
    uint8_t Byte() { return static_cast<uint8_t>(_rng()); }
    uint16_t Word() { return static_cast<uint16_t>(_rng()); }
    int32_t Signed(uint32_t bits) {
        return static_cast<int32_t>(Below(1u << bits)) - static_cast<int32_t>(1u << (bits - 1));
    }
    // Mostly small payloads, now and then one across the long-header boundary or larger.
    Bytes Payload() {
        const uint32_t kind = Below(8);
        const std::size_t n = kind < 5 ? Below(70) : kind < 7 ? 56 + Below(16) : Below(5000);
        Bytes out(n);
        for (auto& b : out)
            b = Byte();
        return out;
    }

private:
    std::mt19937 _rng;
};

void ExpectRoundTrip(CBK_SwfTag& made, CBK_SwfTag& blank, uint8_t version, int round) {
    uint32_t reported = 0;
    const Bytes first = swftest::WriteBytes(made, version, &reported);
    ASSERT_EQ(reported, first.size()) << round;
    const uint32_t consumed = swftest::ReadTag(blank, first, version);
    ASSERT_EQ(consumed, swftest::Payload(first).size()) << round;
    ASSERT_EQ(swftest::Hex(swftest::WriteBytes(blank, version)), swftest::Hex(first)) << round;
}

CBK_SwfSoundInfo RandomInfo(Random& r) {
    CBK_SwfSoundInfo info;
    info.SetFlags(static_cast<uint8_t>(r.Byte() & 0x3F));
    info.SetInPoint(r.Next());
    info.SetOutPoint(r.Next());
    info.SetLoopCount(r.Word());
    for (uint32_t n = r.Below(6); n > 0; --n) {
        SOUNDENVELOPE* point = info.AddEnvelopeRecord();
        point->position = r.Next();
        point->leftLevel = r.Word();
        point->rightLevel = r.Word();
    }
    return info;
}

TEST(SwfMediaRoundTrip, SoundTags) {
    Random r(140);
    for (int i = 0; i < kRounds; ++i) {
        switch (i % 5) {
        case 0: {
            CBK_SwfSoundStreamHead made(r.Byte() & 0x0F, r.Byte(), r.Word()), blank;
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 1: {
            CBK_SwfSoundStreamHead2 made(r.Byte() & 0x0F, r.Byte(), r.Word()), blank;
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 2: {
            CBK_SwfSoundStreamBlock made, blank;
            const Bytes data = r.Payload();
            made.SetData(data.data(), data.size());
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 3: {
            CBK_SwfDefineSound made(r.Word(), r.Byte(), r.Next()), blank;
            const Bytes data = r.Payload();
            made.SetPayload(data.data(), data.size(), false);
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        default: {
            CBK_SwfStartSound made(r.Word()), blank;
            made.GetSoundInfo() = RandomInfo(r);
            ExpectRoundTrip(made, blank, 6, i);
        }
        }
    }
}

TEST(SwfMediaRoundTrip, VideoTags) {
    Random r(141);
    for (int i = 0; i < kRounds; ++i) {
        if (i % 2 == 0) {
            CBK_SwfDefineVideoStream made, blank;
            made.Create(r.Below(65536), r.Word(), r.Word());
            made.SetCharacterId(r.Word());
            made.SetDeblocking(r.Byte());
            made.SetSmoothing(r.Coin());
            made.SetCodecId(r.Coin() ? 2 : 3);
            ExpectRoundTrip(made, blank, 6, i);
        } else {
            CBK_SwfVideoFrame made, blank;
            made.SetStreamId(r.Word());
            made.Create(r.Word());
            if (r.Below(10) != 0) {
                auto* payload = new CBK_SwfStream(6);
                payload->Add(r.Payload());
                made.SetPayload(payload);
            }
            ExpectRoundTrip(made, blank, 6, i);
        }
    }
}

TEST(SwfMediaRoundTrip, BitmapTags) {
    Random r(143);
    for (int i = 0; i < kRounds; ++i) {
        const Bytes data = r.Payload();
        switch (i % 6) {
        case 0: {
            CBK_SwfJpegTables made, blank;
            made.SetTables(data);
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 1: {
            CBK_SwfDefineBits made, blank;
            made.Create(r.Word(), data);
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 2: {
            CBK_SwfDefineBitsJpeg2 made(r.Word(), data), blank;
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        case 3: {
            const Bytes alpha = r.Payload();
            CBK_SwfDefineBitsJpeg3 made(r.Word(), reinterpret_cast<const char*>(data.data()),
                                        static_cast<int32_t>(data.size()),
                                        reinterpret_cast<const char*>(alpha.data()),
                                        static_cast<int32_t>(alpha.size())),
                blank;
            ExpectRoundTrip(made, blank, 6, i);
            break;
        }
        default: {
            const uint8_t format = static_cast<uint8_t>(3 + r.Below(3));
            std::unique_ptr<CBK_SwfDefineBitsLossless> made, blank;
            if (i % 6 == 4) {
                made = std::make_unique<CBK_SwfDefineBitsLossless>(format);
                blank = std::make_unique<CBK_SwfDefineBitsLossless>(5);
            } else {
                made = std::make_unique<CBK_SwfDefineBitsLossless2>(format);
                blank = std::make_unique<CBK_SwfDefineBitsLossless2>(5);
            }
            made->SetCharacterId(r.Word());
            made->SetBitmapWidth(r.Word());
            made->SetBitmapHeight(r.Word());
            if (format == 3)
                made->SetBitmapColorTableSize(r.Byte());
            made->SetPayload(data.data(), data.size());
            ExpectRoundTrip(*made, *blank, 6, i);
        }
        }
    }
}

CBK_SwfButtonRecord* RandomRecord(Random& r, bool withTransform) {
    auto* record = new CBK_SwfButtonRecord;
    record->stateFlags = static_cast<uint8_t>(1 + r.Below(15));
    record->characterId = r.Word();
    record->depth = r.Word();
    if (r.Below(4) != 0) {
        record->matrix = std::make_unique<CBK_SwfMatrix>();
        if (r.Coin())
            record->matrix->SetScale(r.Signed(24), r.Signed(24));
        if (r.Coin())
            record->matrix->SetSkew0(static_cast<uint32_t>(r.Signed(20)), true);
        record->matrix->SetTranslation(r.Signed(20), r.Signed(20));
    }
    if (withTransform && r.Below(4) != 0) {
        record->colorTransform = std::make_unique<CBK_SwfColorTransformAlpha>();
        CBK_SwfColorTransformAlpha& c = *record->colorTransform;
        // The width field covers absent terms too: those are left at 0, as a read leaves them.
        c.hasMult = r.Coin();
        c.hasAdd = r.Coin();
        if (c.hasMult)
            c.SetMultTerms(r.Signed(10), r.Signed(10), r.Signed(10), r.Signed(10));
        else
            c.multAlpha = 0;
        if (c.hasAdd) {
            c.addRed = r.Signed(9);
            c.addGreen = r.Signed(9);
            c.addBlue = r.Signed(9);
            c.addAlpha = r.Signed(9);
        }
    }
    return record;
}

CBK_SwfDoAction* RandomActions(Random& r) {
    auto* list = new CBK_SwfDoAction;
    for (uint32_t n = r.Below(5); n > 0; --n) {
        switch (r.Below(4)) {
        case 0:
            list->AddAction(new CBK_SwfActionStop);
            break;
        case 1:
            list->AddAction(new CBK_SwfActionPlay);
            break;
        case 2:
            list->AddAction(new CBK_SwfActionGotoFrame(r.Word()));
            break;
        default:
            list->AddAction(new CBK_SwfActionPush(static_cast<int32_t>(r.Next())));
        }
    }
    return list;
}

TEST(SwfMediaRoundTrip, ButtonTags) {
    Random r(144);
    for (int i = 0; i < kRounds; ++i) {
        const uint8_t version = static_cast<uint8_t>(4 + r.Below(4));
        switch (i % 4) {
        case 0: {
            CBK_SwfDefineButton made, blank;
            made.SetCharacterId(r.Word());
            for (uint32_t n = r.Below(4); n > 0; --n)
                made.AddButtonRecord(RandomRecord(r, false));
            for (uint32_t n = r.Below(3); n > 0; --n)
                made.AddActionRecord(RandomActions(r));
            ExpectRoundTrip(made, blank, version, i);
            break;
        }
        case 1: {
            CBK_SwfDefineButton2 made, blank;
            made.SetCharacterId(r.Word());
            made.SetFlags(r.Coin() ? 1 : 0);
            for (uint32_t n = r.Below(4); n > 0; --n)
                made.AddButtonRecord(RandomRecord(r, true));
            for (uint32_t n = r.Below(4); n > 0; --n) {
                if (r.Below(5) == 0)
                    made.AddActionRecord(RandomActions(r)); // condition 0 when written
                else
                    made.AddAction(r.Word(), RandomActions(r));
            }
            ExpectRoundTrip(made, blank, version, i);
            CBK_SwfDefineButton2 copy(made);
            EXPECT_EQ(swftest::WriteBytes(copy, version), swftest::WriteBytes(made, version)) << i;
            break;
        }
        case 2: {
            CBK_SwfDefineButtonCxForm made, blank;
            made.SetCharacterId(r.Word());
            auto* c = new CBK_SwfColorTransform;
            c->hasMult = r.Coin();
            c->hasAdd = r.Coin();
            if (c->hasMult)
                c->SetMultTerms(r.Signed(12), r.Signed(12), r.Signed(12));
            if (c->hasAdd) {
                c->addRed = r.Signed(12);
                c->addGreen = r.Signed(12);
                c->addBlue = r.Signed(12);
            }
            made.SetColorTransform(c);
            ExpectRoundTrip(made, blank, version, i);
            break;
        }
        default: {
            CBK_SwfDefineButtonSound made, blank;
            made.SetCharacterId(r.Word());
            for (int32_t t = 0; t < 4; ++t) {
                made.SetButtonSoundId(t, r.Coin() ? r.Word() : 0);
                *made.GetSoundInfo(t) = RandomInfo(r);
            }
            ExpectRoundTrip(made, blank, version, i);
        }
        }
    }
}

} // namespace
