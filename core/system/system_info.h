// What system the program runs on, read through the Gestalt table, and the system-wide
// services: restart, shut down, sleep and log out through the system's login manager, and
// the volume of the default output.
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

    // True once the system accepted the request (the user may be asked to authorise it);
    // false, with nothing done, when it cannot be reached or refuses.
    static bool Restart();
    static bool Shutdown();
    static bool Sleep();
    static bool Logout();

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
    // The master volume of the default sound card, 0 to 1 (clamped) on every channel; false
    // without such a card or for NaN.
    static bool SetSoundVolume(double volume);
    // The mean of its channels; -1 without such a card.
    static double GetSoundVolume();
};
