// Where FFmpeg's reading of an EXIF directory leaves its segment. The JPEG decoder reads the
// TIFF data after an APP1 "Exif" name entry by entry, following entries that lead to further
// directories, and then passes over all but the last byte of whatever it did not read: so the
// segment's last byte is read only when the directories took it, which depends on every entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tbx::gate {

// Whether FFmpeg reads the `size` bytes of TIFF data (what follows "Exif\0\0") to their end,
// found by following its reading without keeping what it prints. Nothing when telling would
// take more than `maxEntries` entries read, as an entry's directories may be read many times.
std::optional<bool> FfmpegReadsExifToItsEnd(const uint8_t* tiff, std::size_t size,
                                            uint64_t maxEntries);

} // namespace tbx::gate
