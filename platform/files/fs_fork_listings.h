// Listings of files' named forks, one kept for each of the files listed last, shared by every
// walk of that file that begins before its forks may have changed. Not thread-safe: its one user
// holds a lock around every call. Not for callers outside platform/files.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/files/fs_types.h"

namespace tbx::fs_detail {

struct ForkListing {
    std::string path; // the path it was listed through
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed = {}; // the file's status change time, read before the listing
    // Whether a later status change time equal to `changed` shows the forks unchanged since.
    bool vouched = false;
    UInt64 taken = 0;                    // the listings' clock when taken
    std::vector<std::string> attributes; // sorted, the resource fork's name left out
};

class ForkListings {
public:
    // At most this many listings are kept for walks yet to begin, each at most what the kernel
    // lists: 64 KiB of names. A walk holds its own until it ends.
    static constexpr std::size_t kKept = 16;

    // A listing of the file's named forks (none for anything but a file) that holds every fork
    // the file has had throughout since the clock read `since`: one taken later, or one whose
    // file shows no change since it was taken. Another listing of the file is no longer kept,
    // nor is the one used least lately when more than kKept would be; walks that hold them
    // keep them.
    OSErr Current(const FSRef& ref, UInt64 since, std::shared_ptr<const ForkListing>& listing);
    // Marks the file's kept listing used, so that it is among the last to go, and gives it when
    // it is not `held` and was listed through `path` after the clock read `since`: it then holds
    // every fork the file at `path` has had throughout since then.
    std::shared_ptr<const ForkListing> Used(const ForkListing& held, const std::string& path,
                                            UInt64 since);
    // Counts the listings taken.
    UInt64 Clock() const { return _clock; }

private:
    struct Kept {
        std::shared_ptr<const ForkListing> listing;
        UInt64 used = 0;
    };
    Kept* Find(dev_t device, ino_t inode);

    std::vector<Kept> _kept;
    UInt64 _clock = 0;
    UInt64 _uses = 0;
};

} // namespace tbx::fs_detail
