// Volumes listed, found by name and number, and sized as df sizes them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/system/drive.h"
#include "platform/files/fs_volumes.h"
#include "tests/support/tools.h"

namespace {

TEST(Drive, VolumesAreFoundByNameAndNumberAndSizedAsDfSizesThem) {
    std::vector<int32_t> indexes;
    ASSERT_TRUE(CBK_Drive::GetVolumes(indexes));
    EXPECT_EQ(int32_t(indexes.size()), CBK_Drive::GetTotalVolumes());
    CBK_Drive drive;
    ASSERT_TRUE(drive.Init(L"Macintosh HD"));
    wchar_t name[8];
    ASSERT_TRUE(drive.GetName(name, 8));
    EXPECT_STREQ(name, L"Macinto");

    tbx::FSVolumeRefNum volume = 0;
    ASSERT_EQ(tbx::FSGetVolumeInfo(tbx::kFSInvalidVolumeRefNum, tbx::ItemCount(drive.GetIndex()),
                                   &volume, nullptr, nullptr, nullptr),
              tbx::noErr);
    CBK_Drive same;
    ASSERT_TRUE(same.InitWithVolRefNum(volume));
    EXPECT_EQ(same.GetIndex(), drive.GetIndex());

    uint64_t total = 0, free = 0, kilobytes = 0;
    ASSERT_TRUE(drive.GetSpaceBytes(&total, &free));
    ASSERT_TRUE(drive.GetSpaceKBytes(&kilobytes, nullptr));
    EXPECT_EQ(kilobytes, total / 1024);
    double gigabytes = 0;
    ASSERT_TRUE(drive.GetSpaceGBytes(&gigabytes, nullptr));
    EXPECT_DOUBLE_EQ(gigabytes, double(total) / 1073741824.0);
    unsigned long long diskTotal = 0;
    ASSERT_TRUE(BK_GetDiskSpace(volume, &diskTotal, nullptr));
    EXPECT_EQ(diskTotal, total);

    const auto df = stravel::testing::RunTool({"df", "-B1", "--output=size", "/"});
    std::istringstream lines(df.out);
    std::string header;
    unsigned long long dfTotal = 0;
    lines >> header >> dfTotal;
    EXPECT_EQ(dfTotal, total);

    EXPECT_FALSE(drive.Init(L"no such volume"));
    EXPECT_FALSE(drive.GetSpaceBytes(&total, &free));
    EXPECT_FALSE(drive.Init(int32_t(indexes.size()) + 1));
    EXPECT_FALSE(BK_GetDiskSpace(0, &diskTotal, nullptr));
}

} // namespace
