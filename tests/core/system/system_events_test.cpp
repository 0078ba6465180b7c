// Restart, shut down, sleep and log out reach systemd-logind on a private bus only, never the
// machine's own: python3-dbusmock's logind records the calls, dbus-monitor their flags.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/system/system_info.h"
#include "tests/support/environment_scope.h"
#include "tests/support/private_system_bus.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::EnvironmentScope;
using stravel::testing::FindTool;
using stravel::testing::PrivateSystemBus;

constexpr uint8_t kAllowInteractiveAuthorization = 0x4;

const struct {
    bool (*service)();
    const char* member;
    const char* logged;
} kServices[] = {{&CBK_System::Restart, "Reboot", "Reboot True"},
                 {&CBK_System::Shutdown, "PowerOff", "PowerOff True"},
                 {&CBK_System::Sleep, "Suspend", "Suspend True"},
                 {&CBK_System::Logout, "TerminateSession", "TerminateSession \"auto\""}};

bool HaveBusTools() {
    return !FindTool("dbus-daemon").empty() && !FindTool("dbus-monitor").empty() &&
           !FindTool("dbus-send").empty() &&
           stravel::testing::RunTool({"/usr/bin/python3", "-c", "import dbusmock"}).exitCode == 0;
}

#define REQUIRE_BUS_TOOLS()                                                                        \
    STRAVEL_REQUIRE(HaveBusTools(), "dbus-daemon, dbus-monitor, dbus-send or python3-dbusmock "    \
                                    "is not installed")

TEST(SystemEvents, EachReachesLogindAndMayAskTheUser) {
    REQUIRE_BUS_TOOLS();
    PrivateSystemBus bus(true);
    ASSERT_EQ(bus.Problem(), "");
    std::vector<std::string> expected;
    for (const auto& row : kServices) {
        bool accepted = false;
        ASSERT_TRUE(bus.Call(row.service, accepted));
        EXPECT_TRUE(accepted) << row.member;
        expected.push_back(row.logged);
    }
    EXPECT_EQ(bus.LogindCalls(), expected);
    for (const auto& row : kServices) {
        // The monitor writes what it saw a moment after the call was answered.
        std::vector<uint8_t> flags;
        for (int wait = 0; wait < 100 && flags.empty(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait ? 50 : 0));
            flags = bus.FlagsOfCalls(row.member);
        }
        ASSERT_EQ(flags.size(), 1u) << row.member;
        EXPECT_TRUE(flags[0] & kAllowInteractiveAuthorization) << row.member;
    }
}

TEST(SystemEvents, NothingIsAcceptedWithoutLogindOrWithoutABus) {
    REQUIRE_BUS_TOOLS();
    for (const bool stopped : {false, true}) {
        PrivateSystemBus bus(stopped);
        ASSERT_EQ(bus.Problem(), "");
        if (stopped)
            bus.StopDaemon();
        for (const auto& row : kServices) {
            bool accepted = true;
            ASSERT_TRUE(bus.Call(row.service, accepted));
            EXPECT_FALSE(accepted) << row.member << (stopped ? " with no bus" : " with no logind");
        }
    }
}

TEST(SystemEvents, TheFixtureRefusesEveryBusItDidNotStart) {
    REQUIRE_BUS_TOOLS();
    PrivateSystemBus bus(false);
    ASSERT_EQ(bus.Problem(), "");
    static int calls = 0;
    bool (*counting)() = [] { return ++calls > 0; };
    bool result = false;
    for (const std::optional<std::string>& other :
         {std::optional<std::string>(bus.Address() + "2"),
          std::optional<std::string>(bus.Address() + ",guid=0"), std::optional<std::string>()}) {
        EnvironmentScope variable("DBUS_SYSTEM_BUS_ADDRESS", other);
        EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(bus.Call(counting, result)), "the call was not made");
    }
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(bus.Call(counting, result));
    EXPECT_EQ(calls, 1);
}

} // namespace
