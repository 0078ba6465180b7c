#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "core/files/copy_object.h"
#include "core/files/delete_container.h"
#include "core/files/file.h"
#include "core/files/file_functions.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "tests/support/private_folders.h"

namespace {

namespace fs = std::filesystem;
using stravel::testing::ReadFileBytes;
using stravel::testing::WriteFileBytes;

std::wstring W(const fs::path& path) {
    return BK_FileSystemNameToWide(path.string());
}

tbx::FSRef RefOf(const fs::path& path) {
    tbx::FSRef ref;
    EXPECT_TRUE(CBK_Path(W(path)).GetFSRef(ref)) << path;
    return ref;
}

class FilesTest : public ::testing::Test {
protected:
    stravel::testing::PrivateFolders folders;
    fs::path work = fs::canonical(folders.Work());
};

TEST_F(FilesTest, ExtensionsChangeInTheFileNameOnly) {
    std::wstring path = L"a.txt";
    BK_ChangeFileExtension(path, L"swf");
    EXPECT_EQ(path, L"a.swf");
    BK_ChangeFileExtension(path, L"");
    EXPECT_EQ(path, L"a");
    BK_ChangeFileExtension(path, L"swf");
    EXPECT_EQ(path, L"a.swf");
    path = L"/movies.d/clip";
    BK_ChangeFileExtension(path, L"flv");
    EXPECT_EQ(path, L"/movies.d/clip.flv");
    unsigned char pascal[256] = {5, 'a', '.', 't', 'x', 't'};
    BK_ChangeFileExtension(pascal, L"swf");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pascal + 1), pascal[0]), "a.swf");
}

TEST_F(FilesTest, DefaultAttributesAndFinderInformation) {
    const BK_FILE_CREATE_ATTRIBUTES defaults;
    EXPECT_EQ(defaults.creator, tbx::FourCC("????"));
    EXPECT_EQ(defaults.type, tbx::FourCC("????"));
    EXPECT_FALSE(defaults.hidden);
    EXPECT_FALSE(defaults.locked);
    ASSERT_TRUE(BK_CreateFile(W(work / "plain"), nullptr, false));
    EXPECT_FALSE(BK_CreateFile(W(work / "plain"), nullptr, false));
    EXPECT_FALSE(BK_CreateFile(W(work / "folder") + L"/", nullptr, true));

    CBK_File file;
    file.Set(CBK_Path(W(work / "plain")));
    BK_FILE_INFO info;
    ASSERT_TRUE(file.GetFileInfo(info));
    if (info.type == 0)
        GTEST_SKIP() << "no user attributes on this file system";
    EXPECT_EQ(file.GetFileType(), tbx::FourCC("????"));
    EXPECT_EQ(info.flags & tbx::kIsInvisible, 0);
    ASSERT_TRUE(file.SetPackageFlag(true));
    ASSERT_TRUE(file.GetFileInfo(info));
    EXPECT_TRUE(info.flags & tbx::kHasBundle);
    ASSERT_TRUE(file.SetPackageFlag(false));
    ASSERT_TRUE(file.GetFileInfo(info));
    EXPECT_FALSE(info.flags & tbx::kHasBundle);

    CBK_File missing;
    missing.Set(CBK_Path(W(work / "missing")));
    BK_FILE_INFO untouched;
    untouched.type = 77;
    EXPECT_FALSE(missing.GetFileInfo(untouched));
    EXPECT_EQ(untouched.type, 77u);
    BK_DIR_INFO dir;
    EXPECT_FALSE(missing.GetDirInfo(dir));
}

TEST_F(FilesTest, ForkAccessReadsWritesSeeksAndRecordsEndOfFile) {
    WriteFileBytes(work / "f.bin", "0123456789abcdefghij");
    CBK_File file;
    file.Set(CBK_Path(W(work / "f.bin")));
    EXPECT_EQ(file.GetLength(), 20);
    EXPECT_FALSE(file.Close()); // still closed
    ASSERT_TRUE(file.Open(BK_FILE_READ | BK_FILE_WRITE));
    EXPECT_FALSE(file.Open(BK_FILE_READ));
    EXPECT_EQ(file.Write("x", 1), 0); // read only
    EXPECT_EQ(file.Seek(-10, BK_SEEK_END), tbx::noErr);
    char bytes[32] = {};
    EXPECT_EQ(file.Read(bytes, 32), 10);
    EXPECT_EQ(file.GetError(), tbx::eofErr);
    EXPECT_EQ(std::string(bytes, 10), "abcdefghij");
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Open(0));

    ASSERT_TRUE(file.Open(BK_FILE_READ_WRITE));
    EXPECT_EQ(file.Write("XY", 2), 2);
    EXPECT_EQ(file.GetPosition(), 2);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadFileBytes(work / "f.bin").substr(0, 3), "XY2");

    ASSERT_TRUE(file.Rename(L"g.bin"));
    EXPECT_TRUE(fs::exists(work / "g.bin"));
    fs::create_directories(work / "into");
    ASSERT_TRUE(file.Move(RefOf(work / "into")));
    EXPECT_EQ(file.GetLength(), 20);
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(fs::exists(work / "into" / "g.bin"));
}

TEST_F(FilesTest, FolderSizeMatchesFindAndIgnoresLinkLoops) {
    fs::create_directories(work / "tree" / "a" / "b");
    CBK_Folder empty;
    ASSERT_TRUE(empty.Set(CBK_Path(W(work / "tree" / "a" / "b"))));
    EXPECT_EQ(empty.GetSize(), 0u);
    WriteFileBytes(work / "tree" / "one", std::string(1000, 'x'));
    WriteFileBytes(work / "tree" / "a" / "two", std::string(12345, 'y'));
    WriteFileBytes(work / "tree" / "a" / "b" / "three", "z");
    fs::create_directory_symlink(work / "tree", work / "tree" / "a" / "b" / "loop");
    fs::create_symlink(work / "tree" / "one", work / "tree" / "alias");
    CBK_File rsrc;
    rsrc.Set(CBK_Path(W(work / "tree" / "one")));
    ASSERT_TRUE(rsrc.OpenResourceFork(BK_FILE_READ_WRITE));
    EXPECT_EQ(rsrc.Write("not counted", 11), 11);
    rsrc.Close();

    CBK_Folder folder;
    EXPECT_FALSE(folder.Set(CBK_Path(W(work / "none"))));
    ASSERT_TRUE(folder.Set(CBK_Path(W(work / "tree"))));
    const uint64_t size = folder.GetSize();
    EXPECT_EQ(size, 1000u + 12345u + 1u);

    STRAVEL_REQUIRE_TOOL("find");
    auto result = stravel::testing::RunTool(
        {"find", (work / "tree").string(), "-type", "f", "!", "-name", "._*", "-printf", "%s\\n"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    uint64_t sum = 0;
    std::istringstream lines(result.out);
    for (uint64_t n; lines >> n;)
        sum += n;
    EXPECT_EQ(size, sum);
}

TEST_F(FilesTest, ParentOfTheRootIsZeroFilled) {
    tbx::FSRef root = RefOf("/"), parent;
    parent.path = "x";
    ASSERT_TRUE(BK_GetParentFolder(root, parent));
    EXPECT_TRUE(parent.path.empty());
    ASSERT_TRUE(BK_GetParentFolder(W(work), parent));
    EXPECT_EQ(parent.path, work.parent_path().string());
}

TEST_F(FilesTest, CreateFolderWantsAFolderAndMoveKeepsWhatIsThere) {
    tbx::FSRef parent = RefOf(work), made;
    ASSERT_TRUE(BK_CreateFolder(L"f", parent, &made));
    EXPECT_TRUE(BK_CreateFolder(L"f", parent, &made));
    EXPECT_EQ(made.path, (work / "f").string());
    WriteFileBytes(work / "file", "x");
    EXPECT_FALSE(BK_CreateFolder(L"file", parent, &made));

    WriteFileBytes(work / "src", "S");
    WriteFileBytes(work / "f" / "dst", "D");
    EXPECT_FALSE(BK_MoveFile(W(work / "src"), W(work / "f" / "dst")));
    EXPECT_EQ(ReadFileBytes(work / "src"), "S");
    EXPECT_EQ(ReadFileBytes(work / "f" / "dst"), "D");
    ASSERT_TRUE(BK_MoveFile(W(work / "src"), W(work / "f" / "new")));
    EXPECT_EQ(ReadFileBytes(work / "f" / "new"), "S");
    EXPECT_FALSE(fs::exists(work / "src"));
    EXPECT_FALSE(BK_RenameFile(W(work / "f" / "new"), L"dst"));
}

TEST_F(FilesTest, TreeCopyKeepsForksDatesAndLeavesNothingOnFailure) {
    fs::create_directories(work / "src" / "sub");
    WriteFileBytes(work / "src" / "sub" / "data", std::string(3 << 20, 'd'));
    CBK_File file;
    file.Set(CBK_Path(W(work / "src" / "sub" / "data")));
    ASSERT_TRUE(file.OpenResourceFork(BK_FILE_READ_WRITE));
    ASSERT_EQ(file.Write("resource bytes", 14), 14);
    file.Close();
    BK_SetFileTypes(RefOf(work / "src" / "sub" / "data"), tbx::FourCC("ABCD"), tbx::FourCC("WXYZ"));
    const auto old = fs::file_time_type(std::chrono::seconds(1000000000));
    fs::last_write_time(work / "src" / "sub" / "data", old);
    fs::last_write_time(work / "src" / "sub", old);
    fs::create_directories(work / "dest");

    tbx::FSRef source = RefOf(work / "src"), dest = RefOf(work / "dest"), copy;
    ASSERT_EQ(FSCopyObject(&source, &dest, 0, kDupeActionStandard, nullptr, &copy, nullptr),
              tbx::noErr);
    const fs::path copied = work / "dest" / "src" / "sub" / "data";
    EXPECT_EQ(ReadFileBytes(copied), ReadFileBytes(work / "src" / "sub" / "data"));
    EXPECT_EQ(fs::last_write_time(copied), old);
    EXPECT_EQ(fs::last_write_time(work / "dest" / "src" / "sub"), old);
    CBK_File copiedFork;
    copiedFork.Set(CBK_Path(W(copied)));
    ASSERT_TRUE(copiedFork.OpenResourceFork(BK_FILE_READ));
    char bytes[32] = {};
    EXPECT_EQ(copiedFork.Read(bytes, 32), 14);
    EXPECT_EQ(std::string(bytes, 14), "resource bytes");
    copiedFork.Close();
    uint32_t creator = 0, type = 0;
    if (BK_GetFileTypes(RefOf(copied), creator, type) && type != 0) {
        EXPECT_EQ(creator, tbx::FourCC("ABCD"));
        EXPECT_EQ(type, tbx::FourCC("WXYZ"));
    }

    // Into itself: refused, nothing made.
    tbx::FSRef inner = RefOf(work / "src" / "sub");
    EXPECT_EQ(FSCopyObject(&source, &inner, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
              tbx::paramErr);
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "src" / "sub"), fs::directory_iterator()),
              2);

    // Replacing keeps the old item until the copy is whole.
    WriteFileBytes(work / "dest" / "lone", "old");
    WriteFileBytes(work / "lone", "new");
    tbx::FSRef lone = RefOf(work / "lone");
    EXPECT_EQ(FSCopyObject(&lone, &dest, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
              tbx::dupFNErr);
    EXPECT_EQ(ReadFileBytes(work / "dest" / "lone"), "old");
    ASSERT_EQ(FSCopyObject(&lone, &dest, 0, kDupeActionReplace, nullptr, nullptr, nullptr),
              tbx::noErr);
    EXPECT_EQ(ReadFileBytes(work / "dest" / "lone"), "new");
    for (const auto& entry : fs::directory_iterator(work / "dest"))
        EXPECT_EQ(entry.path().filename().string().rfind(".stravel-copy", 0), std::string::npos);
}

TEST_F(FilesTest, DeleteContainerUnlocksAndNeverFollowsLinks) {
    fs::create_directories(work / "gone" / "a" / "b");
    WriteFileBytes(work / "gone" / "a" / "b" / "locked", "x");
    fs::permissions(work / "gone" / "a" / "b" / "locked", fs::perms::owner_read);
    fs::permissions(work / "gone" / "a", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directories(work / "safe");
    WriteFileBytes(work / "safe" / "keep", "k");
    fs::create_directory_symlink(work / "safe", work / "gone" / "link");
    tbx::FSRef gone = RefOf(work / "gone");
    ASSERT_EQ(FSDeleteContainerContents(&gone), tbx::noErr);
    EXPECT_TRUE(fs::is_empty(work / "gone"));
    EXPECT_EQ(ReadFileBytes(work / "safe" / "keep"), "k");
    ASSERT_EQ(FSDeleteContainer(&gone), tbx::noErr);
    EXPECT_FALSE(fs::exists(work / "gone"));
    fs::create_directory_symlink(work / "safe", work / "alias");
    tbx::FSRef alias = RefOf(work / "alias");
    EXPECT_EQ(FSDeleteContainer(&alias), tbx::errFSNotAFolder);
    EXPECT_EQ(ReadFileBytes(work / "safe" / "keep"), "k");
}

} // namespace

TEST_F(FilesTest, DatesFollowTheFileAndCreationOnlyWhereKept) {
    const fs::path path = work / "dated";
    WriteFileBytes(path, "x");
    const struct timespec times[2] = {{1592224496, 0}, {1592224496, 0}}; // 2020-06-15 12:34:56
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    CBK_File file;
    file.Set(CBK_Path(W(path)));
    CBK_Date date;
    ASSERT_TRUE(file.GetModifiedDate(date));
    EXPECT_DOUBLE_EQ(date.GetAbsoluteTime(), 1592224496 + CBK_Date::kUnixEpoch);
    // coreutils reports 0 where no birth time is kept.
    FILE* pipe = popen(("stat -c %W '" + path.string() + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    long long birth = -1;
    ASSERT_EQ(fscanf(pipe, "%lld", &birth), 1);
    pclose(pipe);
    CBK_Date created;
    ASSERT_EQ(file.GetCreateDate(created), birth > 0);
    if (birth > 0) {
        EXPECT_EQ(int64_t(created.GetAbsoluteTime() - CBK_Date::kUnixEpoch), birth);
    }
    file.Set(CBK_Path(W(work / "missing")));
    EXPECT_FALSE(file.GetModifiedDate(date));
}
