// Wide text on a pixel map: widths and ink against FreeType's own numbers for the same face.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "core/system/pixmap.h"
#include "core/system/text.h"
#include "platform/fonts/font_catalog.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "tests/support/font_oracle.h"

namespace {

struct Ink {
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    int black = 0; // pixels darker than half
};

Ink InkOf(int width, int height) {
    Ink ink;
    for (int v = 0; v < height; ++v)
        for (int h = 0; h < width; ++h) {
            tbx::RGBColor c;
            tbx::GetCPixel(tbx::SInt16(h), tbx::SInt16(v), &c);
            if (c.red == 0xFFFF && c.green == 0xFFFF && c.blue == 0xFFFF)
                continue;
            ink.left = std::min(ink.left, h), ink.right = std::max(ink.right, h);
            ink.top = std::min(ink.top, v), ink.bottom = std::max(ink.bottom, v);
            ink.black += c.red < 0x8000 && c.green < 0x8000 && c.blue < 0x8000;
        }
    return ink;
}

TEST(Text, WidthAndInkMatchFreeType) {
    std::string path;
    int index = 0;
    ASSERT_TRUE(tbx::fonts::FaceFile(tbx::systemFont, 0, path, index));
    stravel::testing::FreeTypeFace ft(path, index);
    ASSERT_TRUE(ft.Ok() && ft.SetPoints(12));
    const std::wstring text = L"Hello, Stravel";
    long advance = 0;
    FT_Pos top = 0, bottom = 0;
    for (wchar_t c : text) {
        stravel::testing::FreeTypeFace::Glyph g;
        ASSERT_TRUE(ft.Measure(char32_t(c), g));
        advance += g.linearAdvance;
        top = std::max(top, g.bounds.yMax);
        bottom = std::min(bottom, g.bounds.yMin);
    }
    const int width = stravel::testing::RoundFixed(advance);

    tbx::GWorldPtr world = nullptr;
    ASSERT_TRUE(BK_CreatePixmap(world, 200, 40, 32));
    tbx::CGrafPtr savedPort = nullptr;
    tbx::GDHandle savedDevice = nullptr;
    tbx::GetGWorld(&savedPort, &savedDevice);
    tbx::SetGWorld(world, nullptr);
    const tbx::Rect all{0, 0, 40, 200};
    tbx::EraseRect(&all);

    EXPECT_EQ(BK_DrawTextFormatted(text.c_str(), int32_t(text.size()), all, 0), width);
    EXPECT_EQ(InkOf(200, 40).right, INT_MIN); // measuring draws nothing
    ASSERT_TRUE(BK_DrawText(5, 20, text.c_str(), int32_t(text.size())));
    Ink ink = InkOf(200, 40);
    EXPECT_GT(ink.black, 10);
    EXPECT_GE(ink.left, 5 - 1);
    EXPECT_LE(ink.right, 5 + width + 1);
    EXPECT_GE(ink.top, 20 - int(std::ceil(top / 64.0)) - 1);
    EXPECT_LE(ink.bottom, 20 - int(std::floor(bottom / 64.0)) + 1);
    tbx::Point pen;
    ASSERT_EQ(tbx::GetPen(&pen), tbx::noErr);
    EXPECT_EQ(pen.h, 5 + width);

    tbx::EraseRect(&all);
    const tbx::Rect box{0, 40, 30, 160};
    EXPECT_EQ(BK_DrawTextFormatted(text.c_str(), int32_t(text.size()), box, BK_TEXT_CENTER), width);
    ink = InkOf(200, 40);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3);
    EXPECT_LE(ink.bottom, 30 - int(std::floor(bottom / 64.0)) + 1);
    EXPECT_FALSE(BK_DrawText(0, 0, nullptr, 3));

    tbx::SetGWorld(savedPort, savedDevice);
    BK_DestroyPixmap(world);
}

} // namespace
