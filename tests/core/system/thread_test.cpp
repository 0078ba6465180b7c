// Threads: Run on its own thread, cooperative stop, and one critical section for all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/system/thread.h"

namespace {

class Counter : public CBK_Thread {
public:
    ~Counter() override { Destroy(); }
    void Run() override {
        while (!IsStopped()) {
            BeginCriticalSection();
            ++count;
            EndCriticalSection();
            std::this_thread::yield();
        }
    }
    std::atomic<int> count{0};
};

void WaitFor(const std::atomic<int>& value, int least) {
    for (int i = 0; i < 5000 && value < least; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(Thread, RunsUntilAskedAndTheSectionHoldsItBack) {
    Counter counter;
    EXPECT_FALSE(counter.IsRunning());
    ASSERT_TRUE(counter.Resume());
    EXPECT_TRUE(counter.IsRunning());
    WaitFor(counter.count, 1);
    CBK_Thread::BeginCriticalSection();
    CBK_Thread::BeginCriticalSection(); // nests
    const int held = counter.count;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.count, held);
    CBK_Thread::EndCriticalSection();
    CBK_Thread::EndCriticalSection();
    CBK_Thread::EndCriticalSection(); // unmatched: ignored
    WaitFor(counter.count, held + 1);
    EXPECT_GT(counter.count, held);
    EXPECT_TRUE(counter.Stop());
    EXPECT_TRUE(counter.IsStopped());
    EXPECT_TRUE(counter.Destroy());
    EXPECT_FALSE(counter.IsRunning());
}

TEST(Thread, RoutineRunsAgainOnEachResume) {
    std::atomic<int> calls{0};
    CBK_Thread thread(
        [](void* argument) -> void* {
            ++*static_cast<std::atomic<int>*>(argument);
            return nullptr;
        },
        &calls);
    thread.Resume();
    WaitFor(calls, 1);
    thread.Destroy();
    thread.Resume();
    thread.Destroy();
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(BK_CreateThread(nullptr, nullptr));
}

} // namespace
