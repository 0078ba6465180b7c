// How FFmpeg's JPEG decoder moves through marker-framed data, as far as it can be told from the
// bytes. It reads a segment field by field, not by its length, and searches for the next marker
// (0xFF and a code from 0xC0 to 0xFE) from wherever its reading stopped; it decodes a field's
// scan again for each next-field marker it finds after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tbx::gate {

// Whether the decoder's search for a marker stops at `i`: 0xFF and a code from 0xC0 to 0xFE.
bool FfmpegMarkerAt(const uint8_t* data, std::size_t size, std::size_t i);
// Where that search, begun at `at`, stops; `size` - 1 or more where it finds no marker.
std::size_t NextFfmpegMarker(const uint8_t* data, std::size_t size, std::size_t at);

// Every kind of frame header: sequential, progressive, lossless and hierarchical, with either
// entropy coding, and JPEG-LS. What one decoder passes over another may decode.
bool IsJpegFrame(uint8_t marker);

// Where the decoder's search goes on after the quantisation tables, restart interval,
// application or comment segment, or a segment it does not read, of `marker` (its length field
// at `at`, `left` bytes before the data's end): `bytes` after the length field, or one more
// where what the segment holds decides. Not `known` where the decoder gives up on the image
// there, or reads further than is told here.
struct SegmentRead {
    std::size_t bytes = 0;
    bool orOneMore = false;
    bool known = true;
};
SegmentRead FfmpegSegmentRead(uint8_t marker, const uint8_t* at, std::size_t left);

// The next-field markers (FF D1) in the data the decoder takes for a scan: from `at`, just after
// the scan's marker, to the first marker other than a restart, with stuffed zeros and fill bytes
// removed as it removes them, or repacked as it repacks JPEG-LS data when `jpegLs`. Each may start
// one more pass over the scan in a picture whose frames are fields.
std::size_t NextFieldMarkers(const uint8_t* at, std::size_t left, bool jpegLs);

// The decoder reads each EXIF directory it comes to (application segment 1 named "Exif") into
// metadata that pictures never use, following entries that lead to further directories, at a
// cost the segment's size does not bound. The copy it is given instead spells that name
// "exif", so that it passes over the segment as over any other, wherever its walk of the
// markers meets one: only metadata and a rotation hint hang on the name, never pixels. Bytes it
// reads as tables, frame, scan or restart headers, comments or application fields keep their
// values. Where its reading of a directory would take the segment's last byte and that byte
// would start a marker for a reader that leaves it, the byte is cleared, so that the copy's
// walk goes on where the directory's reading left it. The walk goes on from the marker that
// ends a scan, as the decoder does after a scan it decodes within its data; after a segment
// whose reading cannot be told, every such name is hidden wherever it lies. `copy` is empty where
// there is nothing to hide; `told` is false where following a directory's reading would take more
// than a bounded number of entries (the picture is refused rather than read unlike FFmpeg).
struct ExifHidden {
    bool told = true;
    std::vector<uint8_t> copy;
};
ExifHidden HideExifFromFfmpeg(const uint8_t* data, std::size_t size);

} // namespace tbx::gate
