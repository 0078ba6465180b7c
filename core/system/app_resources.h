// The application's resources: the resource file "main.rsrc" among the bundle's resources,
// and resource files opened as modules.
#pragma once

#include <cstdint>

#include "platform/types.h"

class CBK_Path;

class CBK_ResModule {
public:
    CBK_ResModule() = default;
    ~CBK_ResModule() { Close(); }
    CBK_ResModule(const CBK_ResModule&) = delete;
    CBK_ResModule& operator=(const CBK_ResModule&) = delete;

    // The application's "main.rsrc", opened once and kept; null when it does not open.
    static CBK_ResModule* GetAppModule();
    static bool GetAppResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size);

    // Opens the file's resources read-only; true when they opened.
    bool Load(const CBK_Path& path);
    void Close();
    // Adopts an open reference (closed with the module).
    void Attach(uint16_t refNum) {
        Close();
        _refNum = static_cast<int16_t>(refNum);
    }
    int16_t GetRefNum() const { return _refNum; }

    // The resource from this module alone, the current file kept as it was; `size`, when
    // given, gets its size. False when the module lacks it.
    bool GetResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size);

private:
    int16_t _refNum = 0;
    // Open for the life of the process: closing it at exit would race the resource
    // manager's own teardown.
    static CBK_ResModule* m_pAppModule;
};

// A resource of the application's "main.rsrc"; false (and a null handle) when it has none.
// The caller releases the handle with BK_ReleaseResource.
bool BK_GetAppResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size, bool);
bool BK_ReleaseResource(tbx::Handle& handle);
// From the current resource chain; the current file is kept as it was.
bool BK_GetResource(CBK_ResModule& module, uint32_t type, uint32_t id, tbx::Handle& handle,
                    int32_t* size);
