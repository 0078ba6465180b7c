// EXIF segments of the kinds whose directories a decoder may read without bound, for the
// picture tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace picturetest {

// Little-endian bytes of `v`.
inline std::string Le(uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(v >> (8 * i));
    return out;
}

// An APP1 "Exif" segment: `levels` directories of `entries` entries, each entry of a directory
// leading to the next one, those of the last short numbers; or, given `values`, one directory
// of `entries` tags each `values` doubles long, all of one array.
inline std::string ExifSegment(int entries, int levels, int values = 0) {
    const std::size_t directory = 2 + 12 * std::size_t(entries) + 4;
    std::string tiff = std::string("II*\0", 4) + Le(8, 4);
    for (int level = 0; level < levels; ++level) {
        const uint32_t next = uint32_t(8 + directory * std::size_t(level + 1));
        tiff += Le(uint32_t(entries), 2);
        for (int i = 0; i < entries; ++i) {
            const uint32_t tag = 0x1000 + uint32_t(i);
            if (values)
                tiff += Le(tag, 2) + Le(12, 2) + Le(uint32_t(values), 4) + Le(next, 4);
            else if (level + 1 < levels)
                tiff += Le(0x8769, 2) + Le(4, 2) + Le(1, 4) + Le(next, 4);
            else
                tiff += Le(tag, 2) + Le(3, 2) + Le(1, 4) + Le(7, 4);
        }
        tiff += Le(0, 4);
    }
    tiff += std::string(8 * std::size_t(values), '\x3F');
    const std::size_t length = 2 + 6 + tiff.size();
    return std::string{'\xFF', '\xE1', char(length >> 8), char(length)} +
           std::string("Exif\0\0", 6) + tiff;
}

} // namespace picturetest
