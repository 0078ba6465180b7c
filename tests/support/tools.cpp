#include "tests/support/tools.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace stravel::testing {

std::string FindTool(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty())
            continue;
        std::string candidate = folder + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool OraclesRequired() {
    const char* ci = std::getenv("CI");
    return ci && *ci;
}

bool HaveTool(const std::string& name) {
    if (!FindTool(name).empty())
        return true;
    if (OraclesRequired())
        ADD_FAILURE() << name << " is not installed, and CI needs it";
    return false;
}

ToolResult RunTool(const std::vector<std::string>& argv, const std::string& input) {
    ToolResult result;
    if (argv.empty())
        return result;
    std::string program = FindTool(argv[0]);
    if (program.empty())
        return result;
    // A tool that exits before reading all its input must not kill the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }

    // Feed and drain together so that neither side blocks on a full pipe: a blocking write of
    // more than the pipe holds would wait for a tool that waits for us to read its output.
    std::size_t written = 0;
    int writeFd = in[1];
    fcntl(writeFd, F_SETFL, fcntl(writeFd, F_GETFL) | O_NONBLOCK);
    if (input.empty()) {
        close(writeFd);
        writeFd = -1;
    }
    bool outOpen = true, errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen || writeFd >= 0) {
        pollfd fds[3];
        int n = 0;
        int outIndex = -1, errIndex = -1, inIndex = -1;
        if (outOpen) {
            fds[n] = {out[0], POLLIN, 0};
            outIndex = n++;
        }
        if (errOpen) {
            fds[n] = {err[0], POLLIN, 0};
            errIndex = n++;
        }
        if (writeFd >= 0) {
            fds[n] = {writeFd, POLLOUT, 0};
            inIndex = n++;
        }
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        auto drain = [&](int index, int fd, std::string& sink, bool& open) {
            if (index < 0 || !(fds[index].revents & (POLLIN | POLLHUP | POLLERR)))
                return;
            ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0)
                sink.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                open = false;
        };
        drain(outIndex, out[0], result.out, outOpen);
        drain(errIndex, err[0], result.err, errOpen);
        if (inIndex >= 0 && (fds[inIndex].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t put = write(writeFd, input.data() + written, input.size() - written);
            if (put > 0)
                written += static_cast<std::size_t>(put);
            if (put < 0 && errno != EINTR && errno != EAGAIN)
                written = input.size();
            if (written >= input.size()) {
                close(writeFd);
                writeFd = -1;
            }
        }
    }
    if (writeFd >= 0)
        close(writeFd);
    close(out[0]);
    close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/stravel-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data()))
        throw std::runtime_error("mkdtemp failed");
    _path = name.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(_path, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Make(const std::vector<std::string>& args, const std::filesystem::path& out) {
    std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(out.string());
    const ToolResult result = RunTool(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.exitCode == 0;
}

} // namespace stravel::testing
