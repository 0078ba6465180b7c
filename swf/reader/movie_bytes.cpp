#include "swf/reader/movie_bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <zlib.h>

#include "core/memory/large_block.h"
#include "core/paths/path.h"
#include "swf/header/inflate_limit.h"

namespace ravuz {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr uint32_t kSignatureBytes = 8; // signature, version and length
// Blocks from this size on are mappings whose pages are taken only as they are written,
// in huge pages of this size where the system gives them.
constexpr uint64_t kMappedFrom = uint64_t(2) << 20;

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

// The memory `used` bytes of a block made for `room` take.
uint64_t HeldBytes(uint64_t room, uint64_t used) {
    if (room < kMappedFrom)
        return SwfHeapCost(room);
    return (used + kMappedFrom - 1) / kMappedFrom * kMappedFrom;
}

// Reads up to `count` bytes of the file to `at`; returns how many.
uint64_t ReadFile(std::FILE* file, uint8_t* at, uint64_t count) {
    uint64_t done = 0;
    while (done < count) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(count - done, kChunk));
        const std::size_t got = std::fread(at + done, 1, want, file);
        done += got;
        if (got < want)
            break;
    }
    return done;
}

// Inflates the rest of the file to `at`, `room` bytes at most: fewer when the zlib stream
// ends or is damaged (what came out stays). `made` gets the count; true when the stream
// holds more than the room.
bool Inflate(std::FILE* file, uint8_t* at, uint64_t room, uint64_t& made) {
    made = 0;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
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
        // Past the room, one byte more tells whether the stream goes on.
        const auto want = static_cast<uInt>(std::min<uint64_t>(room - made, kChunk));
        zs.next_out = want ? at + made : &beyond;
        zs.avail_out = want ? want : 1;
        status = inflate(&zs, Z_NO_FLUSH);
        const uInt out = (want ? want : 1) - zs.avail_out;
        if (want)
            made += out;
        else
            more = out > 0;
        if (status == Z_BUF_ERROR && (out > 0 || zs.avail_in == 0))
            status = Z_OK; // room or input ran out; more of either follows
    }
    inflateEnd(&zs);
    return more;
}

} // namespace

SwfLoadResult SwfLoadMovieBytes(const CBK_Path& path, bool checkSignature, uint32_t maxBytes,
                                SwfMovieBytes& out) {
    out = {};
    File file(path.OpenAsStdFile(L"rb"));
    if (!file)
        return SwfLoadResult::CannotOpen;
    out.fileBytes = BytesLeft(file.get());
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
    uint64_t rest = 0;
    if (got == headBytes) {
        const uint32_t total = maxBytes ? maxBytes : LengthAt(head + 4);
        rest = total > kSignatureBytes ? total - kSignatureBytes : 0;
    }
    // Plain bytes are no more than the file holds; inflated ones no more than the movie may
    // take. A stated length beyond either takes address space only.
    const uint64_t limit = SwfInflateLimit(out.fileBytes) - kSignatureBytes;
    const uint64_t room = std::min(rest, compressed ? limit : BytesLeft(file.get()));
    std::shared_ptr<uint8_t> block = BK_AllocateLargeBlock(got + room);
    if (!block)
        return SwfLoadResult::TooLarge;
    std::memcpy(block.get(), head + skipped, got);
    uint64_t made = 0;
    if (!compressed) {
        made = ReadFile(file.get(), block.get() + got, room);
    } else if (Inflate(file.get(), block.get() + got, room, made) && rest > room) {
        return SwfLoadResult::TooLarge;
    }
    out.bytes = {std::move(block), static_cast<uint32_t>(got + made)};
    out.heldBytes = HeldBytes(got + room, got + made);
    return SwfLoadResult::Loaded;
}

} // namespace ravuz
