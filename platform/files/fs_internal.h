// Helpers shared by the file stand-ins; not for callers outside platform/files.
#pragma once

#include <functional>
#include <string>

#include "platform/files/fs_types.h"

struct stat;

namespace tbx::fs_detail {

// A folder path joined with one name ("/" + name at the root).
std::string Join(const std::string& folder, const std::string& name);
// The folder part and the last component of a normalised full path.
std::string ParentOf(const std::string& path);
std::string LeafOf(const std::string& path);
// The AppleDouble sidecar that holds the resource fork of `path`.
std::string SidecarPath(const std::string& path);
// Whether `name` has the form of a sidecar ("._" and more).
bool IsSidecarName(const std::string& name);

// The validated UTF-8 form of a UTF-16 item name, or paramErr.
OSErr NameToUtf8(UniCharCount length, const UniChar* name, std::string& out);
void Utf8ToName(const std::string& utf8, HFSUniStr255& out);

// A reference to the item at a path: the folders resolved, the last component kept.
OSErr MakeRef(const std::string& path, bool noFollow, FSRef& out);
// lstat or stat as the reference asks; the errno result as an OSErr.
OSErr StatRef(const FSRef& ref, struct stat& info);
bool IsLocked(const struct stat& info);

// The 32 bytes of Finder information (all zero when absent).
void ReadFinderInfo(const std::string& path, UInt8 bytes[32]);
// Stores them; all zero removes the attribute. File systems without user attributes are
// silently skipped.
OSErr WriteFinderInfo(const std::string& path, const UInt8 bytes[32]);

// The resource fork in a sidecar: the offset of its bytes, their count, and where in the
// sidecar that count is stored (the fork entry may be any of the entries). False, with ioErr
// in `error`, when it is not an AppleDouble file with a fork entry, or its entries reach into
// the header, past the end or into each other.
bool ReadSidecarLayout(int fd, SInt64& offset, SInt64& length, SInt64& lengthField, OSErr& error);
constexpr SInt64 kSidecarHeaderSize = 38;
constexpr SInt64 kSidecarLengthField = 34; // in the sidecars made here
// Writes the header of an empty sidecar whose one entry is the resource fork.
bool WriteSidecarHeader(int fd);

// Runs `use` on an open fork's descriptor (-1 for a resource fork not written yet), the offset
// of its bytes in that file and the file's path, while no other fork call runs.
using ForkFileUse = std::function<OSErr(int fd, SInt64 base, const std::string& path)>;
OSErr WithForkFile(SInt16 forkRefNum, const ForkFileUse& use);

} // namespace tbx::fs_detail
