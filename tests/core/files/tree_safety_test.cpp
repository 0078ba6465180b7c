#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>

#include "core/files/container_iteration.h"
#include "core/files/copy_object.h"
#include "core/files/delete_container.h"
#include "core/files/file.h"
#include "core/files/file_functions.h"
#include "core/system/date.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_folder.h"
#include "tests/core/files/fork_test_support.h"
#include "tests/support/private_folders.h"
#include "tests/support/unprivileged.h"

namespace {

using namespace tbx;
using stravel::testing::ReadFileBytes;
using stravel::testing::RefOf;
using stravel::testing::WriteFileBytes;
namespace fs = std::filesystem;

std::size_t Count(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class TreeSafetyTest : public ::testing::Test {
protected:
    void TearDown() override { tbx::test::SetListingHook({}); }
    stravel::testing::PrivateFolders folders;
    fs::path work = fs::canonical(folders.Work());
};

TEST_F(TreeSafetyTest, AFolderSwappedForALinkMidWalkIsNeverFollowed) {
    fs::create_directories(work / "outside" / "b");
    for (int i = 0; i < 101; ++i)
        WriteFileBytes(work / "outside" / "b" / std::to_string(i), "secret");
    // Once a folder of the tree is listed, it becomes a link to the folder outside.
    auto swapOnListing = [&](const fs::path& folder) {
        tbx::test::SetListingHook([=](const std::string& listed) {
            if (listed == folder.string() && !fs::is_symlink(folder)) {
                fs::rename(folder, folder.string() + ".moved");
                fs::create_directory_symlink(folder.parent_path().parent_path() / "outside",
                                             folder);
            }
        });
    };
    for (const char* tree : {"copied", "deleted"}) {
        fs::create_directories(work / tree / "a" / "b");
        WriteFileBytes(work / tree / "a" / "b" / "mine", "m");
    }
    fs::create_directories(work / "dest");

    swapOnListing(work / "copied" / "a");
    FSRef source = RefOf(work / "copied"), dest = RefOf(work / "dest");
    EXPECT_EQ(FSCopyObject(&source, &dest, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(ReadFileBytes(work / "dest" / "copied" / "a" / "b" / "mine"), "m");
    EXPECT_EQ(Count(work / "dest" / "copied" / "a" / "b"), 1u);

    swapOnListing(work / "deleted" / "a");
    FSRef doomed = RefOf(work / "deleted");
    FSDeleteContainer(&doomed); // fails or not: the tree changed under it
    EXPECT_EQ(Count(work / "outside" / "b"), 101u);
}

TEST_F(TreeSafetyTest, UnreadableFoldersFailACopyUnlessTheyAreDropBoxes) {
    if (!stravel::testing::RunUnprivileged())
        return;
    const fs::path src = work / "src", dest = work / "dest";
    fs::create_directories(src / "drop");
    fs::create_directories(dest);
    WriteFileBytes(src / "file", "f");
    WriteFileBytes(src / "drop" / "letter", "l");
    // Its user attributes cannot be read either: they are left behind, not a failure.
    const bool attributed = setxattr((src / "drop").c_str(), "user.xdg.comment", "box", 3, 0) == 0;
    ASSERT_EQ(chmod((src / "drop").c_str(), 0300), 0); // written and searched, never read
    FSRef source = RefOf(src), destination = RefOf(dest), copy;
    ASSERT_EQ(FSCopyObject(&source, &destination, 0, kDupeActionStandard, nullptr, &copy, nullptr),
              noErr);
    struct stat info;
    ASSERT_EQ(lstat((dest / "src" / "drop").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0300u);
    if (attributed) {
        char names[256];
        const ssize_t listed = listxattr((dest / "src" / "drop").c_str(), names, sizeof names);
        ASSERT_GE(listed, 0);
        EXPECT_EQ(std::string(names, std::size_t(listed)).find("user."), std::string::npos);
    }
    ASSERT_EQ(FSDeleteContainer(&copy), noErr);
    // So is a drop box copied alone.
    const FSRef drop = RefOf(src / "drop");
    ASSERT_EQ(FSCopyObject(&drop, &destination, 0, kDupeActionStandard, nullptr, &copy, nullptr),
              noErr);
    ASSERT_EQ(lstat((dest / "drop").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0300u);
    ASSERT_EQ(FSDeleteContainer(&copy), noErr);

    // A folder that cannot even be searched, or one whose items cannot be examined, is not a
    // drop box: the copy fails and leaves nothing behind.
    fs::create_directories(src / "closed");
    WriteFileBytes(src / "closed" / "inside", "i");
    for (mode_t mode : {mode_t(0000), mode_t(0400)}) {
        ASSERT_EQ(chmod((src / "closed").c_str(), mode), 0);
        EXPECT_NE(
            FSCopyObject(&source, &destination, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
            noErr)
            << mode;
        EXPECT_EQ(Count(dest), 0u) << mode;
    }
    // Nor does a listing pass over an item it cannot examine.
    std::vector<FSRef> items;
    const FSRef closed = RefOf(src / "closed");
    EXPECT_NE(FSGetDirectoryItems(&closed, items), noErr);
    // Deleting one's own folder of mode 000 opens it up first.
    ASSERT_EQ(chmod((src / "closed").c_str(), 0000), 0);
    EXPECT_EQ(FSDeleteContainer(&source), noErr);
    EXPECT_FALSE(fs::exists(src));
}

// An AppleDouble file as another system leaves it: magic, version, no entries.
const std::string kAppleDouble =
    std::string("\x00\x05\x16\x07\x00\x02\x00\x00", 8) + std::string(18, '\0');

TEST_F(TreeSafetyTest, OnlyAppleDoubleFilesBesideFilesAreSidecars) {
    const fs::path tree = work / "tree";
    fs::create_directories(tree / "dir");
    WriteFileBytes(tree / "name", "data");
    WriteFileBytes(tree / "._name", "notes");     // not a sidecar: no magic
    WriteFileBytes(tree / "._dir", kAppleDouble); // not a sidecar: beside a folder
    FSRef folder = RefOf(tree);
    std::vector<FSRef> items;
    FSIterator iterator = nullptr;
    ASSERT_EQ(FSOpenIterator(&folder, kFSIterateFlat, &iterator), noErr);
    FSRef refs[8];
    UInt32 count = 0;
    EXPECT_EQ(
        FSGetCatalogInfoBulk(iterator, 8, &count, nullptr, 0, nullptr, refs, nullptr, nullptr),
        noErr);
    EXPECT_EQ(count, 4u);
    FSCloseIterator(iterator);

    fs::create_directories(work / "dest");
    FSRef dest = RefOf(work / "dest"), source = RefOf(tree);
    ASSERT_EQ(FSCopyObject(&source, &dest, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(ReadFileBytes(work / "dest" / "tree" / "._name"), "notes");
    EXPECT_EQ(ReadFileBytes(work / "dest" / "tree" / "._dir"), kAppleDouble);

    // Replacing the folder leaves the file beside it as it was, and no temporary behind.
    FSRef inner = RefOf(work / "dest" / "tree" / "dir");
    ASSERT_EQ(FSCopyObject(&inner, &folder, 0, kDupeActionReplace, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(ReadFileBytes(tree / "._dir"), kAppleDouble);
    EXPECT_EQ(Count(tree), 4u);

    FSRef name = RefOf(tree / "name");
    ASSERT_EQ(FSDeleteObject(&name), noErr);
    EXPECT_EQ(ReadFileBytes(tree / "._name"), "notes");
    EXPECT_EQ(FSDeleteContainer(&folder), noErr);

    // A sidecar whose fork cannot be read fails the copy rather than losing the fork.
    WriteFileBytes(work / "broken", "b");
    WriteFileBytes(work / "._broken", kAppleDouble); // no fork entry
    FSRef broken = RefOf(work / "broken");
    EXPECT_EQ(FSCopyObject(&broken, &dest, 0, kDupeActionStandard, nullptr, nullptr, nullptr),
              ioErr);
    EXPECT_FALSE(fs::exists(work / "dest" / "broken"));
}

TEST_F(TreeSafetyTest, CopiesKeepTheCreationDateSetOnAFile) {
    fs::create_directories(work / "dest");
    WriteFileBytes(work / "dated", "x");
    FSRef dated = RefOf(work / "dated"), dest = RefOf(work / "dest"), copy;
    FSCatalogInfo info;
    const int64_t unix = 981173106; // 2001-02-03 04:05:06 UTC
    info.createDate.lowSeconds = UInt32(unix + 2082844800);
    ASSERT_EQ(FSSetCatalogInfo(&dated, kFSCatInfoCreateDate, &info), noErr);
    ASSERT_EQ(FSCopyObject(&dated, &dest, 0, kDupeActionStandard, nullptr, &copy, nullptr), noErr);
    for (const FSRef& ref : {dated, copy}) {
        FSCatalogInfo back;
        ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate, &back, nullptr, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(back.createDate.lowSeconds, UInt32(unix + 2082844800)) << ref.path;
        CBK_File file;
        file.Set(CBK_Path(BK_FileSystemNameToWide(ref.path)));
        CBK_Date date;
        ASSERT_TRUE(file.GetCreateDate(date)) << ref.path;
        EXPECT_EQ(int64_t(date.GetAbsoluteTime() - CBK_Date::kUnixEpoch), unix) << ref.path;
    }
    EXPECT_EQ(ReadFileBytes(work / "dest" / "dated"), "x");
    // A file whose date was never set copies without a sidecar.
    WriteFileBytes(work / "plain", "y");
    FSRef plain = RefOf(work / "plain");
    ASSERT_EQ(FSCopyObject(&plain, &dest, 0, kDupeActionStandard, nullptr, &copy, nullptr), noErr);
    EXPECT_FALSE(fs::exists(work / "dest" / "._plain"));
}

} // namespace
