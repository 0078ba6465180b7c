// Fill styles, line styles, gradients and their arrays: golden bytes both ways, counts past
// the one-byte form, copies, shifted bitmap ids and bytes that end too soon.
#include <gtest/gtest.h>

#include "swf/styles/fill_style.h"
#include "swf/styles/gradient.h"
#include "swf/styles/line_style.h"
#include "tests/swf/golden_vectors.h"

namespace {

using namespace ravuz;
using swftest::BlankOf;
using swftest::Bytes;
using swftest::Concat;
using swftest::GoldenVector;
using swftest::Repeat;

const Bytes kIdentity = {0xC9, 0x00, 0x00, 0x40, 0x00, 0x00};
const Bytes kBlackWhite = {0x02, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

CBK_SwfMatrix* Identity() {
    auto* m = new CBK_SwfMatrix;
    m->CreateIdentity();
    return m;
}

template <class Array, class Style>
std::unique_ptr<CBK_SwfObj> ArrayOf(std::size_t n, std::function<Style*()> make) {
    auto array = std::make_unique<Array>(false);
    for (std::size_t i = 0; i < n; ++i) {
        if constexpr (std::is_same_v<Style, CBK_SwfFillStyle>)
            array->AddFillStyle(make());
        else
            array->AddLineStyle(make());
    }
    return array;
}

CBK_SwfFillStyle* Unknown13() {
    auto* style = new CBK_SwfFillStyle(false);
    style->SetType(0x13);
    return style;
}

CBK_SwfLineStyle* Thin() {
    return new CBK_SwfLineStyle(20, new CBK_SwfColor(1, 2, 3), false);
}

const Bytes kThin = {0x14, 0x00, 0x01, 0x02, 0x03};

std::vector<GoldenVector> Vectors() {
    std::vector<GoldenVector> v = {
        {"gradient record, no colour, alpha",
         {0x80, 0x00, 0x00, 0x00, 0xFF},
         [] { return std::make_unique<CBK_SwfGradientRecord>(0x80, nullptr, true); },
         [] {
             auto r = std::make_unique<CBK_SwfGradientRecord>();
             r->SetAlpha(true);
             return r;
         }},
        {"gradient record, no colour",
         {0x80, 0x00, 0x00, 0x00},
         [] { return std::make_unique<CBK_SwfGradientRecord>(0x80, nullptr, false); },
         BlankOf<CBK_SwfGradientRecord>()},
        {"gradient record from a packed colour with alpha",
         {0x10, 0x11, 0x22, 0x33, 0xFF},
         [] { return std::make_unique<CBK_SwfGradientRecord>(0x10, 0x332211u, true); },
         [] {
             auto r = std::make_unique<CBK_SwfGradientRecord>();
             r->SetAlpha(true);
             return r;
         }},
        {"black and white gradient", kBlackWhite,
         [] {
             auto g = std::make_unique<CBK_SwfGradient>(true);
             g->CreateBlackAndWhite();
             return g;
         },
         BlankOf<CBK_SwfGradient>(false)},
        {"gradient with spread and interpolation modes",
         {0x52, 0x00, 1, 2, 3, 0xFF, 4, 5, 6},
         [] {
             auto g = std::make_unique<CBK_SwfGradient>(false);
             g->SetModes(0x50);
             g->AddRecord(new CBK_SwfGradientRecord(0x00, 0x030201u, false));
             g->AddRecord(new CBK_SwfGradientRecord(0xFF, 0x060504u, false));
             return g;
         },
         BlankOf<CBK_SwfGradient>(false)},
        {"solid fill RGB",
         {0x00, 0x11, 0x22, 0x33},
         [] {
             return std::make_unique<CBK_SwfFillStyle>(new CBK_SwfColor(0x11, 0x22, 0x33), false);
         },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"solid fill RGBA",
         {0x00, 0x11, 0x22, 0x33, 0x44},
         [] {
             return std::make_unique<CBK_SwfFillStyle>(
                 new CBK_SwfColorAlpha(0x11, 0x22, 0x33, 0x44), true);
         },
         BlankOf<CBK_SwfFillStyle>(true)},
        {"solid fill without a colour is black",
         {0x00, 0x00, 0x00, 0x00, 0xFF},
         [] { return std::make_unique<CBK_SwfFillStyle>(true); },
         BlankOf<CBK_SwfFillStyle>(true)},
        {"linear gradient fill", Concat({{0x10}, kIdentity, kBlackWhite}),
         [] {
             auto f = std::make_unique<CBK_SwfFillStyle>(false);
             f->SetType(CBK_SwfFillStyle::LINEAR_FILL);
             f->SetMatrix(Identity());
             auto* g = new CBK_SwfGradient(false);
             g->CreateBlackAndWhite();
             f->SetGradient(g);
             return f;
         },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"radial gradient fill without matrix or gradient",
         {0x12, 0x00, 0x00},
         [] {
             auto f = std::make_unique<CBK_SwfFillStyle>(false);
             f->SetType(CBK_SwfFillStyle::RADIAL_FILL);
             return f;
         },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"clipped bitmap fill", Concat({{0x41, 0x03, 0x00}, kIdentity}),
         [] {
             auto f = std::make_unique<CBK_SwfFillStyle>(true);
             f->Create(CBK_SwfFillStyle::CLIPPED_FILL, 3, Identity());
             return f;
         },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"tiled bitmap fill without matrix",
         {0x40, 0x07, 0x00, 0x00},
         [] {
             auto f = std::make_unique<CBK_SwfFillStyle>(false);
             f->Create(CBK_SwfFillStyle::TILED_FILL, 7, nullptr);
             return f;
         },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"unknown fill type is its byte alone",
         {0x13},
         [] { return std::unique_ptr<CBK_SwfObj>(Unknown13()); },
         BlankOf<CBK_SwfFillStyle>(false)},
        {"line style RGB", kThin, [] { return std::unique_ptr<CBK_SwfObj>(Thin()); },
         BlankOf<CBK_SwfLineStyle>(0, nullptr, false)},
        {"line style RGBA",
         {0x14, 0x00, 0x01, 0x02, 0x03, 0x04},
         [] {
             return std::make_unique<CBK_SwfLineStyle>(20, new CBK_SwfColorAlpha(1, 2, 3, 4), true);
         },
         BlankOf<CBK_SwfLineStyle>(0, nullptr, true)},
        {"line style without a colour",
         {0x01, 0x00, 0x00, 0x00, 0x00},
         [] { return std::make_unique<CBK_SwfLineStyle>(1, nullptr, false); },
         BlankOf<CBK_SwfLineStyle>(0, nullptr, false)},
        {"empty fill array",
         {0x00},
         BlankOf<CBK_SwfFillStyleArray>(false),
         BlankOf<CBK_SwfFillStyleArray>(false)},
    };
    // The count takes one byte below 255, else 0xFF and a u16, up to the 65,535 it holds
    // (whether or not a shape's index fields reach the styles past 32,767).
    for (std::size_t n : {254u, 255u, 300u, 40000u, 65535u}) {
        const Bytes count =
            n < 255 ? Bytes{static_cast<uint8_t>(n)}
                    : Bytes{0xFF, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)};
        v.push_back({"fill array of " + std::to_string(n), Concat({count, Repeat({0x13}, n)}),
                     [n] { return ArrayOf<CBK_SwfFillStyleArray, CBK_SwfFillStyle>(n, Unknown13); },
                     BlankOf<CBK_SwfFillStyleArray>(false)});
        v.push_back({"line array of " + std::to_string(n), Concat({count, Repeat(kThin, n)}),
                     [n] { return ArrayOf<CBK_SwfLineStyleArray, CBK_SwfLineStyle>(n, Thin); },
                     BlankOf<CBK_SwfLineStyleArray>(false)});
    }
    return v;
}

TEST(SwfStyleVectors, WriteAndReadBack) {
    swftest::CheckRecordVectors(Vectors());
}

TEST(SwfStyleArray, CountsOfThreeBytesReadWhateverTheirValue) {
    const Bytes bytes = Concat({{0xFF, 0x03, 0x00}, Repeat(kThin, 3)});
    CBK_SwfLineStyleArray lines(false);
    auto reader = swftest::ReaderOver(bytes);
    EXPECT_EQ(lines.Read(reader.get()), bytes.size());
    EXPECT_EQ(lines.GetCount(), 3u);
    EXPECT_EQ(lines.GetLineStyle(2)->GetWidth(), 20);
}

TEST(SwfStyleArray, CountsBeyondTheBytesReadOnlyWhatIsThere) {
    // 65535 announced, two styles present: no more styles are made than bytes allow.
    const Bytes fills = {0xFF, 0xFF, 0xFF, 0x00, 1, 2, 3, 0x00, 4, 5, 6};
    CBK_SwfFillStyleArray array(false);
    auto reader = swftest::ReaderOver(fills);
    array.Read(reader.get());
    EXPECT_EQ(array.GetCount(), 2u);

    const Bytes lines = {0xFE, 0x01, 0x00, 1, 2, 3, 0x02};
    CBK_SwfLineStyleArray lineArray(false);
    auto r2 = swftest::ReaderOver(lines);
    lineArray.Read(r2.get());
    EXPECT_EQ(lineArray.GetCount(), 1u);

    const Bytes gradient = {0xFF, 0x00, 1, 2, 3, 0xFF, 1, 2};
    CBK_SwfGradient g(false);
    auto r3 = swftest::ReaderOver(gradient);
    g.Read(r3.get());
    EXPECT_EQ(g.GetRecordCount(), 1u);
}

TEST(SwfStyleArray, MoreStylesThanTheCountHoldsAreNotWritten) {
    CBK_SwfFillStyleArray array(false);
    for (int i = 0; i < 70000; ++i)
        array.AddFillStyle(Unknown13());
    const Bytes bytes = swftest::RecordBytes(array, 6);
    ASSERT_EQ(bytes.size(), 3u + 65535u);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0xFF);
}

TEST(SwfGradient, RecordsBeyondTheCountBitsAreLeftOutNotMiscounted) {
    CBK_SwfGradient g(false);
    g.SetModes(0x40);
    for (int i = 0; i < 20; ++i)
        g.AddRecord(new CBK_SwfGradientRecord(static_cast<uint8_t>(i), 0u, false));
    const Bytes bytes = swftest::RecordBytes(g, 6);
    EXPECT_EQ(bytes[0], 0x4F);
    EXPECT_EQ(bytes.size(), 1u + 15u * 4u);
}

TEST(SwfFillStyle, CopiesKeepEachColourClass) {
    // A style read from a DefineShape3 carries RGBA colours; the copy must not write RGB.
    const Bytes rgba = Concat({{0x10}, kIdentity, {0x01, 0x00, 1, 2, 3, 4}});
    CBK_SwfFillStyle read(true);
    auto reader = swftest::ReaderOver(rgba);
    read.Read(reader.get());
    CBK_SwfFillStyle copy(read);
    copy.SetAlpha(false); // the flag only decides what reading makes
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(copy, 6)), swftest::Hex(rgba));

    CBK_SwfLineStyle line(5, new CBK_SwfColorAlpha(9, 8, 7, 6), false);
    CBK_SwfLineStyle lineCopy(0, nullptr, true);
    lineCopy = line;
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(lineCopy, 6)),
              swftest::Hex({0x05, 0x00, 9, 8, 7, 6}));

    CBK_SwfFillStyle plain(new CBK_SwfColor(1, 2, 3), true);
    CBK_SwfFillStyle plainCopy;
    plainCopy = plain;
    plainCopy = plainCopy; // assigning a style to itself keeps it
    EXPECT_EQ(swftest::Hex(swftest::RecordBytes(plainCopy, 6)), "00 01 02 03");
}

TEST(SwfFillStyle, OffsetInfoShiftsEveryBitmapFillButTheMissingOne) {
    CBK_SwfFillStyleArray array(false);
    const uint8_t types[] = {CBK_SwfFillStyle::TILED_FILL, CBK_SwfFillStyle::CLIPPED_FILL,
                             CBK_SwfFillStyle::TILED_FILL_NO_SMOOTH,
                             CBK_SwfFillStyle::CLIPPED_FILL_NO_SMOOTH};
    for (uint8_t type : types) {
        auto* f = new CBK_SwfFillStyle;
        f->Create(type, 3, nullptr);
        array.AddFillStyle(f);
    }
    auto* none = new CBK_SwfFillStyle;
    none->Create(CBK_SwfFillStyle::CLIPPED_FILL, CBK_SwfFillStyle::kNoBitmap, nullptr);
    array.AddFillStyle(none);
    array.AddFillStyle(new CBK_SwfFillStyle(new CBK_SwfColor(1, 2, 3), false));
    array.OffsetInfo(5, 100, 0);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(array.GetFillStyle(i)->GetBitmapId(), 8) << i;
    EXPECT_EQ(array.GetFillStyle(4)->GetBitmapId(), 0xFFFF);
    EXPECT_EQ(array.GetFillStyle(5)->GetBitmapId(), 0);
    EXPECT_EQ(array.GetFillStyle(5)->GetColor()->red, 1);
}

TEST(SwfFillStyle, CreatingReplacesWhatWasHeld) {
    CBK_SwfFillStyle f(new CBK_SwfColor(1, 2, 3), true);
    f.SetGradient(new CBK_SwfGradient);
    f.Create(CBK_SwfFillStyle::TILED_FILL, 4, Identity());
    EXPECT_EQ(f.GetColor(), nullptr);
    EXPECT_EQ(f.GetGradient(), nullptr);
    EXPECT_FALSE(f.GetAlpha());
    f.Create(new CBK_SwfColor(4, 5, 6), false);
    EXPECT_EQ(f.GetMatrix(), nullptr);
    EXPECT_EQ(f.GetType(), CBK_SwfFillStyle::SOLID_FILL);

    CBK_SwfGradientRecord r(1, new CBK_SwfColor(1, 1, 1), false);
    r.Create(2, new CBK_SwfColor(2, 2, 2), false); // the first colour is freed, not leaked
    EXPECT_EQ(r.GetColor()->red, 2);
    // The default colour made by writing is kept.
    CBK_SwfGradientRecord bare;
    swftest::RecordBytes(bare, 6);
    ASSERT_NE(bare.GetColor(), nullptr);
}

TEST(SwfStyles, ReadingStopsAtTheEndOfTheData) {
    for (std::size_t n = 0; n < 12; ++n) {
        const Bytes full = Concat({{0x10}, kIdentity, kBlackWhite});
        const Bytes cut(full.begin(),
                        full.begin() + static_cast<std::ptrdiff_t>(std::min(n, full.size())));
        CBK_SwfFillStyle f(false);
        auto reader = swftest::ReaderOver(cut);
        EXPECT_LE(f.Read(reader.get()), cut.size());
        EXPECT_LE(reader->GetBufPos(), cut.size());
    }
}

} // namespace
