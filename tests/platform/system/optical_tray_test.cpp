// The first optical drive of the kernel's listing, and trays that are not there. No test moves
// a real tray: the devices tried here are not drives.
#include <gtest/gtest.h>

#include "platform/system/optical_tray.h"
#include "tests/support/tools.h"

namespace {

TEST(OpticalTray, FirstDriveOfTheKernelListing) {
    const struct {
        const char* listing;
        const char* device;
    } table[] = {
        {"CD-ROM information, Id: cdrom.c 3.20 2003/12/17\n\ndrive name:\t\tsr1\tsr0\n"
         "drive speed:\t\t48\t24\n",
         "/dev/sr0"},
        {"drive name:\t\thdc\n", "/dev/hdc"},
        {"CD-ROM information\n\ndrive name:\n", ""},
        {"", ""},
        {"drive name:\t\t../sda\n", ""},
        {"drive speed:\t\tsr0\n", ""},
    };
    for (const auto& row : table)
        EXPECT_EQ(tbx::FirstOpticalDrive(row.listing), row.device) << row.listing;
}

TEST(OpticalTray, OnlyBlockDevicesAreAsked) {
    stravel::testing::TempDir dir;
    stravel::testing::WriteFileBytes(dir / "sr0", "not a drive");
    for (const std::string& device :
         {std::string("/dev/null"), (dir / "sr0").string(), (dir / "sr1").string()}) {
        EXPECT_FALSE(tbx::MoveOpticalTray(device, true)) << device;
        EXPECT_FALSE(tbx::MoveOpticalTray(device, false)) << device;
    }
}

} // namespace
