#include "platform/codec_gate/jpeg_markers.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "platform/codec_gate/exif_read.h"

namespace tbx::gate {
namespace {

constexpr uint8_t kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp3 = 0xE3, kSos = 0xDA, kDqt = 0xDB,
                  kDri = 0xDD, kLse = 0xF8, kCom = 0xFE, kNextField = 0xD1;

std::size_t Word(const uint8_t* at) {
    return std::size_t(at[0]) << 8 | at[1];
}

bool IsRestart(uint8_t code) {
    return code >= 0xD0 && code <= 0xD7;
}

// An application segment is read by the fields of the kinds the decoder knows, each counted off
// what its length leaves (some read one more byte than they count), and then all but the last
// byte of what is left is passed over. One shorter than 6 bytes, or reaching to within 2 bytes
// of the data's end, is left after its length.
SegmentRead ApplicationRead(uint8_t marker, const uint8_t* at, std::size_t left) {
    const std::size_t length = left >= 2 ? Word(at) : 0;
    if (length < 6 || length + 2 > left)
        return {2};
    auto is = [&](const char* id) { return std::memcmp(at + 2, id, 4) == 0; };
    std::size_t read = 6;
    long rest = long(length) - 6;
    if (is("AVI1")) {
        read += 1, rest -= 1;
    } else if (is("JFIF")) {
        if (rest >= 8) {
            read += 8, rest -= 8;
            if (rest >= 2) {
                // The thumbnail is passed over only in the count, and only where it leaves room.
                const long thumbnail = 3L * at[14] * at[15];
                read += 2;
                if (thumbnail > 0 && rest - 10 - thumbnail > 0)
                    rest -= thumbnail;
                rest -= 2;
            }
        }
    } else if (is("Adob") && rest >= 7 && at[6] == 'e' && std::memcmp(at + 6, "e_CM", 4) != 0) {
        read += 8, rest -= 7;
    } else if (is("LJIF")) {
        read += 9, rest -= 9;
    } else if ((is("rloc") || is("mrfx")) && rest > 0) { // colour and transform, little-endian
        read += 1, rest -= 1;
    } else if (marker == kApp3 && is("_JPS") && rest >= 10) {
        read += 10, rest -= 10;
    } else if ((marker == kApp1 && is("Exif") && rest >= 2) ||
               (marker == kApp2 && is("ICC_") && rest >= 10)) {
        // How much of an EXIF directory or a profile chunk is read depends on its contents:
        // all of the segment, or all but its last byte.
        return {length - 1, true};
    } else if (marker == kApp1 && rest > 32) { // a Motion-JPEG A header
        read += 4, rest -= 4;
    }
    return {read + std::size_t(rest > 1 ? rest - 1 : 0)};
}

// Quantisation tables are read while 65 bytes are left of the length, each as long as its
// precision makes it, whether or not the segment holds it.
SegmentRead QuantisationRead(const uint8_t* at, std::size_t left) {
    const std::size_t length = left >= 2 ? Word(at) : 0;
    if (length < 2)
        return {2};
    if (length > left)
        return {0, false, false};
    std::size_t i = 2;
    for (long rest = long(length) - 2; rest >= 65;) {
        if (at[i] >> 4 > 1 || (at[i] & 15) > 3)
            return {0, false, false};
        const std::size_t table = 1 + 64 * (1 + std::size_t(at[i] >> 4));
        i += table;
        rest -= long(table);
    }
    return {i};
}

// What the decoder takes for a scan from `at`: fill bytes before a marker are dropped, a zero
// stuffed after 0xFF is dropped, restart markers are kept, and the first other marker ends it.
// `put` is given each run of bytes taken. (Its reading of runs of fill bytes is kept exactly.)
template <typename Put>
void TakeScan(const uint8_t* at, std::size_t left, Put put) {
    std::size_t from = 0, i = 0;
    while (i < left) {
        uint8_t x = at[i++];
        if (x != 0xFF)
            continue;
        std::size_t fill = 0;
        while (i < left && x == 0xFF)
            x = at[i++], ++fill;
        if (fill > 1) {
            put(from, i - fill);
            from = i - 1;
        }
        if (!IsRestart(x)) {
            if (i - 1 > from) {
                put(from, i - 1);
                from = i;
            }
            if (x != 0)
                break;
        }
    }
    if (from < i)
        put(from, i);
}

// The same for JPEG-LS: its data ends before the first 0xFF followed by a byte with its top bit
// set, and each byte after 0xFF gives only its low seven bits. `put` is given each byte made.
template <typename Put>
void TakeJpegLsScan(const uint8_t* at, std::size_t left, Put put) {
    std::size_t end = 0;
    while (end < left) {
        uint8_t x = at[end++];
        if (x != 0xFF)
            continue;
        while (end < left && x == 0xFF)
            x = at[end++];
        if (x & 0x80) {
            end -= end < 2 ? end : 2;
            break;
        }
    }
    uint32_t bits = 0;
    int count = 0;
    auto push = [&](uint32_t value, int width) {
        bits = bits << width | value;
        count += width;
        if (count >= 8) {
            count -= 8;
            put(uint8_t(bits >> count));
        }
    };
    for (std::size_t i = 0; i < end;) {
        const uint8_t x = at[i++];
        push(x, 8);
        if (x == 0xFF && i < end)
            push(at[i++] & 0x7Fu, 7);
    }
    if (count > 0)
        put(uint8_t(bits << (8 - count)));
}

// An application segment 1 named "Exif" at `at`, with its length.
bool ExifAt(const uint8_t* data, std::size_t size, std::size_t at) {
    return size - at >= 8 && data[at] == 0xFF && data[at + 1] == kApp1 &&
           std::memcmp(data + at + 4, "Exif", 4) == 0;
}

// Entries followed to tell where an EXIF directory's reading ends: far more than any camera
// writes, far fewer than the decoder's worst.
constexpr uint64_t kMaxExifEntries = uint64_t(1) << 20;
// The application fields the decoder reads before passing over the rest.
constexpr std::size_t kApplicationFields = 16;

// FFmpeg's walk of the markers, as far as it can be told, keeping where it reads an EXIF
// directory and which bytes it reads as anything that the pixels may hang on.
class ExifWalk {
public:
    ExifWalk(const uint8_t* data, std::size_t size) : _d(data), _size(size) {}

    ExifHidden Hide() {
        Walk();
        if (!_result.told)
            return std::move(_result);
        // Every name the walk did not find read as something else is hidden: where the walk
        // was told, those lie where the decoder never reads them, or in a segment it reads as
        // EXIF; beyond, it may meet them anywhere.
        for (std::size_t at = 0; _size >= 8 && at <= _size - 8; ++at) {
            const void* next = std::memchr(_d + at, 0xFF, _size - 8 - at + 1);
            if (!next)
                break;
            at = std::size_t(static_cast<const uint8_t*>(next) - _d);
            if (ExifAt(_d, _size, at) && !Kept(at + 4))
                Change(at + 4, 'e');
        }
        return std::move(_result);
    }

private:
    void Walk() {
        for (std::size_t at = 0;;) {
            at = NextFfmpegMarker(_d, _size, at);
            if (at + 1 >= _size)
                return;
            const uint8_t marker = _d[at + 1];
            const std::size_t body = at + 2, left = _size - body;
            const std::size_t length = left >= 2 ? Word(body) : 0;
            std::size_t read = 0;
            if (marker == kSos) { // its header, then data up to the marker that ends it
                const std::size_t header =
                    std::min(left, left >= 3 ? 6 + 2 * std::size_t(_d[body + 2]) : left);
                Keep(body, header);
                at = body + header;
                while (at + 1 < _size && (!FfmpegMarkerAt(_d, _size, at) || IsRestart(_d[at + 1])))
                    ++at;
                continue;
            }
            if (marker == kApp1 && ExifAt(_d, _size, at) && length >= 8 && length + 2 <= left) {
                if (!ExifEnd(body, length, read))
                    return;
            } else if (marker == 0xC4 || (marker >= 0xC0 && marker <= 0xC3) || marker == 0xF7) {
                // Huffman tables and the frames it decodes, read whole or not decoded at all.
                const bool whole =
                    marker == 0xC4 ? length >= 2 && length <= left
                                   : left >= 8 && length == 8 + 3u * _d[body + 7] && length <= left;
                if (!whole)
                    return;
                read = length;
                Keep(body, read);
            } else if (!IsJpegFrame(
                           marker)) { // frames it does not decode are searched from their length
                const SegmentRead segment = FfmpegSegmentRead(marker, _d + body, left);
                if (!segment.known ||
                    (segment.orOneMore && FfmpegMarkerAt(_d, _size, body + segment.bytes)))
                    return;
                read = segment.bytes;
                const bool application = marker >= kApp0 && marker <= kApp0 + 15;
                Keep(body, application ? std::min(read, kApplicationFields) : read);
            }
            if (read >= left)
                return;
            at = body + read;
        }
    }

    // An EXIF directory read by the decoder at `body` (its length field): how far it reads.
    // False where that cannot be told.
    bool ExifEnd(std::size_t body, std::size_t length, std::size_t& read) {
        Change(body + 2, 'e');
        read = length - 1; // where the copy's reading of the renamed segment leaves it
        const std::size_t last = body + length - 1;
        if (!FfmpegMarkerAt(_d, _size, last))
            return true; // the two readings part only where that byte starts a marker
        const std::optional<bool> whole =
            FfmpegReadsExifToItsEnd(_d + body + 8, length - 8, kMaxExifEntries);
        if (!whole) {
            _result.told = false;
            return false;
        }
        if (*whole) {
            Change(last, 0);
            read = length;
        }
        return true;
    }

    std::size_t Word(std::size_t at) const { return std::size_t(_d[at]) << 8 | _d[at + 1]; }
    void Keep(std::size_t from, std::size_t bytes) {
        if (bytes > 0)
            _kept.emplace_back(from, from + bytes);
    }
    // The walk goes forward, so the ranges kept are in order and apart.
    bool Kept(std::size_t at) const {
        auto after = std::upper_bound(_kept.begin(), _kept.end(), at,
                                      [](std::size_t x, const auto& r) { return x < r.first; });
        return after != _kept.begin() && at < std::prev(after)->second;
    }
    void Change(std::size_t at, uint8_t value) {
        if (_result.copy.empty())
            _result.copy.assign(_d, _d + _size);
        _result.copy[at] = value;
    }

    const uint8_t* _d;
    std::size_t _size;
    std::vector<std::pair<std::size_t, std::size_t>> _kept; // [from, to), in the walk's order
    ExifHidden _result;
};

} // namespace

bool FfmpegMarkerAt(const uint8_t* data, std::size_t size, std::size_t i) {
    return i + 1 < size && data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] != 0xFF;
}

std::size_t NextFfmpegMarker(const uint8_t* data, std::size_t size, std::size_t at) {
    while (at + 1 < size && !FfmpegMarkerAt(data, size, at))
        ++at;
    return at;
}

bool IsJpegFrame(uint8_t marker) {
    return (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) ||
           marker == 0xF7;
}

SegmentRead FfmpegSegmentRead(uint8_t marker, const uint8_t* at, std::size_t left) {
    if (marker >= kApp0 && marker <= kApp0 + 15)
        return ApplicationRead(marker, at, left);
    if (marker == kDqt)
        return QuantisationRead(at, left);
    const std::size_t length = left >= 2 ? Word(at) : 0;
    if (marker == kCom)
        return {length >= 2 && length <= left ? length : 2};
    if (marker == kDri)
        return {4, false, length == 4};
    if (marker == kLse)
        return {0, false, false};
    return {0}; // not read: the search goes on from its length field
}

std::size_t NextFieldMarkers(const uint8_t* at, std::size_t left, bool jpegLs) {
    std::size_t markers = 0;
    int last = -1;
    auto byte = [&](uint8_t b) {
        markers += last == 0xFF && b == kNextField;
        last = b;
    };
    if (jpegLs)
        TakeJpegLsScan(at, left, byte);
    else
        TakeScan(at, left, [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                byte(at[i]);
        });
    return markers;
}

ExifHidden HideExifFromFfmpeg(const uint8_t* data, std::size_t size) {
    return ExifWalk(data, size).Hide();
}

} // namespace tbx::gate
