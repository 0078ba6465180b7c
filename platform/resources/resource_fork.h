// Resource maps in a fork, in the published resource-fork layout: a 16-byte header (offsets
// and lengths of the data and the map), the data (each resource a 32-bit length and its
// bytes), and the map (a copy of the header, reserved fields, attributes, then the type list
// with each type's reference list, then the name list). All numbers are big-endian.
#pragma once

#include <string>
#include <vector>

#include "platform/files/fs_types.h"
#include "platform/types.h"

namespace tbx {

inline constexpr OSErr mapReadErr = -199;

struct ForkResource {
    ResType type = 0;
    SInt16 id = 0;
    UInt8 attributes = 0;
    bool named = false;
    std::string name; // Mac Roman, at most 255 bytes
    std::string data;
};

namespace rsrc {
// False, with `out` empty, when the bytes are not a resource map of this layout; every offset
// and count is checked against the bytes given.
bool ParseResourceFork(const std::string& bytes, std::vector<ForkResource>& out);
// Types in the order they first appear, each type's resources in the order given. Empty when
// the map would not fit its 16-bit offsets or the data its 24-bit ones.
std::string BuildResourceFork(const std::vector<ForkResource>& resources);

// The resource map in a file's data fork or resource fork; mapReadErr when the fork holds
// no resource map (an empty fork included). `out` is empty after any failure.
OSErr ReadForkResources(const FSRef& file, bool resourceFork, std::vector<ForkResource>& out);
// Replaces the fork's whole contents with the map of these resources: a resource fork at
// once (the old one stays on failure), a data fork in place. paramErr, with the fork as it
// was, for a map that does not fit the layout.
OSErr WriteForkResources(const FSRef& file, bool resourceFork,
                         const std::vector<ForkResource>& resources);
} // namespace rsrc

// A new file `name` in `parent` with an empty resource map in the named fork ("" for the
// data fork, "RESOURCE_FORK" for the resource fork). Nothing is left behind on failure.
OSErr FSCreateResourceFile(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                           FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                           UniCharCount forkNameLength, const UniChar* forkName, FSRef* newRef,
                           FSSpec* newSpec);

} // namespace tbx
