#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/strings/cf_string.h"
#include "platform/windows/controls.h"
#include "platform/windows/nib.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/drop_list.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class Host : public CBK_Dialog {
public:
    std::vector<uint32_t> commands;
    bool OnInit() override { return true; }
    bool OnCommand(uint32_t command, EventRef&) override {
        commands.push_back(command);
        return true;
    }
};

const char* kChoosersNib = R"(<nib>
  <window name="IDD_CHOOSE" class="document" left="50" top="50" width="300" height="200" title="C">
    <control kind="edit" signature="eRat" number="7" left="10" top="10" width="100" height="20"/>
    <control kind="popup" signature="cRat" number="7" command="cRat" left="110" top="10"
             width="32" height="20"><item title="12"/><item title="25"/><item title="29.97"/>
    </control>
    <control kind="popup" signature="cBad" number="7" left="10" top="50" width="32" height="20"/>
  </window>
</nib>)";

class ChoosersTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    }
    Host host;
};

std::wstring Current(CBK_ControlDropList& list) {
    wchar_t text[8];
    list.GetCurrentItem(text, 8);
    return text;
}

TEST_F(ChoosersTest, DropListItemsKeepTheControlLimitsInStep) {
    CBK_ControlDropList list;
    Rect r{10, 10, 30, 150};
    ASSERT_TRUE(list.Create(host, FourCC("dFmt"), r, L"Format", 0));
    ControlRef control = list.GetControlHandle();
    EXPECT_EQ(list.DeleteItem(0), -1); // empty: nothing to delete
    EXPECT_FALSE(list.SetCurrentItem(0));
    EXPECT_EQ(list.GetCurrentItem(), -1);
    EXPECT_EQ(list.AppendItem(L"b"), 1);
    EXPECT_EQ(GetControl32BitMinimum(control), 1);
    EXPECT_EQ(GetControl32BitMaximum(control), 1);
    EXPECT_EQ(list.InsertItem(L"a", 0), 0);
    EXPECT_EQ(list.InsertItem(L"c", 99), 2);
    EXPECT_EQ(list.InsertItem(L"d", 99), 3);
    EXPECT_EQ(list.InsertItem(L"first", -4), 0);
    EXPECT_EQ(list.FindItem(L"c"), 3);
    EXPECT_EQ(list.FindItem(L"C"), -1);
    EXPECT_TRUE(list.SetCurrentItem(-5));
    EXPECT_EQ(Current(list), L"first");
    EXPECT_TRUE(list.SetCurrentItem(50));
    EXPECT_EQ(Current(list), L"d");
    EXPECT_EQ(list.DeleteItem(99), 4);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(GetControl32BitMinimum(control), 0);
    EXPECT_EQ(GetControl32BitMaximum(control), 0);
    EXPECT_EQ(list.AppendItem(L"x"), 1);
    EXPECT_EQ(list.DeleteItem(0), 0);
    EXPECT_EQ(GetControl32BitMaximum(control), 0);
}

TEST_F(ChoosersTest, AClickedPickBecomesTheCurrentItem) {
    CBK_ControlDropList list;
    Rect r{10, 10, 30, 150};
    ASSERT_TRUE(list.Create(host, FourCC("dFmt"), r, L"", 0));
    list.AppendItem(L"one");
    list.AppendItem(L"two");
    test::ScriptPopUpChoice(2);
    ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), FourCC("dFmt"), 0));
    EXPECT_EQ(list.GetCurrentItem(), 1);
    ASSERT_EQ(host.commands.size(), 1u);
    test::ScriptPopUpChoice(0); // dismissed: no hit
    test::ClickControl(host.GetWindowHandle(), FourCC("dFmt"), 0);
    EXPECT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(list.GetCurrentItem(), 1);
}

TEST_F(ChoosersTest, NibComboCopiesThePickedItemIntoItsEditBox) {
    bundle.AddResource("nibs/choosers.xml", kChoosersNib);
    IBNibRef choosers = nullptr;
    ASSERT_EQ(CreateNibReference(CFSTR("choosers"), &choosers), noErr);
    Host dialog;
    ASSERT_TRUE(dialog.LoadDialog(choosers, L"IDD_CHOOSE", nullptr, 7));
    dialog.Show();
    CBK_ControlComboBox combo, broken;
    ASSERT_TRUE(combo.Init(FourCC("cRat"), dialog.GetWindowHandle(), 7));
    // No paired edit box: binding fails and item calls stay harmless.
    EXPECT_FALSE(broken.Init(FourCC("cBad"), dialog.GetWindowHandle(), 7));
    EXPECT_EQ(broken.AppendItem(L"x"), -1);
    EXPECT_EQ(broken.DeleteItem(0), -1);

    EXPECT_EQ(combo.GetItemCount(), 3);
    test::ScriptPopUpChoice(3);
    ASSERT_TRUE(test::ClickControl(dialog.GetWindowHandle(), FourCC("cRat"), 7));
    wchar_t text[16];
    EXPECT_EQ(combo.GetText(text, 16), 5);
    EXPECT_STREQ(text, L"29.97");
    EXPECT_DOUBLE_EQ(combo.GetTextAsFloat(), 29.97);
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0], FourCC("cRat"));
    EXPECT_TRUE(combo.SetCurrentItem(0));
    EXPECT_EQ(combo.GetTextAsNumber(), 12);
    EXPECT_EQ(combo.DeleteItem(7), 3);
    dialog.Destroy();
    DisposeNibReference(choosers);
}

TEST_F(ChoosersTest, ComboMadeInCodeMovesAndSizesAsOne) {
    CBK_ControlComboBox combo;
    Rect r{20, 10, 40, 142};
    ASSERT_TRUE(combo.Create(host, FourCC("cSiz"), r, L""));
    EXPECT_EQ(combo.AppendItem(L"320"), 1);
    EXPECT_TRUE(combo.SetCurrentItem(0));
    EXPECT_EQ(combo.GetTextAsNumber(), 320);
    EXPECT_EQ(combo.GetWidth(), 132);
    EXPECT_TRUE(combo.SetPos(50, 60));
    Rect bounds;
    ASSERT_TRUE(combo.GetBounds(bounds));
    EXPECT_EQ(bounds.left, 50);
    EXPECT_EQ(bounds.top, 60);
    EXPECT_EQ(bounds.right, 182);
    EXPECT_TRUE(combo.SetSize(200, 24));
    ASSERT_TRUE(combo.GetBounds(bounds));
    EXPECT_EQ(bounds.right - bounds.left, 200);
    EXPECT_EQ(combo.GetHeight(), 24);
    Rect arrow;
    GetControlBounds(combo.GetControlHandle(), &arrow);
    EXPECT_EQ(arrow.right - arrow.left, CBK_ControlComboBox::kArrowWidth);
    EXPECT_TRUE(combo.Hide());
    EXPECT_FALSE(IsControlVisible(combo.GetEditBox().GetControlHandle()));
}

} // namespace
