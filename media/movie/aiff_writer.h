// A 16-bit big-endian AIFF file written as the samples arrive; sizes are patched at the end.
// The file replaces its target only when finished, so a cancelled or failed export leaves
// an existing file as it was and no partial one.
#pragma once

#include <cstdint>
#include <string>

#include "core/files/atomic_file.h"

class CBK_AiffWriter {
public:
    // Starts the new file beside `path` and writes the header.
    bool Create(const std::string& path, int32_t rate, int32_t channels);
    // Big-endian 16-bit interleaved samples.
    bool Write(const uint8_t* bytes, std::size_t size);
    // Patches the sizes and puts the file in place; false when any write failed.
    bool Finish();
    // Drops the new file.
    void Discard() { _file.Discard(); }

private:
    CBK_AtomicFile _file;
    int32_t _channels = 0;
    uint64_t _dataBytes = 0;
};
