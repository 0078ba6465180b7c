#include "core/system/thread.h"

#include <mutex>

namespace {

std::recursive_mutex& CriticalSection() {
    static std::recursive_mutex mutex;
    return mutex;
}

// Sections this thread holds, so that an unmatched End cannot unlock what it does not own.
thread_local int tHeld = 0;

} // namespace

CBK_Thread::CBK_Thread(BK_ThreadRoutine routine, void* argument)
    : _routine(routine), _argument(argument) {}

CBK_Thread::~CBK_Thread() {
    Destroy();
}

void CBK_Thread::Run() {
    if (_routine)
        _routine(_argument);
}

bool CBK_Thread::Resume() {
    if (_running)
        return true;
    if (_thread.joinable())
        _thread.join();
    _stopRequested = false;
    _running = true;
    _thread = std::thread([this] {
        Run();
        _running = false;
    });
    return true;
}

bool CBK_Thread::Stop() {
    _stopRequested = true;
    return true;
}

bool CBK_Thread::Destroy() {
    _stopRequested = true;
    if (!_thread.joinable())
        return true;
    if (_thread.get_id() == std::this_thread::get_id())
        _thread.detach();
    else
        _thread.join();
    return true;
}

void CBK_Thread::BeginCriticalSection() {
    CriticalSection().lock();
    ++tHeld;
}

void CBK_Thread::EndCriticalSection() {
    if (tHeld == 0)
        return;
    --tHeld;
    CriticalSection().unlock();
}

bool BK_CreateThread(BK_ThreadRoutine, void*) {
    return true;
}

void BK_ThreadTerminationProc(uint32_t, void*) {}
