#include "core/net/software_update.h"

#include <charconv>
#include <string_view>

#include "core/net/net_settings.h"
#include "core/net/system_probes.h"
#include "core/net/url.h"

namespace {

// Leading decimal digits into `value`; false when there are none or they overflow.
bool ReadNumber(std::string_view& text, int32_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    text.remove_prefix(std::size_t(end - text.data()));
    return true;
}

} // namespace

void CBK_SoftwareUpdate::_Reset() {
    m_nCurrentMajor = m_nCurrentMinor = m_nLatestMajor = m_nLatestMinor = 0;
}

bool CBK_SoftwareUpdate::CheckForUpdate(uint32_t productCode, int32_t major, int32_t minor) {
    if (!CBK_Internet::IsConnected())
        return false;
    m_nCurrentMajor = major;
    m_nCurrentMinor = minor;
    m_nLatestMajor = m_nLatestMinor = 0;
    m_Url = L"http://" + BK_GetNetSetting(kBK_UpdateHostKey, kBK_DefaultUpdateHost) +
            L"/swupdate/swvers.php?pcd=" + std::to_wstring(uint32_t(productCode + 5762u));
    CBK_Url request(m_Url.c_str(), CBK_Url::METHOD_GET);
    if (!request.DownloadSynchronous())
        return false;
    std::string_view reply(reinterpret_cast<const char*>(request.GetData()),
                           std::size_t(request.GetDataSize()));
    int32_t latestMajor = 0, latestMinor = 0;
    if (!ReadNumber(reply, latestMajor) || reply.empty() || reply[0] != '.')
        return false;
    reply.remove_prefix(1);
    if (!ReadNumber(reply, latestMinor))
        return false;
    m_nLatestMajor = latestMajor;
    m_nLatestMinor = latestMinor;
    return true;
}

bool CBK_SoftwareUpdate::UpdateIsAvailable() const {
    return m_nLatestMajor > m_nCurrentMajor ||
           (m_nLatestMajor == m_nCurrentMajor && m_nLatestMinor > m_nCurrentMinor);
}
