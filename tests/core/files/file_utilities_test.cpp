#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/files/container_iteration.h"
#include "core/files/copy_object.h"
#include "core/files/finder_info_utilities.h"
#include "core/files/fork_utilities.h"
#include "core/files/hfs_names.h"
#include "core/files/move_exchange.h"
#include "core/files/reference_utilities.h"
#include "core/files/volume_utilities.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_ranges.h"
#include "tests/core/files/fork_test_support.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
using stravel::testing::ForkBytes;
using stravel::testing::OpenFork;
using stravel::testing::ReadFileBytes;
using stravel::testing::RefOf;
using stravel::testing::RunTool;
using stravel::testing::WriteFileBytes;
namespace fs = std::filesystem;

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

void WriteResourceFork(const FSRef& ref, const std::string& bytes) {
    const SInt16 fork = OpenFork(ref, true, fsRdWrPerm);
    ASSERT_EQ(FSWriteFork(fork, fsFromStart, 0, bytes.size(), bytes.data(), nullptr), noErr);
    FSCloseFork(fork);
}

OSType TypeOf(const FSRef& ref) {
    UInt8 info[16];
    EXPECT_EQ(FSGetFinderInfo(&ref, info, nullptr, nullptr), noErr);
    return OSType(info[0]) << 24 | OSType(info[1]) << 16 | OSType(info[2]) << 8 | info[3];
}

class FileUtilitiesTest : public ::testing::Test {
protected:
    stravel::testing::PrivateFolders folders;
    fs::path work = folders.Work();
};

TEST_F(FileUtilitiesTest, ForkSizesAndWholeForkCopiesWithAnyBuffer) {
    const std::string data = RandomBytes(10000, 1), resource = RandomBytes(300, 2);
    WriteFileBytes(work / "a", data);
    const FSRef a = RefOf(work / "a");
    WriteResourceFork(a, resource);
    UInt64 dataSize = 0, rsrcSize = 0, logical = 0, physical = 0;
    UInt32 forks = 0;
    ASSERT_EQ(FSGetForkSizes(&a, &dataSize, &rsrcSize), noErr);
    EXPECT_EQ(dataSize, 10000u);
    EXPECT_EQ(rsrcSize, 300u);
    ASSERT_EQ(FSGetTotalForkSizes(&a, &logical, &physical, &forks), noErr);
    EXPECT_EQ(logical, 10300u);
    EXPECT_GE(physical, logical);
    EXPECT_EQ(forks, 2u);
    const FSRef folder = RefOf(work);
    EXPECT_EQ(FSGetTotalForkSizes(&folder, &logical, nullptr, &forks), noErr);
    EXPECT_EQ(forks, 0u);
    EXPECT_EQ(FSGetForkSizes(&folder, &dataSize, nullptr), notAFileErr);

    // Buffers below one block are used whole; larger ones in whole blocks.
    for (ByteCount size : {ByteCount(1), ByteCount(100), ByteCount(4095), ByteCount(5000)}) {
        WriteFileBytes(work / "b", RandomBytes(20000, 3)); // longer than the source
        const SInt16 in = OpenFork(a, false, fsRdPerm);
        const SInt16 out = OpenFork(RefOf(work / "b"), false, fsRdWrPerm);
        std::vector<char> buffer(size);
        EXPECT_EQ(FSCopyFork(in, out, buffer.data(), size), noErr) << size;
        FSCloseFork(in);
        FSCloseFork(out);
        EXPECT_EQ(ReadFileBytes(work / "b"), data) << size;
    }
    const SInt16 in = OpenFork(a, false, fsRdPerm);
    EXPECT_EQ(FSCopyFork(in, in, nullptr, 4096), paramErr);
    FSCloseFork(in);
}

TEST(TempBufferTest, SizesNeverWrapWhenLittleMemoryIsFree) {
    EXPECT_EQ(TempBufferSize(10000, 1u << 30), 8192u);
    EXPECT_EQ(TempBufferSize(100, 1u << 30), 4096u);
    EXPECT_EQ(TempBufferSize(1u << 20, 20000), 4096u);
    EXPECT_EQ(TempBufferSize(1u << 20, 32768), 4096u);
    EXPECT_EQ(TempBufferSize(1u << 20, 0), 4096u);
    EXPECT_EQ(TempBufferSize(1u << 20, 100000), 65536u);
    ByteCount got = 0;
    void* buffer = GetTempBuffer(10000, &got);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(got, 8192u);
    std::memset(buffer, 1, got);
    std::free(buffer);
}

TEST_F(FileUtilitiesTest, ByteRangeLocksRefuseAnotherOpening) {
    STRAVEL_REQUIRE_TOOL("python3");
    WriteFileBytes(work / "locked", RandomBytes(100, 4));
    const FSRef ref = RefOf(work / "locked");
    const SInt16 first = OpenFork(ref, false, fsRdWrPerm);
    const SInt16 second = OpenFork(ref, false, fsRdWrPerm);
    ASSERT_EQ(FSLockRangeCompat(first, 10, 0), noErr);
    EXPECT_EQ(FSLockRangeCompat(second, 5, 5), afpRangeOverlap);
    EXPECT_EQ(FSLockRangeCompat(second, 5, 10), noErr);
    EXPECT_EQ(FSLockRangeCompat(first, 0, 0), paramErr);
    // Another process meets the same locks (Python's lockf, a POSIX record lock).
    const std::string probe =
        "import fcntl,sys\nf=open(sys.argv[1],'r+b')\n"
        "try:\n fcntl.lockf(f,fcntl.LOCK_EX|fcntl.LOCK_NB,int(sys.argv[2]),"
        "int(sys.argv[3]))\n print('got')\nexcept OSError:\n print('refused')\n";
    const std::string path = (work / "locked").string();
    EXPECT_EQ(RunTool({"python3", "-c", probe, path, "3", "2"}).out, "refused\n");
    EXPECT_EQ(RunTool({"python3", "-c", probe, path, "10", "50"}).out, "got\n");
    ASSERT_EQ(FSUnlockRangeCompat(first, 10, 0), noErr);
    EXPECT_EQ(FSLockRangeCompat(second, 5, 0), noErr);
    FSRef back;
    ASSERT_EQ(FileRefNumGetFSRef(second, &back), noErr);
    EXPECT_EQ(FSCompareFSRefs(&back, &ref), noErr);
    FSCloseFork(first);
    FSCloseFork(second);
    EXPECT_EQ(FSLockRangeCompat(first, 1, 0), rfNumErr);
}

TEST_F(FileUtilitiesTest, ExchangeSwapsContentsAndNamesKeepTheirInformation) {
    fs::create_directories(work / "one");
    fs::create_directories(work / "two");
    WriteFileBytes(work / "one/a", "contents of a");
    WriteFileBytes(work / "two/b", "b");
    const FSRef a = RefOf(work / "one/a"), b = RefOf(work / "two/b");
    WriteResourceFork(a, "fork of a");
    ASSERT_EQ(FSChangeCreatorType(&a, FourCC("CRea"), FourCC("TYPa")), noErr);
    ASSERT_EQ(FSChangeCreatorType(&b, FourCC("CReb"), FourCC("TYPb")), noErr);

    ASSERT_EQ(FSExchangeObjectsCompat(&a, &b, nullptr, nullptr), noErr);
    EXPECT_EQ(ReadFileBytes(work / "one/a"), "b");
    EXPECT_EQ(ReadFileBytes(work / "two/b"), "contents of a");
    EXPECT_EQ(ForkBytes(b, true), "fork of a");
    EXPECT_EQ(TypeOf(a), FourCC("TYPa"));
    EXPECT_EQ(TypeOf(b), FourCC("TYPb"));

    // The same by renaming, as on file systems that cannot exchange two names.
    ASSERT_EQ(FSExchangeObjectsByRenaming(&a, &b), noErr);
    EXPECT_EQ(ReadFileBytes(work / "one/a"), "contents of a");
    EXPECT_EQ(ReadFileBytes(work / "two/b"), "b");
    EXPECT_EQ(ForkBytes(RefOf(work / "one/a"), true), "fork of a");
    EXPECT_EQ(TypeOf(RefOf(work / "one/a")), FourCC("TYPa"));
    EXPECT_EQ(TypeOf(RefOf(work / "two/b")), FourCC("TYPb"));

    // A step that fails half-way (b is locked and cannot be renamed) leaves both in place.
    ASSERT_EQ(FSSetLocked(&b, true), noErr);
    EXPECT_EQ(FSExchangeObjectsByRenaming(&a, &b), fLckdErr);
    EXPECT_EQ(FSCheckLock(&b), fLckdErr);
    EXPECT_EQ(FSCheckLock(&a), noErr);
    ASSERT_EQ(FSSetLocked(&b, false), noErr);
    EXPECT_EQ(ReadFileBytes(work / "one/a"), "contents of a");
    EXPECT_EQ(ReadFileBytes(work / "two/b"), "b");
    std::vector<FSRef> items;
    const FSRef one = RefOf(work / "one");
    ASSERT_EQ(FSGetDirectoryItems(&one, items), noErr);
    EXPECT_EQ(items.size(), 1u);

    const FSRef folder = RefOf(work / "one");
    EXPECT_EQ(FSExchangeObjectsCompat(&a, &folder, nullptr, nullptr), notAFileErr);
}

void WriteNamedFork(const FSRef& ref, const std::u16string& name, const std::string& bytes) {
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, name.size(), name.data(), fsWrPerm, &fork), noErr);
    ASSERT_EQ(FSWriteFork(fork, fsFromStart, 0, bytes.size(), bytes.data(), nullptr), noErr);
    FSCloseFork(fork);
}

// Every user attribute of a file as getfattr dumps it, without the line naming the file.
std::string UserAttributes(const fs::path& file) {
    const auto dump = RunTool(
        {"getfattr", "--absolute-names", "-d", "-e", "hex", "-m", "^user\\.", file.string()});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    return dump.out.substr(std::min(dump.out.find('\n'), dump.out.size()));
}

TEST_F(FileUtilitiesTest, CopiesExchangesAndMovesCarryNamedForksAndFolderDates) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    fs::create_directories(work / "t/sub");
    fs::create_directories(work / "to");
    WriteFileBytes(work / "t/a", "a");
    WriteFileBytes(work / "t/sub/b", "b");
    WriteFileBytes(work / "other", "other");
    const FSRef a = RefOf(work / "t/a"), b = RefOf(work / "t/sub/b"), sub = RefOf(work / "t/sub");
    WriteResourceFork(a, "fork of a");
    ASSERT_EQ(FSChangeCreatorType(&a, FourCC("CRea"), FourCC("TYPa")), noErr);
    if (TypeOf(a) == 0)
        GTEST_SKIP() << "no user attributes on this file system";
    WriteNamedFork(a, u"preview", RandomBytes(3000, 5));
    WriteNamedFork(a, u"\u00fcber", "x");
    WriteNamedFork(a, std::u16string(1, u'\xDCC3'), "y"); // the byte 0xC3 alone, no UTF-8
    WriteNamedFork(b, u"notes", RandomBytes(100, 6));
    FSCatalogInfo date;
    date.createDate.lowSeconds = 981173106u + 2082844800u;
    const FSRef tree = RefOf(work / "t"), to = RefOf(work / "to");
    for (const FSRef& folder : {sub, tree})
        ASSERT_EQ(FSSetCatalogInfo(&folder, kFSCatInfoCreateDate, &date), noErr);
    ASSERT_EQ(FSCopyObject(&tree, &to, 0, kDupeActionStandard, nullptr, nullptr, nullptr), noErr);
    UInt32 count = 0;
    ASSERT_EQ(FSGetTotalForkSizes(&a, nullptr, nullptr, &count), noErr);
    EXPECT_EQ(count, 5u); // data, resource and three named forks
    for (const char* file : {"a", "sub/b"}) {
        const std::string copied = UserAttributes(work / "to/t" / file);
        EXPECT_NE(copied.find("user."), std::string::npos) << file;
        EXPECT_EQ(copied, UserAttributes(work / "t" / file)) << file;
    }
    for (const char* folder : {"to/t", "to/t/sub"}) {
        FSCatalogInfo copied;
        const FSRef ref = RefOf(work / folder);
        ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate, &copied, nullptr, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(copied.createDate.lowSeconds, date.createDate.lowSeconds) << folder;
    }

    // The forks go with the contents; each name keeps its own Finder information.
    const std::string forks = UserAttributes(work / "t/sub/b");
    const FSRef other = RefOf(work / "other");
    ASSERT_EQ(FSExchangeObjectsCompat(&b, &other, nullptr, nullptr), noErr);
    EXPECT_EQ(UserAttributes(work / "other"), forks);
    ASSERT_EQ(FSExchangeObjectsByRenaming(&b, &other), noErr);
    EXPECT_EQ(UserAttributes(work / "t/sub/b"), forks);
    const std::u16string name = u"moved";
    ASSERT_EQ(FSMoveRenameObjectUnicode(&b, &to, name.size(), name.data(), 0, nullptr), noErr);
    EXPECT_EQ(UserAttributes(work / "to/moved"), forks);
}

// Every attribute and access list of an item as getfattr and getfacl read them, without the
// lines naming it; those whose names begin with one of `leftOut` are left out.
std::string AllAttributes(const fs::path& item, std::initializer_list<const char*> leftOut = {}) {
    const auto dump =
        RunTool({"getfattr", "--absolute-names", "-d", "-e", "hex", "-m", "-", item.string()});
    const auto lists =
        RunTool({"getfacl", "--omit-header", "--numeric", "--absolute-names", item.string()});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(lists.exitCode, 0) << lists.err;
    std::string kept;
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && !line.starts_with("# file:") &&
            std::none_of(leftOut.begin(), leftOut.end(),
                         [&](const char* prefix) { return line.starts_with(prefix); }))
            kept += line + "\n";
    return kept + lists.out;
}

// A tree whose folders and files carry other programs' attributes, access lists (a folder's
// default one too) or none, and, set by root, trusted and security attributes, copied into a
// folder whose default list gives every new item one: each item of the copy keeps exactly the
// attributes and lists of its source, as cp -a keeps them. Copied by nobody, the copy fails
// nothing and leaves behind only what nobody may not set (security attributes) or see
// (trusted ones).
TEST_F(FileUtilitiesTest, TreeCopiesKeepEveryAttributeOfEveryItem) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    STRAVEL_REQUIRE_TOOL("getfacl");
    STRAVEL_REQUIRE_TOOL("setfacl");
    const bool root = geteuid() == 0;
    for (const char* folder : {"t/sub/deeper", "to", "cp", "levels", "nobody"})
        fs::create_directories(work / folder);
    WriteFileBytes(work / "t/sub/notes", "notes");
    WriteFileBytes(work / "t/plain", "plain");
    // Kept in sidecars, one with an access list of its own, one without.
    WriteResourceFork(RefOf(work / "t/sub/notes"), "resources");
    WriteResourceFork(RefOf(work / "t/plain"), "resources");
    const struct {
        const char *item, *name, *value;
    } attributes[] = {
        {"t", "user.xdg.comment", "the tree"},
        {"t/sub", "user.xdg.comment", "a folder"},
        {"t/sub/deeper", "user.xdg.origin.url", "https://example.org/"},
        {"t/sub/notes", "user.xdg.comment", "a file"},
        {"t", "trusted.overlay.opaque", "y"},
        {"t/sub/notes", "trusted.md5", "0123"},
        {"t/sub", "security.stravel", "folder label"},
        {"t/plain", "security.stravel", "file label"},
    };
    for (const auto& a : attributes) {
        if (!root && !std::string_view(a.name).starts_with("user."))
            continue;
        const fs::path item = work / a.item;
        if (setxattr(item.c_str(), a.name, a.value, std::strlen(a.value), 0) != 0)
            GTEST_SKIP() << a.name << ": " << std::strerror(errno);
    }
    const struct {
        const char *item, *list;
        bool defaults;
    } lists[] = {
        {"t", "u:1002:rwx", false},
        {"t", "u:1001:rx", true},
        {"t/sub/notes", "u:1001:r,g::-", false},
        {"t/sub/._notes", "u:1001:r,g::-", false},
        {"t/sub/deeper", "g:1003:rwx", true},
        {"to", "u:1001:rw", true},
        {"cp", "u:1001:rw", true},
        {"levels", "u:1001:rw", true},
        {"nobody", "u:1001:rw", true},
    };
    for (const auto& l : lists) {
        const fs::path item = work / l.item;
        if (RunTool({"setfacl", l.defaults ? "-d" : "-n", "-m", l.list, item.string()}).exitCode)
            GTEST_SKIP() << "no access lists on this file system";
    }
    const char* items[] = {"t",       "t/sub",    "t/sub/deeper", "t/sub/notes", "t/sub/._notes",
                           "t/plain", "t/._plain"};

    const FSRef tree = RefOf(work / "t"), to = RefOf(work / "to");
    ASSERT_EQ(FSCopyObject(&tree, &to, 0, kDupeActionStandard, nullptr, nullptr, nullptr), noErr);
    ASSERT_EQ(RunTool({"cp", "-a", (work / "t").string(), (work / "cp").string()}).exitCode, 0);
    for (const char* item : items) {
        SCOPED_TRACE(item);
        const std::string copied = AllAttributes(work / "to" / item);
        EXPECT_EQ(copied, AllAttributes(work / "cp" / item));
        EXPECT_EQ(copied, AllAttributes(work / item));
    }
    EXPECT_NE(AllAttributes(work / "to/t").find("default:user:1001:r-x"), std::string::npos);
    // Two levels deep, the folder below them is made empty with its attributes all the same.
    const FSRef levels = RefOf(work / "levels");
    ASSERT_EQ(FSCopyObject(&tree, &levels, 2, kDupeActionStandard, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_TRUE(fs::is_empty(work / "levels/t/sub/deeper"));
    for (const char* item : items) {
        SCOPED_TRACE(item);
        EXPECT_EQ(AllAttributes(work / "levels" / item), AllAttributes(work / item));
    }

    if (!root)
        return;
    // Nobody owns the tree and may write in the destination.
    for (const fs::path& folder : {folders.Root(), work})
        fs::permissions(folder, fs::perms(0755));
    for (const fs::path& item : {work / "t", work / "nobody"}) {
        ASSERT_EQ(lchown(item.c_str(), 65534, 65534), 0);
        for (const auto& inner : fs::recursive_directory_iterator(item))
            ASSERT_EQ(lchown(inner.path().c_str(), 65534, 65534), 0);
    }
    const FSRef byNobody = RefOf(work / "nobody");
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
        _exit(ok && FSCopyObject(&tree, &byNobody, 0, kDupeActionStandard, nullptr, nullptr,
                                 nullptr) == noErr
                  ? 0
                  : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const char* item : items) {
        SCOPED_TRACE(item);
        EXPECT_EQ(AllAttributes(work / "nobody" / item),
                  AllAttributes(work / item, {"security.", "trusted."}));
    }
}

TEST_F(FileUtilitiesTest, MoveRenameIsOneStepOrNone) {
    fs::create_directories(work / "to");
    WriteFileBytes(work / "x", "x");
    WriteFileBytes(work / "to/x", "old x"); // the item's own name is taken there
    WriteFileBytes(work / "to/taken", "t");
    const FSRef to = RefOf(work / "to");
    const std::u16string taken = u"taken", fresh = u"y";
    FSRef x = RefOf(work / "x"), moved;
    EXPECT_EQ(FSMoveRenameObjectUnicode(&x, &to, taken.size(), taken.data(), 0, &moved), dupFNErr);
    EXPECT_EQ(ReadFileBytes(work / "x"), "x");
    ASSERT_EQ(FSMoveRenameObjectUnicode(&x, &to, fresh.size(), fresh.data(), 0, &moved), noErr);
    EXPECT_EQ(ReadFileBytes(work / "to/y"), "x");
    EXPECT_EQ(ReadFileBytes(work / "to/x"), "old x");
    EXPECT_FALSE(fs::exists(work / "x"));
}

TEST_F(FileUtilitiesTest, BumpDateAlwaysMovesTheDateForward) {
    WriteFileBytes(work / "d", "d");
    const FSRef d = RefOf(work / "d");
    struct stat before, middle, after;
    ASSERT_EQ(stat((work / "d").c_str(), &before), 0);
    ASSERT_EQ(FSBumpDate(&d), noErr);
    ASSERT_EQ(stat((work / "d").c_str(), &middle), 0);
    ASSERT_EQ(FSBumpDate(&d), noErr);
    ASSERT_EQ(stat((work / "d").c_str(), &after), 0);
    EXPECT_GE(middle.st_mtime, before.st_mtime);
    EXPECT_GT(after.st_mtime, middle.st_mtime);
}

TEST_F(FileUtilitiesTest, FinderFlagsSetAndClearOneBitEach) {
    WriteFileBytes(work / "f", "f");
    const FSRef f = RefOf(work / "f");
    ASSERT_EQ(FSSetInvisible(&f), noErr);
    ASSERT_EQ(FSSetHasCustomIcon(&f), noErr);
    ASSERT_EQ(FSClearInvisible(&f), noErr);
    ASSERT_EQ(FSChangeCreatorType(&f, 0, FourCC("TEXT")), noErr);
    UInt8 info[16];
    Boolean folder = true;
    ASSERT_EQ(FSGetFinderInfo(&f, info, nullptr, &folder), noErr);
    EXPECT_FALSE(folder);
    EXPECT_EQ(info[8] << 8 | info[9], kHasCustomIcon);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info), 8), std::string("TEXT\0\0\0\0", 8));
}

TEST_F(FileUtilitiesTest, NamesAndUniqueNames) {
    STRAVEL_REQUIRE_TOOL("iconv");
    const unsigned char hfs[] = "\x05"
                                "caf\x8e!";
    HFSUniStr255 name;
    ASSERT_EQ(HFSNameGetUnicodeName(hfs, 0xFFFF, &name), noErr);
    const std::u16string units(reinterpret_cast<const char16_t*>(name.unicode), name.length);
    EXPECT_EQ(units, u"caf\u00e9!");
    const auto iconv = RunTool({"iconv", "-f", "MACINTOSH", "-t", "UTF-16LE"}, "caf\x8e!");
    ASSERT_EQ(iconv.exitCode, 0);
    EXPECT_EQ(iconv.out, std::string(reinterpret_cast<const char*>(units.data()), 10));
    unsigned char back[32];
    ASSERT_EQ(UnicodeNameGetHFSName(name.length, name.unicode, 0xFFFF, false, back), noErr);
    EXPECT_EQ(std::memcmp(back, hfs, 6), 0);

    fs::create_directories(work / "p");
    fs::create_directories(work / "q");
    WriteFileBytes(work / "q/4C6D694A", "");
    const FSRef p = RefOf(work / "p"), q = RefOf(work / "q");
    UInt32 seed = FourCC("LmiJ");
    ASSERT_EQ(GenerateUniqueHFSUniStr(&seed, &p, &q, &name), noErr);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.unicode), name.length),
              u"4C6D694B");
    EXPECT_EQ(seed, FourCC("LmiJ") + 2);
}

struct Visit {
    int items = 0;
    UInt32 deepest = 0;
};

Boolean Count(Boolean, UInt32 level, const FSCatalogInfo*, const FSRef*, const FSSpec*,
              const HFSUniStr255*, void* data) {
    Visit* visit = static_cast<Visit*>(data);
    ++visit->items;
    visit->deepest = std::max(visit->deepest, level);
    return false;
}

TEST_F(FileUtilitiesTest, IterationVisitsTheTreeDownToTheLevelLimit) {
    fs::create_directories(work / "t/a/b/c");
    WriteFileBytes(work / "t/1", "");
    WriteFileBytes(work / "t/a/2", "");
    WriteFileBytes(work / "t/a/b/c/3", "");
    fs::create_directory_symlink(work / "t/a", work / "t/link");
    const FSRef t = RefOf(work / "t");
    Visit all, top;
    ASSERT_EQ(FSIterateContainer(&t, 0, kFSCatInfoNone, false, true, Count, &all), noErr);
    EXPECT_EQ(all.items, 7); // 1, a, link, 2, b, c, 3: the link is not entered
    EXPECT_EQ(all.deepest, 4u);
    ASSERT_EQ(FSIterateContainer(&t, 1, kFSCatInfoNone, false, false, Count, &top), noErr);
    EXPECT_EQ(top.items, 3);
    EXPECT_EQ(top.deepest, 1u);
}

TEST_F(FileUtilitiesTest, VolumesIdsAndWhatHasNoMeaningHere) {
    STRAVEL_REQUIRE_TOOL("python3");
    WriteFileBytes(work / "v", "v");
    const FSRef v = RefOf(work / "v");
    FSVolumeRefNum volume = 0;
    ASSERT_EQ(FSGetVRefNum(&v, &volume), noErr);
    EXPECT_LT(volume, 0);
    UInt64 freeBytes = 0, totalBytes = 0;
    ASSERT_EQ(FSGetVInfo(volume, nullptr, &freeBytes, &totalBytes), noErr);
    EXPECT_LE(freeBytes, totalBytes);
    const auto python = RunTool({"python3", "-c",
                                 "import os,sys\ns=os.statvfs(sys.argv[1])\n"
                                 "print(s.f_blocks*s.f_frsize)",
                                 (work / "v").string()});
    ASSERT_EQ(python.exitCode, 0);
    EXPECT_EQ(python.out, std::to_string(totalBytes) + "\n");
    std::vector<FSRef> volumes;
    ASSERT_EQ(FSGetMountedVolumes(volumes), noErr);
    EXPECT_NE(
        std::find_if(volumes.begin(), volumes.end(), [](const FSRef& r) { return r.path == "/"; }),
        volumes.end());
    EXPECT_EQ(FSVolumeMount(nullptr, &volume), paramErr);
    EXPECT_EQ(FSGetVolMountInfoSize(volume, nullptr), paramErr);

    FSRef found;
    EXPECT_EQ(FSResolveFileIDRef(volume, 12345, &found), fidNotFound);
    SInt32 id = 0;
    ASSERT_EQ(FSCreateFileIDRef(&v, &id), noErr);
    ASSERT_EQ(FSResolveFileIDRef(volume, id, &found), noErr);
    EXPECT_EQ(FSCompareFSRefs(&found, &v), noErr);
    fs::remove(work / "v");
    EXPECT_EQ(FSResolveFileIDRef(volume, id, &found), fidNotFound);
}

} // namespace
