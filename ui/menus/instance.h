// CBK_Instance: an open reference to a nib of the main bundle. CBK_MainInstance hands out the
// one process-wide instance of the nib "main" that every dialog loads from.
#pragma once

#include <cstdint>

#include "platform/files/fs_types.h"
#include "platform/windows/carbon_types.h"

class CBK_Instance {
public:
    CBK_Instance() = default;
    CBK_Instance(const CBK_Instance&) = delete;
    CBK_Instance& operator=(const CBK_Instance&) = delete;
    ~CBK_Instance();

    // Opens the nib of that name in the main bundle (an open one is disposed of first).
    bool Create(const wchar_t* name);
    // A null reference opens "main"; any other does nothing and fails.
    bool Create(tbx::FSRef* ref);
    bool Destroy();

    const tbx::IBNibRef& GetNibRef() const { return m_hNibRef; }

private:
    tbx::IBNibRef m_hNibRef = nullptr;
    [[maybe_unused]] uint32_t m_nReserved = 0;
};

class CBK_MainInstance {
public:
    // Opens "main" on the first call; the same instance ever after.
    static CBK_Instance* Instance();

private:
    static CBK_Instance* _instance;
};
