#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_fork_replace.h"
#include "tests/support/private_folders.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;
namespace fs = std::filesystem;

std::string ResourceFork(const FSRef& ref) {
    HFSUniStr255 name;
    FSGetResourceForkName(&name);
    SInt16 fork = 0;
    EXPECT_EQ(FSOpenFork(&ref, name.length, name.unicode, fsRdPerm, &fork), noErr);
    std::string bytes(64, '\0');
    ByteCount got = 0;
    FSReadFork(fork, fsFromStart, 0, bytes.size(), bytes.data(), &got);
    FSCloseFork(fork);
    bytes.resize(got);
    return bytes;
}

std::size_t Entries(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ForkReplaceTest, ReplacesTheWholeResourceForkAndLeavesNothingBeside) {
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "f";
    stravel::testing::WriteFileBytes(file, "data");
    FSRef ref;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(file.c_str()), &ref, nullptr), noErr);
    ASSERT_EQ(FSReplaceResourceFork(&ref, "a longer first fork", 19), noErr);
    ASSERT_EQ(FSReplaceResourceFork(&ref, "second", 6), noErr);
    EXPECT_EQ(ResourceFork(ref), "second");
    ASSERT_EQ(FSSetLocked(&ref, true), noErr);
    EXPECT_EQ(FSReplaceResourceFork(&ref, "third", 5), fLckdErr);
    ASSERT_EQ(FSSetLocked(&ref, false), noErr);
    EXPECT_EQ(ResourceFork(ref), "second");
    EXPECT_EQ(stravel::testing::ReadFileBytes(file), "data");
    EXPECT_EQ(Entries(folders.Work()), 2u); // the file and its one sidecar
}

TEST(ForkReplaceTest, NamesThatLeaveRoomForASidecarTakeAFork) {
    stravel::testing::PrivateFolders folders;
    for (std::size_t length = 246; length <= 253; ++length) {
        const fs::path file = folders.Work() / std::string(length, 'n');
        stravel::testing::WriteFileBytes(file, "data");
        FSRef ref;
        ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(file.c_str()), &ref, nullptr),
                  noErr);
        ASSERT_EQ(FSReplaceResourceFork(&ref, "fork", 4), noErr) << length;
        EXPECT_EQ(ResourceFork(ref), "fork") << length;
        ASSERT_EQ(FSDeleteObject(&ref), noErr);
    }
    EXPECT_TRUE(fs::is_empty(folders.Work()));
}

TEST(ForkReplaceTest, ARewriteCutShortLeavesItsTemporaryOnlyUntilTheNext) {
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "f";
    stravel::testing::WriteFileBytes(file, "data");
    FSRef ref;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(file.c_str()), &ref, nullptr), noErr);
    const std::string fork(1 << 20, 'x');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed by the file-size limit half-way through writing the new sidecar.
        const rlimit noCore{0, 0}, size{1 << 16, 1 << 16};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &size);
        std::signal(SIGXFSZ, SIG_DFL);
        FSReplaceResourceFork(&ref, fork.data(), fork.size());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(Entries(folders.Work()), 2u); // the file and the cut temporary
    ASSERT_EQ(FSReplaceResourceFork(&ref, "new", 3), noErr);
    EXPECT_EQ(ResourceFork(ref), "new");
    EXPECT_EQ(Entries(folders.Work()), 2u); // the file and its sidecar
}

} // namespace
