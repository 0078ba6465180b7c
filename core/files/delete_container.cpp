#include "core/files/delete_container.h"

#include <vector>

#include "platform/files/fs_catalog.h"

namespace {

struct Level {
    tbx::FSRef folder;
    bool listed = false;
};

tbx::OSErr Unlock(const tbx::FSRef& ref, const tbx::FSCatalogInfo& info) {
    if (info.nodeFlags & tbx::kFSNodeLockedMask)
        return tbx::FSSetLocked(&ref, false);
    return tbx::noErr;
}

// Deletes the files of one folder and queues its sub-folders.
tbx::OSErr ClearLevel(const tbx::FSRef& folder, std::vector<Level>& stack) {
    tbx::FSIterator iterator = nullptr;
    if (tbx::OSErr error = tbx::FSOpenIterator(&folder, tbx::kFSIterateFlat, &iterator))
        return error;
    tbx::OSErr error = tbx::noErr;
    for (;;) {
        tbx::UInt32 count = 0;
        tbx::FSCatalogInfo info;
        tbx::FSRef item;
        error = tbx::FSGetCatalogInfoBulk(iterator, 1, &count, nullptr, tbx::kFSCatInfoNodeFlags,
                                          &info, &item, nullptr, nullptr);
        if (error == tbx::errFSNoMoreItems) {
            error = tbx::noErr;
            break;
        }
        if (error)
            break;
        if (info.nodeFlags & tbx::kFSNodeIsDirectoryMask) {
            stack.push_back({item, false});
            continue;
        }
        if ((error = Unlock(item, info)) || (error = tbx::FSDeleteObject(&item)))
            break;
    }
    tbx::FSCloseIterator(iterator);
    return error;
}

// Depth first with an explicit stack, so deep trees need no deep recursion.
tbx::OSErr DeleteTree(const tbx::FSRef* container, bool keepContainer) {
    if (!container || container->path.empty())
        return tbx::paramErr;
    // A link to a folder is not a folder to empty.
    const tbx::FSRef start{container->path, true};
    tbx::FSCatalogInfo info;
    if (tbx::OSErr error = tbx::FSGetCatalogInfo(&start, tbx::kFSCatInfoNodeFlags, &info, nullptr,
                                                 nullptr, nullptr))
        return error;
    if (!(info.nodeFlags & tbx::kFSNodeIsDirectoryMask))
        return tbx::errFSNotAFolder;
    std::vector<Level> stack{{start, false}};
    while (!stack.empty()) {
        Level& top = stack.back();
        if (!top.listed) {
            top.listed = true;
            const tbx::FSRef folder = top.folder;
            if (tbx::OSErr error = tbx::FSGetCatalogInfo(&folder, tbx::kFSCatInfoNodeFlags, &info,
                                                         nullptr, nullptr, nullptr))
                return error;
            if (tbx::OSErr error = Unlock(folder, info))
                return error;
            if (tbx::OSErr error = ClearLevel(folder, stack))
                return error;
            continue;
        }
        const tbx::FSRef folder = top.folder;
        stack.pop_back();
        if (stack.empty() && keepContainer)
            break;
        if (tbx::OSErr error = tbx::FSDeleteObject(&folder))
            return error;
    }
    return tbx::noErr;
}

} // namespace

tbx::OSErr FSDeleteContainerContents(const tbx::FSRef* container) {
    return DeleteTree(container, true);
}

tbx::OSErr FSDeleteContainer(const tbx::FSRef* container) {
    return DeleteTree(container, false);
}
