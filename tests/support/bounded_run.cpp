#include "tests/support/bounded_run.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/allocation_meter.h"

namespace stravel::testing {

bool FinishesWithin(int cpuSeconds, std::size_t maxBytes, const std::function<bool()>& work) {
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_CPU, &cpu); // SIGXCPU ends the child at the limit
        AllocationMeter meter;
        meter.ExitAbove(maxBytes, 2);
        _exit(work() ? 0 : 1);
    }
    // A child that waits on something instead of computing is not let run for ever either.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(cpuSeconds * 30);
    int status = 0;
    pid_t done;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return false;
    }
    return done == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace stravel::testing
