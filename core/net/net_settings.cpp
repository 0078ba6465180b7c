#include "core/net/net_settings.h"

#include "core/prefs/prefs_manager.h"

std::wstring BK_GetNetSetting(const wchar_t* key, const wchar_t* fallback) {
    CBK_PrefsManager prefs;
    wchar_t text[256] = {};
    if (prefs.OpenRegistry(nullptr, CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST,
                           CBK_PrefsManager::ACCESS_READ) &&
        prefs.GetString(key, text, 256) && text[0])
        return text;
    return fallback;
}
