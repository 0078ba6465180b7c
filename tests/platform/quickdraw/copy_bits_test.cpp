#include <gtest/gtest.h>

#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/quickdraw/qd_fixture.h"

namespace {

using namespace tbx;
using qdtest::MakeRect;
using CopyBitsTest = qdtest::WorldTest;

TEST_F(CopyBitsTest, SameSizeCopiesWholePixelsAcrossOrigins) {
    GWorldPtr src = Make(MakeRect(0, 0, 4, 3));
    GWorldPtr dst = Make(MakeRect(-5, 10, 0, 15));
    Pattern(src);
    Rect from = MakeRect(1, 1, 3, 3);
    Rect to = MakeRect(-3, 12, -1, 14);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst), &from, &to,
                       srcCopy, nullptr),
              noErr);
    for (int v = 10; v < 15; ++v)
        for (int h = -5; h < 0; ++h) {
            bool inside = h >= -3 && h < -1 && v >= 12 && v < 14;
            const unsigned char* p = Pixel(dst, h, v);
            const unsigned char* s = inside ? Pixel(src, h + 4, v - 11) : nullptr;
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(p[k], inside ? s[k] : 0) << h << "," << v << " byte " << k;
        }
}

TEST_F(CopyBitsTest, ScalesByNearestPixel) {
    GWorldPtr src = Make(MakeRect(0, 0, 2, 2));
    GWorldPtr big = Make(MakeRect(0, 0, 4, 4));
    Pattern(src);
    Rect from = MakeRect(0, 0, 2, 2), to = MakeRect(0, 0, 4, 4);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(big), &from, &to,
                       srcCopy, nullptr),
              noErr);
    for (int v = 0; v < 4; ++v)
        for (int h = 0; h < 4; ++h)
            EXPECT_EQ(std::memcmp(Pixel(big, h, v), Pixel(src, h / 2, v / 2), 4), 0);

    GWorldPtr small = Make(MakeRect(0, 0, 2, 1));
    Pattern(big);
    Rect whole = MakeRect(0, 0, 4, 4), half = MakeRect(0, 0, 2, 1);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(big), GetPortBitMapForCopyBits(small), &whole,
                       &half, srcCopy, nullptr),
              noErr);
    EXPECT_EQ(std::memcmp(Pixel(small, 0, 0), Pixel(big, 0, 0), 4), 0);
    EXPECT_EQ(std::memcmp(Pixel(small, 1, 0), Pixel(big, 2, 0), 4), 0);
}

TEST_F(CopyBitsTest, ClipsToBothMapsAndTheRegion) {
    GWorldPtr src = Make(MakeRect(0, 0, 4, 4));
    GWorldPtr dst = Make(MakeRect(0, 0, 4, 4));
    Pattern(src);
    // The source rectangle reaches two columns past the source's right edge, and the
    // destination rectangle one row above the destination's top.
    Rect from = MakeRect(2, 0, 6, 4), to = MakeRect(0, -1, 4, 3);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(dst), &from, &to,
                       srcCopy, nullptr),
              noErr);
    for (int v = 0; v < 4; ++v)
        for (int h = 0; h < 4; ++h) {
            bool copied = h < 2 && v < 3;
            if (copied)
                EXPECT_EQ(std::memcmp(Pixel(dst, h, v), Pixel(src, h + 2, v + 1), 4), 0);
            else
                EXPECT_TRUE(Is(dst, h, v, 0, 0, 0, 0)) << h << "," << v;
        }

    GWorldPtr clipped = Make(MakeRect(0, 0, 4, 4));
    RgnHandle region = NewRgn();
    ASSERT_NE(region, nullptr);
    ASSERT_EQ(SetRectRgn(region, 1, 1, 3, 2), noErr);
    Rect all = MakeRect(0, 0, 4, 4);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(clipped), &all, &all,
                       srcCopy, region),
              noErr);
    for (int v = 0; v < 4; ++v)
        for (int h = 0; h < 4; ++h) {
            bool copied = h >= 1 && h < 3 && v == 1;
            if (copied)
                EXPECT_EQ(std::memcmp(Pixel(clipped, h, v), Pixel(src, h, v), 4), 0);
            else
                EXPECT_TRUE(Is(clipped, h, v, 0, 0, 0, 0));
        }
    DisposeRgn(region);
    EXPECT_EQ(CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(clipped), &all, &all,
                       srcCopy, region),
              paramErr);
}

TEST_F(CopyBitsTest, OverlappingCopyWithinOneMapReadsTheOriginal) {
    GWorldPtr world = Make(MakeRect(0, 0, 5, 1));
    for (int h = 0; h < 5; ++h)
        SetPixel(world, h, 0, 0xFF, h, h, h);
    Rect from = MakeRect(0, 0, 4, 1), to = MakeRect(1, 0, 5, 1);
    const BitMap* bits = GetPortBitMapForCopyBits(world);
    ASSERT_EQ(CopyBits(bits, bits, &from, &to, srcCopy, nullptr), noErr);
    EXPECT_TRUE(Is(world, 0, 0, 0xFF, 0, 0, 0));
    for (int h = 1; h < 5; ++h)
        EXPECT_TRUE(Is(world, h, 0, 0xFF, h - 1, h - 1, h - 1)) << h;
}

TEST_F(CopyBitsTest, ConvertsBetweenOneBitAndThirtyTwoBitMaps) {
    GWorldPtr mask = Make(MakeRect(0, 0, 3, 1), 1);
    SetGWorld(mask, nullptr);
    RGBColor black{0, 0, 0};
    SetCPixel(1, 0, &black);
    GWorldPtr colour = Make(MakeRect(0, 0, 3, 1));
    Rect all = MakeRect(0, 0, 3, 1);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(mask), GetPortBitMapForCopyBits(colour), &all, &all,
                       srcCopy, nullptr),
              noErr);
    EXPECT_TRUE(Is(colour, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF));
    EXPECT_TRUE(Is(colour, 1, 0, 0xFF, 0, 0, 0));

    SetPixel(colour, 0, 0, 0xFF, 0x10, 0x10, 0x10);
    SetPixel(colour, 2, 0, 0xFF, 0xF0, 0xF0, 0x90);
    GWorldPtr back = Make(MakeRect(0, 0, 3, 1), 1);
    ASSERT_EQ(CopyBits(GetPortBitMapForCopyBits(colour), GetPortBitMapForCopyBits(back), &all, &all,
                       srcCopy, nullptr),
              noErr);
    const unsigned char* bits =
        reinterpret_cast<unsigned char*>(GetPixBaseAddr(GetGWorldPixMap(back)));
    EXPECT_EQ(bits[0] & 0xE0, 0xC0);
}

TEST_F(CopyBitsTest, RefusesMissingArgumentsAndOtherModes) {
    GWorldPtr a = Make(MakeRect(0, 0, 2, 2));
    Rect all = MakeRect(0, 0, 2, 2);
    const BitMap* bits = GetPortBitMapForCopyBits(a);
    EXPECT_EQ(CopyBits(bits, bits, nullptr, &all, srcCopy, nullptr), paramErr);
    EXPECT_EQ(CopyBits(bits, nullptr, &all, &all, srcCopy, nullptr), paramErr);
    EXPECT_EQ(CopyBits(bits, bits, &all, &all, 36, nullptr), paramErr);
    // A port handle is not a bit map.
    EXPECT_EQ(CopyBits(reinterpret_cast<const BitMap*>(a), bits, &all, &all, srcCopy, nullptr),
              paramErr);
    Rect empty = MakeRect(1, 1, 1, 1);
    EXPECT_EQ(CopyBits(bits, bits, &empty, &all, srcCopy, nullptr), noErr);
}

TEST_F(CopyBitsTest, CopyMaskThroughOneBitMaskCopiesOnlyUnderBlack) {
    GWorldPtr src = Make(MakeRect(0, 0, 2, 2));
    GWorldPtr dst = Make(MakeRect(0, 0, 4, 4));
    GWorldPtr mask = Make(MakeRect(0, 0, 2, 2), 1);
    Pattern(src);
    SetGWorld(mask, nullptr);
    RGBColor black{0, 0, 0};
    SetCPixel(0, 0, &black);
    SetCPixel(1, 1, &black);
    Rect from = MakeRect(0, 0, 2, 2), to = MakeRect(2, 2, 4, 4);
    ASSERT_EQ(CopyMask(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(mask),
                       GetPortBitMapForCopyBits(dst), &from, &from, &to),
              noErr);
    EXPECT_EQ(std::memcmp(Pixel(dst, 2, 2), Pixel(src, 0, 0), 4), 0);
    EXPECT_EQ(std::memcmp(Pixel(dst, 3, 3), Pixel(src, 1, 1), 4), 0);
    EXPECT_TRUE(Is(dst, 3, 2, 0, 0, 0, 0));
    EXPECT_TRUE(Is(dst, 2, 3, 0, 0, 0, 0));
    EXPECT_TRUE(Is(dst, 0, 0, 0, 0, 0, 0));
}

TEST_F(CopyBitsTest, CopyMaskThroughColourMaskWeighsEachChannel) {
    GWorldPtr src = Make(MakeRect(0, 0, 1, 1));
    GWorldPtr dst = Make(MakeRect(0, 0, 1, 1));
    GWorldPtr mask = Make(MakeRect(0, 0, 1, 1));
    SetPixel(src, 0, 0, 255, 200, 200, 200);
    SetPixel(dst, 0, 0, 0, 100, 100, 100);
    SetPixel(mask, 0, 0, 255, 0, 255, 51);
    Rect one = MakeRect(0, 0, 1, 1);
    ASSERT_EQ(CopyMask(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(mask),
                       GetPortBitMapForCopyBits(dst), &one, &one, &one),
              noErr);
    // Red: black mask, the source; green: white mask, the destination; blue: 51 of 255
    // towards the destination: (200 × 204 + 100 × 51 + 127) / 255 = 180.
    // Alpha by the mean mask 102: (255 × 153 + 0 × 102 + 127) / 255 = 153.
    EXPECT_TRUE(Is(dst, 0, 0, 153, 200, 100, 180));
    EXPECT_EQ(CopyMask(GetPortBitMapForCopyBits(src), nullptr, GetPortBitMapForCopyBits(dst), &one,
                       &one, &one),
              paramErr);
}

TEST(RegionTest, RectangularRegionsKeepTheirBoundsUntilDisposed) {
    RgnHandle region = NewRgn();
    ASSERT_NE(region, nullptr);
    Rect bounds = MakeRect(9, 9, 9, 9);
    ASSERT_EQ(GetRegionBounds(region, &bounds), &bounds);
    EXPECT_EQ(bounds, Rect{});
    Rect r = MakeRect(1, 2, 3, 4);
    ASSERT_EQ(RectRgn(region, &r), noErr);
    GetRegionBounds(region, &bounds);
    EXPECT_EQ(bounds, r);
    Rect inverted = MakeRect(5, 5, 1, 1);
    RectRgn(region, &inverted);
    GetRegionBounds(region, &bounds);
    EXPECT_EQ(bounds, Rect{});
    ASSERT_EQ(DisposeRgn(region), noErr);
    EXPECT_EQ(DisposeRgn(region), paramErr);
    EXPECT_EQ(GetRegionBounds(region, &bounds), nullptr);
    EXPECT_EQ(RectRgn(region, &r), paramErr);
}

} // namespace
