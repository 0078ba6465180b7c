#include <gtest/gtest.h>

#include <vector>

#include "core/events/delegate.h"
#include "platform/windows/controls.h"
#include "platform/windows/events.h"
#include "platform/windows/test_driver.h"
#include "tests/ui/ui_fixture.h"
#include "ui/base/dialog.h"
#include "ui/controls/button_menu.h"
#include "ui/menus/menu.h"

namespace {

using namespace tbx;
using stravel::testing::UiTest;

struct Fired {
    std::vector<uint32_t> commands;
    void OnCommand(uint32_t command) { commands.push_back(command); }
};

class Host : public CBK_Dialog {
public:
    int hits = 0;
    bool OnCommand(uint32_t command, EventRef&) override {
        hits += command == FourCC("bMnu");
        return true;
    }
};

class ButtonMenuTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(host.Create(100, 100, 400, 300, CBK_Dialog::kShow, nullptr));
        ASSERT_TRUE(button.Create(host, FourCC("bMnu"), bounds, L"Edit"));
        button.m_CommandEvent.AddHandler(BK_MakeDelegate(fired, &Fired::OnCommand));
        top.Create(300, L"", false);
        sub.Create(301, L"", false);
        top.AppendMenuItem(FourCC("one "), L"One");
        top.AppendMenuItem(0, L"More");
        sub.AppendMenuItem(FourCC("deep"), L"Deep");
        sub.AppendMenuItem(0, L"Bare");
        SetMenuItemHierarchicalMenu(top.GetMenuHandle(), 2, sub.GetMenuHandle());
        EXPECT_EQ(button.SetMenu(top, false), nullptr);
        test::Flush();
    }
    // A click on the menu arrow at the right of the button.
    void ClickArrow() {
        test::Click(host.GetWindowHandle(),
                    Point{int16_t(bounds.top + 5), int16_t(bounds.right - 4)});
    }
    Rect bounds{20, 20, 40, 120};
    Host host;
    CBK_ControlButtonMenu button;
    CBK_Menu top, sub;
    Fired fired;
};

TEST_F(ButtonMenuTest, EachChoiceFiresItsOwnCommandOnce) {
    test::Click(host.GetWindowHandle(), Point{int16_t(bounds.top + 5), int16_t(bounds.left + 5)});
    EXPECT_TRUE(fired.commands.empty()); // the body is no menu
    EXPECT_EQ(host.hits, 1);

    test::ScriptPopUpChoice(1, 301);
    ClickArrow();
    EXPECT_EQ(fired.commands, std::vector<uint32_t>{FourCC("deep")});
    EXPECT_EQ(host.hits, 2);
    test::ScriptPopUpChoice(1);
    ClickArrow();
    test::ScriptPopUpChoice(2, 301); // no command: only the hit reports it
    ClickArrow();
    test::ScriptPopUpChoice(0); // dismissed
    ClickArrow();
    EXPECT_EQ(fired.commands, (std::vector<uint32_t>{FourCC("deep"), FourCC("one "), 0}));
}

TEST_F(ButtonMenuTest, CommandPathAndHitPathEachFireOnce) {
    // A menu command alone, as the platform may deliver a choice.
    HICommandExtended record;
    record.attributes = kHICommandFromMenu;
    record.commandID = FourCC("deep");
    record.source.menu.menuRef = sub.GetMenuHandle();
    record.source.menu.menuItemIndex = 1;
    EventRef command = nullptr;
    CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &command);
    SetEventParameter(command, kEventParamDirectObject, typeHICommand, sizeof record, &record);
    SendEventToEventTarget(command, GetControlEventTarget(button.GetControlHandle()));
    ReleaseEvent(command);
    EXPECT_EQ(fired.commands, std::vector<uint32_t>{FourCC("deep")});

    // Then a hit alone for the submenu choice made before (its menu id and item): the
    // submenu item's command, not that of the top item with the same number.
    test::ScriptPopUpChoice(1, 301);
    ClickArrow();
    fired.commands.clear();
    EventRef hit = nullptr;
    CreateEvent(nullptr, kEventClassControl, kEventControlHit, 0, 0, &hit);
    ControlRef control = button.GetControlHandle();
    const ControlPartCode part = kControlMenuPart;
    SetEventParameter(hit, kEventParamDirectObject, typeControlRef, sizeof control, &control);
    SetEventParameter(hit, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
    SendEventToEventTarget(hit, GetControlEventTarget(control));
    ReleaseEvent(hit);
    EXPECT_EQ(fired.commands, std::vector<uint32_t>{FourCC("deep")});
}

TEST_F(ButtonMenuTest, DestroyFreesTheMenuItOwns) {
    CBK_Menu other;
    other.Create(400, L"", false);
    EXPECT_EQ(button.SetMenu(other, false), top.GetMenuHandle());
    MenuRef owned = other.GetMenuHandle();
    button.Destroy();
    EXPECT_FALSE(IsValidMenu(owned));
    EXPECT_TRUE(IsValidMenu(top.GetMenuHandle())); // given back by SetMenu, not freed
    DisposeMenuTree(top.GetMenuHandle());
}

} // namespace
