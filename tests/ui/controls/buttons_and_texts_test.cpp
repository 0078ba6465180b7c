#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/events/delegate.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/text_engine.h"
#include "platform/windows/windows.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/bevel_button.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/radio_button.h"
#include "ui/controls/static_text.h"
#include "ui/controls/tab_control.h"
#include "ui/controls/text_box.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

class Host : public CBK_Dialog {
public:
    std::vector<uint32_t> commands;
    bool OnCommand(uint32_t command, EventRef&) override {
        commands.push_back(command);
        return true;
    }
};

// A dialog whose OnInit succeeds, so that loading it succeeds.
class Loaded : public CBK_Dialog {
public:
    bool OnInit() override { return true; }
};

class ControlsUiTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        test::Flush();
    }
    test::ControlState State(CBK_Control& control) {
        test::ControlState state;
        test::ReadControl(control.GetControlHandle(), state);
        return state;
    }
    Host host;
};

std::string IconFamily() {
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    std::string planes;
    for (int c = 0; c < 3; ++c)
        planes += std::string{char(0xFF), char(0x40), char(0xFB), char(0x40)};
    const std::string body = "is32" + be32(8 + uint32_t(planes.size())) + planes + "s8mk" +
                             be32(8 + 256) + std::string(256, char(0xFF));
    return "icns" + be32(8 + uint32_t(body.size())) + body;
}

TEST_F(ControlsUiTest, PushButtonTitleValueAndIcon) {
    CBK_ControlButton button;
    Rect r{10, 10, 30, 90};
    ASSERT_TRUE(button.Create(host, FourCC("bGo "), r, L"Hello"));
    EXPECT_FALSE(button.Create(host, FourCC("bTwo"), r, L"Again"));
    EXPECT_EQ(button.GetDefaultHeight(), 17);
    EXPECT_EQ(State(button).kind, "push");
    EXPECT_EQ(State(button).title, u"Hello");

    wchar_t text[16];
    int32_t length = 6;
    EXPECT_FALSE(button.GetText(text, length));
    EXPECT_EQ(length, 6);
    length = 7;
    ASSERT_TRUE(button.GetText(text, length));
    EXPECT_EQ(length, 5);
    EXPECT_STREQ(text, L"Hello");
    ASSERT_TRUE(button.SetText(20001, true));
    EXPECT_EQ(State(button).title, u"Title from id");

    EXPECT_FALSE(button.IsChecked());
    button.Toggle(true);
    EXPECT_TRUE(button.IsChecked());
    button.Toggle(true);
    EXPECT_FALSE(button.IsChecked());
    button.Check(true, false);
    EXPECT_TRUE(button.IsChecked());

    bundle.AddResource("main.rsrc/icns/500", IconFamily());
    EXPECT_FALSE(button.SetIcon(501, FourCC("bIcn")));
    ASSERT_TRUE(button.SetIcon(500, FourCC("bIcn")));
    EXPECT_EQ(State(button).content.contentType, kControlContentIconRef);
    EXPECT_NE(State(button).content.content, nullptr);
    EXPECT_TRUE(button.SetAsDefault());

    // A click reaches the dialog with the button's code.
    test::ClickControl(host.GetWindowHandle(), FourCC("bGo "), 0);
    EXPECT_EQ(host.commands, (std::vector<uint32_t>{FourCC("bGo ")}));
}

TEST_F(ControlsUiTest, CheckBoxTogglesItselfRadioButtonDoesNot) {
    CBK_ControlCheckBox check;
    CBK_ControlRadioButton radio;
    Rect r1{10, 10, 30, 90}, r2{40, 10, 60, 90};
    ASSERT_TRUE(check.Create(host, FourCC("cChk"), r1, 20001));
    ASSERT_TRUE(radio.Create(host, FourCC("rRad"), r2, L"Radio"));
    EXPECT_EQ(State(check).title, u"Title from id");
    test::ClickControl(host.GetWindowHandle(), FourCC("cChk"), 0);
    test::ClickControl(host.GetWindowHandle(), FourCC("rRad"), 0);
    EXPECT_TRUE(check.IsChecked());
    EXPECT_FALSE(radio.IsSet());
    EXPECT_EQ(host.commands, (std::vector<uint32_t>{FourCC("cChk"), FourCC("rRad")}));
    check.Toggle(true);
    check.Toggle(true);
    EXPECT_TRUE(check.IsChecked());
    check.Uncheck(true);
    EXPECT_FALSE(check.IsChecked());
    EXPECT_TRUE(radio.Set(true, true));
    EXPECT_TRUE(radio.IsSet());
    EXPECT_TRUE(radio.Unset(false));
    EXPECT_FALSE(radio.IsSet());
}

TEST_F(ControlsUiTest, BevelButtonAndBareControls) {
    CBK_ControlBevelButton bevel;
    Rect r{10, 10, 30, 90};
    ASSERT_TRUE(bevel.Create(host, FourCC("bBev"), r, L"Bevel"));
    EXPECT_EQ(State(bevel).kind, "bevel");
    EXPECT_EQ(bevel.GetDefaultHeight(), 17);
    bundle.AddResource("main.rsrc/icns/500", IconFamily());
    ASSERT_TRUE(bevel.SetIcon(500, 0));
    EXPECT_EQ(State(bevel).content.contentType, kControlContentIconRef);

    ControlRef bare = nullptr;
    WindowRef window = host.GetWindowHandle();
    ASSERT_TRUE(BK_CreateControlCheckBox(bare, 5, 6, 70, 18, L"Box", window));
    test::ControlState state;
    test::ReadControl(bare, state);
    EXPECT_EQ(state.bounds, (Rect{6, 5, 24, 75}));
    EXPECT_EQ(state.value, 0);
    ASSERT_TRUE(BK_CreateControlRadioButton(bare, 5, 30, 70, 18, L"R", window));
    ASSERT_TRUE(BK_CreateControlButton(bare, 5, 60, 70, 18, L"B", window));
    WindowRef stale = nullptr;
    EXPECT_FALSE(BK_CreateControlButton(bare, 5, 60, 70, 18, L"B", stale));
}

TEST_F(ControlsUiTest, StaticTextSettersAndFormats) {
    CBK_ControlStaticText text;
    Rect r{10, 10, 26, 200};
    ASSERT_TRUE(text.Create(host, FourCC("sTxt"), r, L"start"));
    EXPECT_EQ(State(text).text, u"start");
    EXPECT_EQ(State(text).fontStyle.font, kControlFontSmallSystemFont);
    text.SetTextWithNumber(-42, true);
    EXPECT_EQ(State(text).text, u"-42");
    text.SetTextWithFloat(2.5, 0, 2, true);
    EXPECT_EQ(State(text).text, u"2.50");
    text.SetTextWithFloat(2.5, 6, 1, true);
    EXPECT_EQ(State(text).text, u"   2.5");
    text.SetTextWithFloat(2.5, 4, 0, true);
    EXPECT_EQ(State(text).text, u"   2");
    EXPECT_TRUE(text.SetFormatText(true, L"%ls: %d%%", L"done", 50));
    EXPECT_EQ(State(text).text, u"done: 50%");
    EXPECT_FALSE(text.SetFormatText(true, L"broken %"));
    EXPECT_EQ(State(text).text, u"done: 50%");
    const unsigned char pascal[] = "\x04"
                                   "caf\x8E";
    text.SetText(pascal, true);
    EXPECT_EQ(State(text).text, u"caf\u00e9");
    text.SetText(20001, true);
    EXPECT_EQ(State(text).text, u"Title from id");

    wchar_t buffer[8];
    int32_t length = 8;
    ASSERT_TRUE(text.GetText(buffer, length));
    EXPECT_STREQ(buffer, L"Title f");
    EXPECT_EQ(length, 13);
    text.Clear(true);
    EXPECT_EQ(State(text).text, u"");

    std::wstring big(5000, L'y');
    EXPECT_TRUE(text.SetFormatText(false, L"%ls", big.c_str()));
    EXPECT_EQ(State(text).text.size(), 5000u);
}

struct TabLog {
    std::vector<int32_t> selections;
    void OnChange(CBK_ControlTab& tab) { selections.push_back(tab.GetCurrentSelection()); }
};

TEST_F(ControlsUiTest, TabControlShowsOnePanePerTab) {
    Loaded dialog;
    ASSERT_TRUE(dialog.LoadDialog(nib, L"IDD_TEST", nullptr, 60));
    WindowRef window = dialog.GetWindowHandle();
    // Two panes in the window beside the nib's: build a tab control over them.
    ControlRef root = nullptr;
    GetRootControl(window, &root);
    Rect tabBounds{10, 10, 200, 390};
    ControlRef tabs = nullptr;
    CreateUserPaneControl(window, &tabBounds, kControlSupportsEmbedding, &tabs);
    CBK_ControlTab tab;
    const ControlID tabId{FourCC("tTab"), 60};
    SetControlID(tabs, &tabId);
    ControlRef paneA = nullptr, paneB = nullptr;
    Rect pane{40, 20, 190, 380};
    CreateUserPaneControl(window, &pane, kControlSupportsEmbedding, &paneA);
    CreateUserPaneControl(window, &pane, kControlSupportsEmbedding, &paneB);
    const ControlID a{0, 3001}, b{0, 3002};
    SetControlID(paneA, &a);
    SetControlID(paneB, &b);
    ASSERT_TRUE(dialog.GetControl(FourCC("tTab"), tab));
    SetControl32BitMaximum(tabs, 2);
    SetControl32BitMinimum(tabs, 1);
    EXPECT_EQ(tab.AddItem(window, 3001, L"A"), 0);
    EXPECT_EQ(tab.AddItem(window, 3002, 20001), 0);
    EXPECT_EQ(tab.AddItem(window, 3003, 99999), -1);
    EXPECT_EQ(tab.GetNumberOfTabs(), 2);
    EXPECT_EQ(tab.GetPane(1), paneB);
    EXPECT_EQ(tab.GetPane(2), nullptr);

    TabLog log;
    tab.m_OnTabChange.AddHandler(BK_MakeDelegate(log, &TabLog::OnChange));
    ASSERT_TRUE(tab.SetCurrentSelection(1, true));
    EXPECT_FALSE(IsControlVisible(paneA));
    EXPECT_TRUE(IsControlVisible(paneB));
    EXPECT_EQ(tab.GetCurrentSelection(), 1);
    EXPECT_EQ(log.selections, (std::vector<int32_t>{1}));

    // A missing pane: all hidden, the value still changes and the change fires.
    DisposeControl(paneB);
    ASSERT_TRUE(tab.SetCurrentSelection(1, true));
    EXPECT_FALSE(IsControlVisible(paneA));
    EXPECT_EQ(log.selections, (std::vector<int32_t>{1, 1}));
    EXPECT_FALSE(tab.DeleteItem(0));
    EXPECT_FALSE(tab.DeleteAllItems());
}

TEST_F(ControlsUiTest, ClickingATabFiresOnceAndTheWindowDoesNotSeeIt) {
    class Owner : public Loaded {
    public:
        int commands = 0;
        bool OnCommand(uint32_t, EventRef&) override {
            ++commands;
            return false;
        }
    } owner;
    const char* nibText = R"(<nib><window name="IDD_TABS" left="100" top="100" width="300"
      height="200"><control kind="tabs" signature="tTab" number="7" left="0" top="0"
      width="300" height="200"><tab title="One"/><tab title="Two"/>
      <control kind="pane" number="701" left="10" top="30" width="280" height="160"/>
      <control kind="pane" number="702" left="10" top="30" width="280" height="160"
               visible="false"/></control></window></nib>)";
    bundle.AddResource("nibs/tabs.xml", nibText);
    IBNibRef tabsNib = nullptr;
    ASSERT_EQ(CreateNibReference(CFSTR("tabs"), &tabsNib), noErr);
    ASSERT_TRUE(owner.LoadDialog(tabsNib, L"IDD_TABS", nullptr, 7));
    owner.Show();
    CBK_ControlTab tab;
    ASSERT_TRUE(owner.GetControl(FourCC("tTab"), tab));
    tab.AddItem(owner.GetWindowHandle(), 701, L"");
    tab.AddItem(owner.GetWindowHandle(), 702, L"");
    TabLog log;
    tab.m_OnTabChange.AddHandler(BK_MakeDelegate(log, &TabLog::OnChange));
    ASSERT_TRUE(test::Click(owner.GetWindowHandle(), Point{10, 200}));
    EXPECT_EQ(log.selections, (std::vector<int32_t>{1}));
    EXPECT_EQ(owner.commands, 0);
    EXPECT_TRUE(IsControlVisible(tab.GetPane(1)));
    EXPECT_FALSE(IsControlVisible(tab.GetPane(0)));
    DisposeNibReference(tabsNib);
}

TEST_F(ControlsUiTest, TextBoxBuiltInCodeStaysReadOnly) {
    CBK_ControlTextBox box;
    Rect r{10, 10, 110, 210};
    ASSERT_TRUE(box.Create(host, FourCC("tBox"), r, L"first", 0));
    test::TextObjectState state = test::ReadTextObject(box.GetTextObject());
    EXPECT_EQ(state.text, u"first");
    EXPECT_TRUE(state.readOnly);
    EXPECT_EQ(state.options, 0x1808u);
    EXPECT_EQ(state.margins.leftMargin, 3);
    EXPECT_EQ(state.frame, r);
    EXPECT_TRUE(state.focused);
    EXPECT_EQ(state.refCon, &box);

    ASSERT_TRUE(box.SetText(L"second \U0001F600", true));
    ASSERT_TRUE(box.AddText(L" more", false));
    state = test::ReadTextObject(box.GetTextObject());
    EXPECT_EQ(state.text, u"second \U0001F600 more");
    EXPECT_TRUE(state.readOnly);
    EXPECT_EQ(state.selectionStart, 0u);
    // The text object refuses changes of its own while read-only.
    const char16_t x = u'x';
    EXPECT_EQ(TXNSetData(box.GetTextObject(), kTXNUnicodeTextData, &x, 2, 0, 0), kTXNReadOnlyErr);

    ASSERT_TRUE(box.SetReadOnly(false));
    EXPECT_FALSE(test::ReadTextObject(box.GetTextObject()).readOnly);
    // The box keeps its read-only mark: a new text leaves it read-only again.
    box.SetText(L"third", false);
    EXPECT_TRUE(test::ReadTextObject(box.GetTextObject()).readOnly);
    EXPECT_EQ(test::ReadTextObject(box.GetTextObject()).text, u"third");

    const uint32_t draws = test::ReadTextObject(box.GetTextObject()).drawCount;
    Draw1Control(box.GetControlHandle());
    EXPECT_EQ(test::ReadTextObject(box.GetTextObject()).drawCount, draws + 1);

    box.Hide();
    EXPECT_EQ(test::ReadTextObject(box.GetTextObject()).frame, (Rect{-1000, -1000, 0, 0}));
    box.Show(true);
    EXPECT_EQ(test::ReadTextObject(box.GetTextObject()).frame, r);
    wchar_t buffer[4];
    int32_t length = 4;
    EXPECT_FALSE(box.GetText(buffer, length));
}

} // namespace
