#include "tests/support/private_system_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace stravel::testing {

namespace {

constexpr const char* kVariable = "DBUS_SYSTEM_BUS_ADDRESS";
// Debian's own interpreter, the one python3-dbusmock is installed for.
constexpr const char* kPython = "/usr/bin/python3";

pid_t Launch(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    const std::string program = FindTool(argv[0]);
    if (program.empty())
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, (output.string() + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

template <class Condition>
bool WaitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

uint32_t Word(const std::string& bytes, std::size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value; // little-endian messages only; the tests run on little-endian machines
}

} // namespace

PrivateSystemBus::PrivateSystemBus(bool withLogind)
    : _address("unix:path=" + (_dir.Path() / "bus").string()) {
    // Named first, so that nothing started below can reach the machine's own bus.
    _variable = std::make_unique<EnvironmentScope>(kVariable, _address);
    if (!Start(withLogind) && _problem.empty())
        _problem = "the private bus did not start";
}

PrivateSystemBus::~PrivateSystemBus() {
    Stop(_monitor);
    Stop(_mock);
    Stop(_daemon);
}

bool PrivateSystemBus::Start(bool withLogind) {
    std::ofstream(_dir / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\""
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><listen>"
        << _address
        << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
           "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
           "<allow own=\"*\"/></policy></busconfig>\n";
    _daemon = Launch(
        {"dbus-daemon", "--config-file=" + (_dir / "bus.conf").string(), "--nofork", "--nopidfile"},
        _dir / "daemon.out");
    if (_daemon < 0 || !WaitFor([&] { return std::filesystem::exists(_dir / "bus"); })) {
        _problem = "dbus-daemon did not start";
        return false;
    }
    _monitor = Launch({"dbus-monitor", "--address", _address, "--binary"}, _dir / "monitor.bin");
    if (withLogind)
        _mock = Launch({kPython, "-m", "dbusmock", "--system", "--template", "logind", "-l",
                        (_dir / "logind.log").string()},
                       _dir / "mock.out");
    if (_monitor < 0 || (withLogind && _mock < 0)) {
        _problem = "dbus-monitor or python3-dbusmock did not start";
        return false;
    }
    // A probe that answers once the mock's methods are there, and that the monitor has seen.
    const std::vector<std::string> probe =
        withLogind ? std::vector<std::string>{"dbus-send",
                                              "--bus=" + _address,
                                              "--print-reply",
                                              "--dest=org.freedesktop.login1",
                                              "/org/freedesktop/login1",
                                              "org.freedesktop.login1.Manager.CanReboot"}
                   : std::vector<std::string>{"dbus-send",
                                              "--bus=" + _address,
                                              "--print-reply",
                                              "--dest=org.freedesktop.DBus",
                                              "/org/freedesktop/DBus",
                                              "org.freedesktop.DBus.GetId"};
    const std::string member = withLogind ? "CanReboot" : "GetId";
    if (!WaitFor([&] { return RunTool(probe).exitCode == 0 && !FlagsOfCalls(member).empty(); })) {
        _problem = "the private bus did not answer: " + ReadFileBytes(_dir / "mock.out.err");
        return false;
    }
    return true;
}

void PrivateSystemBus::Stop(pid_t& process) {
    if (process <= 0)
        return;
    kill(process, SIGTERM);
    while (waitpid(process, nullptr, 0) < 0 && errno == EINTR) {
    }
    process = -1;
}

void PrivateSystemBus::StopDaemon() {
    Stop(_monitor);
    Stop(_daemon);
}

::testing::AssertionResult PrivateSystemBus::IsTheSystemBus() const {
    const char* value = std::getenv(kVariable);
    if (value && value == _address)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << kVariable << " is \"" << (value ? value : "(unset)") << "\", not the private bus \""
           << _address << "\": the call was not made";
}

bool PrivateSystemBus::Call(bool (*service)(), bool& result) const {
    const ::testing::AssertionResult ours = IsTheSystemBus();
    if (!ours) {
        ADD_FAILURE() << ours.message();
        return false;
    }
    result = service();
    return true;
}

std::vector<std::string> PrivateSystemBus::LogindCalls() const {
    std::vector<std::string> calls;
    std::istringstream log(ReadFileBytes(_dir / "logind.log"));
    for (std::string line; std::getline(log, line);) {
        const std::size_t space = line.find(' ');
        const std::string call = space == std::string::npos ? line : line.substr(space + 1);
        if (call != "CanReboot")
            calls.push_back(call);
    }
    return calls;
}

std::vector<uint8_t> PrivateSystemBus::FlagsOfCalls(const std::string& member) const {
    // Messages follow each other: a 16-byte start, the header fields (padded to 8), the body.
    const std::string bytes = ReadFileBytes(_dir / "monitor.bin");
    std::string field("\x03\x01s\0", 4);
    const uint32_t length = uint32_t(member.size());
    field.append(reinterpret_cast<const char*>(&length), 4);
    field += member + '\0';
    std::vector<uint8_t> flags;
    for (std::size_t at = 0; at + 16 <= bytes.size() && bytes[at] == 'l';) {
        const std::size_t fields = (std::size_t(Word(bytes, at + 12)) + 7) / 8 * 8;
        const std::size_t next = at + 16 + fields + Word(bytes, at + 4);
        if (next > bytes.size())
            break;
        const std::string header = bytes.substr(at + 16, fields);
        if (bytes[at + 1] == 1 && header.find(field) != std::string::npos)
            flags.push_back(uint8_t(bytes[at + 2]));
        at = next;
    }
    return flags;
}

} // namespace stravel::testing
