// TIFF: the directories FFmpeg's decoder reads, their printed tags, and the JPEG strips and
// tiles it hands to its mjpeg decoder.
#include <algorithm>
#include <climits>

#include "platform/codec_gate/gate_rows.h"
#include "platform/codec_gate/jpeg_work.h"

namespace tbx::gate {
namespace {

constexpr unsigned kSubfile = 0xFE, kWidth = 0x100, kHeight = 0x101, kCompression = 0x103,
                   kStripOffsets = 0x111, kStripSizes = 0x117, kTileWidth = 0x142,
                   kTileLength = 0x143, kTileOffsets = 0x144, kTileSizes = 0x145,
                   kSubDirectories = 0x14A;
// Tags whose values it prints into metadata, none of which the pixels hang on: text, page
// names and numbers, GeoTIFF's keys and parameters, and the model's placement.
constexpr unsigned kPrinted[] = {0x10D,  0x10E,  0x10F,  0x110,  0x11D,  0x129,
                                 0x131,  0x132,  0x13B,  0x13C,  0x8298, 0x830E,
                                 0x8480, 0x8482, 0x87AF, 0x87B0, 0x87B1};
// Tags it reads as offsets of further directories.
constexpr unsigned kDirectoryTags[] = {0x8769, 0x8825, 0xA005};
constexpr uint8_t kTypeSizes[14] = {0, 1, 100, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
constexpr unsigned kByte = 1, kString = 2, kShort = 3, kLong = 4;
// Directories it reads for one picture: the first, then sub-directories of thumbnails. Each
// resets a table of 64K entries.
constexpr int kMostDirectories = 4;
constexpr uint64_t kDirectoryWork = 65536;

template <std::size_t N>
bool OneOf(unsigned tag, const unsigned (&tags)[N]) {
    return std::find(tags, tags + N, tag) != tags + N;
}

// Values of a strip or tile array: `count` of `type` at `at`, or the one value itself.
struct Values {
    uint32_t count = 0;
    unsigned type = kLong;
    std::size_t at = 0;
    uint32_t single = 0;
};

class TiffWalk {
public:
    explicit TiffWalk(const Packet& packet)
        : _p(packet), _d(packet.data), _size(packet.size), _out(packet) {}

    Gated Run() {
        _work = _size + uint64_t(std::max(_p.width, 0)) * uint64_t(std::max(_p.height, 0));
        if (_size < 8 || !((_d[0] == 'I' && _d[1] == 'I') || (_d[0] == 'M' && _d[1] == 'M')))
            return _out.Done(_work); // not read further
        _le = _d[0] == 'I';
        uint32_t at = Get(kLong, 4);
        if (Get(kShort, 2) != 42 || at >= UINT_MAX - 14 || _size < uint64_t(at) + 14)
            return _out.Done(_work);
        uint32_t last = 0;
        for (int visits = 1;; ++visits) {
            if (visits > kMostDirectories)
                return Refused();
            _work += kDirectoryWork;
            const Read read = Directory(at);
            if (read == Read::kRefused)
                return Refused();
            if (read == Read::kFailed)
                return _out.Done(_work);
            // A thumbnail's sub-directory holds the picture.
            if (!_subDirectory || !_thumbnail)
                break;
            at = _subDirectory;
            _subDirectory = 0;
            if (at <= last || at >= UINT_MAX - 14 || _size < uint64_t(at) + 14)
                return _out.Done(_work);
            last = at;
        }
        if (_jpeg && !JpegParts())
            return Refused();
        return _out.Done(_work);
    }

private:
    enum class Read { kRead, kFailed, kRefused };

    unsigned U16(std::size_t at) const {
        return _le ? unsigned(_d[at]) | unsigned(_d[at + 1]) << 8
                   : unsigned(_d[at]) << 8 | unsigned(_d[at + 1]);
    }
    // A value as the decoder reads it: 0 where the data has too few bytes.
    uint32_t Get(unsigned type, std::size_t at) const {
        const std::size_t bytes = type == kByte ? 1 : type == kShort ? 2 : 4;
        if (at > _size || _size - at < bytes)
            return 0;
        if (type == kByte)
            return _d[at];
        if (type == kShort)
            return U16(at);
        return _le ? U16(at) | uint32_t(U16(at + 2)) << 16 : uint32_t(U16(at)) << 16 | U16(at + 2);
    }

    Read Directory(std::size_t at) {
        // Reset for each directory, as the decoder resets them; the rest carries over.
        _thumbnail = false;
        _jpeg = false;
        _tiled = false;
        const std::size_t entries = U16(at), first = at + 2;
        if (_size - first < 12 * entries)
            return Read::kFailed;
        unsigned lastTag = 0, lastKept = 0;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t e = first + 12 * i;
            const unsigned tag = U16(e), type = U16(e + 2);
            const uint32_t count = Get(kLong, e + 4);
            if (type == 0 || type >= 14)
                continue;       // passed over
            if (tag <= lastTag) // the decoder gives up here, on the copy as on the data
                return tag <= lastKept ? Read::kFailed : Read::kRefused;
            const bool printed = OneOf(tag, kPrinted);
            if (tag != kStripSizes)
                lastTag = tag;
            if (printed) {
                // A type of 0 makes the decoder pass over the entry.
                _out.Set(e + 2, 0);
                _out.Set(e + 3, 0);
                continue;
            }
            if (tag != kStripSizes)
                lastKept = tag;
            // Values that do not fit in the entry lie at an offset, which a seek keeps within
            // the data.
            std::size_t value = e + 8;
            if (OneOf(tag, kDirectoryTags) || count > 4 ||
                (kTypeSizes[type] * count > 4 && type != kString)) {
                const uint32_t offset = Get(kLong, e + 8);
                value = int32_t(offset) < 0 ? 0 : std::min<std::size_t>(offset, _size);
            }
            const bool whole = type == kByte || type == kShort || type == kLong;
            const uint32_t one = count == 1 && whole ? Get(type, value) : 0;
            switch (tag) {
            case kSubfile:
                _thumbnail = one != 0;
                break;
            case kWidth:
                _width = one;
                break;
            case kHeight:
                _height = one;
                break;
            case kCompression:
                _jpeg = count == 1 && (one == 6 || one == 7);
                break;
            case kStripOffsets:
                _stripOffsets = {count, type, value, one};
                break;
            case kStripSizes:
                _stripSizes = {count, type, value, one};
                break;
            case kTileWidth:
                _tileWidth = one;
                break;
            case kTileLength:
                _tileLength = one;
                break;
            case kTileOffsets:
                _tileOffsets = value, _tiled = true;
                break;
            case kTileSizes:
                _tileSizes = value;
                break;
            case kSubDirectories:
                _subDirectory = count == 1 ? one : count > 1 ? Get(kLong, value) : 0;
                break;
            default:
                break;
            }
        }
        return Read::kRead;
    }

    // The JPEG strips and tiles, each handed to the mjpeg decoder on its own. False where the
    // picture is refused.
    bool JpegParts() {
        std::vector<std::pair<std::size_t, std::size_t>> parts; // offset, bytes
        auto add = [&](uint64_t offset, uint64_t bytes) {
            if (offset < _size)
                parts.emplace_back(std::size_t(offset),
                                   std::size_t(std::min<uint64_t>(bytes, _size - offset)));
        };
        if (_tiled) {
            if (_tileWidth == 0 || _tileLength == 0)
                return true; // refused by the decoder
            const uint64_t tiles = (uint64_t(_width) + _tileWidth - 1) / _tileWidth *
                                   ((uint64_t(_height) + _tileLength - 1) / _tileLength);
            if (tiles > _size / 4 || _tileOffsets + 4 * tiles > _size ||
                _tileSizes + 4 * tiles > _size)
                return false; // its arrays lie beyond the data
            for (uint64_t i = 0; i < tiles; ++i)
                add(Get(kLong, _tileOffsets + 4 * i), Get(kLong, _tileSizes + 4 * i));
        }
        const uint32_t strips = _stripOffsets.count;
        if (strips > _size / 2)
            return false;
        for (uint32_t i = 0; i < strips; ++i) {
            auto nth = [&](const Values& v) {
                const std::size_t step = v.type == kShort ? 2 : v.type == kByte ? 1 : 4;
                return v.count == 1 ? v.single : Get(v.type, v.at + step * i);
            };
            const uint64_t offset = nth(_stripOffsets);
            uint64_t bytes = nth(_stripSizes);
            if (strips == 1 && bytes == 0)
                bytes = _size - std::min<uint64_t>(offset, _size); // the rest of the data
            add(offset, bytes);
        }
        // Bytes shared by several parts would be decoded once for each.
        std::sort(parts.begin(), parts.end());
        for (std::size_t i = 1; i < parts.size(); ++i)
            if (parts[i].first < parts[i - 1].first + parts[i - 1].second)
                return false;
        // The nested decoder keeps the height of the last frame it decoded, and takes shorter
        // frames as fields of it: charged against the tallest of them all.
        uint32_t tallest = 0;
        for (const auto& [offset, bytes] : parts)
            tallest = std::max(
                tallest,
                MarkedJpegWork(_d + offset, bytes, INT_MAX, MarkerReading::BySearch).tallest);
        for (const auto& [offset, bytes] : parts) {
            _work += bytes + kNestedDecodingWork;
            if (!HideAndChargeJpeg(_p, offset, bytes, INT_MAX,
                                   int(std::min<uint32_t>(tallest, INT_MAX)), _out, _work))
                return false;
        }
        return true;
    }

    const Packet& _p;
    const uint8_t* _d;
    std::size_t _size;
    Rewrite _out;
    bool _le = true;
    uint64_t _work = 0;
    bool _thumbnail = false, _jpeg = false, _tiled = false;
    uint32_t _subDirectory = 0, _width = 0, _height = 0, _tileWidth = 0, _tileLength = 0;
    std::size_t _tileOffsets = 0, _tileSizes = 0;
    Values _stripOffsets, _stripSizes;
};

} // namespace

Gated TiffImage(const Packet& packet) {
    return TiffWalk(packet).Run();
}

} // namespace tbx::gate
