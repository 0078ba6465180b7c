#include "swf/reader/movie_bytes.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <zlib.h>

#include "core/paths/path.h"
#include "swf/header/inflate_limit.h"

namespace ravuz {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr uint32_t kSignatureBytes = 8; // signature, version and length

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

uint32_t LengthAt(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Bytes from the file's position to its end; 0 when that cannot be told.
uint64_t BytesLeft(std::FILE* file) {
    struct stat info;
    const long at = std::ftell(file);
    if (at < 0 || ::fstat(::fileno(file), &info) != 0 || info.st_size <= at)
        return 0;
    return uint64_t(info.st_size - at);
}

// Appends up to `count` bytes of the file, in chunks, so that a length the file does not
// hold costs nothing.
void AppendFile(std::FILE* file, std::vector<uint8_t>& data, uint64_t count) {
    data.reserve(data.size() + std::min(count, BytesLeft(file)));
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(count, kChunk));
        const std::size_t old = data.size();
        data.resize(old + want);
        const std::size_t got = std::fread(data.data() + old, 1, want, file);
        data.resize(old + got);
        if (got < want)
            return;
        count -= got;
    }
}

// Inflates the rest of the file onto `data`, `count` bytes at most: fewer when the zlib
// stream ends or is damaged (what came out stays). True when the stream holds more. The
// room is taken at once, so that the data never exists twice while it grows.
bool AppendInflated(std::FILE* file, std::vector<uint8_t>& data, uint64_t count) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    data.reserve(data.size() + count);
    std::vector<uint8_t> in(64 * 1024);
    uint8_t beyond = 0;
    bool more = false;
    int status = Z_OK;
    while (status == Z_OK && !more) {
        if (zs.avail_in == 0) {
            const std::size_t got = std::fread(in.data(), 1, in.size(), file);
            if (got == 0)
                break;
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(got);
        }
        // Past `count`, one byte more tells whether the stream goes on.
        const std::size_t old = data.size();
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(count, kChunk));
        data.resize(old + want);
        zs.next_out = want ? data.data() + old : &beyond;
        zs.avail_out = want ? static_cast<uInt>(want) : 1;
        status = inflate(&zs, Z_NO_FLUSH);
        const std::size_t made = (want ? want : 1) - zs.avail_out;
        if (want) {
            data.resize(old + made);
            count -= made;
        } else {
            more = made > 0;
        }
        if (status == Z_BUF_ERROR && (made > 0 || zs.avail_in == 0))
            status = Z_OK; // room or input ran out; more of either follows
    }
    inflateEnd(&zs);
    if (data.capacity() - data.size() > kChunk)
        data.shrink_to_fit(); // a stated length that the stream did not bear out
    return more;
}

} // namespace

SwfLoadResult SwfLoadMovieBytes(const CBK_Path& path, bool checkSignature, uint32_t maxBytes,
                                std::vector<uint8_t>& data, uint64_t* fileBytes) {
    data.clear();
    File file(path.OpenAsStdFile(L"rb"));
    if (!file)
        return SwfLoadResult::CannotOpen;
    if (fileBytes)
        *fileBytes = BytesLeft(file.get());
    uint8_t head[kSignatureBytes] = {};
    const uint32_t skipped = checkSignature ? 0 : 4;
    const std::size_t headBytes = kSignatureBytes - skipped;
    const std::size_t got = std::fread(head + skipped, 1, headBytes, file.get());
    bool compressed = false;
    if (checkSignature) {
        if (got < 3 || head[1] != 'W' || head[2] != 'S' || (head[0] != 'F' && head[0] != 'C'))
            return SwfLoadResult::NotSwf;
        compressed = head[0] == 'C';
        head[0] = 'F';
    }
    data.assign(head + skipped, head + skipped + got);
    if (got < headBytes)
        return SwfLoadResult::Loaded;
    const uint32_t declared = LengthAt(head + 4);
    const uint32_t total = maxBytes ? maxBytes : declared;
    if (total <= kSignatureBytes)
        return SwfLoadResult::Loaded;
    const uint64_t rest = total - kSignatureBytes;
    if (!compressed) {
        AppendFile(file.get(), data, rest);
        return SwfLoadResult::Loaded;
    }
    // A few bytes of zlib can claim far more than any movie holds.
    const uint64_t limit = SwfInflateLimit(BytesLeft(file.get()));
    if (AppendInflated(file.get(), data, std::min(rest, limit)) && rest > limit) {
        data = {};
        return SwfLoadResult::TooLarge;
    }
    return SwfLoadResult::Loaded;
}

} // namespace ravuz
