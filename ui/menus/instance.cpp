#include "ui/menus/instance.h"

#include "core/strings/cf_string.h"
#include "platform/windows/nib.h"

CBK_Instance* CBK_MainInstance::_instance = nullptr;

CBK_Instance::~CBK_Instance() {
    Destroy();
}

bool CBK_Instance::Create(const wchar_t* name) {
    Destroy();
    CBK_CFString text(name);
    if (!text.Get())
        return false;
    tbx::IBNibRef nib = nullptr;
    if (tbx::CreateNibReference(text, &nib) != tbx::noErr)
        return false;
    m_hNibRef = nib;
    return true;
}

bool CBK_Instance::Create(tbx::FSRef* ref) {
    return ref == nullptr && Create(L"main");
}

bool CBK_Instance::Destroy() {
    if (m_hNibRef)
        tbx::DisposeNibReference(m_hNibRef);
    m_hNibRef = nullptr;
    return true;
}

CBK_Instance* CBK_MainInstance::Instance() {
    if (!_instance) {
        // Never destroyed: windows may load from it until the process ends, after the nib
        // table itself is gone.
        _instance = new CBK_Instance;
        _instance->Create(static_cast<tbx::FSRef*>(nullptr));
    }
    return _instance;
}
