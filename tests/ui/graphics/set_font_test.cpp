#include <gtest/gtest.h>

#include "core/fonts/font.h"
#include "platform/quickdraw/quickdraw.h"
#include "ui/graphics/drawing.h"

namespace {

using namespace tbx;

// Each flag sets its own part of the current port's text state and no other.
TEST(SetFontTest, EachFlagSetsItsPartOfTheCurrentPortsText) {
    CGrafPtr saved = nullptr;
    GetGWorld(&saved, nullptr);
    CGrafPtr port = CreateNewPort();
    ASSERT_NE(port, nullptr);
    SetGWorld(port, nullptr);

    CBK_Font font;
    font.SetMacFontId(1500);
    font.SetSize(27);
    font.SetMacFontStyle(bold | underline);
    for (uint32_t flags = 0; flags < 8; ++flags) {
        SCOPED_TRACE(flags);
        TextFont(7);
        TextSize(9);
        TextFace(shadow);
        BK_SetFont(font, flags);
        EXPECT_EQ(GetPortTextFont(port), (flags & 1) ? 1500 : 7);
        EXPECT_EQ(GetPortTextSize(port), (flags & 2) ? 27 : 9);
        EXPECT_EQ(GetPortTextFace(port), (flags & 4) ? (bold | underline) : shadow);
    }
    // Bits other than the three change nothing.
    TextSize(9);
    BK_SetFont(font, 0xFFFFFFF8u);
    EXPECT_EQ(GetPortTextSize(port), 9);

    // Values wider than the port's fields are not wrapped into other ones.
    font.SetSize(70000);
    font.SetMacFontId(65536 + 1500);
    BK_SetFont(font, 3);
    EXPECT_EQ(GetPortTextSize(port), 0x7FFF);
    EXPECT_EQ(GetPortTextFont(port), -1);

    SetGWorld(nullptr, nullptr);
    BK_SetFont(font, 7); // no port current: nothing to set, no crash
    SetGWorld(saved, nullptr);
    DisposePort(port);
}

} // namespace
