#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths/path.h"
#include "platform/resources/resource_fork.h"
#include "platform/windows/test_driver.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"
#include "ui/files/file_dialog.h"

namespace {

using namespace tbx;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WindowingTest;
using stravel::testing::WriteFileBytes;

// Scratch paths are plain ASCII.
std::wstring Wide(const std::filesystem::path& path) {
    const std::string text = path.string();
    return std::wstring(text.begin(), text.end());
}

class FileDialogTest : public WindowingTest {
protected:
    test::NavAnswer Chosen(std::vector<std::string> paths) {
        test::NavAnswer answer;
        answer.paths = std::move(paths);
        return answer;
    }
    TempDir dir;
};

TEST_F(FileDialogTest, OpenWithMultipleSelectionReturnsEveryChosenFile) {
    std::vector<std::string> paths;
    for (const char* name : {"a.mov", "b.mov", "c.mov"}) {
        WriteFileBytes(dir / name, "x");
        paths.push_back((dir / name).string());
    }
    test::ScriptNavAnswer(Chosen(paths));
    CBK_FileFilter filter;
    filter.MakeVideoFilter();
    CBK_FileOpenDialog dialog;
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    settings.filter = &filter;
    settings.multipleSelection = true;
    settings.title = L"Add Media";
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    ASSERT_TRUE(dialog.DoModal(result, nullptr, &settings));
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.count, 3);
    EXPECT_EQ(result.path.GetString(), Wide(dir / "a.mov"));
    ASSERT_EQ(result.morePaths.size(), 2u);
    EXPECT_EQ(result.morePaths[1].GetString(), Wide(dir / "c.mov"));
    const test::NavRecord& shown = test::NavDialogs().back();
    EXPECT_EQ(shown.kind, 1);
    EXPECT_TRUE(shown.multiple);
    EXPECT_EQ(shown.title, u"Add Media");
    ASSERT_EQ(shown.popup.size(), 7u);
    EXPECT_EQ(shown.popup[0], u"All Videos");
    EXPECT_EQ(shown.popup[2], u"MOV");
    EXPECT_EQ(shown.popup[6], u"All Files");

    test::NavAnswer cancel;
    cancel.cancel = true;
    test::ScriptNavAnswer(cancel);
    CBK_FileDialog::FILEDLG_RESULT_TYPE none;
    EXPECT_FALSE(dialog.DoModal(none, nullptr, &settings));
    EXPECT_FALSE(none.valid);
}

TEST_F(FileDialogTest, SaveJoinsTheTypedNameAndRefusesNamesThatLeaveTheFolder) {
    CBK_FileSaveDialog dialog;
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    CBK_FileFilter filter;
    filter.MakeVideoFilter();
    settings.filter = &filter;
    settings.defaultName = L"movie.swf";
    test::NavAnswer answer;
    answer.folder = dir.Path().string();
    answer.popupItem = 2; // MOV: the proposed name takes its extension
    test::ScriptNavAnswer(answer);
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    ASSERT_TRUE(dialog.DoModal(result, nullptr, &settings));
    EXPECT_EQ(result.path.GetString(), Wide(dir / "movie.mov"));
    EXPECT_EQ(result.filterIndex, 2);
    EXPECT_FALSE(result.path.FileExists());

    for (const char16_t* bad : {u"a/b", u".", u"..", u""}) {
        answer.popupItem = -1;
        answer.name = bad;
        answer.hasName = true;
        test::ScriptNavAnswer(answer);
        CBK_FileDialog::FILEDLG_RESULT_TYPE refused;
        EXPECT_FALSE(dialog.DoModal(refused, nullptr, &settings));
        EXPECT_FALSE(refused.valid);
        EXPECT_EQ(refused.count, 0);
    }
}

TEST_F(FileDialogTest, ObjectFilterListsByFinderTypeThenExtensionAndAlwaysFolders) {
    WriteFileBytes(dir / "clip.mov", "x");
    WriteFileBytes(dir / "notes.txt", "x");
    WriteFileBytes(dir / "typed", "x");
    std::filesystem::create_directory(dir / "sub");
    // Finder information as another program writes it: type 'MooV', creator 'TVOD'.
    const std::string info = "0x4d6f6f5654564f44" + std::string(48, '0');
    // Where the file system keeps no user attributes the file simply has no type.
    const bool typed = stravel::testing::HaveTool("setfattr") &&
                       RunTool({"setfattr", "-n", "user.com.apple.FinderInfo", "-v", info,
                                (dir / "typed").string()})
                               .exitCode == 0;

    CBK_FileFilter filter;
    filter.MakeVideoFilter();
    CBK_FileOpenDialog dialog;
    CBK_FileDialog::FILEDLG_SETTINGS_TYPE settings;
    settings.filter = &filter;
    test::NavAnswer answer;
    answer.cancel = true;
    answer.listFolder = dir.Path().string();
    test::ScriptNavAnswer(answer);
    CBK_FileDialog::FILEDLG_RESULT_TYPE result;
    dialog.DoModal(result, nullptr, &settings);
    std::vector<std::string> expected{"clip.mov", "sub"};
    if (typed)
        expected.push_back("typed");
    EXPECT_EQ(test::NavDialogs().back().listed, expected);

    answer.popupItem = 6; // All Files
    test::ScriptNavAnswer(answer);
    dialog.DoModal(result, nullptr, &settings);
    EXPECT_EQ(test::NavDialogs().back().listed,
              (std::vector<std::string>{"clip.mov", "notes.txt", "sub", "typed"}));

    // The index kept from that run does not fit a shorter filter: its first entry is used.
    CBK_FileFilter text;
    text.MakeTxtFilter();
    settings.filter = &text;
    answer.popupItem = -1;
    answer.cancel = false;
    answer.paths = {(dir / "notes.txt").string()};
    test::ScriptNavAnswer(answer);
    ASSERT_TRUE(dialog.DoModal(result, nullptr, &settings));
    EXPECT_EQ(result.filterIndex, 0);
    EXPECT_EQ(test::NavDialogs().back().listed, (std::vector<std::string>{"notes.txt", "sub"}));
}

TEST_F(FileDialogTest, FilterEntriesInsertByPosition) {
    CBK_FileFilter filter;
    filter.InsertFilter(FourCC("MooV"), nullptr, nullptr, 0);
    filter.InsertFilter(FourCC("Mp3 "), L"Songs", nullptr, 1);
    filter.InsertFilter(FourCC("JPEG"), nullptr, nullptr, 65535);
    filter.InsertAllFilesFilter(-1);
    ASSERT_EQ(filter.GetFilterCount(), 4);
    EXPECT_EQ(filter.GetFilter(0)->description, L"All Files");
    EXPECT_EQ(filter.GetFilter(2)->description, L"Songs");
    EXPECT_EQ(filter.GetFilter(3)->description, L"JPEG");
    EXPECT_TRUE(filter.GetFilter(3)->HasExtension(L"JPEG"));
    EXPECT_TRUE(filter.GetFilter(3)->HasExtension(L"jpg"));
    EXPECT_FALSE(filter.GetFilter(3)->HasFilter(FourCC("MooV")));
    EXPECT_TRUE(filter.GetFilter(0)->HasFilter(FourCC("MooV")));
    EXPECT_EQ(filter.GetFilter(4), nullptr);
    EXPECT_EQ(filter.GetExtension(0), nullptr);
    EXPECT_STREQ(filter.GetExtension(1), L"mov");
    filter.InsertFilter(FourCC("none"), nullptr, nullptr, 65535);
    EXPECT_EQ(filter.GetFilter(4)->description, L"");
    EXPECT_EQ(filter.GetExtension(4), nullptr);
}

TEST_F(FileDialogTest, LoadAnswersWhetherTheApplicationHasTheOpenResource) {
    stravel::testing::ScratchBundle bundle("");
    CBK_Path resources(Wide(bundle.Path() / "Contents/Resources/main.rsrc"));
    ASSERT_TRUE(resources.CreateResFile(nullptr, false, false));
    FSRef ref;
    ASSERT_TRUE(resources.GetFSRef(ref));
    ASSERT_EQ(rsrc::WriteForkResources(ref, false, {{FourCC("open"), 128, 0, false, "", "MooV"}}),
              noErr);
    CBK_FileFilter filter;
    filter.MakeTxtFilter();
    EXPECT_TRUE(filter.Load(128));
    EXPECT_FALSE(filter.Load(129));
    EXPECT_EQ(filter.GetFilterCount(), 2);
}

} // namespace
