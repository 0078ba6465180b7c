// Desktop services of the original system that have no counterpart here. The Finder needs
// no refresh; scripts, processes of others and the disc tray are out of reach, so those
// report failure and touch nothing.
#pragma once

#include "platform/files/launch.h"

class CBK_Path;

class CBK_Finder {
public:
    // Nothing shows a stale view of the file system here: true, nothing done.
    static bool ForceFinderUpdate(const CBK_Path& item, bool flush);
};

// Compiles and runs nothing: every operation reports failure.
class CBK_AppleScript {
public:
    bool Load(const wchar_t* text);
    bool Load(const CBK_Path& file);
    bool Run();
    void Unload() {}
};

// Other processes are not ours to end: false.
bool BK_KillProcess(const tbx::ProcessSerialNumber& process);
bool BK_OpenCDTray();
bool BK_CloseCDTray();
