#include "platform/files/fs_fork_listings.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/files/fs_named_forks.h"

namespace tbx::fs_detail {

namespace {

// File systems that move a file's status change time whenever one of its attributes is set or
// removed. Elsewhere (network and user-space file systems among them) the time tells nothing,
// and a listing serves only walks begun before it was taken.
bool StampsAttributeChanges(const struct statfs& volume) {
    switch (volume.f_type) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// A change made just after `now` may leave a status change time as it was if that time is
// within the kernel's clock tick, or the file system's own step, of `now`. The step is guessed
// from the time's trailing decimal zeros.
bool ClearOfLaterChanges(const timespec& changed, const timespec& now) {
    SInt64 step = 2'000'000'000; // whole seconds: some file systems count in twos
    if (changed.tv_nsec != 0)
        for (step = 1; changed.tv_nsec % (step * 10) == 0; step *= 10) {
        }
    constexpr SInt64 kTick = 100'000'000; // well over any kernel's clock tick
    if (changed.tv_sec < now.tv_sec - 10)
        return true;
    const SInt64 age = (SInt64(now.tv_sec) - SInt64(changed.tv_sec)) * 1'000'000'000 +
                       (SInt64(now.tv_nsec) - SInt64(changed.tv_nsec));
    return age > step + kTick;
}

// The file's identity, times and forks, read through one descriptor so that they are of one
// file however its path changes meanwhile.
OSErr Take(const FSRef& ref, ForkListing& listing) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const int fd = open(ref.path.c_str(), O_PATH | O_CLOEXEC | (ref.noFollow ? O_NOFOLLOW : 0));
    if (fd < 0)
        return FSErrorFromErrno(errno);
    struct stat info;
    struct statfs volume;
    OSErr error = noErr;
    if (fstat(fd, &info) != 0 || fstatfs(fd, &volume) != 0)
        error = FSErrorFromErrno(errno);
    else if (S_ISREG(info.st_mode)) // anything else has no named forks
        error = ListNamedForks(DescriptorPath(fd), listing.attributes);
    close(fd);
    if (error)
        return error;
    listing.device = info.st_dev;
    listing.inode = info.st_ino;
    listing.changed = info.st_ctim;
    listing.vouched = StampsAttributeChanges(volume) && ClearOfLaterChanges(info.st_ctim, now);
    return noErr;
}

} // namespace

std::size_t ForkListing::After(std::string_view attribute) const {
    // Halves the offsets between two attributes' starts, or the end, at each step.
    std::size_t low = 0, high = attributes.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        // The attribute whose bytes, or ending NUL, hold the middle one.
        const std::size_t start = middle == 0 ? 0 : attributes.rfind('\0', middle - 1) + 1;
        const std::string_view there = At(start);
        if (there <= attribute)
            low = start + there.size() + 1;
        else
            high = start;
    }
    return low;
}

ForkListings::Kept* ForkListings::Find(dev_t device, ino_t inode) {
    for (Kept& kept : _kept)
        if (kept.listing->device == device && kept.listing->inode == inode)
            return &kept;
    return nullptr;
}

void ForkListings::Hold(const std::shared_ptr<ForkListing>& taken) {
    _all.push_back(taken);
    _held += taken->Bytes();
    // Counted again only when the bound passes the limit, or when listings that went with their
    // last walk have piled up: a new listing costs no more however many are held.
    if (_held <= kHeldBytes && _all.size() <= 2 * _counted + kKept)
        return;
    std::erase_if(_all, [](const std::weak_ptr<ForkListing>& one) { return one.expired(); });
    std::vector<std::shared_ptr<ForkListing>> held;
    held.reserve(_all.size());
    _held = 0;
    for (const std::weak_ptr<ForkListing>& one : _all) {
        held.push_back(one.lock());
        _held += held.back()->Bytes();
    }
    _counted = _all.size();
    if (_held <= kHeldBytes)
        return;
    std::sort(held.begin(), held.end(),
              [](const auto& a, const auto& b) { return a->used < b->used; });
    // More room than the new listing needs is made at once, so that the listings are counted
    // again only after a few more, not at each one.
    for (auto oldest = held.begin(); _held > kHeldBytes - kHeldBytes / 64 && oldest != held.end();
         ++oldest) {
        ForkListing& listing = **oldest;
        if (listing.letGo)
            continue;
        _held -= listing.attributes.capacity();
        std::string().swap(listing.attributes);
        listing.letGo = true;
        std::erase_if(_kept, [&](const Kept& kept) { return kept.listing == *oldest; });
    }
}

OSErr ForkListings::Current(const FSRef& ref, UInt64 since, std::shared_ptr<ForkListing>& listing) {
    struct stat info;
    if (OSErr error = StatRef(ref, info))
        return error;
    if (Kept* kept = Find(info.st_dev, info.st_ino)) {
        const ForkListing& known = *kept->listing;
        if (known.taken > since || (known.vouched && known.changed.tv_sec == info.st_ctim.tv_sec &&
                                    known.changed.tv_nsec == info.st_ctim.tv_nsec)) {
            kept->used = kept->listing->used = ++_uses;
            listing = kept->listing;
            return noErr;
        }
    }
    auto taken = std::make_shared<ForkListing>();
    if (OSErr error = Take(ref, *taken))
        return error;
    taken->taken = ++_clock;
    taken->used = ++_uses;
    Hold(taken);
    // The file's own slot, else a new one, else the one used least lately.
    Kept* slot = Find(taken->device, taken->inode);
    if (!slot && _kept.size() < kKept)
        slot = &_kept.emplace_back();
    if (!slot)
        slot = &*std::min_element(_kept.begin(), _kept.end(),
                                  [](const Kept& a, const Kept& b) { return a.used < b.used; });
    slot->listing = taken;
    slot->used = taken->used;
    listing = std::move(taken);
    return noErr;
}

OSErr ForkListings::Window(const FSRef& ref, std::string_view after,
                           std::shared_ptr<ForkListing>& listing) {
    auto taken = std::make_shared<ForkListing>();
    if (OSErr error = Take(ref, *taken))
        return error;
    const std::string& all = taken->attributes;
    const std::size_t from = taken->After(after);
    std::size_t to = from;
    while (to < all.size() && to - from <= kWindowBytes)
        to = all.find('\0', to) + 1;
    taken->partial = to < all.size();
    taken->attributes = all.substr(from, to - from);
    taken->taken = ++_clock;
    taken->used = ++_uses;
    Hold(taken);
    listing = std::move(taken);
    return noErr;
}

std::shared_ptr<ForkListing> ForkListings::Used(ForkListing& held, UInt64 since) {
    held.used = ++_uses;
    Kept* kept = Find(held.device, held.inode);
    if (!kept)
        return nullptr;
    kept->used = ++_uses;
    ForkListing& latest = *kept->listing;
    if (&latest == &held || latest.taken <= since)
        return nullptr;
    latest.used = kept->used;
    return kept->listing;
}

} // namespace tbx::fs_detail
