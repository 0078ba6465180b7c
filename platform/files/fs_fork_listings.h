// Listings of files' named forks, one for each file, shared by every walk of that file until
// its forks may have changed. Not thread-safe: its one user holds a lock around every call.
// Not for callers outside platform/files.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/files/fs_types.h"

namespace tbx::fs_detail {

struct ForkListing {
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
    // At most this many listings are kept, each at most what the kernel lists: 64 KiB of names.
    static constexpr std::size_t kKept = 16;

    // A listing of the file's named forks (none for anything but a file) that holds every fork
    // the file has had throughout since the clock read `since`: one taken later, or one whose
    // file shows no change since it was taken. Another listing of the file goes, and so does
    // the one used least lately when more than kKept would be kept.
    OSErr Current(const FSRef& ref, UInt64 since, std::shared_ptr<const ForkListing>& listing);
    // The listing was used: it is among the last to go.
    void Used(const ForkListing& listing);
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
