#include <gtest/gtest.h>

#include <string>

#include "core/prefs/prefs_manager.h"
#include "platform/windows/controls.h"
#include "platform/windows/test_driver.h"
#include "platform/windows/windows.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/prefs_fixture.h"
#include "tests/support/tools.h"
#include "tests/ui/ui_fixture.h"
#include "ui/dialogs/file_relocate_dialog.h"
#include "ui/dialogs/file_replace_dialog.h"
#include "ui/dialogs/warning_dialog.h"
#include "ui/menus/instance.h"

namespace {

using namespace tbx;
using stravel::testing::ScratchBundle;
using stravel::testing::TempDir;
using stravel::testing::UiTest;
using stravel::testing::WriteFileBytes;

constexpr int32_t kDialogNo = 20000;

class FilePromptsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        WriteFileBytes(dir / "movie.swf", "FWS");
        existing = CBK_Path(std::wstring(L"") + Wide((dir / "movie.swf").string()));
        Rect bounds{100, 100, 400, 600};
        CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute, &bounds, &parent);
    }
    void TearDown() override {
        DisposeWindow(parent);
        UiTest::TearDown();
    }
    static std::wstring Wide(const std::string& text) {
        return std::wstring(text.begin(), text.end());
    }
    // Answers the prompt by ticking "Apply To All" when asked, then clicking `button`.
    int32_t Replace(int32_t mode, bool all, OSType button, WindowRef on) {
        test::Script([=] {
            if (all)
                test::ClickControl(nullptr, FourCC("cAll"), kDialogNo);
            test::ClickControl(nullptr, button, kDialogNo);
        });
        return BK_DoReplaceAllFileDialog(existing, on, mode);
    }
    TempDir dir;
    CBK_Path existing;
    WindowRef parent = nullptr;
};

TEST_F(FilePromptsTest, ReplacePromptAnswersInBothModes) {
    CBK_Path missing(Wide((dir / "none.swf").string()));
    EXPECT_EQ(BK_DoReplaceAllFileDialog(missing, parent, 1), -1);
    EXPECT_EQ(test::PendingSteps(), 0u);
    ShowWindow(parent);
    EXPECT_EQ(Replace(1, false, FourCC("ok  "), parent), 1000);
    EXPECT_EQ(Replace(1, true, FourCC("ok  "), parent), 1001);
    EXPECT_EQ(Replace(1, false, FourCC("bDnt"), parent), 1002);
    EXPECT_EQ(Replace(1, true, FourCC("bDnt"), parent), 1003);
    EXPECT_EQ(Replace(1, true, FourCC("bStp"), parent), 1004);
    // Any other mode shows two buttons only.
    test::Script([] {
        EXPECT_NE(test::FindControl(test::FocusedWindow(), FourCC("ok  "), kDialogNo), nullptr);
        EXPECT_EQ(test::FindControl(test::FocusedWindow(), FourCC("bStp"), kDialogNo), nullptr);
        EXPECT_EQ(test::FindControl(test::FocusedWindow(), FourCC("cAll"), kDialogNo), nullptr);
        test::ClickControl(nullptr, FourCC("bDnt"), kDialogNo);
    });
    EXPECT_EQ(BK_DoReplaceAllFileDialog(existing, parent, 0), 1002);
    EXPECT_EQ(Replace(0, false, FourCC("ok  "), parent), 1000);
}

TEST_F(FilePromptsTest, ReplacePromptWithoutAVisibleParentIsAMovableModalWindow) {
    WindowRef shown = nullptr;
    test::Script([&] {
        shown = test::FocusedWindow();
        test::ClickControl(nullptr, FourCC("ok  "), kDialogNo);
    });
    EXPECT_EQ(BK_DoReplaceAllFileDialog(existing, parent, 1), 1000); // parent hidden
    WindowClass windowClass = 0;
    EXPECT_EQ(GetWindowClass(shown, &windowClass), errInvalidWindowRef); // gone after the loop
    test::Script([&] {
        GetWindowClass(test::FocusedWindow(), &windowClass);
        test::ClickControl(nullptr, FourCC("bDnt"), kDialogNo);
    });
    EXPECT_EQ(BK_DoReplaceAllFileDialog(existing, nullptr, 0), 1002);
    EXPECT_EQ(windowClass, kMovableModalWindowClass);
}

TEST_F(FilePromptsTest, APromptThatCannotBeAnsweredMeansDoNotReplace) {
    ExpectScriptFailures();
    EXPECT_EQ(BK_DoReplaceAllFileDialog(existing, nullptr, 1), 1002);
    bool replace = true;
    EXPECT_TRUE(BK_DoReplaceFileDialog(L"movie.swf", nullptr, replace));
    EXPECT_FALSE(replace);
    EXPECT_FALSE(BK_DoReplaceFileDialog(existing, nullptr));
}

TEST_F(FilePromptsTest, SingleFileAlertReplacesOnlyOnItsReplaceButton) {
    bool replace = false;
    test::Script([] { test::AnswerAlert(1); });
    EXPECT_TRUE(BK_DoReplaceFileDialog(L"movie.swf", parent, replace));
    EXPECT_TRUE(replace);
    const test::AlertRecord& alert = test::Alerts().back();
    EXPECT_EQ(alert.type, kAlertCautionAlert);
    EXPECT_EQ(alert.buttons[0], u"Replace");
    EXPECT_EQ(alert.buttons[1], u"Cancel");
    EXPECT_EQ(alert.defaultItem, 2);
    EXPECT_EQ(alert.cancelItem, 0);
    test::Script([] { test::PressKey(36); }); // Return
    BK_DoReplaceFileDialog(L"movie.swf", parent, replace);
    EXPECT_FALSE(replace);
    CBK_Path missing(Wide((dir / "none.swf").string()));
    EXPECT_TRUE(BK_DoReplaceFileDialog(missing, parent));
}

TEST_F(FilePromptsTest, RelocatePromptAnswersByButton) {
    CBK_FileRelocatePromptDialog::SETTINGS settings{L"Missing File", L"Where is movie.mov?"};
    const std::pair<OSType, int32_t> cases[] = {{FourCC("ok  "), int32_t(FourCC("ok  "))},
                                                {FourCC("bDnt"), 1001},
                                                {FourCC("bRep"), 1002},
                                                {FourCC("bCan"), int32_t(FourCC("not!"))}};
    for (const auto& [button, answer] : cases) {
        CBK_FileRelocatePromptDialog prompt(existing, settings);
        std::u16string title;
        test::Script([&, button = button] {
            test::ControlState state;
            test::ReadControl(test::FindControl(test::FocusedWindow(), FourCC("sMsg"), kDialogNo),
                              state);
            title = state.text;
            test::ClickControl(nullptr, button, kDialogNo);
        });
        EXPECT_EQ(prompt.DoModal(nullptr), answer);
        EXPECT_EQ(title, u"Where is movie.mov?");
    }
}

TEST_F(FilePromptsTest, FinderListsFoldersAndTheMissingNameAndRemembersFolders) {
    std::filesystem::create_directories(dir / "moved/sub");
    WriteFileBytes(dir / "moved/MOVIE.SWF", "FWS");
    WriteFileBytes(dir / "moved/other.swf", "FWS");
    CBK_Path found;
    EXPECT_FALSE(CBK_FileRelocateDialog::FindFile(existing, found));

    test::NavAnswer answer;
    answer.listFolder = (dir / "moved").string();
    answer.paths = {(dir / "moved/MOVIE.SWF").string()};
    test::ScriptNavAnswer(answer);
    CBK_FileRelocateDialog finder;
    ASSERT_TRUE(finder.DoModal(existing, found, nullptr));
    EXPECT_EQ(found.GetString(), Wide((dir / "moved/MOVIE.SWF").string()));
    EXPECT_EQ(test::NavDialogs().back().title, u"Please Relocate: movie.swf");
    EXPECT_EQ(test::NavDialogs().back().listed, (std::vector<std::string>{"MOVIE.SWF", "sub"}));

    CBK_FileRelocateDialog::AddFoundPath(found);
    CBK_Path other(Wide((dir / "gone/other.swf").string()));
    ASSERT_TRUE(CBK_FileRelocateDialog::FindFile(other, found));
    EXPECT_EQ(found.GetString(), Wide((dir / "moved/other.swf").string()));
    CBK_FileRelocateDialog::ResetFoundPaths();
    EXPECT_FALSE(CBK_FileRelocateDialog::FindFile(other, found));
}

TEST_F(FilePromptsTest, SiblingLibraryIsBuiltOnlyWhenItExists) {
    std::filesystem::create_directories(dir / "Dunmere/dnb.bundle");
    CBK_Path out(L"unchanged");
    test::NavAnswer answer;
    answer.paths = {dir.Path().string()};
    test::ScriptNavAnswer(answer);
    EXPECT_FALSE(BK_RelocateDunmereDll(out, nullptr));
    EXPECT_EQ(out.GetString(), L"unchanged");
    EXPECT_EQ(test::NavDialogs().back().kind, 3);
    answer.paths = {(dir / "Dunmere").string()};
    test::ScriptNavAnswer(answer);
    ASSERT_TRUE(BK_RelocateDunmereDll(out, nullptr));
    EXPECT_EQ(out.GetString(), Wide((dir / "Dunmere/dnb.bundle").string()));
}

TEST_F(FilePromptsTest, WarningCanBeSilencedByItsCheckBox) {
    ScratchBundle scratch("");
    scratch.AddResource("nibs/main.xml", R"(<nib>
      <window name="IDD_WARN" class="movable-modal" left="100" top="100" width="300" height="100"
              title="Warning">
        <control kind="check" signature="cDwm" number="60" left="10" top="60" width="150"
                 height="18" title="Don't warn me again"/>
        <control kind="push" signature="ok  " number="60" command="ok  " left="200" top="60"
                 width="80" height="20" title="OK"/>
      </window></nib>)");
    ASSERT_TRUE(CBK_MainInstance::Instance()->Create(static_cast<FSRef*>(nullptr)));
    bool show = false;
    EXPECT_EQ(BK_ShowWarning(L"IDD_WARN", nullptr, false, show), int32_t(FourCC("ok  ")));
    show = true;
    test::Script([] { test::ClickControl(nullptr, FourCC("ok  "), 60); });
    EXPECT_EQ(BK_ShowWarning(L"IDD_WARN", nullptr, false, show), int32_t(FourCC("ok  ")));
    EXPECT_TRUE(show);
    test::Script([] {
        test::ClickControl(nullptr, FourCC("cDwm"), 60);
        test::ClickControl(nullptr, FourCC("ok  "), 60);
    });
    EXPECT_TRUE(BK_ShowWarning(L"IDD_WARN", nullptr, show));
    EXPECT_FALSE(show);
}

} // namespace

namespace {

class KestrowLocatorTest : public stravel::testing::PrefsFolderTest {
protected:
    void SetUp() override {
        PrefsFolderTest::SetUp();
        test::ResetWindowing();
    }
    void TearDown() override {
        test::ResetWindowing();
        PrefsFolderTest::TearDown();
    }
};

TEST_F(KestrowLocatorTest, TheFinderLooksForTheApplicationItsPreferencesName) {
    const auto moved = _dir / "Moved";
    std::filesystem::create_directories(moved);
    WriteFileBytes(moved / "Kestrow.app", "app");
    WriteFileBytes(moved / "Kestrow.dll", "dll");
    {
        CBK_PrefsManager prefs;
        ASSERT_TRUE(prefs.OpenRegistry(L"Kestrow", CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST,
                                       CBK_PrefsManager::ACCESS_WRITE));
        prefs.SetString(L"app_path", L"/Applications/Kestrow.app");
    }
    test::NavAnswer answer;
    answer.listFolder = moved.string();
    answer.paths = {(moved / "Kestrow.app").string()};
    test::ScriptNavAnswer(answer);
    CBK_Path out;
    ASSERT_TRUE(BK_RelocateKestrowDll(out, nullptr));
    const std::string dll = (moved / "Kestrow.dll").string();
    EXPECT_EQ(out.GetString(), std::wstring(dll.begin(), dll.end()));
    EXPECT_EQ(test::NavDialogs().back().title, u"Please Relocate: Kestrow.app");
    EXPECT_EQ(test::NavDialogs().back().listed, std::vector<std::string>{"Kestrow.app"});

    test::NavAnswer cancel;
    cancel.cancel = true;
    test::ScriptNavAnswer(cancel);
    CBK_Path unchanged(L"kept");
    EXPECT_FALSE(BK_RelocateKestrowDll(unchanged, nullptr));
    EXPECT_EQ(unchanged.GetString(), L"kept");
}

} // namespace
