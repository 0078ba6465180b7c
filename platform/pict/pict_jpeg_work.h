// What decoding JPEG data may take, read from its bytes without decoding them. A JPEG decoder
// sets up a frame for each frame header it comes to and passes over the whole frame for each
// scan, however few bytes the scan holds: a small file of many scans keeps it busy for long.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tbx::pict {

struct JpegWork {
    uint64_t pixels = 0; // the largest frame a decoder may set up
    uint32_t frames = 0; // frame headers
    uint32_t scans = 0;  // scan headers
    // In pixels filled: each frame set up, and each scan over the largest frame.
    uint64_t Work() const;
};

// Data framed by markers (the interchange format, Motion-JPEG A and its kin). Every marker a
// decoder could come upon is counted, wherever it lies, so damaged or crafted data cannot hide
// one; frames of more than `maxPixels` pixels are left out, as the decoder refuses them.
JpegWork MarkedJpegWork(const uint8_t* data, std::size_t size, uint64_t maxPixels);
// Motion-JPEG B: one or two fields, each opened by a header of offsets (from the field's
// start) to its tables, frame header and scan in place of markers.
JpegWork MotionJpegBWork(const uint8_t* data, std::size_t size, uint64_t maxPixels);

} // namespace tbx::pict
