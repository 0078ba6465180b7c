// Whole files read into memory, never more than the caller allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tbx {

// The whole file into `bytes`; false (and `bytes` empty) when it cannot be opened or read,
// is not a regular file (a device or a pipe has no end to wait for), or is larger than
// maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

} // namespace tbx
