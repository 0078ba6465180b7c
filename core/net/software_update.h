// CBK_SoftwareUpdate: asks the maker's update server for the latest version of a product.
#pragma once

#include <cstdint>
#include <string>

class CBK_SoftwareUpdate {
public:
    CBK_SoftwareUpdate() = default;

    // False without a network, or unless the server answers with a 2xx status and a reply
    // that begins with "major.minor" in decimal digits.
    bool CheckForUpdate(uint32_t productCode, int32_t major, int32_t minor);
    bool UpdateIsAvailable() const;

private:
    void _Reset();

    int32_t m_nCurrentMajor = 0;
    int32_t m_nCurrentMinor = 0;
    int32_t m_nLatestMajor = 0;
    int32_t m_nLatestMinor = 0;
    std::wstring m_Url;
};
