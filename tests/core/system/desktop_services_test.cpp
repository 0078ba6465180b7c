// The Finder refresh touches the item; the disc tray needs a drive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "core/paths/path.h"
#include "core/system/desktop_services.h"
#include "platform/system/optical_tray.h"
#include "tests/support/tools.h"

namespace {

double ModificationTime(const std::filesystem::path& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? double(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9
                                          : -1;
}

double Now() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

TEST(DesktopServices, FinderUpdateMovesTheModificationDateToNow) {
    stravel::testing::TempDir dir;
    const auto movie = dir / "movie.swf";
    stravel::testing::WriteFileBytes(movie, "FWS");
    const CBK_Path item(BK_FileSystemNameToWide(movie.string()).c_str());
    for (const bool flush : {false, true}) {
        const struct timespec old[2] = {{978307200, 0}, {978307200, 0}}; // 2001
        ASSERT_EQ(utimensat(AT_FDCWD, movie.c_str(), old, 0), 0);
        const double before = Now();
        EXPECT_TRUE(CBK_Finder::ForceFinderUpdate(item, flush));
        // Dates are kept to 1/65536 of a second.
        EXPECT_GE(ModificationTime(movie), before - 1.0 / 65536) << flush;
        EXPECT_LE(ModificationTime(movie), Now()) << flush;
    }
    EXPECT_FALSE(CBK_Finder::ForceFinderUpdate(
        CBK_Path(BK_FileSystemNameToWide((dir / "gone.swf").string()).c_str()), true));
}

TEST(DesktopServices, TheTrayNeedsADrive) {
    if (!tbx::FirstOpticalDrive(stravel::testing::ReadFileBytes("/proc/sys/dev/cdrom/info"))
             .empty())
        GTEST_SKIP() << "this machine has an optical drive, whose tray no test may move";
    EXPECT_FALSE(BK_OpenCDTray());
    EXPECT_FALSE(BK_CloseCDTray());
}

} // namespace
