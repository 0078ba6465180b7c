#include "core/system/system_info.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "core/paths/path.h"

#include "platform/gestalt.h"
#include "platform/system/output_volume.h"
#include "platform/system/system_events.h"

namespace {

constexpr tbx::OSType kSystemVersion = tbx::FourCC("sysv");

bool SystemVersion(uint32_t& version) {
    tbx::SInt32 value = 0;
    if (tbx::Gestalt(kSystemVersion, &value) != tbx::noErr)
        return false;
    version = static_cast<uint32_t>(value);
    return true;
}

uint32_t GestaltValue(tbx::OSType selector) {
    tbx::SInt32 value = 0;
    if (tbx::Gestalt(selector, &value) != tbx::noErr || value < 0)
        return 0;
    return static_cast<uint32_t>(value);
}

bool CopyName(const std::string& name, wchar_t* buffer, int32_t size) {
    if (name.empty() || !buffer || size < 1)
        return false;
    const std::wstring wide = BK_FileSystemNameToWide(name);
    const std::size_t count = std::min<std::size_t>(wide.size(), std::size_t(size) - 1);
    std::wmemcpy(buffer, wide.data(), count);
    buffer[count] = L'\0';
    return true;
}

} // namespace

bool BK_SystemIsMacOSX() {
    uint32_t version = 0;
    return SystemVersion(version) && version > 0x0FFF;
}

bool BK_SystemIsMac() {
    return true;
}

int32_t BK_GetSystemVersion() {
    return 0;
}

bool BK_SystemIsWindows() {
    return false;
}

bool BK_SystemIsWindowsOld32() {
    return false;
}

bool BK_SystemIsWindowNT() {
    return false;
}

uint32_t CBK_System::GetOSVersionNumber() {
    uint32_t version = 0;
    return SystemVersion(version) ? version : 0;
}

bool CBK_System::GetOSVersionString(wchar_t* buffer, int32_t size) {
    uint32_t v = 0;
    if (!buffer || size < 1 || !SystemVersion(v))
        return false;
    const unsigned d[4] = {v >> 12 & 0xF, v >> 8 & 0xF, v >> 4 & 0xF, v & 0xF};
    if (d[0])
        std::swprintf(buffer, static_cast<std::size_t>(size), L"%u%u.%u.%u", d[0], d[1], d[2],
                      d[3]);
    else
        std::swprintf(buffer, static_cast<std::size_t>(size), L"%u.%u.%u", d[1], d[2], d[3]);
    buffer[size - 1] = L'\0';
    return true;
}

bool CBK_System::Restart() {
    return tbx::SendAppleEventToSystemProcess(tbx::kAERestart) == tbx::noErr;
}

bool CBK_System::Shutdown() {
    return tbx::SendAppleEventToSystemProcess(tbx::kAEShutDown) == tbx::noErr;
}

bool CBK_System::Sleep() {
    return tbx::SendAppleEventToSystemProcess(tbx::kAESleep) == tbx::noErr;
}

bool CBK_System::Logout() {
    return tbx::SendAppleEventToSystemProcess(tbx::kAEReallyLogOut) == tbx::noErr;
}

bool CBK_System::GetComputerName(wchar_t* buffer, int32_t size) {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return false;
    return CopyName(name, buffer, size);
}

bool CBK_System::GetCurrentUserName(wchar_t* buffer, int32_t size) {
    long length = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> storage(length > 0 && length < 65536 ? std::size_t(length) : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, storage.data(), storage.size(), &found) != 0 || !found)
        return false;
    return CopyName(found->pw_name, buffer, size);
}

int32_t CBK_System::GetCPUSpeedMhz() {
    return static_cast<int32_t>(GestaltValue(tbx::FourCC("mclk")));
}

double CBK_System::GetCPUSpeedGhz() {
    return GetCPUSpeedMhz() / 1000.0;
}

uint32_t CBK_System::GetRAMSizeBytes() {
    return GestaltValue(tbx::FourCC("ram "));
}

uint32_t CBK_System::GetRAMSizeKBytes() {
    // 'ramm' counts megabytes; kilobytes are 1024 of them, saturating.
    return static_cast<uint32_t>(
        std::min<uint64_t>(uint64_t(GestaltValue(tbx::FourCC("ramm"))) * 1024, UINT32_MAX));
}

uint32_t CBK_System::GetRAMSizeMBytes() {
    return GestaltValue(tbx::FourCC("ramm"));
}

double CBK_System::GetRAMSizeGBytes() {
    return GestaltValue(tbx::FourCC("ramm")) / 1024.0;
}

bool CBK_System::SetSoundVolume(double volume) {
    return tbx::SetOutputVolume(volume);
}

double CBK_System::GetSoundVolume() {
    double volume = 0;
    return tbx::GetOutputVolume(volume) ? volume : -1.0;
}
