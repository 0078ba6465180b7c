// What system the program runs on, read through the Gestalt table, and the system-wide
// services (restart, shut down, sleep, log out) that have no sense here: they report
// failure and never touch the system.
#pragma once

#include <cstdint>

// 'sysv' reports 10.0 or later.
bool BK_SystemIsMacOSX();
bool BK_SystemIsMac();
// The program never reports itself on Windows: 0 and false.
int32_t BK_GetSystemVersion();
bool BK_SystemIsWindows();
bool BK_SystemIsWindowsOld32();
bool BK_SystemIsWindowNT();

class CBK_System {
public:
    static bool IsMacintosh() { return true; }
    static bool IsWindows() { return false; }
    static bool IsLinux() { return false; }

    // The 'sysv' value, four hexadecimal digits (0x1048); 0 when the probe fails.
    static uint32_t GetOSVersionNumber();
    // "10.4.8" for 0x1048, "9.2.2" for 0x0922; false (nothing written) when the probe fails.
    // The text is cut to fit `size` characters with its terminator.
    static bool GetOSVersionString(wchar_t* buffer, int32_t size);

    static bool Restart() { return false; }
    static bool Shutdown() { return false; }
    static bool Sleep() { return false; }
    static bool Logout() { return false; }

    // The host name and the login name of the current user, cut to size - 1 characters and
    // always terminated; false (nothing written) when unknown or no room.
    static bool GetComputerName(wchar_t* buffer, int32_t size);
    static bool GetCurrentUserName(wchar_t* buffer, int32_t size);
    // From 'mclk'; 0 when unknown.
    static int32_t GetCPUSpeedMhz();
    static double GetCPUSpeedGhz();
    // From 'ram ' (bytes) and 'ramm' (megabytes); 0 when unknown.
    static uint32_t GetRAMSizeBytes();
    static uint32_t GetRAMSizeKBytes();
    static uint32_t GetRAMSizeMBytes();
    static double GetRAMSizeGBytes();
    // No mixer is reached from here: the volume (0 to 1, both channels) is kept in the
    // process and the machine's own volume is never changed.
    static bool SetSoundVolume(double volume);
    static double GetSoundVolume();
};
