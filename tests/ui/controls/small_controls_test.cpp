#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files/launch.h"
#include "platform/windows/controls.h"
#include "platform/windows/menus.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/group_box.h"
#include "ui/controls/hot_key_edit_box.h"
#include "ui/controls/list_box.h"
#include "ui/controls/url_control.h"
#include "ui/graphics/keys.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class SmallControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
    }
    void TearDown() override {
        test::SetLauncher(nullptr);
        UiTest::TearDown();
    }
    CBK_Dialog host;
};

TEST_F(SmallControlsTest, GroupBoxTitleIsBoundedByTheBuffer) {
    CBK_ControlGroupBox box;
    Rect r{10, 10, 100, 200};
    ASSERT_TRUE(box.Create(host, FourCC("gOpt"), r, L"Options"));
    ASSERT_TRUE(box.SetText(L"Gr\u00f6\u00dfe", true));
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    int32_t length = 4;
    ASSERT_TRUE(box.GetText(small, length));
    EXPECT_STREQ(small, L"Gr\u00f6");
    EXPECT_EQ(length, 3);
    wchar_t big[64];
    length = 64;
    box.GetText(big, length);
    EXPECT_STREQ(big, L"Gr\u00f6\u00dfe");
    const unsigned char pascal[] = "\x03"
                                   "abc";
    box.SetText(pascal, false);
    length = 64;
    box.GetText(big, length);
    EXPECT_STREQ(big, L"abc");
}

TEST_F(SmallControlsTest, ListBoxClampsItsIndices) {
    Rect r{10, 10, 30, 200};
    ControlRef popup = nullptr;
    ASSERT_EQ(CreatePopupButtonControl(host.GetWindowHandle(), &r, nullptr, -12345, false, 0, 0, 0,
                                       &popup),
              noErr);
    const ControlID id{FourCC("lBox"), 0};
    SetControlID(popup, &id);
    CBK_ControlListBox list;
    ASSERT_TRUE(list.Init(FourCC("lBox"), host.GetWindowHandle(), 0));
    EXPECT_FALSE(list.AppendItem(L"no menu yet"));
    MenuRef menu = NewMenu(500, nullptr);
    SetControlData(popup, 0, kControlPopupButtonOwnedMenuRefTag, sizeof menu, &menu);
    for (const wchar_t* text : {L"one", L"two", L"three"})
        ASSERT_TRUE(list.AppendItem(text));
    EXPECT_EQ(GetControl32BitMinimum(popup), 1);
    EXPECT_EQ(GetControl32BitMaximum(popup), 3);
    ASSERT_TRUE(list.RemoveItem(10));          // the last one
    ASSERT_TRUE(list.InsertItem(L"zero", -4)); // first
    Str255 text;
    GetMenuItemText(menu, 1, text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "zero");
    GetMenuItemText(menu, 3, text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "two");
    list.SetCurrentItem(99);
    EXPECT_EQ(list.GetCurrentItem(), 2);
    list.SetCurrentItem(-3);
    EXPECT_EQ(list.GetCurrentItem(), 0);
    ASSERT_TRUE(list.RemoveAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(GetControl32BitMaximum(popup), 0);
    EXPECT_FALSE(list.RemoveItem(0));
}

TEST_F(SmallControlsTest, HotKeyFieldKeepsTheKeyCodeAndShowsItsName) {
    CBK_ControlHotKeyEditBox box;
    Rect r{10, 10, 26, 200};
    ASSERT_TRUE(box.Create(host, FourCC("eKey"), r, L""));
    box.SetFocus();
    test::TypeText(u"a");
    wchar_t name[32];
    BK_KeyCodeToString(0, name);
    ASSERT_NE(name[0], L'\0');
    wchar_t shown[32];
    EXPECT_GT(box.GetText(shown, 32), 0);
    EXPECT_STREQ(shown, name);
    EXPECT_EQ(box.GetKeyCode(), 0);
    test::PressKey(36);
    EXPECT_EQ(box.GetKeyCode(), 36);
    BK_KeyCodeToString(36, name);
    box.GetText(shown, 32);
    EXPECT_STREQ(shown, name);
    wchar_t two[2] = {L'x', L'x'};
    EXPECT_EQ(box.GetText(two, 2), 1); // one character and the terminator
    EXPECT_EQ(two[1], L'\0');
}

TEST_F(SmallControlsTest, LinkClickHandsTheUrlToTheOpenerAsOneArgument) {
    std::vector<std::vector<std::string>> started;
    test::SetLauncher([&](const std::vector<std::string>& argv, UInt32* pid) {
        started.push_back(argv);
        if (pid)
            *pid = 42;
        return noErr;
    });
    CBK_ControlUrl link;
    Rect r{50, 10, 66, 200};
    ASSERT_TRUE(link.Create(host, FourCC("uWeb"), r, L"Home page"));
    test::ClickControl(host.GetWindowHandle(), FourCC("uWeb"), 0);
    EXPECT_TRUE(started.empty()); // no URL: nothing is opened
    EXPECT_FALSE(link.SetUrl(nullptr));
    ASSERT_TRUE(link.SetUrl(L"https://example.invalid/a b;$(rm)&x=\u00e4"));
    test::Click(host.GetWindowHandle(), Point{300, 300}); // elsewhere
    EXPECT_TRUE(started.empty());
    test::ClickControl(host.GetWindowHandle(), FourCC("uWeb"), 0);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], (std::vector<std::string>{
                              "xdg-open", "https://example.invalid/a b;$(rm)&x=\xc3\xa4"}));
    for (const wchar_t* refused : {L"file:///etc/passwd", L"-x https://example.invalid", L"x"}) {
        ASSERT_TRUE(link.SetUrl(refused));
        test::ClickControl(host.GetWindowHandle(), FourCC("uWeb"), 0);
    }
    EXPECT_EQ(started.size(), 1u); // only web and mail addresses reach the opener
    wchar_t text[5];
    int32_t length = 5;
    ASSERT_TRUE(link.GetText(text, length));
    EXPECT_STREQ(text, L"Home");
    test::ControlState state;
    test::ReadControl(link.GetControlHandle(), state);
    EXPECT_EQ(state.fontStyle.style, underline);
}

} // namespace
