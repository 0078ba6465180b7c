// A 16-bit big-endian AIFF file written as the samples arrive; sizes are patched at the end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tbx::movie {

class AiffFile {
public:
    ~AiffFile();
    // Creates (or replaces) the file and writes the header.
    bool Create(const std::string& path, int32_t rate, int32_t channels);
    // Big-endian 16-bit interleaved samples.
    bool Write(const uint8_t* bytes, std::size_t size);
    // Patches the sizes and closes; false when any write failed.
    bool Finish();
    // Closes and deletes the file.
    void Discard();

private:
    std::FILE* _file = nullptr;
    std::string _path;
    int32_t _channels = 0;
    uint64_t _dataBytes = 0;
    bool _failed = false;
};

} // namespace tbx::movie
