#include "platform/codec_gate/exif_read.h"

#include <climits>
#include <vector>

namespace tbx::gate {
namespace {

// TIFF value types as FFmpeg sizes them (0 and 14 on are no type).
constexpr uint8_t kTypeSizes[14] = {0, 1, 100, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
constexpr unsigned kString = 2;
// Directories deeper than this have their entries passed over unread.
constexpr int kDeepest = 2;

enum class Result : uint8_t { kUnknown, kOk, kError, kOverBudget };

class ExifReading {
public:
    ExifReading(const uint8_t* tiff, std::size_t size, uint64_t maxEntries)
        : _d(tiff), _size(size), _entriesLeft(maxEntries),
          _memo(std::size_t(kDeepest + 2) * (size + 1), Result::kUnknown) {}

    std::optional<bool> ToItsEnd() {
        if (_size < 8)
            return _size == 0;
        if (!(_d[0] == 'I' && _d[1] == 'I') && !(_d[0] == 'M' && _d[1] == 'M'))
            return false; // read up to the byte order
        _le = _d[0] == 'I';
        if (Short(2) != 42)
            return false;
        const std::size_t at = Clip(int32_t(Long(4)));
        if (_size - at < 2)
            return true; // the entry count is cut: the reading goes to the end
        const std::size_t entries = Short(at), first = at + 2;
        if (_size - first < 12 * entries)
            return first == _size;
        for (std::size_t i = 0; i < entries; ++i) {
            const Result r = Entry(first + 12 * i, 0);
            if (r == Result::kOverBudget)
                return std::nullopt;
            if (r == Result::kError)
                return first + 12 * (i + 1) == _size; // left just after that entry
        }
        // Then the next directory's offset, or the end where it is cut.
        return _size - (first + 12 * entries) <= 4;
    }

private:
    unsigned Short(std::size_t at) const {
        return _le ? unsigned(_d[at]) | unsigned(_d[at + 1]) << 8
                   : unsigned(_d[at]) << 8 | unsigned(_d[at + 1]);
    }
    uint32_t Long(std::size_t at) const {
        return _le ? uint32_t(Short(at)) | uint32_t(Short(at + 2)) << 16
                   : uint32_t(Short(at)) << 16 | uint32_t(Short(at + 2));
    }
    // A seek to an offset, which the reader keeps within the data.
    std::size_t Clip(int32_t offset) const {
        return offset < 0 ? 0 : std::min<std::size_t>(std::size_t(offset), _size);
    }

    // The directory at `at`, read at `depth`: whether it fails (a reading that fails ends the
    // directory that led to it). The same directory at the same depth reads the same way.
    Result Directory(std::size_t at, int depth) {
        Result& memo = _memo[std::size_t(depth) * (_size + 1) + at];
        if (memo != Result::kUnknown)
            return memo;
        Result result = Result::kOk;
        if (_size - at >= 2) {
            const std::size_t entries = Short(at), first = at + 2;
            if (_size - first < 12 * entries) {
                result = Result::kError;
            } else {
                for (std::size_t i = 0; i < entries && depth <= kDeepest; ++i) {
                    result = Entry(first + 12 * i, depth);
                    if (result != Result::kOk)
                        break;
                }
                // The next directory's offset is the result: one read as negative is a failure.
                const std::size_t next = first + 12 * entries;
                if (result == Result::kOk && _size - next >= 4 && int32_t(Long(next)) < 0)
                    result = Result::kError;
            }
        }
        if (result != Result::kOverBudget)
            memo = result;
        return result;
    }

    // The entry at `at` of a directory read at `depth`.
    Result Entry(std::size_t at, int depth) {
        if (_entriesLeft == 0)
            return Result::kOverBudget;
        --_entriesLeft;
        const unsigned tag = Short(at), type = Short(at + 2);
        const uint32_t count = Long(at + 4);
        const bool directory = tag == 0x8769 || tag == 0x8825 || tag == 0xA005;
        const bool typed = type != 0 && type < 14;
        std::size_t value = at + 8;
        if (typed && (directory || count > 4 || (kTypeSizes[type] * count > 4 && type != kString)))
            value = Clip(int32_t(Long(at + 8)));
        if (value == 0)
            return Result::kOk; // an offset of 0 is taken as none
        if (directory)
            return Directory(value, depth + 1);
        return Printed(type, int32_t(count), _size - value) ? Result::kOk : Result::kError;
    }

    // Whether an entry's values print: their count must be positive and fit what is left.
    static bool Printed(unsigned type, int32_t count, std::size_t left) {
        auto fits = [&](std::size_t size, bool zero) {
            return (zero ? count >= 0 : count > 0) && uint64_t(count) < INT_MAX / size &&
                   left >= std::size_t(count) * size;
        };
        switch (type) {
        case 1:
        case 6:
        case 7:
            return fits(1, true); // bytes
        case 3:
        case 8:
            return fits(2, false); // shorts
        case 4:
        case 9:
            return fits(4, false); // longs
        case 5:
        case 10:
        case 12:
            return fits(8, false); // rationals, doubles
        case kString:
            return count >= 0 && left >= std::size_t(count);
        default:
            return true; // passed over
        }
    }

    const uint8_t* _d;
    std::size_t _size;
    bool _le = true;
    uint64_t _entriesLeft;
    std::vector<Result> _memo;
};

} // namespace

std::optional<bool> FfmpegReadsExifToItsEnd(const uint8_t* tiff, std::size_t size,
                                            uint64_t maxEntries) {
    return ExifReading(tiff, size, maxEntries).ToItsEnd();
}

} // namespace tbx::gate
