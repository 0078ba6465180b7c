// Shape records, shapes and the DefineShape tags: golden bytes both ways and the edge cases
// of widths, flags, long edges and repeated writes.
#include <gtest/gtest.h>

#include "swf/shapes/define_shape.h"
#include "swf/styles/style_parts.h"
#include "tests/swf/golden_vectors.h"

namespace {

using namespace ravuz;
using swftest::BlankOf;
using swftest::Bytes;
using swftest::Concat;
using swftest::GoldenVector;
using StyleChange = CBK_SwfStyleChangeShapeRecord;
using Straight = CBK_SwfStraightEdgeShapeRecord;

// A plain shape of widths 0, 0 holding `record` and an end record.
std::function<std::unique_ptr<CBK_SwfObj>()> ShapeWith(std::function<CBK_SwfShapeRecord*()> make) {
    return [make] {
        auto shape = std::make_unique<CBK_SwfShape>();
        shape->AddRecord(make());
        shape->AddRecord(new CBK_SwfEndOfShapeRecord);
        return shape;
    };
}

const Bytes kThin = {0x14, 0x00, 0x01, 0x02, 0x03};

CBK_SwfLineStyleArray* OneThinLine() {
    auto* lines = new CBK_SwfLineStyleArray(false);
    lines->AddLineStyle(new CBK_SwfLineStyle(20, new CBK_SwfColor(1, 2, 3), false));
    return lines;
}

std::vector<GoldenVector> RecordVectors() {
    return {
        {"general edge 0, 0",
         {0x00, 0xC2, 0x00, 0x00},
         ShapeWith([] { return new Straight(0, 0, Straight::GENERAL_LINE); }),
         BlankOf<CBK_SwfShape>()},
        {"horizontal edge 100",
         {0x00, 0xD8, 0x64, 0x00},
         ShapeWith([] { return new Straight(100, 0, Straight::HORIZONTAL_LINE); }),
         BlankOf<CBK_SwfShape>()},
        {"vertical edge -1",
         {0x00, 0xC1, 0xC0},
         ShapeWith([] { return new Straight(0, -1, Straight::VERTICAL_LINE); }),
         BlankOf<CBK_SwfShape>()},
        {"move to 0, 0 flagged by hand",
         {0x00, 0x04, 0x20, 0x00},
         ShapeWith([] {
             auto* r = new StyleChange(0, 0, nullptr);
             r->HasMoveTo(true);
             return r;
         }),
         BlankOf<CBK_SwfShape>()},
        {"curved edge",
         {0x00, 0x8D, 0x40, 0x02, 0x80},
         ShapeWith([] { return new CBK_SwfCurvedEdgeShapeRecord(10, 0, 0, 10); }),
         BlankOf<CBK_SwfShape>()},
        {"one fill and one line style: widths 1 and 1",
         Concat({{0x01, 0x00, 0x11, 0x22, 0x33, 0x01}, kThin, {0x11, 0x00}}),
         [] {
             auto s = std::make_unique<CBK_SwfShapeWithStyle>(false);
             auto* fills = new CBK_SwfFillStyleArray(false);
             fills->AddFillStyle(new CBK_SwfFillStyle(new CBK_SwfColor(0x11, 0x22, 0x33), false));
             s->SetFillStyles(fills);
             s->SetLineStyles(OneThinLine());
             s->AddRecord(new CBK_SwfEndOfShapeRecord);
             return s;
         },
         BlankOf<CBK_SwfShapeWithStyle>(false)},
        {"three fill styles: width 2",
         {0x03, 0x00, 1, 1, 1, 0x00, 2, 2, 2, 0x00, 3, 3, 3, 0x00, 0x20, 0x13, 0x00},
         [] {
             auto s = std::make_unique<CBK_SwfShapeWithStyle>(false);
             auto* fills = new CBK_SwfFillStyleArray(false);
             for (uint8_t i = 1; i <= 3; ++i)
                 fills->AddFillStyle(new CBK_SwfFillStyle(new CBK_SwfColor(i, i, i), false));
             s->SetFillStyles(fills);
             auto* change = new StyleChange(uint8_t(0), s.get());
             change->SetFillStyle(3, 1);
             change->CompileFlags();
             s->AddRecord(change);
             return s; // no end record: one is written
         },
         BlankOf<CBK_SwfShapeWithStyle>(false)},
        {"new styles with only a line array",
         Concat({{0x00, 0x00, 0x00, 0x40, 0x00, 0x01}, kThin, {0x01, 0x00}}),
         [] {
             auto s = std::make_unique<CBK_SwfShapeWithStyle>(false);
             auto* change = new StyleChange(StyleChange::NEW_STYLES_FLAG, s.get());
             change->SetNewLineStyles(OneThinLine());
             s->AddRecord(change);
             s->AddRecord(new CBK_SwfEndOfShapeRecord);
             return s;
         },
         BlankOf<CBK_SwfShapeWithStyle>(false)},
        {"new styles with neither array",
         {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00},
         [] {
             auto s = std::make_unique<CBK_SwfShapeWithStyle>(false);
             s->AddRecord(new StyleChange(StyleChange::NEW_STYLES_FLAG, s.get()));
             s->AddRecord(new CBK_SwfEndOfShapeRecord);
             return s;
         },
         BlankOf<CBK_SwfShapeWithStyle>(false)},
    };
}

std::vector<GoldenVector> TagVectors() {
    return {
        {"DefineShape box",
         {0x99, 0x00, 0x01, 0x00, 0x40, 0x03, 0x20, 0x01, 0x90, 0x01, 0x00, 0xFF, 0x00, 0x00,
          0x00, 0x10, 0x14, 0x27, 0x61, 0x93, 0x55, 0x96, 0xC4, 0xE6, 0xAC, 0xE0, 0x00},
         [] {
             auto tag = std::make_unique<CBK_SwfDefineShape>();
             tag->SetCharacterId(1);
             tag->CreateBox(0, 0, 100, 50, new CBK_SwfFillStyle(new CBK_SwfColor(255, 0, 0), false),
                            nullptr);
             return tag;
         },
         BlankOf<CBK_SwfDefineShape>()},
        {"DefineShape3 circle",
         {0x2D, 0x08, 0x02, 0x00, 0x44, 0xE3, 0x24, 0xE3, 0x20, 0x01, 0x00, 0x10,
          0x20, 0x30, 0x40, 0x01, 0x14, 0x00, 0x01, 0x02, 0x03, 0x04, 0x11, 0x35,
          0x00, 0x0C, 0x9C, 0xD3, 0x80, 0x00, 0x13, 0x93, 0x00, 0x4E, 0x32, 0x00,
          0x4C, 0xC8, 0x00, 0x00, 0xC9, 0x30, 0x03, 0x24, 0xE0, 0x00, 0x00},
         [] {
             auto tag = std::make_unique<CBK_SwfDefineShape3>();
             tag->SetCharacterId(2);
             tag->CreateCircle(
                 500, 500, 100,
                 new CBK_SwfFillStyle(new CBK_SwfColorAlpha(0x10, 0x20, 0x30, 0x40), true),
                 new CBK_SwfLineStyle(20, new CBK_SwfColorAlpha(1, 2, 3, 4), true));
             return tag;
         },
         BlankOf<CBK_SwfDefineShape3>()},
        {"DefineShape2 line of no size",
         {0x93, 0x05, 0x03, 0x00, 0x3D, 0x85, 0x16, 0x14, 0x00, 0x00, 0x01,
          0x14, 0x00, 0x01, 0x02, 0x03, 0x01, 0x24, 0x27, 0x04, 0x00},
         [] {
             auto tag = std::make_unique<CBK_SwfDefineShape2>();
             tag->SetCharacterId(3);
             tag->CreateLine(7, 7, 0, 0, nullptr,
                             new CBK_SwfLineStyle(20, new CBK_SwfColor(1, 2, 3), false));
             return tag;
         },
         BlankOf<CBK_SwfDefineShape2>()},
        {"DefineShape without bounds or shape",
         {0x88, 0x00, 0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00},
         [] {
             auto tag = std::make_unique<CBK_SwfDefineShape>();
             tag->SetCharacterId(4);
             return tag;
         },
         BlankOf<CBK_SwfDefineShape>()},
    };
}

TEST(SwfShapeVectors, RecordsWriteAndReadBack) {
    swftest::CheckRecordVectors(RecordVectors());
}

TEST(SwfShapeVectors, TagsWriteAndReadBack) {
    swftest::CheckTagVectors(TagVectors());
}

TEST(SwfDefineShape, ColoursCarryAlphaOnlyInDefineShape3) {
    for (auto make : {+[]() -> CBK_SwfDefineShape* { return new CBK_SwfDefineShape; },
                      +[]() -> CBK_SwfDefineShape* { return new CBK_SwfDefineShape2; },
                      +[]() -> CBK_SwfDefineShape* { return new CBK_SwfDefineShape3; }}) {
        std::unique_ptr<CBK_SwfDefineShape> tag(make());
        // id, empty bounds, one solid fill: only DefineShape3 takes four colour bytes.
        const Bytes body = {0x01, 0x00, 0x00, 0x01, 0x00, 1, 2, 3, 4, 0x00, 0x10, 0x00};
        auto reader = swftest::ReaderOver(body);
        tag->Read(reader.get());
        const CBK_SwfColor* color = tag->GetShape()->GetFillStyles()->GetFillStyle(0)->GetColor();
        const bool alpha = tag->GetTagId() == kSwfTagDefineShape3;
        EXPECT_EQ(SwfIsAlphaColor(color), alpha) << tag->GetTagId();
        if (alpha) {
            EXPECT_EQ(static_cast<const CBK_SwfColorAlpha*>(color)->alpha, 4);
        }
    }
}

TEST(SwfDefineShape, CopiesOfADefineShape3WriteTheSameBytes) {
    CBK_SwfDefineShape3 original;
    original.SetCharacterId(9);
    original.CreateCircle(0, 0, 300, new CBK_SwfFillStyle(new CBK_SwfColorAlpha(1, 2, 3, 4), false),
                          new CBK_SwfLineStyle(1, new CBK_SwfColorAlpha(5, 6, 7, 8), false));
    const Bytes bytes = swftest::WriteBytes(original);
    CBK_SwfDefineShape3 read;
    swftest::ReadTag(read, bytes);
    CBK_SwfDefineShape3 copy(read);
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(copy)), swftest::Hex(bytes));
    CBK_SwfDefineShape3 assigned;
    assigned = original;
    EXPECT_EQ(swftest::Hex(swftest::WriteBytes(assigned)), swftest::Hex(bytes));
}

TEST(SwfDefineShape, CreateCircleAndLineIgnoreTheirPosition) {
    CBK_SwfDefineShape circle;
    circle.CreateCircle(500, 500, 100, new CBK_SwfFillStyle(new CBK_SwfColor(1, 1, 1), false),
                        nullptr);
    const CBK_SwfRect* b = circle.GetBounds();
    EXPECT_EQ(std::vector<int32_t>({b->xmin, b->ymin, b->xmax, b->ymax}),
              std::vector<int32_t>({-100, -100, 100, 100}));
    auto* move = static_cast<StyleChange*>(circle.GetShape()->GetRecord(0));
    EXPECT_EQ(move->GetMoveX(), 0);
    EXPECT_EQ(move->GetMoveY(), 100);
    EXPECT_EQ(move->GetFlags(), StyleChange::MOVE_TO_FLAG | StyleChange::FILL_STYLE_1_FLAG);

    CBK_SwfDefineShape line;
    line.CreateLine(5, 5, 0, 0, nullptr, nullptr);
    b = line.GetBounds();
    EXPECT_EQ(std::vector<int32_t>({b->xmin, b->ymin, b->xmax, b->ymax}),
              std::vector<int32_t>({-40, -40, 40, 40}));
    auto* edge = static_cast<Straight*>(line.GetShape()->GetRecord(1));
    EXPECT_EQ(edge->GetKind(), Straight::VERTICAL_LINE);
    EXPECT_EQ(edge->GetDx(), 0);
    EXPECT_EQ(edge->GetDy(), 0);

    line.CreateLine(0, 0, 7, -3, new CBK_SwfFillStyle(new CBK_SwfColor(1, 1, 1), false), nullptr);
    b = line.GetBounds();
    EXPECT_EQ(std::vector<int32_t>({b->xmin, b->ymin, b->xmax, b->ymax}),
              std::vector<int32_t>({-7, -40, 7, 40}));
    move = static_cast<StyleChange*>(line.GetShape()->GetRecord(0));
    EXPECT_EQ(move->GetMoveX(), -3);
    EXPECT_EQ(move->GetFillStyle0(), 1);
    EXPECT_EQ(move->GetFillStyle1(), 1);
    EXPECT_EQ(static_cast<Straight*>(line.GetShape()->GetRecord(1))->GetKind(),
              Straight::GENERAL_LINE);
    line.CreateLine(0, 0, -7, 0, nullptr, nullptr);
    EXPECT_EQ(static_cast<StyleChange*>(line.GetShape()->GetRecord(0))->GetMoveX(), 4);
}

TEST(SwfShape, EveryWriteGivesTheSameBytes) {
    // New styles change the widths in force; a second write must start from the header's.
    CBK_SwfShape glyph;
    glyph.Create(1, 0);
    auto* change = new StyleChange(uint8_t(0), &glyph);
    auto* fills = new CBK_SwfFillStyleArray(false);
    for (int i = 0; i < 5; ++i)
        fills->AddFillStyle(new CBK_SwfFillStyle(new CBK_SwfColor(1, 2, 3), false));
    change->SetNewFillStyles(fills);
    change->SetFillStyle(1, 1);
    change->CompileFlags();
    glyph.AddRecord(change);
    auto* select = new StyleChange(uint8_t(0), &glyph);
    select->SetFillStyle(5, 0);
    select->CompileFlags();
    glyph.AddRecord(select);
    glyph.AddRecord(new CBK_SwfEndOfShapeRecord);
    const Bytes first = swftest::RecordBytes(glyph, 6);
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(glyph, 6)), swftest::Hex(first));

    CBK_SwfShape back;
    auto reader = swftest::ReaderOver(first);
    back.Read(reader.get());
    EXPECT_EQ(static_cast<StyleChange*>(back.GetRecord(1))->GetFillStyle0(), 5);
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(back, 6)), swftest::Hex(first));
}

TEST(SwfShape, RecordsThatWouldEndTheShapeEarlyAreNotWritten) {
    // A style change without flags is six zero bits, which is the end record.
    CBK_SwfShape shape;
    shape.AddRecord(new StyleChange(10, 10, nullptr)); // flags never compiled
    shape.AddRecord(new Straight(5, 0, Straight::HORIZONTAL_LINE));
    shape.AddRecord(new CBK_SwfEndOfShapeRecord);
    shape.AddRecord(new Straight(0, 5, Straight::VERTICAL_LINE)); // past the end
    const Bytes bytes = swftest::RecordBytes(shape, 6);
    CBK_SwfShape back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    ASSERT_EQ(back.GetRecordCount(), 2u);
    EXPECT_EQ(back.GetRecord(0)->GetShapeType(), CBK_SwfShapeRecord::kStraightEdge);
    EXPECT_EQ(back.GetRecord(1)->GetShapeType(), CBK_SwfShapeRecord::kEndOfShape);
}

TEST(SwfShape, AKindThatWouldDropADeltaIsWrittenAsAGeneralLine) {
    CBK_SwfShape shape;
    shape.AddRecord(new Straight(30, 40, Straight::HORIZONTAL_LINE));
    shape.AddRecord(new Straight(-5, 6, Straight::VERTICAL_LINE));
    CBK_SwfShape back;
    const Bytes bytes = swftest::RecordBytes(shape, 6);
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    auto* a = static_cast<Straight*>(back.GetRecord(0));
    auto* b = static_cast<Straight*>(back.GetRecord(1));
    EXPECT_EQ(std::vector<int32_t>({a->GetDx(), a->GetDy(), b->GetDx(), b->GetDy()}),
              std::vector<int32_t>({30, 40, -5, 6}));
}

// Sum of the deltas of every edge read back from `shape` written, and the largest field.
struct Walk {
    int64_t x = 0, y = 0;
    std::size_t edges = 0;
    uint32_t widest = 0;
};

Walk WalkBack(CBK_SwfShape& shape) {
    const Bytes bytes = swftest::RecordBytes(shape, 6);
    CBK_SwfShape back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    Walk walk;
    for (std::size_t i = 0; i < back.GetRecordCount(); ++i) {
        CBK_SwfShapeRecord* r = back.GetRecord(i);
        if (r->GetShapeType() == CBK_SwfShapeRecord::kStraightEdge) {
            auto* s = static_cast<Straight*>(r);
            walk.x += s->GetDx();
            walk.y += s->GetDy();
            walk.widest = std::max<uint32_t>(walk.widest, s->GetNumBits() + 2);
            ++walk.edges;
        } else if (r->GetShapeType() == CBK_SwfShapeRecord::kCurvedEdge) {
            auto* c = static_cast<CBK_SwfCurvedEdgeShapeRecord*>(r);
            walk.x += int64_t(c->GetControlDx()) + c->GetAnchorDx();
            walk.y += int64_t(c->GetControlDy()) + c->GetAnchorDy();
            walk.widest = std::max<uint32_t>(walk.widest, c->GetNumBits() + 2);
            ++walk.edges;
        }
    }
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(back, 6)), swftest::Hex(bytes));
    return walk;
}

TEST(SwfShape, EdgesTooLongForTheFieldAreSplitAndLoseNothing) {
    CBK_SwfShape straight;
    straight.AddGeneralLine(200000, -70000);
    Walk w = WalkBack(straight);
    EXPECT_EQ(w.x, 200000);
    EXPECT_EQ(w.y, -70000);
    EXPECT_EQ(w.edges, 4u); // ceil(200000 / 65535)
    EXPECT_LE(w.widest, 17u);

    CBK_SwfShape horizontal;
    horizontal.AddHorizontalLine(INT32_MIN);
    w = WalkBack(horizontal);
    EXPECT_EQ(w.x, INT32_MIN);
    EXPECT_EQ(w.y, 0);
    EXPECT_LE(w.widest, 17u);

    CBK_SwfShape exact;
    exact.AddVerticalLine(65535); // the widest that fits: one record of 17 bits
    w = WalkBack(exact);
    EXPECT_EQ(w.edges, 1u);
    EXPECT_EQ(w.widest, 17u);

    CBK_SwfShape curve;
    curve.AddCurve(INT32_MAX, INT32_MIN, INT32_MIN, 12345);
    w = WalkBack(curve);
    EXPECT_EQ(w.x, int64_t(INT32_MAX) + INT32_MIN);
    EXPECT_EQ(w.y, int64_t(INT32_MIN) + 12345);
    EXPECT_GT(w.edges, 1u);
    EXPECT_LE(w.widest, 17u);
}

TEST(SwfShape, AHalvedCurveStaysOnTheCurve) {
    // A radius of 100000 twips: the halves meet at the curve's midpoint, (3c + a) / 4 here.
    CBK_SwfShape curve;
    curve.AddCurve(-100000, 0, 0, -100000);
    const Bytes bytes = swftest::RecordBytes(curve, 6);
    CBK_SwfShape back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    auto* first = static_cast<CBK_SwfCurvedEdgeShapeRecord*>(back.GetRecord(0));
    EXPECT_EQ(first->GetControlDx(), -50000);
    EXPECT_EQ(first->GetControlDy(), 0);
    EXPECT_EQ(first->GetControlDx() + first->GetAnchorDx(), -75000);
    EXPECT_EQ(first->GetControlDy() + first->GetAnchorDy(), -25000);
}

TEST(SwfShape, MoveCoordinatesBeyondThirtyOneBitsAreHeldToTheField) {
    CBK_SwfShape shape;
    auto* move = new StyleChange(INT32_MIN, INT32_MAX, nullptr);
    move->CompileFlags();
    shape.AddRecord(move);
    const Bytes bytes = swftest::RecordBytes(shape, 6);
    CBK_SwfShape back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    auto* read = static_cast<StyleChange*>(back.GetRecord(0));
    EXPECT_EQ(read->GetMoveX(), -(1 << 30));
    EXPECT_EQ(read->GetMoveY(), (1 << 30) - 1);
}

TEST(SwfShape, CopiesBelongToTheirNewShape) {
    auto source = std::make_unique<CBK_SwfShapeWithStyle>(false);
    auto* fills = new CBK_SwfFillStyleArray(false);
    fills->AddFillStyle(new CBK_SwfFillStyle(new CBK_SwfColor(1, 2, 3), false));
    source->SetFillStyles(fills);
    auto* change = new StyleChange(100, 100, source.get());
    change->SetFillStyle(1, 1);
    change->CompileFlags();
    source->AddRecord(change);
    source->AddHorizontalLine(50);
    const Bytes bytes = swftest::RecordBytes(*source, 6);
    CBK_SwfShapeWithStyle copy(*source);
    source.reset(); // the copy must not point back into the freed shape
    EXPECT_EQ(static_cast<StyleChange*>(copy.GetRecord(0))->GetParentShape(), &copy);
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(copy, 6)), swftest::Hex(bytes));

    CBK_SwfShape plain;
    plain = copy; // records only
    CBK_SwfShapeWithStyle styled(true);
    styled = plain;
    EXPECT_EQ(styled.GetFillStyles(), nullptr);
    EXPECT_EQ(styled.GetRecordCount(), 2u);
}

TEST(SwfDefineShape, OffsetInfoShiftsTheIdAndEveryBitmapFill) {
    CBK_SwfDefineShape tag;
    tag.SetCharacterId(10);
    auto* bitmap = new CBK_SwfFillStyle;
    bitmap->Create(CBK_SwfFillStyle::TILED_FILL_NO_SMOOTH, 3, nullptr);
    tag.CreateBox(0, 0, 10, 10, bitmap, nullptr);
    auto* change = new StyleChange(CBK_SwfStyleChangeShapeRecord::NEW_STYLES_FLAG, nullptr);
    auto* more = new CBK_SwfFillStyleArray(false);
    auto* second = new CBK_SwfFillStyle;
    second->Create(CBK_SwfFillStyle::CLIPPED_FILL, 4, nullptr);
    more->AddFillStyle(second);
    change->SetNewFillStyles(more);
    tag.GetShape()->AddRecord(change);
    tag.OffsetInfo(5, 0, 0);
    EXPECT_EQ(tag.GetCharacterId(), 15);
    EXPECT_EQ(bitmap->GetBitmapId(), 8);
    EXPECT_EQ(second->GetBitmapId(), 9);
}

TEST(SwfDefineShape, ReadingNeverPassesTheTagEnd) {
    CBK_SwfDefineShape3 tag;
    tag.CreateCircle(0, 0, 100, new CBK_SwfFillStyle(new CBK_SwfColorAlpha(1, 2, 3, 4), true),
                     nullptr);
    const Bytes payload = swftest::Payload(swftest::WriteBytes(tag));
    for (std::size_t n = 0; n < payload.size(); ++n) {
        // The tag is cut short but the data goes on: nothing past the tag may be taken.
        Bytes data(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
        data.resize(n + 64, 0xFF);
        auto reader = swftest::ReaderOver(data);
        reader->SetCurrentTagLength(static_cast<uint32_t>(n));
        CBK_SwfDefineShape3 back;
        EXPECT_LE(back.Read(reader.get()), n);
        EXPECT_LE(reader->GetBufPos(), n);
    }
}

} // namespace
