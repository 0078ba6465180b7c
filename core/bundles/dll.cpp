#include "core/bundles/dll.h"

#include "core/paths/path.h"
#include "platform/cf_string.h"

namespace {

void* Lookup(tbx::CFBundleRef bundle, tbx::CFStringRef name) {
    void* entry = bundle ? tbx::CFBundleGetFunctionPointerForName(bundle, name) : nullptr;
    tbx::CFRelease(name);
    return entry;
}

} // namespace

CBK_Dll::~CBK_Dll() {
    Unload();
}

bool CBK_Dll::Load(const CBK_Path& path) {
    Unload();
    tbx::CFURLRef url = BK_PathToCFURL(path.GetFullPathString());
    m_Bundle = tbx::CFBundleCreate(nullptr, url);
    tbx::CFRelease(url);
    return m_Bundle != nullptr;
}

void* CBK_Dll::GetProcAddressW(const wchar_t* name) {
    if (!m_Bundle || !name)
        return nullptr;
    const std::wstring wide(name);
    return Lookup(m_Bundle, tbx::CFStringCreateWithBytes(
                                nullptr, reinterpret_cast<const tbx::UInt8*>(wide.data()),
                                tbx::CFIndex(wide.size() * sizeof(wchar_t)),
                                tbx::kCFStringEncodingUTF32LE, false));
}

void* CBK_Dll::GetProcAddressA(const char* name) {
    if (!m_Bundle || !name)
        return nullptr;
    return Lookup(m_Bundle,
                  tbx::CFStringCreateWithCString(nullptr, name, tbx::kCFStringEncodingUTF8));
}

bool CBK_Dll::Unload() {
    if (m_Bundle) {
        tbx::CFBundleUnloadExecutable(m_Bundle);
        tbx::CFRelease(m_Bundle);
    }
    m_Bundle = nullptr;
    return true;
}
