#include <gtest/gtest.h>

#include "platform/quickdraw/quickdraw.h"
#include "tests/platform/quickdraw/qd_fixture.h"

namespace {

using namespace tbx;
using qdtest::MakeRect;
using TextStateTest = qdtest::WorldTest;

TEST_F(TextStateTest, SettersChangeOnlyTheCurrentPortsOwnPart) {
    GWorldPtr a = Make(MakeRect(0, 0, 1, 1));
    GWorldPtr b = Make(MakeRect(0, 0, 1, 1));
    EXPECT_EQ(GetPortTextFont(a), 0);
    EXPECT_EQ(GetPortTextSize(a), 0);
    EXPECT_EQ(GetPortTextFace(a), 0);

    SetGWorld(a, nullptr);
    ASSERT_EQ(TextFont(1025), noErr);
    EXPECT_EQ(GetPortTextFont(a), 1025);
    EXPECT_EQ(GetPortTextSize(a), 0);
    ASSERT_EQ(TextSize(-3), noErr);
    EXPECT_EQ(GetPortTextSize(a), -3);
    EXPECT_EQ(GetPortTextFont(a), 1025);
    // Face bits are the low byte.
    ASSERT_EQ(TextFace(StyleParameter(0x1FF)), noErr);
    EXPECT_EQ(GetPortTextFace(a), 0xFF);
    ASSERT_EQ(TextFace(bold | italic), noErr);
    EXPECT_EQ(GetPortTextFace(a), bold | italic);

    SetGWorld(b, nullptr);
    TextSize(18);
    EXPECT_EQ(GetPortTextSize(b), 18);
    EXPECT_EQ(GetPortTextSize(a), -3);
    EXPECT_EQ(GetPortTextFont(b), 0);
}

TEST_F(TextStateTest, WithoutALivePortNothingChanges) {
    SetGWorld(nullptr, nullptr);
    EXPECT_EQ(TextFont(3), paramErr);
    EXPECT_EQ(TextSize(3), paramErr);
    EXPECT_EQ(TextFace(bold), paramErr);
    EXPECT_EQ(GetPortTextFont(nullptr), 0);

    GWorldPtr world = nullptr;
    Rect bounds = MakeRect(0, 0, 2, 2);
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    SetGWorld(world, nullptr);
    TextSize(10);
    DisposeGWorld(world);
    EXPECT_EQ(TextSize(11), paramErr);
    EXPECT_EQ(GetPortTextSize(world), 0);
}

TEST_F(TextStateTest, BarePortHasTextStateButNoPixels) {
    CGrafPtr current = Make(MakeRect(0, 0, 1, 1));
    SetGWorld(current, nullptr);
    CGrafPtr port = CreateNewPort();
    ASSERT_NE(port, nullptr);
    CGrafPtr now = nullptr;
    GetGWorld(&now, nullptr);
    EXPECT_EQ(now, current);

    Rect bounds = MakeRect(1, 1, 1, 1);
    ASSERT_NE(GetPortBounds(port, &bounds), nullptr);
    EXPECT_EQ(bounds, Rect{});
    EXPECT_EQ(GetPixBaseAddr(GetGWorldPixMap(port)), nullptr);

    SetGWorld(port, nullptr);
    EXPECT_EQ(TextFont(1024), noErr);
    EXPECT_EQ(TextSize(9), noErr);
    EXPECT_EQ(GetPortTextFont(port), 1024);
    EXPECT_EQ(GetPortTextSize(port), 9);
    // Drawing into it touches nothing.
    Rect all = MakeRect(-10, -10, 10, 10);
    EXPECT_EQ(PaintRect(&all), noErr);

    EXPECT_EQ(DisposePort(port), noErr);
    EXPECT_EQ(DisposePort(port), paramErr);
    EXPECT_EQ(TextFont(3), paramErr);
    EXPECT_EQ(GetPortTextFont(port), 0);
}

} // namespace
