// The events that ask the system to restart, shut down, sleep or log out, carried to
// systemd-logind on the system bus (DBUS_SYSTEM_BUS_ADDRESS, else the standard socket).
// logind may ask the user to authorise the request.
#pragma once

#include "platform/types.h"

namespace tbx {

using AEEventID = OSType;
constexpr AEEventID kAERestart = FourCC("rest");
constexpr AEEventID kAEShutDown = FourCC("shut");
constexpr AEEventID kAESleep = FourCC("slep");
constexpr AEEventID kAEReallyLogOut = FourCC("rlgo");

enum : OSStatus {
    errAEEventNotHandled = -1708,
    errAEEventFailed = -10000,
};

// Reboot, PowerOff or Suspend (interactive), or TerminateSession of the caller's session
// ("auto": its own, else the user's graphical one). noErr once logind accepted the request;
// errAEEventFailed when the bus or logind cannot be reached or refuses;
// errAEEventNotHandled for any other event.
OSStatus SendAppleEventToSystemProcess(AEEventID event);

} // namespace tbx
