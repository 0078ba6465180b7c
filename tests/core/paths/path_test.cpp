#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

#include "core/files/file_create_attributes.h"
#include "core/paths/path.h"
#include "core/paths/path_list.h"
#include "platform/bundle.h"
#include "tests/support/private_folders.h"

namespace {

namespace fs = std::filesystem;
using stravel::testing::ReadFileBytes;
using stravel::testing::WriteFileBytes;

std::wstring W(const fs::path& path) {
    return BK_FileSystemNameToWide(path.string());
}

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        bundle = folders.Root() / "apps" / "Stravel.app";
        fs::create_directories(bundle / "Contents" / "Resources" / "English.lproj");
        tbx::test::SetMainBundlePath(bundle.string());
        gBK_TempSubFolder.clear();
    }
    void TearDown() override {
        tbx::test::SetMainBundlePath("");
        gBK_TempSubFolder.clear();
        BK_FindClose();
    }
    stravel::testing::PrivateFolders folders;
    fs::path work = fs::canonical(folders.Work());
    fs::path bundle;
};

TEST_F(PathTest, TextOperationsFollowTheirRules) {
    EXPECT_EQ(CBK_Path(L"dir:sub:file").GetPathStyle(), MAC_PATH);
    EXPECT_EQ(CBK_Path(L"a:b/c").GetPathStyle(), POSIX_PATH);
    EXPECT_EQ(CBK_Path(L"http://x:y").GetPathStyle(), POSIX_PATH);
    EXPECT_EQ(CBK_Path(L"").GetPathStyle(), POSIX_PATH);

    CBK_Path slashes(L"a//\\");
    slashes.AppendSlash();
    EXPECT_EQ(slashes.GetPathString(), L"a/");
    CBK_Path empty(L"");
    empty.AppendSlash();
    EXPECT_EQ(empty.GetPathString(), L"");

    EXPECT_EQ(CBK_Path(L"a.b.swf").GetExtensionString(true), L".swf");
    EXPECT_EQ(CBK_Path(L"a.b.swf").GetExtensionString(false), L"swf");
    EXPECT_EQ(CBK_Path(L"/x.d/name").GetExtensionString(true), L"");

    CBK_Path movie(L"/m/clip.mov");
    movie.SetExtension(L".swf");
    EXPECT_EQ(movie.GetPathString(), L"/m/clip.swf");
    EXPECT_EQ(movie.GetFilenameString(true), L"clip");
    EXPECT_EQ(movie.GetDirectoryString(true), L"/m/");
    EXPECT_EQ(CBK_Path(L"/m/").GetFilenameString(false), L"m");
    movie.SetFilename(L"other.flv");
    EXPECT_EQ(movie.GetPathString(), L"/m/other.flv");

    EXPECT_EQ(BK_GetPathAsMac(L"/a\\b"), L":a:b");
    EXPECT_EQ(CBK_Path(L"/a/b c").GetFullPathString(MAC_PATH), L"Macintosh HD:a:b c");
    EXPECT_TRUE(CBK_Path(L"/A/B.swf") == CBK_Path(L"/a/b.SWF"));
}

TEST_F(PathTest, RelativePathsAreTakenFromTheBundleFolder) {
    CBK_Path app;
    ASSERT_TRUE(app.GetAppPath());
    EXPECT_EQ(app.GetPathString(), W(fs::canonical(bundle)) + L"/");
    EXPECT_EQ(CBK_Path(L"Players/x.swf").GetFullPathString(),
              app.GetPathString() + L"Players/x.swf");
    CBK_Path beside;
    ASSERT_TRUE(beside.MakeAppLevelPath(L"x.txt"));
    EXPECT_EQ(beside.GetPathString(), W(fs::canonical(folders.Root() / "apps")) + L"/x.txt");
    CBK_Path folder;
    ASSERT_TRUE(folder.GetAppDirectory());
    EXPECT_EQ(folder.GetPathString(), W(fs::canonical(folders.Root() / "apps")));
    CBK_Path resources;
    ASSERT_TRUE(resources.GetBundleResourceDirectory());
    EXPECT_EQ(resources.GetPathString(),
              W(fs::canonical(bundle / "Contents" / "Resources")) + L"/");
}

TEST_F(PathTest, RelativePathTableAndItsInverse) {
    const CBK_Path base(L"/x/y/a.stv");
    const struct {
        const wchar_t* target;
        const wchar_t* relative;
    } table[] = {{L"/x/z/b.mov", L"../z/b.mov"},
                 {L"/x/y/c/b.mov", L"./c/b.mov"},
                 {L"/x/y/b.mov", L"./b.mov"},
                 {L"/x/b.mov", L"../b.mov"},
                 {L"/q/r/s.mov", L"../../q/r/s.mov"}};
    for (const auto& row : table) {
        EXPECT_EQ(BK_PathRelativePathTo(base, CBK_Path(row.target)), row.relative) << row.target;
        EXPECT_EQ(BK_PathAbsoluteFromRelative(CBK_Path(row.relative), base), row.target);
    }
    EXPECT_EQ(BK_PathRelativePathTo(base, CBK_Path(L"")), L"");
    EXPECT_EQ(BK_PathAbsoluteFromRelative(CBK_Path(L"/abs/x"), base), L"/abs/x");
}

TEST_F(PathTest, DotsAreTakenAsWhatTheyMeanOnBothSides) {
    const struct {
        const wchar_t* base;
        const wchar_t* target;
        const wchar_t* relative;
        const wchar_t* back; // the target as read back
    } table[] = {
        {L"/x/d1/a.stv", L"/x/d1/./../d2/f", L"../d2/f", L"/x/d2/f"},
        {L"/x/d1/a.stv", L"/x/d1/../d2/f", L"../d2/f", L"/x/d2/f"},
        {L"/x/d1/a.stv", L"/x/d1/./c/../f", L"./f", L"/x/d1/f"},
        {L"/x/d1/z/../a.stv", L"/x/d1/f", L"./f", L"/x/d1/f"},
        {L"/x/./d1/a.stv", L"/x/d2/f", L"../d2/f", L"/x/d2/f"},
        {L"/x/d1/a.stv", L"/../../x/f", L"../f", L"/x/f"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(BK_PathRelativePathTo(CBK_Path(row.base), CBK_Path(row.target)), row.relative)
            << row.target;
        EXPECT_EQ(BK_PathAbsoluteFromRelative(CBK_Path(row.relative), CBK_Path(row.base)), row.back)
            << row.target;
    }
    // Texts written by other hands.
    const CBK_Path base(L"/a/b/doc.stv");
    for (const auto& [relative, back] : {std::pair{L"./../x", L"/a/x"},
                                         {L"././c", L"/a/b/c"},
                                         {L"c/./../d", L"/a/b/d"},
                                         {L"..\\x", L"/a/x"},
                                         {L"../../../../x", L"/x"},
                                         {L".//c//", L"/a/b/c"}})
        EXPECT_EQ(BK_PathAbsoluteFromRelative(CBK_Path(relative), base), back) << relative;
    EXPECT_EQ(BK_PathAbsoluteFromRelative(CBK_Path(L"./x"), CBK_Path(L"/a/b/../c/doc.stv")),
              L"/a/c/x");
}

TEST_F(PathTest, RandomRelativePathsAgreeWithPython) {
    STRAVEL_REQUIRE_TOOL("python3");
    std::mt19937 random(1234);
    const wchar_t* names[] = {L"a", L"b", L"ab", L"é", L"c d", L"x.y"};
    auto make = [&](int depth) {
        std::wstring path;
        for (int i = 0; i < depth; ++i)
            path += std::wstring(L"/") + names[random() % 6];
        return path;
    };
    std::string script =
        "import os,sys\nfor line in sys.stdin.read().splitlines():\n"
        "    b,t=line.split('\\t')\n    print(os.path.relpath(t, os.path.dirname(b)))\n";
    std::string input;
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (int i = 0; i < 300; ++i) {
        pairs.emplace_back(make(1 + random() % 5), make(1 + random() % 5));
        // A target that is one of the base's own folders has two right answers (".." and
        // "../name"); such pairs are left out.
        if ((pairs.back().first + L"/").rfind(pairs.back().second + L"/", 0) == 0)
            pairs.back().second += L"z";
        input += BK_WideToFileSystemName(pairs.back().first) + "\t" +
                 BK_WideToFileSystemName(pairs.back().second) + "\n";
    }
    auto result = stravel::testing::RunTool({"python3", "-c", script}, input);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream lines(result.out);
    for (const auto& [base, target] : pairs) {
        std::string expected;
        ASSERT_TRUE(std::getline(lines, expected));
        std::wstring ours = BK_PathRelativePathTo(CBK_Path(base), CBK_Path(target));
        if (ours.rfind(L"./", 0) == 0)
            ours = ours.substr(2);
        EXPECT_EQ(BK_WideToFileSystemName(ours), expected) << expected;
        EXPECT_EQ(
            BK_PathAbsoluteFromRelative(
                CBK_Path(BK_PathRelativePathTo(CBK_Path(base), CBK_Path(target))), CBK_Path(base)),
            target);
    }
}

TEST_F(PathTest, UniqueAndBackupNames) {
    WriteFileBytes(work / "movie__.swf", "");
    WriteFileBytes(work / "movie__0.swf", "");
    CBK_Path unique;
    ASSERT_TRUE(unique.MakeUniqueTempPath(CBK_Path(W(work / "movie.swf"))));
    EXPECT_EQ(unique.GetPathString(), W(work / "movie__1.swf"));

    WriteFileBytes(work / "a.stv", "new");
    WriteFileBytes(work / "a.stv~", "old");
    CBK_Path source(W(work / "a.stv")), backup;
    EXPECT_FALSE(backup.MakeBackupPath(source, false));
    EXPECT_EQ(ReadFileBytes(work / "a.stv"), "new");
    EXPECT_EQ(ReadFileBytes(work / "a.stv~"), "old");
    ASSERT_TRUE(backup.MakeBackupPath(source, true));
    EXPECT_FALSE(fs::exists(work / "a.stv"));
    EXPECT_EQ(ReadFileBytes(work / "a.stv~"), "new");
}

TEST_F(PathTest, RenameReplacesAtomicallyAndMoveNeverReplaces) {
    WriteFileBytes(work / "one", "1");
    WriteFileBytes(work / "two", "2");
    CBK_Path one(W(work / "one"));
    ASSERT_TRUE(one.RenameFile(L"two"));
    EXPECT_EQ(one.GetPathString(), W(work / "two"));
    EXPECT_EQ(ReadFileBytes(work / "two"), "1");

    fs::create_directories(work / "dest");
    WriteFileBytes(work / "dest" / "two", "kept");
    CBK_Path two(W(work / "two"));
    EXPECT_FALSE(two.MoveFileTo(CBK_Path(W(work / "dest") + L"/")));
    EXPECT_EQ(CBK_Path::GetLastError(), tbx::dupFNErr);
    EXPECT_EQ(ReadFileBytes(work / "two"), "1");
    EXPECT_EQ(ReadFileBytes(work / "dest" / "two"), "kept");
    fs::remove(work / "dest" / "two");
    ASSERT_TRUE(two.MoveFileTo(CBK_Path(W(work / "dest"))));
    EXPECT_EQ(two.GetPathString(), W(work / "dest" / "two"));
}

TEST_F(PathTest, FoldersAreMadeOnlyWhereNoFileIsAndDeletedWithTheirContents) {
    WriteFileBytes(work / "taken", "file");
    EXPECT_FALSE(CBK_Path(W(work / "taken")).CreateFolder());
    EXPECT_EQ(ReadFileBytes(work / "taken"), "file");
    CBK_Path folder(W(work / "made"));
    ASSERT_TRUE(folder.CreateFolder());
    EXPECT_EQ(folder.GetPathString(), W(work / "made") + L"/");
    EXPECT_TRUE(folder.CreateFolder());

    WriteFileBytes(work / "made" / "f", "x");
    fs::create_directories(work / "made" / "sub");
    WriteFileBytes(work / "made" / "sub" / "locked", "x");
    fs::permissions(work / "made" / "sub" / "locked", fs::perms::owner_read);
    fs::create_directories(work / "outside");
    WriteFileBytes(work / "outside" / "precious", "keep");
    fs::create_directory_symlink(work / "outside", work / "made" / "link");
    EXPECT_FALSE(folder.DeleteFolder(false));
    EXPECT_TRUE(folder.DeleteFolder(true));
    EXPECT_FALSE(fs::exists(work / "made"));
    EXPECT_EQ(ReadFileBytes(work / "outside" / "precious"), "keep");
    EXPECT_FALSE(CBK_Path(W(work / "missing") + L"/").DeleteFolder(true));
    EXPECT_TRUE(fs::exists(work));
}

TEST_F(PathTest, TemporarySubFolderIsMadeAndRemovedButNeverTheWholeFolder) {
    CBK_Path temp;
    ASSERT_TRUE(temp.GetTempDirectory());
    WriteFileBytes(fs::path(BK_WideToFileSystemName(temp.GetPathString())) / "other", "x");
    EXPECT_FALSE(CBK_Path::DeleteTempSubFolderPath());
    EXPECT_TRUE(temp.FileExists());
    EXPECT_FALSE(CBK_Path::SetDefaultTempFolderPath(L".."));
    EXPECT_FALSE(CBK_Path::SetDefaultTempFolderPath(L"a/b"));
    EXPECT_FALSE(CBK_Path::DeleteTempSubFolderPath());

    ASSERT_TRUE(CBK_Path::SetDefaultTempFolderPath(L"_stravel"));
    CBK_Path item;
    ASSERT_TRUE(item.MakeTempLevelPath(L"x.aiff", true));
    EXPECT_EQ(item.GetPathString(), temp.GetPathString() + L"_stravel/x.aiff");
    ASSERT_TRUE(item.CreateFile(nullptr, false));
    EXPECT_TRUE(CBK_Path::DeleteTempSubFolderPath());
    EXPECT_FALSE(item.FileExists());
    EXPECT_TRUE(temp.FileExists());
    EXPECT_TRUE(CBK_Path::DeleteTempSubFolderPath());
}

TEST_F(PathTest, CreateFileSetsTypeAndCreatorAndRefusesFolders) {
    CBK_Path file(W(work / "t.swf"));
    BK_FILE_CREATE_ATTRIBUTES attributes;
    attributes.creator = tbx::FourCC("SWF2");
    attributes.type = tbx::FourCC("SWFL");
    attributes.hidden = true;
    attributes.locked = true;
    ASSERT_TRUE(file.CreateFile(&attributes, false));
    EXPECT_FALSE(file.CreateFile(nullptr, false));
    struct stat info;
    ASSERT_EQ(stat((work / "t.swf").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u);
    EXPECT_FALSE(file.DeleteFile());
    EXPECT_EQ(CBK_Path::GetLastError(), tbx::fLckdErr);
    fs::create_directories(work / "dir");
    EXPECT_FALSE(CBK_Path(W(work / "dir")).CreateFile(nullptr, true));
    EXPECT_TRUE(CBK_Path(W(work / "none")).DeleteFile());
    EXPECT_FALSE(CBK_Path(W(work / "dir")).DeleteFile());
    EXPECT_TRUE(fs::exists(work / "dir"));
}

TEST_F(PathTest, NonAsciiNamesReachTheSystemAsUtf8) {
    const std::wstring name = L"Vidéo 中😀.mov";
    CBK_Path file(W(work) + L"/" + name);
    ASSERT_TRUE(file.CreateFile(nullptr, false));
    EXPECT_TRUE(fs::exists(work / BK_WideToFileSystemName(name)));
    FILE* stream = file.OpenAsStdFile(L"wb");
    ASSERT_TRUE(stream);
    std::fputs("ok", stream);
    std::fclose(stream);
    EXPECT_EQ(ReadFileBytes(work / BK_WideToFileSystemName(name)), "ok");
    CBK_Path found;
    ASSERT_TRUE(BK_FindFile(L"VIDÉO 中😀.MOV", CBK_Path(W(work)), found));
    EXPECT_EQ(found.GetPathString(), file.GetPathString());
    EXPECT_TRUE(file.DeleteFile(true));
    EXPECT_FALSE(fs::exists(work / BK_WideToFileSystemName(name)));
}

TEST_F(PathTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string bytes = "caf\xE9.swf";
    fs::create_directories(work / "latin");
    WriteFileBytes(work / "latin" / bytes, "movie");
    CBK_Path item;
    ASSERT_TRUE(BK_FindFirstFile(CBK_Path(W(work / "latin")), item, nullptr, nullptr));
    EXPECT_EQ(BK_WideToFileSystemName(item.GetFilenameString()), bytes);
    BK_FindClose();
    EXPECT_TRUE(item.FileExists());
    FILE* stream = item.OpenAsStdFile(L"rb");
    ASSERT_TRUE(stream);
    char read[8] = {};
    EXPECT_EQ(std::fread(read, 1, sizeof read, stream), 5u);
    std::fclose(stream);
    EXPECT_STREQ(read, "movie");

    CBK_Path copy;
    ASSERT_TRUE(item.CopyFileTo(CBK_Path(W(work)), nullptr, false, &copy));
    EXPECT_EQ(ReadFileBytes(work / bytes), "movie");
    const std::wstring renamed = BK_FileSystemNameToWide("\xFF\xFE.swf");
    ASSERT_TRUE(copy.RenameFile(renamed.c_str()));
    EXPECT_TRUE(fs::exists(work / "\xFF\xFE.swf"));
    EXPECT_FALSE(fs::exists(work / bytes));
    EXPECT_TRUE(copy.DeleteFile(false));
    EXPECT_FALSE(fs::exists(work / "\xFF\xFE.swf"));
    EXPECT_TRUE(item.DeleteFile(false));
    EXPECT_TRUE(fs::is_empty(work / "latin"));
}

TEST_F(PathTest, FolderWalksAndCopies) {
    fs::create_directories(work / "tree" / "deep" / "deeper");
    WriteFileBytes(work / "tree" / "deep" / "deeper" / "Target.txt", "t");
    fs::create_directory_symlink(work / "tree", work / "tree" / "deep" / "loop");
    CBK_Path found;
    ASSERT_TRUE(BK_FindFile(L"target.TXT", CBK_Path(W(work / "tree")), found));
    EXPECT_EQ(found.GetPathString(), W(work / "tree" / "deep" / "deeper" / "Target.txt"));
    EXPECT_FALSE(BK_FindFile(L"absent", CBK_Path(W(work / "tree")), found));

    CBK_Path item;
    bool isFolder = false;
    ASSERT_TRUE(BK_FindFirstFile(CBK_Path(W(work / "tree" / "deep")), item, &isFolder, L"*"));
    EXPECT_TRUE(isFolder);
    EXPECT_EQ(item.GetFilenameString(), L"deeper");
    // A second walk closes the first.
    ASSERT_TRUE(BK_FindFirstFile(CBK_Path(W(work / "tree")), item, &isFolder, nullptr));
    EXPECT_EQ(item.GetFilenameString(), L"deep");
    EXPECT_FALSE(BK_FindNextFile(item, &isFolder));
    EXPECT_TRUE(BK_FindClose());

    fs::create_directories(work / "copies");
    CBK_Path tree(W(work / "tree") + L"/"), copy;
    ASSERT_TRUE(tree.CopyFileTo(CBK_Path(W(work / "copies")), nullptr, false, &copy));
    EXPECT_EQ(ReadFileBytes(work / "copies" / "tree" / "deep" / "deeper" / "Target.txt"), "t");
    EXPECT_TRUE(fs::is_symlink(work / "copies" / "tree" / "deep" / "loop"));
    EXPECT_FALSE(tree.CopyFileTo(CBK_Path(W(work / "copies")), nullptr, false, &copy));
    EXPECT_EQ(CBK_Path::GetLastError(), tbx::dupFNErr);
    EXPECT_FALSE(tree.CopyFileTo(CBK_Path(W(work / "tree" / "deep")), nullptr, false, nullptr));
    EXPECT_FALSE(fs::exists(work / "tree" / "deep" / "tree"));
}

TEST_F(PathTest, PathListOwnsCopiesAndSortsByName) {
    CBK_PathList list;
    CBK_Path b(L"/z/b.mov"), a(L"/y/A.mov"), c(L"/x/c.mov");
    list.Add(b);
    list.Add(a);
    list.Add(c);
    list.SortAscending();
    EXPECT_EQ(list.GetPath(0)->GetPathString(), L"/y/A.mov");
    EXPECT_EQ(list.GetPath(2)->GetPathString(), L"/x/c.mov");
    list.SortDescending();
    EXPECT_EQ(list.GetPath(0)->GetPathString(), L"/x/c.mov");
    EXPECT_EQ(list.GetPath(3), nullptr);
    EXPECT_EQ(list.GetPath(-1), nullptr);
    EXPECT_FALSE(list.Delete(a));
    EXPECT_TRUE(list.Delete(*list.GetPath(1)));
    EXPECT_EQ(list.GetSize(), 2);
}

TEST_F(PathTest, LaunchingGoesThroughTheLauncher) {
    std::vector<std::vector<std::string>> calls;
    tbx::test::SetLauncher([&](const std::vector<std::string>& argv, tbx::UInt32* pid) {
        calls.push_back(argv);
        *pid = 7;
        return tbx::OSStatus(tbx::noErr);
    });
    tbx::ProcessSerialNumber psn;
    EXPECT_TRUE(CBK_Path(L"/opt/tool").LaunchFile(psn));
    EXPECT_EQ(psn.lowLongOfPSN, 7u);
    EXPECT_TRUE(CBK_Path(L"/d/doc.html").LaunchFileWith(CBK_Path(L"/opt/viewer")));
    EXPECT_TRUE(BK_LaunchDocument(CBK_Path(L"/d/help.html")));
    EXPECT_FALSE(CBK_Path(L"/opt/tool").QuitFile(psn));
    tbx::test::SetLauncher({});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1], (std::vector<std::string>{"/opt/viewer", "/d/doc.html"}));
    EXPECT_EQ(calls[2], (std::vector<std::string>{"xdg-open", "/d/help.html"}));
}

} // namespace
