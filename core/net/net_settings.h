// Where the network checks go: preference values of the application's own domain, so that
// they can be pointed elsewhere (tests use servers on 127.0.0.1).
#pragma once

#include <string>

// Keys and the values used when the preference is absent.
inline constexpr const wchar_t* kBK_UpdateHostKey = L"update_host";
inline constexpr const wchar_t* kBK_ProbeHost1Key = L"probe_host_1";
inline constexpr const wchar_t* kBK_ProbeHost2Key = L"probe_host_2";
inline constexpr const wchar_t* kBK_DefaultUpdateHost = L"www.quillfern.com";
inline constexpr const wchar_t* kBK_DefaultProbeHost1 = L"www.debian.org";
inline constexpr const wchar_t* kBK_DefaultProbeHost2 = L"www.kernel.org";

// The preference's text, or `fallback` when it is absent or empty.
std::wstring BK_GetNetSetting(const wchar_t* key, const wchar_t* fallback);
