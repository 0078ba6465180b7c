#include "core/files/copy_object.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/delete_container.h"
#include "core/files/fork_utilities.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"

namespace {

using namespace tbx;

constexpr std::size_t kCopyBufferSize = 1 << 20;
constexpr FSCatalogInfoBitmap kFinderBits = kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo;
constexpr FSCatalogInfoBitmap kLateBits =
    kFSCatInfoContentMod | kFSCatInfoAccessDate | kFSCatInfoPermissions;

struct Pending {
    FSRef source;
    FSCatalogInfo info;
    FSRef parent; // in the copy
    std::u16string name;
    UInt32 level;
};

struct MadeFolder {
    FSRef copy;
    FSCatalogInfo info;
};

UInt16 Kind(const FSCatalogInfo& info) {
    return info.permissions.mode & S_IFMT;
}

std::u16string Units(const HFSUniStr255& name) {
    return std::u16string(reinterpret_cast<const char16_t*>(name.unicode), name.length);
}

OSErr CopyFork(const FSRef& from, const FSRef& to, bool resource, std::vector<char>& buffer) {
    HFSUniStr255 forkName;
    resource ? FSGetResourceForkName(&forkName) : FSGetDataForkName(&forkName);
    SInt16 in = 0, out = 0;
    if (OSErr error = FSOpenFork(&from, forkName.length, forkName.unicode, fsRdPerm, &in))
        return error;
    if (OSErr error = FSOpenFork(&to, forkName.length, forkName.unicode, fsWrPerm, &out)) {
        FSCloseFork(in);
        return error;
    }
    OSErr error = FSCopyFork(in, out, buffer.data(), buffer.size());
    FSCloseFork(in);
    const OSErr closed = FSCloseFork(out);
    return error ? error : closed;
}

OSErr CopyFile(const FSRef& source, const FSCatalogInfo& info, const FSRef& parent,
               const std::u16string& name, FSRef& made, std::vector<char>& buffer) {
    if (OSErr error = FSCreateFileUnicode(&parent, name.size(), name.data(), kFinderBits, &info,
                                          &made, nullptr))
        return error;
    if (OSErr error = CopyFork(source, made, false, buffer))
        return error;
    FSCatalogInfo sizes;
    if (OSErr error =
            FSGetCatalogInfo(&source, kFSCatInfoRsrcSizes, &sizes, nullptr, nullptr, nullptr))
        return error;
    if (sizes.rsrcLogicalSize > 0)
        return CopyFork(source, made, true, buffer);
    return noErr;
}

// Queues the items of a source folder for copying into `copy`.
OSErr QueueChildren(const FSRef& source, const FSRef& copy, UInt32 level,
                    std::vector<Pending>& work) {
    FSIterator iterator = nullptr;
    if (OSErr error = FSOpenIterator(&source, kFSIterateFlat, &iterator))
        // A folder that can be written but not read (a drop box) is made but not entered.
        return error == afpAccessDenied ? OSErr(noErr) : error;
    OSErr error = noErr;
    for (;;) {
        Pending item;
        HFSUniStr255 name;
        UInt32 count = 0;
        error = FSGetCatalogInfoBulk(iterator, 1, &count, nullptr,
                                     kFSCatInfoGettableInfo & ~kFSCatInfoRsrcSizes, &item.info,
                                     &item.source, nullptr, &name);
        if (error == errFSNoMoreItems) {
            error = noErr;
            break;
        }
        if (error)
            break;
        item.parent = copy;
        item.name = Units(name);
        item.level = level;
        work.push_back(std::move(item));
    }
    FSCloseIterator(iterator);
    return error;
}

// Everything below the top object, iteratively.
OSErr CopyContents(const FSRef& source, const FSRef& copy, UInt32 maxLevels,
                   std::vector<MadeFolder>& folders, std::vector<char>& buffer) {
    std::vector<Pending> work;
    if (OSErr error = QueueChildren(source, copy, 1, work))
        return error;
    while (!work.empty()) {
        Pending item = std::move(work.back());
        work.pop_back();
        FSRef made;
        switch (Kind(item.info)) {
        case S_IFDIR: {
            if (OSErr error =
                    FSCreateDirectoryUnicode(&item.parent, item.name.size(), item.name.data(),
                                             kFinderBits, &item.info, &made, nullptr, nullptr))
                return error;
            folders.push_back({made, item.info});
            if (maxLevels == 0 || item.level < maxLevels)
                if (OSErr error = QueueChildren(item.source, made, item.level + 1, work))
                    return error;
            break;
        }
        case S_IFREG:
            if (OSErr error =
                    CopyFile(item.source, item.info, item.parent, item.name, made, buffer))
                return error;
            if (OSErr error = FSSetCatalogInfo(&made, kLateBits, &item.info))
                return error;
            break;
        case S_IFLNK: {
            std::string target;
            if (OSErr error = FSReadLink(&item.source, target))
                return error;
            if (OSErr error = FSCreateLinkUnicode(&item.parent, item.name.size(), item.name.data(),
                                                  target, &made))
                return error;
            break;
        }
        default:
            break; // pipes, sockets and devices hold no bytes to copy
        }
    }
    // Folder dates last, so that filling them does not change them; deepest first.
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        if (OSErr error = FSSetCatalogInfo(&folder->copy, kLateBits, &folder->info))
            return error;
    return noErr;
}

OSErr DeleteCopy(const FSRef& copy) {
    FSCatalogInfo info;
    if (FSGetCatalogInfo(&copy, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) != noErr)
        return noErr;
    if (info.nodeFlags & kFSNodeIsDirectoryMask)
        return FSDeleteContainer(&copy);
    FSSetLocked(&copy, false);
    return FSDeleteObject(&copy);
}

// True when `folder` is `source` or lies inside it; ".." is asked of the system at each step
// so that links in the way cannot hide it.
bool IsInside(const FSRef& folder, const FSRef& source) {
    FSRef current = folder;
    for (int depth = 0; depth < 4096; ++depth) {
        if (FSCompareFSRefs(&current, &source) == noErr)
            return true;
        FSRef parent;
        const std::string up = current.path == "/" ? "/" : current.path + "/..";
        if (FSPathMakeRef(reinterpret_cast<const UInt8*>(up.c_str()), &parent, nullptr) != noErr ||
            FSCompareFSRefs(&parent, &current) == noErr)
            return false;
        current = parent;
    }
    return false;
}

// The object itself under a temporary name in the destination.
OSErr MakeTop(const FSRef& source, const FSCatalogInfo& info, const FSRef& folder,
              std::u16string& tempName, FSRef& made, std::vector<char>& buffer) {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::string name =
            ".stravel-copy-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        tempName.assign(name.begin(), name.end());
        OSErr error;
        if (Kind(info) == S_IFDIR) {
            error = FSCreateDirectoryUnicode(&folder, tempName.size(), tempName.data(), kFinderBits,
                                             &info, &made, nullptr, nullptr);
        } else if (Kind(info) == S_IFLNK) {
            std::string target;
            error = FSReadLink(&source, target);
            if (!error)
                error =
                    FSCreateLinkUnicode(&folder, tempName.size(), tempName.data(), target, &made);
        } else if (Kind(info) == S_IFREG) {
            error = CopyFile(source, info, folder, tempName, made, buffer);
            if (error && error != dupFNErr)
                DeleteCopy(made);
        } else {
            return paramErr;
        }
        if (error != dupFNErr)
            return error;
    }
    return dupFNErr;
}

} // namespace

OSErr FSCopyObject(const FSRef* source, const FSRef* destinationFolder, UInt32 maxLevels,
                   UInt32 dupeAction, const HFSUniStr255* newName, FSRef* newObject,
                   FSSpec* newObjectSpec) {
    if (!source || !destinationFolder || dupeAction > kDupeActionReplace)
        return paramErr;
    FSCatalogInfo info, folderInfo;
    HFSUniStr255 ownName;
    if (OSErr error = FSGetCatalogInfo(source, kFSCatInfoGettableInfo & ~kFSCatInfoRsrcSizes, &info,
                                       &ownName, nullptr, nullptr))
        return error;
    if (OSErr error = FSGetCatalogInfo(destinationFolder, kFSCatInfoNodeFlags, &folderInfo, nullptr,
                                       nullptr, nullptr))
        return error == fnfErr ? OSErr(dirNFErr) : error;
    if (!(folderInfo.nodeFlags & kFSNodeIsDirectoryMask))
        return errFSNotAFolder;
    if (Kind(info) == S_IFDIR && IsInside(*destinationFolder, *source))
        return paramErr;
    const std::u16string name = Units(newName && newName->length ? *newName : ownName);

    FSRef existing;
    const bool taken =
        FSMakeFSRefUnicode(destinationFolder, name.size(), name.data(), 0xFFFF, &existing) == noErr;
    if (taken && dupeAction != kDupeActionReplace)
        return dupFNErr;

    std::vector<char> buffer(kCopyBufferSize);
    std::u16string tempName;
    FSRef copy;
    if (OSErr error = MakeTop(*source, info, *destinationFolder, tempName, copy, buffer))
        return error;
    std::vector<MadeFolder> folders;
    OSErr error = noErr;
    if (Kind(info) == S_IFDIR)
        error = CopyContents(*source, copy, maxLevels, folders, buffer);
    if (error) {
        DeleteCopy(copy);
        return error;
    }

    // Into place: without replacing, or replacing only now that the copy is whole.
    FSRef placed;
    if (!taken) {
        error = FSRenameUnicode(&copy, name.size(), name.data(), 0xFFFF, &placed);
    } else {
        FSCatalogInfo old;
        error = FSGetCatalogInfo(&existing, kFSCatInfoNodeFlags, &old, nullptr, nullptr, nullptr);
        const bool oldIsFolder = !error && (old.nodeFlags & kFSNodeIsDirectoryMask);
        if (!error && !oldIsFolder && Kind(info) != S_IFDIR) {
            error = FSRenameUnicodeReplacing(&copy, name.size(), name.data(), &placed);
        } else if (!error) {
            error = FSExchangeObjects(&copy, &existing);
            if (!error) {
                placed = existing;
                placed.noFollow = true;
                DeleteCopy(copy); // now the replaced item
            }
        }
    }
    if (error) {
        DeleteCopy(copy);
        return error;
    }
    if (Kind(info) != S_IFLNK)
        if (OSErr late = FSSetCatalogInfo(&placed, kLateBits, &info))
            return late;
    if (newObject)
        *newObject = placed;
    if (newObjectSpec)
        newObjectSpec->path = placed.path;
    return noErr;
}
