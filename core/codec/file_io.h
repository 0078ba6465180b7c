// File access shared by the file forms of the codecs: whole-file reads, and output files that
// take their target's place only once everything was written.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "core/paths/path.h"

namespace codec_detail {

// Appends nothing and returns false when the file does not open or a read fails.
bool ReadWholeFile(const CBK_Path& path, std::vector<unsigned char>& bytes);

// A new file written beside the target (unique name, created exclusively) that replaces the
// target on Commit. Without a successful Commit the target is untouched and the new file is
// removed.
class FileReplacement {
public:
    explicit FileReplacement(const CBK_Path& target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool IsOpen() const { return _file != nullptr; }
    // False once any write has failed.
    bool Write(const void* data, std::size_t n);
    // Flushes, closes and renames over the target; false when any step (or an earlier write)
    // failed.
    bool Commit();

private:
    void Discard();

    CBK_Path _target;
    CBK_Path _temp;
    FILE* _file = nullptr;
    bool _failed = false;
};

} // namespace codec_detail
