// The cursor of the windowing model: nested hiding and moves, clamped to a point's range.
#include <gtest/gtest.h>

#include "core/system/mouse.h"
#include "platform/windows/controls.h"
#include "platform/windows/cursors.h"
#include "tests/support/windowing_fixture.h"

namespace {

using Mouse = stravel::testing::WindowingTest;

TEST_F(Mouse, HidingNestsAndMovesClamp) {
    EXPECT_TRUE(tbx::test::CursorVisible());
    EXPECT_TRUE(BK_HideMouse());
    EXPECT_TRUE(BK_ShowMouse(false));
    EXPECT_TRUE(BK_ShowMouse(true));
    EXPECT_FALSE(tbx::test::CursorVisible());
    EXPECT_TRUE(BK_ShowMouse(true));
    EXPECT_TRUE(tbx::test::CursorVisible());
    BK_ShowMouse(true);
    BK_HideMouse();
    EXPECT_FALSE(tbx::test::CursorVisible());

    tbx::Point at;
    EXPECT_TRUE(BK_SetMousePos(120, 45));
    tbx::GetGlobalMouse(&at);
    EXPECT_EQ(at.h, 120);
    EXPECT_EQ(at.v, 45);
    BK_SetMousePos(70000, -70000);
    tbx::GetGlobalMouse(&at);
    EXPECT_EQ(at.h, 32767);
    EXPECT_EQ(at.v, -32768);
}

} // namespace
