// Starting other programs: posix_spawn with an argument vector, never a shell. Tests replace
// the launcher so that nothing is started.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tbx {

struct ProcessSerialNumber {
    UInt32 highLongOfPSN = 0;
    UInt32 lowLongOfPSN = 0;
};

// argv[0] is the program: a path, or a name looked up on PATH. The new process gets no
// standard input; it is reaped when it ends. Its id goes into psn (low word) when given.
OSStatus LaunchProgram(const std::vector<std::string>& argv, ProcessSerialNumber* psn);

namespace test {
// Called instead of starting a process; returns the status and the process id to report.
using Launcher = std::function<OSStatus(const std::vector<std::string>& argv, UInt32* pid)>;
// An empty function puts the real launcher back.
void SetLauncher(Launcher launcher);
} // namespace test

} // namespace tbx
