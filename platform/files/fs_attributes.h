// A file's extended attributes, listed and read whole: the names in one call and each value in
// one call, with room for the most the kernel gives. Asking for a size first and then for the
// bytes fails, or loses the attribute, whenever it grows between the two calls, as it may every
// time on a file that another program keeps changing; and one call with room costs no more than
// the two.
#pragma once

#include <string>
#include <string_view>

namespace tbx {

// Files are named by path ("/proc/self/fd/N" for an open one), links followed. Failures are
// false with errno set.
//
// The names of all the file's attributes, each ended by a NUL. E2BIG when they take more than
// the 64 KiB the kernel lists at once; ENOTSUP where the file system keeps none.
bool FSListAttributes(const std::string& file, std::string& names);
// One attribute's whole value. ENODATA when the file has none of that name.
bool FSReadAttribute(const std::string& file, const char* name, std::string& value);
// Every attribute of `from` whose name `wanted` takes, set on the open file `to`. One removed
// meanwhile is passed over; one that `to` cannot have for want of support, or outside the user
// namespace for want of privilege, stays behind as the system decides. Any other failure to list,
// read or set one fails the copy.
bool FSCopyAttributes(const std::string& from, int to, bool (*wanted)(std::string_view name));

} // namespace tbx
