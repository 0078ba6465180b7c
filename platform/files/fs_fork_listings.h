// Listings of files' named forks: one kept for each of the files listed last, shared by every
// walk of that file that begins before its forks may have changed, those the walks hold, and
// windows: the names after a given one, as many as a few KiB hold, for a walk whose listing went
// to make room. Together they hold a bounded number of bytes, however many walks are left open.
// Not thread-safe: its one user holds a lock around every call. Not for callers outside
// platform/files.
#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
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
    UInt64 taken = 0; // the listings' clock when taken
    UInt64 used = 0;  // when a walk last began or stepped with it
    // Its names went to make room for others: the walks that hold it list again.
    bool letGo = false;
    // A window: more names may follow its last.
    bool partial = false;
    // Sorted, each ended by a NUL, the resource fork's name left out: at most what the kernel
    // lists, 64 KiB.
    std::string attributes;

    // The attribute that begins at the offset `at`.
    std::string_view At(std::size_t at) const { return attributes.c_str() + at; }
    // The offset of the first attribute after `attribute`, or the end.
    std::size_t After(std::string_view attribute) const;
    // What it holds in memory.
    std::size_t Bytes() const { return sizeof *this + attributes.capacity(); }
};

class ForkListings {
public:
    // At most this many listings are kept for walks yet to begin. A walk holds its own until
    // it ends, or until it is let go.
    static constexpr std::size_t kKept = 16;
    // All listings, kept or held, hold at most this many bytes; the one used least lately is
    // let go first.
    static constexpr std::size_t kHeldBytes = 16 << 20;
    // The names a window holds, past its first: few enough that windows for every walk left
    // open fit, enough that listing again costs little beside the steps it serves.
    static constexpr std::size_t kWindowBytes = 16 << 10;

    // A listing of the file's named forks (none for anything but a file) that holds every fork
    // the file has had throughout since the clock read `since`: one taken later, or one whose
    // file shows no change since it was taken. Another listing of the file is no longer kept,
    // nor is the one used least lately when more than kKept would be; walks that hold them
    // keep them, as far as room allows.
    OSErr Current(const FSRef& ref, UInt64 since, std::shared_ptr<ForkListing>& listing);
    // The names of the file's named forks after `after`, those that the first kWindowBytes of
    // them hold (one at least), listed now: every fork after `after` that the file has had
    // throughout since any earlier time is among them or after them.
    OSErr Window(const FSRef& ref, std::string_view after, std::shared_ptr<ForkListing>& listing);
    // Marks `held` and its file's kept listing used, so that they are among the last to go,
    // and gives the kept one when it is not `held` and was taken after the clock read `since`
    // (through whichever of the file's names): it then holds every fork the file has had
    // throughout since then.
    std::shared_ptr<ForkListing> Used(ForkListing& held, UInt64 since);
    // Counts the listings taken.
    UInt64 Clock() const { return _clock; }

private:
    struct Kept {
        std::shared_ptr<ForkListing> listing;
        UInt64 used = 0;
    };
    Kept* Find(dev_t device, ino_t inode);
    // Counts a new listing among those held, and lets go of those used least lately while all
    // together would hold more than kHeldBytes.
    void Hold(const std::shared_ptr<ForkListing>& taken);

    std::vector<Kept> _kept;
    std::vector<std::weak_ptr<ForkListing>> _all; // every listing taken that may still be held
    std::size_t _held = 0;                        // bytes they hold at most
    std::size_t _counted = 0;                     // how many there were when last counted
    UInt64 _clock = 0;
    UInt64 _uses = 0;
};

} // namespace tbx::fs_detail
