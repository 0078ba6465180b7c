// Replacing a file's contents so that readers see either the old bytes or the new ones.
#pragma once

#include <string>
#include <string_view>

namespace tbx {

// Writes the bytes to a new file beside `path` (created with O_EXCL under a unique name),
// flushes it and renames it over `path`. A symbolic link is followed, so the file it names
// is replaced. A target that exists and is not a regular file (a device, a pipe) is written
// in place instead. False, with the old file untouched and no temporary file left, when
// anything fails; errno tells why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

} // namespace tbx
