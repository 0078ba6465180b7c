#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/system/pixmap.h"
#include "media/image/image.h"
#include "media/image/resample.h"
#include "platform/quickdraw/quickdraw.h"

namespace {

// A w × h image whose byte k of pixel (x, y) is x * 16 + y * 4 + k (wrapping).
CBK_Image Numbered(int w, int h, uint16_t bpp) {
    CBK_Image image;
    EXPECT_TRUE(image.Create(w, h, bpp, nullptr, false));
    const int step = bpp / 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < step; ++k)
                image.GetDataAt(x, y)[k] = uint8_t(x * 16 + y * 4 + k);
    return image;
}

bool SamePixel(const uint8_t* a, const uint8_t* b, int step) {
    return std::memcmp(a, b, size_t(step)) == 0;
}

TEST(ImageTest, NewAndDestroyedImages) {
    CBK_Image image;
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetSize(), 0u);
    EXPECT_EQ(image.GetData(), nullptr);
    ASSERT_TRUE(image.Create(3, 2, 24, nullptr, false));
    EXPECT_EQ(image.GetSize(), 18u);
    image.Destroy();
    EXPECT_EQ(image.GetData(), nullptr);
    EXPECT_EQ(image.GetSize(), 0u);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    CBK_Path path(L"/nonexistent");
    EXPECT_FALSE(image.Read(path));
    // Operations on a destroyed image do nothing.
    image.Fill(0xFFFFFF);
    image.Resize(6, 4);
    image.FlipVertical();
    image.Rotate90(90);
    EXPECT_EQ(image.GetData(), nullptr);
    EXPECT_EQ(image.GetWidth(), 3);
}

TEST(ImageTest, CreateCopiesOrAdoptsAndRefusesHugeSizes) {
    uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    CBK_Image copy;
    ASSERT_TRUE(copy.Create(2, 1, 24, pixels, true));
    EXPECT_NE(copy.GetData(), pixels);
    EXPECT_EQ(std::memcmp(copy.GetData(), pixels, 6), 0);

    uint8_t* owned = new uint8_t[8]{9, 9, 9, 9, 8, 8, 8, 8};
    CBK_Image adopted;
    ASSERT_TRUE(adopted.Create(2, 1, 32, owned, false));
    EXPECT_EQ(adopted.GetData(), owned);

    CBK_Image huge;
    // 65536 × 65536 × 4 bytes wraps to 0 in 32 bits; it is refused, not made small.
    EXPECT_FALSE(huge.Create(65536, 65536, 32, nullptr, false));
    EXPECT_EQ(huge.GetData(), nullptr);
    EXPECT_EQ(huge.GetSize(), 0u);
    EXPECT_FALSE(huge.Create(0x80000000u, 1, 24, nullptr, false));
    EXPECT_TRUE(huge.Create(1, 1, 24, nullptr, false));
    // A refused adoption still frees the buffer (checked by the leak sanitizer).
    EXPECT_FALSE(huge.Create(70000, 70000, 24, new uint8_t[4], false));
}

TEST(ImageTest, CreateFromTheImagesOwnPixels) {
    CBK_Image image = Numbered(4, 2, 24);
    std::vector<uint8_t> before(image.GetData(), image.GetData() + 24);
    // The second row's pixels as a new 4 × 1 image: the old buffer outlives the copy.
    ASSERT_TRUE(image.Create(4, 1, 24, image.GetData() + 12, true));
    EXPECT_EQ(std::vector<uint8_t>(image.GetData(), image.GetData() + 12),
              std::vector<uint8_t>(before.begin() + 12, before.end()));
    // The same size from its own buffer, copied and adopted.
    ASSERT_TRUE(image.Create(4, 1, 24, image.GetData(), true));
    EXPECT_EQ(image.GetData()[0], before[12]);
    uint8_t* own = image.GetData();
    ASSERT_TRUE(image.Create(2, 2, 24, own, false));
    EXPECT_EQ(image.GetData(), own);
    EXPECT_EQ(image.GetData()[0], before[12]);
}

TEST(ImageTest, FillWritesTheColourBytesLowestFirst) {
    CBK_Image rgb, rgba;
    rgb.Create(3, 2, 24, nullptr, false);
    rgba.Create(3, 2, 32, nullptr, false);
    rgb.Fill(0x00332211);
    rgba.Fill(0x00332211);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rgb.GetData()[i * 3 + 0], 0x11);
        EXPECT_EQ(rgb.GetData()[i * 3 + 1], 0x22);
        EXPECT_EQ(rgb.GetData()[i * 3 + 2], 0x33);
        const uint8_t expected[4] = {0x11, 0x22, 0x33, 0xFF};
        EXPECT_EQ(std::memcmp(rgba.GetData() + i * 4, expected, 4), 0);
    }
}

TEST(ImageTest, SetDimensionsKeepsALargeEnoughBuffer) {
    CBK_Image image;
    image.Create(4, 4, 24, nullptr, false);
    uint8_t* data = image.GetData();
    ASSERT_TRUE(image.SetDimensions(2, 3));
    EXPECT_EQ(image.GetData(), data);
    EXPECT_EQ(image.GetSize(), 48u);
    ASSERT_TRUE(image.SetDimensions(5, 5));
    EXPECT_EQ(image.GetSize(), 75u);
    EXPECT_FALSE(image.SetDimensions(-1, 5));
    EXPECT_FALSE(image.SetDimensions(70000, 70000));
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(image.GetSize(), 75u);
}

TEST(ImageTest, ResizeUsesTheResamplerAndLeavesSameOrRefusedSizes) {
    CBK_Image image = Numbered(4, 3, 24);
    std::unique_ptr<uint8_t[]> expected(
        BK_ResizeImageBilinear(image.GetData(), {0, 0, 3, 4}, {0, 0, 5, 8}, 24));
    ASSERT_NE(expected, nullptr);
    image.Resize(8, 5);
    EXPECT_EQ(image.GetWidth(), 8);
    EXPECT_EQ(image.GetHeight(), 5);
    EXPECT_EQ(image.GetSize(), 120u);
    EXPECT_EQ(std::memcmp(image.GetData(), expected.get(), 120), 0);

    // Back and forth: buffers are recycled, and every step still gives the resampler's result.
    CBK_Image again = Numbered(4, 3, 24);
    for (int round = 0; round < 3; ++round)
        for (auto [w, h] : {std::pair{8, 5}, {4, 3}}) {
            tbx::Rect from{0, 0, int16_t(again.GetHeight()), int16_t(again.GetWidth())};
            tbx::Rect to{0, 0, int16_t(h), int16_t(w)};
            std::unique_ptr<uint8_t[]> step(BK_ResizeImageBilinear(again.GetData(), from, to, 24));
            again.Resize(w, h);
            ASSERT_EQ(again.GetSize(), size_t(w * h * 3));
            EXPECT_EQ(std::memcmp(again.GetData(), step.get(), again.GetSize()), 0);
        }

    std::vector<uint8_t> before(image.GetData(), image.GetData() + image.GetSize());
    image.Resize(8, 5);
    image.Resize(0, 5);
    image.Resize(8, -1);
    image.Resize(32767, 32767);
    EXPECT_EQ(image.GetWidth(), 8);
    EXPECT_EQ(std::vector<uint8_t>(image.GetData(), image.GetData() + image.GetSize()), before);
}

TEST(ImageTest, FlipsKeepWholePixels) {
    for (uint16_t bpp : {24, 32})
        for (int h : {1, 2, 3}) {
            CBK_Image original = Numbered(3, h, bpp);
            CBK_Image v = original, hz = original;
            v.FlipVertical();
            hz.FlipHorizontal();
            const int step = bpp / 8;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < 3; ++x) {
                    EXPECT_TRUE(
                        SamePixel(v.GetDataAt(x, y), original.GetDataAt(x, h - 1 - y), step));
                    EXPECT_TRUE(SamePixel(hz.GetDataAt(x, y), original.GetDataAt(2 - x, y), step));
                }
        }
}

TEST(ImageTest, Rotate90TurnsByRightAnglesOnly) {
    CBK_Image original = Numbered(3, 2, 24);
    CBK_Image cw = original;
    cw.Rotate90(90);
    ASSERT_EQ(cw.GetWidth(), 2);
    ASSERT_EQ(cw.GetHeight(), 3);
    // The right-hand column is the former top row, top to bottom.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SamePixel(cw.GetDataAt(1, i), original.GetDataAt(i, 0), 3));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SamePixel(cw.GetDataAt(0, i), original.GetDataAt(i, 1), 3));

    CBK_Image ccw = original, minus90 = original, minus270 = original;
    ccw.Rotate90(270);
    minus90.Rotate90(-90);
    minus270.Rotate90(-270);
    EXPECT_EQ(std::memcmp(ccw.GetData(), minus90.GetData(), 18), 0);
    EXPECT_EQ(std::memcmp(cw.GetData(), minus270.GetData(), 18), 0);
    // The left-hand column is the former top row, bottom to top.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SamePixel(ccw.GetDataAt(0, 2 - i), original.GetDataAt(i, 0), 3));

    CBK_Image half = Numbered(3, 2, 32);
    half.Rotate90(180);
    CBK_Image flipped = Numbered(3, 2, 32);
    flipped.FlipHorizontal();
    flipped.FlipVertical();
    EXPECT_EQ(std::memcmp(half.GetData(), flipped.GetData(), 24), 0);

    CBK_Image same = original;
    same.Rotate90(45);
    same.Rotate90(0);
    same.Rotate90(360);
    EXPECT_EQ(same.GetWidth(), 3);
    EXPECT_EQ(std::memcmp(same.GetData(), original.GetData(), 18), 0);
}

TEST(ImageTest, Rotate2MovesPixelsExactlyForRightAnglesAndClearsTheRest) {
    for (int w : {3, 4})
        for (int h : {2, 5}) {
            CBK_Image original = Numbered(w, h, 24);
            for (int angle : {90, -90, 180, 270, -180, 360}) {
                CBK_Image free = original, right = original;
                free.Rotate2(angle);
                right.Rotate90(angle == 360 ? 0 : angle);
                ASSERT_EQ(free.GetWidth(), right.GetWidth()) << angle;
                EXPECT_EQ(std::memcmp(free.GetData(), right.GetData(), free.GetSize()), 0)
                    << w << "x" << h << " by " << angle;
            }
        }
    // A white square turned by 45 degrees: its corners are left black, its middle is white.
    CBK_Image square;
    square.Create(9, 9, 24, nullptr, false);
    square.Fill(0xFFFFFF);
    square.Rotate2(45);
    EXPECT_EQ(square.GetWidth(), 9);
    EXPECT_EQ(square.GetDataAt(0, 0)[0], 0);
    EXPECT_EQ(square.GetDataAt(8, 8)[2], 0);
    EXPECT_EQ(square.GetDataAt(4, 4)[1], 255);
}

TEST(ImageTest, CopyIsDeepAndSelfCopyIsHarmless) {
    CBK_Image original = Numbered(3, 3, 32);
    CBK_Image copy;
    ASSERT_TRUE(copy.Copy(original));
    EXPECT_NE(copy.GetData(), original.GetData());
    EXPECT_EQ(std::memcmp(copy.GetData(), original.GetData(), 36), 0);
    ASSERT_TRUE(copy.Copy(copy));
    EXPECT_EQ(std::memcmp(copy.GetData(), original.GetData(), 36), 0);
    copy = copy;
    EXPECT_EQ(copy.GetSize(), 36u);

    CBK_Image empty = Numbered(2, 2, 24);
    empty.Destroy();
    ASSERT_TRUE(copy.Copy(empty));
    EXPECT_EQ(copy.GetData(), nullptr);
    EXPECT_EQ(copy.GetWidth(), 2);
}

TEST(ImageTest, CreateFromPortTakesRedGreenBlue) {
    tbx::GWorldPtr port = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(port, 3, 2, 32));
    tbx::PixMapHandle pm = tbx::GetGWorldPixMap(port);
    uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(pm));
    const int rowBytes = tbx::GetPixRowBytes(pm);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 4; ++k)
                base[y * rowBytes + x * 4 + k] = uint8_t(y * 100 + x * 10 + k);
    CBK_Image image;
    ASSERT_TRUE(image.Create(port));
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(image.GetDataAt(x, y)[k], y * 100 + x * 10 + k + 1);

    tbx::GWorldPtr mask = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(mask, 3, 2, 1));
    EXPECT_FALSE(image.Create(mask));
    BK_DestroyPixmap(mask);
    tbx::GWorldPtr dead = port;
    BK_DestroyPixmap(port);
    EXPECT_FALSE(image.Create(dead));
    EXPECT_EQ(image.GetWidth(), 3);
}

TEST(ImageTest, DrawIntoPortClipsOnEverySide) {
    tbx::GWorldPtr port = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(port, 4, 3, 32));
    tbx::PixMapHandle pm = tbx::GetGWorldPixMap(port);
    const uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(pm));
    const int rowBytes = tbx::GetPixRowBytes(pm);
    CBK_Image image = Numbered(3, 3, 32);
    for (auto [x, y] : {std::pair{-2, -1}, {3, 2}, {0, 0}, {-5, 0}, {1, 7}}) {
        std::vector<uint8_t> before(base, base + rowBytes * 3);
        image.Draw(port, x, y);
        for (int py = 0; py < 3; ++py)
            for (int px = 0; px < 4; ++px) {
                const uint8_t* p = base + py * rowBytes + px * 4;
                int ix = px - x, iy = py - y;
                if (ix >= 0 && ix < 3 && iy >= 0 && iy < 3) {
                    const uint8_t* s = image.GetDataAt(ix, iy);
                    const uint8_t argb[4] = {s[3], s[0], s[1], s[2]};
                    EXPECT_EQ(std::memcmp(p, argb, 4), 0) << x << "," << y;
                } else {
                    EXPECT_EQ(std::memcmp(p, &before[py * rowBytes + px * 4], 4), 0);
                }
            }
    }
    // 24-bit pixels arrive opaque.
    CBK_Image rgb = Numbered(1, 1, 24);
    rgb.Draw(port, 0, 0);
    EXPECT_EQ(base[0], 255);
    EXPECT_EQ(base[1], rgb.GetData()[0]);
    // A 1-bit port or a dead one is left alone.
    tbx::GWorldPtr mask = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(mask, 2, 2, 1));
    image.Draw(mask, 0, 0);
    BK_DestroyPixmap(mask);
    image.Draw(mask, 0, 0);
    BK_DestroyPixmap(port);
}

TEST(ImageTest, DrawIntoImageClipsOnEverySide) {
    CBK_Image source = Numbered(3, 2, 24);
    for (auto [x, y] : {std::pair{-1, -1}, {3, 3}, {0, 0}, {4, 1}, {-3, 0}}) {
        CBK_Image target;
        target.Create(5, 4, 24, nullptr, false);
        target.Fill(0x0000FF);
        source.Draw(target, x, y);
        for (int ty = 0; ty < 4; ++ty)
            for (int tx = 0; tx < 5; ++tx) {
                int ix = tx - x, iy = ty - y;
                const uint8_t* p = target.GetDataAt(tx, ty);
                if (ix >= 0 && ix < 3 && iy >= 0 && iy < 2)
                    EXPECT_TRUE(SamePixel(p, source.GetDataAt(ix, iy), 3));
                else
                    EXPECT_TRUE(p[0] == 0xFF && p[1] == 0 && p[2] == 0);
            }
    }
    CBK_Image deeper;
    deeper.Create(5, 4, 32, nullptr, false);
    deeper.Fill(0);
    source.Draw(deeper, 0, 0); // depths differ: nothing drawn
    EXPECT_EQ(deeper.GetData()[0], 0);
}

} // namespace
