#include <gtest/gtest.h>

#include <string>

#include "core/prefs/prefs_manager.h"
#include "platform/windows/test_driver.h"
#include "tests/support/prefs_fixture.h"
#include "tests/support/tools.h"
#include "ui/menus/recent_menu.h"

namespace {

using namespace tbx;
using stravel::testing::PrefsFolderTest;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;

constexpr auto kUser = CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST;

class RecentMenuTest : public PrefsFolderTest {
protected:
    void SetUp() override {
        PrefsFolderTest::SetUp();
        test::ResetWindowing();
        parent.Create(1000, L"File", false);
        for (int i = 0; i < 12; ++i)
            parent.AppendMenuItem(0, L"item");
    }
    void TearDown() override {
        test::ResetWindowing();
        PrefsFolderTest::TearDown();
    }
    CBK_Path File(const std::string& name) {
        WriteFileBytes(_dir / name, "x");
        const std::string path = (_dir / name).string();
        return CBK_Path(std::wstring(path.begin(), path.end()));
    }
    std::wstring ItemText(CBK_RecentMenu& menu, uint32_t position) {
        wchar_t text[256] = {};
        menu.GetSubMenu().GetItemText(text, position + 1, true);
        return text;
    }
    CBK_Menu parent;
};

TEST_F(RecentMenuTest, ListSurvivesAPreferencesRoundTripInOrder) {
    STRAVEL_REQUIRE_TOOL("python3");
    CBK_Path a = File("a.mov"), b = File("b.mov"), c = File("c.mov");
    CBK_RecentMenu menu;
    ASSERT_TRUE(menu.Attach(parent.GetMenuHandle(), 10, 3001, 5500));
    menu.Add(a, false);
    menu.Add(b, false);
    menu.Add(c, true);
    ASSERT_EQ(menu.GetSubMenu().GetItemCount(), 3u);
    EXPECT_EQ(ItemText(menu, 0), c.GetString());
    {
        CBK_RecentMenuData data;
        menu.UpdateData(data);
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, CBK_PrefsManager::ACCESS_WRITE));
        data.WritePrefs(prefs, L"recent_media");
    }
    const auto result =
        RunTool({"python3", "-c",
                 "import plistlib,sys\n"
                 "d=plistlib.load(open(sys.argv[1],'rb'))\n"
                 "print(d['recent_media_max'], d['recent_media_1'][-5:], d['recent_media_2'][-5:],"
                 " d['recent_media_3'][-5:], 'recent_media_4' in d)\n",
                 UserFolder() + "/Stravel.plist"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "5 c.mov b.mov a.mov False\n");

    CBK_RecentMenuData read;
    CBK_PrefsManager prefs;
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, CBK_PrefsManager::ACCESS_READ));
    ASSERT_TRUE(read.ReadPrefs(prefs, L"recent_media"));
    CBK_RecentMenu again;
    ASSERT_TRUE(again.Attach(parent.GetMenuHandle(), 9, 3000, 5000));
    again.SetData(read);
    again.UpdateMenu();
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(ItemText(again, i), ItemText(menu, i));
    EventRef none = nullptr;
    EXPECT_EQ(again.OnCommand(5002, none)->GetString(), a.GetString());
    EXPECT_EQ(again.OnCommand(5003, none), nullptr);
    EXPECT_EQ(again.OnCommand(4999, none), nullptr);
}

TEST_F(RecentMenuTest, ReadingSkipsGoneFilesStopsAtAGapAndBoundsTheMaximum) {
    CBK_Path a = File("a.mov"), c = File("c.mov"), d = File("d.mov");
    {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, CBK_PrefsManager::ACCESS_WRITE));
        prefs.SetNumber(L"recent_projects_max", static_cast<uint32_t>(4000000000u));
        prefs.SetString(L"recent_projects_1", a.GetString().c_str());
        prefs.SetString(L"recent_projects_2", L"/nowhere/gone.stv");
        prefs.SetString(L"recent_projects_3", c.GetString().c_str());
        prefs.SetString(L"recent_projects_5", d.GetString().c_str()); // after the gap at _4
    }
    CBK_RecentMenuData data;
    CBK_PrefsManager prefs;
    ASSERT_TRUE(prefs.OpenRegistry(L"Stravel", kUser, CBK_PrefsManager::ACCESS_READ));
    data.ReadPrefs(prefs, L"recent_projects");
    EXPECT_EQ(data.GetMaxItems(), CBK_RecentMenuData::kLargestMax);
    ASSERT_EQ(data.GetSize(), 2);
    EXPECT_EQ(data.GetRecentItem(0)->GetString(), c.GetString());
    EXPECT_EQ(data.GetRecentItem(1)->GetString(), a.GetString());
    EXPECT_EQ(data.GetRecentItem(2), nullptr);
}

TEST_F(RecentMenuTest, DuplicatesMoveUpAndOnlyTheMaximumCounts) {
    CBK_RecentMenuData data;
    for (const wchar_t* name : {L"/m/1", L"/m/2", L"/m/3", L"/m/4", L"/m/5", L"/m/6"}) {
        CBK_Path path(name);
        data.Add(path);
    }
    EXPECT_EQ(data.GetSize(), 6);
    EXPECT_EQ(data.GetCurrentItemCount(), 5);
    CBK_Path upper(L"/M/3");
    data.Add(upper);
    EXPECT_EQ(data.GetSize(), 6);
    EXPECT_EQ(data.GetRecentItem(0)->GetString(), L"/M/3");
    // The sixth entry is not counted, so adding it again lists it twice.
    CBK_Path oldest(L"/m/1");
    data.Add(oldest);
    EXPECT_EQ(data.GetSize(), 7);
    // Adding an entry of the list itself moves that very object.
    CBK_Path* third = data.GetRecentItem(2);
    data.Add(*third);
    EXPECT_EQ(data.GetRecentItem(0), third);

    CBK_RecentMenuData& same = data;
    data = same;
    EXPECT_EQ(data.GetSize(), 7);
    CBK_RecentMenuData copy;
    copy = data;
    // Reversed, with the duplicate "/m/1" folded into one entry.
    ASSERT_EQ(copy.GetSize(), 6);
    EXPECT_EQ(copy.GetRecentItem(0)->GetString(), L"/m/1");
    EXPECT_EQ(copy.GetRecentItem(5)->GetString(), L"/m/6");
}

} // namespace
