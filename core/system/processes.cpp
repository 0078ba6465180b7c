#include "core/system/processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

bool BK_GetAppProcess(tbx::ProcessSerialNumber& process) {
    process.highLongOfPSN = 0;
    process.lowLongOfPSN = tbx::UInt32(getpid());
    return true;
}

bool BK_BringProcessToFront(const tbx::ProcessSerialNumber& process) {
    tbx::ProcessSerialNumber self;
    BK_GetAppProcess(self);
    return process.highLongOfPSN == self.highLongOfPSN && process.lowLongOfPSN == self.lowLongOfPSN;
}

bool BK_BringAppToFront() {
    tbx::ProcessSerialNumber self;
    return BK_GetAppProcess(self) && BK_BringProcessToFront(self);
}

bool BK_ProcessIsRunning(const tbx::ProcessSerialNumber& process) {
    // Ids 0 and below name process groups or every process: never probe those.
    if (process.highLongOfPSN != 0 || process.lowLongOfPSN == 0 ||
        process.lowLongOfPSN > tbx::UInt32(INT_MAX))
        return false;
    // Signal 0 only checks that the process exists.
    return kill(pid_t(process.lowLongOfPSN), 0) == 0 || errno == EPERM;
}
