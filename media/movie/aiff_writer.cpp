#include "media/movie/aiff_writer.h"

#include <cstring>

namespace {

void PutBig(uint8_t* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

// The 80-bit extended number of a whole rate.
void PutExtended(uint8_t* at, uint32_t rate) {
    std::memset(at, 0, 10);
    if (rate == 0)
        return;
    int exponent = 31;
    uint64_t mantissa = rate;
    while (!(mantissa & 0x80000000u)) {
        mantissa <<= 1;
        --exponent;
    }
    PutBig(at, uint64_t(16383 + exponent), 2);
    PutBig(at + 2, mantissa << 32, 8);
}

constexpr std::size_t kHeaderBytes = 54; // FORM 12 + COMM 26 + SSND 16

} // namespace

bool CBK_AiffWriter::Create(const std::string& path, int32_t rate, int32_t channels) {
    _channels = channels;
    _dataBytes = 0;
    if (!_file.Open(path))
        return false;
    uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, "FORM", 4);
    std::memcpy(header + 8, "AIFF", 4);
    std::memcpy(header + 12, "COMM", 4);
    PutBig(header + 16, 18, 4);
    PutBig(header + 20, uint64_t(channels), 2);
    PutBig(header + 26, 16, 2);
    PutExtended(header + 28, uint32_t(rate));
    std::memcpy(header + 38, "SSND", 4);
    return _file.Write(header, sizeof header);
}

bool CBK_AiffWriter::Write(const uint8_t* bytes, std::size_t size) {
    _dataBytes += size;
    return _file.Write(bytes, size);
}

bool CBK_AiffWriter::Finish() {
    // Chunk sizes are 32 bits; a longer sound cannot be stored.
    if (_dataBytes + kHeaderBytes > 0xFFFFFFFFu || _channels <= 0) {
        _file.Discard();
        return false;
    }
    uint8_t patch[4];
    auto put = [&](uint64_t offset, uint64_t value) {
        PutBig(patch, value, 4);
        return _file.WriteAt(offset, patch, 4);
    };
    const uint64_t frames = _dataBytes / (2u * uint64_t(_channels));
    if (!put(4, kHeaderBytes - 8 + _dataBytes) || !put(22, frames) || !put(42, 8 + _dataBytes)) {
        _file.Discard();
        return false;
    }
    return _file.Commit();
}
