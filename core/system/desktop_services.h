// Desktop services: the Finder refresh after files were written, scripts, other processes
// and the disc tray. Scripts have no counterpart here and report failure; other processes
// are not ended from here.
#pragma once

#include "platform/files/launch.h"

class CBK_Path;

class CBK_Finder {
public:
    // Asks the Finder through a script to update its windows; since scripts do not run
    // here, touches the item instead: its modification date becomes now and, with flush,
    // its volume is written out. False when the item cannot be touched or flushed.
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
// Open or close the tray of the first optical drive; false without one or when it refuses.
bool BK_OpenCDTray();
bool BK_CloseCDTray();
