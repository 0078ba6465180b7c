#include "core/files/file_functions.h"

#include <sys/stat.h>

#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/text_encoding.h"

namespace {

std::u16string Units(const wchar_t* text) {
    return text ? BK_NarrowToUnits(text, std::wcslen(text)) : std::u16string();
}

bool IsFolder(const tbx::FSRef& ref) {
    tbx::FSCatalogInfo info;
    return tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoNodeFlags, &info, nullptr, nullptr,
                                 nullptr) == tbx::noErr &&
           (info.nodeFlags & tbx::kFSNodeIsDirectoryMask) != 0;
}

bool ChangeFinderFlag(const tbx::FSRef& ref, tbx::UInt16 flag, bool set) {
    tbx::FSCatalogInfo info;
    if (tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr) !=
        tbx::noErr)
        return false;
    tbx::FileInfo finder = tbx::GetFileInfo(info);
    finder.finderFlags = set ? (finder.finderFlags | flag) : (finder.finderFlags & ~flag);
    tbx::SetFileInfo(info, finder);
    return tbx::FSSetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &info) == tbx::noErr;
}

// The extension change on a name: `ext` without its dot.
std::wstring ChangedExtension(const std::wstring& text, std::size_t nameStart, const wchar_t* ext) {
    const std::wstring extension = ext ? ext : L"";
    const std::size_t dot = text.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        return extension.empty() ? text : text + L"." + extension;
    return extension.empty() ? text.substr(0, dot) : text.substr(0, dot + 1) + extension;
}

} // namespace

bool BK_GetFileInfo(const tbx::FSRef& ref, BK_FILE_INFO& info) {
    tbx::FSCatalogInfo catalog;
    if (tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog, nullptr, nullptr,
                              nullptr) != tbx::noErr)
        return false;
    const tbx::FileInfo finder = tbx::GetFileInfo(catalog);
    info.type = finder.fileType;
    info.creator = finder.fileCreator;
    info.flags = finder.finderFlags;
    info.location = finder.location;
    info.folder = finder.reservedField;
    return true;
}

bool BK_SetFileInfo(const tbx::FSRef& ref, const BK_FILE_INFO& info) {
    tbx::FSCatalogInfo catalog;
    if (tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog, nullptr, nullptr,
                              nullptr) != tbx::noErr)
        return false;
    tbx::FileInfo finder = tbx::GetFileInfo(catalog);
    if (info.mask & BK_FILE_INFO_TYPE)
        finder.fileType = info.type;
    if (info.mask & BK_FILE_INFO_CREATOR)
        finder.fileCreator = info.creator;
    if (info.mask & BK_FILE_INFO_FLAGS)
        finder.finderFlags = info.flags;
    if (info.mask & BK_FILE_INFO_LOCATION)
        finder.location = info.location;
    if (info.mask & BK_FILE_INFO_FOLDER)
        finder.reservedField = info.folder;
    tbx::SetFileInfo(catalog, finder);
    return tbx::FSSetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog) == tbx::noErr;
}

bool BK_GetFileTypes(const tbx::FSRef& ref, uint32_t& creator, uint32_t& type) {
    BK_FILE_INFO info;
    if (!BK_GetFileInfo(ref, info))
        return false;
    creator = info.creator;
    type = info.type;
    return true;
}

bool BK_SetFileTypes(const tbx::FSRef& ref, uint32_t creator, uint32_t type) {
    BK_FILE_INFO info;
    info.mask = BK_FILE_INFO_TYPE | BK_FILE_INFO_CREATOR;
    info.creator = creator;
    info.type = type;
    return BK_SetFileInfo(ref, info);
}

bool BK_HideFile(const tbx::FSRef& ref, bool hide) {
    return ChangeFinderFlag(ref, tbx::kIsInvisible, hide);
}

bool BK_LockFile(const tbx::FSRef& ref, bool lock) {
    tbx::FSSpec fileRecord;
    if (!BK_CreateFSSpecFromFSRef(ref, fileRecord))
        return false;
    return (lock ? tbx::FSpSetFLock(&fileRecord) : tbx::FSpRstFLock(&fileRecord)) == tbx::noErr;
}

bool BK_DeleteFile(const tbx::FSRef& ref) {
    return tbx::FSDeleteObject(&ref) == tbx::noErr;
}

bool BK_MoveFile(const tbx::FSRef& item, const tbx::FSRef& folder, bool) {
    return tbx::FSMoveObject(&item, &folder, nullptr) == tbx::noErr;
}

bool BK_RenameFile(const tbx::FSRef& ref, const wchar_t* name) {
    const std::u16string units = Units(name);
    return tbx::FSRenameUnicode(&ref, units.size(), units.data(), 0xFFFF, nullptr) == tbx::noErr;
}

bool BK_FSRef2FSSpec(const tbx::FSRef& ref, tbx::FSSpec& fileRecord) {
    return BK_CreateFSSpecFromFSRef(ref, fileRecord);
}

bool BK_CreateFSSpecFromFSRef(const tbx::FSRef& ref, tbx::FSSpec& fileRecord) {
    return tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoNone, nullptr, nullptr, &fileRecord,
                                 nullptr) == tbx::noErr;
}

bool BK_CreateFSRefFromCFURL(tbx::FSRef& ref, tbx::CFURLRef url) {
    if (!url)
        return false;
    tbx::CFURLRef parentUrl = tbx::CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    tbx::FSRef parent;
    const bool haveParent = tbx::CFURLGetFSRef(parentUrl, &parent);
    tbx::CFRelease(parentUrl);
    if (!haveParent)
        return false;
    if (url->Path() == "/")
        return tbx::CFURLGetFSRef(url, &ref);
    tbx::CFStringRef last = tbx::CFURLCopyLastPathComponent(url);
    const std::u16string units = last ? last->Text() : std::u16string();
    tbx::CFRelease(last);
    return tbx::FSMakeFSRefUnicode(&parent, units.size(), units.data(), 0xFFFF, &ref) == tbx::noErr;
}

bool BK_CreateFile(tbx::FSRef* newRef, tbx::CFURLRef url, uint32_t whichInfo,
                   const tbx::FSCatalogInfo* info) {
    if (!url)
        return false;
    tbx::CFURLRef parentUrl = tbx::CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    tbx::FSRef parent;
    const bool haveParent = tbx::CFURLGetFSRef(parentUrl, &parent);
    tbx::CFRelease(parentUrl);
    if (!haveParent)
        return false;
    tbx::CFStringRef last = tbx::CFURLCopyLastPathComponent(url);
    const std::u16string units = last ? last->Text() : std::u16string();
    tbx::CFRelease(last);
    tbx::FSRef made;
    const tbx::OSErr error = tbx::FSCreateFileUnicode(&parent, units.size(), units.data(),
                                                      whichInfo, info, &made, nullptr);
    CBK_Path::m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    if (newRef)
        *newRef = made;
    return true;
}

bool BK_GetParentFolder(const tbx::FSRef& ref, tbx::FSRef& parent) {
    tbx::FSCatalogInfo info;
    if (tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoNodeID, &info, nullptr, nullptr, &parent) !=
        tbx::noErr)
        return false;
    if (info.nodeID == tbx::kFSRootDirID)
        parent = tbx::FSRef();
    return true;
}

std::wstring BK_FolderGetFullPathString(const tbx::FSRef& ref, bool appendSlash) {
    std::wstring text = BK_FileSystemNameToWide(ref.path);
    if (appendSlash)
        BK_PathAppendSlash(text);
    return text;
}

bool BK_CreateFolder(const wchar_t* name, const tbx::FSRef& parent, tbx::FSRef* newRef) {
    const std::u16string units = Units(name);
    tbx::FSRef made;
    tbx::OSErr error = tbx::FSCreateDirectoryUnicode(&parent, units.size(), units.data(), 0,
                                                     nullptr, &made, nullptr, nullptr);
    if (error == tbx::dupFNErr) {
        // What is there must be a folder to count as made.
        error = tbx::FSMakeFSRefUnicode(&parent, units.size(), units.data(), 0xFFFF, &made);
        if (error == tbx::noErr && !IsFolder(made))
            error = tbx::dupFNErr;
    }
    CBK_Path::m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    if (newRef)
        *newRef = made;
    return true;
}

bool BK_CreateFile(const std::wstring& path, const BK_FILE_CREATE_ATTRIBUTES* attributes,
                   bool overwrite) {
    if (path.empty() || path.back() == L'/')
        return false;
    CBK_Path target(path);
    if (target.FileExists() && !overwrite)
        return false;
    return target.CreateFile(attributes, overwrite);
}

bool BK_CreateFile(const wchar_t* name, const tbx::FSRef& folder, std::wstring& path,
                   const BK_FILE_CREATE_ATTRIBUTES* attributes, bool overwrite) {
    if (!name || !*name)
        return false;
    const std::wstring full = BK_FolderGetFullPathString(folder, true) + name;
    if (!BK_CreateFile(full, attributes, overwrite))
        return false;
    path = full;
    return true;
}

bool BK_DeleteFile(const std::wstring& path) {
    tbx::FSRef ref;
    return CBK_Path(path).GetFSRef(ref) && BK_DeleteFile(ref);
}

bool BK_RenameFile(const std::wstring& path, const wchar_t* name) {
    tbx::FSRef ref;
    return CBK_Path(path).GetFSRef(ref) && BK_RenameFile(ref, name);
}

bool BK_MoveFile(const std::wstring& item, const tbx::FSRef& folder, bool) {
    tbx::FSRef ref;
    return CBK_Path(item).GetFSRef(ref) && BK_MoveFile(ref, folder);
}

bool BK_MoveFile(const tbx::FSRef& item, const std::wstring& destination, bool) {
    CBK_Path target(destination);
    tbx::FSRef folder;
    if (target.IsDirectory())
        return target.GetFSRef(folder) && BK_MoveFile(item, folder);
    if (!target.GetParentFSRef(folder) || !IsFolder(folder))
        return false;
    if (target.FileExists()) {
        CBK_Path::m_nLastError = tbx::dupFNErr;
        return false;
    }
    const std::wstring name = target.GetFilenameString(false);
    const std::u16string units = BK_NarrowToUnits(name.c_str(), name.size());
    tbx::FSRef parent;
    tbx::FSCatalogInfo info;
    if (tbx::FSGetCatalogInfo(&item, tbx::kFSCatInfoNone, &info, nullptr, nullptr, &parent) !=
        tbx::noErr)
        return false;
    if (tbx::FSCompareFSRefs(&parent, &folder) == tbx::noErr)
        return tbx::FSRenameUnicode(&item, units.size(), units.data(), 0xFFFF, nullptr) ==
               tbx::noErr;
    tbx::FSRef moved;
    if (tbx::FSMoveObject(&item, &folder, &moved) != tbx::noErr)
        return false;
    if (tbx::FSRenameUnicode(&moved, units.size(), units.data(), 0xFFFF, nullptr) == tbx::noErr)
        return true;
    tbx::FSMoveObject(&moved, &parent, nullptr);
    return false;
}

bool BK_MoveFile(const std::wstring& item, const std::wstring& destination, bool) {
    tbx::FSRef ref;
    return CBK_Path(item).GetFSRef(ref) && BK_MoveFile(ref, destination);
}

bool BK_FileExists(const std::wstring& path) {
    return BK_PathExists(path);
}

void BK_ChangeFileExtension(std::wstring& path, const wchar_t* ext) {
    const std::size_t slash = path.find_last_of(L'/');
    path = ChangedExtension(path, slash == std::wstring::npos ? 0 : slash + 1, ext);
}

void BK_ChangeFileExtension(unsigned char* pascalName, const wchar_t* ext) {
    if (!pascalName)
        return;
    wchar_t name[256];
    BK_CopyPascalStringToC(pascalName, name);
    const std::wstring changed = ChangedExtension(name, 0, ext);
    BK_CopyCStringToPascal(changed.c_str(), pascalName);
}

bool BK_CreateFolder(const wchar_t* name, const std::wstring& parent, tbx::FSRef* newRef) {
    tbx::FSRef folder;
    return CBK_Path(parent).GetFSRef(folder) && BK_CreateFolder(name, folder, newRef);
}

bool BK_CreateFolder(const std::wstring& path, tbx::FSRef* newRef) {
    CBK_Path target(path);
    target.RemoveSlash();
    const std::wstring name = target.GetFilenameString(false);
    return BK_CreateFolder(name.c_str(), target.GetDirectoryString(false), newRef);
}

bool BK_GetParentFolder(const std::wstring& path, tbx::FSRef& parent) {
    tbx::FSRef ref;
    return CBK_Path(path).GetFSRef(ref) && BK_GetParentFolder(ref, parent);
}

bool BK_CopyFile(const tbx::FSRef&, const std::wstring&, const BK_FILE_COPY_OPTIONS*) {
    return false;
}

bool BK_FileFromPath(const std::wstring&, tbx::FSRef&) {
    return false;
}

bool BK_FolderExists(const std::wstring&) {
    return false;
}

bool BK_IsFolder(const tbx::FSRef&) {
    return false;
}

bool BK_IsFolder(const std::wstring&) {
    return false;
}

bool BK_CreateFile(const wchar_t*, const tbx::FSRef&, tbx::FSRef&, const BK_FILE_CREATE_ATTRIBUTES*,
                   bool) {
    return false;
}

bool BK_MacGetDirectoryIdFromFolder(const tbx::FSRef& folder, int32_t& id, bool* flag) {
    tbx::FSCatalogInfo info;
    if (tbx::FSGetCatalogInfo(&folder, tbx::kFSCatInfoNodeID | tbx::kFSCatInfoNodeFlags, &info,
                              nullptr, nullptr, nullptr) != tbx::noErr)
        return false;
    id = int32_t(info.nodeID);
    if (flag)
        *flag = (info.nodeFlags & (1u << 2)) != 0;
    return false;
}

bool BK_FullPathToFile(const wchar_t* path, std::wstring&) {
    tbx::FSRef ref;
    if (path)
        CBK_Path(std::wstring(path, std::wcslen(path))).GetFSRef(ref);
    return false;
}

bool BK_FileOpenAsIFstream(const tbx::FSRef& ref, std::ifstream& stream,
                           std::ios_base::openmode mode) {
    if (ref.path.empty())
        return false;
    stream.open(ref.path, mode);
    return stream.is_open();
}

bool BK_FileOpenAsOFstream(const tbx::FSRef& ref, std::ofstream& stream,
                           std::ios_base::openmode mode) {
    if (ref.path.empty())
        return false;
    stream.open(ref.path, mode);
    return stream.is_open();
}

bool BK_FileOpenAsFstream(const tbx::FSRef& ref, std::fstream& stream,
                          std::ios_base::openmode mode) {
    if (ref.path.empty())
        return false;
    stream.open(ref.path, mode);
    return stream.is_open();
}

bool BK_FileOpenAsFstream(const std::wstring& path, std::fstream& stream,
                          std::ios_base::openmode mode) {
    return CBK_Path(CBK_Path(path).GetFullPathString()).OpenAsFstream(stream, mode);
}

FILE* BK_FileOpenAsStdFile(const tbx::FSRef& ref, const wchar_t* mode) {
    if (ref.path.empty() || !mode)
        return nullptr;
    return std::fopen(ref.path.c_str(), BK_WideToFileSystemName(mode).c_str());
}

FILE* BK_FileOpenAsStdFile(const std::wstring& path, const wchar_t* mode) {
    return CBK_Path(CBK_Path(path).GetFullPathString()).OpenAsStdFile(mode);
}
