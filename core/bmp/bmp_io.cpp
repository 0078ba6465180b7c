#include "core/bmp/bmp_io.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/files/atomic_file.h"

namespace {

bool g_byteSwap = true;

constexpr uint32_t kHeader1Size = 14;
constexpr uint32_t kHeader2Size = 40;
// The later information headers (52, 56, 108 and 124 bytes) begin with the same 40 bytes.
constexpr uint32_t kLargestHeader2 = 124;

uint64_t Magnitude(int32_t height) {
    return static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
}

// Bytes of one stored row, padded to 4.
uint64_t RowBytes(uint32_t width, uint32_t bits) {
    return (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
}

uint64_t RowDataBytes(uint32_t width, uint32_t bits) {
    return (static_cast<uint64_t>(width) * bits + 7) / 8;
}

void ReadFailure(const char* what) {
    std::printf("\nBMP_READ: Fatal error!\n  %s\n", what);
}

int ReadBytes(std::istream& in, uint8_t* data, std::size_t n) {
    in.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(in.gcount()) == n ? 0 : 1;
}

// Skips the padding after a row. End of file there is only worth a warning.
int SkipPadding(std::istream& in, uint64_t pad, const char* routine, bool& ended) {
    ended = false;
    if (pad == 0)
        return 0;
    char scratch[4];
    in.read(scratch, static_cast<std::streamsize>(pad));
    if (static_cast<uint64_t>(in.gcount()) != pad) {
        std::printf("\n%s - Warning!\n  End of file reached while reading the padding of a "
                    "row.\n  This is a minor error.\n",
                    routine);
        ended = true;
    }
    return 0;
}

// Palette indices of 1, 4 or 8 bits, one output byte per pixel.
int ReadIndexRows(std::istream& in, uint32_t bits, uint32_t width, int32_t height, uint8_t* out) {
    const uint64_t rows = Magnitude(height);
    const uint64_t dataBytes = RowDataBytes(width, bits);
    const uint64_t pad = RowBytes(width, bits) - dataBytes;
    std::vector<uint8_t> row(static_cast<std::size_t>(dataBytes));
    const uint32_t perByte = 8 / bits;
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    for (uint64_t j = 0; j < rows; ++j) {
        in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(dataBytes));
        const uint64_t got = static_cast<uint64_t>(in.gcount());
        if (got != dataBytes) {
            std::printf("\nBMP_08_DATA_READ: Fatal error!\n  Failed reading R for pixel "
                        "(%llu,%llu).\n",
                        static_cast<unsigned long long>(got * perByte),
                        static_cast<unsigned long long>(j));
            return 1;
        }
        uint8_t* target = out + j * width;
        for (uint32_t i = 0; i < width; ++i) {
            const uint8_t byte = row[i / perByte];
            const uint32_t shift = 8 - bits * (i % perByte + 1);
            target[i] = static_cast<uint8_t>((byte >> shift) & mask);
        }
        bool ended = false;
        SkipPadding(in, pad, "BMP_08_DATA_READ", ended);
        if (ended)
            return 0;
    }
    return 0;
}

int WriteBytes(std::ostream& out, const uint8_t* data, std::size_t n) {
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
    return out ? 0 : 1;
}

int WriteFile(const char* name, const std::string& bytes, const char* title) {
    if (!name || !BK_WriteFileAtomically(name, bytes)) {
        std::printf("\n%s - Fatal error!\n  Could not write the output file.\n", title);
        return 1;
    }
    return 0;
}

struct Layout {
    uint64_t rowBytes;
    uint64_t fileSize;
};

// The file size of a picture, or false when it does not fit the format's 32-bit fields.
bool PlanLayout(uint32_t width, int32_t height, uint32_t bits, uint32_t prefix, Layout& layout,
                const char* title) {
    layout.rowBytes = RowBytes(width, bits);
    if (width == 0 || height == 0 || Magnitude(height) > (UINT32_MAX - prefix) / layout.rowBytes) {
        std::printf("\n%s - Fatal error!\n  The picture size cannot be stored.\n", title);
        return false;
    }
    layout.fileSize = prefix + layout.rowBytes * Magnitude(height);
    return true;
}

} // namespace

bool bmp_byte_swap_get() {
    return g_byteSwap;
}

void bmp_byte_swap_set(bool value) {
    g_byteSwap = value;
}

int u_short_int_read(uint16_t* value, std::istream& in) {
    uint8_t bytes[2];
    if (ReadBytes(in, bytes, 2))
        return 1;
    *value = g_byteSwap ? static_cast<uint16_t>(bytes[0] | bytes[1] << 8)
                        : static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
    return 0;
}

int u_short_int_write(uint16_t value, std::ostream& out) {
    const uint8_t low = static_cast<uint8_t>(value & 0xFF);
    const uint8_t high = static_cast<uint8_t>(value >> 8);
    const uint8_t bytes[2] = {g_byteSwap ? low : high, g_byteSwap ? high : low};
    return WriteBytes(out, bytes, 2);
}

int u_long_int_read(uint32_t* value, std::istream& in) {
    uint16_t first, second;
    if (u_short_int_read(&first, in) || u_short_int_read(&second, in))
        return 1;
    *value = g_byteSwap ? (static_cast<uint32_t>(second) << 16 | first)
                        : (static_cast<uint32_t>(first) << 16 | second);
    return 0;
}

int u_long_int_write(uint32_t value, std::ostream& out) {
    const uint16_t low = static_cast<uint16_t>(value & 0xFFFF);
    const uint16_t high = static_cast<uint16_t>(value >> 16);
    if (u_short_int_write(g_byteSwap ? low : high, out))
        return 1;
    return u_short_int_write(g_byteSwap ? high : low, out);
}

int long_int_read(int32_t* value, std::istream& in) {
    uint32_t bits;
    if (u_long_int_read(&bits, in))
        return 1;
    *value = static_cast<int32_t>(bits);
    return 0;
}

int long_int_write(int32_t value, std::ostream& out) {
    return u_long_int_write(static_cast<uint32_t>(value), out);
}

int bmp_header1_read(std::istream& in, BK_BMP_HEADER1& header) {
    uint8_t magic[2];
    if (ReadBytes(in, magic, 2))
        return 1;
    header.magic = static_cast<uint16_t>(magic[0] << 8 | magic[1]);
    if (u_long_int_read(&header.fileSize, in) || u_short_int_read(&header.reserved1, in) ||
        u_short_int_read(&header.reserved2, in) || u_long_int_read(&header.dataOffset, in))
        return 1;
    return 0;
}

int bmp_header1_write(std::ostream& out, const BK_BMP_HEADER1& header) {
    const uint8_t magic[2] = {'B', 'M'};
    if (WriteBytes(out, magic, 2) || u_long_int_write(header.fileSize, out) ||
        u_short_int_write(header.reserved1, out) || u_short_int_write(header.reserved2, out) ||
        u_long_int_write(header.dataOffset, out))
        return 1;
    return 0;
}

int bmp_header2_read(std::istream& in, BK_BMP_HEADER2& header) {
    if (u_long_int_read(&header.size, in) || u_long_int_read(&header.width, in) ||
        long_int_read(&header.height, in) || u_short_int_read(&header.planes, in) ||
        u_short_int_read(&header.bitsPerPixel, in) || u_long_int_read(&header.compression, in) ||
        u_long_int_read(&header.imageSize, in) ||
        u_long_int_read(&header.horizontalResolution, in) ||
        u_long_int_read(&header.verticalResolution, in) ||
        u_long_int_read(&header.colorsUsed, in) || u_long_int_read(&header.colorsImportant, in))
        return 1;
    return 0;
}

int bmp_header2_write(std::ostream& out, const BK_BMP_HEADER2& header) {
    if (u_long_int_write(header.size, out) || u_long_int_write(header.width, out) ||
        long_int_write(header.height, out) || u_short_int_write(header.planes, out) ||
        u_short_int_write(header.bitsPerPixel, out) || u_long_int_write(header.compression, out) ||
        u_long_int_write(header.imageSize, out) ||
        u_long_int_write(header.horizontalResolution, out) ||
        u_long_int_write(header.verticalResolution, out) ||
        u_long_int_write(header.colorsUsed, out) || u_long_int_write(header.colorsImportant, out))
        return 1;
    return 0;
}

int bmp_palette_read(std::istream& in, uint32_t n, uint8_t* r, uint8_t* g, uint8_t* b, uint8_t* a) {
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t entry[4];
        if (ReadBytes(in, entry, 4))
            return 1;
        b[i] = entry[0];
        g[i] = entry[1];
        r[i] = entry[2];
        a[i] = entry[3];
    }
    return 0;
}

int bmp_palette_write(std::ostream& out, uint32_t n, const uint8_t* r, const uint8_t* g,
                      const uint8_t* b, const uint8_t* a) {
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t entry[4] = {b[i], g[i], r[i], a[i]};
        if (WriteBytes(out, entry, 4))
            return 1;
    }
    return 0;
}

int bmp_08_data_read(std::istream& in, uint32_t width, int32_t height, uint8_t* data) {
    return ReadIndexRows(in, 8, width, height, data);
}

int bmp_08_data_write(std::ostream& out, uint32_t width, int32_t height, const uint8_t* data) {
    const uint8_t zeros[4] = {};
    const uint64_t pad = RowBytes(width, 8) - width;
    for (uint64_t j = 0; j < Magnitude(height); ++j)
        if (WriteBytes(out, data + j * width, width) ||
            WriteBytes(out, zeros, static_cast<std::size_t>(pad)))
            return 1;
    return 0;
}

int bmp_24_data_read(std::istream& in, uint32_t width, int32_t height, uint8_t* r, uint8_t* g,
                     uint8_t* b) {
    const uint64_t rows = Magnitude(height);
    const uint64_t dataBytes = RowDataBytes(width, 24);
    const uint64_t pad = RowBytes(width, 24) - dataBytes;
    std::vector<uint8_t> row(static_cast<std::size_t>(dataBytes));
    for (uint64_t j = 0; j < rows; ++j) {
        in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(dataBytes));
        const uint64_t got = static_cast<uint64_t>(in.gcount());
        if (got != dataBytes) {
            static const char kChannel[3] = {'B', 'G', 'R'};
            std::printf("\nBMP_24_DATA_READ: Fatal error!\n  Failed reading %c for pixel "
                        "(%llu,%llu).\n",
                        kChannel[got % 3], static_cast<unsigned long long>(got / 3),
                        static_cast<unsigned long long>(j));
            return 1;
        }
        const uint64_t base = j * width;
        for (uint32_t i = 0; i < width; ++i) {
            b[base + i] = row[3 * static_cast<std::size_t>(i)];
            g[base + i] = row[3 * static_cast<std::size_t>(i) + 1];
            r[base + i] = row[3 * static_cast<std::size_t>(i) + 2];
        }
        bool ended = false;
        SkipPadding(in, pad, "BMP_24_DATA_READ", ended);
        if (ended)
            return 0;
    }
    return 0;
}

int bmp_24_data_write(std::ostream& out, uint32_t width, int32_t height, const uint8_t* r,
                      const uint8_t* g, const uint8_t* b) {
    const uint64_t dataBytes = RowDataBytes(width, 24);
    const uint64_t pad = RowBytes(width, 24) - dataBytes;
    std::vector<uint8_t> row(static_cast<std::size_t>(dataBytes + pad), 0);
    for (uint64_t j = 0; j < Magnitude(height); ++j) {
        const uint64_t base = j * width;
        for (uint32_t i = 0; i < width; ++i) {
            row[3 * static_cast<std::size_t>(i)] = b[base + i];
            row[3 * static_cast<std::size_t>(i) + 1] = g[base + i];
            row[3 * static_cast<std::size_t>(i) + 2] = r[base + i];
        }
        if (WriteBytes(out, row.data(), row.size()))
            return 1;
    }
    return 0;
}

int bmp_read(const char* name, uint32_t* width, int32_t* height, uint8_t** r, uint8_t** g,
             uint8_t** b) {
    std::ifstream in;
    if (name)
        in.open(name, std::ios::binary);
    if (!in) {
        std::printf("\nBMP_READ - Fatal error!\n  Could not open the input file.\n");
        return 1;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (end < 0 || !in) {
        ReadFailure("The input file cannot be measured.");
        return 1;
    }
    const uint64_t fileLength = static_cast<uint64_t>(end);

    BK_BMP_HEADER1 header1;
    if (bmp_header1_read(in, header1)) {
        ReadFailure("BMP_HEADER1_READ failed.");
        return 1;
    }
    if (header1.magic != 0x424D) {
        std::printf("\nBMP_READ: Fatal error!\n  The file's internal magic number is not "
                    "\"BM\".\n  with the numeric value %u\n  Expected 'B' = %d and 'M' = "
                    "%d, found %d and %d.\n  (Perhaps you need to reverse the byte swapping "
                    "option!)\n",
                    header1.magic, 'B', 'M', header1.magic >> 8, header1.magic & 0xFF);
        return 1;
    }
    BK_BMP_HEADER2 header2;
    if (bmp_header2_read(in, header2)) {
        ReadFailure("BMP_HEADER2_READ failed.");
        return 1;
    }
    if (header2.size < kHeader2Size || header2.size > kLargestHeader2) {
        std::printf("\nBMP_READ: Fatal error!\n  Unrecognized header size = %u\n", header2.size);
        return 1;
    }
    const uint32_t bits = header2.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        std::printf("\nBMP_READ: Fatal error!\n  Unrecognized value of BITSPERPIXEL = %u\n", bits);
        return 1;
    }
    if (header2.compression != 0) {
        std::printf("\nBMP_READ: Fatal error!\n  Compressed pictures are not supported "
                    "(COMPRESSION = %u).\n",
                    header2.compression);
        return 1;
    }
    if (header2.width == 0 || header2.height == 0) {
        ReadFailure("The picture has no pixels.");
        return 1;
    }

    // The palette follows the information header; the rows start at the data offset.
    const uint64_t paletteStart = kHeader1Size + header2.size;
    if (header1.dataOffset < paletteStart || header1.dataOffset > fileLength) {
        std::printf("\nBMP_READ: Fatal error!\n  The pixel data offset %u lies outside the "
                    "file.\n",
                    header1.dataOffset);
        return 1;
    }
    // Checked without forming rows × row bytes, which can overflow.
    const uint64_t rows = Magnitude(header2.height);
    const uint64_t available = fileLength - header1.dataOffset;
    const uint64_t lastRow = RowDataBytes(header2.width, bits);
    if (lastRow > available || rows - 1 > (available - lastRow) / RowBytes(header2.width, bits)) {
        ReadFailure("The file is too short for the picture size it states.");
        return 1;
    }

    uint8_t paletteR[256], paletteG[256], paletteB[256], paletteA[256];
    uint32_t entries = 0;
    if (bits <= 8) {
        const uint64_t room = (header1.dataOffset - paletteStart) / 4;
        const uint64_t wanted = header2.colorsUsed ? header2.colorsUsed : (1u << bits);
        entries = static_cast<uint32_t>(std::min<uint64_t>({wanted, room, 1u << bits}));
        in.seekg(static_cast<std::streamoff>(paletteStart), std::ios::beg);
        if (!in || bmp_palette_read(in, entries, paletteR, paletteG, paletteB, paletteA)) {
            ReadFailure("BMP_PALETTE_READ failed.");
            return 1;
        }
    }

    // A file of one bit per pixel grows 24-fold into the planes: the cap is checked on the
    // size that the header states, before any plane exists.
    if (header2.width * rows > kBMP_MaxPlaneBytes / 3) {
        ReadFailure("The picture is larger than the reader accepts.");
        return 1;
    }
    const std::size_t pixels = static_cast<std::size_t>(header2.width * rows);
    std::unique_ptr<uint8_t[]> red(new (std::nothrow) uint8_t[pixels]);
    std::unique_ptr<uint8_t[]> green(new (std::nothrow) uint8_t[pixels]);
    std::unique_ptr<uint8_t[]> blue(new (std::nothrow) uint8_t[pixels]);
    if (!red || !green || !blue) {
        ReadFailure("There is not enough memory for the picture.");
        return 1;
    }
    in.seekg(static_cast<std::streamoff>(header1.dataOffset), std::ios::beg);
    if (bits == 24) {
        if (!in || bmp_24_data_read(in, header2.width, header2.height, red.get(), green.get(),
                                    blue.get())) {
            ReadFailure("BMP_24_DATA_READ failed.");
            return 1;
        }
    } else {
        if (!in || ReadIndexRows(in, bits, header2.width, header2.height, red.get())) {
            ReadFailure("BMP_08_DATA_READ failed.");
            return 1;
        }
        for (std::size_t i = 0; i < pixels; ++i) {
            const uint8_t index = red[i];
            if (entries == 0) {
                green[i] = blue[i] = index; // no palette: grey levels
            } else if (index < entries) {
                red[i] = paletteR[index];
                green[i] = paletteG[index];
                blue[i] = paletteB[index];
            } else {
                red[i] = green[i] = blue[i] = 0;
            }
        }
    }
    *width = header2.width;
    *height = header2.height;
    *r = red.release();
    *g = green.release();
    *b = blue.release();
    return 0;
}

int bmp_24_write(const char* name, uint32_t width, int32_t height, const uint8_t* r,
                 const uint8_t* g, const uint8_t* b) {
    constexpr uint32_t prefix = kHeader1Size + kHeader2Size;
    Layout layout;
    if (!r || !g || !b || !PlanLayout(width, height, 24, prefix, layout, "BMP_24_WRITE"))
        return 1;
    std::ostringstream out(std::ios::binary);
    BK_BMP_HEADER1 header1{0x424D, static_cast<uint32_t>(layout.fileSize), 0, 0, prefix};
    BK_BMP_HEADER2 header2;
    header2.size = kHeader2Size;
    header2.width = width;
    header2.height = height;
    header2.planes = 1;
    header2.bitsPerPixel = 24;
    if (bmp_header1_write(out, header1) || bmp_header2_write(out, header2) ||
        bmp_24_data_write(out, width, height, r, g, b))
        return 1;
    return WriteFile(name, out.str(), "BMP_24_WRITE");
}

int bmp_08_write(const char* name, uint32_t width, int32_t height, const uint8_t* data) {
    // A palette-less 8-bit file is not a valid BMP; a grey ramp keeps the values' meaning.
    constexpr uint32_t prefix = kHeader1Size + kHeader2Size + 4 * 256;
    Layout layout;
    if (!data || !PlanLayout(width, height, 8, prefix, layout, "BMP_08_WRITE"))
        return 1;
    uint8_t grey[256], alpha[256] = {};
    for (int i = 0; i < 256; ++i)
        grey[i] = static_cast<uint8_t>(i);
    std::ostringstream out(std::ios::binary);
    BK_BMP_HEADER1 header1{0x424D, static_cast<uint32_t>(layout.fileSize), 0, 0, prefix};
    BK_BMP_HEADER2 header2;
    header2.size = kHeader2Size;
    header2.width = width;
    header2.height = height;
    header2.planes = 1;
    header2.bitsPerPixel = 8;
    header2.colorsUsed = 256;
    if (bmp_header1_write(out, header1) || bmp_header2_write(out, header2) ||
        bmp_palette_write(out, 256, grey, grey, grey, alpha) ||
        bmp_08_data_write(out, width, height, data))
        return 1;
    return WriteFile(name, out.str(), "BMP_08_WRITE");
}

void bmp_header1_print(const BK_BMP_HEADER1& header) {
    std::printf("\n  Contents of BMP file header:\n\n");
    std::printf("  FILETYPE =     %c%c\n", header.magic >> 8, header.magic & 0xFF);
    std::printf("  FILESIZE =     %u\n", header.fileSize);
    std::printf("  RESERVED1 =    %u\n", header.reserved1);
    std::printf("  RESERVED2 =    %u\n", header.reserved2);
    std::printf("  BITMAPOFFSET = %u\n", header.dataOffset);
}

void bmp_header2_print(const BK_BMP_HEADER2& header) {
    std::printf("\n  Contents of BMP file bitmap header:\n\n");
    std::printf("  SIZE =            %u\n", header.size);
    std::printf("  WIDTH =           %u\n", header.width);
    std::printf("  HEIGHT =          %d\n", header.height);
    std::printf("  PLANES =          %u\n", header.planes);
    std::printf("  BITSPERPIXEL =    %u\n", header.bitsPerPixel);
    std::printf("  COMPRESSION =     %u\n", header.compression);
    std::printf("  SIZEOFBITMAP =    %u\n", header.imageSize);
    std::printf("  HORZRESOLUTION =  %u\n", header.horizontalResolution);
    std::printf("  VERTRESOLUTION =  %u\n", header.verticalResolution);
    std::printf("  COLORSUSED =      %u\n", header.colorsUsed);
    std::printf("  COLORSIMPORTANT = %u\n", header.colorsImportant);
}

void bmp_palette_print(uint32_t n, const uint8_t* r, const uint8_t* g, const uint8_t* b,
                       const uint8_t* a) {
    std::printf("\n  Palette information from BMP file:\n\n");
    if (n == 0) {
        std::printf("  There are NO colors in the palette.\n");
        return;
    }
    std::printf("  Index  R    G    B    A\n\n");
    for (uint32_t i = 0; i < n; ++i)
        std::printf("  %4u  %3u  %3u  %3u  %3u\n", i, r[i], g[i], b[i], a[i]);
}

int bmp_read_test(const char* name) {
    uint32_t width = 0;
    int32_t height = 0;
    uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (bmp_read(name, &width, &height, &r, &g, &b)) {
        std::printf("\nBMP_READ_TEST: Fatal error!\n  BMP_READ failed.\n");
        return 1;
    }
    std::printf("\nBMP_READ_TEST:\n  WIDTH = %u, HEIGHT = %d\n", width, height);
    delete[] r;
    delete[] g;
    delete[] b;
    return 0;
}

int bmp_print_test(const char* name) {
    std::ifstream in;
    if (name)
        in.open(name, std::ios::binary);
    if (!in) {
        std::printf("\nBMP_PRINT_TEST - Fatal error!\n  Could not open the input file.\n");
        return 1;
    }
    BK_BMP_HEADER1 header1;
    BK_BMP_HEADER2 header2;
    if (bmp_header1_read(in, header1) || bmp_header2_read(in, header2)) {
        std::printf("\nBMP_PRINT_TEST: Fatal error!\n  Reading the headers failed.\n");
        return 1;
    }
    bmp_header1_print(header1);
    bmp_header2_print(header2);
    const uint32_t n = std::min<uint32_t>(header2.colorsUsed, 256);
    uint8_t r[256], g[256], b[256], a[256];
    in.seekg(kHeader1Size + std::min(header2.size, kLargestHeader2), std::ios::beg);
    if (bmp_palette_read(in, n, r, g, b, a)) {
        std::printf("\nBMP_PRINT_TEST: Fatal error!\n  BMP_PALETTE_READ failed.\n");
        return 1;
    }
    bmp_palette_print(n, r, g, b, a);
    return 0;
}

int bmp_08_write_test(const char* name) {
    constexpr uint32_t width = 100;
    constexpr int32_t height = 200;
    std::vector<uint8_t> data(width * height);
    for (int32_t j = 0; j < height; ++j)
        for (uint32_t i = 0; i < width; ++i)
            data[j * width + i] = static_cast<uint8_t>((i + static_cast<uint32_t>(j)) % 256);
    return bmp_08_write(name, width, height, data.data());
}

int bmp_24_write_test(const char* name) {
    constexpr uint32_t width = 100;
    constexpr int32_t height = 200;
    std::vector<uint8_t> r(width * height), g(width * height), b(width * height);
    for (int32_t j = 0; j < height; ++j)
        for (uint32_t i = 0; i < width; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * width + i;
            r[k] = static_cast<uint8_t>(i * 255 / (width - 1));
            g[k] = static_cast<uint8_t>(static_cast<uint32_t>(j) * 255 / (height - 1));
            b[k] = static_cast<uint8_t>(i == static_cast<uint32_t>(j) / 2 ? 255 : 0);
        }
    return bmp_24_write(name, width, height, r.data(), g.data(), b.data());
}
