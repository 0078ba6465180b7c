#include <gtest/gtest.h>

#include <string>

#include "core/paths/path.h"
#include "core/strings/cf_string.h"
#include "core/system/app_resources.h"
#include "platform/gestalt.h"
#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resource_fork.h"
#include "platform/windows/test_driver.h"
#include "tests/support/bounded_run.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"
#include "ui/menus/instance.h"
#include "ui/menus/menu.h"
#include "ui/menus/menu_functions.h"

namespace {

using namespace tbx;
using stravel::testing::ScratchBundle;
using stravel::testing::WindowingTest;

std::u16string ItemText(MenuRef menu, MenuItemIndex item) {
    CFStringRef text = nullptr;
    if (CopyMenuItemTextAsCFString(menu, item, &text) != noErr)
        return u"(none)";
    std::u16string out = text->Text();
    CFRelease(text);
    return out;
}

std::u16string Items(MenuID id) {
    MenuRef menu = GetMenuHandle(id);
    std::u16string out;
    for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) {
        MenuItemAttributes attributes = 0;
        GetMenuItemAttributes(menu, i, &attributes);
        out += (attributes & kMenuItemAttrSeparator) ? u"-" : ItemText(menu, i);
        out += u"|";
    }
    return out;
}

class MenuTest : public WindowingTest {
protected:
    void SetUp() override {
        WindowingTest::SetUp();
        CBK_MainInstance::Instance()->Create(static_cast<FSRef*>(nullptr));
    }
    void TearDown() override {
        test::ResetGestalt();
        CBK_MainInstance::Instance()->Create(static_cast<FSRef*>(nullptr));
        WindowingTest::TearDown();
    }
};

TEST_F(MenuTest, StandardMenuBarLosesQuitAndPreferencesOnlyOnTenAndLater) {
    test::SetGestalt(FourCC("sysv"), 0x0922);
    ASSERT_TRUE(BK_InitStandardMenuBar(false));
    EXPECT_EQ(Items(1000), u"New Project|Open Project...|Save Project|Save Project As...|-|Quit|");
    EXPECT_EQ(Items(1001), u"Undo|Redo|-|Preferences...|");

    test::SetGestalt(FourCC("sysv"), 0x1040);
    ASSERT_TRUE(BK_InitStandardMenuBar(false));
    EXPECT_EQ(Items(1000), u"New Project|Open Project...|Save Project|Save Project As...|");
    EXPECT_EQ(Items(1001), u"Undo|Redo|");
}

TEST_F(MenuTest, StandardMenuBarKeepsARealItemAboveQuitAndSurvivesAMissingMenu) {
    ScratchBundle bundle("");
    bundle.AddResource("nibs/main.xml", R"(<nib><menubar name="IDR_MENU">
        <menu id="1000" title="File"><item title="Close" command="clos"/>
          <item title="Quit" command="quit"/></menu>
        <menu id="1002" title="Other"><item title="Keep" command="pref"/></menu>
      </menubar></nib>)");
    ASSERT_TRUE(CBK_MainInstance::Instance()->Create(static_cast<FSRef*>(nullptr)));
    test::SetGestalt(FourCC("sysv"), 0x1040);
    ASSERT_TRUE(BK_InitStandardMenuBar(false));
    EXPECT_EQ(Items(1000), u"Close|");
    EXPECT_EQ(Items(1002), u"Keep|");
}

TEST_F(MenuTest, MainInstanceOpensOnce) {
    CBK_Instance* first = CBK_MainInstance::Instance();
    EXPECT_EQ(CBK_MainInstance::Instance(), first);
    EXPECT_NE(first->GetNibRef(), nullptr);
}

TEST_F(MenuTest, ItemsAreAddressedByCommandOrPosition) {
    CBK_Menu menu;
    ASSERT_TRUE(menu.Create(200, L"Title", false));
    EXPECT_TRUE(menu.DeleteAllItems()); // empty: nothing to do
    ASSERT_TRUE(menu.AppendMenuItem(FourCC("aaaa"), L"First", kMenuShiftModifier, L'F'));
    ASSERT_TRUE(menu.AppendSeparator());
    ASSERT_TRUE(menu.AppendMenuItem(FourCC("bbbb"), L"Second"));
    ASSERT_TRUE(menu.InsertMenuItem(0, FourCC("bbbb"), L"Zeroth", 0, 120, true));
    EXPECT_EQ(menu.GetItemCount(), 4u);

    MenuRef ref = menu.GetMenuHandle();
    UInt8 modifiers = 0;
    UInt16 key = 0;
    GetMenuItemModifiers(ref, 2, &modifiers);
    GetMenuItemCommandKey(ref, 2, false, &key);
    EXPECT_EQ(modifiers, kMenuShiftModifier);
    EXPECT_EQ(key, u'F');
    GetMenuItemCommandKey(ref, 1, true, &key);
    EXPECT_EQ(key, 120);

    EXPECT_TRUE(menu.CheckItem(1, true, true));
    EXPECT_TRUE(menu.IsItemChecked(1, true));
    EXPECT_FALSE(menu.IsItemChecked(FourCC("aaaa"), false));
    // Disabling by command reaches every item with it; an unknown command changes nothing.
    EXPECT_TRUE(menu.DisableItem(FourCC("bbbb"), false));
    EXPECT_FALSE(menu.IsItemEnabled(1, true));
    EXPECT_FALSE(menu.IsItemEnabled(4, true));
    EXPECT_TRUE(menu.IsItemEnabled(2, true));
    EXPECT_FALSE(menu.EnableItem(FourCC("none"), false));
    EXPECT_FALSE(menu.DeleteMenuItem(FourCC("none"), false));
    EXPECT_FALSE(menu.DeleteMenuItem(4, true)); // past the last
    EXPECT_FALSE(menu.CheckItem(5, true, true));
    EXPECT_EQ(menu.GetItemCount(), 4u);
    // Item 0 stands for the whole menu.
    EXPECT_TRUE(menu.DisableAllItems());
    EXPECT_FALSE(IsMenuItemEnabled(ref, 0));
    EXPECT_TRUE(menu.EnableAllItems(true));
    EXPECT_TRUE(menu.IsItemEnabled(4, true));

    wchar_t text[256];
    EXPECT_TRUE(menu.SetItemText(L"Caf\u00e9", FourCC("aaaa"), false));
    ASSERT_TRUE(menu.GetItemText(text, 2, true));
    EXPECT_STREQ(text, L"Caf\u00e9");
    EXPECT_TRUE(menu.DeleteMenuItem(0, true));
    ASSERT_TRUE(menu.GetItemText(text, 1, true));
    EXPECT_STREQ(text, L"Caf\u00e9");
    EXPECT_TRUE(menu.DeleteAllItems());
    EXPECT_EQ(menu.GetItemCount(), 0u);
    DisposeMenu(ref);
}

TEST_F(MenuTest, PopUpAnswersTheScriptedChoiceWithMenuIdAndItem) {
    CBK_Menu menu, sub;
    ASSERT_TRUE(menu.Create(300, L"", false));
    ASSERT_TRUE(sub.Create(301, L"", false));
    menu.AppendMenuItem(1, L"One");
    menu.AppendMenuItem(2, L"More");
    sub.AppendMenuItem(3, L"Deep");
    SetMenuItemHierarchicalMenu(menu.GetMenuHandle(), 2, sub.GetMenuHandle());
    CBK_Menu found;
    ASSERT_TRUE(menu.GetSubMenu(1, found));
    EXPECT_EQ(found.GetMenuHandle(), sub.GetMenuHandle());
    CBK_Menu none;
    EXPECT_TRUE(menu.GetSubMenu(0, none));
    EXPECT_FALSE(none.IsAttached());

    test::ScriptPopUpChoice(1);
    EXPECT_EQ(menu.TrackAsPopupMenu(40, 30, 0, nullptr), (300 << 16) | 1);
    EXPECT_EQ(test::PopUps().back().where.v, 30);
    EXPECT_EQ(test::PopUps().back().where.h, 40);
    test::ScriptPopUpChoice(1, 301);
    EXPECT_EQ(menu.TrackAsPopupMenu(0, 0, 0, nullptr), (301 << 16) | 1);
    menu.DisableItem(1, true);
    test::ScriptPopUpChoice(1);
    EXPECT_EQ(menu.TrackAsPopupMenu(0, 0, 0, nullptr), 0);
    // Menus that hang below each other in a circle are searched and freed once each.
    SetMenuItemHierarchicalMenu(sub.GetMenuHandle(), 1, menu.GetMenuHandle());
    test::ScriptPopUpChoice(1, 999);
    EXPECT_EQ(menu.TrackAsPopupMenu(0, 0, 0, nullptr), 0);
    DisposeMenuTree(menu.GetMenuHandle());
    EXPECT_FALSE(IsValidMenu(sub.GetMenuHandle()));
}

TEST_F(MenuTest, MenuBarInsertsAndRemovesMenusById) {
    MenuRef a = nullptr, b = nullptr;
    BK_CreateMenu(a, 10, L"A", false);
    BK_CreateMenu(b, 11, L"B", false);
    CBK_MenuBar bar;
    EXPECT_TRUE(bar.AppendMenu(a));
    EXPECT_TRUE(bar.InsertMenu(b, 10));
    EXPECT_EQ(bar.GetMenu(11), b);
    MenuBarHandle current = GetMenuBar();
    ASSERT_EQ(GetHandleSize(current), 2 * sizeof(MenuRef));
    EXPECT_EQ(reinterpret_cast<MenuRef*>(*current)[0], b);
    DisposeMenuBar(current);
    EXPECT_TRUE(bar.RemoveMenu(11));
    EXPECT_EQ(bar.GetMenu(11), nullptr);
    EXPECT_TRUE(bar.Hide());
    EXPECT_FALSE(bar.IsVisible());
}

// A 'MENU' resource: id, width, height, definition, filler, enable flags, title, then per item
// its text, icon, key, mark and style, ended by an empty text.
struct ItemDef {
    std::string text;
    char key = 0, mark = 0;
};

std::string MenuResource(int id, uint32_t enabled, const std::string& title,
                         const std::vector<ItemDef>& items) {
    std::string b{char(id >> 8), char(id), 0, 0, 0, 0, 0, 0, 0, 0};
    for (int shift = 24; shift >= 0; shift -= 8)
        b += char(enabled >> shift);
    b += char(title.size()) + title;
    for (const ItemDef& item : items)
        b += char(item.text.size()) + item.text + '\0' + item.key + item.mark + '\0';
    return b + '\0';
}

TEST_F(MenuTest, MenuBarsLoadFromMbarAndMenuResources) {
    stravel::testing::TempDir dir;
    CBK_Path resources(BK_FileSystemNameToWide((dir / "menus.rsrc").string()));
    ASSERT_TRUE(resources.CreateResFile(nullptr, false, false));
    const std::string file128 =
        MenuResource(128, 0b01011, "File",
                     {{"Open\xC9", 'O'}, {"-"}, {"Recent", 0x1B, char(130)}, {"Quit", 'Q'}});
    FSRef ref;
    ASSERT_TRUE(resources.GetFSRef(ref));
    ASSERT_EQ(
        rsrc::WriteForkResources(
            ref, false,
            {{FourCC("MBAR"), 128, 0, false, "", std::string("\0\2\0\x80\0\x81", 6)},
             {FourCC("MBAR"), 129, 0, false, "", std::string("\0\1\0\x83", 4)},
             {FourCC("MENU"), 128, 0, false, "", file128},
             {FourCC("MENU"), 129, 0, false, "",
              MenuResource(129, ~0u, "Edit", {{"Undo", 'Z', 0x12}})},
             {FourCC("MENU"), 130, 0, false, "", MenuResource(130, ~0u, "Recent", {{"a.stv"}})},
             {FourCC("MENU"), 131, 0, false, "", file128.substr(0, 20)}}),
        noErr);
    CBK_ResModule module;
    ASSERT_TRUE(module.Load(resources));
    const SInt16 previous = CurResFile();
    UseResFile(module.GetRefNum());

    CBK_MenuBar bar;
    ASSERT_TRUE(bar.Load(CBK_MainInstance::Instance()->GetNibRef(), uint32_t(128)));
    ASSERT_TRUE(bar.SetMenuBar(nullptr));
    EXPECT_EQ(Items(128), u"Open\u2026|-|Recent|Quit|");
    EXPECT_EQ(Items(129), u"Undo|");
    MenuRef file = GetMenuHandle(128), edit = GetMenuHandle(129), recent = nullptr;
    EXPECT_TRUE(IsMenuItemEnabled(file, 1));
    EXPECT_FALSE(IsMenuItemEnabled(file, 4));
    UInt16 key = 0;
    GetMenuItemCommandKey(file, 4, false, &key);
    EXPECT_EQ(key, 'Q');
    ASSERT_EQ(GetMenuItemHierarchicalMenu(file, 3, &recent), noErr);
    EXPECT_EQ(GetMenuID(recent), 130);
    EXPECT_EQ(ItemText(recent, 1), u"a.stv");
    CharParameter mark = 0;
    GetItemMark(edit, 1, &mark);
    EXPECT_EQ(mark, checkMark);
    // A bar naming a damaged menu, and a bar or menu that is not there.
    CBK_MenuBar damaged;
    EXPECT_FALSE(damaged.Load(CBK_MainInstance::Instance()->GetNibRef(), uint32_t(129)));
    EXPECT_FALSE(damaged.Load(CBK_MainInstance::Instance()->GetNibRef(), uint32_t(300)));
    CBK_Menu missing;
    EXPECT_FALSE(missing.Load(CBK_MainInstance::Instance()->GetNibRef(), uint32_t(300)));
    BK_DestroyMenuBar(bar.GetHandle());
    // The bar of three menus (File with its submenu, then Edit), and File with its submenu
    // alone: one that runs out of menus on the way is nothing, and leaves nothing behind.
    const std::size_t live = test::LiveMenus();
    for (const std::size_t more : {0, 1, 2, 3}) {
        test::LimitMenus(live + more);
        MenuBarHandle made = GetNewMBar(128);
        EXPECT_EQ(made != nullptr, more == 3) << more;
        EXPECT_EQ(test::LiveMenus(), live + (made ? 3 : 0)) << more;
        for (std::size_t i = 0; made && i < GetHandleSize(made) / sizeof(MenuRef); ++i)
            DisposeMenuTree(reinterpret_cast<MenuRef*>(*made)[i]);
        DisposeMenuBar(made);
        MenuRef file = GetMenu(128);
        EXPECT_EQ(file != nullptr, more >= 2) << more;
        EXPECT_EQ(test::LiveMenus(), live + (file ? 2 : 0)) << more;
        DisposeMenuTree(file);
    }
    UseResFile(previous);
}

// An 'MBAR' naming one menu of the most items again and again, or a menu resource that is
// mostly padding again and again, is refused within a bound; two full menus still load.
TEST_F(MenuTest, MenuBarsFromResourcesAreBounded) {
    stravel::testing::TempDir dir;
    CBK_Path resources(BK_FileSystemNameToWide((dir / "menus.rsrc").string()));
    ASSERT_TRUE(resources.CreateResFile(nullptr, false, false));
    const auto bar = [](std::size_t repeats, int id) {
        std::string b{char(repeats >> 8), char(repeats)};
        for (std::size_t i = 0; i < repeats; ++i)
            b += {char(id >> 8), char(id)};
        return b;
    };
    FSRef ref;
    ASSERT_TRUE(resources.GetFSRef(ref));
    ASSERT_EQ(rsrc::WriteForkResources(
                  ref, false,
                  {{FourCC("MBAR"), 128, 0, false, "", bar(4000, 128)},
                   {FourCC("MBAR"), 129, 0, false, "", bar(65535, 129)},
                   {FourCC("MBAR"), 130, 0, false, "", bar(2, 128)},
                   {FourCC("MENU"), 128, 0, false, "",
                    MenuResource(128, ~0u, "Full", std::vector<ItemDef>(32767, {"x"}))},
                   {FourCC("MENU"), 129, 0, false, "",
                    MenuResource(129, ~0u, "Padded", {}) + std::string(8 << 20, '\0')}}),
              noErr);
    CBK_ResModule module;
    ASSERT_TRUE(module.Load(resources));
    const SInt16 previous = CurResFile();
    UseResFile(module.GetRefNum());
    for (const uint32_t id : {128u, 129u}) {
        EXPECT_TRUE(stravel::testing::FinishesWithin(5, 300u << 20, [id] {
            CBK_MenuBar hostile;
            return !hostile.Load(CBK_MainInstance::Instance()->GetNibRef(), id);
        })) << id;
    }
    CBK_MenuBar full;
    ASSERT_TRUE(full.Load(CBK_MainInstance::Instance()->GetNibRef(), uint32_t(130)));
    ASSERT_TRUE(full.SetMenuBar(nullptr));
    EXPECT_EQ(CountMenuItems(GetMenuHandle(128)), 32767);
    BK_DestroyMenuBar(full.GetHandle());
    UseResFile(previous);
}

} // namespace
