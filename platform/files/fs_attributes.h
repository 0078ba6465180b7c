// A file's extended attributes, listed and read whole. The names come in one call with room for
// the most the kernel lists. A value is read into modest room first: the kernel zero-fills all
// the room it is offered on every call, so offering room for the largest value costs more than
// asking each value's size. Only a value that does not fit has its size asked, and one that
// grows past each size asked is read with room for the largest, so that a value another program
// keeps changing is never lost between two calls.
#pragma once

#include <string>
#include <string_view>

namespace tbx {

// Files are named by path (FSDescriptorPath for an open one), links followed. Failures are
// false with errno set.
//
// The path that names what an open descriptor holds ("/proc/self/fd/N"), whatever has become of
// its own path; an O_PATH descriptor will do.
std::string FSDescriptorPath(int fd);
//
// The names of all the file's attributes, each ended by a NUL. E2BIG when they take more than
// the 64 KiB the kernel lists at once; ENOTSUP where the file system keeps none.
bool FSListAttributes(const std::string& file, std::string& names);
// One attribute's whole value. ENODATA when the file has none of that name.
bool FSReadAttribute(const std::string& file, const char* name, std::string& value);
// Every attribute of `from` whose name `wanted` takes, set on the open item `to`. One removed
// meanwhile is passed over; one that `to` cannot have for want of support, or outside the user
// namespace for want of privilege, stays behind as the system decides. Access lists (POSIX ACLs)
// are kept exactly: one that cannot be set fails the copy, and those `from` lacks are removed
// from `to`, which may have taken them from its folder's default when it was made, even where
// `from`'s file system keeps no attributes at all. Any other failure to list, read or set one
// fails the copy.
bool FSCopyAttributes(const std::string& from, int to, bool (*wanted)(std::string_view name));
// Takes every name: for copying a file's attributes whole.
bool FSAnyAttribute(std::string_view name);
// The access list of `from` set on the open item `to`, or `to`'s removed when `from` has none.
bool FSCopyAccessList(const std::string& from, int to);
// Removes the access list of the open item `to`, which it may have taken from its folder's
// default; having none, or a file system that keeps none, is no failure.
bool FSRemoveAccessList(int to);

} // namespace tbx
