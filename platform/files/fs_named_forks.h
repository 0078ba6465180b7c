// Named forks: each is the extended attribute "user." followed by the fork's name in UTF-8.
// The Finder information lives in one such attribute too, but is no fork. Not for callers
// outside platform/files.
#pragma once

#include <string>

#include "platform/files/fs_types.h"

namespace tbx::fs_detail {

// The most an attribute can hold on Linux; a file system may allow less.
constexpr std::size_t kMaxNamedFork = 65536;

// The attribute that holds the fork of a UTF-16 name; errFSBadForkName for a name no fork can
// have (the Finder information's, one holding NUL, one too long for an attribute name, one
// that is not what its own attribute's name lists as: an unpaired surrogate that is no byte
// escape, or escapes of bytes that are UTF-8). So no two names reach one attribute.
OSErr NamedForkAttribute(const std::u16string& name, std::string& attribute);
// The fork name an attribute stands for.
void NamedForkName(const std::string& attribute, HFSUniStr255& name);
// Files are named by path ("/proc/self/fd/N" for an open one), links followed.
//
// The attributes of a file that are named forks, in byte order, each ended by a NUL; none
// where the file system keeps no user attributes. Another program's attribute of the resource
// fork's name is none: that name opens the resource fork.
OSErr ListNamedForks(const std::string& file, std::string& attributes);
// Whether the file has the fork. errFSForkNotFound where the file system keeps no user
// attributes, so that no such fork can be made there either.
OSErr FindNamedFork(const std::string& file, const std::string& attribute, bool& exists);
// The whole fork; errFSForkNotFound when the file has none of that name.
OSErr ReadNamedFork(const std::string& file, const std::string& attribute, std::string& value);
// Its size without its bytes; errFSForkNotFound as above.
OSErr NamedForkSize(const std::string& file, const std::string& attribute, SInt64& size);
// Replaces the whole fork at once, or leaves the old one whole: fileBoundsErr for a value
// larger than the file system lets an attribute be.
OSErr WriteNamedFork(const std::string& file, const std::string& attribute,
                     const std::string& value);
// errFSForkNotFound when the file has none of that name.
OSErr RemoveNamedFork(const std::string& file, const std::string& attribute);
// Every attribute of a file or a folder onto an open copy of it, as FSCopyAttributes copies
// them: its named forks and Finder information, other programs' attributes, its access lists,
// and trusted and security attributes where the process may set them. A file system that keeps
// no user attributes on the destination leaves them behind. Without `userReadable` (a drop box
// of another user's, whose user attributes this process may not read) its user attributes are
// passed over. fileBoundsErr for a value too large for the destination's file system.
OSErr CopyItemAttributes(const std::string& from, int to, bool userReadable = true);

} // namespace tbx::fs_detail
