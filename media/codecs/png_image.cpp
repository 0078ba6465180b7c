#include "media/codecs/png_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <png.h>

#include "core/files/atomic_file.h"
#include "media/codecs/codec_files.h"
#include "media/image/image_size.h"
#include "platform/quickdraw/offscreen.h"

namespace {

// The most that libpng may allocate for one ancillary chunk (text, profiles), compressed or
// not: without it a chunk length read from the file is allocated before the data is read.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

// Deflate cannot shrink data by more than this factor; a picture whose rows would need more
// than this many times the bytes left in the file cannot be in it.
constexpr uint64_t kMaxDeflateRatio = 1032;

[[noreturn]] void ErrorFn(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

// Everything that libpng touches lives here, outside the frames that call setjmp, and holds
// no object with a destructor: a jump back skips none.
struct ReadJob {
    const uint8_t* bytes;
    std::size_t size;
    std::size_t pos;
    png_structp png;
    png_infop info;
    uint8_t* pixels; // new[]
    png_bytep* rows; // new[]
    png_uint_32 width, height;
    int colorType, interlace, compression, filter, channels;
    bool hasBackground;
    uint8_t background[3];
};

void ReadData(png_structp png, png_bytep out, png_size_t count) {
    auto* job = static_cast<ReadJob*>(png_get_io_ptr(png));
    if (count > job->size - job->pos)
        png_error(png, "truncated");
    std::memcpy(out, job->bytes + job->pos, count);
    job->pos += count;
}

int SourceChannels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// An 8-bit value of a sample stored at the given depth.
uint8_t Scale(png_uint_16 value, int depth) {
    if (depth == 16)
        return uint8_t(value >> 8);
    if (depth < 8)
        return uint8_t(std::min<unsigned>(value, (1u << depth) - 1) * 255u / ((1u << depth) - 1));
    return uint8_t(value);
}

bool Decode(ReadJob* job) {
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, ErrorFn, WarningFn);
    if (!job->png)
        return false;
    job->info = png_create_info_struct(job->png);
    if (!job->info) {
        png_destroy_read_struct(&job->png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(job->png))) {
        png_destroy_read_struct(&job->png, &job->info, nullptr);
        delete[] job->rows;
        delete[] job->pixels;
        job->rows = nullptr;
        job->pixels = nullptr;
        return false;
    }
    png_structp png = job->png;
    png_infop info = job->info;
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Chunks of text, profiles and other data that a picture's pixels do not need are skipped
    // unread: libpng would otherwise allocate each at the length its header claims.
    static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL\0hIST\0tIME";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped, int(sizeof kSkipped / 5));
    job->pos = 8;
    png_set_read_fn(png, job, ReadData);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);

    int depth = 0;
    png_get_IHDR(png, info, &job->width, &job->height, &depth, &job->colorType, &job->interlace,
                 &job->compression, &job->filter);
    std::size_t bytes;
    if (!BK_ImageByteSize(job->width, job->height, 4, bytes))
        png_error(png, "too large");
    const uint64_t rowBytes =
        (uint64_t(job->width) * uint64_t(depth) * uint64_t(SourceChannels(job->colorType)) + 7) / 8;
    if ((rowBytes + 1) * job->height > uint64_t(job->size - job->pos) * kMaxDeflateRatio)
        png_error(png, "data too short for the picture");

    if (depth == 16)
        png_set_strip_16(png);
    if (job->colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand(png);
    if (depth < 8)
        png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_expand(png);
    if (job->colorType == PNG_COLOR_TYPE_GRAY || job->colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);

    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background) && background) {
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        job->hasBackground = true;
        if (job->colorType == PNG_COLOR_TYPE_PALETTE) {
            png_colorp palette = nullptr;
            int entries = 0;
            if (png_get_PLTE(png, info, &palette, &entries) && background->index < entries) {
                job->background[0] = palette[background->index].red;
                job->background[1] = palette[background->index].green;
                job->background[2] = palette[background->index].blue;
            }
        } else if (!(job->colorType & PNG_COLOR_MASK_COLOR)) {
            job->background[0] = job->background[1] = job->background[2] =
                Scale(background->gray, depth);
        } else {
            job->background[0] = Scale(background->red, depth);
            job->background[1] = Scale(background->green, depth);
            job->background[2] = Scale(background->blue, depth);
        }
    }
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma))
        png_set_gamma(png, 2.2, fileGamma);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    job->channels = png_get_channels(png, info);
    if (png_get_bit_depth(png, info) != 8 || (job->channels != 3 && job->channels != 4) ||
        png_get_rowbytes(png, info) != std::size_t(job->width) * std::size_t(job->channels))
        png_error(png, "unexpected layout");
    if (!BK_ImageByteSize(job->width, job->height, uint32_t(job->channels), bytes))
        png_error(png, "too large");
    job->pixels = new (std::nothrow) uint8_t[bytes];
    job->rows = new (std::nothrow) png_bytep[job->height];
    if (!job->pixels || !job->rows)
        png_error(png, "out of memory");
    const std::size_t stride = std::size_t(job->width) * std::size_t(job->channels);
    for (png_uint_32 y = 0; y < job->height; ++y)
        job->rows[y] = job->pixels + y * stride;
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&job->png, &job->info, nullptr);
    delete[] job->rows;
    job->rows = nullptr;
    return true;
}

enum class Source { Port, Rgb, Palette };

struct WriteJob {
    png_structp png;
    png_infop info;
    CBK_AtomicFile* file;
    png_uint_32 width, height;
    Source source;
    const uint8_t* base;
    std::size_t stride;
    const BK_RGBQUAD* palette;
    int entries;
    uint8_t* row; // new[]
};

void WriteData(png_structp png, png_bytep data, png_size_t count) {
    auto* job = static_cast<WriteJob*>(png_get_io_ptr(png));
    if (!job->file->Write(data, count))
        png_error(png, "write failed");
}

// The file is flushed when it is committed.
void FlushData(png_structp) {}

bool Encode(WriteJob* job) {
    job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, ErrorFn, WarningFn);
    if (!job->png)
        return false;
    job->info = png_create_info_struct(job->png);
    if (!job->info) {
        png_destroy_write_struct(&job->png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(job->png))) {
        png_destroy_write_struct(&job->png, &job->info);
        delete[] job->row;
        job->row = nullptr;
        return false;
    }
    png_structp png = job->png;
    png_infop info = job->info;
    png_set_write_fn(png, job, WriteData, FlushData);
    png_set_compression_level(png, 9);
    const bool indexed = job->source == Source::Palette;
    if (!indexed)
        png_set_compression_mem_level(png, 9);
    png_set_IHDR(png, info, job->width, job->height, 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_color colors[256];
        for (int i = 0; i < job->entries; ++i) {
            colors[i].red = job->palette[i].rgbRed;
            colors[i].green = job->palette[i].rgbGreen;
            colors[i].blue = job->palette[i].rgbBlue;
        }
        png_set_PLTE(png, info, colors, job->entries);
    }
    png_write_info(png, info);
    const std::size_t rowBytes = std::size_t(job->width) * (indexed ? 1 : 3);
    job->row = new (std::nothrow) uint8_t[rowBytes];
    if (!job->row)
        png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < job->height; ++y) {
        const uint8_t* in = job->base + y * job->stride;
        if (job->source == Source::Port) {
            for (png_uint_32 x = 0; x < job->width; ++x)
                std::memcpy(job->row + x * 3, in + x * 4 + 1, 3);
        } else {
            std::memcpy(job->row, in, rowBytes);
        }
        png_write_row(png, job->row);
        if (indexed)
            png_write_flush(png);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&job->png, &job->info);
    delete[] job->row;
    job->row = nullptr;
    return true;
}

bool WriteFile(WriteJob& job, CBK_Path& path) {
    CBK_AtomicFile file;
    if (!file.Open(BK_CodecFileName(path)))
        return false;
    job.file = &file;
    if (!Encode(&job)) {
        file.Discard();
        return false;
    }
    return file.Commit();
}

} // namespace

CBK_ImagePng::~CBK_ImagePng() {
    CBK_ImagePng::Destroy();
}

void CBK_ImagePng::Destroy() {
    _background.reset();
    _alpha.reset();
    CBK_Image::Destroy();
}

bool CBK_ImagePng::Read(const uint8_t* bytes, std::size_t size) {
    Destroy();
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8) != 0)
        return false;
    auto job = std::make_unique<ReadJob>();
    std::memset(job.get(), 0, sizeof(ReadJob));
    job->bytes = bytes;
    job->size = size;
    if (!Decode(job.get()))
        return false;

    std::unique_ptr<uint8_t[]> pixels(job->pixels);
    const std::size_t count = std::size_t(job->width) * job->height;
    if (job->channels == 4) {
        _alpha.reset(new (std::nothrow) uint8_t[count ? count : 1]);
        if (!_alpha)
            return false;
        for (std::size_t i = 0; i < count; ++i)
            _alpha[i] = pixels[i * 4 + 3];
    }
    if (job->hasBackground) {
        _background.reset(new uint8_t[3]);
        std::memcpy(_background.get(), job->background, 3);
    }
    _colorType = job->colorType;
    _interlaceType = job->interlace;
    _compressionType = job->compression;
    _filterType = job->filter;
    _channels = job->channels;
    _Adopt(std::move(pixels), count * std::size_t(job->channels), int32_t(job->width),
           int32_t(job->height), uint16_t(job->channels * 8));
    return true;
}

bool CBK_ImagePng::Read(CBK_Path& path) {
    std::vector<uint8_t> bytes;
    if (!BK_ReadWholeFile(path, bytes, kBK_MaxImageBytes)) {
        Destroy();
        return false;
    }
    return Read(bytes.data(), bytes.size());
}

bool CBK_ImagePng::WriteFromPixmap(tbx::GrafPtr port, CBK_Path& path) {
    tbx::PixMapHandle pixMap = tbx::GetGWorldPixMap(port);
    if (!pixMap || tbx::GetPixDepth(pixMap) != 32)
        return false;
    tbx::Rect bounds;
    tbx::GetPortBounds(port, &bounds);
    WriteJob job{};
    job.width = png_uint_32(bounds.right - bounds.left);
    job.height = png_uint_32(bounds.bottom - bounds.top);
    job.source = Source::Port;
    tbx::LockPixels(pixMap);
    job.base = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(pixMap));
    job.stride = std::size_t(tbx::GetPixRowBytes(pixMap));
    const bool ok = WriteFile(job, path);
    tbx::UnlockPixels(pixMap);
    return ok;
}

bool CBK_ImagePng::WriteFromBuffer(uint32_t width, uint32_t height, uint16_t, const uint8_t* pixels,
                                   CBK_Path& path, const BK_RGBQUAD* palette,
                                   int32_t paletteEntries) {
    std::size_t bytes;
    const uint32_t step = palette ? 1 : 3;
    if (!pixels || width == 0 || height == 0 || !BK_ImageByteSize(width, height, step, bytes))
        return false;
    if (palette) {
        if (paletteEntries < 1 || paletteEntries > 256)
            return false;
        // An index past the palette would make a file that decoders reject.
        if (std::any_of(pixels, pixels + bytes, [&](uint8_t i) { return i >= paletteEntries; }))
            return false;
    }
    WriteJob job{};
    job.width = width;
    job.height = height;
    job.source = palette ? Source::Palette : Source::Rgb;
    job.base = pixels;
    job.stride = std::size_t(width) * step;
    job.palette = palette;
    job.entries = paletteEntries;
    return WriteFile(job, path);
}

bool CBK_ImagePng::WriteFromImage(const CBK_Image& image, CBK_Path& path) {
    if (image.GetBitsPerPixel() != 24 || !image.GetData() || image.GetWidth() <= 0 ||
        image.GetHeight() <= 0 ||
        image.GetSize() < std::size_t(image.GetWidth()) * std::size_t(image.GetHeight()) * 3)
        return false;
    return WriteFromBuffer(uint32_t(image.GetWidth()), uint32_t(image.GetHeight()), 24,
                           image.GetData(), path, nullptr, 0);
}
