// File input and output for the image codecs: whole files read with a size limit, and files
// replaced only once everything was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/paths/path.h"

// The whole file into `bytes`; false when it cannot be opened or read, or is larger than
// maxBytes.
bool BK_ReadWholeFile(const CBK_Path& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

// A new file written beside the path (private name, created exclusively) that replaces the
// file at the path on Commit, so that a failed write leaves the old file as it was and no
// temporary file behind.
class CBK_ReplacingFile {
public:
    CBK_ReplacingFile() = default;
    ~CBK_ReplacingFile();
    CBK_ReplacingFile(const CBK_ReplacingFile&) = delete;
    CBK_ReplacingFile& operator=(const CBK_ReplacingFile&) = delete;

    // The stream to write to; null when the file cannot be made.
    FILE* Open(const CBK_Path& path);
    // Flushes, closes and moves the file into place; false when anything failed, the stream
    // having reported an error included.
    bool Commit();
    // Closes and removes the new file.
    void Discard();

private:
    FILE* _stream = nullptr;
    std::string _temporary;
    std::string _target;
};

// The bytes as the file's whole content, replacing it as above.
bool BK_WriteFileReplacing(const CBK_Path& path, const uint8_t* bytes, std::size_t size);
