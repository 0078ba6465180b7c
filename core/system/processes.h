// Processes by serial number: the low word is the process id. Only this process can be
// brought to the front; nothing here sends a signal.
#pragma once

#include "platform/files/launch.h"

// This process.
bool BK_GetAppProcess(tbx::ProcessSerialNumber& process);
// True for this process, which the windowing layer always shows in front; false for others.
bool BK_BringProcessToFront(const tbx::ProcessSerialNumber& process);
bool BK_BringAppToFront();
// Whether a process of that id exists, ours or not.
bool BK_ProcessIsRunning(const tbx::ProcessSerialNumber& process);
