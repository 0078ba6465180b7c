// Asking running programs to quit: SIGTERM to the processes whose executable
// (/proc/<pid>/exe) is a given file, matched by device and node.
#pragma once

#include <string>

#include "platform/files/launch.h"

namespace tbx {

enum : OSStatus { procNotFound = -600 };

// Only `process` when it names one (the low word is its id), else every process of that
// executable. This process and ids that name process groups are never signalled.
// noErr when at least one process was signalled, procNotFound when none matched.
OSStatus QuitProcessesOf(const std::string& executable, const ProcessSerialNumber& process);

} // namespace tbx
