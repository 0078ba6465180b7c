#include <gtest/gtest.h>

#include <filesystem>

#include "core/debug/debug_trace.h"
#include "core/net/system_probes.h"
#include "core/paths/path.h"
#include "platform/gestalt.h"
#include "tests/support/tools.h"

namespace {

TEST(DebugLogTest, AppendsFileLineAndMessageToTheLogBesideTheApplication) {
    CBK_Path log;
    ASSERT_TRUE(log.MakeAppLevelPath(L"stravel_debug_test.log"));
    const std::filesystem::path file = BK_WideToFileSystemName(log.GetFullPathString());
    stravel::testing::WriteFileBytes(file, "old");
    __BK_DebugLogResetFunc(L"stravel_debug_test.log");
    EXPECT_EQ(stravel::testing::ReadFileBytes(file), "");
    __BK_DebugLogStrFunc("x.cpp", 12, L"value %d %ls", 5, L"\u00e9");
    __BK_DebugLogStrFunc("y.cpp", 3, L"two");
    EXPECT_EQ(stravel::testing::ReadFileBytes(file),
              "x.cpp: line: 12; value 5 \xc3\xa9\ny.cpp: line: 3; two\n");
    std::filesystem::remove(file);
}

TEST(SystemProbeTest, VersionsComeFromGestalt) {
    EXPECT_EQ(BK_MacGetOsVersion(), 0x1049);
    EXPECT_TRUE(BK_MacIsOSX());
    EXPECT_FALSE(BK_MacIsLessThanOSX());
    tbx::test::SetGestalt(tbx::FourCC("sysv"), 0x0922);
    EXPECT_FALSE(BK_MacIsOSX());
    EXPECT_TRUE(BK_MacIsLessThanOSX());
    tbx::test::RemoveGestalt(tbx::FourCC("sysv"));
    EXPECT_EQ(BK_MacGetOsVersion(), 0);
    EXPECT_FALSE(BK_MacIsLessThanOSX());
    EXPECT_FALSE(BK_MacHasQuartzExtreme());
    tbx::test::ResetGestalt();
}

} // namespace
