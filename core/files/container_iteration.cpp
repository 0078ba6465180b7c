#include "core/files/container_iteration.h"

#include <memory>

#include "platform/files/fs_catalog.h"

using namespace tbx;

namespace {

// An open listing, closed when it goes.
class Listing {
public:
    explicit Listing(const FSRef& folder) {
        if (FSOpenIterator(&folder, kFSIterateFlat, &_iterator) != noErr)
            _iterator = nullptr;
    }
    ~Listing() {
        if (_iterator)
            FSCloseIterator(_iterator);
    }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    FSIterator Get() const { return _iterator; }

private:
    FSIterator _iterator = nullptr;
};

} // namespace

OSErr FSIterateContainer(const FSRef* container, UInt32 maxLevels, FSCatalogInfoBitmap whichInfo,
                         Boolean wantFSSpec, Boolean wantName,
                         IterateContainerFilterProcPtr iterateFilter, void* yourDataPtr) {
    if (!container || !iterateFilter)
        return paramErr;
    // One open listing per level on the way down.
    std::vector<std::unique_ptr<Listing>> stack;
    stack.push_back(std::make_unique<Listing>(*container));
    if (!stack.back()->Get())
        return dirNFErr;
    while (!stack.empty()) {
        FSCatalogInfo info;
        FSRef ref;
        FSSpec fileSpec;
        HFSUniStr255 name;
        UInt32 count = 0;
        Boolean changed = false;
        const OSErr error = FSGetCatalogInfoBulk(
            stack.back()->Get(), 1, &count, &changed, whichInfo | kFSCatInfoNodeFlags, &info, &ref,
            wantFSSpec ? &fileSpec : nullptr, wantName ? &name : nullptr);
        if (error == errFSNoMoreItems) {
            stack.pop_back();
            continue;
        }
        if (error)
            return error;
        const UInt32 level = UInt32(stack.size());
        if (iterateFilter(changed, level, &info, &ref, wantFSSpec ? &fileSpec : nullptr,
                          wantName ? &name : nullptr, yourDataPtr))
            return noErr;
        // Listings describe a link itself, so a link to a folder is not entered.
        const bool folder = (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
        if (folder && (maxLevels == 0 || level < maxLevels)) {
            auto listing = std::make_unique<Listing>(ref);
            if (listing->Get())
                stack.push_back(std::move(listing));
        }
    }
    return noErr;
}

OSErr FSGetDirectoryItems(const FSRef* container, std::vector<FSRef>& items) {
    items.clear();
    if (!container)
        return paramErr;
    Listing listing(*container);
    if (!listing.Get())
        return dirNFErr;
    for (;;) {
        FSRef ref;
        UInt32 count = 0;
        const OSErr error = FSGetCatalogInfoBulk(listing.Get(), 1, &count, nullptr, kFSCatInfoNone,
                                                 nullptr, &ref, nullptr, nullptr);
        if (error == errFSNoMoreItems)
            return noErr;
        if (error)
            return error;
        items.push_back(ref);
    }
}
