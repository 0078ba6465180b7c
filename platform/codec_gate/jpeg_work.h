// What decoding JPEG data may take, read from its bytes without decoding them. A JPEG decoder
// sets up a frame for each frame header it comes to and passes over the blocks of the scan's
// components for each scan, however few bytes the scan holds: a small file of many scans
// keeps it busy for long.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tbx::gate {

struct JpegWork {
    uint64_t work = 0;    // in pixels filled: each frame set up, each scan's pass over its samples
    uint32_t scans = 0;   // scan headers
    uint32_t tallest = 0; // the height of the tallest frame charged
};

// How a decoder finds the segments of marker-framed data. libjpeg reads one image, each segment
// by its length, and stops at the first fault. FFmpeg reads a segment as far as it understands
// it and searches for the next marker from there, so that after a scan it has read past its
// end it may search on from inside whatever follows.
enum class MarkerReading { ByLength, BySearch };

// Data framed by markers (the interchange format, Motion-JPEG A and its kin). The segments are
// walked as the decoder walks them, passing over what it passes over in application and comment
// segments, as what they hold (an embedded thumbnail, say) is not the image; each frame is
// charged its pixels and each scan its components' samples. From the first segment where the
// decoder's way cannot be told (a damaged length, or for a searching decoder the first scan)
// every frame and scan marker up to the end of the data is charged, wherever it lies, each scan
// over the largest frame before it. Frames of more than `maxPixels` pixels are left out, as the
// decoder refuses them. FFmpeg takes frames less than three quarters of `pictureHeight` (the
// height it is told the picture has) as fields of an interlaced picture, and decodes a field's
// scan again for each next-field marker after it: each such pass is charged.
JpegWork MarkedJpegWork(const uint8_t* data, std::size_t size, uint64_t maxPixels,
                        MarkerReading reading, int pictureHeight = 0);
// Motion-JPEG B (read by FFmpeg): one or two fields, each opened by a header of offsets (from
// the field's start) to its tables, frame header and scan in place of markers.
JpegWork MotionJpegBWork(const uint8_t* data, std::size_t size, uint64_t maxPixels,
                         int pictureHeight = 0);

} // namespace tbx::gate
