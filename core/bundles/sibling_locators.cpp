#include "core/bundles/sibling_locators.h"

#include "core/paths/path.h"
#include "core/prefs/prefs_manager.h"

namespace {

bool ReadAppPath(const wchar_t* domain, CBK_Path& path) {
    CBK_PrefsManager prefs;
    if (!prefs.OpenRegistry(domain, CBK_PrefsManager::PREFS_CURRENT_USER_ANY_HOST,
                            CBK_PrefsManager::ACCESS_READ))
        return false;
    wchar_t text[256] = {};
    if (!prefs.GetString(L"app_path", text, 256))
        return false;
    path.Set(text);
    return true;
}

bool LibraryBeside(const wchar_t* domain, const wchar_t* library, CBK_Path& path) {
    CBK_Path application;
    if (!ReadAppPath(domain, application))
        return false;
    path.MakePath(library, application.GetDirectoryString(false).c_str());
    return path.FileExists();
}

const wchar_t* ProductFolderName(int32_t productId) {
    switch (productId) {
    case 1294:
        return L"Galtrap";
    case 1387:
        return L"Orvane";
    case 1523:
        return L"Kestrow";
    case 1533:
        return L"Kestrow Pro";
    case 1655:
        return L"Tamblet Edit";
    case 1677:
        return L"Tamblet Lite";
    case 1688:
        return L"Tamblet";
    case 1699:
        return L"Tamblet Pro";
    case 1722:
        return L"Quorbel";
    case 1821:
    case 1822:
        return L"Dunmere";
    case 1851:
        return L"Stravel";
    case 1852:
        return L"Brindle";
    case 1853:
        return L"Pellamy";
    default:
        return L"Common";
    }
}

} // namespace

bool BK_GetPathToKestrow(CBK_Path& path) {
    return ReadAppPath(L"Kestrow", path);
}

bool BK_GetPathToQuorbel(CBK_Path& path) {
    return ReadAppPath(L"Quorbel", path);
}

bool BK_GetPathToDunmere(CBK_Path& path) {
    return ReadAppPath(L"Dunmere", path);
}

bool BK_GetPathToKestrowDll(CBK_Path& path) {
    return LibraryBeside(L"Kestrow", L"Kestrow.dll", path);
}

bool BK_GetPathToQuorbelDll(CBK_Path& path) {
    return LibraryBeside(L"Quorbel", L"qrb.bundle", path);
}

bool BK_GetPathToDunmereDll(CBK_Path& path) {
    return LibraryBeside(L"Dunmere", L"dnb.bundle", path);
}

bool BK_GetQuillfernAppSupportFolder(CBK_Path& folder, int32_t productId) {
    CBK_Path maker;
    if (!maker.MakeAppSupportLevelPath(L"Quillfern", DOMAIN_USER) || !maker.CreateFolder())
        return false;
    folder.MakePath(ProductFolderName(productId), maker);
    if (!folder.CreateFolder())
        return false;
    folder.AppendSlash(); // as a folder's path, whether it was just made or found
    return true;
}
