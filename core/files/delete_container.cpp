#include "core/files/delete_container.h"

#include <string>
#include <vector>

#include "platform/files/fs_folder.h"

namespace {

using namespace tbx;

struct Level {
    FSFolder folder;
    std::string name; // in the folder below it on the stack
    std::vector<FSFolderItem> items;
    std::size_t next = 0;
};

// Depth first with an explicit stack of open folders, each entered from the one that holds it,
// so deep trees need no deep recursion and a folder swapped for a link is never followed.
// Folders of one's own that deny their owner access are opened up before they are entered.
OSErr DeleteTree(const FSRef* container, bool keepContainer) {
    if (!container || container->path.empty())
        return paramErr;
    // A link to a folder is not a folder to empty.
    const FSRef start{container->path, true};
    FSFolder parent;
    std::string leaf;
    std::vector<Level> stack(1);
    if (OSErr error = parent.OpenParentOf(start, leaf))
        return error;
    if (OSErr error = stack.back().folder.OpenChild(parent, leaf, true))
        return error;
    if (OSErr error = stack.back().folder.List(stack.back().items))
        return error;
    while (stack.size() > 1 || stack.back().next < stack.back().items.size()) {
        Level& level = stack.back();
        if (level.next == level.items.size()) {
            const std::string name = level.name;
            stack.pop_back();
            if (OSErr error = stack.back().folder.Remove(name, true))
                return error;
            continue;
        }
        const FSFolderItem& item = level.items[level.next++];
        if (!(item.info.nodeFlags & kFSNodeIsDirectoryMask)) {
            if (OSErr error = level.folder.Remove(item.name, false))
                return error;
            continue;
        }
        Level child;
        child.name = item.name;
        if (OSErr error = child.folder.OpenChild(level.folder, item.name, true))
            return error;
        if (OSErr error = child.folder.List(child.items))
            return error;
        stack.push_back(std::move(child));
    }
    if (keepContainer)
        return stack.back().folder.RestoreMode();
    stack.clear();
    return parent.Remove(leaf, true);
}

} // namespace

OSErr FSDeleteContainerContents(const FSRef* container) {
    return DeleteTree(container, true);
}

OSErr FSDeleteContainer(const FSRef* container) {
    return DeleteTree(container, false);
}
