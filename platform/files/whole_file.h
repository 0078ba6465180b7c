// Whole files read into memory, never more than the caller allows, and only regular files
// opened for reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tbx {

// A descriptor open for reading on the regular file at `path`, or -1 when it cannot be
// opened or is anything else (a device or a pipe has no end to wait for). Opening never
// waits for the writer of a pipe.
int OpenRegularFile(const std::string& path);

// The whole file into `bytes`; false (and `bytes` empty) when it cannot be opened or read,
// is not a regular file (a device or a pipe has no end to wait for), or is larger than
// maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

} // namespace tbx
