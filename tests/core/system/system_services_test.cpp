// System services: version probes, dates in the system time zone, application resources,
// window geometry and the services that have no sense here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/paths/path.h"
#include "core/system/app_resources.h"
#include "core/system/date.h"
#include "core/system/desktop_services.h"
#include "core/system/system_info.h"
#include "core/system/window_ops.h"
#include "platform/gestalt.h"
#include "platform/resources/resource_files.h"
#include "tests/support/bundle_fixture.h"
#include "tests/support/tools.h"
#include "tests/support/windowing_fixture.h"

namespace {

TEST(SystemInfo, VersionsComeFromTheGestaltTable) {
    const tbx::OSType sysv = tbx::FourCC("sysv");
    wchar_t text[16];
    tbx::test::SetGestalt(sysv, 0x1048);
    EXPECT_TRUE(BK_SystemIsMacOSX());
    EXPECT_EQ(CBK_System::GetOSVersionNumber(), 0x1048u);
    ASSERT_TRUE(CBK_System::GetOSVersionString(text, 16));
    EXPECT_STREQ(text, L"10.4.8");
    ASSERT_TRUE(CBK_System::GetOSVersionString(text, 4));
    EXPECT_STREQ(text, L"10.");
    tbx::test::SetGestalt(sysv, 0x0922);
    EXPECT_FALSE(BK_SystemIsMacOSX());
    ASSERT_TRUE(CBK_System::GetOSVersionString(text, 16));
    EXPECT_STREQ(text, L"9.2.2");
    tbx::test::RemoveGestalt(sysv);
    EXPECT_FALSE(CBK_System::GetOSVersionString(text, 16));
    EXPECT_EQ(CBK_System::GetOSVersionNumber(), 0u);
    tbx::test::ResetGestalt();
}

// Restart, shut down, sleep and log out are tested on a private bus only (system_events_test),
// the sound volume with a mixer configuration of the test's own (sound_volume_test).
TEST(SystemInfo, ServicesWithoutSenseHereFail) {
    EXPECT_FALSE(BK_KillProcess(tbx::ProcessSerialNumber()));
    CBK_AppleScript script;
    EXPECT_FALSE(script.Load(L"beep"));
    EXPECT_FALSE(script.Run());
}

class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            _old = old;
        setenv("TZ", zone, 1);
    }
    ~ZoneScope() {
        if (_old.empty())
            unsetenv("TZ");
        else
            setenv("TZ", _old.c_str(), 1);
    }

private:
    std::string _old;
};

TEST(SystemDate, BreaksDownAcrossDaylightSavingLikeDate) {
    STRAVEL_REQUIRE_TOOL("date");
    ZoneScope zone("Europe/Berlin");
    // Around 2026-03-29 01:00 UTC and 2026-10-25 01:00 UTC, and a moment before 1970.
    for (const long long unixTime : {1774745999LL, 1774746000LL, 1774747800LL, 1792889999LL,
                                     1792890000LL, 1792893600LL, -86400LL * 365 * 20 + 7}) {
        CBK_Date date;
        date.SetDate(double(unixTime) - 978307200.0);
        const std::string ours =
            std::to_string(date.GetYear()) + " " + std::to_string(date.GetMonth()) + " " +
            std::to_string(date.GetDay()) + " " + std::to_string(date.GetHour()) + " " +
            std::to_string(date.GetMinute()) + " " + std::to_string(date.GetSecond()) + " " +
            std::to_string(date.GetWeek()) + "\n";
        const auto theirs = stravel::testing::RunTool(
            {"date", "-d", "@" + std::to_string(unixTime), "+%Y %-m %-d %-H %-M %-S %-V"});
        ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
        EXPECT_EQ(ours, theirs.out) << unixTime;
    }
    // The file system's dates count from 1904.
    CBK_Date date;
    tbx::UTCDateTime stamp; // 2026-03-29 01:00:00 UTC
    stamp.highSeconds = 1;
    stamp.lowSeconds = static_cast<uint32_t>((3061152000ULL + 1774746000ULL) & 0xFFFFFFFFu);
    date.SetDate(stamp);
    EXPECT_EQ(date.GetHour(), 3);
    EXPECT_EQ(date.GetDay(), 29);
}

TEST(SystemDate, MonthNamesAreCutAndTerminated) {
    CBK_Date date;
    date.SetDate(double(1777593600LL - 978307200LL)); // 2026-05-01 00:00 UTC
    wchar_t name[16];
    wmemset(name, L'x', 16);
    EXPECT_EQ(date.GetMonthNameShort(name, 16), 3);
    EXPECT_STREQ(name, L"May");
    date.SetDate(double(1788220800LL - 978307200LL)); // 2026-09-01 00:00 UTC
    wmemset(name, L'x', 16);
    EXPECT_EQ(date.GetMonthName(name, 5), 4);
    EXPECT_STREQ(name, L"Sept");
    EXPECT_EQ(date.GetDayName(name, 16), 0);
    wchar_t text[] = L"a/b/c";
    SwapChar(text, L'/', L':');
    EXPECT_STREQ(text, L"a:b:c");
}

TEST(AppResources, FoundInMainRsrcAndMissingIdsLeaveTheCurrentFile) {
    stravel::testing::ScratchBundle bundle("");
    bundle.AddResource("main.rsrc/xDAS/128", "movie bytes");
    tbx::Handle handle = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(BK_GetAppResource(tbx::FourCC("xDAS"), 128, handle, &size, false));
    EXPECT_EQ(size, 11);
    EXPECT_EQ(std::string(*handle, 11), "movie bytes");
    EXPECT_TRUE(BK_ReleaseResource(handle));
    EXPECT_EQ(handle, nullptr);
    const tbx::SInt16 current = tbx::CurResFile();
    EXPECT_FALSE(BK_GetAppResource(tbx::FourCC("xDAS"), 129, handle, &size, false));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(tbx::CurResFile(), current);
}

class WindowOps : public stravel::testing::WindowingTest {};

TEST_F(WindowOps, GeometryTitlesAndStaleWindows) {
    tbx::WindowRef parent = nullptr, window = nullptr;
    ASSERT_TRUE(BK_CreateWindow(parent, 0, 40, 800, 600, L"Parent", BK_WINDOW_DOCUMENT));
    ASSERT_TRUE(BK_CreateWindow(window, 100, 50, 200, 100, L"T\u00EAte",
                                BK_WINDOW_DOCUMENT | BK_WINDOW_VISIBLE));
    int32_t x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(BK_GetWindowPos(window, x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    ASSERT_TRUE(BK_GetWindowDimensions(window, w, h));
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 100);
    wchar_t title[8];
    ASSERT_TRUE(BK_GetWindowTitle(window, title, 8));
    EXPECT_STREQ(title, L"T\u00EAte");
    ASSERT_TRUE(BK_SetWindowHeight(window, 300));
    EXPECT_EQ(BK_GetWindowHeight(window), 300);
    ASSERT_TRUE(BK_CenterWindow(window, parent));
    EXPECT_EQ(BK_GetWindowXPos(window), 300);
    EXPECT_EQ(BK_GetWindowYPos(window), 190);
    tbx::Rect global, local;
    ASSERT_TRUE(BK_GetGlobalWindowBounds(window, global));
    ASSERT_TRUE(BK_GetLocalWindowBounds(window, local));
    EXPECT_LE(global.top, 190);
    EXPECT_EQ(local.right, 200);
    EXPECT_EQ(local.bottom, 300);

    tbx::WindowRef stale = window;
    EXPECT_TRUE(BK_DestroyWindow(window));
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(BK_SetWindowPos(stale, 1, 1));
    EXPECT_FALSE(BK_ShowWindow(stale, true));
    EXPECT_FALSE(BK_DestroyWindow(stale));
    BK_DestroyWindow(parent);
}

TEST(WindowRotate, QuarterTurnsOnly) {
    tbx::Rect r{0, 0, 10, 20}; // 20 wide, 10 high
    BK_Rotate90Rect(r, 0, 0, 45);
    EXPECT_EQ(r.right, 20);
    BK_Rotate90Rect(r, 10, 5, 90);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, -5);
    EXPECT_EQ(r.right, 15);
    EXPECT_EQ(r.bottom, 15);
    BK_Rotate90Rect(r, 10, 5, -90);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 20);
    EXPECT_EQ(r.bottom, 10);
}

} // namespace

namespace {

std::wstring Widen(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return std::wstring(text.begin(), text.end());
}

TEST(SystemInfo, MachineFactsMatchTheSystemTools) {
    wchar_t name[256];
    ASSERT_TRUE(CBK_System::GetComputerName(name, 256));
    EXPECT_EQ(name, Widen(stravel::testing::RunTool(
                              {"python3", "-c", "import socket;print(socket.gethostname())"})
                              .out));
    ASSERT_TRUE(CBK_System::GetCurrentUserName(name, 256));
    EXPECT_EQ(name, Widen(stravel::testing::RunTool({"id", "-un"}).out));
    ASSERT_TRUE(CBK_System::GetCurrentUserName(name, 2));
    EXPECT_EQ(std::wcslen(name), 1u);
    if (stravel::testing::HaveTool("python3")) {
        const auto mb = stravel::testing::RunTool(
            {"python3", "-c",
             "import os;print(os.sysconf('SC_PHYS_PAGES')*os.sysconf('SC_PAGE_SIZE')>>20)"});
        EXPECT_EQ(std::to_wstring(CBK_System::GetRAMSizeMBytes()), Widen(mb.out));
        EXPECT_EQ(CBK_System::GetRAMSizeKBytes(), CBK_System::GetRAMSizeMBytes() * 1024);
    }
    tbx::test::SetGestalt(tbx::FourCC("mclk"), 2400);
    tbx::test::SetGestalt(tbx::FourCC("ramm"), 3072);
    EXPECT_DOUBLE_EQ(CBK_System::GetCPUSpeedGhz(), 2.4);
    EXPECT_DOUBLE_EQ(CBK_System::GetRAMSizeGBytes(), 3.0);
    tbx::test::RemoveGestalt(tbx::FourCC("mclk"));
    EXPECT_EQ(CBK_System::GetCPUSpeedMhz(), 0);
    tbx::test::ResetGestalt();
}

} // namespace
