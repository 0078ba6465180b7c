// AppleDouble sidecars: the "._name" file beside a file that holds its resource fork and,
// where the file system keeps no creation date that can be set, its dates; beside a folder,
// one that holds the folder's dates. Not for callers outside platform/files.
#pragma once

#include <climits>
#include <string>
#include <string_view>

#include "platform/files/fs_types.h"

namespace tbx::fs_detail {

// The AppleDouble sidecar that holds the resource fork of `path`, and its name beside `leaf`.
std::string SidecarPath(const std::string& path);
std::string SidecarName(const std::string& leaf);
// Opens for reading the sidecar of the item `name` in the folder `dirfd` (or of the full path
// `name` when dirfd is AT_FDCWD); -1 unless it is a regular file holding the AppleDouble magic.
int OpenSidecar(int dirfd, const std::string& name, bool forWriting = false);
// Whether the item `name` in the folder `dirfd` has a sidecar: "._name" holds the AppleDouble
// magic and `name` is a regular file, or `name` is a folder and "._name" holds its dates. Any
// other "._name" is an ordinary file of its own.
bool HasSidecarAt(int dirfd, const std::string& name);
// The same for a full path.
bool HasSidecar(const std::string& path);
// Removes the AppleDouble "._name" that an earlier item of that name left: it must not become
// the sidecar of the new one. Any other file of that name is someone's and stays.
void RemoveStaleSidecar(int dirfd, const std::string& name);
// Whether a sidecar of `name` (in `dirfd`, or a full path with AT_FDCWD) may be put in place:
// nothing holds that name, or an AppleDouble file that belongs to nothing and is replaced.
bool SidecarPlaceFree(int dirfd, const std::string& name);

// Where a sidecar keeps the resource fork and the dates.
struct SidecarLayout {
    SInt64 forkOffset = 0; // an empty fork is placed at the end of the sidecar
    SInt64 forkLength = 0;
    SInt64 forkEntry = 0;    // where the fork's entry keeps its offset, the length following
    SInt64 datesOffset = -1; // the 16 bytes of the File Dates Info entry; -1 without one
};
// False, with ioErr in `error`, when `fd` is not an AppleDouble file with a fork entry, or its
// entries reach into the header, past the end or into each other.
bool ReadSidecarLayout(int fd, SidecarLayout& layout, OSErr& error);
// The bytes of a new sidecar: File Dates Info first when `created` is given (the other dates
// unknown), then the resource fork, empty, at the end.
std::string NewSidecar(const SInt32* created);
// All of the bytes at `at`; errno tells why not.
bool WriteAll(int fd, const void* data, std::size_t size, SInt64 at);
// `length` bytes from one file to another through a small buffer.
bool CopyRange(int from, SInt64 offset, SInt64 length, int to, SInt64 at);
// Stores a fork's offset and length together, so the entry always describes one place.
bool WriteForkEntry(int fd, SInt64 entry, SInt64 offset, SInt64 length);

// Sidecar dates count seconds from 2000-01-01 UTC in 32 bits; the smallest value means unknown.
constexpr SInt32 kUnknownSidecarDate = INT32_MIN;
// False for a date the 32 bits cannot hold.
bool ToSidecarDate(const UTCDateTime& date, SInt32& out);
UTCDateTime FromSidecarDate(SInt32 date);
// The creation date a file's sidecar keeps; false when it keeps none.
bool ReadSidecarCreateDate(int sidecar, UTCDateTime& out);
// Writes a new sidecar beside the old one and renames it over it, so that it holds the old
// entries or the new ones and never a mix: the creation date when given, the fork's bytes when
// given (else the old ones), the other entries as they were. A sidecar whose fork other entries
// follow, and a file of that name that is not a sidecar, are left alone (permErr, ioErr).
OSErr RebuildSidecar(const std::string& path, const SInt32* created, const std::string_view* fork);
// Keeps a file's or a folder's creation date in its sidecar, made when there is none; paramErr
// for a date the sidecar cannot hold, and for the root folder, which has no place beside it.
OSErr StoreCreateDate(const std::string& path, const UTCDateTime& date);

} // namespace tbx::fs_detail
