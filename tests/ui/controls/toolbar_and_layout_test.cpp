#include <gtest/gtest.h>

#include <string>

#include "platform/windows/controls.h"
#include "platform/windows/help_tags.h"
#include "platform/windows/nib.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/button.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_positioner.h"
#include "ui/controls/toolbar.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

const char* kToolbarNib = R"(<nib>
  <window name="IDD_TOOLS" class="document" left="50" top="50" width="300" height="100" title="T">
    <control kind="radio" signature="tAdd" number="0" command="tAdd" left="10" top="10"
             width="32" height="32"/>
    <control kind="radio" signature="tDel" number="0" command="tDel" left="50" top="10"
             width="32" height="32"/>
    <control kind="radio" signature="tRun" number="0" command="tRun" left="90" top="10"
             width="32" height="32"/>
  </window>
</nib>)";

class ToolbarTest : public UiTest {
protected:
    std::u16string Tag(ControlRef control) {
        HMHelpContentRec content;
        HMGetControlHelpContent(control, &content);
        std::u16string text;
        if (content.content[kHMMinimumContentIndex].contentType == kHMCFStringContent)
            text = content.content[kHMMinimumContentIndex].tagCFString->Text();
        for (const HMHelpContent& part : content.content)
            CFRelease(part.tagCFString);
        return text;
    }
};

TEST_F(ToolbarTest, ButtonsAreBoundByCommandAndTagged) {
    bundle.AddResource("nibs/tools.xml", kToolbarNib);
    IBNibRef tools = nullptr;
    ASSERT_EQ(CreateNibReference(CFSTR("tools"), &tools), noErr);
    WindowRef window = nullptr;
    ASSERT_EQ(CreateWindowFromNib(tools, CFSTR("IDD_TOOLS"), &window), noErr);
    CBK_ControlToolbar toolbar;
    ASSERT_TRUE(toolbar.Init(window, 0, 0, 0, 0));
    EXPECT_EQ(toolbar.GetButton(0), nullptr);
    EXPECT_TRUE(toolbar.AddButton(nullptr, FourCC("tAdd"), -1, 0, 0));
    EXPECT_FALSE(toolbar.AddButton(nullptr, FourCC("tNon"), -1, 0, 0));
    EXPECT_TRUE(toolbar.AddButton(nullptr, FourCC("tDel"), 5, 0, 0)); // no such icon
    EXPECT_TRUE(toolbar.AddButton(nullptr, FourCC("tRun"), -1, 0, 0));
    EXPECT_EQ(toolbar.GetButtonCount(), 3);
    EXPECT_EQ(toolbar.GetButton(-3)->idCommand, FourCC("tAdd"));
    EXPECT_EQ(toolbar.GetButton(99)->idCommand, FourCC("tRun"));
    EXPECT_FALSE(toolbar.Check(FourCC("tNon"), true));
    EXPECT_TRUE(toolbar.Check(FourCC("tDel"), true));
    EXPECT_TRUE(toolbar.IsChecked(FourCC("tDel")));
    EXPECT_FALSE(toolbar.IsChecked(FourCC("tAdd")));
    EXPECT_TRUE(toolbar.EnableButton(FourCC("tRun"), false));
    ControlRef run = test::FindControl(window, FourCC("tRun"), 0);
    EXPECT_FALSE(IsControlActive(run));

    // 20001 has a text in the test's string table, 29999 none.
    EXPECT_FALSE(toolbar.AddToolTip(FourCC("tRun"), 20001));
    EXPECT_EQ(Tag(run), u"Title from id");
    CBK_ControlToolTip tip;
    ControlRef add = test::FindControl(window, FourCC("tAdd"), 0);
    EXPECT_FALSE(tip.AddTool(add, 29999));
    EXPECT_EQ(Tag(add), u"");
    EXPECT_TRUE(tip.AddTool(add, L"Add media"));
    EXPECT_EQ(Tag(add), u"Add media");
    DisposeWindow(window);
    DisposeNibReference(tools);
}

TEST_F(ToolbarTest, PositionerWorksFromTheRegisteredLayout) {
    CBK_Dialog host;
    ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    CBK_ControlButton ok, fixed;
    CBK_ControlComboBox combo;
    Rect a{250, 300, 270, 380}, b{10, 10, 30, 90}, c{40, 10, 60, 200};
    ASSERT_TRUE(ok.Create(host, FourCC("ok  "), a, L"OK"));
    ASSERT_TRUE(fixed.Create(host, FourCC("bFix"), b, L"Fixed"));
    ASSERT_TRUE(combo.Create(host, FourCC("cSiz"), c, L""));
    CBK_ControlPositioner positioner;
    positioner.Add(ok, true, true, false, false);
    positioner.Add(fixed, false, false, false, false);
    positioner.Add(combo, false, false, true, false);
    test::ControlState state;
    test::ReadControl(fixed.GetControlHandle(), state);
    const uint32_t draws = state.drawCount;
    fixed.SetPos(0, 0);

    positioner.Reposition(50, 20);
    positioner.Reposition(60, 30);
    EXPECT_EQ(ok.GetXPos(), 360);
    EXPECT_EQ(ok.GetYPos(), 280);
    EXPECT_EQ(combo.GetWidth(), 250); // edit box and arrow together
    EXPECT_EQ(fixed.GetXPos(), 10);
    test::ReadControl(fixed.GetControlHandle(), state);
    EXPECT_EQ(state.drawCount, draws + 2);
    positioner.Reposition(0, 0);
    EXPECT_EQ(ok.GetXPos(), 300);
    EXPECT_EQ(combo.GetWidth(), 190);
}

} // namespace
