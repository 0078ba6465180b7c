#include "swf/header/swf_compressor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "core/files/atomic_file.h"
#include "swf/header/inflate_limit.h"

int gBK_SwfCompressor_LastError = 0;

namespace {

// Large buffers keep zlib and the file system busy; the zlib stream does not depend on them.
constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kHeaderBytes = 8;

enum class Form { Unreadable, Other, Plain, Compressed };

std::string SystemName(const CBK_Path& path) {
    return BK_WideToFileSystemName(path.GetFullPathString());
}

class InputFile {
public:
    explicit InputFile(const CBK_Path& path) : InputFile(SystemName(path)) {}
    explicit InputFile(const std::string& name) : _fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~InputFile() {
        if (_fd >= 0)
            ::close(_fd);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const { return _fd >= 0; }
    // Bytes from the current position to the end; 0 when that cannot be told.
    uint64_t Left() const {
        struct stat info;
        const off_t at = ::lseek(_fd, 0, SEEK_CUR);
        if (at < 0 || ::fstat(_fd, &info) != 0 || info.st_size <= at)
            return 0;
        return uint64_t(info.st_size - at);
    }
    // Up to `size` bytes, fewer only at the end of the file; -1 on a read error.
    ssize_t Read(void* data, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(_fd, static_cast<char*>(data) + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(done);
    }

private:
    int _fd;
};

Form FileForm(const CBK_Path& path) {
    InputFile in(path);
    if (!in.IsOpen())
        return Form::Unreadable;
    uint8_t signature[3];
    if (in.Read(signature, 3) != 3 || signature[1] != 'W' || signature[2] != 'S')
        return Form::Other;
    if (signature[0] == 'F')
        return Form::Plain;
    return signature[0] == 'C' ? Form::Compressed : Form::Other;
}

// A folder is never replaced, nor a file without `replace`.
bool OpenOutput(const CBK_Path& path, bool replace, CBK_AtomicFile& out) {
    const std::string name = SystemName(path);
    struct stat info;
    if (name.empty() || (::stat(name.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !replace)))
        return false;
    return out.Open(name);
}

// Typed before it takes the target's place, so no reader sees it untyped.
bool CommitAsSwf(CBK_AtomicFile& out) {
    out.SetFileTypes(tbx::FourCC("SWF2"), tbx::FourCC("SWFL"));
    return out.Commit();
}

bool Deflate(InputFile& in, CBK_AtomicFile& out) {
    z_stream zs{};
    if (deflateInit(&zs, 9) != Z_OK)
        return false;
    std::vector<uint8_t> input(kChunk), output(kChunk);
    bool ok = true;
    int flush = Z_NO_FLUSH;
    while (ok && flush != Z_FINISH) {
        const ssize_t got = in.Read(input.data(), input.size());
        if (got < 0) {
            ok = false;
            break;
        }
        flush = static_cast<std::size_t>(got) < input.size() ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = input.data();
        zs.avail_in = static_cast<uInt>(got);
        do {
            zs.next_out = output.data();
            zs.avail_out = static_cast<uInt>(output.size());
            if (deflate(&zs, flush) == Z_STREAM_ERROR ||
                !out.Write(output.data(), output.size() - zs.avail_out)) {
                ok = false;
                break;
            }
        } while (zs.avail_out == 0);
    }
    const bool ended = ok && deflateEnd(&zs) == Z_OK;
    if (!ok)
        deflateEnd(&zs);
    return ended;
}

// Stops once `limit` bytes came out, so that a small file cannot inflate without bound;
// `produced` counts them. `damaged` tells a stream that failed from output that did.
bool Inflate(InputFile& in, CBK_AtomicFile& out, uint64_t limit, uint64_t& produced,
             bool& damaged) {
    damaged = false;
    produced = 0;
    if (limit == 0)
        return true;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    std::vector<uint8_t> input(kChunk), output(kChunk);
    bool ok = false;
    for (;;) {
        if (zs.avail_in == 0) {
            const ssize_t got = in.Read(input.data(), input.size());
            if (got <= 0) { // a read error, or the data ended inside the stream
                damaged = true;
                break;
            }
            zs.next_in = input.data();
            zs.avail_in = static_cast<uInt>(got);
        }
        const auto room = static_cast<uInt>(std::min<uint64_t>(output.size(), limit));
        zs.next_out = output.data();
        zs.avail_out = room;
        const int status = inflate(&zs, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            damaged = true;
            break;
        }
        const uInt made = room - zs.avail_out;
        if (!out.Write(output.data(), made))
            break;
        produced += made;
        limit -= made;
        if (status == Z_STREAM_END || limit == 0) {
            ok = true;
            break;
        }
    }
    inflateEnd(&zs);
    return ok;
}

uint64_t DeclaredBodyLength(const uint8_t header[kHeaderBytes]) {
    const uint32_t length = uint32_t(header[4]) | uint32_t(header[5]) << 8 |
                            uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
    return length > kHeaderBytes ? length - kHeaderBytes : 0;
}

// A second name for the file, or where the file system has no hard links a copy.
bool Duplicate(const std::string& name, const std::string& copy) {
    // A symbolic link is followed, as the conversion follows it.
    if (::linkat(AT_FDCWD, name.c_str(), AT_FDCWD, copy.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST || errno == ENOENT || errno == EACCES)
        return false;
    InputFile in(name);
    CBK_AtomicFile out;
    if (!in.IsOpen() || !out.Open(copy))
        return false;
    std::vector<uint8_t> buffer(kChunk);
    for (;;) {
        const ssize_t got = in.Read(buffer.data(), buffer.size());
        if (got < 0 || !out.Write(buffer.data(), static_cast<std::size_t>(got)))
            return false;
        if (static_cast<std::size_t>(got) < buffer.size())
            return out.Commit();
    }
}

using Conversion = bool (*)(const CBK_Path&, const CBK_Path&, bool);

bool ConvertInPlace(const CBK_Path& path, bool keepBackup, Conversion convert, Form from, Form to) {
    const Form form = FileForm(path);
    if (form != from) {
        // The conversion refuses it before touching anything and records why. A file that
        // is already in the requested form needs no work.
        convert(path, path, true);
        return !keepBackup && form == to;
    }
    if (!keepBackup)
        return convert(path, path, true);
    // The movie never leaves its name: the backup is a second name for it, made under a
    // provisional name, and the converted movie replaces it in one rename. A crash at any
    // point leaves the movie whole under its own name, and a failure leaves the old backup.
    const std::string name = SystemName(path);
    const std::string backup = name + "~";
    const std::string pending = backup + ".partial";
    ::unlink(pending.c_str()); // left by a run that was killed
    if (!Duplicate(name, pending))
        return false;
    if (!convert(path, path, true)) {
        ::unlink(pending.c_str());
        return false;
    }
    return ::rename(pending.c_str(), backup.c_str()) == 0;
}

} // namespace

bool CBK_SwfCompressor::IsValidSwf(const CBK_Path& path) {
    const Form form = FileForm(path);
    return form == Form::Plain || form == Form::Compressed;
}

bool CBK_SwfCompressor::IsCompressedSwf(const CBK_Path& path) {
    const Form form = FileForm(path);
    if (form == Form::Unreadable)
        gBK_SwfCompressor_LastError = ERROR_CANNOT_OPEN_SOURCE;
    return form == Form::Compressed;
}

bool CBK_SwfCompressor::CompressSwf(const CBK_Path& source, const CBK_Path& destination,
                                    bool replace) {
    const Form form = FileForm(source);
    if (form != Form::Plain && form != Form::Compressed) {
        gBK_SwfCompressor_LastError = ERROR_NOT_SWF;
        return false;
    }
    if (form == Form::Compressed) // nothing to do, and no reason to record
        return false;
    InputFile in(source);
    CBK_AtomicFile out;
    if (!OpenOutput(destination, replace, out)) {
        gBK_SwfCompressor_LastError = ERROR_CANNOT_CREATE_OUTPUT;
        return false;
    }
    uint8_t header[kHeaderBytes];
    if (!in.IsOpen() || in.Read(header, kHeaderBytes) != ssize_t(kHeaderBytes) ||
        std::memcmp(header, "FWS", 3) != 0)
        return false;
    header[0] = 'C';
    return out.Write(header, kHeaderBytes) && Deflate(in, out) && CommitAsSwf(out);
}

bool CBK_SwfCompressor::DecompressSwf(const CBK_Path& source, const CBK_Path& destination,
                                      bool replace) {
    const Form form = FileForm(source);
    if (form != Form::Compressed) {
        gBK_SwfCompressor_LastError =
            form == Form::Unreadable ? ERROR_CANNOT_OPEN_SOURCE : ERROR_NOT_COMPRESSED_SWF;
        return false;
    }
    InputFile in(source);
    if (!in.IsOpen()) {
        gBK_SwfCompressor_LastError = ERROR_CANNOT_OPEN_SOURCE;
        return false;
    }
    CBK_AtomicFile out;
    if (!OpenOutput(destination, replace, out)) {
        gBK_SwfCompressor_LastError = ERROR_CANNOT_CREATE_OUTPUT;
        return false;
    }
    uint8_t header[kHeaderBytes];
    if (in.Read(header, kHeaderBytes) != ssize_t(kHeaderBytes) ||
        std::memcmp(header, "CWS", 3) != 0) {
        gBK_SwfCompressor_LastError = ERROR_NOT_COMPRESSED_SWF;
        return false;
    }
    header[0] = 'F';
    // Never beyond what the readers would hold of it: a stream that gives a byte more is a
    // compression bomb, refused with its reason.
    const uint64_t declared = DeclaredBodyLength(header);
    const uint64_t bound = ravuz::SwfInflateLimit(in.Left() + kHeaderBytes) - kHeaderBytes;
    uint64_t produced = 0;
    bool damaged = false;
    if (!out.Write(header, kHeaderBytes))
        return false;
    if (!Inflate(in, out, std::min(declared, bound + 1), produced, damaged)) {
        if (damaged)
            gBK_SwfCompressor_LastError = ERROR_DAMAGED_STREAM;
        return false;
    }
    if (produced > bound) {
        gBK_SwfCompressor_LastError = ERROR_INFLATES_TOO_FAR;
        return false;
    }
    return CommitAsSwf(out);
}

bool CBK_SwfCompressor::CompressSwf(const CBK_Path& path, bool keepBackup) {
    return ConvertInPlace(path, keepBackup,
                          static_cast<Conversion>(&CBK_SwfCompressor::CompressSwf), Form::Plain,
                          Form::Compressed);
}

bool CBK_SwfCompressor::DecompressSwf(const CBK_Path& path, bool keepBackup) {
    return ConvertInPlace(path, keepBackup,
                          static_cast<Conversion>(&CBK_SwfCompressor::DecompressSwf),
                          Form::Compressed, Form::Plain);
}
