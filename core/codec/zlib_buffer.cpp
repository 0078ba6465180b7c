#include "core/codec/zlib_buffer.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>

#include <zlib.h>

namespace {

std::atomic<int32_t> gLastError{Z_OK};

constexpr std::size_t kMaxChunk = UINT_MAX; // z_stream counts in uInt

} // namespace

int32_t BK_ZlibLastError() {
    return gLastError.load();
}

unsigned char* BK_ZlibCompress(const unsigned char* src, std::size_t n, std::size_t& length) {
    if (!src || n > std::numeric_limits<std::size_t>::max() / 4) {
        gLastError = Z_STREAM_ERROR;
        return nullptr;
    }
    // One pass into the worst case: a first guess that is too small compresses everything
    // again, and what we compress most (video, sound, JPEG) barely shrinks.
    const uLong capacity = compressBound(static_cast<uLong>(n));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[capacity]);
    if (!buffer) {
        gLastError = Z_MEM_ERROR;
        return nullptr;
    }
    uLongf size = capacity;
    const int result = compress(buffer.get(), &size, src, static_cast<uLong>(n));
    gLastError = result;
    if (result != Z_OK)
        return nullptr;
    length = size;
    // Data that shrank well is handed back in a buffer of its size.
    if (capacity - size > capacity / 4) {
        std::unique_ptr<unsigned char[]> exact(new (std::nothrow) unsigned char[size ? size : 1]);
        if (exact) {
            std::memcpy(exact.get(), buffer.get(), size);
            return exact.release();
        }
    }
    return buffer.release();
}

unsigned char* BK_ZlibUncompress(const unsigned char* src, std::size_t n, std::size_t& length,
                                 std::size_t maxLength) {
    if (!src || n == 0)
        return nullptr;

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return nullptr;
    struct End {
        z_stream* s;
        ~End() { inflateEnd(s); }
    } end{&stream};

    // Eight times the input first, then doubling up to the cap.
    std::size_t capacity = std::min(maxLength, n > maxLength / 8 ? maxLength : n * 8);
    capacity = std::max<std::size_t>(capacity, std::min<std::size_t>(maxLength, 64));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[capacity]);
    if (!buffer)
        return nullptr;

    std::size_t consumed = 0;
    std::size_t produced = 0;
    for (;;) {
        if (produced == capacity) {
            if (capacity >= maxLength)
                return nullptr;
            const std::size_t grown = capacity > maxLength / 2 ? maxLength : capacity * 2;
            std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[grown]);
            if (!larger)
                return nullptr;
            std::memcpy(larger.get(), buffer.get(), produced);
            buffer = std::move(larger);
            capacity = grown;
        }
        stream.next_in = const_cast<Bytef*>(src + consumed);
        stream.avail_in = static_cast<uInt>(std::min(n - consumed, kMaxChunk));
        stream.next_out = buffer.get() + produced;
        stream.avail_out = static_cast<uInt>(std::min(capacity - produced, kMaxChunk));
        const uInt inBefore = stream.avail_in;
        const uInt outBefore = stream.avail_out;
        const int result = inflate(&stream, Z_NO_FLUSH);
        consumed += inBefore - stream.avail_in;
        produced += outBefore - stream.avail_out;
        if (result == Z_STREAM_END) {
            length = produced;
            return buffer.release();
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
            return nullptr;
        // With room left for output, inflate stops only for want of input: once the input is
        // used up the stream was cut short, and a step without progress goes no further.
        if (stream.avail_out != 0 && (consumed == n || result == Z_BUF_ERROR))
            return nullptr;
    }
}
