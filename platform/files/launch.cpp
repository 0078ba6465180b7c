#include "platform/files/launch.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "platform/files/fs_catalog.h"

extern char** environ;

namespace tbx {

namespace {

std::mutex gLauncherMutex;
test::Launcher gLauncher;

OSStatus Spawn(const std::vector<std::string>& argv, UInt32* pid) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t child = 0;
    const bool path = argv[0].find('/') != std::string::npos;
    const int result =
        path ? posix_spawn(&child, argv[0].c_str(), &actions, nullptr, args.data(), environ)
             : posix_spawnp(&child, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        return FSErrorFromErrno(result);
    // Nobody waits for the program; this keeps it from staying a zombie.
    std::thread([child] {
        int status;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    *pid = UInt32(child);
    return noErr;
}

} // namespace

OSStatus LaunchProgram(const std::vector<std::string>& argv, ProcessSerialNumber* psn) {
    if (psn)
        *psn = ProcessSerialNumber();
    if (argv.empty() || argv[0].empty())
        return paramErr;
    test::Launcher launcher;
    {
        std::lock_guard<std::mutex> lock(gLauncherMutex);
        launcher = gLauncher;
    }
    UInt32 pid = 0;
    const OSStatus status = launcher ? launcher(argv, &pid) : Spawn(argv, &pid);
    if (status == noErr && psn)
        psn->lowLongOfPSN = pid;
    return status;
}

namespace test {
void SetLauncher(Launcher launcher) {
    std::lock_guard<std::mutex> lock(gLauncherMutex);
    gLauncher = std::move(launcher);
}
} // namespace test

} // namespace tbx
