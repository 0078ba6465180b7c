#include "platform/system/system_events.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace tbx {

namespace {

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageRelease {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

struct LogindCall {
    AEEventID event;
    const char* method;
};
constexpr LogindCall kCalls[] = {{kAERestart, "Reboot"},
                                 {kAEShutDown, "PowerOff"},
                                 {kAESleep, "Suspend"},
                                 {kAEReallyLogOut, "TerminateSession"}};

// Long enough for the user to answer a password prompt.
constexpr uint64_t kReplyTimeoutMicroseconds = 120'000'000;

} // namespace

OSStatus SendAppleEventToSystemProcess(AEEventID event) {
    const LogindCall* call =
        std::find_if(std::begin(kCalls), std::end(kCalls),
                     [event](const LogindCall& c) { return c.event == event; });
    if (call == std::end(kCalls))
        return errAEEventNotHandled;

    sd_bus* rawBus = nullptr;
    if (sd_bus_open_system(&rawBus) < 0)
        return errAEEventFailed;
    const std::unique_ptr<sd_bus, BusCloser> bus(rawBus);
    sd_bus_message* rawMessage = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &rawMessage, "org.freedesktop.login1",
                                       "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                       call->method) < 0)
        return errAEEventFailed;
    const std::unique_ptr<sd_bus_message, MessageRelease> message(rawMessage);
    const int appended = event == kAEReallyLogOut
                             ? sd_bus_message_append(message.get(), "s", "auto")
                             : sd_bus_message_append(message.get(), "b", 1);
    if (appended < 0 || sd_bus_message_set_allow_interactive_authorization(message.get(), 1) < 0)
        return errAEEventFailed;

    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int called =
        sd_bus_call(bus.get(), message.get(), kReplyTimeoutMicroseconds, &error, &reply);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return called < 0 ? OSStatus(errAEEventFailed) : OSStatus(noErr);
}

} // namespace tbx
