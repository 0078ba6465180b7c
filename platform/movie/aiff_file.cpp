#include "platform/movie/aiff_file.h"

#include <cmath>
#include <cstring>
#include <unistd.h>

namespace tbx::movie {

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

AiffFile::~AiffFile() {
    if (_file)
        Discard();
}

bool AiffFile::Create(const std::string& path, int32_t rate, int32_t channels) {
    _path = path;
    _channels = channels;
    _file = std::fopen(path.c_str(), "wb");
    if (!_file)
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
    _failed = std::fwrite(header, 1, sizeof header, _file) != sizeof header;
    return !_failed;
}

bool AiffFile::Write(const uint8_t* bytes, std::size_t size) {
    if (!_file || _failed)
        return false;
    if (size && std::fwrite(bytes, 1, size, _file) != size)
        _failed = true;
    _dataBytes += size;
    return !_failed;
}

bool AiffFile::Finish() {
    if (!_file)
        return false;
    const uint64_t frames = _channels > 0 ? _dataBytes / (2u * uint64_t(_channels)) : 0;
    // Chunk sizes are 32 bits; a longer sound cannot be stored.
    if (_dataBytes + kHeaderBytes > 0xFFFFFFFFu)
        _failed = true;
    uint8_t patch[4];
    auto put = [&](long offset, uint64_t value) {
        PutBig(patch, value, 4);
        if (std::fseek(_file, offset, SEEK_SET) != 0 || std::fwrite(patch, 1, 4, _file) != 4)
            _failed = true;
    };
    if (!_failed) {
        put(4, kHeaderBytes - 8 + _dataBytes);
        put(22, frames);
        put(42, 8 + _dataBytes);
    }
    if (std::fflush(_file) != 0 || fsync(fileno(_file)) != 0)
        _failed = true;
    if (std::fclose(_file) != 0)
        _failed = true;
    _file = nullptr;
    if (_failed)
        std::remove(_path.c_str());
    return !_failed;
}

void AiffFile::Discard() {
    if (_file)
        std::fclose(_file);
    _file = nullptr;
    std::remove(_path.c_str());
}

} // namespace tbx::movie
