#include "core/system/app_resources.h"

#include <memory>

#include "core/paths/path.h"
#include "platform/memory.h"
#include "platform/resources/resource_files.h"

CBK_ResModule* CBK_ResModule::m_pAppModule = nullptr;

namespace {

// Ids beyond the 16 bits of a resource id name no resource.
bool FromChain(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size, bool onlyCurrent) {
    handle = nullptr;
    if (id > 0x7FFF && id < 0xFFFF8000u)
        return false;
    const auto rid = static_cast<tbx::SInt16>(id);
    handle = onlyCurrent ? tbx::Get1Resource(type, rid) : tbx::GetResource(type, rid);
    if (size)
        *size = handle ? static_cast<int32_t>(tbx::GetHandleSize(handle)) : 0;
    return handle != nullptr;
}

class CurrentFileKept {
public:
    CurrentFileKept() : _saved(tbx::CurResFile()) {}
    ~CurrentFileKept() { tbx::UseResFile(_saved); }
    CurrentFileKept(const CurrentFileKept&) = delete;
    CurrentFileKept& operator=(const CurrentFileKept&) = delete;

private:
    tbx::SInt16 _saved;
};

} // namespace

CBK_ResModule* CBK_ResModule::GetAppModule() {
    if (!m_pAppModule) {
        CBK_Path path;
        auto module = std::make_unique<CBK_ResModule>();
        if (!path.MakeBundleResourceLevelPath(L"main.rsrc") || !module->Load(path))
            return nullptr;
        m_pAppModule = module.release();
    }
    return m_pAppModule;
}

bool CBK_ResModule::GetAppResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size) {
    handle = nullptr;
    CBK_ResModule* module = GetAppModule();
    return module && module->GetResource(type, id, handle, size);
}

bool CBK_ResModule::Load(const CBK_Path& path) {
    Close();
    CurrentFileKept kept;
    const tbx::FSSpec fileSpec = path.GetFSSpec();
    const tbx::SInt16 ref = tbx::FSpOpenResFile(&fileSpec, tbx::fsRdPerm);
    if (ref < 0)
        return false;
    _refNum = ref;
    return true;
}

void CBK_ResModule::Close() {
    if (_refNum > 0)
        tbx::CloseResFile(_refNum);
    _refNum = 0;
}

bool CBK_ResModule::GetResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size) {
    handle = nullptr;
    if (_refNum <= 0)
        return false;
    CurrentFileKept kept;
    tbx::UseResFile(_refNum);
    return FromChain(type, id, handle, size, true);
}

bool BK_GetAppResource(uint32_t type, uint32_t id, tbx::Handle& handle, int32_t* size, bool) {
    return CBK_ResModule::GetAppResource(type, id, handle, size);
}

bool BK_ReleaseResource(tbx::Handle& handle) {
    if (handle)
        tbx::ReleaseResource(handle);
    handle = nullptr;
    return true;
}

bool BK_GetResource(CBK_ResModule&, uint32_t type, uint32_t id, tbx::Handle& handle,
                    int32_t* size) {
    CurrentFileKept kept;
    return FromChain(type, id, handle, size, false);
}
