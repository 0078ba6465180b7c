#include "platform/system/process_quit.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

namespace tbx {

namespace {

std::vector<pid_t> RunningProcesses() {
    std::vector<pid_t> ids;
    DIR* proc = opendir("/proc");
    if (!proc)
        return ids;
    while (const dirent* entry = readdir(proc)) {
        pid_t id = 0;
        const char* end = entry->d_name + std::strlen(entry->d_name);
        const auto [stop, error] = std::from_chars(entry->d_name, end, id);
        if (error == std::errc() && stop == end && id > 0)
            ids.push_back(id);
    }
    closedir(proc);
    return ids;
}

// The descriptor pins the process, so the check and the signal reach the same one even if
// the id is reused in between. (The C library's wrappers lack C linkage in some releases.)
bool SignalIfRunning(pid_t id, const struct stat& executable) {
    const int pidfd = int(syscall(SYS_pidfd_open, id, 0));
    if (pidfd < 0)
        return false;
    struct stat running;
    const std::string exe = "/proc/" + std::to_string(id) + "/exe";
    const bool same = stat(exe.c_str(), &running) == 0 && running.st_dev == executable.st_dev &&
                      running.st_ino == executable.st_ino;
    const bool signalled = same && syscall(SYS_pidfd_send_signal, pidfd, SIGTERM, nullptr, 0) == 0;
    close(pidfd);
    return signalled;
}

} // namespace

OSStatus QuitProcessesOf(const std::string& executable, const ProcessSerialNumber& process) {
    struct stat file;
    if (executable.empty() || stat(executable.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
        return procNotFound;
    if (process.highLongOfPSN != 0 || process.lowLongOfPSN > UInt32(INT_MAX))
        return procNotFound;
    std::vector<pid_t> candidates;
    if (process.lowLongOfPSN != 0)
        candidates.push_back(pid_t(process.lowLongOfPSN));
    else
        candidates = RunningProcesses();
    bool any = false;
    for (const pid_t id : candidates)
        if (id > 0 && id != getpid())
            any = SignalIfRunning(id, file) || any;
    return any ? OSStatus(noErr) : OSStatus(procNotFound);
}

} // namespace tbx
