#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "platform/fonts/font_catalog.h"
#include "platform/fonts/font_menu.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/font_panel.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/tools.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/fonts/font_button.h"
#include "ui/fonts/font_dialog.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

constexpr int32_t kOK = int32_t(FourCC("ok  ")), kCancel = int32_t(FourCC("not!"));

std::u16string Rows(CBK_ControlListView& list) {
    std::u16string out;
    for (UInt32 id : test::BrowserItems(list.GetControlHandle()))
        out += test::BrowserCellText(list.GetControlHandle(), id, 1) + u"|";
    return out;
}

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Two installed families under a fixed catalogue: the first with four faces, the second
// with one.
class FontDialogTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        families = fonts::Families();
        STRAVEL_REQUIRE(families.size() >= 2, "two font families are needed");
        test::SetFontMenuCatalog(
            {{families[0].id, {normal, bold, italic, bold | italic}}, {families[1].id, {normal}}});
        CBK_FontDialog::UseSystemFontChooser(false);
        ASSERT_TRUE(host.Create(50, 50, 300, 200, CBK_Dialog::kShow, nullptr));
    }
    void TearDown() override {
        test::SetFontMenuCatalog({});
        test::MisreportFontSubmenus(0);
        CBK_FontDialog::UseSystemFontChooser(true);
        UiTest::TearDown();
    }
    std::vector<fonts::Family> families;
    CBK_Dialog host;
};

TEST_F(FontDialogTest, ApplyWritesAndStaysOpenCancelWritesNothing) {
    CBK_Font font;
    font.SetMacFontId(families[0].id);
    font.SetMacFontStyle(bold);
    font.SetSize(13);
    CBK_FontDialog dialog;
    test::Script([&] {
        EXPECT_EQ(Rows(dialog.GetFontList()),
                  Wide(families[0].macName + "|" + families[1].macName + "|"));
        EXPECT_EQ(Rows(dialog.GetStyleList()), u"Regular|Bold|Italic|Bold Italic|");
        EXPECT_EQ(dialog._GetFontStyle(), bold); // the font shown
        EXPECT_EQ(dialog.GetSizeList().GetSelection(), 4);
        test::ClickBrowserItem(dialog.GetFontList().GetControlHandle(), 2);
    });
    test::Script([&] {
        EXPECT_EQ(Rows(dialog.GetStyleList()), u"Regular|"); // no submenu
        dialog.GetSizeEdit().SetText(L"15", true);
        test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("aply"));
    });
    test::Script([&] {
        EXPECT_TRUE(IsWindowVisible(dialog.GetWindowHandle()));
        EXPECT_EQ(font.GetMacFontId(), families[1].id);
        EXPECT_EQ(font.GetMacFontStyle(), 0);
        EXPECT_EQ(font.GetSize(), 15);
        test::ClickBrowserItem(dialog.GetFontList().GetControlHandle(), 1);
        dialog.GetSizeEdit().SetText(L"40", true);
        test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("not!"));
    });
    EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), kCancel);
    EXPECT_EQ(font.GetMacFontId(), families[1].id);
    EXPECT_EQ(font.GetSize(), 15);
}

TEST_F(FontDialogTest, ReturnAnswersOkAndEscapeCancels) {
    CBK_Font font;
    font.SetMacFontId(families[0].id);
    font.SetSize(13);
    // The size typed, the key, what the dialog answers and the size then kept.
    for (auto [typed, key, result, size] :
         {std::tuple{L"20", 36, kOK, 20}, std::tuple{L"30", 53, kCancel, 20}}) {
        CBK_FontDialog dialog;
        test::Script([&dialog, typed = typed, key = key] {
            dialog.GetSizeEdit().SetText(typed, true);
            test::PressKey(UInt16(key));
        });
        EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), result) << key;
        EXPECT_EQ(font.GetSize(), size) << key;
    }
}

TEST_F(FontDialogTest, SizeThatIsNoNumberKeepsTheSizeAndOddSizesStayAsTyped) {
    CBK_Font font;
    font.SetSize(17);
    CBK_FontDialog dialog;
    test::Script([&] {
        EXPECT_EQ(dialog.GetSizeEdit().GetText(), L"17"); // not a row: written as typed
        EXPECT_EQ(dialog.GetSizeList().GetSelection(), -1);
        dialog.GetSizeEdit().SetText(L"abc", true);
        test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("ok  "));
    });
    EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), kOK);
    EXPECT_EQ(font.GetSize(), 17);
    // Where the window stood is kept for the next time.
    EXPECT_EQ(dialog.GetFrame().width, 500);
    EXPECT_EQ(dialog.GetFrame().height, 320);
}

TEST_F(FontDialogTest, AMenuOutOfStepWithItsCountLeavesTheListsEmpty) {
    for (int extra : {-1, 3}) {
        test::MisreportFontSubmenus(extra);
        CBK_Font font;
        font.SetMacFontId(families[1].id);
        font.SetMacFontStyle(bold);
        CBK_FontDialog dialog;
        test::Script([&] {
            EXPECT_EQ(Rows(dialog.GetFontList()), u"");
            dialog.GetSizeEdit().SetText(L"24", true);
            test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("ok  "));
        });
        EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), kOK);
        EXPECT_EQ(font.GetMacFontId(), families[1].id); // unchanged
        EXPECT_EQ(font.GetMacFontStyle(), 0);
        EXPECT_EQ(font.GetSize(), 24);
    }
}

TEST_F(FontDialogTest, ShrinkingByMoreThanAHundredLaysOutAsForAHundred) {
    CBK_Font font;
    CBK_FontDialog dialog;
    test::Script([&] { test::ResizeWindow(dialog.GetWindowHandle(), 300, 100); });
    test::Script([&] {
        EXPECT_EQ(dialog.GetFontList().GetWidth(), 50);
        EXPECT_EQ(dialog.GetFontList().GetHeight(), 129);
        EXPECT_EQ(dialog.GetStyleList().GetXPos(), 69);
        EXPECT_EQ(dialog.GetStyleList().GetWidth(), 150);
        EXPECT_EQ(dialog.GetSizeList().GetHeight(), 129);
        dialog.EndModal(kCancel); // the buttons now lie outside the window
    });
    EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), kCancel);
}

TEST_F(FontDialogTest, SelectAndGetFontMarksTheParentOfASubmenuItem) {
    CBK_Font font;
    CBK_FontDialog dialog;
    test::Script([&] {
        const auto& entries = dialog.GetEntries();
        ASSERT_EQ(entries.size(), 2u);
        MenuRef submenu = entries[0]->styles[1]->hMenu;
        EXPECT_NE(dialog.SelectAndGetFont(submenu, 2), 0u);
        CharParameter mark = 0;
        GetItemMark(dialog.GetFontMenu(), entries[0]->nItem, &mark);
        EXPECT_EQ(mark, 18);
        GetItemMark(submenu, 2, &mark);
        EXPECT_NE(mark, 0);
        // The family without faces: the submenu's check and its parent's mark go.
        EXPECT_NE(dialog.SelectAndGetFont(dialog.GetFontMenu(), entries[1]->nItem), 0u);
        GetItemMark(dialog.GetFontMenu(), entries[0]->nItem, &mark);
        EXPECT_EQ(mark, 0);
        GetItemMark(submenu, 2, &mark);
        EXPECT_EQ(mark, 0);
        test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("not!"));
    });
    dialog.DoModal(font, host.GetWindowHandle());
}

TEST_F(FontDialogTest, TheSystemPanelIsAskedForOnTenTwoAndLater) {
    CBK_FontDialog::UseSystemFontChooser(true);
    test::ResetFontPanel();
    CBK_Font font;
    CBK_FontDialog dialog;
    EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), 0);
    EXPECT_TRUE(FPIsFontPanelVisible());
    EXPECT_EQ(test::VisibleWindows().size(), 1u);
}

// Families whose one face is italic or bold are offered and can be chosen.
TEST_F(FontDialogTest, FamiliesOfOneItalicOrOneBoldFaceAreOffered) {
    test::SetFontMenuCatalog({{families[0].id, {italic}}, {families[1].id, {bold}}});
    CBK_Font font;
    font.SetMacFontId(families[0].id);
    CBK_FontDialog dialog;
    test::Script([&] {
        EXPECT_EQ(Rows(dialog.GetFontList()),
                  Wide(families[0].macName + "|" + families[1].macName + "|"));
        test::ClickBrowserItem(dialog.GetFontList().GetControlHandle(), 2);
    });
    test::Script([&] { test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("ok  ")); });
    EXPECT_EQ(dialog.DoModal(font, host.GetWindowHandle()), kOK);
    EXPECT_EQ(font.GetMacFontId(), families[1].id);
}

TEST_F(FontDialogTest, EveryFamilyThatFontconfigListsIsOffered) {
    STRAVEL_REQUIRE_TOOL("fc-list");
    test::SetFontMenuCatalog({});
    const auto listed = stravel::testing::RunTool({"fc-list", ":", "family"});
    ASSERT_EQ(listed.exitCode, 0);
    CBK_Font font;
    CBK_FontDialog dialog;
    std::u16string rows;
    test::Script([&] {
        rows = Rows(dialog.GetFontList());
        test::ClickCommandButton(dialog.GetWindowHandle(), FourCC("not!"));
    });
    dialog.DoModal(font, host.GetWindowHandle());
    std::istringstream lines(listed.out);
    std::string line;
    int checked = 0;
    while (std::getline(lines, line)) {
        const std::string family = line.substr(0, line.find(','));
        EXPECT_NE(rows.find(Wide(family) + u"|"), std::u16string::npos) << family;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(FontDialogTest, FontButtonLabelPanelAndDialog) {
    CBK_Font* changed = nullptr;
    CBK_ControlFontButton button(
        [](CBK_Font& f, void* data) { *static_cast<CBK_Font**>(data) = &f; }, &changed);
    Rect r{10, 10, 30, 200};
    ASSERT_TRUE(button.Create(host, FourCC("bFnt"), r, L""));
    ASSERT_TRUE(button.OnInit());
    CBK_Font font;
    font.SetMacFontId(families[0].id);
    font.SetMacFontStyle(bold);
    font.SetSize(12);
    button.SetFont(font, true);
    test::ControlState state;
    test::ReadControl(button.GetControlHandle(), state);
    EXPECT_EQ(state.title, Wide(families[0].name + " Bold 12 pt"));

    // Through the toolkit's dialog: OK updates the label.
    test::Script([&] {
        WindowRef dialog = test::FocusedWindow();
        ASSERT_NE(dialog, host.GetWindowHandle());
        Rect bounds;
        GetWindowBounds(dialog, kWindowContentRgn, &bounds);
        EXPECT_EQ(bounds.left, 400); // the kept frame
        test::ClickCommandButton(dialog, FourCC("ok  "));
    });
    ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), FourCC("bFnt"), 0));
    test::ReadControl(button.GetControlHandle(), state);
    EXPECT_EQ(state.title, Wide(families[0].name + " Bold 12 pt"));

    // Through the system panel: a selection reaches the button and its callback.
    CBK_FontDialog::UseSystemFontChooser(true);
    test::ResetFontPanel();
    ASSERT_TRUE(test::ClickControl(host.GetWindowHandle(), FourCC("bFnt"), 0));
    EXPECT_TRUE(FPIsFontPanelVisible());
    EXPECT_EQ(CBK_ControlFontButton::GetCurrentFontButton(), &button);
    EventRef selection = nullptr;
    CreateEvent(nullptr, kEventClassFont, kEventFontSelection, 0, 0, &selection);
    const SInt16 size = 30, style = italic;
    SetEventParameter(selection, kEventParamFMFontSize, typeFMFontSize, sizeof size, &size);
    SetEventParameter(selection, kEventParamFMFontStyle, typeFMFontStyle, sizeof style, &style);
    SendEventToEventTarget(selection, GetControlEventTarget(button.GetControlHandle()));
    ReleaseEvent(selection);
    EXPECT_EQ(changed, &button.GetFont());
    test::ReadControl(button.GetControlHandle(), state);
    EXPECT_EQ(state.title, Wide(families[0].name + " Italic 30 pt"));
    // While the panel is in use, a font set by the program is told to it.
    font.SetSize(20);
    button.SetFont(font, true);
    const test::FontSelection told = test::LastFontSelection();
    EXPECT_TRUE(told.given);
    EXPECT_EQ(told.target, GetControlEventTarget(button.GetControlHandle()));
    EXPECT_EQ(told.size, 20 << 16);
    CBK_ControlFontButton::HideFontPanel();
    EXPECT_FALSE(FPIsFontPanelVisible());
    EXPECT_EQ(CBK_ControlFontButton::GetCurrentFontButton(), nullptr);
}

} // namespace
