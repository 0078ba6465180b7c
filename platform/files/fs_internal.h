// Helpers shared by the file stand-ins; not for callers outside platform/files.
#pragma once

#include <functional>
#include <string>
#include <unistd.h>

#include "platform/files/fs_types.h"

struct stat;
struct timespec;

namespace tbx::fs_detail {

// A folder path joined with one name ("/" + name at the root).
std::string Join(const std::string& folder, const std::string& name);
// The folder part and the last component of a normalised full path.
std::string ParentOf(const std::string& path);
std::string LeafOf(const std::string& path);
// The validated UTF-8 form of a UTF-16 item name, or paramErr.
OSErr NameToUtf8(UniCharCount length, const UniChar* name, std::string& out);
void Utf8ToName(const std::string& utf8, HFSUniStr255& out);

// A path that names what an open descriptor holds, whatever has become of its own path.
std::string DescriptorPath(int fd);

// A reference to the item at a path: the folders resolved, the last component kept.
OSErr MakeRef(const std::string& path, bool noFollow, FSRef& out);
// lstat or stat as the reference asks; the errno result as an OSErr.
OSErr StatRef(const FSRef& ref, struct stat& info);
bool IsLocked(const struct stat& info);

// A descriptor that is closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : _fd(fd) {}
    ~Descriptor() {
        if (_fd >= 0)
            close(_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return _fd; }

private:
    int _fd;
};

// The catalogue information of the item `name` in the folder `dirfd`, or of the full path
// `name` when dirfd is AT_FDCWD; `path` is the item's full path either way.
OSErr FillCatalogInfo(int dirfd, const std::string& name, const std::string& path, bool noFollow,
                      FSCatalogInfoBitmap which, FSCatalogInfo& info);
struct timespec FromUTC(const UTCDateTime& date);

// The 32 bytes of Finder information (all zero when absent), of a path or an open item.
void ReadFinderInfo(const std::string& path, UInt8 bytes[32]);
void ReadFinderInfo(int fd, UInt8 bytes[32]);
// Stores them; all zero removes the attribute. File systems without user attributes are
// silently skipped.
OSErr WriteFinderInfo(const std::string& path, const UInt8 bytes[32]);
OSErr WriteFinderInfo(int fd, const UInt8 bytes[32]);

// Calls the tests' listing hook (fs_folder.h) once a folder's names have been read.
void RunListingHook(const std::string& folder);

// Runs `use` on an open fork's descriptor (-1 for a resource fork not written yet), the offset
// of its bytes in that file and the file's path, while no other fork call runs.
using ForkFileUse = std::function<OSErr(int fd, SInt64 base, const std::string& path)>;
OSErr WithForkFile(SInt16 forkRefNum, const ForkFileUse& use);

} // namespace tbx::fs_detail
