// Resource files, read-only. A resource file is either a folder X.rsrc/TYPE/ID holding one
// file per resource, the ID in decimal and the TYPE as its four characters, each byte that
// is not a letter, digit, "_", "." or "-" written as "%" and two hexadecimal digits (so
// 'snd ' is "snd%20"); or a file whose resource fork (its "._name" sidecar), or else its data
// fork, holds a resource map in the published layout, read whole when the file is opened.
//
// Open files form a chain searched from the current file back to the first opened; the
// result of the last call is kept for ResError.
#pragma once

#include <string>

#include "platform/files/fs_forks.h"
#include "platform/files/fs_types.h"
#include "platform/types.h"

namespace tbx {

inline constexpr SInt16 kResFileNotOpened = -1;
inline constexpr OSErr resFNotFound = -193;
inline constexpr OSErr resNotFound = -192;

// The file's reference number, from 1 to 32,767 and held by no other open file, or
// kResFileNotOpened (ResError tells why: fnfErr; mapReadErr for a fork that holds no
// well-formed resource map; tmfoErr when every number is held).
SInt16 FSpOpenResFile(const FSSpec* fileRecord, SInt8 permission);
void CloseResFile(SInt16 refNum);
SInt16 CurResFile();
void UseResFile(SInt16 refNum);
OSErr ResError();

// A new handle holding the resource's bytes; null (ResError resNotFound) when the chain has
// none, or when it is larger than 16 MiB.
Handle GetResource(ResType type, SInt16 id);
// The same in the current file only.
Handle Get1Resource(ResType type, SInt16 id);
// Frees a handle that GetResource gave; resNotFound for any other.
void ReleaseResource(Handle resource);

// The folder name of a resource type.
std::string ResourceTypeFolderName(ResType type);

namespace rsrc {
// A resource read straight from a resource file, open or not; null when it has none. The
// caller disposes of the handle.
Handle ReadResource(const FSSpec& file, ResType type, SInt16 id);
} // namespace rsrc

} // namespace tbx
