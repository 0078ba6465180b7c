#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/quickdraw/qd_fixture.h"

namespace {

using namespace tbx;

using qdtest::MakeRect;
using OffscreenTest = qdtest::WorldTest;

TEST_F(OffscreenTest, NewWorldHasItsBoundsPaddedRowsAndClearedPixels) {
    GWorldPtr world = Make(MakeRect(0, 0, 3, 2));
    Rect bounds;
    ASSERT_EQ(GetPortBounds(world, &bounds), &bounds);
    EXPECT_EQ(bounds, MakeRect(0, 0, 3, 2));

    PixMapHandle pixMap = GetGWorldPixMap(world);
    ASSERT_NE(pixMap, nullptr);
    EXPECT_TRUE(LockPixels(pixMap));
    EXPECT_EQ(GetPixDepth(pixMap), 32);
    SInt32 rowBytes = GetPixRowBytes(pixMap);
    EXPECT_GE(rowBytes, 12);
    EXPECT_EQ(rowBytes % 16, 0);
    const Ptr base = GetPixBaseAddr(pixMap);
    ASSERT_NE(base, nullptr);
    for (SInt32 i = 0; i < rowBytes * 2; ++i)
        EXPECT_EQ(base[i], 0);
    EXPECT_EQ(UnlockPixels(pixMap), noErr);

    Rect pixBounds;
    EXPECT_EQ(GetPixBounds(pixMap, &pixBounds), &pixBounds);
    EXPECT_EQ(pixBounds, bounds);

    SetGWorld(world, nullptr);
    RGBColor fore{1, 1, 1}, back{};
    ASSERT_EQ(GetForeColor(&fore), noErr);
    ASSERT_EQ(GetBackColor(&back), noErr);
    EXPECT_EQ(fore, (RGBColor{0, 0, 0}));
    EXPECT_EQ(back, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF}));
}

TEST_F(OffscreenTest, RefusesBadArguments) {
    Rect bounds = MakeRect(0, 0, 4, 4);
    GWorldPtr world = reinterpret_cast<GWorldPtr>(0x1234);
    EXPECT_EQ(NewGWorld(nullptr, 32, &bounds, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(&world, 32, nullptr, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(world, nullptr);
    Rect empty = MakeRect(4, 0, 4, 4);
    EXPECT_EQ(NewGWorld(&world, 32, &empty, nullptr, nullptr, 0), paramErr);
    Rect inverted = MakeRect(0, 5, 4, 4);
    EXPECT_EQ(NewGWorld(&world, 32, &inverted, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(&world, 8, &bounds, nullptr, nullptr, 0), cDepthErr);
    EXPECT_EQ(world, nullptr);
    // 32767 × 32767 × 4 bytes is refused rather than attempted.
    Rect huge = MakeRect(0, 0, 32767, 32767);
    EXPECT_EQ(NewGWorld(&world, 32, &huge, nullptr, nullptr, 0), memFullErr);
    EXPECT_EQ(world, nullptr);
    // Depth 0 means 32.
    ASSERT_EQ(NewGWorld(&world, 0, &bounds, nullptr, nullptr, 0), noErr);
    EXPECT_EQ(GetPixDepth(GetGWorldPixMap(world)), 32);
    DisposeGWorld(world);
}

TEST_F(OffscreenTest, DisposedHandlesAreRefusedEvenWhenTheirSlotIsReused) {
    Rect bounds = MakeRect(0, 0, 4, 4);
    GWorldPtr world = nullptr;
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    PixMapHandle pixMap = GetGWorldPixMap(world);
    const BitMap* bits = GetPortBitMapForCopyBits(world);
    ASSERT_NE(bits, nullptr);
    ASSERT_EQ(DisposeGWorld(world), noErr);

    GWorldPtr reuse = Make(bounds);
    ASSERT_NE(reuse, world);

    EXPECT_EQ(DisposeGWorld(world), paramErr);
    EXPECT_EQ(GetGWorldPixMap(world), nullptr);
    EXPECT_FALSE(LockPixels(pixMap));
    EXPECT_EQ(UnlockPixels(pixMap), paramErr);
    EXPECT_EQ(GetPixBaseAddr(pixMap), nullptr);
    EXPECT_EQ(GetPixRowBytes(pixMap), 0);
    EXPECT_EQ(GetPixDepth(pixMap), 0);
    Rect out = MakeRect(1, 2, 3, 4);
    EXPECT_EQ(GetPortBounds(world, &out), nullptr);
    EXPECT_EQ(out, Rect{});
    EXPECT_EQ(GetPixBounds(pixMap, &out), nullptr);
    EXPECT_EQ(GetPortBitMapForCopyBits(world), nullptr);
    EXPECT_EQ(SetGWorld(world, nullptr), paramErr);
    Rect all = MakeRect(0, 0, 4, 4);
    EXPECT_EQ(CopyBits(bits, GetPortBitMapForCopyBits(reuse), &all, &all, srcCopy, nullptr),
              paramErr);
}

TEST_F(OffscreenTest, NullAndForeignHandlesAreRefused) {
    GWorldPtr world = Make(MakeRect(0, 0, 2, 2));
    EXPECT_EQ(GetGWorldPixMap(nullptr), nullptr);
    EXPECT_EQ(GetPixBaseAddr(nullptr), nullptr);
    EXPECT_EQ(DisposeGWorld(nullptr), paramErr);
    // One view of a world is not taken for another.
    PixMapHandle pixMap = GetGWorldPixMap(world);
    EXPECT_EQ(GetGWorldPixMap(reinterpret_cast<GWorldPtr>(pixMap)), nullptr);
    EXPECT_EQ(GetPixBaseAddr(reinterpret_cast<PixMapHandle>(world)), nullptr);
    EXPECT_EQ(DisposeGWorld(reinterpret_cast<GWorldPtr>(pixMap)), paramErr);
    // Made-up values are not followed.
    EXPECT_EQ(GetPixBaseAddr(reinterpret_cast<PixMapHandle>(0x7fff12345678)), nullptr);
    EXPECT_EQ(GetGWorldPixMap(reinterpret_cast<GWorldPtr>(~std::uintptr_t(0))), nullptr);
    EXPECT_NE(GetPixBaseAddr(pixMap), nullptr);
}

TEST_F(OffscreenTest, CurrentPortFollowsSetGWorldAndGoesStaleWhenDisposed) {
    GWorldPtr a = Make(MakeRect(0, 0, 2, 2));
    GWorldPtr b = Make(MakeRect(0, 0, 2, 2));
    ASSERT_EQ(SetGWorld(a, nullptr), noErr);
    CGrafPtr current = nullptr;
    GDHandle device = reinterpret_cast<GDHandle>(1);
    GetGWorld(&current, &device);
    EXPECT_EQ(current, a);
    EXPECT_EQ(device, nullptr);
    // A dead port leaves the current one.
    EXPECT_EQ(SetGWorld(reinterpret_cast<CGrafPtr>(GetGWorldPixMap(b)), nullptr), paramErr);
    GetGWorld(&current, nullptr);
    EXPECT_EQ(current, a);

    ASSERT_EQ(SetGWorld(b, nullptr), noErr);
    ASSERT_EQ(DisposeGWorld(b), noErr);
    Rect r = MakeRect(0, 0, 1, 1);
    RGBColor c{};
    EXPECT_EQ(PaintRect(&r), paramErr);
    EXPECT_EQ(RGBForeColor(&c), paramErr);
    EXPECT_EQ(GetCPixel(0, 0, &c), paramErr);

    ASSERT_EQ(SetGWorld(nullptr, nullptr), noErr);
    EXPECT_EQ(EraseRect(&r), paramErr);
    EXPECT_EQ(ForeColor(blackColor), paramErr);
}

} // namespace
