#include "platform/files/fs_sidecar.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files/fs_catalog.h"
#include "platform/files/fs_internal.h"
#include "platform/files/fs_temporary.h"

namespace tbx::fs_detail {

namespace {

constexpr UInt32 kMagic = 0x00051607u;
constexpr UInt32 kVersion = 0x00020000u;
constexpr UInt32 kForkEntry = 2;
constexpr UInt32 kDatesEntry = 8;
constexpr SInt64 kEntryTable = 26;
constexpr SInt64 kEntrySize = 12;
constexpr SInt64 kDatesSize = 16;
// Seconds from 1904 (the catalogue's dates) to 2000 (the sidecar's).
constexpr SInt64 kSidecarEpoch = 3029529600;

void PutBig32(UInt8* out, UInt32 value) {
    out[0] = UInt8(value >> 24);
    out[1] = UInt8(value >> 16);
    out[2] = UInt8(value >> 8);
    out[3] = UInt8(value);
}

UInt32 GetBig32(const UInt8* in) {
    return (UInt32(in[0]) << 24) | (UInt32(in[1]) << 16) | (UInt32(in[2]) << 8) | in[3];
}

bool ReadAll(int fd, void* data, std::size_t size, SInt64 at) {
    return pread(fd, data, size, off_t(at)) == ssize_t(size);
}

std::string DatesBytes(SInt32 created) {
    std::string bytes(std::size_t(kDatesSize), '\0');
    UInt8* out = reinterpret_cast<UInt8*>(bytes.data());
    PutBig32(out, UInt32(created));
    for (int i = 1; i < 4; ++i)
        PutBig32(out + 4 * i, UInt32(kUnknownSidecarDate));
    return bytes;
}

struct Entry {
    UInt32 id;
    SInt64 offset, length;
};

// The entries of a valid sidecar, in table order.
bool ReadEntries(int fd, std::vector<Entry>& entries, UInt8 header[kEntryTable]) {
    if (!ReadAll(fd, header, kEntryTable, 0))
        return false;
    const unsigned count = (unsigned(header[24]) << 8) | header[25];
    std::vector<UInt8> table(std::size_t(kEntrySize) * count);
    if (count > 0 && !ReadAll(fd, table.data(), table.size(), kEntryTable))
        return false;
    for (unsigned i = 0; i < count; ++i) {
        const UInt8* entry = table.data() + kEntrySize * i;
        entries.push_back({GetBig32(entry), GetBig32(entry + 4), GetBig32(entry + 8)});
    }
    return true;
}

} // namespace

bool WriteAll(int fd, const void* data, std::size_t size, SInt64 at) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = pwrite(fd, bytes, size, off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= std::size_t(n);
        at += n;
    }
    return true;
}

bool CopyRange(int from, SInt64 offset, SInt64 length, int to, SInt64 at) {
    std::vector<char> buffer(std::size_t(std::clamp<SInt64>(length, 1, 1 << 16)));
    while (length > 0) {
        const std::size_t want = std::size_t(std::min<SInt64>(length, SInt64(buffer.size())));
        const ssize_t n = pread(from, buffer.data(), want, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        if (!WriteAll(to, buffer.data(), std::size_t(n), at))
            return false;
        offset += n;
        at += n;
        length -= n;
    }
    return true;
}

std::string SidecarPath(const std::string& path) {
    return Join(ParentOf(path), SidecarName(LeafOf(path)));
}

std::string SidecarName(const std::string& leaf) {
    return "._" + leaf;
}

int OpenSidecar(int dirfd, const std::string& name, bool forWriting) {
    const std::string sidecar = dirfd == AT_FDCWD ? SidecarPath(name) : SidecarName(name);
    // Only a plain file is opened: a device or a pipe in its place is never waited on.
    struct stat info;
    if (fstatat(dirfd, sidecar.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return -1;
    const int fd = openat(dirfd, sidecar.c_str(),
                          (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return -1;
    UInt8 magic[4];
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ReadAll(fd, magic, sizeof magic, 0) ||
        GetBig32(magic) != kMagic) {
        close(fd);
        return -1;
    }
    return fd;
}

bool HasSidecarAt(int dirfd, const std::string& name) {
    struct stat info;
    if ((dirfd == AT_FDCWD && name == "/") ||
        fstatat(dirfd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
        return false;
    const Descriptor fd(OpenSidecar(dirfd, name));
    if (fd.Get() < 0)
        return false;
    // Other systems leave AppleDouble files beside folders too: only one with dates is ours.
    SidecarLayout layout;
    OSErr error;
    return S_ISREG(info.st_mode) ||
           (ReadSidecarLayout(fd.Get(), layout, error) && layout.datesOffset >= 0);
}

namespace {

// Beside a folder only a sidecar with dates is one; any AppleDouble file beside anything else.
bool Replaceable(int dirfd, const std::string& name) {
    struct stat info;
    if (fstatat(dirfd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode))
        return HasSidecarAt(dirfd, name);
    const int fd = OpenSidecar(dirfd, name);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

} // namespace

void RemoveStaleSidecar(int dirfd, const std::string& name) {
    if (!Replaceable(dirfd, name))
        return;
    const std::string sidecar = dirfd == AT_FDCWD ? SidecarPath(name) : SidecarName(name);
    unlinkat(dirfd, sidecar.c_str(), 0);
}

bool HasSidecar(const std::string& path) {
    return HasSidecarAt(AT_FDCWD, path);
}

bool SidecarPlaceFree(int dirfd, const std::string& name) {
    const std::string sidecar = dirfd == AT_FDCWD ? SidecarPath(name) : SidecarName(name);
    struct stat info;
    return fstatat(dirfd, sidecar.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
           Replaceable(dirfd, name);
}

bool ReadSidecarLayout(int fd, SidecarLayout& layout, OSErr& error) {
    error = ioErr;
    layout = SidecarLayout();
    UInt8 header[kEntryTable];
    std::vector<Entry> entries;
    struct stat info;
    if (!ReadAll(fd, header, sizeof header, 0) || GetBig32(header) != kMagic ||
        GetBig32(header + 4) != kVersion || fstat(fd, &info) != 0)
        return false;
    const unsigned count = (unsigned(header[24]) << 8) | header[25];
    const SInt64 tableEnd = kEntryTable + kEntrySize * SInt64(count);
    if (tableEnd > info.st_size || !ReadEntries(fd, entries, header))
        return false;
    std::vector<Entry> spans;
    bool found = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (entry.length > 0 &&
            (entry.offset < tableEnd || entry.offset + entry.length > info.st_size))
            return false;
        if (entry.length > 0)
            spans.push_back(entry);
        if (entry.id == kForkEntry && !found) {
            found = true;
            // An empty fork has no place of its own: it grows at the end.
            layout.forkOffset = entry.length > 0 ? entry.offset : SInt64(info.st_size);
            layout.forkLength = entry.length;
            layout.forkEntry = kEntryTable + kEntrySize * SInt64(i) + 4;
        } else if (entry.id == kDatesEntry && entry.length >= kDatesSize &&
                   layout.datesOffset < 0) {
            layout.datesOffset = entry.offset;
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i - 1].offset + spans[i - 1].length > spans[i].offset)
            return false;
    if (found)
        error = noErr;
    return found;
}

std::string NewSidecar(const SInt32* created) {
    const unsigned count = created ? 2 : 1;
    const SInt64 tableEnd = kEntryTable + kEntrySize * count;
    std::string bytes(std::size_t(tableEnd), '\0');
    UInt8* out = reinterpret_cast<UInt8*>(bytes.data());
    PutBig32(out, kMagic);
    PutBig32(out + 4, kVersion);
    out[25] = UInt8(count);
    UInt8* entry = out + kEntryTable;
    if (created) {
        PutBig32(entry, kDatesEntry);
        PutBig32(entry + 4, UInt32(tableEnd));
        PutBig32(entry + 8, UInt32(kDatesSize));
        entry += kEntrySize;
    }
    PutBig32(entry, kForkEntry);
    PutBig32(entry + 4, UInt32(tableEnd + (created ? kDatesSize : 0)));
    return created ? bytes + DatesBytes(*created) : bytes;
}

bool WriteForkEntry(int fd, SInt64 entry, SInt64 offset, SInt64 length) {
    UInt8 bytes[8];
    PutBig32(bytes, UInt32(offset));
    PutBig32(bytes + 4, UInt32(length));
    return WriteAll(fd, bytes, sizeof bytes, entry);
}

bool ToSidecarDate(const UTCDateTime& date, SInt32& out) {
    const SInt64 seconds = (SInt64(date.highSeconds) << 32) + date.lowSeconds - kSidecarEpoch;
    if (seconds <= INT32_MIN || seconds > INT32_MAX)
        return false;
    out = SInt32(seconds);
    return true;
}

UTCDateTime FromSidecarDate(SInt32 date) {
    const SInt64 seconds = SInt64(date) + kSidecarEpoch;
    UTCDateTime out;
    out.highSeconds = UInt16(seconds >> 32);
    out.lowSeconds = UInt32(seconds);
    return out;
}

bool ReadSidecarCreateDate(int sidecar, UTCDateTime& out) {
    SidecarLayout layout;
    OSErr error;
    UInt8 bytes[4];
    if (!ReadSidecarLayout(sidecar, layout, error) || layout.datesOffset < 0 ||
        !ReadAll(sidecar, bytes, sizeof bytes, layout.datesOffset) ||
        SInt32(GetBig32(bytes)) == kUnknownSidecarDate)
        return false;
    out = FromSidecarDate(SInt32(GetBig32(bytes)));
    return true;
}

OSErr RebuildSidecar(const std::string& path, const SInt32* created, const std::string_view* fork) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0)
        return FSErrorFromErrno(errno);
    const std::string sidecar = SidecarPath(path);
    const Descriptor source(OpenSidecar(AT_FDCWD, path));
    const int old = source.Get();
    struct stat info;
    if (old < 0 && lstat(sidecar.c_str(), &info) == 0)
        return ioErr; // that name is someone else's file
    // The other entries as they were, then the dates, then the fork: only a fork that ends the
    // sidecar is taken, as one that other entries follow could not grow in place.
    UInt8 header[kEntryTable] = {};
    std::vector<Entry> entries;
    SidecarLayout layout;
    OSErr error = noErr;
    if (old >= 0) {
        if (!ReadSidecarLayout(old, layout, error) || fstat(old, &info) != 0 ||
            !ReadEntries(old, entries, header))
            return ioErr;
        if (layout.forkOffset + layout.forkLength != info.st_size)
            return permErr;
    } else {
        const std::string fresh = NewSidecar(nullptr);
        std::copy(fresh.begin(), fresh.begin() + kEntryTable, header);
    }
    std::vector<Entry> kept;
    for (const Entry& entry : entries)
        if (entry.id != kForkEntry && entry.id != kDatesEntry)
            kept.push_back(entry);
    std::string dates;
    if (created) {
        dates = DatesBytes(*created);
        if (layout.datesOffset >= 0)
            ReadAll(old, dates.data() + 4, 12, layout.datesOffset + 4);
    } else if (layout.datesOffset >= 0) {
        dates.resize(std::size_t(kDatesSize));
        ReadAll(old, dates.data(), dates.size(), layout.datesOffset);
    }
    const std::size_t count = kept.size() + (dates.empty() ? 1 : 2);
    SInt64 total = kEntryTable + kEntrySize * SInt64(count) + SInt64(dates.size()) +
                   (fork ? SInt64(fork->size()) : layout.forkLength);
    for (const Entry& entry : kept)
        total += entry.length;
    if (total > SInt64(UINT32_MAX))
        return dskFulErr; // offsets in a sidecar are 32-bit
    header[24] = UInt8(count >> 8);
    header[25] = UInt8(count);

    std::string temporary;
    const int fd = FSOpenTemporaryBeside(sidecar, 0600, temporary);
    if (fd < 0)
        return FSErrorFromErrno(errno);
    SInt64 at = kEntryTable + kEntrySize * SInt64(count);
    std::string table;
    auto add = [&](UInt32 id, SInt64 length) {
        UInt8 entry[kEntrySize];
        PutBig32(entry, id);
        PutBig32(entry + 4, UInt32(at));
        PutBig32(entry + 8, UInt32(length));
        table.append(reinterpret_cast<const char*>(entry), sizeof entry);
        at += length;
    };
    bool ok = fchmod(fd, (old >= 0 ? info.st_mode : file.st_mode) & 0666) == 0 &&
              WriteAll(fd, header, sizeof header, 0);
    for (const Entry& entry : kept) {
        ok = ok && CopyRange(old, entry.offset, entry.length, fd, at);
        add(entry.id, entry.length);
    }
    if (!dates.empty()) {
        ok = ok && WriteAll(fd, dates.data(), dates.size(), at);
        add(kDatesEntry, kDatesSize);
    }
    if (fork) {
        ok = ok && WriteAll(fd, fork->data(), fork->size(), at);
        add(kForkEntry, SInt64(fork->size()));
    } else {
        ok = ok && CopyRange(old, layout.forkOffset, layout.forkLength, fd, at);
        add(kForkEntry, layout.forkLength);
    }
    ok = ok && WriteAll(fd, table.data(), table.size(), kEntryTable) && fsync(fd) == 0;
    const int failure = ok ? 0 : (errno ? errno : EIO);
    // Renamed or removed while its lock still keeps others' cleaners away.
    if (!ok || rename(temporary.c_str(), sidecar.c_str()) != 0) {
        const int saved = failure ? failure : errno;
        unlink(temporary.c_str());
        close(fd);
        return FSErrorFromErrno(saved);
    }
    close(fd);
    return noErr;
}

OSErr StoreCreateDate(const std::string& path, const UTCDateTime& date) {
    SInt32 created = 0;
    if (!ToSidecarDate(date, created))
        return paramErr;
    struct stat file;
    if (stat(path.c_str(), &file) != 0)
        return FSErrorFromErrno(errno);
    if (!S_ISREG(file.st_mode) && !S_ISDIR(file.st_mode))
        return notAFileErr;
    if (path == "/")
        return paramErr;
    // A sidecar that has a place for the dates takes them in place.
    const Descriptor sidecar(OpenSidecar(AT_FDCWD, path, true));
    if (sidecar.Get() >= 0) {
        SidecarLayout layout;
        OSErr error = noErr;
        if (!ReadSidecarLayout(sidecar.Get(), layout, error))
            return error;
        if (layout.datesOffset >= 0) {
            UInt8 bytes[4];
            PutBig32(bytes, UInt32(created));
            return WriteAll(sidecar.Get(), bytes, sizeof bytes, layout.datesOffset)
                       ? OSErr(noErr)
                       : FSErrorFromErrno(errno);
        }
    }
    return RebuildSidecar(path, &created, nullptr);
}

} // namespace tbx::fs_detail
