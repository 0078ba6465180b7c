// Folders held open by descriptor, for walks that must stay inside a tree: every item is
// reached from its folder's descriptor and no link is followed, so a folder swapped for a link
// while a walk runs is refused, never entered. Names are the bytes on disk (UTF-8 where they
// are valid).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/files/fs_types.h"

namespace tbx {

struct FSFolderItem {
    std::string name;
    // Node flags, dates (the creation date as the catalogue reports it), permissions with the
    // kind of item (S_IFMT bits), data sizes and Finder information.
    FSCatalogInfo info;
};

class FSFolder {
public:
    FSFolder() = default;
    ~FSFolder();
    FSFolder(FSFolder&& other) noexcept;
    FSFolder& operator=(FSFolder&& other) noexcept;
    FSFolder(const FSFolder&) = delete;
    FSFolder& operator=(const FSFolder&) = delete;

    // The folder a reference names; a link at its end is followed only when the reference
    // follows links. errFSNotAFolder for anything but a folder.
    OSErr Open(const FSRef& folder);
    // The folder that holds the item a reference names, and the item's name in it; a link at
    // the reference's end is resolved first when the reference follows links.
    OSErr OpenParentOf(const FSRef& item, std::string& name);
    // A sub-folder, never through a link (errFSNotAFolder). With `unlock`, a folder of one's own
    // that denies its owner reading, writing or searching is given all three first.
    OSErr OpenChild(const FSFolder& parent, const std::string& name, bool unlock);
    bool IsOpen() const { return _fd >= 0; }
    const std::string& Path() const { return _path; }
    // A reference to an item in this folder (not following a link there).
    FSRef RefOf(const std::string& name) const;
    // Gives back the mode an unlocking open changed.
    OSErr RestoreMode() const;

    // The items in name order. Sidecars are left out: they travel with their items. An item
    // gone since the folder was read is left out; one that cannot be examined fails the
    // listing.
    OSErr List(std::vector<FSFolderItem>& items) const;
    OSErr Examine(const std::string& name, FSFolderItem& item) const;
    // A sub-folder that this process may write and search but not read.
    bool IsDropBox(const std::string& name) const;

    // Deletes a file or link, or an empty folder, with its sidecar.
    OSErr Remove(const std::string& name, bool folder) const;
    // A copy of the folder `item` of another folder under `name`, new and empty (only its
    // owner may enter it until SetDatesAndMode), opened, with its Finder information and, with
    // `keepCreation`, the creation date set on it (kept in the copy's sidecar).
    OSErr CopyFolder(const FSFolder& from, const FSFolderItem& item, const std::string& name,
                     bool keepCreation, FSFolder& made) const;
    // Copies a file of another folder under `name`: its data, its resource and named forks, its
    // Finder information, its modification and access dates, with `keepCreation` its creation date
    // (kept in the copy's sidecar where the copy would report another one) and with
    // `withMode` its permissions. Nothing is left on failure.
    OSErr CopyFile(const FSFolder& from, const FSFolderItem& item, const std::string& name,
                   bool withMode, bool keepCreation) const;
    // Whether a file `name` here could have a sidecar: the name leaves room for one and no
    // file of another kind holds its name.
    bool SidecarFree(const std::string& name) const;
    // A new link holding the same text as the link `item` of another folder.
    OSErr CopyLink(const FSFolder& from, const std::string& item, const std::string& name) const;
    // The attributes of the folder `source` onto this copy of it (see CopyItemAttributes), once
    // the copy is full: its access lists would let others in sooner, and its default one would
    // reach the items made in it.
    OSErr KeepAttributes(const FSFolder& source) const;
    // The same of the folder `name` of another folder that was not entered (a drop box, or
    // one below the levels copied), never through a link.
    OSErr KeepAttributes(const FSFolder& from, const std::string& name) const;
    // The folder's own modification and access dates and permissions.
    OSErr SetDatesAndMode(const FSCatalogInfo& info) const;

private:
    int _fd = -1;
    std::string _path;
    int _unlockedFrom = -1; // the mode before an unlocking open changed it
};

namespace test {
// Called with a folder's path each time its listing has been read, before anything is done
// with it: tests change the tree there. An empty function removes the hook.
void SetListingHook(std::function<void(const std::string& folder)> hook);
} // namespace test

} // namespace tbx
