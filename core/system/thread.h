// CBK_Thread: Run() on a thread of its own, started by Resume. Stopping is cooperative: Stop
// asks, and Run is expected to look at IsStopped() and return.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

using BK_ThreadRoutine = void* (*)(void* argument);

class CBK_Thread {
public:
    // With no routine, Run does nothing unless a subclass gives it work.
    explicit CBK_Thread(BK_ThreadRoutine routine = nullptr, void* argument = nullptr);
    // Waits for Run to return. A subclass whose Run uses its own members calls Destroy in its
    // own destructor, before those members go.
    virtual ~CBK_Thread();
    CBK_Thread(const CBK_Thread&) = delete;
    CBK_Thread& operator=(const CBK_Thread&) = delete;

    virtual void Run();

    // Starts Run when it is not running; true.
    bool Resume();
    // Asks Run to return; true.
    bool Stop();
    bool IsRunning() const { return _running; }
    bool IsStopped() const { return _stopRequested || !_running; }
    // Asks Run to return and waits for it; true.
    bool Destroy();

    // One lock for every thread of the process; sections nest.
    static void BeginCriticalSection();
    static void EndCriticalSection();

private:
    BK_ThreadRoutine _routine;
    void* _argument;
    std::atomic<bool> _running{false};
    std::atomic<bool> _stopRequested{false};
    std::thread _thread;
};

// Nothing starts threads this way here: true, nothing done.
bool BK_CreateThread(BK_ThreadRoutine routine, void* argument);
void BK_ThreadTerminationProc(uint32_t thread, void* argument);
