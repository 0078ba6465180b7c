// Process queries: this process, a child before and after it is reaped, ids never probed;
// quitting the processes of one program.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/paths/path.h"
#include "core/system/processes.h"
#include "platform/system/process_quit.h"
#include "tests/support/tools.h"

extern char** environ;

namespace {

TEST(Processes, ThisProcessAndAReapedChild) {
    tbx::ProcessSerialNumber self;
    ASSERT_TRUE(BK_GetAppProcess(self));
    EXPECT_EQ(self.lowLongOfPSN, tbx::UInt32(getpid()));
    EXPECT_TRUE(BK_ProcessIsRunning(self));
    EXPECT_TRUE(BK_BringProcessToFront(self));
    EXPECT_TRUE(BK_BringAppToFront());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    const tbx::ProcessSerialNumber other{0, tbx::UInt32(child)};
    EXPECT_FALSE(BK_BringProcessToFront(other));
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(BK_ProcessIsRunning(other));

    EXPECT_TRUE(BK_ProcessIsRunning({0, 1})); // init is not ours, but it runs
    EXPECT_FALSE(BK_ProcessIsRunning({0, 0}));
    EXPECT_FALSE(BK_ProcessIsRunning({0, 0xFFFFFFFFu}));
    EXPECT_FALSE(BK_ProcessIsRunning({1, self.lowLongOfPSN}));
}

} // namespace

namespace {

pid_t StartSleeping(const std::string& program) {
    char* args[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, environ) == 0 ? pid : -1;
}

TEST(Processes, QuitFileEndsOnlyTheProcessesOfThatProgram) {
    STRAVEL_REQUIRE_TOOL("sleep");
    stravel::testing::TempDir dir;
    const std::string sleep = stravel::testing::FindTool("sleep");
    const std::string copy = (dir / "sleeper").string();
    std::filesystem::copy_file(sleep, copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    const pid_t ours = StartSleeping(copy), other = StartSleeping(sleep);
    ASSERT_GT(ours, 0);
    ASSERT_GT(other, 0);

    CBK_Path program(BK_FileSystemNameToWide(copy).c_str());
    tbx::ProcessSerialNumber every, otherProgram{0, tbx::UInt32(other)}, group{0, 0xFFFFFFFFu};
    EXPECT_FALSE(program.QuitFile(otherProgram));
    EXPECT_FALSE(program.QuitFile(group));
    EXPECT_TRUE(program.QuitFile(every));
    int status = 0;
    ASSERT_EQ(waitpid(ours, &status, 0), ours);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(waitpid(other, &status, WNOHANG), 0) << "the other program was ended";
    EXPECT_FALSE(program.QuitFile(every));
    EXPECT_EQ(CBK_Path::m_nLastError, tbx::procNotFound);
    kill(other, SIGKILL);
    waitpid(other, &status, 0);

    // A program that asks every process of its own to quit leaves itself alone.
    EXPECT_EQ(stravel::testing::RunTool({STRAVEL_QUIT_SELF_CHILD}).exitCode, 0);
}

} // namespace
