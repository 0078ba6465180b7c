#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/cf_url.h"
#include "platform/files/folders.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_replace.h"
#include "platform/files/fs_forks.h"
#include "platform/files/launch.h"
#include "tests/support/private_folders.h"

namespace {

using namespace tbx;
using stravel::testing::PrivateFolders;
namespace fs = std::filesystem;

FSRef RefOf(const fs::path& path) {
    FSRef ref;
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), noErr)
        << path;
    return ref;
}

std::u16string U(const char* text) {
    return std::u16string(text, text + std::strlen(text));
}

class FileManagerTest : public ::testing::Test {
protected:
    PrivateFolders folders;
    fs::path work = folders.Work();
};

TEST_F(FileManagerTest, ErrorsCarryTheMacNumbers) {
    FSRef ref;
    const std::string missing = (work / "missing").string();
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(missing.c_str()), &ref, nullptr),
              fnfErr);

    FSRef folder = RefOf(work);
    const std::u16string name = U("a");
    EXPECT_EQ(FSCreateFileUnicode(&folder, name.size(), name.data(), 0, nullptr, &ref, nullptr),
              noErr);
    EXPECT_EQ(FSCreateFileUnicode(&folder, name.size(), name.data(), 0, nullptr, nullptr, nullptr),
              dupFNErr);
    const std::u16string bad = U("x/y");
    EXPECT_EQ(FSCreateFileUnicode(&folder, bad.size(), bad.data(), 0, nullptr, nullptr, nullptr),
              paramErr);
    // Names with no bytes of their own would share another name's file.
    for (const std::u16string& unpaired :
         {std::u16string(u"\xD800"), std::u16string(u"\xDCC3\xDCA9")})
        EXPECT_EQ(FSCreateFileUnicode(&folder, unpaired.size(), unpaired.data(), 0, nullptr,
                                      nullptr, nullptr),
                  paramErr);
    const std::u16string escape = u"\xDCC3"; // the byte 0xC3, no UTF-8 on its own
    EXPECT_EQ(
        FSCreateFileUnicode(&folder, escape.size(), escape.data(), 0, nullptr, nullptr, nullptr),
        noErr);
    EXPECT_TRUE(fs::exists(work / "\xC3"));
    const std::u16string dots = U("..");
    EXPECT_EQ(FSCreateDirectoryUnicode(&folder, dots.size(), dots.data(), 0, nullptr, nullptr,
                                       nullptr, nullptr),
              paramErr);

    fs::create_directories(work / "full" / "inner");
    FSRef full = RefOf(work / "full");
    EXPECT_EQ(FSDeleteObject(&full), fBsyErr);

    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork), noErr);
    char byte;
    ByteCount got = 7;
    EXPECT_EQ(FSReadFork(fork, fsAtMark, 0, 1, &byte, &got), eofErr);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(FSCloseFork(fork), rfNumErr);
}

TEST_F(FileManagerTest, LockedFilesRefuseChangeWithFileLocked) {
    stravel::testing::WriteFileBytes(work / "locked", "keep");
    FSRef ref = RefOf(work / "locked");
    ASSERT_EQ(FSSetLocked(&ref, true), noErr);
    struct stat info;
    ASSERT_EQ(stat((work / "locked").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u);
    FSCatalogInfo catalog;
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &catalog, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_TRUE(catalog.nodeFlags & kFSNodeLockedMask);
    EXPECT_EQ(FSDeleteObject(&ref), fLckdErr);
    const std::u16string name = U("other");
    EXPECT_EQ(FSRenameUnicode(&ref, name.size(), name.data(), 0, nullptr), fLckdErr);
    SInt16 fork = 0;
    EXPECT_EQ(FSOpenFork(&ref, 0, nullptr, fsWrPerm, &fork), fLckdErr);
    ASSERT_EQ(FSSetLocked(&ref, false), noErr);
    EXPECT_EQ(FSDeleteObject(&ref), noErr);
}

TEST_F(FileManagerTest, FinderInfoIsTheBigEndianExtendedAttribute) {
    stravel::testing::WriteFileBytes(work / "movie.swf", "");
    FSRef ref = RefOf(work / "movie.swf");
    FSCatalogInfo info;
    FileInfo finder;
    finder.fileType = FourCC("SWFL");
    finder.fileCreator = FourCC("SWF2");
    finder.finderFlags = kIsInvisible;
    SetFileInfo(info, finder);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);
    FSCatalogInfo back;
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &back, nullptr, nullptr, nullptr),
              noErr);
    if (GetFileInfo(back).fileType == 0)
        GTEST_SKIP() << "no user attributes on this file system";
    EXPECT_EQ(GetFileInfo(back).fileCreator, FourCC("SWF2"));
    EXPECT_EQ(GetFileInfo(back).finderFlags, kIsInvisible);

    STRAVEL_REQUIRE_TOOL("getfattr");
    auto result =
        stravel::testing::RunTool({"getfattr", "--only-values", "-n", "user.com.apple.FinderInfo",
                                   (work / "movie.swf").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(result.out.size(), 32u);
    EXPECT_EQ(result.out.substr(0, 8), "SWFLSWF2");
    EXPECT_EQ(static_cast<unsigned char>(result.out[8]), 0x40);
}

TEST_F(FileManagerTest, ResourceForkSidecarIsMadeOnWriteAndFollowsItsFile) {
    stravel::testing::WriteFileBytes(work / "doc", "data");
    FSRef ref = RefOf(work / "doc");
    HFSUniStr255 rsrc;
    FSGetResourceForkName(&rsrc);
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdWrPerm, &fork), noErr);
    EXPECT_FALSE(fs::exists(work / "._doc"));
    ASSERT_EQ(FSWriteFork(fork, fsAtMark, 0, 5, "fork!", nullptr), noErr);
    ASSERT_EQ(FSCloseFork(fork), noErr);
    ASSERT_TRUE(fs::exists(work / "._doc"));
    const std::string sidecar = stravel::testing::ReadFileBytes(work / "._doc");
    EXPECT_EQ(sidecar.substr(0, 4), std::string("\x00\x05\x16\x07", 4));
    EXPECT_EQ(sidecar.substr(sidecar.size() - 5), "fork!");

    // Listings do not show it; renaming and deleting take it along.
    FSRef folder = RefOf(work);
    FSIterator iterator;
    ASSERT_EQ(FSOpenIterator(&folder, kFSIterateFlat, &iterator), noErr);
    UInt32 count = 0;
    FSRef items[4];
    EXPECT_EQ(
        FSGetCatalogInfoBulk(iterator, 4, &count, nullptr, 0, nullptr, items, nullptr, nullptr),
        noErr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(FSCloseIterator(iterator), noErr);
    EXPECT_EQ(FSCloseIterator(iterator), rfNumErr);

    const std::u16string name = U("renamed");
    FSRef renamed;
    ASSERT_EQ(FSRenameUnicode(&ref, name.size(), name.data(), 0, &renamed), noErr);
    EXPECT_TRUE(fs::exists(work / "._renamed"));
    EXPECT_FALSE(fs::exists(work / "._doc"));
    FSCatalogInfo info;
    ASSERT_EQ(FSGetCatalogInfo(&renamed, kFSCatInfoRsrcSizes | kFSCatInfoDataSizes, &info, nullptr,
                               nullptr, nullptr),
              noErr);
    EXPECT_EQ(info.rsrcLogicalSize, 5u);
    EXPECT_EQ(info.dataLogicalSize, 4u);
    ASSERT_EQ(FSDeleteObject(&renamed), noErr);
    EXPECT_FALSE(fs::exists(work / "._renamed"));
}

// An AppleDouble sidecar with the given entries (id, offset, length) and contents.
std::string Sidecar(std::initializer_list<std::array<uint32_t, 3>> entries, std::string tail) {
    std::string out("\x00\x05\x16\x07\x00\x02\x00\x00", 8);
    out += std::string(16, '\0');
    out += char(entries.size() >> 8);
    out += char(entries.size());
    for (const auto& entry : entries)
        for (uint32_t field : entry)
            for (int shift = 24; shift >= 0; shift -= 8)
                out += char(field >> shift);
    return out + tail;
}

TEST_F(FileManagerTest, AForkAfterOtherEntriesKeepsItsOwnLength) {
    stravel::testing::WriteFileBytes(work / "doc", "data");
    // As other systems lay it out: Finder information first, the fork last.
    stravel::testing::WriteFileBytes(
        work / "._doc", Sidecar({{9, 50, 32}, {2, 82, 5}}, std::string(32, 'F') + "abcde"));
    FSRef ref = RefOf(work / "doc");
    HFSUniStr255 rsrc;
    FSGetResourceForkName(&rsrc);
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdWrPerm, &fork), noErr);
    ASSERT_EQ(FSWriteFork(fork, fsFromStart, 5, 3, "fgh", nullptr), noErr);
    ASSERT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._doc"),
              Sidecar({{9, 50, 32}, {2, 82, 8}}, std::string(32, 'F') + "abcdefgh"));
    ASSERT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdWrPerm, &fork), noErr);
    ASSERT_EQ(FSSetForkSize(fork, fsFromStart, 2), noErr);
    ASSERT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._doc"),
              Sidecar({{9, 50, 32}, {2, 82, 2}}, std::string(32, 'F') + "ab"));

    // An empty fork written elsewhere, with no place of its own, grows at the end and its
    // entry says where.
    const std::string finder(32, 'F');
    for (const auto& [before, after] :
         {std::pair(Sidecar({{2, 0, 0}}, ""), Sidecar({{2, 38, 3}}, "new")),
          std::pair(Sidecar({{9, 50, 32}, {2, 0, 0}}, finder),
                    Sidecar({{9, 50, 32}, {2, 82, 3}}, finder + "new"))}) {
        stravel::testing::WriteFileBytes(work / "._doc", before);
        ASSERT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdWrPerm, &fork), noErr);
        ASSERT_EQ(FSWriteFork(fork, fsFromLEOF, 0, 3, "new", nullptr), noErr);
        ASSERT_EQ(FSCloseFork(fork), noErr);
        EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._doc"), after);
    }

    // Entries that reach into the header or into each other are refused.
    for (const std::string& bad :
         {Sidecar({{2, 30, 5}}, "abcde"), Sidecar({{9, 50, 32}, {2, 70, 5}}, std::string(37, 'F')),
          Sidecar({{2, 38, 50}}, "short")}) {
        stravel::testing::WriteFileBytes(work / "._doc", bad);
        EXPECT_EQ(FSOpenFork(&ref, rsrc.length, rsrc.unicode, fsRdPerm, &fork), ioErr);
    }
}

TEST_F(FileManagerTest, ReplacingAForkKeepsTheOtherEntriesOfItsSidecar) {
    stravel::testing::WriteFileBytes(work / "doc", "data");
    FSRef ref = RefOf(work / "doc");
    const std::string finder(32, 'F');
    stravel::testing::WriteFileBytes(work / "._doc",
                                     Sidecar({{9, 50, 32}, {2, 82, 5}}, finder + "abcde"));
    ASSERT_EQ(FSReplaceResourceFork(&ref, "xy", 2), noErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._doc"),
              Sidecar({{9, 50, 32}, {2, 82, 2}}, finder + "xy"));

    // A fork that other entries follow, and a file of that name that is someone else's,
    // are left as they are.
    for (const std::string& kept :
         {Sidecar({{2, 50, 5}, {9, 55, 32}}, "abcde" + finder), std::string("notes")}) {
        stravel::testing::WriteFileBytes(work / "._doc", kept);
        EXPECT_NE(FSReplaceResourceFork(&ref, "xy", 2), noErr);
        EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._doc"), kept);
    }
}

TEST_F(FileManagerTest, AnExchangeWhoseForksCannotFollowIsUndone) {
    // No sidecar can sit beside a name of 255 bytes, so b's fork cannot take that name.
    const std::string longName(255, 'n');
    stravel::testing::WriteFileBytes(work / longName, "long");
    stravel::testing::WriteFileBytes(work / "b", "b");
    const std::string fork = Sidecar({{2, 38, 5}}, "abcde");
    stravel::testing::WriteFileBytes(work / "._b", fork);
    FSRef a = RefOf(work / longName), b = RefOf(work / "b");
    EXPECT_EQ(FSExchangeObjects(&a, &b), errFSNameTooLong);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / longName), "long");
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "b"), "b");
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._b"), fork);

    // Nor is a file renamed away from its fork.
    const std::u16string tooLong(254, u'm');
    EXPECT_EQ(FSRenameUnicode(&b, tooLong.size(), tooLong.data(), 0, nullptr), errFSNameTooLong);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._b"), fork);

    // Without a fork to move, the long name exchanges like any other.
    fs::remove(work / "._b");
    ASSERT_EQ(FSExchangeObjects(&a, &b), noErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / longName), "b");
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "b"), "long");
}

TEST_F(FileManagerTest, CreationDatesSetOnFoldersAndNewItemsAreKept) {
    FSCatalogInfo info;
    info.createDate.lowSeconds = 981173106u + 2082844800u; // 2001-02-03 04:05:06 UTC
    FSRef parent = RefOf(work), folder, file;
    const std::u16string folderName = U("made"), fileName = U("file"), moved = U("moved");
    ASSERT_EQ(FSCreateDirectoryUnicode(&parent, folderName.size(), folderName.data(),
                                       kFSCatInfoCreateDate, &info, &folder, nullptr, nullptr),
              noErr);
    ASSERT_EQ(FSCreateFileUnicode(&parent, fileName.size(), fileName.data(), kFSCatInfoCreateDate,
                                  &info, &file, nullptr),
              noErr);
    ASSERT_EQ(FSRenameUnicode(&folder, moved.size(), moved.data(), 0, &folder), noErr);
    for (const FSRef& ref : {folder, file}) {
        FSCatalogInfo back;
        ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate, &back, nullptr, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(back.createDate.lowSeconds, info.createDate.lowSeconds) << ref.path;
        EXPECT_TRUE(FSHasCreationDate(&ref)) << ref.path;
    }
    // The folder's date lives in an AppleDouble file beside it, which listings do not show.
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "._moved").substr(0, 4),
              std::string("\x00\x05\x16\x07", 4));
    FSIterator iterator;
    ASSERT_EQ(FSOpenIterator(&parent, kFSIterateFlat, &iterator), noErr);
    UInt32 count = 0;
    FSRef items[4];
    FSGetCatalogInfoBulk(iterator, 4, &count, nullptr, 0, nullptr, items, nullptr, nullptr);
    FSCloseIterator(iterator);
    EXPECT_EQ(count, 2u);
    FSCatalogInfo counted;
    ASSERT_EQ(FSGetCatalogInfo(&parent, kFSCatInfoValence, &counted, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_EQ(counted.valence, count);
    ASSERT_EQ(FSDeleteObject(&folder), noErr);
    EXPECT_FALSE(fs::exists(work / "._moved"));
    // The root folder has no place beside it for a date.
    FSRef root = RefOf("/");
    EXPECT_EQ(FSSetCatalogInfo(&root, kFSCatInfoCreateDate, &info), paramErr);
}

TEST_F(FileManagerTest, MovesNeverReplaceAndRenamesCanReplaceAtomically) {
    fs::create_directories(work / "in");
    stravel::testing::WriteFileBytes(work / "a", "A");
    stravel::testing::WriteFileBytes(work / "in" / "a", "old");
    FSRef a = RefOf(work / "a"), in = RefOf(work / "in");
    EXPECT_EQ(FSMoveObject(&a, &in, nullptr), dupFNErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "a"), "A");
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "in" / "a"), "old");

    stravel::testing::WriteFileBytes(work / "b", "B");
    const std::u16string b = U("b");
    EXPECT_EQ(FSRenameUnicode(&a, b.size(), b.data(), 0, nullptr), dupFNErr);
    ASSERT_EQ(FSRenameUnicodeReplacing(&a, b.size(), b.data(), nullptr), noErr);
    EXPECT_EQ(stravel::testing::ReadFileBytes(work / "b"), "A");
    EXPECT_FALSE(fs::exists(work / "a"));
    const std::u16string folderName = U("in");
    FSRef bRef = RefOf(work / "b");
    EXPECT_EQ(FSRenameUnicodeReplacing(&bRef, folderName.size(), folderName.data(), nullptr),
              dupFNErr);
}

TEST_F(FileManagerTest, ForksPositionReadAndWriteIn64Bits) {
    stravel::testing::WriteFileBytes(work / "f", "0123456789");
    FSRef ref = RefOf(work / "f");
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork), noErr);
    EXPECT_EQ(FSSetForkPosition(fork, fsFromStart, -1), posErr);
    ASSERT_EQ(FSSetForkPosition(fork, fsFromLEOF, -3), noErr);
    char bytes[8] = {};
    ByteCount got = 0;
    EXPECT_EQ(FSReadFork(fork, fsAtMark, 0, 8, bytes, &got), eofErr);
    EXPECT_EQ(std::string(bytes, got), "789");
    const SInt64 far = (SInt64(1) << 32) + 5;
    ASSERT_EQ(FSSetForkSize(fork, fsFromStart, far), noErr);
    SInt64 size = 0;
    ASSERT_EQ(FSGetForkSize(fork, &size), noErr);
    EXPECT_EQ(size, far);
    ASSERT_EQ(FSWriteFork(fork, fsFromStart, far - 1, 1, "z", nullptr), noErr);
    SInt64 position = 0;
    ASSERT_EQ(FSGetForkPosition(fork, &position), noErr);
    EXPECT_EQ(position, far);
    EXPECT_EQ(FSCloseFork(fork), noErr);
}

TEST_F(FileManagerTest, StandardFoldersFollowTheEnvironment) {
    FSRef ref;
    ASSERT_EQ(FSFindFolder(kUserDomain, kTemporaryFolderType, kCreateFolder, &ref), noErr);
    EXPECT_EQ(fs::path(ref.path).parent_path(), fs::canonical(folders.Root() / "tmp"));
    struct stat info;
    ASSERT_EQ(stat(ref.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());

    ASSERT_EQ(FSFindFolder(kUserDomain, kApplicationSupportFolderType, kCreateFolder, &ref), noErr);
    EXPECT_EQ(ref.path, fs::canonical(folders.Root() / "data").string());
    ASSERT_EQ(FSFindFolder(kUserDomain, kPreferencesFolderType, kCreateFolder, &ref), noErr);
    EXPECT_EQ(ref.path, fs::canonical(folders.Root() / "config").string());
    ASSERT_EQ(FSFindFolder(kUserDomain, kDocumentsFolderType, kCreateFolder, &ref), noErr);
    EXPECT_EQ(ref.path, fs::canonical(folders.Root() / "Documents").string());
    EXPECT_EQ(FSFindFolder(kNetworkDomain, kApplicationSupportFolderType, kCreateFolder, &ref),
              fnfErr);
}

TEST_F(FileManagerTest, TemporaryFolderOfSomeoneElseOrALinkIsRefused) {
    const fs::path tmp = folders.Root() / "tmp";
    const fs::path mine = tmp / ("stravel-" + std::to_string(geteuid()));
    fs::create_directories(folders.Root() / "elsewhere");
    fs::create_directory_symlink(folders.Root() / "elsewhere", mine);
    FSRef ref;
    EXPECT_EQ(FSFindFolder(kUserDomain, kTemporaryFolderType, kCreateFolder, &ref),
              afpAccessDenied);
    fs::remove(mine);
    fs::create_directory(mine);
    fs::permissions(mine, fs::perms::all);
    ASSERT_EQ(FSFindFolder(kUserDomain, kTemporaryFolderType, kCreateFolder, &ref), noErr);
    EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(CFURLTest, PathsConvertBetweenStyles) {
    CFURLRef url =
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("/a/b:c/d"), kCFURLPOSIXPathStyle, true);
    ASSERT_TRUE(url);
    EXPECT_TRUE(CFURLHasDirectoryPath(url));
    CFStringRef hfs = CFURLCopyFileSystemPath(url, kCFURLHFSPathStyle);
    EXPECT_EQ(text::Utf16ToUtf8(hfs->Text()), std::string(kStartupVolumeName) + ":a:b/c:d");
    CFURLRef back = CFURLCreateWithFileSystemPath(nullptr, hfs, kCFURLHFSPathStyle, false);
    CFStringRef posix = CFURLCopyFileSystemPath(back, kCFURLPOSIXPathStyle);
    EXPECT_EQ(text::Utf16ToUtf8(posix->Text()), "/a/b:c/d");
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    EXPECT_EQ(parent->Path(), "/a/b:c");
    CFURLRef hidden =
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("/x/.hidden"), kCFURLPOSIXPathStyle, false);
    CFURLRef stem = CFURLCreateCopyDeletingPathExtension(nullptr, hidden);
    EXPECT_EQ(stem->Path(), "/x/.hidden");
    for (CFTypeRef object : {CFTypeRef(url), CFTypeRef(hfs), CFTypeRef(back), CFTypeRef(posix),
                             CFTypeRef(parent), CFTypeRef(stem), CFTypeRef(hidden)})
        CFRelease(object);
}

TEST(LaunchTest, TestsReplaceTheLauncherAndTheRealOneSpawnsWithoutAShell) {
    std::vector<std::string> seen;
    test::SetLauncher([&](const std::vector<std::string>& argv, UInt32* pid) {
        seen = argv;
        *pid = 42;
        return OSStatus(noErr);
    });
    ProcessSerialNumber psn;
    EXPECT_EQ(LaunchProgram({"/bin/x", "a b;rm"}, &psn), noErr);
    EXPECT_EQ(psn.lowLongOfPSN, 42u);
    EXPECT_EQ(seen, (std::vector<std::string>{"/bin/x", "a b;rm"}));
    test::SetLauncher({});

    stravel::testing::TempDir dir;
    const std::string marker = (dir / "made;by $(spawn)").string();
    ASSERT_EQ(LaunchProgram({"touch", marker}, &psn), noErr);
    EXPECT_NE(psn.lowLongOfPSN, 0u);
    for (int i = 0; i < 200 && !fs::exists(marker); ++i)
        usleep(10000);
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_NE(LaunchProgram({"/no/such/program"}, &psn), noErr);
}

} // namespace
