#include "core/system/system_info.h"

#include <cwchar>

#include "platform/gestalt.h"

namespace {

constexpr tbx::OSType kSystemVersion = tbx::FourCC("sysv");

bool SystemVersion(uint32_t& version) {
    tbx::SInt32 value = 0;
    if (tbx::Gestalt(kSystemVersion, &value) != tbx::noErr)
        return false;
    version = static_cast<uint32_t>(value);
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
