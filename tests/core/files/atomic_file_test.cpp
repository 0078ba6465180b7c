#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/atomic_file.h"
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
    ASSERT_TRUE(BK_WriteFileAtomically(path, "first"));
    EXPECT_EQ(ReadFileBytes(path), "first");
    ASSERT_TRUE(BK_WriteFileAtomically(path, std::string("sec\0ond", 7)));
    EXPECT_EQ(ReadFileBytes(path), std::string("sec\0ond", 7));
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
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

    // A device that cannot take the patch reports it.
    CBK_AtomicFile full;
    ASSERT_TRUE(full.Open("/dev/full"));
    ASSERT_TRUE(full.Write(big.data(), 10));
    EXPECT_TRUE(full.WriteAt(0, "x", 1));
    EXPECT_FALSE(full.Commit());
}

TEST(AtomicFileTest, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    EXPECT_FALSE(BK_WriteFileAtomically(dir / "no/such/folder.txt", "x"));
    EXPECT_FALSE(BK_WriteFileAtomically("", "x"));
    // A full device is written in place and reports the failure.
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

} // namespace
