#include "core/net/system_probes.h"

#include <charconv>
#include <string>

#include "core/net/net_settings.h"
#include "core/paths/path.h"
#include "platform/gestalt.h"
#include "platform/net/http.h"

namespace {

constexpr int kProbeTimeoutMs = 3000;

// "host", "host:port" or "[v6-address]:port".
bool Probe(const std::wstring& setting) {
    std::string host = BK_WideToFileSystemName(setting);
    std::string portText = "80";
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos)
            return false;
        const std::string rest = host.substr(close + 1);
        host = host.substr(1, close - 1);
        if (!rest.empty()) {
            if (rest[0] != ':')
                return false;
            portText = rest.substr(1);
        }
    } else if (const std::size_t colon = host.find(':');
               colon != std::string::npos && colon == host.rfind(':')) {
        portText = host.substr(colon + 1);
        host.resize(colon);
    }
    tbx::UInt16 port = 0;
    const char* last = portText.data() + portText.size();
    const auto [end, error] = std::from_chars(portText.data(), last, port);
    if (error != std::errc() || end != last || portText.empty())
        return false;
    return tbx::TcpConnectProbe(host, port, kProbeTimeoutMs);
}

int32_t Fact(tbx::OSType selector) {
    tbx::SInt32 value = 0;
    return tbx::Gestalt(selector, &value) == tbx::noErr ? value : 0;
}

} // namespace

bool CBK_Internet::IsConnected() {
    return Probe(BK_GetNetSetting(kBK_ProbeHost1Key, kBK_DefaultProbeHost1)) ||
           Probe(BK_GetNetSetting(kBK_ProbeHost2Key, kBK_DefaultProbeHost2));
}

int32_t BK_MacGetOsVersion() {
    return Fact(tbx::FourCC("sysv"));
}

bool BK_MacIsOSX() {
    return BK_MacGetOsVersion() >= 0x1000;
}

bool BK_MacIsLessThanOSX() {
    tbx::SInt32 value = 0;
    return tbx::Gestalt(tbx::FourCC("sysv"), &value) == tbx::noErr && value < 0x1000;
}

bool BK_MacHasCarbonLib() {
    return true;
}

int32_t BK_MacGetCarbonLibVersion() {
    return Fact(tbx::FourCC("cbon"));
}

int32_t BK_MacGetColorPickerVersion() {
    return Fact(tbx::FourCC("cpkr"));
}

bool BK_MacHasQuartzExtreme() {
    return false;
}
