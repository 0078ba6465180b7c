// The file operations of a path: create, delete, rename, move, copy, launch, open, and the
// names of temporary and backup files.
#include <cstdio>
#include <unistd.h>

#include "core/files/copy_object.h"
#include "core/files/delete_container.h"
#include "core/files/file_functions.h"
#include "core/paths/path.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "platform/system/process_quit.h"

namespace {

std::u16string Units(const std::wstring& text) {
    return BK_NarrowToUnits(text.c_str(), text.size());
}

bool NodeIsFolder(const tbx::FSRef& ref) {
    tbx::FSCatalogInfo info;
    return tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoNodeFlags, &info, nullptr, nullptr,
                                 nullptr) == tbx::noErr &&
           (info.nodeFlags & tbx::kFSNodeIsDirectoryMask);
}

// The item itself, never its nearest parent; a link is taken as the link.
bool ItemRef(const CBK_Path& path, tbx::FSRef& ref) {
    if (!path.GetFSRef(ref)) {
        CBK_Path::m_nLastError = tbx::fnfErr;
        return false;
    }
    return true;
}

// After a rename or a move: records the result and, on success, points the path at the item
// in its new place, a folder's with its trailing slash.
bool FollowItem(CBK_Path& path, tbx::OSErr error, const tbx::FSRef& item) {
    CBK_Path::m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    const bool folder = BK_PathIsFolder(path.GetPathString());
    path.Set(item);
    if (folder)
        path.AppendSlash();
    return true;
}

bool Launch(const std::vector<std::string>& argv, tbx::ProcessSerialNumber* psn) {
    const tbx::OSStatus status = tbx::LaunchProgram(argv, psn);
    CBK_Path::m_nLastError = status;
    return status == tbx::noErr;
}

} // namespace

bool CBK_Path::MakeUniqueTempPath(const CBK_Path& source) {
    _path = source.GetFullPathString();
    const std::wstring stem = GetFilenameString(true);
    const std::wstring extension = GetExtensionString(true);
    SetFilename((stem + L"__" + extension).c_str());
    if (!FileExists())
        return true;
    for (int n = 0; n < 1000; ++n) {
        SetFilename((stem + L"__" + std::to_wstring(n) + extension).c_str());
        if (!FileExists())
            return true;
    }
    return false;
}

bool CBK_Path::MakeBackupPath(CBK_Path& source, bool overwrite) {
    if (!source.FileExists())
        return false;
    _path = source.GetFullPathString() + L"~";
    if (FileExists() && !overwrite)
        return false;
    // One rename that replaces an old backup: the old one stays until the new one is there.
    tbx::FSRef ref;
    if (!ItemRef(source, ref))
        return false;
    const std::u16string name = Units(GetFilenameString(false));
    tbx::OSErr error = tbx::FSRenameUnicodeReplacing(&ref, name.size(), name.data(), nullptr);
    m_nLastError = error;
    return error == tbx::noErr;
}

bool CBK_Path::CreateFile(const BK_FILE_CREATE_ATTRIBUTES* attributes, bool overwrite) {
    if (_path.empty())
        return false;
    if (FileExists()) {
        if (IsDirectory() || !overwrite || !DeleteFile(false))
            return false;
    }
    const BK_FILE_CREATE_ATTRIBUTES defaults;
    const BK_FILE_CREATE_ATTRIBUTES& wanted = attributes ? *attributes : defaults;
    const tbx::FSCatalogInfo info = BK_CreationCatalogInfo(wanted);
    tbx::CFURLRef url = BK_PathToCFURL(GetFullPathString());
    tbx::FSRef made;
    const bool created =
        BK_CreateFile(&made, url, tbx::kFSCatInfoTextEncoding | tbx::kFSCatInfoFinderInfo, &info);
    tbx::CFRelease(url);
    if (!created)
        return false;
    if (wanted.hidden)
        BK_HideFile(made, true);
    if (wanted.locked)
        BK_LockFile(made, true);
    return true;
}

bool CBK_Path::CreateFolder() {
    if (_path.empty())
        return false;
    tbx::FSRef existing;
    if (GetFSRef(existing)) {
        // Only a folder counts as the folder asked for.
        m_nLastError = NodeIsFolder(existing) ? tbx::noErr : tbx::dupFNErr;
        return m_nLastError == tbx::noErr;
    }
    CBK_Path target(GetFullPathString());
    target.RemoveSlash();
    tbx::FSRef parent;
    if (!CBK_Path(target.GetDirectoryString(true)).GetFSRef(parent)) {
        m_nLastError = tbx::dirNFErr;
        return false;
    }
    const std::u16string name = Units(target.GetFilenameString(false));
    tbx::FSRef made;
    const tbx::OSErr error = tbx::FSCreateDirectoryUnicode(&parent, name.size(), name.data(), 0,
                                                           nullptr, &made, nullptr, nullptr);
    m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    Set(made);
    return true;
}

bool CBK_Path::DeleteFolder(bool recursive) {
    tbx::FSRef ref;
    if (!ItemRef(*this, ref))
        return false;
    // Deleting never follows a link: the link itself goes.
    ref.noFollow = true;
    tbx::OSErr error = tbx::FSDeleteObject(&ref);
    if (error == tbx::fBsyErr && recursive)
        error = FSDeleteContainer(&ref);
    m_nLastError = error;
    return error == tbx::noErr;
}

bool CBK_Path::DeleteFile(bool unlinkWhenBusy) {
    tbx::FSRef ref;
    if (!GetFSRef(ref))
        return true;
    ref.noFollow = true;
    if (NodeIsFolder(ref)) {
        m_nLastError = tbx::notAFileErr;
        return false;
    }
    tbx::OSErr error = tbx::FSDeleteObject(&ref);
    if (error == tbx::fBsyErr && unlinkWhenBusy &&
        unlink(BK_WideToFileSystemName(GetFullPathString()).c_str()) == 0)
        return true;
    if (error != tbx::noErr)
        m_nLastError = error;
    return error == tbx::noErr;
}

bool CBK_Path::RenameFile(const wchar_t* newName) {
    tbx::FSRef ref;
    if (!newName || !ItemRef(*this, ref))
        return false;
    ref.noFollow = true;
    const std::u16string name = Units(newName);
    tbx::FSRef renamed;
    tbx::OSErr error = tbx::FSRenameUnicode(&ref, name.size(), name.data(), 0xFFFF, &renamed);
    if (error == tbx::dupFNErr)
        error = tbx::FSRenameUnicodeReplacing(&ref, name.size(), name.data(), &renamed);
    return FollowItem(*this, error, renamed);
}

bool CBK_Path::MoveFileTo(const CBK_Path& destination, bool) {
    tbx::FSRef ref;
    if (!ItemRef(*this, ref))
        return false;
    ref.noFollow = true;
    tbx::FSRef folder;
    const bool intoIt = destination.IsDirectory();
    if (!(intoIt ? destination.GetFSRef(folder) : destination.GetParentFSRef(folder))) {
        m_nLastError = tbx::dirNFErr;
        return false;
    }
    tbx::FSRef moved;
    const tbx::OSErr error = tbx::FSMoveObject(&ref, &folder, &moved);
    return FollowItem(*this, error, moved);
}

bool CBK_Path::CopyFileTo(const CBK_Path& folder, const wchar_t* newName, bool replace,
                          CBK_Path* newPath) {
    tbx::FSRef source, destination;
    if (!ItemRef(*this, source) || !ItemRef(folder, destination))
        return false;
    tbx::HFSUniStr255 name;
    if (newName) {
        const std::u16string units = BK_NarrowToUnits(newName, std::wcslen(newName));
        name.length = tbx::UInt16(std::min<std::size_t>(units.size(), 255));
        std::copy(units.begin(), units.begin() + name.length, name.unicode);
    }
    tbx::FSRef copy;
    const tbx::OSErr error =
        FSCopyObject(&source, &destination, 0, replace ? kDupeActionReplace : kDupeActionStandard,
                     newName ? &name : nullptr, &copy, nullptr);
    m_nLastError = error;
    if (error != tbx::noErr)
        return false;
    if (newPath)
        newPath->Set(copy);
    return true;
}

bool CBK_Path::LaunchFileWith(const CBK_Path& application) {
    if (_path.empty() || application._path.empty())
        return false;
    return Launch({BK_WideToFileSystemName(application.GetFullPathString()),
                   BK_WideToFileSystemName(GetFullPathString())},
                  nullptr);
}

bool CBK_Path::LaunchFile(tbx::ProcessSerialNumber& psn) {
    psn = tbx::ProcessSerialNumber();
    if (_path.empty())
        return false;
    return Launch({BK_WideToFileSystemName(GetFullPathString())}, &psn);
}

bool CBK_Path::QuitFile(tbx::ProcessSerialNumber& psn) {
    const tbx::OSStatus status =
        tbx::QuitProcessesOf(BK_WideToFileSystemName(GetFullPathString()), psn);
    m_nLastError = status;
    return status == tbx::noErr;
}

bool CBK_Path::OpenAsFileHandle(int16_t& refNum, FILE_OPEN_FLAG) {
    refNum = 0;
    tbx::FSRef ref;
    if (!ItemRef(*this, ref))
        return false;
    tbx::HFSUniStr255 fork;
    tbx::FSGetDataForkName(&fork);
    const tbx::OSErr error =
        tbx::FSOpenFork(&ref, fork.length, fork.unicode, tbx::fsRdPerm, &refNum);
    m_nLastError = error;
    return error == tbx::noErr;
}

bool BK_LaunchDocument(const CBK_Path& document) {
    if (document.GetPathString().empty())
        return false;
    return Launch({"xdg-open", BK_WideToFileSystemName(document.GetFullPathString())}, nullptr);
}

bool BK_LaunchApplication(const CBK_Path& application, tbx::ProcessSerialNumber& psn) {
    CBK_Path program(application);
    return program.LaunchFile(psn);
}
