#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/system/pixmap.h"
#include "platform/quickdraw/quickdraw.h"

namespace {

using namespace tbx;

const unsigned char* PixelAt(GWorldPtr world, int x, int y) {
    PixMapHandle pm = GetGWorldPixMap(world);
    return reinterpret_cast<unsigned char*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + x * 4;
}

TEST(PixmapTest, CreateGivesBlackOnWhiteWithoutChangingTheCurrentPort) {
    GWorldPtr other = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(other, 2, 2, 32));
    SetGWorld(other, nullptr);
    ForeColor(redColor);

    GWorldPtr world = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(world, 10, 10, 32));
    ASSERT_NE(world, nullptr);
    CGrafPtr current = nullptr;
    GetGWorld(&current, nullptr);
    EXPECT_EQ(current, other);

    Rect bounds;
    GetPortBounds(world, &bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 10);
    EXPECT_EQ(bounds.bottom, 10);
    SetGWorld(world, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    EXPECT_EQ(fore, (RGBColor{0, 0, 0}));
    EXPECT_EQ(back, (RGBColor{0xFFFF, 0xFFFF, 0xFFFF}));
    SetGWorld(nullptr, nullptr);

    EXPECT_TRUE(BK_DestroyPixmap(world));
    EXPECT_EQ(world, nullptr);
    EXPECT_TRUE(BK_DestroyPixmap(world)); // nothing held: still true
    BK_DestroyPixmap(other);
}

TEST(PixmapTest, CreateRefusesSizesAndDepthsTheSystemRefuses) {
    GWorldPtr world = reinterpret_cast<GWorldPtr>(1);
    EXPECT_FALSE(BK_CreatePixmap(world, 0, 10, 32));
    EXPECT_EQ(world, nullptr);
    EXPECT_FALSE(BK_CreatePixmap(world, 10, 10, 8));
    EXPECT_FALSE(BK_CreatePixmap(world, 40000, 10, 32));
    EXPECT_FALSE(BK_CreatePixmap(world, 30000, 30000, 32)); // 3.6 GB
    EXPECT_EQ(world, nullptr);
    ASSERT_TRUE(BK_CreatePixmap(world, 9, 3, 1));
    EXPECT_EQ(GetPixDepth(GetGWorldPixMap(world)), 1);
    BK_DestroyPixmap(world);
}

TEST(PixmapTest, DrawRawImageScalesEachChannelAndClipsToThePort) {
    GWorldPtr world = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(world, 2, 2, 32));
    // 3 × 3 picture into a 2 × 2 port: only the top-left 2 × 2 lands.
    std::vector<unsigned char> rgb(27);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<unsigned char>(i * 9);
    BK_DrawRawImage(rgb.data(), 3, 3, 24, world);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            const unsigned char* p = PixelAt(world, x, y);
            const unsigned char* s = &rgb[(y * 3 + x) * 3];
            EXPECT_EQ(p[0], 0xFF);
            EXPECT_EQ(p[1], s[0]);
            EXPECT_EQ(p[2], s[1]);
            EXPECT_EQ(p[3], s[2]);
        }

    const unsigned char mono[4] = {0, 7, 1, 0};
    BK_DrawRawImage(mono, 2, 2, 1, world);
    EXPECT_EQ(PixelAt(world, 0, 0)[1], 0);
    EXPECT_EQ(PixelAt(world, 1, 0)[1], 0xFF);
    EXPECT_EQ(PixelAt(world, 0, 1)[3], 0xFF);
    EXPECT_EQ(PixelAt(world, 1, 1)[2], 0);

    // Other depths draw nothing; a dead port is no crash.
    unsigned char before[4];
    std::memcpy(before, PixelAt(world, 0, 0), 4);
    const unsigned char quad[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    BK_DrawRawImage(quad, 2, 2, 32, world);
    EXPECT_EQ(std::memcmp(before, PixelAt(world, 0, 0), 4), 0);
    GWorldPtr dead = world;
    BK_DestroyPixmap(world);
    BK_DrawRawImage(rgb.data(), 3, 3, 24, dead);
}

TEST(PixmapTest, DrawRawImageIntoAMaskSetsBlackForZero) {
    GWorldPtr mask = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(mask, 4, 1, 1));
    const unsigned char bytes[4] = {0, 1, 0, 255};
    BK_DrawRawImage(bytes, 4, 1, 1, mask);
    const unsigned char* bits =
        reinterpret_cast<unsigned char*>(GetPixBaseAddr(GetGWorldPixMap(mask)));
    EXPECT_EQ(bits[0] & 0xF0, 0xA0);
    BK_DestroyPixmap(mask);
}

} // namespace
