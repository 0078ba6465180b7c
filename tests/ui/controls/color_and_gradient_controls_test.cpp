#include <gtest/gtest.h>

#include "platform/pict/pictures.h"
#include "platform/windows/color_picker.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/bevel_button.h"
#include "ui/controls/color_button.h"
#include "ui/controls/fill_button.h"
#include "ui/controls/gradient_control.h"
#include "ui/dialogs/fill_dialog.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class Host : public CBK_Dialog {
public:
    bool OnCommand(uint32_t command, EventRef&) override {
        commands.push_back(command);
        return true;
    }
    std::vector<uint32_t> commands;
};

class ColorControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    }
    Host host;
};

TEST_F(ColorControlsTest, ColorButtonShowsItsSwatchAndTakesThePickersAnswer) {
    CBK_ControlColorButton button;
    Rect r{10, 10, 30, 50};
    ASSERT_TRUE(button.Create(host, FourCC("bCol"), r, L""));
    EXPECT_FALSE(button.Create(host, FourCC("bCol"), r, L"")); // one control per object
    button.SetColor(0x3366CC, true);
    EXPECT_EQ(test::PicturePixel(button.GetSwatchPicture(), 5, 5), 0xFFCC6633u);
    test::ControlState state;
    test::ReadControl(button.GetControlHandle(), state);
    EXPECT_EQ(state.content.contentType, kControlContentPictHandle);

    test::ScriptColorAnswer(true, RGBColor{0xFFFF, 0, 0x8080});
    ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), FourCC("bCol"), 0));
    ASSERT_EQ(test::ColorPrompts().size(), 1u);
    EXPECT_EQ(test::ColorPrompts()[0].prompt, "Choose a color");
    EXPECT_EQ(test::ColorPrompts()[0].visibleWindows, 1u); // the plain button hides nothing
    EXPECT_EQ(test::ColorPrompts()[0].start, (RGBColor{0xCCCC, 0x6666, 0x3333}));
    EXPECT_EQ(button.GetColor(), 0x8000FFu);
    EXPECT_EQ(host.commands, std::vector<uint32_t>{FourCC("bCol")}); // the hit goes on
    EXPECT_EQ(test::LivePictures(), 1);                              // the old swatch is gone

    test::ScriptColorAnswer(false);
    test::ClickControl(host.GetWindowHandle(), FourCC("bCol"), 0);
    EXPECT_EQ(button.GetColor(), 0x8000FFu);
    button.DisableUserInteraction();
    test::ClickControl(host.GetWindowHandle(), FourCC("bCol"), 0);
    EXPECT_EQ(test::ColorPrompts().size(), 2u);
}

TEST_F(ColorControlsTest, ColorButtonXHidesItsWindowsWhilePicking) {
    CBK_Dialog other;
    ASSERT_TRUE(other.Create(500, 100, 100, 100, CBK_Dialog::kShow, nullptr));
    CBK_ControlColorButtonX button;
    Rect r{10, 10, 30, 50};
    ASSERT_TRUE(button.Create(host, FourCC("bCoX"), r, L""));
    CBK_ControlColorButtonX::m_hShieldWindow = other.GetWindowHandle();
    test::ScriptColorAnswer(true, RGBColor{0, 0xFFFF, 0});
    ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), FourCC("bCoX"), 0));
    ASSERT_EQ(test::ColorPrompts().size(), 1u);
    EXPECT_EQ(test::ColorPrompts()[0].visibleWindows, 0u); // both out of the picker's way
    EXPECT_TRUE(IsWindowVisible(other.GetWindowHandle()));
    EXPECT_TRUE(IsWindowVisible(host.GetWindowHandle()));
    EXPECT_FALSE(CBK_ControlColorButtonX::m_bIsChoosingColor);
    EXPECT_EQ(button.GetColor(), 0x00FF00u);
    CBK_ControlColorButtonX::m_hShieldWindow = nullptr;
}

TEST_F(ColorControlsTest, FillButtonKeepsTypeAndGradient) {
    CBK_ControlBevelButton bevel;
    Rect r{40, 10, 60, 50};
    ASSERT_TRUE(bevel.Create(host, FourCC("bFil"), r, L""));
    CBK_ControlFillButton fill;
    ASSERT_TRUE(fill.Init(FourCC("bFil"), host.GetWindowHandle(), host.GetDialogNumber()));
    EXPECT_EQ(fill.GetType(), 2);
    CBK_Gradient g;
    g.Create(0x111111, 0x222222);
    fill.SetGradient(g);
    fill.SetType(1);
    EXPECT_EQ(fill.GetGradient().GetRecord(1)->nColor, 0x222222u);
    fill.SetColor(0x0000FF, true);
    EXPECT_EQ(fill.GetColor(), 0x0000FFu);
    CBK_FillData data;
    data.nType = 1;
    CBK_FillDialog dialog(data);
    EXPECT_EQ(dialog.DoModal(host.GetWindowHandle()), 0); // shows nothing, changes nothing
    EXPECT_EQ(data.nType, 1);
    EXPECT_EQ(test::VisibleWindows().size(), 1u);
}

class GradientEditorTest : public ColorControlsTest {
protected:
    void SetUp() override {
        ColorControlsTest::SetUp();
        Rect r{20, 10, 40, 210}; // strip 200 by 20
        ASSERT_TRUE(editor.Create(host, FourCC("gGrd"), r, L""));
    }
    // A point of the control's own coordinates in the window.
    Point At(int x, int y) { return Point{SInt16(20 + y), SInt16(10 + x)}; }
    int MarkerY() { return editor.GetStripRect().bottom + 6; }
    CBK_ControlGradient editor;
};

TEST_F(GradientEditorTest, DrawsTheRampAndMarkersIntoTheWindow) {
    Rect bounds;
    GetControlBounds(editor.GetControlHandle(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 284);
    EXPECT_EQ(bounds.bottom - bounds.top, 36);
    const Rect& strip = editor.GetStripRect();
    const Point left = At(strip.left, strip.top + 5), right = At(strip.right - 1, strip.top + 5);
    EXPECT_EQ(test::ReadPixel(host.GetWindowHandle(), left.h, left.v), 0xFF000000u);
    EXPECT_EQ(test::ReadPixel(host.GetWindowHandle(), right.h, right.v), 0xFFFEFEFEu);
    // The swatch shows the first stop's colour; a marker's tip is black.
    const Point swatch = At(editor.GetSwatchRect().left + 3, 10);
    EXPECT_EQ(test::ReadPixel(host.GetWindowHandle(), swatch.h, swatch.v), 0xFF000000u);
    const int mx = editor.MarkerX(1.0f);
    const Point tip = At(mx + 2, strip.bottom + 1);
    EXPECT_EQ(test::ReadPixel(host.GetWindowHandle(), tip.h, tip.v), 0xFF000000u);
}

TEST_F(GradientEditorTest, ClicksAddStopsUpToEightAndDragsReorderAndDelete) {
    const Rect& strip = editor.GetStripRect();
    const int y = MarkerY();
    ASSERT_TRUE(test::Click(host.GetWindowHandle(), At(strip.left + 100, y)));
    EXPECT_EQ(editor.GetGradient().GetRecordCount(), 3u);
    EXPECT_FLOAT_EQ(editor.GetSelectedRecord()->fPosition, 0.5f);
    for (int x : {30, 60, 130, 160, 180, 190})
        test::Click(host.GetWindowHandle(), At(strip.left + x, y));
    EXPECT_EQ(editor.GetGradient().GetRecordCount(), 8u);
    // Drag the stop at 0.5 past its neighbours: it moves to 0.1 and the order follows.
    CBK_Gradient::GRADIENT_RECORD* half = editor.GetGradient().GetRecord(3);
    ASSERT_FLOAT_EQ(half->fPosition, 0.5f);
    test::Gesture(host.GetWindowHandle(), {At(editor.MarkerX(0.5f), y), At(strip.left + 20, y)});
    EXPECT_FLOAT_EQ(half->fPosition, 0.1f);
    EXPECT_EQ(editor.GetGradient().GetRecord(1), half);
    // Dragged 19 below the strip's bottom: removed.
    test::Gesture(host.GetWindowHandle(),
                  {At(editor.MarkerX(0.1f), y), At(strip.left + 20, strip.bottom + 19)});
    EXPECT_EQ(editor.GetGradient().GetRecordCount(), 7u);
    EXPECT_FALSE(editor.GetGradient().Contains(half));
}

TEST_F(GradientEditorTest, TwoStopsAreNeverDeletedAndTheSwatchRecolours) {
    const Rect& strip = editor.GetStripRect();
    CBK_Gradient::GRADIENT_RECORD* last = editor.GetGradient().GetRecord(1);
    test::Gesture(host.GetWindowHandle(),
                  {At(editor.MarkerX(1.0f), MarkerY()), At(strip.left + 150, strip.bottom + 30)});
    EXPECT_EQ(editor.GetGradient().GetRecordCount(), 2u);
    EXPECT_FLOAT_EQ(last->fPosition, 0.75f);
    EXPECT_EQ(editor.GetSelectedRecord(), editor.GetGradient().GetRecord(0));
    test::ScriptColorAnswer(true, RGBColor{0x4040, 0x8080, 0xC0C0});
    const Point swatch = At(editor.GetSwatchRect().left + 2, 5);
    ASSERT_TRUE(test::Click(host.GetWindowHandle(), swatch));
    EXPECT_EQ(editor.GetGradient().GetRecord(0)->nColor, 0xC08040u);
    EXPECT_EQ(test::ReadPixel(host.GetWindowHandle(), swatch.h, swatch.v), 0xFF4080C0u);
}

} // namespace
