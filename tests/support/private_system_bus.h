// A private D-Bus daemon that stands in for the system bus: DBUS_SYSTEM_BUS_ADDRESS names it
// for the object's life, python3-dbusmock's logind template answers on it (when asked for),
// and dbus-monitor records every message it carries. Calls of system services go through
// Call, which refuses to run them unless the variable names this bus and nothing else, so a
// test can never reach the machine's own login manager.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/environment_scope.h"
#include "tests/support/tools.h"

namespace stravel::testing {

class PrivateSystemBus {
public:
    explicit PrivateSystemBus(bool withLogind);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // Empty once the daemon, the mock and the monitor answer; else what went wrong.
    const std::string& Problem() const { return _problem; }
    const std::string& Address() const { return _address; }

    ::testing::AssertionResult IsTheSystemBus() const;
    // Runs the service only when IsTheSystemBus holds; otherwise fails the test and returns
    // false without calling it.
    bool Call(bool (*service)(), bool& result) const;

    // The methods logind was called with, as the mock logs them ("Reboot True"), without the
    // probes made while starting.
    std::vector<std::string> LogindCalls() const;
    // The header flags of every method call of that name that the bus carried.
    std::vector<uint8_t> FlagsOfCalls(const std::string& member) const;

    // Ends the daemon (and so the mock): the address then leads nowhere.
    void StopDaemon();

private:
    bool Start(bool withLogind);
    void Stop(pid_t& process);

    TempDir _dir;
    std::string _address;
    std::unique_ptr<EnvironmentScope> _variable;
    pid_t _daemon = -1, _mock = -1, _monitor = -1;
    std::string _problem;
};

} // namespace stravel::testing
