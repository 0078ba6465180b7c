// What work cost in a child process of its own: processor time, and the most memory it held
// beyond what it started with; for ours (a fork of the bench) and for python3 run beside it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

struct ChildCost {
    double seconds = 0;
    double peakMiB = 0;
    long result = 0; // what the work returned
};

inline double Seconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

inline long ResidentKiB() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// `work` in a fork; its peak leaves out the bench's own pages, which the child shares.
inline ChildCost OursInChild(const std::function<long()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        const long start = ResidentKiB();
        long out[2] = {work(), 0};
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        out[1] = self.ru_maxrss - start;
        (void)!write(fds[1], out, sizeof out);
        _exit(0);
    }
    close(fds[1]);
    long out[2] = {0, 0};
    (void)!read(fds[0], out, sizeof out);
    close(fds[0]);
    int status = 0;
    rusage used{};
    wait4(pid, &status, 0, &used);
    return {Seconds(used), double(out[1]) / 1024.0, out[0]};
}

// python3 running `script` on `argument`; its peak is the memory its own program held at
// most (VmHWM), which the script writes to a file named by its last argument.
inline ChildCost PythonInChild(const std::string& script, const std::string& argument,
                               const std::filesystem::path& peakFile) {
    std::vector<std::string> args{
        "python3", "-c",
        script + "\nimport sys\n"
                 "hwm = [l for l in open('/proc/self/status') if l.startswith('VmHWM')][0]\n"
                 "open(sys.argv[-1], 'w').write(hwm.split()[1])\n",
        argument, peakFile.string()};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "python3", nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    int status = 0;
    rusage used{};
    wait4(pid, &status, 0, &used);
    double kib = 0;
    if (std::FILE* f = std::fopen(peakFile.c_str(), "r")) {
        if (std::fscanf(f, "%lf", &kib) != 1)
            kib = 0;
        std::fclose(f);
    }
    std::filesystem::remove(peakFile);
    return {Seconds(used), kib / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace bench
