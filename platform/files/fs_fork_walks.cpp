#include "platform/files/fs_fork_walks.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/files/fs_fork_listings.h"
#include "platform/files/fs_named_forks.h"

namespace tbx::fs_detail {

namespace {

// A walk goes by name: each step gives the first after the one given last in a sorted listing,
// so forks made or removed meanwhile neither repeat nor hide the others. A walk holds the
// listing it began with, so a step lists nothing however many files are walked at once; when
// its file is listed again after it began, it moves to that listing after its last name and
// lets its own go, so that the walks of a file whose forks keep changing share one. A walk
// left while newer ones took more listings than room allows loses its listing, and goes on
// through windows: the file listed again, keeping only the next few KiB of names after its
// last. The position record holds the walk's number, never reused.
struct ForkWalk {
    UInt64 number = 0;
    std::string path;
    std::string last; // the attribute given last
    SInt64 next = 0;  // the position the record holds after that step; 0 before the first
    UInt64 begun = 0; // the listings' clock when it began
    std::shared_ptr<ForkListing> listing;
    std::size_t cursor = 0; // the offset in the listing of the first attribute after `last`
};

constexpr UInt64 kWalkFinished = UINT64_MAX;

// The walks not finished, the one stepped least lately first.
class ForkWalks {
public:
    using Walk = std::list<ForkWalk>::iterator;

    // Each a path and a name. Only a walk left unfinished while this many others stepped fails.
    static constexpr std::size_t kKept = 1024;

    Walk None() { return _order.end(); }
    Walk Find(UInt64 number) {
        const auto found = _index.find(number);
        return found == _index.end() ? None() : found->second;
    }
    // A new walk, which pushes out the one stepped least lately when too many are kept.
    Walk Add() {
        if (_order.size() >= kKept)
            Forget(_order.begin());
        const Walk walk = _order.emplace(_order.end());
        walk->number = _next++;
        _index.emplace(walk->number, walk);
        return walk;
    }
    void Stepped(Walk walk) { _order.splice(_order.end(), _order, walk); }
    void Forget(Walk walk) {
        _index.erase(walk->number);
        _order.erase(walk);
    }

private:
    std::list<ForkWalk> _order;
    std::unordered_map<UInt64, Walk> _index;
    UInt64 _next = 1;
};

using Walk = ForkWalks::Walk;

struct Walks {
    std::mutex mutex;
    ForkWalks walks;
    ForkListings listings;
};

Walks& TheWalks() {
    static Walks walks;
    return walks;
}

UInt64 WalkNumber(const CatPositionRec& position) {
    UInt64 number = 0;
    for (int i = 3; i >= 0; --i)
        number = number << 16 | UInt16(position.priv[i]);
    return number;
}

void SetWalkNumber(CatPositionRec& position, UInt64 number) {
    for (int i = 0; i < 4; ++i, number >>= 16)
        position.priv[i] = SInt16(UInt16(number));
}

// The walk that the record begins at position `at`: a record new to this file starts at its
// index in the listing.
OSErr Begin(Walks& walks, const FSRef& ref, CatPositionRec& position, SInt64 at, Walk& walk) {
    const UInt64 begun = walks.listings.Clock();
    std::shared_ptr<ForkListing> listing;
    if (OSErr error = walks.listings.Current(ref, begun, listing)) {
        SetWalkNumber(position, 0);
        return error;
    }
    walk = walks.walks.Add();
    walk->path = ref.path;
    walk->begun = begun;
    walk->listing = listing;
    for (SInt64 skip = at - 2; skip > 0 && walk->cursor < listing->attributes.size(); --skip) {
        walk->last = listing->At(walk->cursor);
        walk->cursor += walk->last.size() + 1;
    }
    SetWalkNumber(position, walk->number);
    return noErr;
}

} // namespace

OSErr NextNamedFork(const FSRef& ref, CatPositionRec& position, SInt64& at, std::string& attribute,
                    SInt64& size) {
    Walks& walks = TheWalks();
    std::lock_guard<std::mutex> lock(walks.mutex);
    const UInt64 number = WalkNumber(position);
    if (at > 2 && number == kWalkFinished)
        return errFSNoMoreItems;
    Walk walk = walks.walks.Find(number);
    const bool known = walk != walks.walks.None();
    if (at == 2 || number == 0 || (known && walk->path != ref.path)) {
        if (known)
            walks.walks.Forget(walk);
        if (OSErr error = Begin(walks, ref, position, at, walk))
            return error;
    } else if (!known || walk->next != at) {
        return errFSIteratorNotFound;
    }
    walks.walks.Stepped(walk);
    if (auto latest = walks.listings.Used(*walk->listing, walk->begun)) {
        walk->cursor = latest->After(walk->last);
        walk->listing = std::move(latest);
    }
    // Tried again, a walk that has given nothing yet begins again where it began.
    auto fail = [&](OSErr error) {
        if (walk->next == 0) {
            walks.walks.Forget(walk);
            SetWalkNumber(position, 0);
        }
        return error;
    };
    for (;; ++at) {
        // Names let go, or a window passed, are listed again after the last one given.
        if (walk->listing->letGo ||
            (walk->listing->partial && walk->cursor >= walk->listing->attributes.size())) {
            if (OSErr error = walks.listings.Window(ref, walk->last, walk->listing))
                return fail(error);
            walk->cursor = 0;
        }
        const ForkListing& listing = *walk->listing;
        if (walk->cursor >= listing.attributes.size()) {
            walks.walks.Forget(walk);
            SetWalkNumber(position, kWalkFinished);
            return errFSNoMoreItems;
        }
        const std::string next(listing.At(walk->cursor));
        const OSErr error = NamedForkSize(ref.path, next, size);
        if (error && error != errFSForkNotFound)
            return fail(error);
        walk->last = next;
        walk->cursor += next.size() + 1;
        if (!error) {
            attribute = next;
            walk->next = at + 1;
            return noErr;
        }
        // A fork gone since the listing is passed over.
    }
}

} // namespace tbx::fs_detail
