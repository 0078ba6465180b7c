// Process queries: this process, a child before and after it is reaped, ids never probed.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "core/system/processes.h"

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
