// CBK_Dll: a bundle of code loaded at run time by path, its entry points looked up by name.
#pragma once

#include "platform/bundle.h"

class CBK_Path;
class CBK_String;

class CBK_Dll {
public:
    CBK_Dll() = default;
    CBK_Dll(const CBK_Dll&) = delete;
    CBK_Dll& operator=(const CBK_Dll&) = delete;
    ~CBK_Dll();

    // True when a bundle was found at the path; its code is loaded at the first lookup.
    bool Load(const CBK_Path& path);
    // Loading by name has no meaning here: false, nothing loaded.
    bool Load(const CBK_String&) { return false; }
    // The entry point, or null (also when no bundle is held).
    void* GetProcAddressW(const wchar_t* name);
    // The name in the locale encoding of 8-bit names, UTF-8; null when it is not UTF-8.
    void* GetProcAddressA(const char* name);
    // Lets go of the bundle; true in every case.
    bool Unload();

private:
    tbx::CFBundleRef m_Bundle = nullptr;
};
