#include "platform/codec_gate/jpeg_work.h"

#include <algorithm>

#include "platform/codec_gate/jpeg_markers.h"

namespace tbx::gate {
namespace {

constexpr uint8_t kDht = 0xC4, kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDqt = 0xDB, kDri = 0xDD;

uint32_t Word(const uint8_t* at) {
    return uint32_t(at[0]) << 8 | at[1];
}

uint32_t Long(const uint8_t* at) {
    return Word(at) << 16 | Word(at + 2);
}

// A lossless frame codes each sample on its own, so that a scan costs a pass over every one.
bool IsLossless(uint8_t marker) {
    return marker == 0xF7 || (marker & 3) == 3;
}

bool IsRestart(uint8_t marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// The most components a frame may have: libjpeg's limit (FFmpeg's is 4).
constexpr unsigned kMostComponents = 10;

// A frame: its pixels and, where its header is whole, its components' ids and sampling (h × v)
// beside the largest sampling.
struct Frame {
    uint64_t pixels = 0;
    uint32_t height = 0;
    bool lossless = false;
    unsigned count = 0; // components read
    unsigned most = 1;
    uint8_t id[kMostComponents] = {}, sampling[kMostComponents] = {};
};

// The frame header whose length field is at `at`, `left` bytes before the data's end; false
// unless its length is what its components take.
bool ReadFrame(const uint8_t* at, std::size_t left, uint8_t marker, Frame& frame) {
    frame = Frame{};
    frame.lossless = IsLossless(marker);
    if (left < 7)
        return false;
    frame.height = Word(at + 3);
    frame.pixels = uint64_t(frame.height) * Word(at + 5);
    if (left < 8)
        return false;
    const unsigned count = at[7], length = Word(at);
    if (length != 8 + 3 * count || length > left)
        return false;
    if (count > kMostComponents)
        return true; // refused by the decoders
    unsigned h = 1, v = 1;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned factors = at[9 + 3 * i];
        h = std::max(h, factors >> 4);
        v = std::max(v, factors & 15);
        frame.id[i] = at[8 + 3 * i];
        frame.sampling[i] = uint8_t(std::max(1u, (factors >> 4) * (factors & 15)));
    }
    frame.count = count;
    frame.most = h * v;
    return true;
}

// The samples that the scan header whose length field is at `at` passes over in `frame`: its
// components' shares, a whole frame's worth for one the frame lacks.
uint64_t Samples(const uint8_t* at, std::size_t left, const Frame& frame) {
    if (frame.count == 0 || left < 3 || Word(at) != 6 + 2u * at[2] || Word(at) > left)
        return frame.pixels;
    uint64_t share = 0;
    for (unsigned i = 0; i < at[2]; ++i) {
        const uint8_t* found = std::find(frame.id, frame.id + frame.count, at[3 + 2 * i]);
        share += found == frame.id + frame.count ? frame.most : frame.sampling[found - frame.id];
    }
    return frame.pixels * share / frame.most;
}

// Where the entropy-coded data from `from` ends: at the fill bytes or marker before a code of
// 0xC0 or more other than a restart. 0xFF 0x00 codes 0xFF; lower codes FFmpeg searches past
// (libjpeg stops at them).
std::size_t EntropyEnd(const uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i < size; ++i) {
        if (data[i] != 0xFF)
            continue;
        std::size_t code = i + 1;
        while (code < size && data[code] == 0xFF)
            ++code;
        if (code == size || (data[code] >= 0xC0 && !IsRestart(data[code])))
            return i;
        i = code;
    }
    return size;
}

// Whether the tables of a quantisation or Huffman table segment (`length` bytes from its length
// field at `at`) fill it to its end: decoders read tables, not the length.
bool TablesFill(uint8_t marker, const uint8_t* at, std::size_t length) {
    for (std::size_t i = 2; i < length;) {
        std::size_t table = 17;
        if (marker == kDqt) {
            if (at[i] >> 4 > 1)
                return false;
            table = 1 + 64 * (1 + std::size_t(at[i] >> 4));
        } else if (length - i < 17) {
            return false;
        } else {
            for (std::size_t k = 1; k <= 16; ++k)
                table += at[i + k];
        }
        if (table > length - i)
            return false;
        i += table;
    }
    return true;
}

class Walk {
public:
    // `pictureHeight`: that of the picture an interlacing decoder is told, else 0.
    Walk(const uint8_t* data, std::size_t size, uint64_t maxPixels, int pictureHeight = 0)
        : _data(data), _size(size), _maxPixels(maxPixels),
          _fieldsBelow(pictureHeight > 0 ? uint32_t(pictureHeight) * 3 / 4 : 0) {}

    // The frame header whose length field is at `at`; false unless its length is what its
    // components take.
    bool AddFrame(std::size_t at, uint8_t marker) {
        Frame frame;
        const bool whole = ReadFrame(_data + at, _size - at, marker, frame);
        if (frame.pixels == 0 || frame.pixels > _maxPixels)
            return whole;
        _work.work += frame.pixels;
        _work.tallest = std::max(_work.tallest, frame.height);
        _current = frame;
        if (frame.pixels > _largest.pixels)
            _largest = frame;
        _fields = _fields || frame.height < _fieldsBelow;
        _jpegLs = _jpegLs || marker == 0xF7;
        return whole;
    }

    // The scan header whose length field is at `at`, decoded `passes` times: over the frame it
    // follows where the walk keeps to the decoder's segments, else over the largest frame before
    // it, as a false frame header must not make the scans after it cheap.
    void AddScan(std::size_t at, bool exact, uint64_t passes = 1) {
        ++_work.scans;
        const Frame& frame = exact ? _current : _largest;
        if (frame.pixels == 0)
            return; // decoders refuse scans before a frame
        uint64_t samples = Samples(_data + at, _size - at, frame);
        if (!exact)
            samples = std::max(samples, frame.pixels);
        _work.work += passes * std::max<uint64_t>(1, frame.lossless ? samples : samples / 4);
    }

    // Every frame and scan marker from `from` to the end, wherever it lies; each scan as often
    // as the next-field markers after it may have it decoded.
    void Search(std::size_t from) {
        for (std::size_t i = from; i + 1 < _size; ++i) {
            if (_data[i] != 0xFF)
                continue;
            if (IsJpegFrame(_data[i + 1])) {
                AddFrame(i + 2, _data[i + 1]);
            } else if (_data[i + 1] == kSos) {
                uint64_t passes = 1;
                if (_fields) // the last frame decoded may have been of either kind
                    passes += std::max(
                        NextFieldMarkers(_data + i + 2, _size - i - 2, false),
                        _jpegLs ? NextFieldMarkers(_data + i + 2, _size - i - 2, true) : 0);
                AddScan(i + 2, false, passes);
            }
        }
    }

    // Whether a frame has been short enough to be taken as a field.
    bool Fields() const { return _fields; }
    const JpegWork& Work() const { return _work; }

private:
    const uint8_t* _data;
    std::size_t _size;
    uint64_t _maxPixels;
    uint32_t _fieldsBelow;
    bool _fields = false, _jpegLs = false;
    JpegWork _work;
    Frame _current, _largest;
};

// libjpeg: one image from its start, each segment by its length, each scan's data to its end.
void ReadByLength(Walk& walk, const uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] != 0xFF || data[1] != kSoi)
        return walk.Search(0);
    for (std::size_t at = 2; at < size;) { // at the marker of the next segment
        if (data[at] != 0xFF)
            return walk.Search(at);
        std::size_t code = at + 1;
        while (code < size && data[code] == 0xFF)
            ++code;
        if (code == size)
            return;
        const uint8_t marker = data[code];
        const std::size_t body = code + 1, left = size - body; // body: the length field
        if (marker == kEoi)
            return; // the image's end
        if (marker == kSoi || IsRestart(marker)) {
            at = body;
            continue;
        }
        const std::size_t length = left >= 2 ? Word(data + body) : 0;
        const bool fits = length >= 2 && length <= left;
        if (marker == kSos) {
            if (length >= 6 && fits && length == 6 + 2u * data[body + 2]) {
                walk.AddScan(body, true);
                at = EntropyEnd(data, size, body + length);
                continue;
            }
            return walk.Search(code - 1);
        }
        bool whole = false;
        if (IsJpegFrame(marker))
            whole = walk.AddFrame(body, marker);
        else if (marker == kDqt || marker == kDht)
            whole = fits && TablesFill(marker, data + body, length);
        else if (marker == kDri)
            whole = fits && length == 4;
        else if (marker >= 0xC0)
            whole = fits;
        if (!whole)
            return walk.Search(body);
        at = body + length;
    }
}

// FFmpeg: from wherever it stopped reading, the next marker, up to the first scan (after which
// where it stops depends on the decoding).
void ReadBySearch(Walk& walk, const uint8_t* data, std::size_t size) {
    for (std::size_t at = 0;;) {
        at = NextFfmpegMarker(data, size, at);
        if (at + 1 >= size)
            return;
        const uint8_t marker = data[at + 1];
        const std::size_t body = at + 2, left = size - body; // body: the length field
        const std::size_t length = left >= 2 ? Word(data + body) : 0;
        if (marker == kSos)
            return walk.Search(at);
        std::size_t read = 0;
        if (IsJpegFrame(marker)) {
            const bool whole = walk.AddFrame(body, marker);
            const bool decoded = marker <= 0xC3 || marker == 0xF7; // others are passed by
            if (decoded && !whole)
                return walk.Search(body);
            read = decoded ? length : 0;
        } else if (marker == kDht) {
            if (length < 2 || length > left || !TablesFill(marker, data + body, length))
                return walk.Search(body);
            read = length;
        } else {
            const SegmentRead segment = FfmpegSegmentRead(marker, data + body, left);
            // Where it may stop a byte further, the two ways part only at a marker.
            if (!segment.known ||
                (segment.orOneMore && FfmpegMarkerAt(data, size, body + segment.bytes)))
                return walk.Search(body);
            read = segment.bytes;
        }
        if (read >= left)
            return;
        at = body + read;
    }
}

} // namespace

JpegWork MarkedJpegWork(const uint8_t* data, std::size_t size, uint64_t maxPixels,
                        MarkerReading reading, int pictureHeight) {
    if (reading == MarkerReading::ByLength) {
        Walk walk(data, size, maxPixels);
        ReadByLength(walk, data, size);
        return walk.Work();
    }
    Walk walk(data, size, maxPixels, pictureHeight);
    ReadBySearch(walk, data, size);
    return walk.Work();
}

JpegWork MotionJpegBWork(const uint8_t* data, std::size_t size, uint64_t maxPixels,
                         int pictureHeight) {
    // Reserved, 'mjpg', field size, padded field size, then offsets of the second field (from
    // the first field's start), quantisation and Huffman tables, frame header, scan header
    // and scan data. An offset past the data is taken as none.
    constexpr std::size_t kHeader = 40;
    Walk walk(data, size, maxPixels, pictureHeight);
    std::size_t field = 0;
    for (int n = 0; n < 2 && field < size && size - field >= kHeader; ++n) {
        const uint8_t* h = data + field;
        const std::size_t left = size - field;
        if (Long(h + 4) != 0x6D6A7067) // 'mjpg'
            break;
        const uint32_t frame = Long(h + 28), scan = Long(h + 32);
        if (frame != 0 && frame < left)
            walk.AddFrame(field + frame, 0xC0);
        if (scan != 0 && scan < left) {
            // The scan is read as it stands, as far as the field's size, next-field markers
            // and all.
            uint64_t passes = 1;
            const std::size_t end = field + scan + std::min<std::size_t>(Long(h + 8), left - scan);
            for (std::size_t i = field + scan; walk.Fields() && i + 1 < end; ++i)
                passes += data[i] == 0xFF && data[i + 1] == 0xD1;
            walk.AddScan(field + scan, true, passes);
        }
        const uint32_t second = Long(h + 16);
        if (second == 0 || second >= size)
            break;
        field = second;
    }
    return walk.Work();
}

} // namespace tbx::gate
