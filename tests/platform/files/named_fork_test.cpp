#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "tests/support/bounded_run.h"
#include "tests/support/private_folders.h"

namespace {

using namespace tbx;
namespace fs = std::filesystem;

FSRef RefOf(const fs::path& path) {
    FSRef ref;
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), noErr);
    return ref;
}

// What getfattr reads, or nothing when the attribute is absent.
std::optional<std::string> Attribute(const fs::path& file, const std::string& name) {
    const auto result =
        stravel::testing::RunTool({"getfattr", "--only-values", "-n", name, file.string()});
    return result.exitCode == 0 ? std::optional(result.out) : std::nullopt;
}

OSErr Write(const FSRef& ref, const std::u16string& fork, std::size_t at,
            const std::string& bytes) {
    SInt16 refNum = 0;
    if (OSErr error = FSOpenFork(&ref, fork.size(), fork.data(), fsRdWrPerm, &refNum))
        return error;
    const OSErr error =
        FSWriteFork(refNum, fsFromStart, SInt64(at), bytes.size(), bytes.data(), nullptr);
    FSCloseFork(refNum);
    return error;
}

std::vector<std::u16string> ForkNames(const FSRef& ref) {
    std::vector<std::u16string> names;
    CatPositionRec position;
    HFSUniStr255 name;
    while (FSIterateForks(&ref, &position, &name, nullptr, nullptr) == noErr)
        names.emplace_back(reinterpret_cast<const char16_t*>(name.unicode), name.length);
    return names;
}

TEST(NamedForkTest, NamedForksAreUserAttributesBesideTheFinderInformation) {
    STRAVEL_REQUIRE_TOOL("getfattr");
    stravel::testing::PrivateFolders folders;
    const fs::path file = folders.Work() / "movie";
    stravel::testing::WriteFileBytes(file, "data");
    const FSRef ref = RefOf(file);
    FSCatalogInfo info;
    FileInfo finder;
    finder.fileType = FourCC("SWFL");
    SetFileInfo(info, finder);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);
    if (!Attribute(file, "user.com.apple.FinderInfo"))
        GTEST_SKIP() << "no user attributes on this file system";

    const std::u16string thumb = u"thumbnail", accented = u"Vorschau \u00e9";
    ASSERT_EQ(Write(ref, thumb, 0, "abcdef"), noErr);
    ASSERT_EQ(Write(ref, thumb, 4, "XYZ"), noErr);
    ASSERT_EQ(Write(ref, accented, 0, "v"), noErr);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), "abcdXYZ");
    EXPECT_EQ(Attribute(file, "user.Vorschau \xc3\xa9"), "v");
    EXPECT_EQ(ForkNames(ref), (std::vector<std::u16string>{u"", accented, thumb}));

    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, thumb.size(), thumb.data(), fsRdWrPerm, &fork), noErr);
    char bytes[8] = {};
    ByteCount got = 0;
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 5, 8, bytes, &got), eofErr);
    EXPECT_EQ(std::string(bytes, got), "YZ");
    EXPECT_EQ(FSSetForkSize(fork, fsFromStart, 2), noErr);
    SInt64 size = 0;
    EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
    EXPECT_EQ(size, 2);
    FSCloseFork(fork);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), "ab");

    ASSERT_EQ(FSDeleteFork(&ref, accented.size(), accented.data()), noErr);
    EXPECT_FALSE(Attribute(file, "user.Vorschau \xc3\xa9"));
    EXPECT_EQ(FSDeleteFork(&ref, accented.size(), accented.data()), errFSForkNotFound);
    EXPECT_EQ(FSOpenFork(&ref, accented.size(), accented.data(), fsRdPerm, &fork),
              errFSForkNotFound);
    const std::u16string finderInfo = u"com.apple.FinderInfo";
    EXPECT_EQ(FSOpenFork(&ref, finderInfo.size(), finderInfo.data(), fsRdPerm, &fork),
              errFSBadForkName);

    // Grown past what the file system lets an attribute hold, the fork keeps its last bytes.
    std::string kept = "ab";
    OSErr error = noErr;
    for (char c = 'a'; c < 'a' + 20 && !error; ++c) {
        const std::string piece(4096, c);
        error = Write(ref, thumb, kept.size(), piece);
        if (!error)
            kept += piece;
    }
    EXPECT_EQ(error, fileBoundsErr);
    EXPECT_EQ(Attribute(file, "user.thumbnail"), kept);
}

TEST(NamedForkTest, APipeIsNoFileAndIsNeverWaitedOn) {
    stravel::testing::PrivateFolders folders;
    const fs::path pipe = folders.Work() / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const FSRef ref = RefOf(pipe);
    EXPECT_TRUE(stravel::testing::FinishesWithin(1, 64 << 20, [&] {
        SInt16 fork = 0;
        return FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork) == notAFileErr &&
               FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork) == notAFileErr;
    }));
}

} // namespace
