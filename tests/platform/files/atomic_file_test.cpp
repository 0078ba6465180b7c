#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/atomic_file.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

std::size_t CountEntries(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(AtomicFileTest, CreatesAndReplacesWithoutLeavingTemporaries) {
    TempDir dir;
    const std::string path = dir / "file.txt";
    ASSERT_TRUE(tbx::WriteFileAtomically(path, "first"));
    EXPECT_EQ(ReadFileBytes(path), "first");
    ASSERT_TRUE(tbx::WriteFileAtomically(path, std::string("sec\0ond", 7)));
    EXPECT_EQ(ReadFileBytes(path), std::string("sec\0ond", 7));
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

TEST(AtomicFileTest, ALinkKeepsPointingAtTheReplacedFile) {
    TempDir dir;
    const std::string real = dir / "real.txt", link = dir / "link.txt";
    WriteFileBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(tbx::WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
}

TEST(AtomicFileTest, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    EXPECT_FALSE(tbx::WriteFileAtomically(dir / "no/such/folder.txt", "x"));
    EXPECT_FALSE(tbx::WriteFileAtomically("", "x"));
    // A full device is written in place and reports the failure.
    EXPECT_FALSE(tbx::WriteFileAtomically("/dev/full", "data"));
    struct stat info;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    // A folder that cannot be written keeps its file (root may write anywhere).
    if (geteuid() != 0) {
        const std::string path = dir / "kept.txt";
        WriteFileBytes(path, "kept");
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        EXPECT_FALSE(tbx::WriteFileAtomically(path, "lost"));
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(ReadFileBytes(path), "kept");
        EXPECT_EQ(CountEntries(dir.Path()), 1u);
    }
}

} // namespace
