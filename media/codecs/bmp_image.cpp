#include "media/codecs/bmp_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/bmp/bmp_io.h"
#include "core/files/atomic_file.h"
#include "media/codecs/codec_files.h"
#include "media/image/image_size.h"
#include "platform/quickdraw/offscreen.h"

namespace {

constexpr uint32_t kHeaderBytes = 54;
static_assert(kBMP_MaxPlaneBytes == kBK_MaxImageBytes, "the reader refuses what no image can hold");

void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Rows padded to four bytes: ((width × bits − 1) ÷ 32) × 4 + 4.
uint64_t PaddedRow(uint32_t width, uint32_t bits) {
    return (uint64_t(width) * bits + 31) / 32 * 4;
}

// The two headers; the file size is filled in (readers that check it find it right).
void Header(uint8_t* out, uint32_t width, uint32_t height, uint16_t bits, uint32_t entries,
            uint64_t fileSize) {
    std::memset(out, 0, kHeaderBytes);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, fileSize > 0xFFFFFFFFu ? 0 : uint32_t(fileSize));
    Put32(out + 10, kHeaderBytes + 4 * entries);
    Put32(out + 14, 40);
    Put32(out + 18, width);
    Put32(out + 22, height);
    Put16(out + 26, 1);
    Put16(out + 28, bits);
    // Colours used: the palette's size, so that readers do not take pixels for entries.
    Put32(out + 46, entries);
}

// Rows from the bottom, each built by `fill` and padded with zeros.
template <typename Fill>
bool WriteRows(CBK_Path& path, const uint8_t* header, const std::vector<uint8_t>& palette,
               uint32_t height, std::size_t rowBytes, Fill fill) {
    CBK_AtomicFile file;
    if (!file.Open(BK_CodecFileName(path)))
        return false;
    std::vector<uint8_t> row;
    try {
        row.assign(rowBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool ok = file.Write(header, kHeaderBytes) &&
              (palette.empty() || file.Write(palette.data(), palette.size()));
    for (uint32_t y = height; ok && y-- > 0;) {
        fill(y, row.data());
        ok = file.Write(row.data(), rowBytes);
    }
    if (!ok) {
        file.Discard();
        return false;
    }
    return file.Commit();
}

// The reader accepts a file that ends inside the padding of its last row; a picture whose
// file is cut short is refused here, as every other truncation is.
bool AllRowsPresent(const std::string& name) {
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file)
        return false;
    uint8_t header[30];
    const bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    const long length = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    std::fclose(file);
    if (!read || length < 0)
        return false;
    auto get32 = [&](int at) {
        return uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 |
               uint32_t(header[at + 2]) << 16 | uint32_t(header[at + 3]) << 24;
    };
    const uint64_t offset = get32(10);
    const uint32_t width = get32(18);
    const uint64_t rows = uint64_t(std::llabs(int64_t(int32_t(get32(22)))));
    const uint32_t bits = uint32_t(header[28]) | uint32_t(header[29]) << 8;
    if (offset > uint64_t(length))
        return false;
    // rows × row bytes <= what follows the offset, without forming a product that can wrap.
    return rows == 0 || PaddedRow(width, bits) <= (uint64_t(length) - offset) / rows;
}

} // namespace

CBK_ImageBmp::~CBK_ImageBmp() {
    CBK_ImageBmp::Destroy();
}

void CBK_ImageBmp::Destroy() {
    CBK_Image::Destroy();
    _width = 0;
    _height = 0;
    _bitsPerPixel = 0;
}

bool CBK_ImageBmp::Read(CBK_Path& path) {
    const std::string name = BK_WideToFileSystemName(path.GetFullPathString(POSIX_PATH));
    if (!AllRowsPresent(name))
        return false;
    uint32_t width = 0;
    int32_t height = 0;
    uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (bmp_read(name.c_str(), &width, &height, &r, &g, &b) != 0)
        return false;
    // The planes are freed once each, however many of the three pointers share one.
    std::unique_ptr<uint8_t[]> red(r);
    std::unique_ptr<uint8_t[]> green(g != r ? g : nullptr);
    std::unique_ptr<uint8_t[]> blue(b != r && b != g ? b : nullptr);

    // |height| rows, as a negative height marks a top-down file.
    const int64_t rows = std::llabs(int64_t(height));
    std::size_t bytes;
    if (!r || !g || !b || width > INT32_MAX || rows > INT32_MAX ||
        !BK_ImageByteSize(width, rows, 3, bytes) || bytes == 0)
        return false;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
    if (!pixels)
        return false;
    // The reader hands rows over in file order: bottom row first for a positive height.
    for (int64_t fileRow = 0; fileRow < rows; ++fileRow) {
        const int64_t y = height > 0 ? rows - 1 - fileRow : fileRow;
        const std::size_t in = std::size_t(fileRow) * width;
        uint8_t* out = pixels.get() + std::size_t(y) * width * 3;
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            out[0] = r[in + x];
            out[1] = g[in + x];
            out[2] = b[in + x];
        }
    }
    _Adopt(std::move(pixels), bytes, int32_t(width), int32_t(rows), 24);
    return true;
}

bool CBK_ImageBmp::WriteFromPixmap(tbx::GrafPtr port, CBK_Path& path) {
    tbx::PixMapHandle pixMap = tbx::GetGWorldPixMap(port);
    if (!pixMap || tbx::GetPixDepth(pixMap) != 32)
        return false;
    tbx::Rect bounds;
    tbx::GetPortBounds(port, &bounds);
    const uint32_t width = uint32_t(bounds.right - bounds.left);
    const uint32_t height = uint32_t(bounds.bottom - bounds.top);
    const uint64_t rowBytes = PaddedRow(width, 24);
    uint8_t header[kHeaderBytes];
    Header(header, width, height, 24, 0, kHeaderBytes + rowBytes * height);
    tbx::LockPixels(pixMap);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(pixMap));
    const std::size_t stride = std::size_t(tbx::GetPixRowBytes(pixMap));
    const bool ok =
        WriteRows(path, header, {}, height, std::size_t(rowBytes), [&](uint32_t y, uint8_t* row) {
            const uint8_t* in = base + y * stride;
            for (uint32_t x = 0; x < width; ++x, in += 4, row += 3) {
                row[0] = in[3];
                row[1] = in[2];
                row[2] = in[1];
            }
        });
    tbx::UnlockPixels(pixMap);
    return ok;
}

bool CBK_ImageBmp::WriteFromBuffer(uint32_t width, uint32_t height, uint16_t bitsPerPixel,
                                   const uint8_t* pixels, CBK_Path& path, const BK_RGBQUAD* palette,
                                   int32_t paletteEntries) {
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    const uint32_t step = bitsPerPixel / 8u;
    std::size_t bytes;
    if (!pixels || width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
        !BK_ImageByteSize(width, height, step, bytes))
        return false;
    const uint32_t entries = palette ? uint32_t(std::max(paletteEntries, 0)) : 0;
    if (entries > 256)
        return false;
    std::vector<uint8_t> table(std::size_t(entries) * 4);
    if (entries)
        std::memcpy(table.data(), palette, table.size());
    const uint64_t rowBytes = PaddedRow(width, bitsPerPixel);
    uint8_t header[kHeaderBytes];
    Header(header, width, height, bitsPerPixel, entries,
           kHeaderBytes + table.size() + rowBytes * height);
    return WriteRows(path, header, table, height, std::size_t(rowBytes),
                     [&](uint32_t y, uint8_t* row) {
                         const uint8_t* in = pixels + std::size_t(y) * width * step;
                         for (uint32_t x = 0; x < width; ++x, in += step, row += step) {
                             if (step == 1) {
                                 row[0] = in[0];
                             } else {
                                 // The file's order is blue, green, red (then alpha).
                                 row[0] = in[2];
                                 row[1] = in[1];
                                 row[2] = in[0];
                                 if (step == 4)
                                     row[3] = in[3];
                             }
                         }
                     });
}
