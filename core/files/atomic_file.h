// Replacing a file's contents so that readers see either the old bytes or the new ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A new file beside the target (created with O_EXCL under a unique name) that takes the
// target's place on Commit. A symbolic link is followed, so the file it names is replaced;
// a target that exists and is not a regular file (a device, a pipe) is written in place.
// Without a successful Commit the target is untouched and no temporary file is left behind.
class CBK_AtomicFile {
public:
    CBK_AtomicFile() = default;
    ~CBK_AtomicFile() { Discard(); }
    CBK_AtomicFile(const CBK_AtomicFile&) = delete;
    CBK_AtomicFile& operator=(const CBK_AtomicFile&) = delete;

    // False (errno tells why) when the new file cannot be made.
    bool Open(const std::string& path);
    bool IsOpen() const { return _fd >= 0; }
    // Buffered; false once any write has failed.
    bool Write(const void* data, std::size_t size);
    // Bytes written so far, those still buffered included.
    uint64_t Size() const { return _written + _buffer.size(); }
    // Overwrites bytes already written, from `offset`; the end stays where it was. False when
    // the range reaches past the bytes written, or once any write has failed.
    bool WriteAt(uint64_t offset, const void* data, std::size_t size);
    // Flushes, syncs, closes and renames over the target; false when any step or an earlier
    // write failed.
    bool Commit();
    // Drops the new file and leaves the target as it was.
    void Discard();

private:
    bool Flush();

    std::string _target;
    std::string _temporary; // empty when writing in place
    std::vector<char> _buffer;
    uint64_t _written = 0; // bytes that left the buffer
    int _fd = -1;
    bool _failed = false;
};

// The whole file in one go, as CBK_AtomicFile does it.
bool BK_WriteFileAtomically(const std::string& path, std::string_view bytes);
