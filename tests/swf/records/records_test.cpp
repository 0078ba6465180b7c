#include <gtest/gtest.h>

#include <functional>

#include "swf/records/color.h"
#include "swf/records/color_transform.h"
#include "swf/records/matrix.h"
#include "swf/records/rect.h"
#include "tests/swf/swf_test_support.h"

namespace {

using namespace ravuz;
using swftest::Bytes;

// One encoding of a record: the object that writes it, and a blank one that reads it back.
struct RecordVector {
    const char* name;
    Bytes bytes;
    std::function<std::unique_ptr<CBK_SwfObj>()> make;
    std::function<std::unique_ptr<CBK_SwfObj>()> blank;
};

template <class T>
std::function<std::unique_ptr<CBK_SwfObj>()> Blank() {
    return [] { return std::make_unique<T>(); };
}

std::unique_ptr<CBK_SwfObj> Matrix(std::function<void(CBK_SwfMatrix&)> set) {
    auto m = std::make_unique<CBK_SwfMatrix>();
    set(*m);
    return m;
}

const std::vector<RecordVector>& Vectors() {
    static const std::vector<RecordVector> vectors = {
        {"rect 550x400",
         {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00},
         [] { return std::make_unique<CBK_SwfRect>(0, 0, 11000, 8000); },
         Blank<CBK_SwfRect>()},
        {"rect empty",
         {0x08, 0x00},
         [] { return std::make_unique<CBK_SwfRect>(); },
         Blank<CBK_SwfRect>()},
        {"rgb",
         {1, 2, 3},
         [] { return std::make_unique<CBK_SwfColor>(1, 2, 3); },
         Blank<CBK_SwfColor>()},
        {"rgba",
         {1, 2, 3, 4},
         [] { return std::make_unique<CBK_SwfColorAlpha>(1, 2, 3, 4); },
         Blank<CBK_SwfColorAlpha>()},
        {"matrix translation",
         {0x0C, 0xA5, 0x80},
         [] { return Matrix([](CBK_SwfMatrix& m) { m.SetTranslation(20, -20); }); },
         Blank<CBK_SwfMatrix>()},
        {"matrix identity",
         {0xC9, 0x00, 0x00, 0x40, 0x00, 0x00},
         [] { return Matrix([](CBK_SwfMatrix& m) { m.CreateIdentity(); }); },
         Blank<CBK_SwfMatrix>()},
        {"matrix scale rotate translate",
         {0xC5, 0x00, 0x01, 0x80, 0x00, 0xA9, 0x00, 0xC0, 0x16, 0xFA, 0x3F, 0xF8},
         [] {
             return Matrix([](CBK_SwfMatrix& m) {
                 m.SetScale(0x8000, -0x8000);
                 m.SetSkew0(0x100, true);
                 m.SetSkew1(static_cast<uint32_t>(-0x100), true);
                 m.SetTranslation(1000, -1);
             });
         },
         Blank<CBK_SwfMatrix>()},
        {"cxform multiply",
         {0x69, 0x00, 0x20, 0x00, 0x00},
         [] {
             auto c = std::make_unique<CBK_SwfColorTransform>();
             c->SetMultTerms(256, 128, 0);
             c->hasMult = true;
             return c;
         },
         Blank<CBK_SwfColorTransform>()},
        {"cxform none",
         {0x04},
         [] { return std::make_unique<CBK_SwfColorTransform>(); },
         Blank<CBK_SwfColorTransform>()},
        {"cxform alpha",
         {0xE9, 0x00, 0x40, 0x10, 0x02, 0x03, 0x01, 0x00, 0x00, 0xA0, 0x00},
         [] {
             auto c = std::make_unique<CBK_SwfColorTransformAlpha>();
             c->SetMultTerms(256, 256, 256, 128);
             c->addRed = -255;
             c->addBlue = 10;
             c->hasAdd = true;
             return c;
         },
         Blank<CBK_SwfColorTransformAlpha>()},
    };
    return vectors;
}

TEST(SwfRecordVectors, WriteTheirBytes) {
    for (const RecordVector& v : Vectors()) {
        auto object = v.make();
        uint32_t reported = 0;
        swftest::WriteBytes(*object, 6, &reported);
        // Written into a stream, then padded: the bytes and the reported count agree.
        ravuz::CBK_SwfStream s(6);
        object->Write(&s);
        s.ByteAlign();
        EXPECT_EQ(swftest::Hex(swftest::BytesOf(s.GetStream())), swftest::Hex(v.bytes)) << v.name;
    }
}

TEST(SwfRecordVectors, ReadBackToTheSameBytes) {
    for (const RecordVector& v : Vectors()) {
        auto object = v.blank();
        auto reader = swftest::ReaderOver(v.bytes);
        const uint32_t consumed = object->Read(reader.get());
        EXPECT_LE(consumed, v.bytes.size()) << v.name;
        reader->ByteAlign();
        EXPECT_EQ(reader->GetBufPos(), v.bytes.size()) << v.name;
        ravuz::CBK_SwfStream s(6);
        object->Write(&s);
        s.ByteAlign();
        EXPECT_EQ(swftest::Hex(swftest::BytesOf(s.GetStream())), swftest::Hex(v.bytes)) << v.name;
    }
}

TEST(SwfRect, ReadReturnsWholeBytesPassedAndPixelsScale) {
    CBK_SwfRect rect;
    auto reader = swftest::ReaderOver({0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00});
    EXPECT_EQ(rect.Read(reader.get()), 8u);
    EXPECT_EQ(rect.xmax, 11000);
    EXPECT_EQ(rect.ymax, 8000);
    rect.Create(-1, 2, 30, 40, true);
    EXPECT_EQ(rect.xmin, -20);
    EXPECT_EQ(rect.ymin, 40);
    EXPECT_EQ(rect.GetWidth(), 620);
    rect.Create(0, 0, INT32_MAX, 1, true);
    EXPECT_EQ(rect.xmax, INT32_MAX);
}

TEST(SwfRect, ValuesBeyondTheWidestFieldAreHeldToIt) {
    // The 5-bit size field allows 31 bits; a width of 33 would wrap to 1 there.
    CBK_SwfRect rect(INT32_MIN, 0, INT32_MAX, 5);
    const Bytes bytes = swftest::WriteBytes(rect);
    EXPECT_EQ(bytes[0] >> 3, 31);
    CBK_SwfRect back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    EXPECT_EQ(back.xmin, -(1 << 30));
    EXPECT_EQ(back.xmax, (1 << 30) - 1);
    EXPECT_EQ(back.ymax, 5);
}

TEST(SwfColorTransform, TermsBeyondFifteenBitsAreHeldToTheField) {
    CBK_SwfColorTransform c;
    c.SetMultTerms(40000, -40000, 3);
    c.hasMult = true;
    const Bytes bytes = swftest::WriteBytes(c);
    CBK_SwfColorTransform back;
    auto reader = swftest::ReaderOver(bytes);
    back.Read(reader.get());
    EXPECT_EQ(back.multRed, 16383);
    EXPECT_EQ(back.multGreen, -16384);
    EXPECT_EQ(back.multBlue, 3);
}

TEST(SwfColorTransform, SettersFollowTheirFormulas) {
    CBK_SwfColorTransformAlpha a;
    EXPECT_TRUE(a.hasMult);
    EXPECT_FALSE(a.hasAdd);
    EXPECT_EQ(a.multAlpha, 0);
    a.SetAlpha(0.5);
    EXPECT_EQ(a.multAlpha, 128);
    EXPECT_EQ(a.multRed, 256);
    EXPECT_TRUE(a.hasAdd && a.hasMult);
    a.SetAlpha(2.0);
    EXPECT_EQ(a.multAlpha, 256);
    a.SetAlpha(-1.0);
    EXPECT_EQ(a.multAlpha, 0);

    a.SetTint(0x0000FF); // pure red
    EXPECT_EQ(a.addRed, 256);
    EXPECT_EQ(a.addGreen, 0);
    EXPECT_EQ(a.addBlue, 0);
    EXPECT_EQ(a.multRed, 0);
    EXPECT_EQ(a.multAlpha, 256);

    CBK_SwfColorTransform c;
    c.SetBrightness(0.25);
    EXPECT_EQ(c.multGreen, 64);
    EXPECT_FALSE(c.hasAdd);
    c.SetBrightness(7);
    EXPECT_EQ(c.multBlue, 256);
    c.addRed = 9;
    c.AdjustColor(0x80FF00);
    EXPECT_EQ(c.multRed, 0);
    EXPECT_EQ(c.multGreen, 256);
    EXPECT_EQ(c.multBlue, 129);
    EXPECT_EQ(c.addRed, 9);

    a.SetMultTerms(1, 2, 3, 4);
    EXPECT_EQ(a.multAlpha, 4);
    a.SetAlphaMult(9, true);
    EXPECT_EQ(a.multRed, 256);
}

TEST(SwfMatrix, CreateMatrixAndRotations) {
    std::unique_ptr<CBK_SwfMatrix> plain(CBK_SwfMatrix::CreateMatrix(5, 6, 1.0, 1.0, 0, 0));
    EXPECT_FALSE(plain->hasScale);
    EXPECT_FALSE(plain->hasRotate);
    EXPECT_EQ(plain->translateX, 5);

    std::unique_ptr<CBK_SwfMatrix> half(CBK_SwfMatrix::CreateMatrix(0, 0, 0.5, 2.0, 0, 0));
    EXPECT_TRUE(half->hasScale);
    EXPECT_EQ(half->scaleX, 0x8000);
    EXPECT_EQ(half->scaleY, 0x20000);

    std::unique_ptr<CBK_SwfMatrix> turned(CBK_SwfMatrix::CreateMatrix(0, 0, 1.0, 1.0, 90, 90));
    EXPECT_TRUE(turned->hasRotate);
    EXPECT_EQ(turned->rotateSkew0, 65536);
    EXPECT_EQ(turned->rotateSkew1, -65535); // trunc(-65536 + 0.5)
    EXPECT_NEAR(turned->GetFloatRotation(0), 1.0, 1e-9);
    EXPECT_TRUE(turned->hasScale); // cos(90 degrees) in single precision is not 0 exactly

    CBK_SwfMatrix m;
    m.rotateSkew0 = 77;
    m.CreateIdentity();
    EXPECT_EQ(m.rotateSkew0, 77);
    m.SetRotation(0x18000, 1, false);
    EXPECT_EQ(m.rotateSkew1, 0x18000);
    EXPECT_FALSE(m.hasRotate);
    EXPECT_DOUBLE_EQ(m.GetFloatRotation(1), 1.5);
}

} // namespace
