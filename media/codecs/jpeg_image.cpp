#include "media/codecs/jpeg_image.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/files/atomic_file.h"
#include "media/codecs/codec_files.h"
#include "media/codecs/jpeg_library.h"
#include "media/image/image_size.h"
#include "platform/jpeg/jpeg_decode.h"

int32_t gBK_JpegQuality = 80;

namespace {

// Everything that libjpeg touches lives here, outside the frames that call setjmp, and holds
// no object with a destructor: a jump back skips none.

struct Destination {
    jpeg_destination_mgr pub; // first, so that libjpeg's pointer is ours
    uint8_t* buffer;          // new[]; grows when libjpeg fills it
    std::size_t capacity;
    std::size_t written;
};

void _BK_JpegInitializeDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
    dest->written = 0;
}

// Called when the buffer is full: the output goes on in a buffer twice the size.
boolean _BK_JpegEmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const std::size_t used = dest->capacity;
    const std::size_t grown = std::min(used * 2, kBK_MaxImageBytes);
    uint8_t* buffer = grown > used ? new (std::nothrow) uint8_t[grown] : nullptr;
    if (!buffer)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    std::memcpy(buffer, dest->buffer, used);
    delete[] dest->buffer;
    dest->buffer = buffer;
    dest->capacity = grown;
    dest->pub.next_output_byte = buffer + used;
    dest->pub.free_in_buffer = grown - used;
    return TRUE;
}

void _BK_JpegTerminateDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->written = dest->capacity - dest->pub.free_in_buffer;
}

void _BK_JpegMemoryDest(j_compress_ptr cinfo, Destination& dest) {
    dest.pub.init_destination = _BK_JpegInitializeDestination;
    dest.pub.empty_output_buffer = _BK_JpegEmptyOutputBuffer;
    dest.pub.term_destination = _BK_JpegTerminateDestination;
    cinfo->dest = &dest.pub;
}

struct CompressJob {
    jpeg_compress_struct cinfo;
    bk_jpeg::ErrorManager err;
    Destination dest;
    uint32_t width, height;
    const uint8_t* pixels;
    int quality;
};

bool Compress(CompressJob* job) {
    jpeg_compress_struct* cinfo = &job->cinfo;
    cinfo->err = bk_jpeg::InstallErrorManager(job->err);
    if (setjmp(job->err.jump)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    _BK_JpegMemoryDest(cinfo, job->dest);
    cinfo->image_width = job->width;
    cinfo->image_height = job->height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, job->quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const std::size_t rowBytes = std::size_t(job->width) * 3;
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->pixels + cinfo->next_scanline * rowBytes);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

// The JPEG bytes of the pixels in a new[] buffer of `capacity` bytes, `written` of them used.
bool CompressToMemory(uint32_t width, uint32_t height, const uint8_t* pixels, int quality,
                      std::unique_ptr<uint8_t[]>& buffer, std::size_t& capacity,
                      std::size_t& written) {
    std::size_t raw;
    if (!pixels || width == 0 || height == 0 || !BK_ImageByteSize(width, height, 3, raw))
        return false;
    auto job = std::make_unique<CompressJob>();
    std::memset(job.get(), 0, sizeof(CompressJob));
    job->width = width;
    job->height = height;
    job->pixels = pixels;
    job->quality = quality;
    job->dest.capacity = std::min(bk_jpeg::test::FirstBufferSize(raw), kBK_MaxImageBytes);
    job->dest.buffer = new (std::nothrow) uint8_t[job->dest.capacity];
    if (!job->dest.buffer)
        return false;
    const bool ok = Compress(job.get());
    buffer.reset(job->dest.buffer);
    capacity = job->dest.capacity;
    written = job->dest.written;
    return ok;
}

// A marker segment that carries no length.
bool IsStandalone(uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// The states of a segment walk at one byte: between segments before or after the scan, or
// inside entropy-coded data. A walk's course from a state depends on nothing else.
enum WalkState : uint8_t { kBeforeScan = 1, kAfterScan = 2, kInScan = 4 };

// Walks the segments of a stream whose start-of-image marker is at `start`; the offset just
// after its end-of-image marker, or 0 when the segments do not lead there. With `seen`, every
// state passed is marked there, and a walk that reaches a state marked by an earlier walk
// that failed gives up at once, as it would fail the same way.
std::size_t WalkSegments(const uint8_t* bytes, std::size_t size, std::size_t start, uint8_t* seen) {
    auto visited = [seen](std::size_t pos, uint8_t state) {
        if (!seen)
            return false;
        if (seen[pos] & state)
            return true;
        seen[pos] |= state;
        return false;
    };
    std::size_t pos = start + 2;
    bool scanned = false;
    while (pos < size) {
        if (bytes[pos] != 0xFF)
            return 0;
        while (pos < size && bytes[pos] == 0xFF) { // fill bytes
            if (visited(pos, scanned ? kAfterScan : kBeforeScan))
                return 0;
            ++pos;
        }
        if (pos >= size)
            return 0;
        const uint8_t marker = bytes[pos++];
        if (marker == 0xD9)
            return scanned ? pos : 0;
        if (marker == 0xD8 || marker == 0x00)
            return 0;
        if (IsStandalone(marker))
            continue;
        if (size - pos < 2)
            return 0;
        const std::size_t length = (std::size_t(bytes[pos]) << 8) | bytes[pos + 1];
        if (length < 2 || length > size - pos)
            return 0;
        pos += length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data runs to the next marker other than a stuffed zero, a restart
        // marker or fill.
        scanned = true;
        while (pos < size) {
            if (visited(pos, kInScan))
                return 0;
            if (bytes[pos] != 0xFF) {
                ++pos;
                continue;
            }
            std::size_t next = pos + 1;
            while (next < size && bytes[next] == 0xFF)
                ++next;
            if (next >= size)
                return 0;
            if (bytes[next] == 0x00 || (bytes[next] >= 0xD0 && bytes[next] <= 0xD7)) {
                pos = next + 1;
                continue;
            }
            pos = next - 1; // the marker's 0xFF
            break;
        }
    }
    return 0;
}

} // namespace

void CBK_ImageJpg::SetQuality(int32_t quality) {
    _quality = std::clamp<int32_t>(quality, 0, 100);
    gBK_JpegQuality = _quality;
}

bool CBK_ImageJpg::CreateFromBuffer(uint32_t width, uint32_t height, uint16_t,
                                    const uint8_t* pixels) {
    _data.reset();
    _size = 0;
    _compressedSize = 0;
    std::unique_ptr<uint8_t[]> buffer;
    std::size_t capacity = 0, written = 0;
    if (!CompressToMemory(width, height, pixels, _quality, buffer, capacity, written))
        return false;
    _data = std::move(buffer);
    _size = capacity;
    _compressedSize = uint32_t(written);
    return true;
}

bool CBK_ImageJpg::WriteFromBuffer(uint32_t width, uint32_t height, uint16_t, const uint8_t* pixels,
                                   CBK_Path& path, const void*, int32_t) {
    std::unique_ptr<uint8_t[]> buffer;
    std::size_t capacity = 0, written = 0;
    if (!CompressToMemory(width, height, pixels, std::clamp<int32_t>(gBK_JpegQuality, 0, 100),
                          buffer, capacity, written))
        return false;
    return BK_WriteFileAtomically(
        BK_CodecFileName(path),
        std::string_view(reinterpret_cast<const char*>(buffer.get()), written));
}

bool CBK_ImageJpg::Read(CBK_Path& path) {
    std::vector<uint8_t> bytes;
    if (!BK_ReadWholeFile(path, bytes, kBK_MaxImageBytes))
        return false;
    return Read(bytes.data(), bytes.size());
}

bool CBK_ImageJpg::Read(const uint8_t* bytes, std::size_t size) {
    // Into the spare buffer when it fits exactly, never into the pixels held: they stay as
    // they are until the decode has succeeded, and then become the spare for the next.
    std::size_t spareBytes = 0;
    std::unique_ptr<uint8_t[]> spare = _TakeSpare(spareBytes);
    tbx::jpeg::RgbPixels decoded;
    const bool decodedOk =
        tbx::jpeg::DecodeToRgb(bytes, size, kBK_MaxImageBytes, decoded, spare, spareBytes);
    _Retire(std::move(spare), spareBytes);
    if (!decodedOk)
        return false;
    _Retire(std::move(_data), _size);
    const std::size_t pixelBytes = std::size_t(decoded.width) * decoded.height * 3;
    _Adopt(std::move(decoded.pixels), pixelBytes, int32_t(decoded.width), int32_t(decoded.height),
           24);
    return true;
}

const uint8_t* CBK_ImageJpg::IsValidJpeg(const uint8_t* bytes, std::size_t size,
                                         std::size_t* length) {
    if (!bytes)
        return nullptr;
    // Once a walk has failed, later walks share its marks, so that no state is walked twice
    // and a buffer full of start markers is searched in linear time.
    std::unique_ptr<uint8_t[]> seen;
    bool failed = false;
    for (std::size_t start = 0; start + 1 < size; ++start) {
        if (bytes[start] != 0xFF || bytes[start + 1] != 0xD8)
            continue;
        if (failed && !seen) {
            seen.reset(new (std::nothrow) uint8_t[size]());
            if (!seen)
                return nullptr;
        }
        const std::size_t end = WalkSegments(bytes, size, start, seen.get());
        if (end) {
            if (length)
                *length = end - start;
            return bytes + start;
        }
        failed = true;
    }
    return nullptr;
}
