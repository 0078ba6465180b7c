// Replacing a file's contents so that readers see either the old bytes or the new ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CBK_Path;

// A new file beside the target that takes the target's place on Commit. A symbolic link is
// followed, so the file it names is replaced, or made when it does not exist yet. A target that
// exists and is not a regular file (a folder, a pipe, a device, a socket) is refused at once,
// and so is a locked one (no write permission for anyone). Without a successful Commit the
// target is untouched and no temporary file is left behind.
//
// The replacement gets the target's permission bits, its access list (POSIX ACL) or the absence
// of one, its extended attributes (the Finder information among them) and its owner and group
// where the process may set them, as they are at Commit: it is readable by no one who could not
// read the target, whatever its folder gives new files. A target whose attributes cannot all be
// kept is not replaced: Commit fails, E2BIG for one whose attribute names take more than the
// kernel lists at once (64 KiB). A target deleted or moved away since Open leaves nothing to
// keep but who may read it: the new file takes its place with the access it had. It is a new
// file: other hard links to the target keep the old bytes, as they would after any save that
// must never leave a half-written file.
//
// The new file is a temporary file beside the target (platform/files/fs_temporary.h): up to 16
// writers of one target can work at once, and one left by a writer that died is removed when
// a later writer of the same target meets it, or when a process first writes in its folder.
class CBK_AtomicFile {
public:
    CBK_AtomicFile() = default;
    ~CBK_AtomicFile() { Discard(); }
    CBK_AtomicFile(const CBK_AtomicFile&) = delete;
    CBK_AtomicFile& operator=(const CBK_AtomicFile&) = delete;

    // False (errno tells why: EISDIR for a folder, EINVAL for another item that is not a
    // regular file, EPERM for a locked file) when the new file cannot be made.
    bool Open(const std::string& path);
    bool IsOpen() const { return _fd >= 0; }
    // Buffered; false once any write has failed.
    bool Write(const void* data, std::size_t size);
    // Bytes written so far, those still buffered included.
    uint64_t Size() const { return _written + _buffer.size(); }
    // The Finder type and creator the new file gets before it takes the target's place
    // (silently absent where the volume keeps no attributes).
    void SetFileTypes(uint32_t creator, uint32_t type);
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
    bool KeepTargetsAccess();

    std::string _target;
    std::string _temporary;
    // The target as Open met it, held (O_PATH) so that its access can still be read once it is
    // gone from its folder; -1 when there was none.
    int _original = -1;
    bool _typed = false;
    uint32_t _creator = 0, _type = 0;
    std::vector<char> _buffer;
    uint64_t _written = 0; // bytes that left the buffer
    int _fd = -1;
    bool _failed = false;
};

// The whole file in one go, as CBK_AtomicFile does it.
bool BK_WriteFileAtomically(const std::string& path, std::string_view bytes);

// Opens `file` for the item at `path` (its full path); false for an empty path, a folder,
// or an existing item when `replace` is false. The reason goes to CBK_Path's last error
// (fLckdErr for a locked file).
bool BK_OpenAtomicFile(CBK_AtomicFile& file, const CBK_Path& path, bool replace);
