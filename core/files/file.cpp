#include "core/files/file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "core/files/file_functions.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"

CBK_File::~CBK_File() {
    Close();
    tbx::CFRelease(_url);
}

bool CBK_File::Set(const CBK_Path& path) {
    tbx::CFRelease(_url);
    _url = BK_PathToCFURL(path.GetFullPathString());
    return true;
}

bool CBK_File::Set(const tbx::CFURLRef& url) {
    if (url != _url) {
        tbx::CFRelease(_url);
        _url = url;
    }
    return true;
}

bool CBK_File::Ref(tbx::FSRef& ref) const {
    return BK_CreateFSRefFromCFURL(ref, _url);
}

bool CBK_File::OpenFork(bool resource, uint32_t flags) {
    if (_fork != 0)
        return false;
    tbx::FSRef ref;
    if (!Ref(ref)) {
        _error = tbx::fnfErr;
        return false;
    }
    tbx::HFSUniStr255 name;
    _error = resource ? tbx::FSGetResourceForkName(&name) : tbx::FSGetDataForkName(&name);
    if (_error)
        return false;
    tbx::SInt8 permission;
    if (flags & BK_FILE_READ)
        permission = tbx::fsRdPerm;
    else if (flags & BK_FILE_WRITE)
        permission = tbx::fsWrPerm;
    else if (flags & BK_FILE_READ_WRITE)
        permission = tbx::fsRdWrPerm;
    else
        return false;
    _error = tbx::FSOpenFork(&ref, name.length, name.unicode, permission, &_fork);
    return _error == tbx::noErr;
}

bool CBK_File::Open(uint32_t flags) {
    return OpenFork(false, flags);
}
bool CBK_File::OpenResourceFork(uint32_t flags) {
    return OpenFork(true, flags);
}

bool CBK_File::Close() {
    if (_fork == 0)
        return false;
    _error = tbx::FSCloseFork(_fork);
    _fork = 0;
    return _error == tbx::noErr;
}

bool CBK_File::Create() {
    return BK_CreateFile(nullptr, _url, 0, nullptr);
}

bool CBK_File::Delete() {
    tbx::FSRef ref;
    if (!Ref(ref))
        return false;
    _error = tbx::FSDeleteObject(&ref);
    return _error == tbx::noErr;
}

bool CBK_File::Move(const tbx::FSRef& folder) {
    tbx::FSRef ref, moved;
    if (!Ref(ref))
        return false;
    _error = tbx::FSMoveObject(&ref, &folder, &moved);
    if (_error)
        return false;
    Set(tbx::CFURLCreateFromFSRef(nullptr, &moved));
    return true;
}

bool CBK_File::Move(const tbx::CFURLRef& folder) {
    tbx::FSRef ref;
    if (!tbx::CFURLGetFSRef(folder, &ref)) {
        _error = tbx::dirNFErr;
        return false;
    }
    return Move(ref);
}

bool CBK_File::Rename(const wchar_t* name) {
    tbx::FSRef ref, renamed;
    if (!name || !Ref(ref))
        return false;
    const std::u16string units = BK_NarrowToUnits(name, std::wcslen(name));
    _error = tbx::FSRenameUnicode(&ref, units.size(), units.data(), 0xFFFF, &renamed);
    if (_error)
        return false;
    Set(tbx::CFURLCreateFromFSRef(nullptr, &renamed));
    return true;
}

tbx::OSErr CBK_File::Seek(int64_t offset, uint32_t mode) {
    static const tbx::UInt16 modes[] = {tbx::fsFromStart, tbx::fsFromMark, tbx::fsFromLEOF};
    _error =
        mode < 3 ? tbx::FSSetForkPosition(_fork, modes[mode], offset) : tbx::OSErr(tbx::paramErr);
    return _error;
}

int64_t CBK_File::GetPosition() {
    tbx::SInt64 position = 0;
    _error = tbx::FSGetForkPosition(_fork, &position);
    return position;
}

int32_t CBK_File::Read(void* buffer, int32_t count) {
    if (count <= 0)
        return 0;
    tbx::ByteCount got = 0;
    _error = tbx::FSReadFork(_fork, tbx::fsAtMark, 0, tbx::ByteCount(count), buffer, &got);
    return static_cast<int32_t>(got);
}

int32_t CBK_File::Write(const void* buffer, int32_t count) {
    if (count <= 0)
        return 0;
    tbx::ByteCount put = 0;
    _error = tbx::FSWriteFork(_fork, tbx::fsAtMark, 0, tbx::ByteCount(count), buffer, &put);
    return static_cast<int32_t>(put);
}

int64_t CBK_File::GetLength() {
    const bool opened = _fork == 0;
    if (opened && !Open(BK_FILE_READ))
        return 0;
    tbx::SInt64 size = 0;
    _error = tbx::FSGetForkSize(_fork, &size);
    if (opened)
        Close();
    return size;
}

uint32_t CBK_File::GetFileType() {
    BK_FILE_INFO info;
    return GetFileInfo(info) ? info.type : 0;
}

uint32_t CBK_File::GetCreatorType() {
    BK_FILE_INFO info;
    return GetFileInfo(info) ? info.creator : 0;
}

bool CBK_File::GetFileInfo(BK_FILE_INFO& info) {
    tbx::FSRef ref;
    return Ref(ref) && BK_GetFileInfo(ref, info);
}

bool CBK_File::SetFileInfo(const BK_FILE_INFO& info) {
    tbx::FSRef ref;
    return Ref(ref) && BK_SetFileInfo(ref, info);
}

bool CBK_File::GetDirInfo(BK_DIR_INFO& info) {
    tbx::FSRef ref;
    tbx::FSCatalogInfo catalog;
    if (!Ref(ref) || tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog, nullptr,
                                           nullptr, nullptr) != tbx::noErr)
        return false;
    const tbx::FolderInfo folder = tbx::GetFolderInfo(catalog);
    info.bounds = folder.windowBounds;
    info.flags = folder.finderFlags;
    info.location = folder.location;
    info.reserved = folder.reservedField;
    return true;
}

bool CBK_File::SetDirInfo(const BK_DIR_INFO& info) {
    tbx::FSRef ref;
    tbx::FSCatalogInfo catalog;
    if (!Ref(ref) || tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog, nullptr,
                                           nullptr, nullptr) != tbx::noErr)
        return false;
    tbx::FolderInfo folder = tbx::GetFolderInfo(catalog);
    if (info.mask & BK_DIR_INFO_BOUNDS)
        folder.windowBounds = info.bounds;
    if (info.mask & BK_DIR_INFO_FLAGS)
        folder.finderFlags = info.flags;
    if (info.mask & BK_DIR_INFO_LOCATION)
        folder.location = info.location;
    tbx::SetFolderInfo(catalog, folder);
    _error = tbx::FSSetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog);
    return _error == tbx::noErr;
}

bool CBK_File::SetPackageFlag(bool set) {
    tbx::FSRef ref;
    tbx::FSCatalogInfo catalog;
    if (!Ref(ref) || tbx::FSGetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog, nullptr,
                                           nullptr, nullptr) != tbx::noErr)
        return false;
    tbx::FileInfo finder = tbx::GetFileInfo(catalog);
    finder.finderFlags = set ? (finder.finderFlags | tbx::kHasBundle)
                             : (finder.finderFlags & ~tbx::UInt16(tbx::kHasBundle));
    tbx::SetFileInfo(catalog, finder);
    _error = tbx::FSSetCatalogInfo(&ref, tbx::kFSCatInfoFinderInfo, &catalog);
    return _error == tbx::noErr;
}

bool CBK_File::OpenAsFstream(std::fstream& stream, std::ios_base::openmode mode) {
    tbx::FSRef ref;
    return Ref(ref) && BK_FileOpenAsFstream(ref, stream, mode);
}

FILE* CBK_File::OpenAsStdFile(const wchar_t* mode) {
    tbx::FSRef ref;
    return Ref(ref) ? BK_FileOpenAsStdFile(ref, mode) : nullptr;
}

bool CBK_Folder::Set(const CBK_Path& path) {
    tbx::FSRef ref;
    if (!path.GetFSRef(ref) || !path.IsDirectory())
        return false;
    _folder = ref;
    return true;
}

uint64_t CBK_Folder::GetSize() const {
    if (_folder.path.empty())
        return 0;
    uint64_t total = 0;
    std::vector<tbx::FSRef> stack{_folder};
    while (!stack.empty()) {
        const tbx::FSRef folder = std::move(stack.back());
        stack.pop_back();
        tbx::FSIterator iterator = nullptr;
        if (tbx::FSOpenIterator(&folder, tbx::kFSIterateFlat, &iterator) != tbx::noErr)
            continue;
        for (;;) {
            tbx::UInt32 count = 0;
            tbx::FSCatalogInfo info;
            tbx::FSRef item;
            if (tbx::FSGetCatalogInfoBulk(iterator, 1, &count, nullptr,
                                          tbx::kFSCatInfoNodeFlags | tbx::kFSCatInfoDataSizes,
                                          &info, &item, nullptr, nullptr) != tbx::noErr)
                break;
            if (info.nodeFlags & tbx::kFSNodeIsDirectoryMask)
                stack.push_back(std::move(item));
            else
                total += info.dataLogicalSize;
        }
        tbx::FSCloseIterator(iterator);
    }
    return total;
}

bool CBK_File::GetDate(bool creation, CBK_Date& date) {
    tbx::FSRef ref;
    tbx::FSCatalogInfo catalog;
    if (!Ref(ref) || tbx::FSGetCatalogInfo(
                         &ref, creation ? tbx::kFSCatInfoCreateDate : tbx::kFSCatInfoContentMod,
                         &catalog, nullptr, nullptr, nullptr) != tbx::noErr)
        return false;
    // The catalogue stands in the modification time for a creation date it does not keep; a
    // creation date that is not one is worse than none.
    if (creation && !tbx::FSHasCreationDate(&ref))
        return false;
    date.SetDate(creation ? catalog.createDate : catalog.contentModDate);
    return true;
}

bool CBK_File::GetCreateDate(CBK_Date& date) {
    return GetDate(true, date);
}

bool CBK_File::GetModifiedDate(CBK_Date& date) {
    return GetDate(false, date);
}
