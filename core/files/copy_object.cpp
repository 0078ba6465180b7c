#include "core/files/copy_object.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/delete_container.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_folder.h"
#include "platform/text_encoding.h"

namespace {

using namespace tbx;

constexpr FSCatalogInfoBitmap kLateBits =
    kFSCatInfoContentMod | kFSCatInfoAccessDate | kFSCatInfoPermissions;

UInt16 Kind(const FSCatalogInfo& info) {
    return info.permissions.mode & S_IFMT;
}

// One folder being copied: the source, its copy, and the items still to do.
struct Level {
    FSFolder source, copy;
    FSCatalogInfo info; // the source folder's, for its copy once it is full
    std::vector<FSFolderItem> items;
    std::size_t next = 0;
    UInt32 depth = 1; // of its items
};

// Opens a source folder for copying its items; false in `enter` for a drop box, which is
// made but not entered. Any other failure fails the copy.
OSErr EnterSource(const FSFolder& parent, const std::string& name, FSFolder& source, bool& enter) {
    enter = true;
    const OSErr error = source.OpenChild(parent, name, false);
    if (error == afpAccessDenied && parent.IsDropBox(name)) {
        enter = false;
        return noErr;
    }
    return error;
}

// Everything below the top folder, depth first with an explicit stack of open folders.
OSErr CopyContents(Level top, UInt32 maxLevels) {
    std::vector<Level> stack;
    if (OSErr error = top.source.List(top.items))
        return error;
    stack.push_back(std::move(top));
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.items.size()) {
            // Attributes and dates last, so that filling the folder changes neither. The top
            // folder gets its dates and mode once it is in place.
            if (OSErr error = level.copy.KeepAttributes(level.source))
                return error;
            if (stack.size() > 1)
                if (OSErr error = level.copy.SetDatesAndMode(level.info))
                    return error;
            stack.pop_back();
            continue;
        }
        const FSFolderItem& item = level.items[level.next++];
        switch (Kind(item.info)) {
        case S_IFDIR: {
            Level child;
            child.info = item.info;
            child.depth = level.depth + 1;
            if (OSErr error =
                    level.copy.CopyFolder(level.source, item, item.name, true, child.copy))
                return error;
            bool enter = maxLevels == 0 || level.depth < maxLevels;
            if (enter)
                if (OSErr error = EnterSource(level.source, item.name, child.source, enter))
                    return error;
            if (!enter) {
                if (OSErr error = child.copy.KeepAttributes(level.source, item.name))
                    return error;
                if (OSErr error = child.copy.SetDatesAndMode(item.info))
                    return error;
                break;
            }
            if (OSErr error = child.source.List(child.items))
                return error;
            stack.push_back(std::move(child));
            break;
        }
        case S_IFREG:
            if (OSErr error = level.copy.CopyFile(level.source, item, item.name, true, true))
                return error;
            break;
        case S_IFLNK:
            if (OSErr error = level.copy.CopyLink(level.source, item.name, item.name))
                return error;
            break;
        default:
            break; // pipes, sockets and devices hold no bytes to copy
        }
    }
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

// The object itself under a temporary name in the destination, with everything in it.
OSErr MakeTop(const FSFolder& sourceFolder, const FSFolderItem& top, const FSFolder& destination,
              const std::string& finalName, UInt32 maxLevels, std::string& tempName) {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        tempName = ".stravel-copy-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        OSErr error;
        if (Kind(top.info) == S_IFDIR) {
            Level level;
            level.info = top.info;
            // A creation date goes only where its sidecar can follow the copy to its name.
            error = destination.CopyFolder(sourceFolder, top, tempName,
                                           destination.SidecarFree(finalName), level.copy);
            bool enter = true;
            if (!error)
                error = EnterSource(sourceFolder, top.name, level.source, enter);
            if (!error && enter)
                error = CopyContents(std::move(level), maxLevels);
            else if (!error)
                error = level.copy.KeepAttributes(sourceFolder, top.name);
            if (error && error != dupFNErr)
                DeleteCopy(destination.RefOf(tempName));
        } else if (Kind(top.info) == S_IFLNK) {
            error = destination.CopyLink(sourceFolder, top.name, tempName);
        } else if (Kind(top.info) == S_IFREG) {
            // Its permissions once it is in place: a locked copy could not be renamed. A
            // creation date goes only where its sidecar can follow the copy to its name.
            error = destination.CopyFile(sourceFolder, top, tempName, false,
                                         destination.SidecarFree(finalName));
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
    // The source is read through the folder that holds it, the destination written through
    // its own descriptor: neither walk follows a link met on the way.
    FSFolder sourceFolder, destination;
    FSFolderItem top;
    std::string sourceName;
    if (OSErr error = sourceFolder.OpenParentOf(*source, sourceName))
        return error;
    if (OSErr error = sourceFolder.Examine(sourceName, top))
        return error;
    if (OSErr error = destination.Open(*destinationFolder))
        return error == fnfErr ? OSErr(dirNFErr) : error;
    if (Kind(top.info) == S_IFDIR && IsInside(*destinationFolder, *source))
        return paramErr;
    const std::u16string name =
        newName && newName->length
            ? std::u16string(reinterpret_cast<const char16_t*>(newName->unicode), newName->length)
            : text::Utf8ToUtf16Escaped(sourceName);

    FSRef existing;
    const bool taken =
        FSMakeFSRefUnicode(destinationFolder, name.size(), name.data(), 0xFFFF, &existing) == noErr;
    if (taken && dupeAction != kDupeActionReplace)
        return dupFNErr;

    std::string tempName;
    if (OSErr error = MakeTop(sourceFolder, top, destination, text::Utf16ToUtf8Escaped(name),
                              maxLevels, tempName))
        return error;
    FSRef copy = destination.RefOf(tempName);

    // Into place: without replacing, or replacing only now that the copy is whole.
    FSRef placed;
    OSErr error = noErr;
    if (!taken) {
        error = FSRenameUnicode(&copy, name.size(), name.data(), 0xFFFF, &placed);
    } else {
        FSCatalogInfo old;
        error = FSGetCatalogInfo(&existing, kFSCatInfoNodeFlags, &old, nullptr, nullptr, nullptr);
        const bool oldIsFolder = !error && (old.nodeFlags & kFSNodeIsDirectoryMask);
        if (!error && !oldIsFolder && Kind(top.info) != S_IFDIR) {
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
    if (Kind(top.info) != S_IFLNK)
        if (OSErr late = FSSetCatalogInfo(&placed, kLateBits, &top.info))
            return late;
    if (newObject)
        *newObject = placed;
    if (newObjectSpec)
        newObjectSpec->path = placed.path;
    return noErr;
}
