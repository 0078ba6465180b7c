// The PCM form asked of a movie or of an importer; 0 in a field keeps the source's own value.
#pragma once

#include <cstdint>

struct BK_SOUND_EXPORT_DESCRIPTION {
    double m_dRate = 0;
    int32_t m_nBits = 0;
    int32_t m_nChannels = 0;
    uint32_t m_nFormat = 0;
};
