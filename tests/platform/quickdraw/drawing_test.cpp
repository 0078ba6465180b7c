#include <gtest/gtest.h>

#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/quickdraw/qd_fixture.h"

namespace {

using namespace tbx;
using qdtest::MakeRect;
using DrawingTest = qdtest::WorldTest;

TEST_F(DrawingTest, PaintAndEraseFillOpaqueWithTheHighByteOfEachChannelClippedToThePort) {
    GWorldPtr world = Make(MakeRect(10, 20, 14, 23));
    ASSERT_EQ(SetGWorld(world, nullptr), noErr);
    RGBColor fore{0x12FF, 0x3400, 0xFFFF};
    RGBColor back{0x0101, 0x8080, 0x0000};
    ASSERT_EQ(RGBForeColor(&fore), noErr);
    ASSERT_EQ(RGBBackColor(&back), noErr);

    Rect all = MakeRect(-100, -100, 100, 100);
    ASSERT_EQ(EraseRect(&all), noErr);
    Rect part = MakeRect(12, 21, 20, 30); // sticks out at the right and the bottom
    ASSERT_EQ(PaintRect(&part), noErr);
    for (int v = 20; v < 23; ++v)
        for (int h = 10; h < 14; ++h) {
            bool painted = h >= 12 && v >= 21;
            if (painted)
                EXPECT_TRUE(Is(world, h, v, 0xFF, 0x12, 0x34, 0xFF)) << h << "," << v;
            else
                EXPECT_TRUE(Is(world, h, v, 0xFF, 0x01, 0x80, 0x00)) << h << "," << v;
        }
    // Entirely outside: nothing drawn, no error.
    Rect away = MakeRect(0, 0, 5, 5);
    ASSERT_EQ(PaintRect(&away), noErr);
    EXPECT_TRUE(Is(world, 10, 20, 0xFF, 0x01, 0x80, 0x00));
    EXPECT_EQ(PaintRect(nullptr), paramErr);
}

TEST_F(DrawingTest, ClassicColoursSetTheRgbColours) {
    GWorldPtr world = Make(MakeRect(0, 0, 1, 1));
    ASSERT_EQ(SetGWorld(world, nullptr), noErr);
    RGBColor c;
    ASSERT_EQ(ForeColor(redColor), noErr);
    GetForeColor(&c);
    EXPECT_EQ(c, (RGBColor{0xFFFF, 0, 0}));
    ASSERT_EQ(BackColor(cyanColor), noErr);
    GetBackColor(&c);
    EXPECT_EQ(c, (RGBColor{0, 0xFFFF, 0xFFFF}));
    ASSERT_EQ(ForeColor(whiteColor), noErr);
    GetForeColor(&c);
    EXPECT_EQ(c, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(ForeColor(12345), paramErr);
    GetForeColor(&c);
    EXPECT_EQ(c, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF}));
}

TEST_F(DrawingTest, ColoursBelongToEachPort) {
    GWorldPtr a = Make(MakeRect(0, 0, 1, 1));
    GWorldPtr b = Make(MakeRect(0, 0, 1, 1));
    SetGWorld(a, nullptr);
    ForeColor(greenColor);
    SetGWorld(b, nullptr);
    RGBColor c;
    GetForeColor(&c);
    EXPECT_EQ(c, (RGBColor{0, 0, 0}));
    SetGWorld(a, nullptr);
    GetForeColor(&c);
    EXPECT_EQ(c, (RGBColor{0, 0xFFFF, 0}));
}

TEST_F(DrawingTest, SetAndGetPixelInsideAndOutside) {
    GWorldPtr world = Make(MakeRect(0, 0, 3, 3));
    SetGWorld(world, nullptr);
    RGBColor c{0x1111, 0x2222, 0x3333};
    ASSERT_EQ(SetCPixel(1, 2, &c), noErr);
    EXPECT_TRUE(Is(world, 1, 2, 0xFF, 0x11, 0x22, 0x33));
    RGBColor back;
    ASSERT_EQ(GetCPixel(1, 2, &back), noErr);
    EXPECT_EQ(back, c);
    EXPECT_EQ(SetCPixel(3, 0, &c), noErr); // outside: dropped
    EXPECT_EQ(SetCPixel(-1, 0, &c), noErr);
    EXPECT_EQ(GetCPixel(0, 3, &back), paramErr);
    EXPECT_EQ(SetCPixel(0, 0, nullptr), paramErr);
}

TEST_F(DrawingTest, OneBitMapsHoldBlackAndWhite) {
    GWorldPtr mask = Make(MakeRect(0, 0, 10, 2), 1);
    PixMapHandle pm = GetGWorldPixMap(mask);
    EXPECT_EQ(GetPixDepth(pm), 1);
    EXPECT_EQ(GetPixRowBytes(pm) % 16, 0);
    SetGWorld(mask, nullptr);
    RGBColor c;
    ASSERT_EQ(GetCPixel(9, 1, &c), noErr);
    EXPECT_EQ(c, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF})); // starts white

    RGBColor dark{0x7000, 0x7000, 0x7000}, light{0x8000, 0x8000, 0x8000};
    SetCPixel(0, 0, &dark);
    SetCPixel(9, 0, &dark);
    SetCPixel(8, 0, &light);
    const unsigned char* base = reinterpret_cast<unsigned char*>(GetPixBaseAddr(pm));
    EXPECT_EQ(base[0], 0x80); // most significant bit leftmost, set for black
    EXPECT_EQ(base[1], 0x40);
    GetCPixel(9, 0, &c);
    EXPECT_EQ(c, (RGBColor{0, 0, 0}));
    GetCPixel(8, 0, &c);
    EXPECT_EQ(c, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF}));

    Rect row = MakeRect(0, 1, 10, 2);
    ForeColor(blackColor);
    PaintRect(&row);
    EXPECT_EQ(base[GetPixRowBytes(pm)], 0xFF);
    EXPECT_EQ(base[GetPixRowBytes(pm) + 1], 0xC0);
    EXPECT_EQ(base[GetPixRowBytes(pm) + 2], 0x00);
}

} // namespace
