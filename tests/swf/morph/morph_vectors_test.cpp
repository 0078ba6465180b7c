// Morph styles and DefineMorphShape: golden bytes both ways, bitmap fills of every kind, the
// end-edges offset and the builders.
#include <gtest/gtest.h>

#include "swf/morph/define_morph_shape.h"
#include "tests/swf/golden_vectors.h"

namespace {

using namespace ravuz;
using swftest::BlankOf;
using swftest::Bytes;
using swftest::Concat;
using swftest::GoldenVector;
using swftest::Repeat;

const Bytes kIdentity = {0xC9, 0x00, 0x00, 0x40, 0x00, 0x00};

CBK_SwfMatrix* Identity() {
    auto* m = new CBK_SwfMatrix;
    m->CreateIdentity();
    return m;
}

CBK_SwfMorphFillStyle* Solid(uint8_t r0, uint8_t r1) {
    auto* f = new CBK_SwfMorphFillStyle;
    f->SetStartColor(new CBK_SwfColorAlpha(r0, 0, 0, 255));
    f->SetEndColor(new CBK_SwfColorAlpha(r1, 0, 0, 128));
    return f;
}

CBK_SwfMorphFillStyle* Bitmap(uint8_t type, uint16_t id, bool matrices) {
    auto* f = new CBK_SwfMorphFillStyle;
    f->SetType(type);
    f->SetBitmapId(id);
    if (matrices) {
        f->SetStartMatrix(Identity());
        f->SetEndMatrix(Identity());
    }
    return f;
}

CBK_SwfMorphLineStyle* Line() {
    auto* l = new CBK_SwfMorphLineStyle;
    l->SetWidths(20, 40);
    l->SetStartColor(new CBK_SwfColorAlpha(1, 2, 3, 4));
    l->SetEndColor(new CBK_SwfColorAlpha(5, 6, 7, 8));
    return l;
}
const Bytes kLine = {0x14, 0x00, 0x28, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};

CBK_SwfMorphGradientRecord* Stop() {
    auto* r = new CBK_SwfMorphGradientRecord;
    r->SetRatios(0x00, 0xFF);
    r->SetStartColor(new CBK_SwfColorAlpha(1, 2, 3, 4));
    r->SetEndColor(new CBK_SwfColorAlpha(5, 6, 7, 8));
    return r;
}
const Bytes kStop = {0x00, 1, 2, 3, 4, 0xFF, 5, 6, 7, 8};

std::unique_ptr<CBK_SwfObj> Own(CBK_SwfObj* object) {
    return std::unique_ptr<CBK_SwfObj>(object);
}

std::vector<GoldenVector> RecordVectors() {
    std::vector<GoldenVector> v = {
        {"morph gradient record", kStop, [] { return Own(Stop()); },
         BlankOf<CBK_SwfMorphGradientRecord>()},
        {"morph solid fill",
         {0x00, 9, 0, 0, 255, 10, 0, 0, 128},
         [] { return Own(Solid(9, 10)); },
         BlankOf<CBK_SwfMorphFillStyle>()},
        {"morph solid fill without colours",
         {0x00, 0, 0, 0, 255, 0, 0, 0, 255},
         BlankOf<CBK_SwfMorphFillStyle>(),
         BlankOf<CBK_SwfMorphFillStyle>()},
        {"morph linear gradient fill", Concat({{0x10}, kIdentity, kIdentity, {0x01}, kStop}),
         [] {
             auto* f = new CBK_SwfMorphFillStyle;
             f->SetType(CBK_SwfMorphFillStyle::LINEAR_FILL);
             f->SetStartMatrix(Identity());
             f->SetEndMatrix(Identity());
             auto* g = new CBK_SwfMorphGradient;
             g->AddRecord(Stop());
             f->SetGradient(g);
             return Own(f);
         },
         BlankOf<CBK_SwfMorphFillStyle>()},
        {"morph line style", kLine, [] { return Own(Line()); }, BlankOf<CBK_SwfMorphLineStyle>()},
        {"morph unknown fill type",
         {0x13},
         [] {
             auto* f = new CBK_SwfMorphFillStyle;
             f->SetType(0x13);
             return Own(f);
         },
         BlankOf<CBK_SwfMorphFillStyle>()},
    };
    // Tiled and unsmoothed bitmap fills carry an id and two matrices as the clipped one does.
    for (uint8_t type : {0x40, 0x41, 0x42, 0x43}) {
        v.push_back({"morph bitmap fill " + std::to_string(type),
                     Concat({{type, 0x05, 0x00}, kIdentity, kIdentity}),
                     [type] { return Own(Bitmap(type, 5, true)); },
                     BlankOf<CBK_SwfMorphFillStyle>()});
    }
    v.push_back({"morph bitmap fill without matrices",
                 {0x40, 0x05, 0x00, 0x00, 0x00},
                 [] { return Own(Bitmap(0x40, 5, false)); },
                 BlankOf<CBK_SwfMorphFillStyle>()});
    v.push_back({"morph line array of 255", Concat({{0xFF, 0xFF, 0x00}, Repeat(kLine, 255)}),
                 [] {
                     auto* a = new CBK_SwfMorphLineStyleArray;
                     for (int i = 0; i < 255; ++i)
                         a->AddLineStyle(Line());
                     return Own(a);
                 },
                 BlankOf<CBK_SwfMorphLineStyleArray>()});
    v.push_back(
        {"morph fill array of 2",
         Concat({{0x02}, {0x00, 1, 0, 0, 255, 2, 0, 0, 128}, {0x41, 0x07, 0x00, 0x00, 0x00}}),
         [] {
             auto* a = new CBK_SwfMorphFillStyleArray;
             a->AddFillStyle(Solid(1, 2));
             a->AddFillStyle(Bitmap(0x41, 7, false));
             return Own(a);
         },
         BlankOf<CBK_SwfMorphFillStyleArray>()});
    return v;
}

// Start: a 100 by 50 box at 0, 0 filled from red to blue; end: 80 by 30 at 10, 10.
std::unique_ptr<CBK_SwfDefineMorphShape> Box() {
    auto tag = std::make_unique<CBK_SwfDefineMorphShape>();
    tag->SetCharacterId(1);
    auto* fill = new CBK_SwfMorphFillStyle;
    fill->SetStartColor(new CBK_SwfColorAlpha(255, 0, 0, 255));
    fill->SetEndColor(new CBK_SwfColorAlpha(0, 0, 255, 255));
    tag->CreateBox(0, 0, 100, 50, fill, nullptr, true);
    tag->CreateBox(10, 10, 80, 30, nullptr, nullptr, false);
    return tag;
}

// The start shape is 12 bytes: the offset is 10 (fills) + 1 (lines) + 12.
const Bytes kBox = {0xB3, 0x0B, 0x01, 0x00, 0x40, 0x03, 0x20, 0x01, 0x90, 0x40, 0x52,
                    0xD0, 0x51, 0x40, 0x17, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0x00,
                    0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x11, 0x14, 0x27, 0x61,
                    0x93, 0x55, 0x96, 0xC4, 0xE6, 0xAC, 0xE0, 0x00, 0x11, 0x04, 0xAA,
                    0x56, 0xC2, 0x86, 0x8B, 0xDB, 0x16, 0x1A, 0x31, 0x00};

TEST(SwfMorphVectors, StylesWriteAndReadBack) {
    swftest::CheckRecordVectors(RecordVectors());
}

TEST(SwfMorphVectors, TagWritesAndReadsBack) {
    swftest::CheckTagVectors(
        {{"DefineMorphShape box", kBox, [] { return std::unique_ptr<CBK_SwfObj>(Box()); },
          BlankOf<CBK_SwfDefineMorphShape>()}});
    CBK_SwfDefineMorphShape read;
    swftest::ReadTag(read, kBox);
    EXPECT_EQ(read.GetOffset(), 23u);
}

TEST(SwfDefineMorphShape, CreateBoxBuildsBothStates) {
    auto tag = Box();
    EXPECT_EQ(tag->GetFillStyles()->GetCount(), 1u);
    EXPECT_EQ(tag->GetLineStyles()->GetCount(), 0u);
    const CBK_SwfRect* s = tag->GetStartBounds();
    const CBK_SwfRect* e = tag->GetEndBounds();
    EXPECT_EQ(std::vector<int32_t>({s->xmin, s->ymin, s->xmax, s->ymax}),
              std::vector<int32_t>({0, 0, 100, 50}));
    EXPECT_EQ(std::vector<int32_t>({e->xmin, e->ymin, e->xmax, e->ymax}),
              std::vector<int32_t>({10, 10, 90, 40}));
    EXPECT_EQ(tag->GetStartShape()->GetFillBits(), 1);
    EXPECT_EQ(tag->GetEndShape()->GetLineBits(), 1);
    // Styles given for the end state are not kept (and not leaked).
    tag->CreateBox(0, 0, 1, 1, new CBK_SwfMorphFillStyle, Line(), false);
    EXPECT_EQ(tag->GetFillStyles()->GetCount(), 1u);
    EXPECT_EQ(tag->GetLineStyles()->GetCount(), 0u);
}

TEST(SwfDefineMorphShape, AnOffsetPastTheStartShapeSkipsTheGap) {
    // Three stray bytes after the start shape, the offset counting them.
    Bytes gapped = kBox;
    const std::size_t offsetAt = 2 + 2 + 5 + 5; // header, id, two bounds
    const std::size_t endShape = offsetAt + 4 + 23;
    gapped.insert(gapped.begin() + static_cast<std::ptrdiff_t>(endShape), {0xAA, 0xBB, 0xCC});
    gapped[offsetAt] = 26;
    gapped[0] = static_cast<uint8_t>(gapped[0] + 3);
    CBK_SwfDefineMorphShape read;
    EXPECT_EQ(swftest::ReadTag(read, gapped), gapped.size() - 2);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(read)), swftest::Hex(kBox));

    // An offset far past the tag stops at the tag's end.
    Bytes wild = kBox;
    wild[2 + 2 + 5 + 5 + 3] = 0x7F;
    CBK_SwfDefineMorphShape clipped;
    EXPECT_LE(swftest::ReadTag(clipped, wild), wild.size() - 2);
}

TEST(SwfDefineMorphShape, OffsetInfoShiftsEveryBitmapFill) {
    CBK_SwfDefineMorphShape tag;
    tag.SetCharacterId(2);
    auto* fills = new CBK_SwfMorphFillStyleArray;
    for (uint8_t type : {0x40, 0x41, 0x42, 0x43})
        fills->AddFillStyle(Bitmap(type, 3, false));
    fills->AddFillStyle(Bitmap(0x41, CBK_SwfMorphFillStyle::kNoBitmap, false));
    fills->AddFillStyle(Solid(1, 2));
    tag.SetFillStyles(fills);
    tag.OffsetInfo(5, 0, 0);
    EXPECT_EQ(tag.GetCharacterId(), 7);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(fills->GetFillStyle(i)->GetBitmapId(), 8) << i;
    EXPECT_EQ(fills->GetFillStyle(4)->GetBitmapId(), 0xFFFF);
    EXPECT_EQ(fills->GetFillStyle(5)->GetBitmapId(), 0);
}

TEST(SwfDefineMorphShape, AnEmptyTagWritesWhatItReads) {
    CBK_SwfDefineMorphShape empty;
    const Bytes bytes = swftest::WriteBytes(empty);
    CBK_SwfDefineMorphShape back;
    EXPECT_EQ(swftest::ReadTag(back, bytes), bytes.size() - 2);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(back)), swftest::Hex(bytes));
    CBK_SwfDefineMorphShape copy(*Box());
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy)), swftest::Hex(kBox));
}

TEST(SwfMorphGradient, CountsBeyondTheBytesReadOnlyWhatIsThere) {
    const Bytes bytes = Concat({{0xFF}, kStop, {1, 2, 3}});
    CBK_SwfMorphGradient g;
    auto reader = swftest::ReaderOver(bytes);
    g.Read(reader.get());
    EXPECT_EQ(g.GetRecordCount(), 1u);
}

} // namespace
