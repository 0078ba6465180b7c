// The standard places of the program: beside the application, the temporary folder and the
// program's own sub-folder in it, the standard folders of the domains, the bundle's
// resources.
#include <climits>
#include <unistd.h>

#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "platform/bundle.h"
#include "platform/files/cf_url.h"
#include "platform/files/folders.h"
#include "platform/files/fs_catalog.h"

std::wstring gBK_TempSubFolder;

namespace {

tbx::SInt16 PlatformDomain(DOMAIN_TYPE domain) {
    switch (domain) {
    case DOMAIN_SYSTEM:
        return tbx::kSystemDomain;
    case DOMAIN_LOCAL:
        return tbx::kLocalDomain;
    case DOMAIN_NETWORK:
        return tbx::kNetworkDomain;
    case DOMAIN_CLASSIC:
        return tbx::kClassicDomain;
    default:
        return tbx::kUserDomain;
    }
}

// A single plain name: an empty one, or one that climbs or descends, would make the
// sub-folder some other folder.
bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"/\\") == std::wstring::npos &&
           name.find(L'\0') == std::wstring::npos;
}

} // namespace

bool BK_GetAppFile(tbx::FSRef& ref, bool bundle) {
    ref = tbx::FSRef();
    if (bundle) {
        tbx::CFURLRef url = tbx::CFBundleCopyBundleURL(tbx::CFBundleGetMainBundle());
        const bool found = tbx::CFURLGetFSRef(url, &ref);
        tbx::CFRelease(url);
        return found;
    }
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return false;
    exe[length] = 0;
    return tbx::FSPathMakeRef(reinterpret_cast<const tbx::UInt8*>(exe), &ref, nullptr) ==
           tbx::noErr;
}

bool BK_GetAppFolder(tbx::FSRef& ref) {
    tbx::FSRef app;
    if (!BK_GetAppFile(app, true))
        return false;
    return CBK_Path(app).GetParentFSRef(ref);
}

bool CBK_Path::GetAppPath() {
    tbx::FSRef ref;
    if (!BK_GetAppFile(ref, true) || !_ResolveAlias(ref))
        return false;
    Set(ref);
    AppendSlash();
    return true;
}

bool CBK_Path::GetAppDirectory() {
    tbx::FSRef ref;
    if (!BK_GetAppFile(ref, true))
        return false;
    _path = CBK_Path(ref).GetDirectoryString(false);
    return true;
}

bool CBK_Path::MakeAppLevelPath(const wchar_t* name, bool processFile) {
    tbx::FSRef ref;
    if (!BK_GetAppFile(ref, !processFile))
        return false;
    _path = CBK_Path(ref).GetDirectoryString(true) + (name ? name : L"");
    return true;
}

bool CBK_Path::GetTempDirectory() {
    tbx::FSRef ref;
    const tbx::OSErr error =
        tbx::FSFindFolder(tbx::kUserDomain, tbx::kTemporaryFolderType, tbx::kCreateFolder, &ref);
    m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    Set(ref);
    return true;
}

bool CBK_Path::MakeTempLevelPath(const wchar_t* name, bool inSubFolder) {
    CBK_Path temp;
    if (!temp.GetTempDirectory())
        return false;
    std::wstring text = temp.GetFullPathString();
    BK_PathAppendSlash(text);
    if (inSubFolder && !gBK_TempSubFolder.empty()) {
        text += gBK_TempSubFolder;
        BK_PathAppendSlash(text);
    }
    _path = text + (name ? name : L"");
    return true;
}

bool CBK_Path::SetDefaultTempFolderPath(const wchar_t* name) {
    const std::wstring text = name ? name : L"";
    if (!IsPlainName(text))
        return false;
    gBK_TempSubFolder = text;
    CBK_Path folder;
    return folder.MakeTempLevelPath(text.c_str(), false) && folder.CreateFolder();
}

bool CBK_Path::DeleteTempSubFolderPath() {
    if (!IsPlainName(gBK_TempSubFolder))
        return false;
    CBK_Path folder;
    if (!folder.MakeTempLevelPath(gBK_TempSubFolder.c_str(), false))
        return false;
    if (!folder.FileExists())
        return true;
    return folder.DeleteFolder(true);
}

bool CBK_Path::GetSpecialDirectory(uint32_t folderType, DOMAIN_TYPE domain) {
    tbx::FSRef ref;
    const tbx::OSErr error =
        tbx::FSFindFolder(PlatformDomain(domain), folderType, tbx::kCreateFolder, &ref);
    m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    Set(ref);
    return true;
}

bool CBK_Path::GetAppSupportDirectory(DOMAIN_TYPE domain) {
    return GetSpecialDirectory(tbx::kApplicationSupportFolderType, domain);
}

bool CBK_Path::GetDocumentsDirectory() {
    return GetSpecialDirectory(tbx::kDocumentsFolderType, DOMAIN_USER);
}

bool CBK_Path::GetDesktopDirectory() {
    return GetSpecialDirectory(tbx::kDesktopFolderType, DOMAIN_USER);
}

bool CBK_Path::MakeSpecialDirectoryLevelPath(const wchar_t* name, uint32_t folderType,
                                             DOMAIN_TYPE domain) {
    CBK_Path folder;
    if (!folder.GetSpecialDirectory(folderType, domain))
        return false;
    return MakePath(name, folder);
}

bool CBK_Path::MakeAppSupportLevelPath(const wchar_t* name, DOMAIN_TYPE domain) {
    return MakeSpecialDirectoryLevelPath(name, tbx::kApplicationSupportFolderType, domain);
}

bool CBK_Path::MakeDocumentsLevelPath(const wchar_t* name) {
    return MakeSpecialDirectoryLevelPath(name, tbx::kDocumentsFolderType, DOMAIN_USER);
}

bool CBK_Path::MakeDesktopLevelPath(const wchar_t* name) {
    return MakeSpecialDirectoryLevelPath(name, tbx::kDesktopFolderType, DOMAIN_USER);
}

bool CBK_Path::MakeBundleResourceLevelPath(const wchar_t* name) {
    if (!name || !*name)
        return false;
    tbx::CFStringRef resource = BK_MakeCFString(name);
    tbx::CFURLRef url =
        tbx::CFBundleCopyResourceURL(tbx::CFBundleGetMainBundle(), resource, nullptr, nullptr);
    tbx::CFRelease(resource);
    if (!url)
        return false;
    Set(url);
    tbx::CFRelease(url);
    return true;
}

bool CBK_Path::GetBundleResourceDirectory() {
    tbx::CFURLRef url = tbx::CFBundleCopyResourceURL(tbx::CFBundleGetMainBundle(),
                                                     CFSTR("English.lproj"), nullptr, nullptr);
    if (!url) {
        _path.clear();
        return false;
    }
    CBK_Path lproj(url);
    tbx::CFRelease(url);
    _path = lproj.GetDirectoryString(true);
    return true;
}

void CBK_Path::SetCustomResourceDirectory(const CBK_Path& folder) {
    std::wstring text = folder.GetFullPathString();
    BK_PathAppendSlash(text);
    m_CustomResourcePath = text;
}

CBK_Path CBK_Path::GetCustomResourceDirectory() {
    return CBK_Path(m_CustomResourcePath);
}
