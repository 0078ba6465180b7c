#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "platform/files/fs_types.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/memory_file.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

std::size_t CountEntries(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(AtomicFileTest, CreatesAndReplacesWithoutLeavingTemporaries) {
    TempDir dir;
    const std::string path = dir / "file.txt";
    ASSERT_TRUE(BK_WriteFileAtomically(path, "first"));
    EXPECT_EQ(ReadFileBytes(path), "first");
    ASSERT_TRUE(BK_WriteFileAtomically(path, std::string("sec\0ond", 7)));
    EXPECT_EQ(ReadFileBytes(path), std::string("sec\0ond", 7));
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(AtomicFileTest, TheReplacementKeepsTheTargetsMode) {
    TempDir dir;
    const mode_t saved = umask(022);
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0604)}) {
        const std::string path = dir / "private.plist";
        WriteFileBytes(path, "old");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(BK_WriteFileAtomically(path, "new"));
        EXPECT_EQ(ModeOf(path), mode);
        std::filesystem::remove(path);
    }
    // Only root may give a file away; the replacement then keeps the owners too.
    if (geteuid() == 0) {
        const std::string owned = dir / "owned.plist";
        WriteFileBytes(owned, "old");
        ASSERT_EQ(chown(owned.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(BK_WriteFileAtomically(owned, "new"));
        struct stat info;
        ASSERT_EQ(stat(owned.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    // A new file is made as any other under the umask.
    ASSERT_TRUE(BK_WriteFileAtomically(dir / "fresh", "x"));
    EXPECT_EQ(ModeOf(dir / "fresh"), 0644u);
    umask(saved);
}

// The access list of a file as getfacl reads it (numeric ids, no header).
std::string AccessListOf(const std::string& path) {
    const auto result =
        RunTool({"getfacl", "--omit-header", "--numeric", "--absolute-names", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
}

// Who may read a saved file is who could read it before: its mode, owners and access list or
// the absence of one, whatever the folder's default list gives new files. A file deleted or moved
// away while it was being saved leaves nothing to keep but that, and the save writes its bytes.
// getfacl reads the lists, and user 1001, whom the folder's default lets read new files, tries
// to read each saved file.
TEST(AtomicFileTest, ASaveKeepsWhoMayReadTheFileEvenOnceItHasGone) {
    STRAVEL_REQUIRE_TOOL("getfacl");
    STRAVEL_REQUIRE_TOOL("setfacl");
    const bool root = geteuid() == 0;
    if (root)
        STRAVEL_REQUIRE_TOOL("setpriv");
    TempDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
    const std::string folder = dir / "shared", path = folder + "/doc.xml";
    const std::string elsewhere = dir / "elsewhere.xml";
    std::filesystem::create_directory(folder);
    if (RunTool({"setfacl", "-d", "-m", "u:1001:r", folder}).exitCode != 0)
        GTEST_SKIP() << "no access lists on this file system";
    enum Meanwhile { kNothing, kDeleted, kMovedAway };
    const struct {
        const char* list; // given to the file before the save
        Meanwhile meanwhile;
        bool readable; // by user 1001
    } cases[] = {
        {nullptr, kNothing, false},   {nullptr, kDeleted, false},
        {nullptr, kMovedAway, false}, {"u:1001:r", kNothing, true},
        {"u:1001:r", kDeleted, true}, {"u:1002:rw,g::-", kNothing, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.list ? c.list : "no list") << ", " << c.meanwhile);
        // Made without the list the folder gives new files.
        WriteFileBytes(path, "old");
        ASSERT_EQ(RunTool({"setfacl", "-b", path}).exitCode, 0);
        ASSERT_EQ(chmod(path.c_str(), 0640), 0);
        if (root) {
            ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        }
        if (c.list) {
            ASSERT_EQ(RunTool({"setfacl", "-m", c.list, path}).exitCode, 0);
        }
        const std::string before = AccessListOf(path);
        struct stat was, now;
        ASSERT_EQ(stat(path.c_str(), &was), 0);
        CBK_AtomicFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_TRUE(file.Write("new", 3));
        if (c.meanwhile == kDeleted)
            std::filesystem::remove(path);
        else if (c.meanwhile == kMovedAway)
            std::filesystem::rename(path, elsewhere);
        ASSERT_TRUE(file.Commit()) << std::strerror(errno);
        EXPECT_EQ(ReadFileBytes(path), "new");
        EXPECT_EQ(CountEntries(folder), 1u);
        EXPECT_EQ(AccessListOf(path), before);
        ASSERT_EQ(stat(path.c_str(), &now), 0);
        EXPECT_EQ(now.st_mode, was.st_mode);
        EXPECT_EQ(now.st_uid, was.st_uid);
        EXPECT_EQ(now.st_gid, was.st_gid);
        if (root) {
            const auto read =
                RunTool({"setpriv", "--reuid=1001", "--regid=1001", "--clear-groups", "cat", path});
            EXPECT_EQ(read.exitCode == 0, c.readable) << read.err;
        }
        std::filesystem::remove(path);
        std::filesystem::remove(elsewhere);
    }
}

// What getxattr reads of one attribute, or nothing when the file has none.
std::optional<std::string> AttributeOf(const std::string& path, const char* name) {
    std::string value(1 << 16, '\0');
    const ssize_t got = getxattr(path.c_str(), name, value.data(), value.size());
    return got < 0 ? std::nullopt : std::optional(value.substr(0, std::size_t(got)));
}

// Every attribute that the target holds throughout goes with the new bytes, whatever another
// program changes meanwhile: attributes added and removed beside it, or its own value rewritten,
// now short, now long.
TEST(AtomicFileTest, TheReplacementKeepsTheTargetsAttributes) {
    TempDir dir;
    const std::string path = dir / "project.xml";
    WriteFileBytes(path, "old");
    const std::string finder(32, '\x7');
    if (setxattr(path.c_str(), "user.com.apple.FinderInfo", finder.data(), finder.size(), 0) != 0)
        GTEST_SKIP() << "no user attributes on this file system";
    ASSERT_EQ(setxattr(path.c_str(), "user.note", "kept", 4, 0), 0);
    ASSERT_TRUE(BK_WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(AttributeOf(path, "user.com.apple.FinderInfo"), finder);
    EXPECT_EQ(AttributeOf(path, "user.note"), "kept");

    const std::string shortNote(10, 's'), longNote(3000, 'l');
    const struct {
        const char* what;
        std::function<void(int)> change;
    } changes[] = {
        {"others added and removed",
         [&](int i) {
             const std::string name = "user.churn" + std::to_string(i % 64);
             (void)setxattr(path.c_str(), name.c_str(), "x", 1, 0);
             (void)removexattr(path.c_str(),
                               ("user.churn" + std::to_string((i + 32) % 64)).c_str());
         }},
        {"its value rewritten",
         [&](int i) {
             const std::string& note = i % 2 ? longNote : shortNote;
             (void)setxattr(path.c_str(), "user.note", note.data(), note.size(), 0);
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> done{false};
        std::thread changer([&] {
            for (int i = 0; !done; ++i)
                c.change(i);
        });
        int lost = 0;
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(BK_WriteFileAtomically(path, "again"));
            const auto note = AttributeOf(path, "user.note");
            lost += note != "kept" && note != shortNote && note != longNote;
        }
        done = true;
        changer.join();
        EXPECT_EQ(lost, 0);
    }
}

// A file whose attribute names take more than the kernel lists at once cannot have them all
// carried over: it is not replaced, and keeps its bytes and every attribute. Only a memory file
// system holds that many.
TEST(AtomicFileTest, AFileWhoseAttributesCannotAllBeListedIsNotReplaced) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    constexpr int kAttributes = 6000; // 66,000 bytes of names
    const stravel::testing::MemoryFile memory(kAttributes);
    if (!memory.error.empty())
        GTEST_SKIP() << memory.error;
    const std::string path = memory.file;
    errno = 0;
    EXPECT_FALSE(BK_WriteFileAtomically(path, "new"));
    EXPECT_EQ(errno, E2BIG);
    EXPECT_EQ(ReadFileBytes(path), "data");
    EXPECT_EQ(CountEntries(memory.folder), 1u);
    // getfattr cannot list them either, but finds each by name.
    EXPECT_NE(RunTool({"getfattr", "-d", path}).err.find("Argument list too long"),
              std::string::npos);
    for (const int i : {0, kAttributes / 2, kAttributes - 1}) {
        const std::string name = stravel::testing::MemoryFile::ForkAttribute(i);
        EXPECT_EQ(RunTool({"getfattr", "--only-values", "-n", name, path}).out, "x") << name;
    }
    int kept = 0;
    for (int i = 0; i < kAttributes; ++i)
        kept += AttributeOf(path, stravel::testing::MemoryFile::ForkAttribute(i).c_str()) == "x";
    EXPECT_EQ(kept, kAttributes);
}

TEST(AtomicFileTest, NamesOfTheLongestLengthCanBeWritten) {
    TempDir dir;
    const std::string path = dir / std::string(255, 'n');
    ASSERT_TRUE(BK_WriteFileAtomically(path, "first"));
    ASSERT_TRUE(BK_WriteFileAtomically(path, "second"));
    EXPECT_EQ(ReadFileBytes(path), "second");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

// Killed in the middle of writing each target: none is committed.
bool DieWriting(const std::vector<std::string>& targets) {
    const pid_t child = fork();
    if (child == 0) {
        for (const std::string& target : targets) {
            auto* file = new CBK_AtomicFile;
            if (!file->Open(target) || !file->Write("partial", 7))
                _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(AtomicFileTest, ADeadWritersFileGoesWhenTheNextWriteStarts) {
    TempDir dir;
    const std::string path = dir / "movie.swf", other = dir / "other.swf";
    ASSERT_TRUE(DieWriting({path, other}));
    ASSERT_EQ(CountEntries(dir.Path()), 2u);

    // The first write in the folder takes every dead writer's file away; a writer that is still
    // at work keeps its own.
    CBK_AtomicFile live;
    ASSERT_TRUE(live.Open(path));
    EXPECT_EQ(CountEntries(dir.Path()), 1u); // the dead ones went, the live one came
    ASSERT_TRUE(BK_WriteFileAtomically(path, "done"));
    ASSERT_TRUE(live.Write("live", 4));
    ASSERT_TRUE(live.Commit());
    EXPECT_EQ(ReadFileBytes(path), "live");
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
    // One that dies later is met by the next writer of its target.
    ASSERT_TRUE(DieWriting({other}));
    ASSERT_EQ(CountEntries(dir.Path()), 2u);
    ASSERT_TRUE(BK_WriteFileAtomically(other, "o"));
    EXPECT_EQ(CountEntries(dir.Path()), 2u);
}

TEST(AtomicFileTest, WritersInManyThreadsEachReplaceWhole) {
    TempDir dir;
    const std::string path = dir / "shared.txt";
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            const std::string bytes(1000 + t, char('a' + t));
            for (int i = 0; i < 20; ++i)
                failures += !BK_WriteFileAtomically(path, bytes);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    const std::string last = ReadFileBytes(path);
    ASSERT_GE(last.size(), 1000u);
    EXPECT_EQ(last, std::string(last.size(), char('a' + (last.size() - 1000))));
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

TEST(AtomicFileTest, OtherHardLinksKeepTheOldBytes) {
    TempDir dir;
    const std::string path = dir / "a", link = dir / "b";
    WriteFileBytes(path, "old");
    std::filesystem::create_hard_link(path, link);
    ASSERT_TRUE(BK_WriteFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(ReadFileBytes(link), "old");
}

TEST(AtomicFileTest, ALinkKeepsPointingAtTheReplacedFile) {
    TempDir dir;
    const std::string real = dir / "real.txt", link = dir / "link.txt";
    WriteFileBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(BK_WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
}

TEST(AtomicFileTest, PatchesWrittenBytesInTheFileAndInTheBuffer) {
    TempDir dir;
    const std::string path = dir / "patched.bin";
    CBK_AtomicFile file;
    ASSERT_TRUE(file.Open(path));
    const std::string big(100000, 'a'); // goes to the file at once
    ASSERT_TRUE(file.Write(big.data(), big.size()));
    ASSERT_TRUE(file.Write("tail", 4)); // stays buffered
    EXPECT_EQ(file.Size(), 100004u);
    EXPECT_TRUE(file.WriteAt(0, "HEAD", 4));
    EXPECT_TRUE(file.WriteAt(99998, "XYZW", 4)); // across the file and the buffer
    EXPECT_TRUE(file.WriteAt(100003, "!", 1));
    EXPECT_FALSE(file.WriteAt(100003, "!!", 2)); // past the end
    EXPECT_FALSE(file.WriteAt(200000, "!", 1));
    EXPECT_EQ(file.Size(), 100004u);
    ASSERT_TRUE(file.Commit());
    std::string expected = "HEAD" + std::string(99994, 'a') + "XYZWi!";
    EXPECT_EQ(ReadFileBytes(path), expected);

    // A disk that cannot take the bytes makes the commit fail, patch and all.
    EXPECT_TRUE(stravel::testing::UnderFileSizeLimit(1000, [&] {
        CBK_AtomicFile full;
        return full.Open(dir / "full.bin") && full.Write(big.data(), 2000) &&
               full.WriteAt(0, "x", 1) && !full.Commit();
    }));
    EXPECT_FALSE(std::filesystem::exists(dir / "full.bin"));
}

TEST(AtomicFileTest, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    EXPECT_FALSE(BK_WriteFileAtomically(dir / "no/such/folder.txt", "x"));
    EXPECT_FALSE(BK_WriteFileAtomically("", "x"));
    // A device is refused, never replaced.
    EXPECT_FALSE(BK_WriteFileAtomically("/dev/full", "data"));
    struct stat info;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    // A folder that cannot be written keeps its file (root may write anywhere).
    if (geteuid() != 0) {
        const std::string path = dir / "kept.txt";
        WriteFileBytes(path, "kept");
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        EXPECT_FALSE(BK_WriteFileAtomically(path, "lost"));
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(ReadFileBytes(path), "kept");
        EXPECT_EQ(CountEntries(dir.Path()), 1u);
    }
}

TEST(AtomicFileTest, OnlyFilesAreReplacedAndLockedOnesAreRefused) {
    TempDir dir;
    // Refused at once, whatever the item: a pipe with a reader would take the bytes, one
    // without would be waited on for ever.
    const std::string pipe = dir / "pipe", socketPath = dir / "socket";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const std::string& target :
         {pipe, socketPath, std::string("/dev/null"), dir.Path().string()}) {
        CBK_AtomicFile file;
        EXPECT_FALSE(file.Open(target)) << target;
        EXPECT_EQ(errno, target == dir.Path().string() ? EISDIR : EINVAL) << target;
    }
    close(reader);
    close(listener);

    // A locked file is refused as every other write of the file layer refuses it.
    const std::string locked = dir / "locked.txt";
    WriteFileBytes(locked, "kept");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    CBK_AtomicFile file;
    EXPECT_FALSE(BK_OpenAtomicFile(file, CBK_Path(BK_FileSystemNameToWide(locked)), true));
    EXPECT_EQ(CBK_Path::GetLastError(), tbx::fLckdErr);
    EXPECT_EQ(ReadFileBytes(locked), "kept");

    // A link to a file not written yet makes that file, as editors do.
    std::filesystem::create_directories(dir / "real");
    std::filesystem::create_symlink("real/new.txt", dir / "link.txt");
    ASSERT_TRUE(BK_WriteFileAtomically(dir / "link.txt", "made"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadFileBytes(dir / "real" / "new.txt"), "made");
}

} // namespace
