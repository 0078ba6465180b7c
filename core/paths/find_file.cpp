// Folder walks: one shared flat walk for the find-first/find-next pair, and a depth-first
// search with walks of its own.
#include <vector>

#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"

namespace {

struct FindState {
    tbx::FSIterator iterator = nullptr;
    std::wstring pattern;
};

FindState gFind;

// The next item of a walk: false at the end or on an error.
bool NextItem(tbx::FSIterator iterator, tbx::FSRef& ref, bool& isFolder) {
    tbx::UInt32 count = 0;
    tbx::FSCatalogInfo info;
    if (tbx::FSGetCatalogInfoBulk(iterator, 1, &count, nullptr, tbx::kFSCatInfoNodeFlags, &info,
                                  &ref, nullptr, nullptr) != tbx::noErr ||
        count != 1)
        return false;
    isFolder = (info.nodeFlags & tbx::kFSNodeIsDirectoryMask) != 0;
    return true;
}

} // namespace

bool BK_FindFirstFile(const CBK_Path& folder, CBK_Path& item, bool* isFolder,
                      const wchar_t* pattern) {
    // A new walk replaces the old one, whose iterator must not be left open.
    BK_FindClose();
    gFind.pattern = pattern ? pattern : L"";
    tbx::FSRef ref;
    if (!folder.GetFSRef(ref))
        return false;
    if (tbx::FSOpenIterator(&ref, tbx::kFSIterateFlat, &gFind.iterator) != tbx::noErr) {
        gFind.iterator = nullptr;
        return false;
    }
    return BK_FindNextFile(item, isFolder);
}

bool BK_FindNextFile(CBK_Path& item, bool* isFolder) {
    if (!gFind.iterator)
        return false;
    tbx::FSRef ref;
    bool folder = false;
    if (!NextItem(gFind.iterator, ref, folder))
        return false;
    item.Set(ref);
    if (isFolder)
        *isFolder = folder;
    return true;
}

bool BK_FindClose() {
    if (!gFind.iterator)
        return true;
    const bool closed = tbx::FSCloseIterator(gFind.iterator) == tbx::noErr;
    gFind.iterator = nullptr;
    return closed;
}

bool BK_FindFile(const wchar_t* name, const CBK_Path& folder, CBK_Path& found) {
    if (!name)
        return false;
    tbx::FSRef start;
    if (!folder.GetFSRef(start))
        return false;
    // Each level keeps its own iterator; a sub-folder is searched when it is met.
    std::vector<tbx::FSIterator> stack;
    tbx::FSIterator first = nullptr;
    if (tbx::FSOpenIterator(&start, tbx::kFSIterateFlat, &first) != tbx::noErr)
        return false;
    stack.push_back(first);
    bool matched = false;
    while (!stack.empty() && !matched) {
        tbx::FSRef ref;
        bool isFolder = false;
        if (!NextItem(stack.back(), ref, isFolder)) {
            tbx::FSCloseIterator(stack.back());
            stack.pop_back();
            continue;
        }
        if (isFolder) {
            tbx::FSIterator inner = nullptr;
            if (tbx::FSOpenIterator(&ref, tbx::kFSIterateFlat, &inner) == tbx::noErr)
                stack.push_back(inner);
            continue;
        }
        const std::wstring leaf = BK_FileSystemNameToWide(ref.path.substr(ref.path.rfind('/') + 1));
        if (qf_wcscasecmp(leaf.c_str(), name) == 0) {
            found.Set(ref);
            matched = true;
        }
    }
    for (tbx::FSIterator iterator : stack)
        tbx::FSCloseIterator(iterator);
    return matched;
}
